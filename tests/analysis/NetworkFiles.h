// Small semantic networks for tests, built with the network builder from a
// readable source whose fields are separated by single spaces here.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/FealTool.h"
#include "tools/SemanticNetworkBuilder.h"

namespace quibo::testing_support {

inline std::string networkPlaintext(const char8_t* source)
{
    std::string text(reinterpret_cast<const char*>(source));
    std::replace(text.begin(), text.end(), ' ', '\t');
    std::istringstream in(text);
    tools::SemanticNetworkBuildReport report;
    std::string plaintext;
    const bool built = tools::buildSemanticNetwork(in, plaintext, report);
    std::string errors;
    for (const auto& e : report.errors) errors += e + "\n";
    EXPECT_TRUE(built) << errors;
    return plaintext;
}

inline std::string writeFile(const std::string& name, const std::string& bytes)
{
    const std::string path = ::testing::TempDir() + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return path;
}

// The enciphered "pstorage" of `source`, written to a temporary file.
inline std::string networkFile(const std::string& name, const char8_t* source)
{
    return writeFile(name, *tools::encipherImage(networkPlaintext(source)));
}

}  // namespace quibo::testing_support
