// The meaning-dictionary reader over arbitrary deciphered rule text: every
// line shape must be reported or read, never crash or read out of bounds.
#include "meaning/MeanDictionary.h"

#include <cstddef>
#include <cstdint>
#include <iostream>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The diagnostics are the reader's business, not the fuzzer's.
    static const bool quiet = [] {
        std::cout.setstate(std::ios::badbit);
        return true;
    }();
    (void)quiet;
    quibo::MeanDictionary dictionary;
    dictionary.initPosCodes();
    dictionary.initNameTable();
    dictionary.readText(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
