#include "platform/Registry.h"

#include <cstdlib>
#include <fstream>
#include <iconv.h>
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
