#include "tools/EucText.h"

#include <iconv.h>

namespace quibo::tools {

namespace {

bool convert(iconv_t cd, const std::string& from, std::string& to)
{
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    // EUC-JP <-> UTF-8 grows by at most half (2 bytes -> 3).
    std::string out(from.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(from.data());
    std::size_t inLeft = from.size();
    char* at = out.data();
    std::size_t outLeft = out.size();
    if (iconv(cd, &in, &inLeft, &at, &outLeft) == static_cast<std::size_t>(-1)) return false;
    out.resize(out.size() - outLeft);
    to = std::move(out);
    return true;
}

}  // namespace

// The tools are single-threaded; each direction keeps one descriptor.
bool toEucJp(const std::string& utf8, std::string& euc)
{
    static iconv_t cd = iconv_open("EUC-JP-MS", "UTF-8");
    return convert(cd, utf8, euc);
}

bool toUtf8(const std::string& euc, std::string& utf8)
{
    static iconv_t cd = iconv_open("UTF-8", "EUC-JP-MS");
    return convert(cd, euc, utf8);
}

}  // namespace quibo::tools
