#include "Orvane/host/StaticFolder.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>

namespace quibo::orvane {
namespace {

// `text` with its %XX escapes decoded; false for a broken escape or a NUL.
bool percentDecode(std::string_view text, std::string& out)
{
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%') {
            unsigned value = 0;
            const char* digits = text.data() + i + 1;
            const char* end = text.data() + std::min(i + 3, text.size());
            if (std::from_chars(digits, end, value, 16).ptr != digits + 2) {
                return false;
            }
            c = static_cast<char>(value);
            i += 2;
        }
        if (c == '\0') {
            return false;
        }
        out += c;
    }
    return true;
}

std::string resolved(const std::string& path)
{
    char buffer[PATH_MAX];
    return realpath(path.c_str(), buffer) ? std::string(buffer) : std::string();
}

bool endsWith(const std::string& text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

StaticFolder::StaticFolder(const std::string& folder)
{
    struct stat status{};
    const std::string root = resolved(folder);
    if (!root.empty() && stat(root.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        m_root = root;
    }
}

StaticFolder::Lookup StaticFolder::find(std::string_view target) const
{
    target = target.substr(0, target.find_first_of("?#"));
    std::string path;
    if (m_root.empty() || target.empty() || target[0] != '/' || !percentDecode(target, path)) {
        return {Outcome::BadRequest, {}};
    }
    std::string candidate = m_root;
    for (std::size_t begin = 1; begin <= path.size();) {
        const std::size_t end = std::min(path.find('/', begin), path.size());
        const std::string_view segment = std::string_view(path).substr(begin, end - begin);
        if (segment == "..") {
            return {Outcome::Forbidden, {}};
        }
        if (!segment.empty() && segment != ".") {
            candidate += '/';
            candidate += segment;
        }
        begin = end + 1;
    }
    const bool folder = path.back() == '/';
    if (folder) {
        candidate += "/index.html";
    }
    // Symbolic links are followed, and then the file must still lie inside.
    const std::string file = resolved(candidate);
    if (file.empty()) {
        return {folder && candidate == m_root + "/index.html" ? Outcome::PackageList : Outcome::NotFound, {}};
    }
    struct stat status{};
    if (file.compare(0, m_root.size() + 1, m_root + "/") != 0 || stat(file.c_str(), &status) != 0 ||
        !S_ISREG(status.st_mode)) {
        return {Outcome::Forbidden, {}};
    }
    return {Outcome::Found, file};
}

std::vector<std::string> StaticFolder::packages() const
{
    std::vector<std::string> names;
    DIR* folder = m_root.empty() ? nullptr : opendir(m_root.c_str());
    if (!folder) {
        return names;
    }
    while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        if (name != "." && name != ".." && find("/" + name + "/").outcome == Outcome::Found) {
            names.push_back(name);
        }
    }
    closedir(folder);
    std::sort(names.begin(), names.end());
    return names;
}

std::string StaticFolder::contentType(const std::string& file)
{
    static const std::pair<std::string_view, const char*> types[] = {
        {".html", "text/html; charset=UTF-8"},
        {".htm", "text/html; charset=UTF-8"},
        {".js", "text/javascript; charset=UTF-8"},
        {".css", "text/css; charset=UTF-8"},
        {".txt", "text/plain; charset=UTF-8"},
        {".png", "image/png"},
        {".gif", "image/gif"},
        {".jpg", "image/jpeg"},
        {".jpeg", "image/jpeg"},
        {".swf", "application/x-shockwave-flash"},
    };
    for (const auto& [suffix, type] : types) {
        if (endsWith(file, suffix)) {
            return type;
        }
    }
    return "application/octet-stream";
}

}  // namespace quibo::orvane
