// A cache home of the test's own in a fresh temporary folder, in force
// (through XDG_CACHE_HOME) while the object lives; downloads land in its
// "orvane" folder.
#pragma once

#include "tests/support/TempFolder.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace quibo::test {

class TempCacheHome {
public:
    const std::string& home() const { return m_home.path(); }
    std::string folder() const { return home() + "/orvane/"; }

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
    TempFolder m_home{"quibo-cache"};
    ScopedEnvironmentVariable m_variable{"XDG_CACHE_HOME", m_home.path()};
};

}  // namespace quibo::test
