// A registry file of the test's own in a fresh temporary folder, in force
// (through QUIBO_REGISTRY) while the object lives.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>

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
        std::string pattern = (std::filesystem::temp_directory_path() / "quibo-registry-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        m_folder = pattern;
        m_file = (m_folder / "registry").string();
        std::ofstream(m_file, std::ios::binary) << contents;
        if (const char* old = std::getenv("QUIBO_REGISTRY")) {
            m_previous = old;
        }
        setenv("QUIBO_REGISTRY", m_file.c_str(), 1);
    }
    ~TempRegistry()
    {
        if (m_previous) {
            setenv("QUIBO_REGISTRY", m_previous->c_str(), 1);
        } else {
            unsetenv("QUIBO_REGISTRY");
        }
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    TempRegistry(const TempRegistry&) = delete;
    TempRegistry& operator=(const TempRegistry&) = delete;

    const std::string& file() const { return m_file; }

private:
    std::filesystem::path m_folder;
    std::string m_file;
    std::optional<std::string> m_previous;
};

}  // namespace quibo::test
