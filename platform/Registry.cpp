#include "platform/Registry.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iconv.h>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quibo::platform {
namespace {

constexpr std::string_view LOCAL_MACHINE = "HKEY_LOCAL_MACHINE";
constexpr std::string_view BYTE_ORDER_MARK = "\xEF\xBB\xBF";

bool isAscii(std::string_view text)
{
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// Engine text to the file's UTF-8; nothing when the text is no valid EUC-JP.
std::optional<std::string> toUtf8(std::string_view eucText)
{
    if (isAscii(eucText)) {
        return std::string(eucText);
    }
    iconv_t cd = iconv_open("UTF-8", "EUC-JP-MS");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string in(eucText);
    std::vector<char> out(in.size() * 3 + 4);
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1) || inLeft != 0) {
        return std::nullopt;
    }
    return std::string(out.data(), out.size() - outLeft);
}

std::string upperAscii(std::string_view text)
{
    std::string result(text);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return result;
}

std::string_view trimBlanks(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A key path in the form keys are compared in: components joined by one
// backslash, no backslash at either end, ASCII upper case.
std::string canonicalKey(std::string_view path)
{
    std::string result;
    std::size_t from = 0;
    while (from <= path.size()) {
        std::size_t to = path.find('\\', from);
        if (to == std::string_view::npos) {
            to = path.size();
        }
        const std::string_view part = path.substr(from, to - from);
        if (!part.empty()) {
            if (!result.empty()) {
                result += '\\';
            }
            result += part;
        }
        from = to + 1;
    }
    return upperAscii(result);
}

}  // namespace

std::string registryFilePath()
{
    if (const char* path = std::getenv("QUIBO_REGISTRY"); path && *path) {
        return path;
    }
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
        return std::string(config) + "/quibo/registry";
    }
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.config/quibo/registry";
}

RegistryKey::RegistryKey(std::map<std::string, std::string> values) : m_values(std::move(values))
{
}

std::unique_ptr<RegistryKey> RegistryKey::openLocalMachine(std::string_view subKey)
{
    const std::optional<std::string> utf8Key = toUtf8(subKey);
    if (!utf8Key) {
        return nullptr;
    }
    const std::string wanted = canonicalKey(std::string(LOCAL_MACHINE) + "\\" + *utf8Key);

    std::ifstream file(registryFilePath(), std::ios::binary);
    if (!file) {
        return nullptr;
    }
    bool found = false;
    bool inKey = false;
    std::map<std::string, std::string> values;
    std::string line;
    bool firstLine = true;
    while (std::getline(file, line)) {
        std::string_view text(line);
        if (firstLine && text.substr(0, BYTE_ORDER_MARK.size()) == BYTE_ORDER_MARK) {
            text.remove_prefix(BYTE_ORDER_MARK.size());
        }
        firstLine = false;
        if (!text.empty() && text.back() == '\r') {
            text.remove_suffix(1);
        }
        const std::string_view trimmed = trimBlanks(text);
        if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') {
            continue;
        }
        if (trimmed.front() == '[' && trimmed.back() == ']') {
            inKey = canonicalKey(trimmed.substr(1, trimmed.size() - 2)) == wanted;
            found = found || inKey;
            continue;
        }
        const std::size_t equals = text.find('=');
        if (!inKey || equals == std::string_view::npos) {
            continue;
        }
        const std::string_view name = trimBlanks(text.substr(0, equals));
        if (!name.empty()) {
            values[upperAscii(name)] = std::string(text.substr(equals + 1));
        }
    }
    if (!found) {
        return nullptr;
    }
    return std::make_unique<RegistryKey>(std::move(values));
}

std::optional<std::string> RegistryKey::queryString(std::string_view name,
                                                    std::size_t bufferSize) const
{
    const std::optional<std::string> utf8Name = toUtf8(name);
    if (!utf8Name) {
        return std::nullopt;
    }
    const auto it = m_values.find(upperAscii(*utf8Name));
    if (it == m_values.end() || it->second.size() + 1 > bufferSize) {
        return std::nullopt;
    }
    return it->second;
}

std::string readRegistryString(std::string_view subKey, std::string_view name)
{
    const std::unique_ptr<RegistryKey> key = RegistryKey::openLocalMachine(subKey);
    if (!key) {
        return {};
    }
    std::optional<std::string> value = key->queryString(name);
    if (!value) {
        return {};
    }
    // The product reads values as C strings: text after a NUL is not seen.
    value->resize(std::string_view(value->c_str()).size());
    return *value;
}

std::string readProductString(std::string_view name)
{
    return readRegistryString(PRODUCT_KEY, name);
}

}  // namespace quibo::platform

namespace quibo::platform {
namespace {

std::string_view lineText(std::string_view line)
{
    if (line.substr(0, BYTE_ORDER_MARK.size()) == BYTE_ORDER_MARK) {
        line.remove_prefix(BYTE_ORDER_MARK.size());
    }
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return trimBlanks(line);
}

// The canonical key of a section header line; nothing for other lines.
std::optional<std::string> headerKey(std::string_view line)
{
    const std::string_view text = lineText(line);
    if (text.size() < 2 || text.front() != '[' || text.back() != ']') {
        return std::nullopt;
    }
    return canonicalKey(text.substr(1, text.size() - 2));
}

}  // namespace

RegistryFileEditor::RegistryFileEditor() : m_path(registryFilePath())
{
    std::ifstream file(m_path, std::ios::binary);
    std::string contents((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    m_finalNewline = contents.empty() || contents.back() == '\n';
    if (!contents.empty() && contents.back() == '\n') {
        contents.pop_back();
    }
    std::size_t from = 0;
    while (!contents.empty() && from <= contents.size()) {
        const std::size_t to = std::min(contents.find('\n', from), contents.size());
        m_lines.emplace_back(contents.substr(from, to - from));
        from = to + 1;
    }
}

std::size_t RegistryFileEditor::findSection(std::string_view canonical) const
{
    std::size_t found = std::string::npos;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (headerKey(m_lines[i]) == canonical) {
            found = i;
        }
    }
    return found;
}

std::size_t RegistryFileEditor::sectionEnd(std::size_t header) const
{
    std::size_t end = header + 1;
    while (end < m_lines.size() && !headerKey(m_lines[end])) {
        ++end;
    }
    return end;
}

void RegistryFileEditor::createKey(std::string_view key)
{
    if (findSection(canonicalKey(key)) == std::string::npos) {
        m_lines.push_back("[" + std::string(key) + "]");
    }
}

void RegistryFileEditor::setString(std::string_view key, std::string_view name, std::string_view value)
{
    const std::string line = std::string(name) + "=" + std::string(value);
    const std::size_t header = findSection(canonicalKey(key));
    if (header == std::string::npos) {
        m_lines.push_back("[" + std::string(key) + "]");
        m_lines.push_back(line);
        return;
    }
    const std::size_t end = sectionEnd(header);
    std::size_t insertAt = header + 1;
    for (std::size_t i = header + 1; i < end; ++i) {
        const std::string_view text = lineText(m_lines[i]);
        if (text.empty() || text.front() == ';' || text.front() == '#') {
            continue;
        }
        insertAt = i + 1;
        const std::size_t equals = text.find('=');
        if (equals != std::string_view::npos &&
            upperAscii(trimBlanks(text.substr(0, equals))) == upperAscii(name)) {
            m_lines[i] = line;
            return;
        }
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), line);
}

void RegistryFileEditor::deleteKey(std::string_view key)
{
    const std::string canonical = canonicalKey(key);
    const std::string below = canonical + "\\";
    std::vector<std::string> kept;
    bool deleting = false;
    for (std::string& line : m_lines) {
        if (const std::optional<std::string> header = headerKey(line)) {
            deleting = *header == canonical || header->rfind(below, 0) == 0;
        }
        if (!deleting) {
            kept.push_back(std::move(line));
        }
    }
    m_lines = std::move(kept);
}

bool RegistryFileEditor::save() const
{
    struct stat status {};
    mode_t mode = 0644;
    if (stat(m_path.c_str(), &status) == 0) {
        if ((status.st_mode & 0222) == 0) {
            return false;
        }
        mode = status.st_mode & 07777;
    }
    std::string contents;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        contents += m_lines[i];
        if (i + 1 < m_lines.size() || m_finalNewline) {
            contents += '\n';
        }
    }
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(m_path).parent_path(), ignored);
    std::string temporary = m_path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        return false;
    }
    bool written = fchmod(fd, mode) == 0;
    for (std::size_t done = 0; written && done < contents.size();) {
        const ssize_t n = write(fd, contents.data() + done, contents.size() - done);
        written = n > 0;
        done += written ? static_cast<std::size_t>(n) : 0;
    }
    written = close(fd) == 0 && written;
    if (!written || std::rename(temporary.c_str(), m_path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace quibo::platform
