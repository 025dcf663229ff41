#include "pagemaker/PageBuilder.h"

#include "pagemaker/ShellOperations.h"
#include "pagemaker/Tar32Library.h"
#include "platform/Registry.h"
#include "platform/tar32/Tar32.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quibo::pagemaker {
namespace {

constexpr const char* TEMPLATE_ROOT = "QUIBO3.1/pellmint";
constexpr const char* WORK_FOLDER = "test";
constexpr const char* THUMBNAIL_PAGE = "/thumbnail/view.html";
constexpr const char* PARTS_FOLDER = "/parts";
constexpr const char* LIST_FILE = "../quibo_tgz.in";
constexpr const char* EXTRACT_OPTIONS = "-x --display-dialog=0 ";
constexpr const char* CREATE_OPTIONS = "-cz --display-dialog=0 ";
constexpr std::uint32_t TAR_OUTPUT_SIZE = 1000;

bool isFolder(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isFile(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// A path that the archiver's command line or list file could not carry: a
// double quote would end its quoting, a line break its line.
bool unquotable(const std::string& path)
{
    return path.find_first_of("\"\r\n") != std::string::npos;
}

bool endsWithNoCase(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() &&
           ::strcasecmp(text.c_str() + text.size() - suffix.size(), suffix.c_str()) == 0;
}

std::string colourText(std::uint32_t colour)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour & 0xFF, (colour >> 8) & 0xFF,
                  (colour >> 16) & 0xFF);
    return text;
}

bool writeWhole(const std::string& path, const std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    bool ok = true;
    for (std::size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        ok = n > 0;
        done += ok ? static_cast<std::size_t>(n) : 0;
    }
    return ::close(fd) == 0 && ok;
}

// Length of the UTF-8 sequence starting at `text[i]`, or 0 when none starts
// there.
std::size_t utf8SequenceLength(const std::string& text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high) {
        return 0;
    }
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) {
            return 0;
        }
    }
    return length;
}

}  // namespace

std::string readInstallPath()
{
    return platform::readProductString("INSTALLPATH");
}

std::string toUtf8(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8SequenceLength(text, i);
        if (length == 0) {
            return {};
        }
        i += length;
    }
    return text;
}

std::string javaScriptString(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (u < 0x20 || u == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", u);
            out += escaped;
        } else if (c == '<' && i + 1 < text.size() && text[i + 1] == '/') {
            // "</script" would close the element that may hold the script.
            out += "<\\/";
            ++i;
        } else if (u == 0xE2 && text.compare(i + 1, 2, "\x80\xA8") == 0) {
            out += "\\u2028";  // line and paragraph separators end a line in older engines
            i += 2;
        } else if (u == 0xE2 && text.compare(i + 1, 2, "\x80\xA9") == 0) {
            out += "\\u2029";
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

PageBuilder::PageBuilder(std::function<void(const std::string&)> showMessage)
    : m_showMessage(std::move(showMessage)), m_archiver(TAR32_LIBRARY)
{
}

bool PageBuilder::init(Browser* preview, const std::string& workArea)
{
    m_workArea = workArea;
    m_workFolder = workArea + "/" + WORK_FOLDER;
    if (::mkdir(m_workFolder.c_str(), 0700) != 0) {
        return false;
    }
    if (preview == nullptr || !findTemplateRoot() || !listTemplates()) {
        m_ready = false;
        return false;
    }
    m_preview = preview;
    if (m_ready) {
        showThumbnail(0);
    }
    return true;
}

bool PageBuilder::findTemplateRoot()
{
    const std::string install = readInstallPath();
    if (install.empty()) {
        return false;
    }
    m_templateRoot = install + TEMPLATE_ROOT;
    return true;
}

bool PageBuilder::listTemplates()
{
    m_templates.clear();
    std::vector<std::string> names;
    if (!folderEntries(m_templateRoot, names)) {
        // An install without a template folder has no templates; any other
        // failure to read it is an error.
        return errno == ENOENT || errno == ENOTDIR;
    }
    bool dropped = false;
    for (const std::string& name : names) {
        const std::string folder = m_templateRoot + "/" + name;
        if (!isFolder(folder)) {
            continue;
        }
        if ((folder + THUMBNAIL_PAGE).size() > MAX_PATH_LENGTH) {
            dropped = true;
            continue;
        }
        m_templates.push_back(name);
    }
    if (dropped && m_showMessage) {
        m_showMessage("不正なテンプレートパスを削除しました");
    }
    return true;
}

void PageBuilder::templateNames(std::vector<std::string>& names) const
{
    names.insert(names.end(), m_templates.begin(), m_templates.end());
}

bool PageBuilder::showThumbnail(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_templates.size()) {
        return true;
    }
    const std::string path = m_templateRoot + "/" + m_templates[index] + THUMBNAIL_PAGE;
    if (path.size() > MAX_PATH_LENGTH) {
        return false;
    }
    if (m_preview != nullptr) {
        m_preview->navigate(path);
    }
    m_current = index;
    return true;
}

bool PageBuilder::prepareWorkFolder()
{
    if (!clearFolder(m_workFolder, m_workArea)) {
        return false;
    }
    if (m_current < 0 || static_cast<std::size_t>(m_current) >= m_templates.size()) {
        return false;
    }
    if (!copyFolderContents(m_templateRoot + "/" + m_templates[m_current] + PARTS_FOLDER,
                            m_workFolder)) {
        return false;
    }
    for (const std::string& cache : {scriptFolder() + "/Thumbs.db", m_workFolder + "/Thumbs.db"}) {
        if (pathExists(cache) && !deletePath(cache)) {
            return false;
        }
    }
    return true;
}

bool PageBuilder::checkResource(const std::string& resourcePath) const
{
    m_failure.clear();
    const std::unique_ptr<Tar32Library> library = Tar32Library::load(m_archiver);
    const auto check = library ? library->entry<TarCheckArchiveFunction>("TarCheckArchive") : nullptr;
    if (check == nullptr) {
        m_failure = "the archiver library cannot be used";
        return false;
    }
    const std::string copy = resourcePath;
    if (check(copy.c_str(), 0) == 0) {
        m_failure = resourcePath + " is not a whole tar archive";
        return false;
    }
    return true;
}

bool PageBuilder::extractResource(const std::string& resourcePath) const
{
    m_failure.clear();
    if (unquotable(resourcePath) || unquotable(m_workFolder)) {
        m_failure = "the path " + (unquotable(resourcePath) ? resourcePath : m_workFolder) +
                    " holds a double quote or a line end, which the archiver cannot be given";
        return false;
    }
    const std::string command = std::string(EXTRACT_OPTIONS) + "\"" + resourcePath + "\" -o \"" +
                                m_workFolder + "\"";
    const std::unique_ptr<Tar32Library> library = Tar32Library::load(m_archiver);
    if (!library) {
        return false;
    }
    const auto tar = library->entry<TarFunction>("Tar");
    const auto open = library->entry<TarOpenArchiveFunction>("TarOpenArchive");
    const auto close = library->entry<TarCloseArchiveFunction>("TarCloseArchive");
    const auto findFirst = library->entry<TarFindFirstFunction>("TarFindFirst");
    const auto findNext = library->entry<TarFindNextFunction>("TarFindNext");
    if (!tar || !open || !close || !findFirst || !findNext) {
        m_failure = "the archiver library cannot be used";
        return false;
    }
    char output[TAR_OUTPUT_SIZE + 1] = {};
    tar(nullptr, command.c_str(), output, TAR_OUTPUT_SIZE);
    // A refused or damaged archive says so (which member, and why); its
    // members must not count as arrived because files of the same names
    // happen to be there.
    if (output[0] != '\0') {
        m_failure = output;
        return false;
    }
    const TAR32_HANDLE archive = open(nullptr, resourcePath.c_str(), 0);
    if (archive == nullptr) {
        m_failure = resourcePath + " cannot be read again";
        return false;
    }
    TarMemberInfo info{};
    for (int found = findFirst(archive, "*.*", &info); found == 0; found = findNext(archive, &info)) {
        // The package's list of files quotes every name: a name the list
        // cannot carry would fail only when the package is made.
        if (unquotable(info.fileName)) {
            m_failure = std::string("the member ") + info.fileName +
                        " holds a double quote or a line end, which a package cannot carry";
            break;
        }
        if (!pathExists(m_workFolder + "/" + info.fileName)) {
            m_failure = std::string("the member ") + info.fileName + " did not arrive in the work folder";
            break;
        }
    }
    close(archive);
    return m_failure.empty();
}

bool PageBuilder::existsInWork(const std::string& fileName) const
{
    return pathExists(m_workFolder + "/" + fileName);
}

bool PageBuilder::fitsInWork(const std::string& fileName) const
{
    return (m_workFolder + "/" + fileName).size() <= MAX_PATH_LENGTH;
}

bool PageBuilder::findPdata(std::string& path) const
{
    std::vector<std::string> names;
    if (!folderEntries(m_workFolder, names)) {
        return false;
    }
    for (const std::string& name : names) {
        if (endsWithNoCase(name, ".pdata") && isFile(m_workFolder + "/" + name)) {
            path = m_workFolder + "/" + name;
            return true;
        }
    }
    return false;
}

bool PageBuilder::renameInWork(const std::string& newName, const std::string& oldName) const
{
    const std::string destination = m_workFolder + "/" + newName;
    if (destination.size() > MAX_PATH_LENGTH) {
        return false;
    }
    return renamePath(m_workFolder + "/" + oldName, destination);
}

std::string PageBuilder::customJsText(const PackageSettings& settings) const
{
    const bool server = settings.mode == 1;
    const auto value = [](const std::string& text) { return javaScriptString(toUtf8(text)); };
    std::string js;
    if (server) {
        js += "var\tquibo_server_name = \"\" ;\n";
        js += "var\tquibo_servlet_name = \"\" ;\n";
        js += "var\tquibo_chat_name = \"\" ;\n";
    } else {
        js += "var\tquibo_pdata_name = \"\" ;\n";
        js += "var\torvane_download_url = \"\" ;\n";
    }
    js += "function\tquiboCustom()\n{\n";
    if (!server) {
        js += "quibo_pdata_name = \"" + value(m_pdataName) + "\" ;\n";
    }
    for (const auto& [name, style] : {std::pair<const char*, const TextStyle*>{"quibo-input", &m_inputStyle},
                                      {"quibo-output", &m_replyStyle}}) {
        if (!style->face.empty()) {
            js += std::string("changeQuiboFont(\"") + name + "\", \"'" + value(style->face) + "'\") ;\n";
        }
        js += std::string("changeQuiboColor(\"") + name + "\", \"" + colourText(style->colour) + "\") ;\n";
    }
    if (server) {
        js += "quibo_server_name = \"" + value(settings.serverName) + "\" ;\n";
        js += "quibo_servlet_name = \"" + value(settings.servletUrl) + "\" ;\n";
        js += "quibo_chat_name = \"" + value(settings.chatName) + "\" ;\n";
    } else {
        js += "orvane_download_url = \"" + value(settings.downloadUrl) + "\" ;\n";
    }
    js += "}\n";
    return js;
}

bool PageBuilder::writeCustomJs(const PackageSettings& settings) const
{
    return writeWhole(scriptFolder() + "/custom.js", customJsText(settings));
}

bool PageBuilder::switchScripts(bool serverMode) const
{
    const std::string local = scriptFolder() + "/lib_chat.js";
    const std::string server = scriptFolder() + "/lib_chats.js";
    if (!serverMode) {
        return !pathExists(server) || deletePath(server);
    }
    if (pathExists(local) && !deletePath(local)) {
        return false;
    }
    return renamePath(server, local);
}

bool PageBuilder::removePlayer() const
{
    const std::string player = m_workFolder + "/mp3player.swf";
    return !pathExists(player) || deletePath(player);
}

void PageBuilder::collectFiles(std::vector<std::string>& list, const std::string& prefix,
                               bool serverMode) const
{
    std::vector<std::string> names;
    folderEntries(prefix.empty() ? "." : prefix, names);
    for (const std::string& name : names) {
        const std::string path = prefix.empty() ? name : prefix + "/" + name;
        if (isFolder(path)) {
            collectFiles(list, path, serverMode);
        } else if (isFile(path)) {
            if (serverMode && name.find(".pdata") != std::string::npos) {
                continue;
            }
            if (name.find(".kb") != std::string::npos) {
                continue;
            }
            list.push_back(path);
        }
    }
}

bool PageBuilder::makeArchive(const std::string& outputPath, bool serverMode) const
{
    if (::chdir(m_workFolder.c_str()) != 0) {
        return false;
    }
    std::vector<std::string> files;
    collectFiles(files, "", serverMode);
    if (unquotable(outputPath) ||
        std::any_of(files.begin(), files.end(), [](const std::string& f) { return unquotable(f); })) {
        return false;
    }

    {
        std::ofstream list(LIST_FILE, std::ios::binary | std::ios::trunc);
        list << "--\r\n";
        for (const std::string& file : files) {
            list << '"' << file << "\"\r\n";
        }
        list.close();
        if (!list) {
            return false;
        }
    }

    // The package is written under a temporary name beside its place and
    // renamed into place only when it is whole, so that a failure never
    // leaves a truncated package where a good one was.
    std::string temporary = outputPath + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        return false;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const bool made = ::fchmod(fd, 0666 & ~mask) == 0;
    ::close(fd);
    const std::string command = std::string(CREATE_OPTIONS) + "\"" + temporary + "\"  @" + LIST_FILE;

    bool result = false;
    if (made) {
        const std::unique_ptr<Tar32Library> library = Tar32Library::load(m_archiver);
        const auto tar = library ? library->entry<TarFunction>("Tar") : nullptr;
        if (tar != nullptr) {
            char output[TAR_OUTPUT_SIZE + 1] = {};
            tar(nullptr, command.c_str(), output, TAR_OUTPUT_SIZE);
            result = output[0] == '\0';
        }
    }
    if (result && std::rename(temporary.c_str(), outputPath.c_str()) != 0) {
        result = false;
    }
    if (!result) {
        ::unlink(temporary.c_str());
    }
    return result;
}

}  // namespace quibo::pagemaker
