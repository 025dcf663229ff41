// The time stamp that prefixes progress and error lines of the dictionary
// loaders and writers.
#pragma once

#include <string>

namespace quibo {

// The current local time as "yyyy/mm/dd hh:mm:ss" and one blank: always 20
// characters.  Time comes from platform::clock(), the zone from TZ.
std::string currentTimeStamp();

}  // namespace quibo
