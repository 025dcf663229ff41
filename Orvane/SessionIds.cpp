#include "Orvane/SessionIds.h"

#include "platform/Clock.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <unistd.h>

namespace quibo::orvane {
namespace {

std::mutex g_mutex;
std::int64_t g_lastTaken = INT64_MIN;

// The last millisecond any process took in the folder's file, after which
// `wanted` is pushed on; the file then holds the one taken now.  `wanted`
// as it is when the file cannot be used.
std::int64_t takeInFolder(const std::string& folder, std::int64_t wanted)
{
    const int fd = open((folder + SessionIds::FILE_NAME).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return wanted;
    }
    if (flock(fd, LOCK_EX) == 0) {
        char text[32] = {};
        const ssize_t length = pread(fd, text, sizeof text - 1, 0);
        if (length > 0) {
            const long long last = std::strtoll(text, nullptr, 10);
            wanted = std::max<std::int64_t>(wanted, last + 1);
        }
        const int written = std::snprintf(text, sizeof text, "%lld\n", static_cast<long long>(wanted));
        if (pwrite(fd, text, static_cast<std::size_t>(written), 0) == written) {
            [[maybe_unused]] const int truncated = ftruncate(fd, written);
        }
    }
    close(fd);  // and with it the lock
    return wanted;
}

}  // namespace

std::string sessionIdAt(std::int64_t wallMillis)
{
    const std::time_t seconds = static_cast<std::time_t>(wallMillis / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char id[32];
    std::snprintf(id, sizeof id, "%02d%02d%02d%02d%03d", local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(wallMillis % 1000));
    return id;
}

std::string SessionIds::reserve(const std::string& logFolder)
{
    const std::lock_guard lock(g_mutex);
    std::int64_t taken = platform::clock().wallMillis();
    if (g_lastTaken != INT64_MIN) {
        taken = std::max(taken, g_lastTaken + 1);
    }
    if (!logFolder.empty()) {
        taken = takeInFolder(logFolder, taken);
    }
    g_lastTaken = taken;
    return sessionIdAt(taken);
}

}  // namespace quibo::orvane
