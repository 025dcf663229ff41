// Pellmint's surroundings for a test: an install tree holding the project's
// page templates (data/pellmint), put in force through a registry file of
// the test's own, a work area, and a browser that records where it was sent.
#pragma once

#include "pagemaker/PageBuilder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TempRegistry.h"

#include <filesystem>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace quibo::test {

struct RecordingBrowser : pagemaker::Browser {
    void navigate(const std::string& path) override { pages.push_back(path); }
    void runScript(const std::string& script) override { scripts.push_back(script); }
    std::vector<std::string> pages;
    std::vector<std::string> scripts;
};

// The build's sample knowledge resource file (a tar holding sample.pdata).
inline std::string sampleResource()
{
    return std::string(QUIBO_BINARY_DIR) + "/data/sample.res";
}

class PellmintTree {
public:
    PellmintTree()
    {
        std::filesystem::create_directories(m_root.path("install/QUIBO3.1"));
        {
            // As the build installs them: each template with the shared scripts.
            const std::string source = std::string(QUIBO_SOURCE_DIR) + "/data/pellmint";
            std::filesystem::copy(source + "/templates", templateRoot(), std::filesystem::copy_options::recursive);
            for (const auto& folder : std::filesystem::directory_iterator(templateRoot())) {
                std::filesystem::copy(source + "/common", folder.path() / "parts",
                                      std::filesystem::copy_options::recursive);
            }
        }
        ::mkdir(workArea().c_str(), 0700);
        m_registry = std::make_unique<TempRegistry>(
            utf8(u8"[HKEY_LOCAL_MACHINE\\SOFTWARE\\NEVLA\\QUIBOシステム\\3.1]\n") +
            "INSTALLPATH=" + m_root.path("install/") + "\n");
    }

    std::string templateRoot() const { return m_root.path("install/QUIBO3.1/pellmint"); }
    std::string workArea() const { return m_root.path("work"); }
    std::string workFolder() const { return m_root.path("work/test"); }
    const TempFolder& root() const { return m_root; }

private:
    TempFolder m_root;
    std::unique_ptr<TempRegistry> m_registry;
};

}  // namespace quibo::test
