#include "platform/IconvText.h"

#include <cerrno>
#include <iconv.h>

namespace quibo::platform {

std::string convertWithIconv(const char* to, const char* from, std::string_view text)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return {};
    }
    std::string result;
    std::string input(text);
    char* in = input.data();
    std::size_t inLeft = input.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
        result.append(buffer, sizeof buffer - outLeft);
        if (rc != static_cast<std::size_t>(-1)) {
            continue;
        }
        if (errno == E2BIG) {
            continue;
        }
        // EILSEQ (no character, or none in `to`) or EINVAL (cut short): drop
        // one byte and go on.
        ++in;
        --inLeft;
    }
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &out, &outLeft);
    result.append(buffer, sizeof buffer - outLeft);
    iconv_close(cd);
    return result;
}

}  // namespace quibo::platform
