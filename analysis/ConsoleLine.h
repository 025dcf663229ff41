// Diagnostic lines of the engine's readers.  Engine text is EUC-JP; the
// console of this system speaks UTF-8, so a line is converted here, the one
// place where such lines are written.
#pragma once

#include <cstdio>
#include <string>

namespace quibo {

// Writes `eucText` and a line end to the console stream.
void writeConsoleLine(const std::string& eucText);

// Where console diagnostics go: standard output, unless the host directs
// them elsewhere (a program whose standard output is its result sends them
// to standard error).
void setConsoleStream(std::FILE* stream);
std::FILE* consoleStream();

}  // namespace quibo
