// Shift_JIS (code page 932) bytes of a u8 literal, for tests of the control
// shell, whose text is Shift_JIS (narrow literals are EUC-JP in our builds).
#pragma once

#include "platform/IconvText.h"

#include <string>

namespace quibo::test {

inline std::string sjis(const char8_t* text)
{
    return platform::convertWithIconv("CP932", "UTF-8", reinterpret_cast<const char*>(text));
}

}  // namespace quibo::test
