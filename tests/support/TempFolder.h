// A fresh folder below the temporary folder, removed with everything in it
// when the object goes away.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace quibo::test {

// What `command` (run by the shell) printed on its standard output.
inline std::string commandOutput(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return out;
    }
    char block[1024];
    while (std::fgets(block, sizeof block, pipe) != nullptr) {
        out += block;
    }
    pclose(pipe);
    return out;
}

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quibo-test-XXXXXX").string();
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
    std::string path(const std::string& relative) const { return m_path + "/" + relative; }

    // Writes `bytes` to the file at `relative`, making its folders.
    std::string write(const std::string& relative, const std::string& bytes) const
    {
        const std::filesystem::path target = path(relative);
        std::filesystem::create_directories(target.parent_path());
        std::ofstream(target, std::ios::binary | std::ios::trunc) << bytes;
        return target.string();
    }
    std::string read(const std::string& relative) const { return readFile(path(relative)); }

    static std::string readFile(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    // Every path below the folder, relative to it and sorted ("a", "a/b").
    std::string listing() const
    {
        std::string out;
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_path)) {
            names.push_back(std::filesystem::relative(entry.path(), m_path).string());
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            out += name + "\n";
        }
        return out;
    }

private:
    std::string m_path;
};

}  // namespace quibo::test
