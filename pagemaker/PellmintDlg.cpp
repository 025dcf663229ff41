#include "pagemaker/PellmintDlg.h"

#include "pagemaker/PdataNameDlg.h"
#include "pagemaker/ShellOperations.h"
#include "pagemaker/TestDlg.h"
#include "platform/Registry.h"

#include <cstdio>
#include <strings.h>

namespace quibo::pagemaker {
namespace {

constexpr const char* MSG_INIT_FAILED = "初期化に失敗しました。";
constexpr const char* MSG_NO_THUMBNAIL = "テンプレートのサムネイル画像を読み込めませんでした。";
constexpr const char* MSG_NOT_RESOURCE = "リソースファイルを指定してください。";
constexpr const char* MSG_CHAT_NAME_LONG = "入力されたチャット名が長すぎます。短くしてからやり直して下さい。";
constexpr const char* MSG_CHAT_NAME_FORBIDDEN =
    "チャット名に使用できない文字が含まれています。\n"
    "全角文字、半角カタカナ、記号 /><?:\"\\*|; は使用できません";
constexpr const char* MSG_URL_QUOTE = "ダウンロードサイトのURLに記号 \" は使用できません。\n";
constexpr const char* MSG_NO_RESOURCE = "リソースファイルが指定されていません。";
constexpr const char* MSG_RESOURCE_MISSING = "指定されたリソースファイルが見つかりません。";
constexpr const char* MSG_INTERNAL = "内部処理でエラーが発生しました。";
constexpr const char* MSG_RESOURCE_ERROR = "リソースファイルでエラーが発生しました。";
constexpr const char* MSG_EXTRACT_ERROR = "リソースファイルの展開中にエラーが発生しました。";
constexpr const char* MSG_NO_PDATA = "リソースファイル中にpdataファイルが見つかりません。";
constexpr const char* MSG_NAME_TOO_LONG = "ファイル名が長すぎます。";
constexpr const char* MSG_RENAME_FAILED = "pdataファイル名の変更に失敗しました。";
constexpr const char* MSG_EMULATOR_NOTE =
    "ここで行われるのは、QUIBOサーバーを使用しないエミュレータによるテストです。\n"
    "QUIBOサーバーでの動作を再現しているわけではありません。\n"
    "別途、実運用サーバー上で動作確認を行ってください。";
constexpr const char* MSG_OVERWRITE = "パッケージファイル（%s.tgz）が存在します。\n上書きしてもいいですか？";
constexpr const char* MSG_PACKAGE_MADE = "パッケージを作成しました。";
constexpr const char* MSG_PACKAGE_FAILED = "パッケージ作成に失敗しました。";

std::string trimmed(const std::string& text)
{
    const char* blanks = " \t\r\n\v\f";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The folder part of a path, with its final '/', or empty.
std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

std::string readDefaultDownloadUrl()
{
    const std::string url = platform::readProductString("OrvaneDefaultDlUrl");
    return url.empty() ? BUILT_IN_DOWNLOAD_URL : url;
}

PellmintDlg::PellmintDlg(DialogFront& front, Browser* preview, std::string workArea,
                         std::string startFolder)
    : m_front(front),
      m_preview(preview),
      m_workArea(std::move(workArea)),
      m_startFolder(std::move(startFolder)),
      m_builder([&front](const std::string& text) { front.showMessage(text); })
{
}

const std::vector<std::string>& PellmintDlg::serverNames()
{
    static const std::vector<std::string> names = {"quibo1", "quibo2", "quibo3", "quibo4"};
    return names;
}

bool PellmintDlg::initDialog()
{
    m_serverMode = 0;
    m_serverName = serverNames().front();
    m_servletUrl = DEFAULT_SERVLET_URL;
    m_downloadUrl = readDefaultDownloadUrl();
    if (m_preview == nullptr || !m_builder.init(m_preview, m_workArea)) {
        m_front.showMessage(MSG_INIT_FAILED);
        return false;
    }
    m_templates.clear();
    m_builder.templateNames(m_templates);
    m_templateIndex = m_templates.empty() ? -1 : 0;
    return true;
}

void PellmintDlg::onServerToggle()
{
    m_serverMode = m_serverMode ? 0 : 1;
}

void PellmintDlg::onTemplateChange(int index)
{
    m_templateIndex = index;
    if (!m_builder.showThumbnail(index)) {
        m_front.showMessage(MSG_NO_THUMBNAIL);
        m_templateIndex = m_builder.current();
    }
}

void PellmintDlg::onBrowse()
{
    // The chooser opens where the author's files are: the folder of the path
    // typed so far, else the folder Pellmint started in; never the work area
    // the builder works in (and leaves current).
    std::string folder = folderOf(trimmed(m_resourcePath));
    if (!folder.empty() && folder[0] != '/') {
        folder = m_startFolder + "/" + folder;
    }
    if (folder.empty() || !pathExists(folder) || folder.rfind(m_workArea, 0) == 0) {
        folder = m_startFolder;
    }
    if (const std::optional<std::string> path = m_front.chooseResourceFile(folder)) {
        m_resourcePath = *path;
    }
}

void PellmintDlg::onDroppedFiles(const std::vector<std::string>& paths)
{
    if (paths.empty()) {
        return;
    }
    if (hasResExtension(paths.front())) {
        m_resourcePath = paths.front();
    } else {
        m_front.showMessage(MSG_NOT_RESOURCE);
    }
}

bool PellmintDlg::swallowsKey(Key key, bool inPreview)
{
    return inPreview || key == Key::Enter || key == Key::Escape;
}

bool PellmintDlg::isEnabled(int control) const
{
    switch (control) {
    case ID_SERVER_NAME_LABEL:
    case ID_SERVER_NAME:
    case ID_SERVLET_LABEL:
    case ID_SERVLET:
    case ID_CHAT_LABEL:
    case ID_CHAT:
        return m_serverMode != 0;
    case ID_DOWNLOAD_LABEL:
    case ID_DOWNLOAD:
        return m_serverMode == 0;
    default:
        return true;
    }
}

bool PellmintDlg::hasResExtension(const std::string& path)
{
    std::string base;
    std::string extension;
    splitName(path, base, extension);
    return ::strcasecmp(extension.c_str(), ".res") == 0;
}

bool PellmintDlg::containsForbidden(const std::string& name)
{
    // On UTF-8 text every character outside ASCII starts with a byte of
    // 0xC2 or more, so the rule refuses all of them, as it refused the
    // double-byte and half-width katakana characters of Shift_JIS.
    static const std::string symbols = "/><?:\"\\*|;";
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= 0x81 && u <= 0x9F) || (u >= 0xA1 && u <= 0xDF) || u >= 0xE0 ||
            symbols.find(c) != std::string::npos) {
            return true;
        }
    }
    return false;
}

void PellmintDlg::splitName(const std::string& path, std::string& base, std::string& extension)
{
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    base = dot == std::string::npos ? name : name.substr(0, dot);
    extension = dot == std::string::npos ? std::string() : name.substr(dot);
}

bool PellmintDlg::validateAndPrepare(std::string& name, bool testMode)
{
    const auto fail = [this](const char* message) {
        m_front.showMessage(message);
        return false;
    };
    if (m_serverMode) {
        if (m_chatName.size() > CHAT_NAME_LIMIT) {
            return fail(MSG_CHAT_NAME_LONG);
        }
        if (containsForbidden(m_chatName)) {
            return fail(MSG_CHAT_NAME_FORBIDDEN);
        }
    } else if (m_downloadUrl.find('"') != std::string::npos) {
        return fail(MSG_URL_QUOTE);
    }

    name.clear();
    m_resourcePath = trimmed(m_resourcePath);
    if (m_resourcePath.empty() || !hasResExtension(m_resourcePath)) {
        return fail(MSG_NO_RESOURCE);
    }
    if (m_resourcePath[0] != '/' && !m_startFolder.empty()) {
        m_resourcePath = m_startFolder + "/" + m_resourcePath;
    }
    if (!pathExists(m_resourcePath)) {
        return fail(MSG_RESOURCE_MISSING);
    }
    if (!m_builder.prepareWorkFolder()) {
        return fail(MSG_INTERNAL);
    }
    // A refused resource file is named with the member and the reason.
    const auto failWithReason = [this](const char* message) {
        m_front.showMessage(m_builder.failure().empty() ? message : message + ("\n" + m_builder.failure()));
        return false;
    };
    if (!m_builder.checkResource(m_resourcePath)) {
        return failWithReason(MSG_RESOURCE_ERROR);
    }
    if (!m_builder.extractResource(m_resourcePath)) {
        return failWithReason(MSG_EXTRACT_ERROR);
    }

    std::string base;
    std::string extension;
    splitName(m_resourcePath, base, extension);
    std::string knowledgeFile = base + ".pdata";
    if (!m_builder.existsInWork(knowledgeFile)) {
        std::string found;
        if (!m_builder.findPdata(found)) {
            return fail(MSG_NO_PDATA);
        }
        splitName(found, base, extension);
        knowledgeFile = base + extension;
    }

    if (!testMode && containsForbidden(base)) {
        std::string newName = "quibo";
        for (;;) {
            PdataNameDlg dialog(base, newName);
            if (!m_front.runPdataName(dialog)) {
                return false;
            }
            newName = dialog.newName();
            if (containsForbidden(newName)) {
                continue;
            }
            if (!m_builder.fitsInWork(newName + ".pdata")) {
                m_front.showMessage(MSG_NAME_TOO_LONG);
                continue;
            }
            break;
        }
        if (!m_builder.renameInWork(newName + ".pdata", knowledgeFile)) {
            return fail(MSG_RENAME_FAILED);
        }
        knowledgeFile = newName + ".pdata";
        name = newName;
    }

    m_builder.setPdataName(knowledgeFile);
    if (m_downloadUrl.empty()) {
        m_downloadUrl = readDefaultDownloadUrl();
    }
    PackageSettings settings;
    settings.mode = !testMode && m_serverMode ? 1 : 0;
    settings.serverName = m_serverName;
    settings.servletUrl = m_servletUrl;
    settings.chatName = m_chatName;
    settings.downloadUrl = m_downloadUrl;
    if (!m_builder.writeCustomJs(settings)) {
        return fail(MSG_INTERNAL);
    }
    return true;
}

void PellmintDlg::test()
{
    std::string name;
    if (!validateAndPrepare(name, true)) {
        return;
    }
    if (m_serverMode) {
        m_front.showMessage(MSG_EMULATOR_NOTE);
    }
    TestDlg dialog;
    std::string start;
    m_builder.indexPath(start);
    dialog.setStartPage(start);
    m_front.runTest(dialog);
}

void PellmintDlg::make()
{
    std::string name;
    if (!validateAndPrepare(name, false)) {
        return;
    }
    const bool server = m_serverMode != 0;
    if (!m_builder.switchScripts(server)) {
        m_front.showMessage(MSG_INTERNAL);
        return;
    }
    if (!server) {
        m_builder.removePlayer();
    }
    if (name.empty()) {
        std::string extension;
        splitName(m_resourcePath, name, extension);
    }
    const std::string output = folderOf(m_resourcePath) + name + ".tgz";
    if (pathExists(output)) {
        std::vector<char> question(std::string(MSG_OVERWRITE).size() + name.size() + 1);
        std::snprintf(question.data(), question.size(), MSG_OVERWRITE, name.c_str());
        if (!m_front.askOkCancel(question.data())) {
            return;
        }
    }
    m_front.showMessage(m_builder.makeArchive(output, server) ? MSG_PACKAGE_MADE : MSG_PACKAGE_FAILED);
}

}  // namespace quibo::pagemaker
