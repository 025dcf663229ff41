#include "platform/UrlDownload.h"

#include "platform/Clock.h"

#include <cstdio>
#include <cstdlib>
#include <curl/curl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <unistd.h>

namespace quibo::platform {
namespace {

namespace fs = std::filesystem;

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
        if (c != prefix[i]) {
            return false;
        }
    }
    return true;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string percentDecoded(std::string_view text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            result += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            result += text[i];
        }
    }
    return result;
}

DownloadResult failure(std::string error) { return DownloadResult{false, {}, std::move(error)}; }

DownloadResult localFile(const std::string& path)
{
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    if (ec || !fs::is_regular_file(absolute, ec) || access(absolute.c_str(), R_OK) != 0) {
        return failure("no readable file at " + path);
    }
    return DownloadResult{true, absolute.lexically_normal().string(), {}};
}

// A stable name for the cache: FNV-1a of the source, then the source's last
// path component with every byte outside [A-Za-z0-9._-] made '_'.
std::string cacheName(std::string_view source, std::string_view lastComponent)
{
    std::uint64_t hash = 0xCBF29CE484222325ull;
    for (char c : source) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    std::string name = std::string(hex) + "-";
    for (char c : lastComponent.substr(0, 100)) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '.' || c == '-' || c == '_';
        name += plain ? c : '_';
    }
    return name;
}

// A temporary file beside `target`, removed again unless commit() renamed it.
class PartialFile {
public:
    explicit PartialFile(const std::string& target) : m_target(target), m_temporary(target + ".part-XXXXXX")
    {
        const int fd = mkstemp(m_temporary.data());
        if (fd >= 0) {
            m_file = fdopen(fd, "wb");
            if (!m_file) {
                close(fd);
            }
        }
    }
    ~PartialFile()
    {
        if (m_file) {
            std::fclose(m_file);
        }
        if (!m_committed) {
            std::remove(m_temporary.c_str());
        }
    }
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    std::FILE* file() const { return m_file; }

    bool commit()
    {
        const bool written = std::fflush(m_file) == 0 && fsync(fileno(m_file)) == 0;
        const bool closed = std::fclose(m_file) == 0;
        m_file = nullptr;
        if (!written || !closed || std::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
            return false;
        }
        m_committed = true;
        return true;
    }

private:
    std::string m_target;
    std::string m_temporary;
    std::FILE* m_file = nullptr;
    bool m_committed = false;
};

std::string cacheTarget(std::string_view source, std::string_view lastComponent, std::string& error)
{
    const std::string folder = downloadCacheFolder();
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) {
        error = "cannot create the cache folder " + folder;
        return {};
    }
    return folder + cacheName(source, lastComponent);
}

struct Transfer {
    std::FILE* file = nullptr;
    std::uint64_t received = 0;
    std::uint64_t limit = 0;
    bool tooLarge = false;
    // When a byte last came (system clock), and how long none may.
    std::int64_t lastByte = 0;
    long stallMillis = 0;
    bool stalled = false;
    // The validators of the last response (a redirect's are replaced).
    std::string etag;
    std::string modified;
};

// What the cache keeps beside a copy: the URL it came from and the
// server's validators, one a line.
struct CacheMeta {
    std::string url;
    std::string etag;
    std::string modified;
};

CacheMeta readMeta(const std::string& path)
{
    CacheMeta meta;
    std::ifstream in(path);
    std::getline(in, meta.url);
    std::getline(in, meta.etag);
    std::getline(in, meta.modified);
    return meta;
}

bool writeMeta(const std::string& path, const CacheMeta& meta)
{
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << meta.url << "\n" << meta.etag << "\n" << meta.modified << "\n";
        if (!out.flush()) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

std::size_t readHeader(char* data, std::size_t size, std::size_t count, void* user)
{
    Transfer& transfer = *static_cast<Transfer*>(user);
    const std::string_view line(data, size * count);
    const auto value = [&](std::string_view name) -> std::optional<std::string> {
        if (line.size() <= name.size() || !startsWithNoCase(line, name)) {
            return std::nullopt;
        }
        std::string_view rest = line.substr(name.size());
        while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) {
            rest.remove_prefix(1);
        }
        while (!rest.empty() && (rest.back() == '\r' || rest.back() == '\n' || rest.back() == ' ')) {
            rest.remove_suffix(1);
        }
        return std::string(rest);
    };
    if (startsWithNoCase(line, "http/")) {
        transfer.etag.clear();
        transfer.modified.clear();
    } else if (const auto etag = value("etag:")) {
        transfer.etag = *etag;
    } else if (const auto modified = value("last-modified:")) {
        transfer.modified = *modified;
    }
    return size * count;
}

// Ends a transfer that has received nothing for too long (libcurl asks about
// once a second, and whenever bytes come).
int watchProgress(void* user, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t)
{
    Transfer& transfer = *static_cast<Transfer*>(user);
    const std::int64_t now = systemClock().elapsedMillis();
    if (static_cast<std::uint64_t>(downloaded) != transfer.received || transfer.lastByte == 0) {
        transfer.lastByte = now;
    }
    if (now - transfer.lastByte >= transfer.stallMillis) {
        transfer.stalled = true;
        return 1;
    }
    return 0;
}

std::size_t writeBody(char* data, std::size_t size, std::size_t count, void* user)
{
    Transfer& transfer = *static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    transfer.received += bytes;
    transfer.lastByte = systemClock().elapsedMillis();
    if (transfer.received > transfer.limit) {
        transfer.tooLarge = true;
        return 0;
    }
    return std::fwrite(data, 1, bytes, transfer.file);
}

DownloadResult fetch(std::string_view url, const DownloadLimits& limits)
{
    // One copy per URL: the versions a query names replace each other.
    std::string_view path = url.substr(0, url.find_first_of("?#"));
    const std::string_view lastComponent = path.substr(path.find_last_of('/') + 1);
    std::string error;
    const std::string target = cacheTarget(path, lastComponent, error);
    if (target.empty()) {
        return failure(error);
    }
    const std::string address(url.substr(0, url.find('#')));
    const CacheMeta kept = readMeta(target + ".meta");
    std::error_code ec;
    const bool conditional = kept.url == address && fs::is_regular_file(target, ec) &&
                             (!kept.etag.empty() || !kept.modified.empty());
    PartialFile partial(target);
    if (!partial.file()) {
        return failure("cannot write in the cache folder " + downloadCacheFolder());
    }

    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) {
        return failure("cannot start a transfer");
    }
    Transfer transfer;
    transfer.file = partial.file();
    transfer.limit = limits.maxBytes;
    transfer.stallMillis = limits.stallMillis;
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers(nullptr, curl_slist_free_all);
    const auto ask = [&headers](const std::string& name, const std::string& value) {
        if (!value.empty()) {
            headers.reset(curl_slist_append(headers.release(), (name + ": " + value).c_str()));
        }
    };
    if (conditional) {
        ask("If-None-Match", kept.etag);
        ask("If-Modified-Since", kept.modified);
    }
    char curlError[CURL_ERROR_SIZE] = "";
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, address.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, limits.connectTimeoutMillis);
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, limits.totalTimeoutMillis);
    curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, curlError);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, readHeader);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, watchProgress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &transfer);
    if (headers) {
        curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
    }
    const CURLcode rc = curl_easy_perform(c);
    if (transfer.tooLarge || rc == CURLE_FILESIZE_EXCEEDED) {
        return failure(address + ": larger than " + std::to_string(limits.maxBytes) + " bytes");
    }
    if (transfer.stalled) {
        return failure(address + ": the server sent nothing for " + std::to_string(limits.stallMillis) + " ms");
    }
    if (rc != CURLE_OK) {
        return failure(address + ": " + (curlError[0] ? curlError : curl_easy_strerror(rc)));
    }
    long status = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
    if (status == 304 && conditional) {
        return DownloadResult{true, target, {}};
    }
    if (!partial.commit()) {
        return failure("cannot write " + target);
    }
    writeMeta(target + ".meta", {address, transfer.etag, transfer.modified});
    return DownloadResult{true, target, {}};
}

}  // namespace

std::string downloadCacheFolder()
{
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/') {
        return std::string(cache) + "/orvane/";
    }
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.cache/orvane/";
}

DownloadResult urlDownloadToCacheFile(std::string_view url, const DownloadLimits& limits)
{
    if (url.empty()) {
        return failure("no URL");
    }
    if (startsWithNoCase(url, "http://") || startsWithNoCase(url, "https://")) {
        return fetch(url, limits);
    }
    if (startsWithNoCase(url, "file://")) {
        std::string_view rest = url.substr(7);
        const std::size_t slash = rest.find('/');
        const std::string_view host = rest.substr(0, slash);
        if (slash == std::string_view::npos || !(host.empty() || startsWithNoCase(host, "localhost"))) {
            return failure(std::string(url) + ": not a local file");
        }
        return localFile(percentDecoded(rest.substr(slash)));
    }
    if (url.find("://") != std::string_view::npos) {
        return failure(std::string(url) + ": unsupported scheme");
    }
    return localFile(std::string(url));
}

DownloadResult copyIntoCache(const std::string& path)
{
    std::string error;
    const std::string target = cacheTarget(path, fs::path(path).filename().string(), error);
    if (target.empty()) {
        return failure(error);
    }
    std::ifstream source(path, std::ios::binary);
    if (!source) {
        return failure("cannot read " + path);
    }
    PartialFile partial(target);
    if (!partial.file()) {
        return failure("cannot write in the cache folder " + downloadCacheFolder());
    }
    char buffer[65536];
    while (source.read(buffer, sizeof buffer) || source.gcount() > 0) {
        const std::size_t n = static_cast<std::size_t>(source.gcount());
        if (std::fwrite(buffer, 1, n, partial.file()) != n) {
            return failure("cannot write " + target);
        }
    }
    if (source.bad() || !partial.commit()) {
        return failure("cannot copy " + path + " into the cache");
    }
    return DownloadResult{true, target, {}};
}

}  // namespace quibo::platform
