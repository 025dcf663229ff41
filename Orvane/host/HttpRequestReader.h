// One HTTP/1.x request as it arrives on a connection, bytes at a time: the
// request line, the headers and a body of Content-Length bytes.  What a
// client may send is bounded before it is kept: the number of header lines,
// the bytes of the request line and headers together, and the body; a
// request over a bound is refused with its status (431, 413) before the rest
// is read, so a client cannot make the host hold more than the bounds.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quibo::orvane {

struct HttpRequestLimits {
    std::size_t maxHeaderCount = 100;
    // The request line and the header lines, line ends included.
    std::size_t maxHeaderBytes = 16 * 1024;
    std::size_t maxBody = 16 * 1024;
};

class HttpRequestReader {
public:
    enum class State { Incomplete, Complete, Failed };

    struct Request {
        std::string method;
        std::string target;
        bool http11 = true;
        std::vector<std::pair<std::string, std::string>> headers;
        std::string body;

        // The value of the first header named `name` (any case); "" when none.
        std::string header(std::string_view name) const;
        // HTTP/1.1 keeps the connection unless told "close"; HTTP/1.0 only
        // when told "keep-alive".
        bool keepAlive() const;
    };

    explicit HttpRequestReader(HttpRequestLimits limits) : m_limits(limits) {}

    // Takes the next bytes of the connection.  Complete: request() holds the
    // request, and bytes after it wait for the next one (next()).  Failed:
    // failureStatus() says why (400, 413, 431, 501, 505); nothing more is
    // read.
    State feed(std::string_view bytes);
    // Whether a byte of a request has arrived since the last one ended.
    bool started() const { return !m_buffer.empty() || m_inBody || !m_request.method.empty(); }
    // The client said "Expect: 100-continue" and waits for it before its body.
    bool wantsContinue() const { return m_wantsContinue; }
    const Request& request() const { return m_request; }
    int failureStatus() const { return m_failure; }
    // Forgets the completed request and reads on from the bytes that came
    // after it.
    State next();

private:
    State fail(int status);
    State readLines();
    State startBody();

    HttpRequestLimits m_limits;
    std::string m_buffer;
    Request m_request;
    std::size_t m_headerBytes = 0;
    std::size_t m_bodyLength = 0;
    bool m_inBody = false;
    bool m_wantsContinue = false;
    State m_state = State::Incomplete;
    int m_failure = 0;
};

}  // namespace quibo::orvane
