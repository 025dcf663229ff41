// A registry file of the test's own in a fresh temporary folder, in force
// (through QUIBO_REGISTRY) while the object lives.
#pragma once

#include "tests/support/TempFolder.h"

#include <fstream>
#include <string>

namespace quibo::test {

// UTF-8 bytes of a u8 literal (narrow literals are EUC-JP in our builds).
inline std::string utf8(const char8_t* text)
{
    return std::string(reinterpret_cast<const char*>(text));
}

class TempRegistry {
public:
    explicit TempRegistry(const std::string& contents)
    {
        std::ofstream(m_file, std::ios::binary) << contents;
    }
    TempRegistry(const TempRegistry&) = delete;
    TempRegistry& operator=(const TempRegistry&) = delete;

    const std::string& file() const { return m_file; }

private:
    TempFolder m_folder{"quibo-registry"};
    std::string m_file = m_folder.path() + "/registry";
    ScopedEnvironmentVariable m_variable{"QUIBO_REGISTRY", m_file};
};

}  // namespace quibo::test
