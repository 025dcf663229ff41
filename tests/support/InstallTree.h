// Install trees for the analyser's tests: the one the build lays out, and
// throw-away trees in a temporary folder whose files are links to the
// build's or small files of the test's own.  Either is put in force through
// a registry file of the test's own (QUIBO_REGISTRY).
#pragma once

#include "tests/support/TempRegistry.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace quibo::test {

// The product key's section of a registry file (UTF-8).
inline std::string productSection()
{
    return utf8(u8"[HKEY_LOCAL_MACHINE\\SOFTWARE\\NEVLA\\QUIBOシステム\\3.1]\n");
}

// The install tree's resources, relative to INSTALLPATH.
inline constexpr const char* DOSK_DICTIONARY = "dosk/dosk.dic";
inline constexpr const char* NETWORK = "QUIBO3.1/data/pstorage";
inline constexpr const char* MEANING_RULES = "QUIBO3.1/data/mean_dictionary.dat";
inline constexpr const char* NUMBER_SYNONYMS = "QUIBO3.1/data/numsyn.txt";

// The rc path the control hands the analyser: a file in the install's
// "juman" folder, of which only the folder counts.
inline std::string rcPathIn(const std::string& installDirectory)
{
    return installDirectory + "juman/win_.jumanrc20";
}

class TemporaryInstallTree {
public:
    TemporaryInstallTree()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quibo-tree-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        m_root = pattern + "/";
        m_registry = std::make_unique<TempRegistry>(productSection() + "INSTALLPATH=" + m_root + "\n");
    }
    ~TemporaryInstallTree()
    {
        m_registry.reset();
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }
    TemporaryInstallTree(const TemporaryInstallTree&) = delete;
    TemporaryInstallTree& operator=(const TemporaryInstallTree&) = delete;

    // INSTALLPATH of the tree, ending with '/'.
    const std::string& root() const { return m_root; }
    std::string path(const std::string& relative) const { return m_root + relative; }

    // The build's file at the same place in this tree.
    void linkFromBuild(const std::string& relative) const
    {
        const std::filesystem::path target = path(relative);
        std::filesystem::create_directories(target.parent_path());
        std::filesystem::create_symlink(std::string(QUIBO_INSTALL_TREE) + "/" + relative, target);
    }
    void linkAllFromBuild() const
    {
        for (const char* relative : {DOSK_DICTIONARY, NETWORK, MEANING_RULES, NUMBER_SYNONYMS}) {
            linkFromBuild(relative);
        }
    }
    void write(const std::string& relative, const std::string& bytes) const
    {
        const std::filesystem::path target = path(relative);
        std::filesystem::create_directories(target.parent_path());
        std::ofstream(target, std::ios::binary | std::ios::trunc) << bytes;
    }
    void remove(const std::string& relative) const { std::filesystem::remove(path(relative)); }

private:
    std::string m_root;
    std::unique_ptr<TempRegistry> m_registry;
};

// The build's install tree in force through a registry file naming it.
class BuildInstallTree {
public:
    BuildInstallTree() : m_registry(productSection() + "INSTALLPATH=" + root() + "\n") {}
    static std::string root() { return std::string(QUIBO_INSTALL_TREE) + "/"; }

private:
    TempRegistry m_registry;
};

// Runs in a working directory while the object lives.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::string& folder) : m_previous(std::filesystem::current_path())
    {
        std::filesystem::current_path(folder);
    }
    ~WorkingDirectory()
    {
        std::error_code ignored;
        std::filesystem::current_path(m_previous, ignored);
    }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    std::filesystem::path m_previous;
};

}  // namespace quibo::test
