// A small HTTP server on 127.0.0.1 for the download tests: it answers GET
// requests for the paths it was given (with an ETag, and 304 to a request
// that names the body's), 404 for the others, can redirect,
// and can hold a request unanswered until the server stops (for
// time-outs).  Given a certificate and its key it speaks HTTPS.
#pragma once

#include <memory>
#include <string>

namespace quibo::test {

class HttpTestServer {
public:
    HttpTestServer();
    // HTTPS with the PEM files' certificate and private key.
    HttpTestServer(const std::string& certificateFile, const std::string& keyFile);
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    // GET `path` answers `body`; chunked: without a Content-Length, in
    // pieces, so only the bytes received can tell its size.
    void serve(const std::string& path, const std::string& body, bool chunked = false);
    // GET `path` is answered only when the server stops.
    void stall(const std::string& path);
    // GET `path` answers 302 with `location`.
    void redirect(const std::string& path, const std::string& location);

    std::string url(const std::string& path) const;
    // How many times the whole body of `path` was sent (an answer that it
    // is unchanged sends none).
    int sent(const std::string& path) const;

private:
    void start();

    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace quibo::test
