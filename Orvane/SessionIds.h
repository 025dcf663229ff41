// Session ids, the first part of a conversation's key: the local time of a
// millisecond as day, hour, minute, second, millisecond ("%02d%02d%02d%02d%03d",
// 11 digits).  Two conversations must never share a key, or their session
// logs and replies mix: an id is the clock's millisecond unless this process,
// or another one using the same log folder, has taken it already; then it is
// the first millisecond after the last one taken.  Processes agree through a
// small file in the log folder, read and written under a lock.
#pragma once

#include <cstdint>
#include <string>

namespace quibo::orvane {

class SessionIds {
public:
    static constexpr const char* FILE_NAME = ".session-ids";

    // An id no earlier call of this process or of another one sharing
    // `logFolder` (ending with '/') has handed out; without the folder (""
    // or one that cannot be written) only this process is taken into account.
    static std::string reserve(const std::string& logFolder);
};

// The session id of a local time.
std::string sessionIdAt(std::int64_t wallMillis);

}  // namespace quibo::orvane
