// The main window's model: the author's settings, the checks of every input
// before any file work, the fixed order of the builder's steps for Test and
// Make, and the one message each failure shows.  The GTK window copies its
// fields into the model as they change, calls the handlers, and shows what
// the model holds afterwards.
#pragma once

#include "pagemaker/DialogFront.h"
#include "pagemaker/PageBuilder.h"

#include <string>
#include <vector>

namespace quibo::pagemaker {

inline constexpr const char* PELLMINT_TITLE = "Pellmint";
inline constexpr const char* DEFAULT_SERVLET_URL = "/servlet++/omi_service";
inline constexpr const char* BUILT_IN_DOWNLOAD_URL = "https://orvane.example/download/OrvaneSetup.exe";
inline constexpr std::size_t CHAT_NAME_LIMIT = 32;  // bytes

// The main window's controls, by the ids the model's queries name them with.
inline constexpr int ID_SERVER_MODE = 1052, ID_SERVER_NAME_LABEL = 1026, ID_SERVER_NAME = 1053,
                     ID_SERVLET_LABEL = 1027, ID_SERVLET = 1018, ID_CHAT_LABEL = 1028, ID_CHAT = 1019,
                     ID_DOWNLOAD_LABEL = 1056, ID_DOWNLOAD = 1055, ID_TEMPLATE = 1012, ID_REPLY_FONT = 1004,
                     ID_INPUT_FONT = 1005, ID_PREVIEW = 1017, ID_RESOURCE = 1006, ID_BROWSE = 1007,
                     ID_TEST = 1013, ID_MAKE = 1008, ID_CLOSE = 2;

// The download address of the player: the registry's "OrvaneDefaultDlUrl"
// when it is set and not empty, else the built-in address.
std::string readDefaultDownloadUrl();

class PellmintDlg {
public:
    // `startFolder` is the current directory when the program started: the
    // builder changes the current directory, so a resource path typed
    // relative to it is resolved against the folder it was typed in.
    PellmintDlg(DialogFront& front, Browser* preview, std::string workArea, std::string startFolder);

    static const std::vector<std::string>& serverNames();

    // Initialisation: false when the window is to be destroyed (its message
    // was shown).
    bool initDialog();

    // Event handlers.
    void onServerToggle();
    void onTemplateChange(int index);
    void onReplyFont() { m_builder.replyStyle().choose(m_front); }
    void onInputFont() { m_builder.inputStyle().choose(m_front); }
    void onBrowse();
    void onDroppedFiles(const std::vector<std::string>& paths);
    void test();
    void make();
    // True when a key-down is swallowed before the window sees it.
    static bool swallowsKey(Key key, bool inPreview);
    // Whether the control takes input now: the server's settings only in
    // server mode, the download address only in local mode, the rest always.
    bool isEnabled(int control) const;

    // Checks the inputs and assembles the package in the work folder; `name`
    // receives the knowledge file's new base name when Make renamed it.
    bool validateAndPrepare(std::string& name, bool testMode);

    static bool hasResExtension(const std::string& path);
    static bool containsForbidden(const std::string& name);
    static void splitName(const std::string& path, std::string& base, std::string& extension);

    // The fields, as the window's controls hold them.
    std::string m_resourcePath;
    int m_templateIndex = -1;
    std::string m_servletUrl;
    int m_serverMode = 0;
    std::string m_serverName;
    std::string m_chatName;
    std::string m_downloadUrl;

    const std::vector<std::string>& templates() const { return m_templates; }
    PageBuilder& builder() { return m_builder; }

private:
    DialogFront& m_front;
    Browser* m_preview;
    std::string m_workArea;
    std::string m_startFolder;
    PageBuilder m_builder;
    std::vector<std::string> m_templates;
};

}  // namespace quibo::pagemaker
