// The HTTP side of orvane-host --serve: it listens on 127.0.0.1 only and
// carries each request to the package server and its answer back.
//
// One thread watches every connection and reads requests as their bytes
// come; only a whole request takes one of the request threads, which wait
// for the package server (and the engine thread behind it).  A connection
// that sits idle or sends its request slowly therefore holds no thread, and
// the bounds below close it: a client has `requestMillis` from the first
// byte of a request to its last, a kept-alive connection may wait
// `idleMillis` for its next request, and an answer must be taken within
// `writeMillis`.  Request lines and headers are bounded in count and size
// (431), bodies by the package server's limit (413).
#pragma once

#include "Orvane/host/HttpRequestReader.h"
#include "Orvane/host/PackageServer.h"

#include <memory>

namespace quibo::orvane {

struct HttpLimits {
    std::size_t maxHeaderCount = 100;
    std::size_t maxHeaderBytes = 16 * 1024;
    int requestMillis = 10 * 1000;
    int idleMillis = 30 * 1000;
    int writeMillis = 10 * 1000;
    // Connections open at once; more are closed as they come.
    std::size_t maxConnections = 1000;
    // Requests answered at once (each waits for the engine thread).
    std::size_t requestThreads = 32;
};

class HttpHost {
public:
    explicit HttpHost(PackageServer& server, HttpLimits limits = {});
    // Stops listening and waits for the requests under way.
    ~HttpHost();
    HttpHost(const HttpHost&) = delete;
    HttpHost& operator=(const HttpHost&) = delete;

    // Binds 127.0.0.1:`port` (0: a free port) and answers requests on
    // threads of its own until the object goes: the port bound, or -1.
    int start(int port);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace quibo::orvane
