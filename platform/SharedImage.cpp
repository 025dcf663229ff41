#include "platform/SharedImage.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace quibo::platform {
namespace {

// glibc's shm_open keeps the objects of its namespace as files here, so an
// object is opened, renamed and listed through the folder.
constexpr const char* OBJECT_FOLDER = "/dev/shm";
constexpr char MAGIC[8] = {'Q', 'I', 'M', 'A', 'G', 'E', '0', '1'};
constexpr std::size_t HEADER_BYTES = 128;
constexpr std::size_t IMAGE_ALIGNMENT = 64;
constexpr std::uint64_t PATH_LIMIT = 4096;
constexpr const char* TEMPORARY_MARK = ".tmp-";
// A smaller file's image is cheaper to make than to share.
constexpr std::uint64_t SHARED_MINIMUM = 64 * 1024;

// What names a file's contents: a rewritten or replaced file differs in at
// least one of these (the change time cannot be set back by anyone).
struct Identity {
    std::uint64_t fields[7] = {};
    bool operator==(const Identity&) const = default;
};

struct Header {
    char magic[8];
    Identity identity;
    std::uint64_t imageOffset;  // the source path lies between header and image
    std::uint64_t imageSize;
    std::uint64_t pathSize;
    std::uint64_t imageChecksum;
    std::uint64_t headerChecksum;  // over every field above
};
static_assert(sizeof(Header) <= HEADER_BYTES);

Identity identityOf(const struct stat& info)
{
    return {{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
             static_cast<std::uint64_t>(info.st_size), static_cast<std::uint64_t>(info.st_mtim.tv_sec),
             static_cast<std::uint64_t>(info.st_mtim.tv_nsec), static_cast<std::uint64_t>(info.st_ctim.tv_sec),
             static_cast<std::uint64_t>(info.st_ctim.tv_nsec)}};
}

bool identityOf(const std::string& path, Identity& identity)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    identity = identityOf(info);
    return true;
}

std::string namePrefix()
{
    return "quibo-image-" + std::to_string(::geteuid()) + "-";
}

std::string nameFor(std::string_view kind, const Identity& identity)
{
    std::string name = namePrefix();
    name += kind;
    for (std::uint64_t field : identity.fields) {
        char hex[20];
        std::snprintf(hex, sizeof hex, "-%llx", static_cast<unsigned long long>(field));
        name += hex;
    }
    return name;
}

// A 64-bit checksum, four independent lanes of multiply-rotate rounds so
// that a large image is summed at memory speed.
std::uint64_t rotate(std::uint64_t x, int bits)
{
    return (x << bits) | (x >> (64 - bits));
}

std::uint64_t checksum(const std::uint8_t* data, std::size_t size)
{
    constexpr std::uint64_t P1 = 0x9E3779B185EBCA87ULL, P2 = 0xC2B2AE3D27D4EB4FULL;
    std::uint64_t lanes[4] = {P1 + P2, P2, 0, 0 - P1};
    auto round = [](std::uint64_t lane, std::uint64_t word) { return rotate(lane + word * P2, 31) * P1; };
    std::size_t at = 0;
    for (; at + 32 <= size; at += 32) {
        std::uint64_t words[4];
        std::memcpy(words, data + at, 32);
        for (int i = 0; i < 4; ++i) lanes[i] = round(lanes[i], words[i]);
    }
    std::uint64_t sum = rotate(lanes[0], 1) + rotate(lanes[1], 7) + rotate(lanes[2], 12) + rotate(lanes[3], 18);
    for (; at < size; ++at) sum = round(sum, data[at]);
    sum ^= size * P1;
    sum ^= sum >> 33;
    return sum * P2;
}

std::uint64_t headerChecksum(const Header& header)
{
    return checksum(reinterpret_cast<const std::uint8_t*>(&header), offsetof(Header, headerChecksum));
}

std::size_t imageOffset(std::size_t pathSize)
{
    return (HEADER_BYTES + pathSize + IMAGE_ALIGNMENT - 1) / IMAGE_ALIGNMENT * IMAGE_ALIGNMENT;
}

// Only this user may have made the object, and only this user may be able
// to change it.
bool isOwnObject(int fd, struct stat& info)
{
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// The header of an object, when it reads whole and is sound.
bool readHeader(int fd, const struct stat& info, Header& header)
{
    if (static_cast<std::uint64_t>(info.st_size) < HEADER_BYTES ||
        ::pread(fd, &header, sizeof header, 0) != static_cast<ssize_t>(sizeof header))
        return false;
    return std::memcmp(header.magic, MAGIC, sizeof MAGIC) == 0 && header.headerChecksum == headerChecksum(header) &&
           header.pathSize <= PATH_LIMIT && header.imageOffset == imageOffset(header.pathSize) &&
           header.imageOffset + header.imageSize == static_cast<std::uint64_t>(info.st_size);
}

// Maps an existing object read-only when it can be trusted to be the image
// of the file with `identity`; MAP_FAILED otherwise.
void* mapTrusted(int fd, const Identity& identity, std::size_t& mappingSize, Header& header)
{
    struct stat info {};
    if (!isOwnObject(fd, info) || !readHeader(fd, info, header) || !(header.identity == identity))
        return MAP_FAILED;
    mappingSize = static_cast<std::size_t>(info.st_size);
    // Every page is read by the checksum anyway: fault them in at once.
    void* mapping = ::mmap(nullptr, mappingSize, PROT_READ, MAP_SHARED | MAP_POPULATE, fd, 0);
    if (mapping == MAP_FAILED) return MAP_FAILED;
    const auto* image = static_cast<const std::uint8_t*>(mapping) + header.imageOffset;
    if (checksum(image, header.imageSize) != header.imageChecksum) {
        ::munmap(mapping, mappingSize);
        return MAP_FAILED;
    }
    return mapping;
}

bool writeAll(int fd, const void* data, std::size_t size, std::size_t offset)
{
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::pwrite(fd, bytes, size, static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
        offset += static_cast<std::size_t>(written);
    }
    return true;
}

// Writes the object under a temporary name and renames it into place, so
// that no process ever opens a half-written object.  Written, not mapped,
// so that a full memory file system is an error here rather than a fault.
int publish(int folder, const std::string& name, const Identity& identity, const std::string& path,
            const std::vector<std::uint8_t>& image)
{
    if (path.size() > PATH_LIMIT) return -1;
    const std::string temporary = name + TEMPORARY_MARK + std::to_string(::getpid());
    ::unlinkat(folder, temporary.c_str(), 0);  // left by a dead process of the same number
    const int fd = ::openat(folder, temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    Header header{};
    std::memcpy(header.magic, MAGIC, sizeof MAGIC);
    header.identity = identity;
    header.pathSize = path.size();
    header.imageOffset = imageOffset(path.size());
    header.imageSize = image.size();
    header.imageChecksum = checksum(image.data(), image.size());
    header.headerChecksum = headerChecksum(header);
    const bool written = writeAll(fd, &header, sizeof header, 0) && writeAll(fd, path.data(), path.size(), HEADER_BYTES) &&
                         writeAll(fd, image.data(), image.size(), header.imageOffset) && ::fchmod(fd, 0400) == 0 &&
                         ::renameat(folder, temporary.c_str(), folder, name.c_str()) == 0;
    if (!written) {
        ::unlinkat(folder, temporary.c_str(), 0);
        ::close(fd);
        return -1;
    }
    return fd;
}

// Removes this user's objects that no longer match their file (changed or
// gone), that are damaged, or that a process died while writing.
void sweep(int folder, const std::string& kept)
{
    const int listing = ::dup(folder);
    DIR* dir = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (!dir) {
        if (listing >= 0) ::close(listing);
        return;
    }
    const std::string prefix = namePrefix();
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0 || name == kept) continue;
        const auto mark = name.find(TEMPORARY_MARK);
        if (mark != std::string::npos) {
            const long writer = std::strtol(name.c_str() + mark + std::strlen(TEMPORARY_MARK), nullptr, 10);
            if (writer > 0 && ::kill(static_cast<pid_t>(writer), 0) != 0 && errno == ESRCH)
                ::unlinkat(folder, name.c_str(), 0);
            continue;
        }
        const int fd = ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat info {};
        Header header{};
        bool stale = false;
        if (isOwnObject(fd, info)) {
            std::string path(readHeader(fd, info, header) ? header.pathSize : 0, '\0');
            Identity now;
            stale = path.empty() ||
                    ::pread(fd, path.data(), path.size(), HEADER_BYTES) != static_cast<ssize_t>(path.size()) ||
                    !identityOf(path, now) || !(now == header.identity);
        }
        ::close(fd);
        if (stale) ::unlinkat(folder, name.c_str(), 0);
    }
    ::closedir(dir);
}

}  // namespace

const char* SharedImage::objectFolder()
{
    return OBJECT_FOLDER;
}

std::string SharedImage::objectName(const std::string& path, std::string_view kind)
{
    Identity identity;
    return identityOf(path, identity) ? nameFor(kind, identity) : std::string();
}

std::unique_ptr<SharedImage> SharedImage::open(const std::string& path, std::string_view kind, const Builder& build)
{
    std::unique_ptr<SharedImage> result(new SharedImage());
    Identity identity;
    const bool identified = identityOf(path, identity) && identity.fields[2] >= SHARED_MINIMUM;
    const std::string name = identified ? nameFor(kind, identity) : std::string();
    const int folder = identified ? ::open(OBJECT_FOLDER, O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
    auto adopt = [&result](void* mapping, std::size_t mappingSize, const Header& header, Source source) {
        result->m_mapping = mapping;
        result->m_mappingSize = mappingSize;
        result->m_data = static_cast<const std::uint8_t*>(mapping) + header.imageOffset;
        result->m_size = header.imageSize;
        result->m_source = source;
    };

    if (folder >= 0) {
        const int fd = ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) {
            std::size_t mappingSize = 0;
            Header header{};
            void* mapping = mapTrusted(fd, identity, mappingSize, header);
            ::close(fd);
            if (mapping != MAP_FAILED) {
                adopt(mapping, mappingSize, header, Source::Mapped);
                ::close(folder);
                return result;
            }
            // Not to be trusted: it goes, if this user may remove it, and
            // the image is made afresh.
            ::unlinkat(folder, name.c_str(), 0);
        }
    }

    std::vector<std::uint8_t> image;
    if (!build(image)) {
        if (folder >= 0) ::close(folder);
        return nullptr;
    }
    // A file that changed while it was read is not published under the
    // identity it had before.
    Identity after;
    const int fd = folder >= 0 && !image.empty() && identityOf(path, after) && after == identity
                       ? publish(folder, name, identity, path, image)
                       : -1;
    if (fd >= 0) {
        Header header{};
        struct stat info {};
        std::size_t mappingSize = 0;
        void* mapping = ::fstat(fd, &info) == 0 && readHeader(fd, info, header)
                            ? ::mmap(nullptr, mappingSize = static_cast<std::size_t>(info.st_size), PROT_READ,
                                     MAP_SHARED | MAP_POPULATE, fd, 0)
                            : MAP_FAILED;
        ::close(fd);
        if (mapping != MAP_FAILED) {
            adopt(mapping, mappingSize, header, Source::Published);
            sweep(folder, name);
            ::close(folder);
            return result;
        }
    }
    if (folder >= 0) ::close(folder);
    result->m_private = std::move(image);
    result->m_data = result->m_private.data();
    result->m_size = result->m_private.size();
    result->m_source = Source::Private;
    return result;
}

SharedImage::~SharedImage()
{
    if (m_mapping) ::munmap(m_mapping, m_mappingSize);
}

}  // namespace quibo::platform
