// Whole-file FEAL-8 encipherment in the format that `FealFile` reads: the
// plaintext length N (signed 32-bit little-endian, in clear), then the
// plaintext in ECB blocks, the last one padded with zero bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "analysis/FealCipher.h"

namespace quibo::tools {

// The enciphered file image of `plain`; nullopt when it is too long for the
// format's 32-bit length.
std::optional<std::string> encipherImage(std::string_view plain,
                                         std::uint64_t key = FEAL_PROJECT_KEY);

// Enciphers or deciphers the file `in` into `out` with the project's key.
// Returns 0, or 1 with a message in `error`.
int encipherFile(const std::string& in, const std::string& out, std::string& error);
int decipherFile(const std::string& in, const std::string& out, std::string& error);

}  // namespace quibo::tools
