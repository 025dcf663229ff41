// What orvane-host answers a browser when it serves a chat package: the
// package folder's files, and the control for the package's pages.  A page
// creates its own control ("POST /orvane/create" answers its handle) and
// calls the control's eight dispatch methods as "POST /orvane/<method>"
// with the handle in the X-Orvane-Handle header and the text argument as
// the body; "POST /orvane/release" ends it when the page goes.  Texts are
// UTF-8.  The HTTP shell only carries requests here and answers back; every
// decision is made here, so tests drive this class directly.
#pragma once

#include "Orvane/host/ControlPool.h"
#include "Orvane/host/EngineThread.h"
#include "Orvane/host/StaticFolder.h"

#include <cstdint>
#include <memory>
#include <string>

namespace quibo::orvane {

struct HostRequest {
    std::string method;  // "GET", "POST", ...
    std::string target;  // the path of the request line, undecoded
    std::string host;    // the Host header
    std::string handle;  // the X-Orvane-Handle header
    std::string body;
    std::string origin = {};  // the Origin header, when the browser sent one
    // The connection the request came on (numbered by the HTTP shell; 0
    // when there is none).
    std::uint64_t connection = 0;
};

struct HostResponse {
    int status = 200;
    std::string contentType = "text/plain; charset=UTF-8";
    std::string body;
};

struct ServerLimits {
    // Bytes of a request body; the HTTP shell refuses longer ones before
    // reading them.
    std::size_t maxBody = 16 * 1024;
    // Bytes of a question (UTF-8): the control cuts what it is given at
    // 1024 Shift_JIS bytes, which no question longer than this fits.
    std::size_t maxQuestion = 4096;
    PoolLimits pool;
    int idleCheckMillis = 60 * 1000;
};

class PackageServer {
public:
    PackageServer(const std::string& folder, const OrvaneClassObject& api, ServerLimits limits = {});
    // Destroys the controls on the engine thread.
    ~PackageServer();
    PackageServer(const PackageServer&) = delete;
    PackageServer& operator=(const PackageServer&) = delete;

    const StaticFolder& folder() const { return m_folder; }
    const ServerLimits& limits() const { return m_limits; }
    // The port the host listens on; the Host header must name it.
    void setPort(int port) { m_port = port; }

    HostResponse respond(const HostRequest& request);
    std::size_t controlCount();

private:
    HostResponse file(const HostRequest& request) const;
    // The root of a folder of packages: a page with a link to each.
    HostResponse packageList() const;
    HostResponse control(const HostRequest& request);
    // Iinitialize: 200 "1" once the control started; else 404 for a URL
    // that names no file of the folder, or 500 with the control's reason.
    HostResponse initialize(const HostRequest& request);
    // The local file a knowledge URL of the page names: only files of the
    // served folder, at the host's own address; "" otherwise.
    std::string knowledgeFile(const HostRequest& request) const;

    StaticFolder m_folder;
    ServerLimits m_limits;
    int m_port = 0;
    std::unique_ptr<ControlPool> m_pool;
    std::unique_ptr<EngineThread> m_engine;
};

}  // namespace quibo::orvane
