#include "analysis/ConsoleLine.h"

#include "analysis/CodeConverter.h"

#include <cstdlib>
#include <cstring>

namespace quibo {

namespace {

std::FILE* g_console = nullptr;  // null: as QUIBO_VERBOSE says
std::FILE* g_errors = nullptr;
thread_local std::string t_failure;

std::FILE* namedOrVerbose(std::FILE* named)
{
    if (named)
        return named;
    const char* verbose = std::getenv("QUIBO_VERBOSE");
    return verbose && *verbose && std::strcmp(verbose, "0") != 0 ? stderr : nullptr;
}

void writeLine(std::FILE* stream, const std::string& utf8Line)
{
    std::fwrite(utf8Line.data(), 1, utf8Line.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

std::string toUtf8(const std::string& eucText)
{
    return CodeConverter(eucText).convert(CodeConverter::UTF8, CodeConverter::EUC);
}

}  // namespace

void setConsoleStream(std::FILE* stream) { g_console = stream; }
std::FILE* consoleStream() { return namedOrVerbose(g_console); }
void setConsoleErrorStream(std::FILE* stream) { g_errors = stream; }
std::FILE* consoleErrorStream() { return namedOrVerbose(g_errors); }

void writeConsoleLine(const std::string& eucText)
{
    if (std::FILE* stream = consoleStream())
        writeLine(stream, toUtf8(eucText));
}

void writeConsoleErrorLine(const std::string& eucText)
{
    if (std::FILE* stream = consoleErrorStream())
        writeLine(stream, toUtf8(eucText));
}

void noteFailure(const std::string& utf8Text)
{
    t_failure = utf8Text;
    if (std::FILE* stream = consoleErrorStream())
        writeLine(stream, utf8Text);
}

std::string takeFailure()
{
    std::string failure;
    failure.swap(t_failure);
    return failure;
}

}  // namespace quibo
