// The program's start and end: a private work area below the temporary
// folder, the main window run with it, and the work area's removal at exit.
#pragma once

#include <string>

namespace quibo::pagemaker {

inline constexpr const char* MSG_NO_WORK_AREA = "作業用領域を作成することができませんでした。";

// TMPDIR when it is set and not empty, else "/tmp", ending with '/'; empty
// when that is longer than the 260 characters the tool allowed for it.
std::string temporaryFolder();

class PellmintApp {
public:
    // Creates the work area below `tempFolder` (ending with '/'): "pellmint"
    // and the process id, or, when that exists, the first of its "_0", "_1",
    // ... suffixes that does not, with mode 0700.  False when none could be
    // made.
    bool createWorkArea(const std::string& tempFolder, int processId);
    // Removes the work area with everything in it, leaving its parent the
    // current directory; failure is silent.
    void removeWorkArea();

    const std::string& workArea() const { return m_workArea; }

private:
    std::string m_workArea;
};

}  // namespace quibo::pagemaker
