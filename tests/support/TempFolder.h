// Test scaffolding of the process's surroundings: a fresh temporary folder
// removed with its contents, and an environment variable set for a while.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <unistd.h>

namespace quibo::test {

class TempFolder {
public:
    explicit TempFolder(const std::string& prefix)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        m_path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// Sets the variable while the object lives; what it was comes back after.
class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(const char* name, const std::string& value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) {
            m_previous = old;
        }
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironmentVariable()
    {
        if (m_previous) {
            setenv(m_name.c_str(), m_previous->c_str(), 1);
        } else {
            unsetenv(m_name.c_str());
        }
    }
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_previous;
};

}  // namespace quibo::test
