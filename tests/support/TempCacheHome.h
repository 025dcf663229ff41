// A cache home of the test's own in a fresh temporary folder, in force
// (through XDG_CACHE_HOME) while the object lives; downloads land in its
// "orvane" folder.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace quibo::test {

class TempCacheHome {
public:
    TempCacheHome()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quibo-cache-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        m_home = pattern;
        if (const char* old = std::getenv("XDG_CACHE_HOME")) {
            m_previous = old;
        }
        setenv("XDG_CACHE_HOME", m_home.c_str(), 1);
    }
    ~TempCacheHome()
    {
        if (m_previous) {
            setenv("XDG_CACHE_HOME", m_previous->c_str(), 1);
        } else {
            unsetenv("XDG_CACHE_HOME");
        }
        std::error_code ignored;
        std::filesystem::remove_all(m_home, ignored);
    }
    TempCacheHome(const TempCacheHome&) = delete;
    TempCacheHome& operator=(const TempCacheHome&) = delete;

    const std::string& home() const { return m_home; }
    std::string folder() const { return m_home + "/orvane/"; }

    // Names of the files in the cache folder, sorted.
    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(folder(), ec)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string m_home;
    std::optional<std::string> m_previous;
};

}  // namespace quibo::test
