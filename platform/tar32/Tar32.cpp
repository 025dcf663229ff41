#include "platform/tar32/Tar32.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fnmatch.h>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

struct Tar32Archive {
    std::vector<TarMemberInfo> members;
    std::string wildName;
    std::size_t next = 0;
};

namespace {

constexpr std::size_t BLOCK = 64 * 1024;

// A failed step: the result code and the one line written for the caller.
struct Failure {
    int code;
    std::string message;
};

struct Command {
    bool extract = false;
    bool create = false;
    std::uint64_t limitBytes = TAR32_DEFAULT_LIMIT_BYTES;
    std::uint64_t limitEntries = TAR32_DEFAULT_LIMIT_ENTRIES;
    std::string archive;
    std::string outputFolder;
    std::vector<std::string> names;
};

using ReadArchive = std::unique_ptr<archive, decltype(&archive_read_free)>;
using WriteArchive = std::unique_ptr<archive, decltype(&archive_write_free)>;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// The current directory is `folder` while the object lives.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::string& folder)
        : m_previous(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        m_entered = m_previous.get() >= 0 && ::chdir(folder.c_str()) == 0;
    }
    ~WorkingFolder()
    {
        if (m_entered && ::fchdir(m_previous.get()) != 0) {
            // The caller's directory vanished; there is nowhere better to be.
        }
    }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;
    bool entered() const { return m_entered; }

private:
    FileDescriptor m_previous;
    bool m_entered = false;
};

// The files and folders an extraction created, by relative name, in the
// order they came; removed (last first) when the object goes before keep().
class Rollback {
public:
    Rollback() = default;
    ~Rollback()
    {
        for (auto it = m_created.rbegin(); it != m_created.rend() && !m_kept; ++it) {
            if (::rmdir(it->c_str()) != 0) {
                ::unlink(it->c_str());
            }
        }
    }
    Rollback(const Rollback&) = delete;
    Rollback& operator=(const Rollback&) = delete;

    // Notes each step of `path` that does not exist yet.
    void noteNewPaths(const std::string& path)
    {
        struct stat st;
        for (std::size_t end = path.find('/'); ; end = path.find('/', end + 1)) {
            const std::string step = path.substr(0, end);
            if (!step.empty() && ::lstat(step.c_str(), &st) != 0) {
                m_created.push_back(step);
            }
            if (end == std::string::npos) {
                break;
            }
        }
    }
    void keep() { m_kept = true; }

private:
    std::vector<std::string> m_created;
    bool m_kept = false;
};

// A number as text.  (Not std::to_string: its digit table is a unique
// symbol, which would keep the library loaded after the caller releases it.)
std::string decimal(std::uint64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(value));
    return text;
}

std::string lastError(archive* a)
{
    const char* text = archive_error_string(a);
    return text != nullptr ? text : "unknown archive error";
}

// Splits a command line into words; a double-quoted run is one word (or part
// of one) and may hold blanks.
bool splitWords(std::string_view line, std::vector<std::string>& words)
{
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        if (i == line.size()) {
            break;
        }
        std::string word;
        bool quoted = false;
        for (; i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t')); ++i) {
            if (line[i] == '"') {
                quoted = !quoted;
            } else {
                word += line[i];
            }
        }
        if (quoted) {
            return false;
        }
        words.push_back(std::move(word));
    }
    return true;
}

// The names of a list file: one a line, quoted or not, CR LF or LF; a first
// line "--" only opens the list.
bool readListFile(const std::string& path, std::vector<std::string>& names, Failure& failure)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        failure = {TAR32_ERROR_COMMAND, "cannot open the list file " + path};
        return false;
    }
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (std::exchange(first, false) && line == "--") {
            continue;
        }
        if (line.empty()) {
            continue;
        }
        if (line.size() >= 2 && line.front() == '"' && line.back() == '"') {
            line = line.substr(1, line.size() - 2);
        }
        if (line.find('"') != std::string::npos) {
            failure = {TAR32_ERROR_COMMAND, "a badly quoted line in the list file " + path};
            return false;
        }
        names.push_back(line);
    }
    return true;
}

bool parseCommand(const char* commandLine, Command& command, Failure& failure)
{
    std::vector<std::string> words;
    if (commandLine == nullptr || !splitWords(commandLine, words)) {
        failure = {TAR32_ERROR_COMMAND, "the command line has an unclosed quote"};
        return false;
    }
    bool optionsEnded = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (!optionsEnded && word == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && word == "-x") {
            command.extract = true;
        } else if (!optionsEnded && word == "-cz") {
            command.create = true;
        } else if (!optionsEnded && (word.rfind("--limit-bytes=", 0) == 0 || word.rfind("--limit-entries=", 0) == 0)) {
            const std::string value = word.substr(word.find('=') + 1);
            if (value.empty() || value.size() > 18 || value.find_first_not_of("0123456789") != std::string::npos) {
                failure = {TAR32_ERROR_COMMAND, word + " needs a number"};
                return false;
            }
            (word[8] == 'b' ? command.limitBytes : command.limitEntries) = std::stoull(value);
        } else if (!optionsEnded && word == "--display-dialog=0") {
        } else if (!optionsEnded && word == "-o") {
            if (i + 1 == words.size()) {
                failure = {TAR32_ERROR_COMMAND, "-o needs a folder"};
                return false;
            }
            command.outputFolder = words[++i];
        } else if (!word.empty() && word[0] == '@') {
            if (!readListFile(word.substr(1), command.names, failure)) {
                return false;
            }
        } else if (!optionsEnded && !word.empty() && word[0] == '-') {
            failure = {TAR32_ERROR_COMMAND, "unknown option " + word};
            return false;
        } else if (command.archive.empty()) {
            command.archive = word;
        } else {
            command.names.push_back(word);
        }
    }
    if (command.extract == command.create || command.archive.empty()) {
        failure = {TAR32_ERROR_COMMAND, "give one of -x and -cz, and an archive"};
        return false;
    }
    if (command.extract && (command.outputFolder.empty() || !command.names.empty())) {
        failure = {TAR32_ERROR_COMMAND, "-x takes an archive and -o FOLDER only"};
        return false;
    }
    if (command.create && !command.outputFolder.empty()) {
        failure = {TAR32_ERROR_COMMAND, "-cz takes no -o"};
        return false;
    }
    return true;
}

ReadArchive openForReading(const std::string& path)
{
    ReadArchive a(archive_read_new(), archive_read_free);
    archive_read_support_format_tar(a.get());
    archive_read_support_format_gnutar(a.get());
    archive_read_support_filter_gzip(a.get());
    archive_read_support_filter_bzip2(a.get());
    archive_read_support_filter_xz(a.get());
    if (archive_read_open_filename(a.get(), path.c_str(), BLOCK) != ARCHIVE_OK) {
        return ReadArchive(nullptr, archive_read_free);
    }
    return a;
}

// A relative path without "." or ".." steps after any leading "./": the
// name a member is written under, or empty for the archive's own root.
bool cleanRelativePath(std::string_view name, std::string& clean)
{
    if (name.empty() || name[0] == '/') {
        return false;
    }
    while (name.substr(0, 2) == "./") {
        name.remove_prefix(2);
    }
    clean.clear();
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find('/', start);
        if (end == std::string_view::npos) {
            end = name.size();
        }
        const std::string_view step = name.substr(start, end - start);
        if (step == "..") {
            return false;
        }
        if (!step.empty() && step != ".") {
            if (!clean.empty()) {
                clean += '/';
            }
            clean.append(step);
        }
        start = end + 1;
    }
    return true;
}

// Why `entry` may not be extracted, or empty when it may; `clean` receives
// the name to write it under.
std::string unsafeMember(archive_entry* entry, std::string& clean)
{
    const char* rawName = archive_entry_pathname(entry);
    const std::string name = rawName != nullptr ? rawName : "";
    if (!cleanRelativePath(name, clean)) {
        return "the member " + name + " is absolute or leaves its folder";
    }
    if (archive_entry_hardlink(entry) != nullptr) {
        return "the member " + name + " is a hard link";
    }
    const mode_t type = archive_entry_filetype(entry);
    if (type != AE_IFREG && type != AE_IFDIR) {
        return "the member " + name + " is not a file or a folder";
    }
    return {};
}

std::string memberName(archive_entry* entry)
{
    const char* name = archive_entry_pathname(entry);
    return name != nullptr ? name : "";
}

// Reads every header and every member's data to the end, calling `visit` on
// each header; any damage, or `visit` refusing, fails.
template <typename Visit>
bool walkArchive(const std::string& path, Failure& failure, Visit visit)
{
    ReadArchive a = openForReading(path);
    if (!a) {
        failure = {TAR32_ERROR_ARCHIVE, "cannot read the archive " + path};
        return false;
    }
    archive_entry* entry = nullptr;
    int rc;
    la_int64_t membersEnd = 0;
    while ((rc = archive_read_next_header(a.get(), &entry)) == ARCHIVE_OK || rc == ARCHIVE_WARN) {
        if (!visit(entry, failure)) {
            return false;
        }
        if (archive_read_data_skip(a.get()) != ARCHIVE_OK) {
            failure = {TAR32_ERROR_ARCHIVE, lastError(a.get())};
            return false;
        }
        membersEnd = archive_filter_bytes(a.get(), 0);
    }
    if (rc != ARCHIVE_EOF) {
        failure = {TAR32_ERROR_ARCHIVE, lastError(a.get())};
        return false;
    }
    // The reader also ends quietly where the bytes run out between two
    // members, so an archive cut there would pass for a shorter one; only
    // the end-of-archive blocks after the last member show it is whole.
    if (archive_filter_bytes(a.get(), 0) <= membersEnd) {
        failure = {TAR32_ERROR_ARCHIVE, "the archive " + path + " is truncated: it has no end-of-archive blocks"};
        return false;
    }
    return true;
}

bool extractArchive(const Command& command, Failure& failure)
{
    struct stat folder;
    if (lstat(command.outputFolder.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)) {
        failure = {TAR32_ERROR_COMMAND, "no folder " + command.outputFolder};
        return false;
    }
    // Nothing is written unless the whole archive is sound, safe and
    // within the limits.
    std::uint64_t bytes = 0;
    std::uint64_t entries = 0;
    const bool safe = walkArchive(command.archive, failure, [&](archive_entry* entry, Failure& f) {
        std::string clean;
        std::string why = unsafeMember(entry, clean);
        if (!why.empty()) {
            f = {TAR32_ERROR_UNSAFE, std::move(why)};
            return false;
        }
        bytes += static_cast<std::uint64_t>(std::max<la_int64_t>(0, archive_entry_size(entry)));
        if (++entries > command.limitEntries) {
            f = {TAR32_ERROR_LIMIT, "the archive holds more than " + decimal(command.limitEntries) +
                                        " entries (the limit of entries)"};
            return false;
        }
        if (bytes > command.limitBytes) {
            f = {TAR32_ERROR_LIMIT, "the member " + memberName(entry) + " takes the archive over " +
                                        decimal(command.limitBytes) + " bytes (the limit of bytes)"};
            return false;
        }
        return true;
    });
    if (!safe) {
        return false;
    }

    ReadArchive in = openForReading(command.archive);
    if (!in) {
        failure = {TAR32_ERROR_ARCHIVE, "cannot read the archive " + command.archive};
        return false;
    }
    // Members are written by relative names from inside the folder, so that
    // the symbolic-link check covers every step below it and nothing above.
    const WorkingFolder inside(command.outputFolder);
    if (!inside.entered()) {
        failure = {TAR32_ERROR_COMMAND, "cannot enter " + command.outputFolder};
        return false;
    }
    // What this run created, removed again unless it ends well.  Declared
    // after the folder is entered and before the writer, so that the writer
    // is done and the removal is made inside the folder.
    Rollback rollback;
    // Declared after the folder is entered, so that whatever the writer
    // finishes when it goes away is still done inside the folder.
    WriteArchive out(archive_write_disk_new(), archive_write_free);
    archive_write_disk_set_options(out.get(), ARCHIVE_EXTRACT_SECURE_SYMLINKS |
                                                  ARCHIVE_EXTRACT_SECURE_NODOTDOT |
                                                  ARCHIVE_EXTRACT_SECURE_NOABSOLUTEPATHS |
                                                  ARCHIVE_EXTRACT_TIME);
    archive_entry* entry = nullptr;
    int rc;
    std::uint64_t written = 0;
    while ((rc = archive_read_next_header(in.get(), &entry)) == ARCHIVE_OK || rc == ARCHIVE_WARN) {
        // The archive is read again, so it is judged again.
        std::string clean;
        std::string why = unsafeMember(entry, clean);
        if (!why.empty()) {
            failure = {TAR32_ERROR_UNSAFE, std::move(why)};
            return false;
        }
        if (clean.empty()) {
            continue;
        }
        const bool isFolder = archive_entry_filetype(entry) == AE_IFDIR;
        rollback.noteNewPaths(clean);
        archive_entry_set_pathname(entry, clean.c_str());
        archive_entry_set_perm(entry, isFolder ? 0755 : 0644);
        if (archive_write_header(out.get(), entry) != ARCHIVE_OK) {
            failure = {TAR32_ERROR_ARCHIVE, lastError(out.get())};
            return false;
        }
        const void* block = nullptr;
        std::size_t size = 0;
        la_int64_t offset = 0;
        int data;
        while ((data = archive_read_data_block(in.get(), &block, &size, &offset)) == ARCHIVE_OK) {
            // The data may hold more than its header said.
            written += size;
            if (written > command.limitBytes) {
                failure = {TAR32_ERROR_LIMIT, "the member " + clean + " takes the archive over " +
                                                  decimal(command.limitBytes) + " bytes (the limit of bytes)"};
                return false;
            }
            if (archive_write_data_block(out.get(), block, size, offset) != ARCHIVE_OK) {
                failure = {TAR32_ERROR_ARCHIVE, lastError(out.get())};
                return false;
            }
        }
        if (data != ARCHIVE_EOF) {
            failure = {TAR32_ERROR_ARCHIVE, lastError(in.get())};
            return false;
        }
        if (archive_write_finish_entry(out.get()) != ARCHIVE_OK) {
            failure = {TAR32_ERROR_ARCHIVE, lastError(out.get())};
            return false;
        }
    }
    if (rc != ARCHIVE_EOF) {
        failure = {TAR32_ERROR_ARCHIVE, lastError(in.get())};
        return false;
    }
    if (archive_write_close(out.get()) != ARCHIVE_OK) {
        failure = {TAR32_ERROR_ARCHIVE, lastError(out.get())};
        return false;
    }
    rollback.keep();
    return true;
}

bool addFile(archive* out, const std::string& name, Failure& failure)
{
    std::string clean;
    if (!cleanRelativePath(name, clean) || clean.empty()) {
        failure = {TAR32_ERROR_FILE, "not a relative path inside the folder: " + name};
        return false;
    }
    FileDescriptor fd(::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (fd.get() < 0 || fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        failure = {TAR32_ERROR_FILE, "not a readable regular file: " + name};
        return false;
    }
    std::unique_ptr<archive_entry, decltype(&archive_entry_free)> entry(archive_entry_new(),
                                                                        archive_entry_free);
    archive_entry_set_pathname(entry.get(), clean.c_str());
    archive_entry_set_filetype(entry.get(), AE_IFREG);
    archive_entry_set_perm(entry.get(), 0644);
    archive_entry_set_size(entry.get(), st.st_size);
    archive_entry_set_mtime(entry.get(), st.st_mtime, 0);
    if (archive_write_header(out, entry.get()) < ARCHIVE_WARN) {
        failure = {TAR32_ERROR_ARCHIVE, lastError(out)};
        return false;
    }
    std::vector<char> buffer(BLOCK);
    off_t copied = 0;
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            failure = {TAR32_ERROR_FILE, "cannot read " + name};
            return false;
        }
        if (n == 0) {
            break;
        }
        if (archive_write_data(out, buffer.data(), static_cast<std::size_t>(n)) != n) {
            failure = {TAR32_ERROR_ARCHIVE, lastError(out)};
            return false;
        }
        copied += n;
    }
    if (copied != st.st_size) {
        failure = {TAR32_ERROR_FILE, name + " changed while it was packed"};
        return false;
    }
    return true;
}

bool createArchive(const Command& command, Failure& failure)
{
    FileDescriptor fd(::open(command.archive.c_str(),
                             O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (fd.get() < 0) {
        failure = {TAR32_ERROR_ARCHIVE, "cannot create " + command.archive};
        return false;
    }
    bool written = false;
    {
        WriteArchive out(archive_write_new(), archive_write_free);
        archive_write_add_filter_gzip(out.get());
        // GNU tar headers carry names as the bytes given, whatever the
        // locale, and any length.
        archive_write_set_format_gnutar(out.get());
        if (archive_write_open_fd(out.get(), fd.get()) != ARCHIVE_OK) {
            failure = {TAR32_ERROR_ARCHIVE, lastError(out.get())};
        } else {
            written = true;
            for (const std::string& name : command.names) {
                if (!addFile(out.get(), name, failure)) {
                    written = false;
                    break;
                }
            }
            if (archive_write_close(out.get()) != ARCHIVE_OK && written) {
                failure = {TAR32_ERROR_ARCHIVE, lastError(out.get())};
                written = false;
            }
        }
    }
    if (!written) {
        ::unlink(command.archive.c_str());
    }
    return written;
}

void report(const std::string& message, char* output, uint32_t outputSize)
{
    if (output == nullptr || outputSize == 0) {
        return;
    }
    std::string line = message.empty() ? "failed" : message;
    for (char& c : line) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    const std::size_t n = std::min<std::size_t>(line.size(), outputSize - 1);
    std::memcpy(output, line.data(), n);
    output[n] = '\0';
}

}  // namespace

extern "C" {

int Tar(void*, const char* commandLine, char* output, uint32_t outputSize)
{
    if (output != nullptr && outputSize > 0) {
        output[0] = '\0';
    }
    Failure failure{TAR32_OK, {}};
    try {
        Command command;
        if (parseCommand(commandLine, command, failure)) {
            if (command.extract ? extractArchive(command, failure) : createArchive(command, failure)) {
                return TAR32_OK;
            }
        }
    } catch (const std::exception& e) {
        failure = {TAR32_ERROR_ARCHIVE, e.what()};
    }
    report(failure.message, output, outputSize);
    return failure.code == TAR32_OK ? TAR32_ERROR_ARCHIVE : failure.code;
}

int TarCheckArchive(const char* path, int mode)
{
    if (path == nullptr || mode != 0) {
        return 0;
    }
    try {
        Failure failure{TAR32_OK, {}};
        return walkArchive(path, failure, [](archive_entry*, Failure&) { return true; }) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

TAR32_HANDLE TarOpenArchive(void*, const char* path, uint32_t)
{
    if (path == nullptr) {
        return nullptr;
    }
    try {
        auto handle = std::make_unique<Tar32Archive>();
        Failure failure{TAR32_OK, {}};
        const bool read = walkArchive(path, failure, [&](archive_entry* entry, Failure& f) {
            const std::string name = memberName(entry);
            if (name.size() > TAR32_NAME_MAX) {
                f = {TAR32_ERROR_ARCHIVE, "a member name is too long"};
                return false;
            }
            TarMemberInfo info{};
            info.size = static_cast<uint64_t>(archive_entry_size(entry));
            info.modified = archive_entry_mtime(entry);
            info.mode = archive_entry_mode(entry);
            std::memcpy(info.fileName, name.data(), name.size());
            handle->members.push_back(info);
            return true;
        });
        return read ? handle.release() : nullptr;
    } catch (...) {
        return nullptr;
    }
}

int TarFindNext(TAR32_HANDLE archive, TarMemberInfo* info)
{
    if (archive == nullptr || info == nullptr) {
        return TAR32_ERROR_HANDLE;
    }
    const bool everything = archive->wildName == "*" || archive->wildName == "*.*";
    while (archive->next < archive->members.size()) {
        const TarMemberInfo& member = archive->members[archive->next++];
        if (everything || fnmatch(archive->wildName.c_str(), member.fileName, 0) == 0) {
            *info = member;
            return 0;
        }
    }
    return TAR32_END_OF_MEMBERS;
}

int TarFindFirst(TAR32_HANDLE archive, const char* wildName, TarMemberInfo* info)
{
    if (archive == nullptr || wildName == nullptr || info == nullptr) {
        return TAR32_ERROR_HANDLE;
    }
    try {
        archive->wildName = wildName;
    } catch (...) {
        return TAR32_ERROR_HANDLE;
    }
    archive->next = 0;
    return TarFindNext(archive, info);
}

int TarCloseArchive(TAR32_HANDLE archive)
{
    delete archive;
    return 0;
}

}  // extern "C"
