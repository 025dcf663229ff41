// The converter over untrusted text: the first two bytes choose the output and
// input codes, the rest is the text.  Any bytes must convert without a crash,
// and the result must keep the rules callers rely on.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "analysis/CodeConverter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const int outputCode = data[0] & 0x3F;
    const int inputCode = data[1] & 0x3F;
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);

    quibo::CodeConverter converter(text);
    const std::string result = converter.convert(outputCode, inputCode);

    if (result.size() > 5 * text.size() + 1024)
        std::abort();
    if (result.find('\0') != std::string::npos)
        std::abort();
    if ((outputCode & quibo::CodeConverter::MIME) && result.find_first_of("\t\n\r") != std::string::npos)
        std::abort();
    if (result != converter.resultText())
        std::abort();
    return 0;
}
