#include "meaning/MeanConsole.h"

#include "analysis/CodeConverter.h"

#include <iostream>
#include <string>

namespace quibo {

namespace {
CodeConverter consoleConverter;
}

void writeMeanConsoleLine(std::string_view eucText)
{
    consoleConverter.setInputText(std::string(eucText));
    std::cout << consoleConverter.convert(CodeConverter::UTF8, CodeConverter::EUC) << '\n';
}

}  // namespace quibo
