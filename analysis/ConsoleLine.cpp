#include "analysis/ConsoleLine.h"

#include "analysis/CodeConverter.h"

namespace quibo {

namespace {

std::FILE* g_console = nullptr;  // null: standard output

}  // namespace

void setConsoleStream(std::FILE* stream)
{
    g_console = stream;
}

std::FILE* consoleStream()
{
    return g_console ? g_console : stdout;
}

void writeConsoleLine(const std::string& eucText)
{
    const std::string line = CodeConverter(eucText).convert(CodeConverter::UTF8, CodeConverter::EUC);
    std::FILE* console = consoleStream();
    std::fwrite(line.data(), 1, line.size(), console);
    std::fputc('\n', console);
    std::fflush(console);
}

}  // namespace quibo
