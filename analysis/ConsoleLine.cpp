#include "analysis/ConsoleLine.h"

#include "analysis/CodeConverter.h"

#include <cstdio>

namespace quibo {

void writeConsoleLine(const std::string& eucText)
{
    const std::string line = CodeConverter(eucText).convert(CodeConverter::UTF8, CodeConverter::EUC);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace quibo
