// Diagnostic lines of the engine, on its two console streams: progress and
// the warnings of its readers on the one, errors on the other (standard
// output and standard error, on the system the engine was written for).  A
// library never writes on the standard streams of the process that loads
// it, so both are off unless a developer switches them on: the environment
// variable QUIBO_VERBOSE (set, not empty and not "0") sends both to
// standard error, and a program may name streams of its own.  Engine text
// is EUC-JP; the console of this system speaks UTF-8, so a line is
// converted here, the one place where such lines are written.
#pragma once

#include <cstdio>
#include <string>

namespace quibo {

// Writes `eucText` and a line end to the console stream, or to the error
// stream, when there is one.
void writeConsoleLine(const std::string& eucText);
void writeConsoleErrorLine(const std::string& eucText);

// Where the lines go: the stream a program named; else standard error when
// QUIBO_VERBOSE asks for them; else nowhere (null).  Naming null goes back
// to that default.
void setConsoleStream(std::FILE* stream);
std::FILE* consoleStream();
void setConsoleErrorStream(std::FILE* stream);
std::FILE* consoleErrorStream();

// Why the engine's last set-up or load on this thread failed: what failed
// and which file, in UTF-8 (the words are ASCII, file names are UTF-8 on
// this system).  noteFailure also writes the text on the error stream;
// takeFailure hands it over and forgets it.
void noteFailure(const std::string& utf8Text);
std::string takeFailure();

}  // namespace quibo
