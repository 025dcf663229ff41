#include "pagemaker/PellmintApp.h"

#include "pagemaker/ShellOperations.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace quibo::pagemaker {

std::string temporaryFolder()
{
    const char* tmpdir = std::getenv("TMPDIR");
    std::string folder = tmpdir != nullptr && *tmpdir != '\0' ? tmpdir : "/tmp";
    if (folder.back() != '/') {
        folder += '/';
    }
    return folder.size() <= MAX_PATH_LENGTH ? folder : std::string();
}

bool PellmintApp::createWorkArea(const std::string& tempFolder, int processId)
{
    if (tempFolder.empty()) {
        return false;
    }
    std::string path = tempFolder + "pellmint" + std::to_string(processId);
    if (pathExists(path)) {
        // A leftover of an earlier run with the same id is never reused.
        const std::string taken = path;
        for (long counter = 0;; ++counter) {
            if (counter > INT_MAX) {
                return false;
            }
            path = taken + "_" + std::to_string(counter);
            if (!pathExists(path)) {
                break;
            }
        }
    }
    if (::mkdir(path.c_str(), 0700) != 0) {
        return false;
    }
    m_workArea = path;
    return true;
}

void PellmintApp::removeWorkArea()
{
    if (m_workArea.empty()) {
        return;
    }
    const std::string parent = std::filesystem::path(m_workArea).parent_path().string();
    if (::chdir(parent.c_str()) != 0) {
        return;
    }
    std::error_code ignored;
    std::filesystem::remove_all(m_workArea, ignored);
}

}  // namespace quibo::pagemaker
