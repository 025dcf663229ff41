// orvane-host and orvane-register: programs that use the control from
// outside, as a browser does.  The host creates the control by its ProgID
// through the registry file and drives it as a page's script does:
// Iinitialize with the knowledge URL, IgetReplyInfo for the greeting, then
// IsetUserQuestion, IgetReplyInfo and IgetExtensionInfo per question.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace quibo::orvane {

struct HostOptions {
    // One line per reply on standard output and nothing else.
    bool plain = false;
    // A file or URL; empty: the sample base of the install tree.
    std::string knowledge;
    // Questions, one a line (UTF-8); empty: standard input.
    std::string questionsFile;
    // Extension values to show after each reply (not in plain mode).
    std::vector<std::string> extensionNames;
    // --serve: the chat package folder to serve to a browser, and the port
    // on 127.0.0.1 (0: any free one).
    std::string serveFolder;
    int port = 0;
};

// The options of `arguments` (without the program name); nothing, with the
// reason in `error`, for arguments the host does not know.
std::optional<HostOptions> parseHostArguments(const std::vector<std::string>& arguments, std::string& error);

// The sample knowledge file of the install tree the registry file names.
std::string defaultKnowledgeFile();

// Converses over `questions`: 0, or 1 when the control cannot be created or
// initialised (the reason on `err`).
int runHost(const HostOptions& options, std::istream& questions, std::ostream& out, std::ostream& err);

// Serves options.serveFolder and the control to browsers on 127.0.0.1
// until SIGINT or SIGTERM: writes the address ("http://127.0.0.1:N/") as
// one line on `out` once it listens.  0, or 1 with the reason on `err`.
int serveFolder(const HostOptions& options, std::ostream& out, std::ostream& err);

// Loads the library and calls its DllRegisterServer (or, with
// `unregister`, DllUnregisterServer): 0, or 1 with the reason on `err`.
int registerLibrary(const std::string& libraryPath, bool unregister, std::ostream& err);

}  // namespace quibo::orvane
