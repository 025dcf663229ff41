// Diagnostic lines of the engine's readers.  Engine text is EUC-JP; the
// console of this system speaks UTF-8, so a line is converted here, the one
// place where such lines are written.
#pragma once

#include <string>

namespace quibo {

// Writes `eucText` and a line end to standard output.
void writeConsoleLine(const std::string& eucText);

}  // namespace quibo
