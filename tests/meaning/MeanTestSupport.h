// Helpers of the meaning-dictionary tests: rule text built from fields, rule
// files read from the test data and the console captured as UTF-8.
#pragma once

#include "analysis/CodeConverter.h"
#include "meaning/MeanDictionary.h"

#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>

namespace quibo::test {

// UTF-8 text written as u8"...", for comparing with the console.
inline std::string utf8(const char8_t* text)
{
    return reinterpret_cast<const char*>(text);
}

// One rule-file line: the fields joined by TABs inside one pair of
// parentheses (narrow literals are EUC-JP already).
inline std::string ruleLine(std::initializer_list<std::string> fields)
{
    std::string line = "(";
    for (const std::string& field : fields) {
        if (line.size() > 1) {
            line += "\t";
        }
        line += field;
    }
    return line + ")\n";
}

// Definitions most tests need: the "＊" feature for pca columns and a few
// named ones.
inline std::string basicDefinitions()
{
    return ruleLine({"#DEFDCA", "＊", "0", "0", "0", "0"}) + ruleLine({"#DEFDCA", "挨拶", "120", "0", "1", "0"}) +
           ruleLine({"#DEFDCA", "質問", "133", "0", "4", "0"}) + ruleLine({"#DEFDCA", "否定", "95", "3", "7", "0"});
}

// A rule whose meaning element is `element` and whose other groups are empty.
inline std::string simpleRule(const std::string& dca, const std::string& element)
{
    return ruleLine({dca, "＊", "I", "情報", "＊", "(" + element + ")", "(＊)", "(＊)", "(＊)", "(＊)"});
}

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string utf8ToEuc(const std::string& text)
{
    CodeConverter converter(text);
    return converter.convert(CodeConverter::EUC, CodeConverter::UTF8);
}

// Engine text as the console shows it.
inline std::string toConsole(const std::string& eucText)
{
    CodeConverter converter(eucText);
    return converter.convert(CodeConverter::UTF8, CodeConverter::EUC);
}

struct ReadResult {
    int result;
    std::string console;  // UTF-8
};

// Reads rule text into a dictionary prepared as load prepares it.
inline ReadResult readRules(MeanDictionary& dictionary, const std::string& eucText)
{
    dictionary.initPosCodes();
    dictionary.initNameTable();
    testing::internal::CaptureStdout();
    const int result = dictionary.readText(eucText);
    return {result, testing::internal::GetCapturedStdout()};
}

}  // namespace quibo::test
