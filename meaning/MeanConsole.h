// The one place where the meaning subsystem writes to the console.  Engine
// text is EUC-JP; the console speaks UTF-8, so each line is converted here,
// whole, just before it is written.
#pragma once

#include <string_view>

namespace quibo {

// Writes one line (EUC-JP, without its line feed) to standard output.
void writeMeanConsoleLine(std::string_view eucText);

}  // namespace quibo
