// A small HTTP server on 127.0.0.1 for the download tests: it answers GET
// requests for the paths it was given, 404 for the others, and can hold a
// request unanswered until the server stops (for time-outs).
#pragma once

#include <memory>
#include <string>

namespace quibo::test {

class HttpTestServer {
public:
    HttpTestServer();
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    // GET `path` answers `body`; chunked: without a Content-Length, in
    // pieces, so only the bytes received can tell its size.
    void serve(const std::string& path, const std::string& body, bool chunked = false);
    // GET `path` is answered only when the server stops.
    void stall(const std::string& path);

    std::string url(const std::string& path) const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace quibo::test
