// The HTTP side of orvane-host --serve: it listens on 127.0.0.1 only and
// carries each request to the package server and its answer back.
#pragma once

#include "Orvane/host/PackageServer.h"

#include <memory>

namespace quibo::orvane {

class HttpHost {
public:
    explicit HttpHost(PackageServer& server);
    // Stops listening and waits for the requests under way.
    ~HttpHost();
    HttpHost(const HttpHost&) = delete;
    HttpHost& operator=(const HttpHost&) = delete;

    // Binds 127.0.0.1:`port` (0: a free port) and answers requests on a
    // thread of its own until the object goes: the port bound, or -1.
    int start(int port);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace quibo::orvane
