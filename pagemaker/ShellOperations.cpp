#include "pagemaker/ShellOperations.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quibo::pagemaker {
namespace {

constexpr std::size_t SHELL_BUFFER = 260;
constexpr std::size_t RENAME_BUFFER = 520;

// The shell takes a list of paths, each ending in a zero byte and the list in
// another: a path fits when it leaves room for both.
bool fitsBuffer(const std::string& path, std::size_t buffer)
{
    return path.size() + 2 <= buffer;
}

bool lstatIs(const std::string& path, mode_t type)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == type;
}

bool copyFile(const std::string& from, const std::string& to)
{
    const int in = ::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (in < 0) {
        return false;
    }
    // An old entry of the same name goes first, so that a link there is
    // replaced rather than written through.
    if (pathExists(to) && !lstatIs(to, S_IFREG) && !deletePath(to)) {
        ::close(in);
        return false;
    }
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    bool ok = out >= 0;
    std::vector<char> buffer(64 * 1024);
    while (ok) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        for (ssize_t done = 0; ok && done < n;) {
            const ssize_t w = ::write(out, buffer.data() + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR) {
                continue;
            }
            ok = w > 0;
            done += ok ? w : 0;
        }
    }
    ::close(in);
    if (out >= 0 && ::close(out) != 0) {
        ok = false;
    }
    return ok;
}

bool copyTree(const std::string& from, const std::string& to)
{
    if (!lstatIs(to, S_IFDIR) && ::mkdir(to.c_str(), 0755) != 0) {
        return false;
    }
    std::vector<std::string> names;
    if (!folderEntries(from, names)) {
        return false;
    }
    for (const std::string& name : names) {
        const std::string source = from + "/" + name;
        const std::string target = to + "/" + name;
        if (lstatIs(source, S_IFDIR)) {
            if (!copyTree(source, target)) {
                return false;
            }
        } else if (lstatIs(source, S_IFREG)) {
            if (!copyFile(source, target)) {
                return false;
            }
        }
    }
    return true;
}

// True when `inner` names a place strictly below `outer` (both taken as
// written, with "." and ".." steps resolved on the text).
bool liesInside(const std::string& inner, const std::string& outer)
{
    const std::filesystem::path in = std::filesystem::path(inner).lexically_normal();
    const std::filesystem::path out = std::filesystem::path(outer).lexically_normal();
    const std::filesystem::path relative = in.lexically_relative(out);
    if (relative.empty() || relative == ".") {
        return false;
    }
    const std::string first = relative.begin()->string();
    return first != ".." && in.is_absolute() == out.is_absolute();
}

}  // namespace

bool folderEntries(const std::string& folder, std::vector<std::string>& names)
{
    names.clear();
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return false;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int order = ::strcasecmp(a.c_str(), b.c_str());
        return order != 0 ? order < 0 : a < b;
    });
    return true;
}

bool pathExists(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

bool clearFolder(const std::string& folder, const std::string& workArea)
{
    if (folder.empty() || folder == "/" || workArea.empty() || !liesInside(folder, workArea) ||
        !fitsBuffer(folder, SHELL_BUFFER) || !lstatIs(folder, S_IFDIR)) {
        return false;
    }
    if (::chdir(folder.c_str()) != 0 || ::chdir("..") != 0) {
        return false;
    }
    if (!deletePath(folder)) {
        return false;
    }
    return ::mkdir(folder.c_str(), 0700) == 0;
}

bool deletePath(const std::string& path)
{
    if (path.empty() || !fitsBuffer(path, SHELL_BUFFER) || !pathExists(path)) {
        return false;
    }
    std::error_code error;
    std::filesystem::remove_all(path, error);
    return !error;
}

bool copyFolderContents(const std::string& source, const std::string& destination)
{
    if (!fitsBuffer(source + "/*.*", SHELL_BUFFER) || !fitsBuffer(destination, SHELL_BUFFER) ||
        !lstatIs(source, S_IFDIR)) {
        return false;
    }
    return copyTree(source, destination);
}

bool renamePath(const std::string& from, const std::string& to)
{
    if (!fitsBuffer(from, RENAME_BUFFER) || !fitsBuffer(to, RENAME_BUFFER)) {
        return false;
    }
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    // File systems without the atomic form: check, then rename.
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    return !pathExists(to) && std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace quibo::pagemaker
