// Our stand-in for downloading a URL into the cache: the control hands the
// engine a local file, whatever the page named.
//
// - A local path, or a file:// URL (host empty or "localhost"), is used in
//   place: the result is the file's absolute path, and the file must exist.
// - An http:// or https:// URL is fetched through libcurl into the cache
//   folder: with time-outs of their own for connecting, for a transfer
//   that stalls (no byte for a while, a server that accepts and never
//   answers included) and for the whole, a size limit, TLS certificates and
//   host names verified, redirects followed only to http and https.  The
//   body is written under a temporary name and renamed once complete, so
//   the cache never holds a half-written file under a name a reader would
//   take.  Any status of 400 or more is a failure.
// - The cache keeps one copy per URL (its query and fragment aside), with
//   the URL it came from and the server's validators (ETag, Last-Modified)
//   beside it in "NAME.meta".  Fetching the same URL again asks the server
//   whether it changed, and an unchanged file is not fetched again.
//
// The cache folder is $XDG_CACHE_HOME/orvane/, else $HOME/.cache/orvane/.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quibo::platform {

struct DownloadLimits {
    long connectTimeoutMillis = 5000;
    long totalTimeoutMillis = 60000;
    std::uint64_t maxBytes = 256ull << 20;
    // A transfer that receives nothing for this long fails.
    long stallMillis = 10000;
};

struct DownloadResult {
    bool ok = false;
    std::string path;   // absolute path of the local file when ok
    std::string error;  // why not, when not ok
};

std::string downloadCacheFolder();

DownloadResult urlDownloadToCacheFile(std::string_view url, const DownloadLimits& limits = {});

// Copies a local file into the cache folder (temporary name, then renamed);
// the copy's name is made of the original path's hash and its plain
// letters, so it holds only [A-Za-z0-9._-].
DownloadResult copyIntoCache(const std::string& path);

}  // namespace quibo::platform
