// The package builder: finds the installed page templates, shows a
// template's thumbnail, assembles a chat package in the work folder (the
// template's pages, the members of the author's knowledge resource file and a
// generated custom.js), switches its scripts between server and local mode,
// and packs the work folder into a .tgz through the archiver library.
//
// Pellmint's text is UTF-8 throughout (the code page of GTK and of file
// names here); custom.js is written in UTF-8 with line feeds only.
// Operations return true on success and show no message, except the one
// notice of `listTemplates`.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quibo::pagemaker {

// A web view the builder can point at a page (the main window's preview, the
// test window).
class Browser {
public:
    virtual ~Browser() = default;
    // A file path, or an http:// address.
    virtual void navigate(const std::string& path) = 0;
    // Runs `script` in the page shown.
    virtual void runScript(const std::string& script) = 0;
};

class DialogFront;

// Face and colour of one kind of chat text.
struct TextStyle {
    // Red in the low byte, then green, then blue.
    std::uint32_t colour = 0;
    std::string face = "ＭＳ ゴシック";
    std::vector<std::string> faces = {"ＭＳ ゴシック", "ＭＳ 明朝", "Microsoft Sans Serif"};

    // Lets the author change face and colour in the font dialog; Cancel
    // leaves the style as it was.
    void choose(DialogFront& front);
};

// What custom.js is written from.
struct PackageSettings {
    int mode = 0;  // 1 server mode, 0 local mode
    std::string serverName;
    std::string servletUrl;
    std::string chatName;
    std::string downloadUrl;
};

// The install folder as the registry names it ("INSTALLPATH", ending with
// '/'), or empty when the key or the value is missing.
std::string readInstallPath();

// `text` as UTF-8: Pellmint's code page is UTF-8, so this checks the bytes;
// text that is not valid UTF-8 gives the empty text, as a failed conversion
// does.
std::string toUtf8(const std::string& text);

// `text` as the content of a double-quoted JavaScript string that cannot
// end the string, the line or an enclosing <script> element.
std::string javaScriptString(const std::string& text);

class PageBuilder {
public:
    // `showMessage` shows a message box (the dropped-templates notice).
    explicit PageBuilder(std::function<void(const std::string&)> showMessage);

    bool init(Browser* preview, const std::string& workArea);
    void templateNames(std::vector<std::string>& names) const;
    bool showThumbnail(int index);
    bool prepareWorkFolder();
    bool checkResource(const std::string& resourcePath) const;
    bool extractResource(const std::string& resourcePath) const;
    bool existsInWork(const std::string& fileName) const;
    bool fitsInWork(const std::string& fileName) const;
    bool findPdata(std::string& path) const;
    bool renameInWork(const std::string& newName, const std::string& oldName) const;
    void setPdataName(const std::string& fileName) { m_pdataName = fileName; }
    bool writeCustomJs(const PackageSettings& settings) const;
    bool switchScripts(bool serverMode) const;
    bool removePlayer() const;
    void indexPath(std::string& path) const { path = m_workFolder + "/index.html"; }
    bool makeArchive(const std::string& outputPath, bool serverMode) const;

    // The custom.js text for `settings` (what writeCustomJs writes).
    std::string customJsText(const PackageSettings& settings) const;

    const std::string& workFolder() const { return m_workFolder; }
    // Why the last check or extraction of a resource file failed (which
    // member, and why), for the message that tells the author.
    const std::string& failure() const { return m_failure; }
    int current() const { return m_current; }
    bool ready() const { return m_ready; }
    TextStyle& inputStyle() { return m_inputStyle; }
    TextStyle& replyStyle() { return m_replyStyle; }
    // The archiver library's name or path (tests load others).
    void setArchiver(const std::string& library) { m_archiver = library; }

private:
    bool findTemplateRoot();
    bool listTemplates();
    void collectFiles(std::vector<std::string>& list, const std::string& prefix,
                      bool serverMode) const;
    std::string scriptFolder() const { return m_workFolder + "/quibo"; }

    bool m_ready = true;
    std::string m_templateRoot;
    std::vector<std::string> m_templates;
    std::string m_workArea;
    std::string m_workFolder;
    Browser* m_preview = nullptr;
    TextStyle m_inputStyle;
    TextStyle m_replyStyle;
    int m_current = 0;
    std::string m_pdataName;
    std::function<void(const std::string&)> m_showMessage;
    std::string m_archiver;
    mutable std::string m_failure;
};

}  // namespace quibo::pagemaker
