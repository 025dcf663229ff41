#include "platform/Bstr.h"

#include "platform/IconvText.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace quibo::platform {
namespace {

constexpr std::size_t PREFIX = sizeof(std::uint32_t);

std::uint32_t& byteLength(BSTR text)
{
    return *reinterpret_cast<std::uint32_t*>(reinterpret_cast<char*>(text) - PREFIX);
}

}  // namespace

BSTR SysAllocStringLen(const OLECHAR* text, std::uint32_t length)
{
    constexpr std::uint32_t LONGEST = (std::numeric_limits<std::uint32_t>::max() - PREFIX) / sizeof(OLECHAR) - 1;
    if (length > LONGEST) {
        return nullptr;
    }
    const std::size_t bytes = std::size_t{length} * sizeof(OLECHAR);
    char* block = static_cast<char*>(std::malloc(PREFIX + bytes + sizeof(OLECHAR)));
    if (!block) {
        return nullptr;
    }
    BSTR result = reinterpret_cast<BSTR>(block + PREFIX);
    byteLength(result) = static_cast<std::uint32_t>(bytes);
    if (text) {
        std::memcpy(result, text, bytes);
    } else {
        std::memset(result, 0, bytes);
    }
    result[length] = 0;
    return result;
}

BSTR SysAllocString(const OLECHAR* text)
{
    if (!text) {
        return nullptr;
    }
    return SysAllocStringLen(text, static_cast<std::uint32_t>(std::char_traits<OLECHAR>::length(text)));
}

void SysFreeString(BSTR text)
{
    if (text) {
        std::free(reinterpret_cast<char*>(text) - PREFIX);
    }
}

std::uint32_t SysStringByteLen(BSTR text) { return text ? byteLength(text) : 0; }

std::uint32_t SysStringLen(BSTR text) { return SysStringByteLen(text) / sizeof(OLECHAR); }

BSTR SysAllocStringFromShiftJis(std::string_view text)
{
    const std::string utf16 = convertWithIconv("UTF-16LE", "CP932", text);
    const std::uint32_t length = static_cast<std::uint32_t>(utf16.size() / sizeof(OLECHAR));
    BSTR result = SysAllocStringLen(nullptr, length);
    if (result) {
        for (std::uint32_t i = 0; i < length; ++i) {
            result[i] = static_cast<OLECHAR>(static_cast<unsigned char>(utf16[2 * i]) |
                                             static_cast<unsigned char>(utf16[2 * i + 1]) << 8);
        }
    }
    return result;
}

std::string bstrToUtf8(BSTR text)
{
    const std::uint32_t length = SysStringLen(text);
    std::string utf16;
    utf16.reserve(std::size_t{length} * 2);
    for (std::uint32_t i = 0; i < length; ++i) {
        utf16 += static_cast<char>(text[i] & 0xFF);
        utf16 += static_cast<char>(text[i] >> 8);
    }
    return convertWithIconv("UTF-8", "UTF-16LE", utf16);
}

}  // namespace quibo::platform
