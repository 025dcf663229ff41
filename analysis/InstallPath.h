// Where the product's data files live: the install directory recorded in
// the registry at installation.
#pragma once

#include <string>
#include <string_view>

namespace quibo {

inline constexpr std::string_view INSTALLPATH = "INSTALLPATH";

// The install directory exactly as stored (it ends with a path separator;
// callers append the data file's relative path), or the empty text when the
// key or the value is missing or the value does not fit the 1024-byte read
// buffer with its terminating NUL.  Nothing is reported.
std::string installPath();

}  // namespace quibo
