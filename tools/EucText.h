// Conversion between UTF-8 and EUC-JP for the install-data tools, with the
// same Windows-compatible mapping as the engine's literals.  (The tools are
// compiled like the engine, so their own narrow literals are EUC-JP.)
#pragma once

#include <string>

namespace quibo::tools {

// False when some character has no EUC-JP form (or the input is not UTF-8).
bool toEucJp(const std::string& utf8, std::string& euc);
// False when the input is not EUC-JP.
bool toUtf8(const std::string& euc, std::string& utf8);

}  // namespace quibo::tools
