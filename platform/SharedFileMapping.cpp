#include "platform/SharedFileMapping.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <new>
#include <mutex>

namespace quibo::platform {
namespace {

struct Region {
    void* address = nullptr;
    std::size_t size = 0;
    int holders = 0;
};

// The process-wide name table.  The engine is single-threaded, but tests and
// benchmarks may open analysers from several threads; the lock is cheap.
// Both are never destroyed: a host that exits without closing its
// conversations destroys the engine's own statics (which still hold
// mappings) in an order nobody controls, and they must find the table alive.
// They live in static storage, not on the heap, so that a host that unloads
// the library does not lose them as leaked memory.
template <class T>
T& immortal()
{
    alignas(T) static unsigned char storage[sizeof(T)];
    static T* const object = new (storage) T();
    return *object;
}

std::mutex& tableLock()
{
    return immortal<std::mutex>();
}

std::map<std::string, Region>& table()
{
    return immortal<std::map<std::string, Region>>();
}

// Maps the whole file read-only; the descriptor is not needed once mapped.
bool mapFile(const std::string& path, Region& region)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
    if (ok) {
        void* address = ::mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ,
                               MAP_SHARED, fd, 0);
        ok = address != MAP_FAILED;
        if (ok) {
            region.address = address;
            region.size = static_cast<std::size_t>(info.st_size);
        }
    }
    ::close(fd);
    return ok;
}

}  // namespace

SharedFileMapping::~SharedFileMapping() { close(); }

bool SharedFileMapping::open(const std::string& filePath, const std::string& mappingName)
{
    close();
    std::lock_guard<std::mutex> guard(tableLock());
    auto& regions = table();
    auto found = regions.find(mappingName);
    if (found == regions.end()) {
        Region region;
        if (!mapFile(filePath, region)) return false;
        found = regions.emplace(mappingName, region).first;
        m_ownsFile = true;
    }
    ++found->second.holders;
    m_filePath = filePath;
    m_mappingName = mappingName;
    m_view = static_cast<const std::uint8_t*>(found->second.address);
    m_size = found->second.size;
    m_mapped = true;
    return true;
}

void SharedFileMapping::close()
{
    if (!m_mapped) return;
    std::lock_guard<std::mutex> guard(tableLock());
    auto& regions = table();
    auto found = regions.find(m_mappingName);
    if (found != regions.end() && --found->second.holders == 0) {
        ::munmap(found->second.address, found->second.size);
        regions.erase(found);
    }
    m_mapped = false;
    m_ownsFile = false;
    m_view = nullptr;
    m_size = 0;
}

int SharedFileMapping::holders(const std::string& mappingName)
{
    std::lock_guard<std::mutex> guard(tableLock());
    auto found = table().find(mappingName);
    return found == table().end() ? 0 : found->second.holders;
}

}  // namespace quibo::platform
