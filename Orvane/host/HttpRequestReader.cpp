#include "Orvane/host/HttpRequestReader.h"

#include <strings.h>

namespace quibo::orvane {
namespace {

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

bool equalNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

bool isToken(std::string_view text)
{
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        if (c <= ' ' || c >= 0x7F || c == ':' || c == '(' || c == ')' || c == ',' || c == '"') {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string HttpRequestReader::Request::header(std::string_view name) const
{
    for (const auto& [key, value] : headers) {
        if (equalNoCase(key, name)) {
            return value;
        }
    }
    return {};
}

bool HttpRequestReader::Request::keepAlive() const
{
    const std::string connection = header("Connection");
    return http11 ? !equalNoCase(connection, "close") : equalNoCase(connection, "keep-alive");
}

HttpRequestReader::State HttpRequestReader::fail(int status)
{
    m_failure = status;
    m_state = State::Failed;
    m_buffer.clear();
    return m_state;
}

HttpRequestReader::State HttpRequestReader::feed(std::string_view bytes)
{
    if (m_state == State::Failed) {
        return m_state;
    }
    m_buffer.append(bytes);
    if (m_state == State::Complete) {
        // The next request, sent before this one's answer, waits its turn;
        // it is bounded as soon as it is read.
        return m_buffer.size() > m_limits.maxHeaderBytes + m_limits.maxBody ? fail(431) : m_state;
    }
    return m_inBody ? startBody() : readLines();
}

HttpRequestReader::State HttpRequestReader::next()
{
    m_request = Request();
    m_headerBytes = 0;
    m_bodyLength = 0;
    m_inBody = false;
    m_wantsContinue = false;
    if (m_state != State::Complete) {
        return m_state;
    }
    m_state = State::Incomplete;
    return m_buffer.empty() ? m_state : readLines();
}

HttpRequestReader::State HttpRequestReader::readLines()
{
    for (;;) {
        const std::size_t end = m_buffer.find('\n');
        if (end == std::string::npos) {
            if (m_headerBytes + m_buffer.size() > m_limits.maxHeaderBytes) {
                return fail(m_request.method.empty() ? 414 : 431);
            }
            return State::Incomplete;
        }
        m_headerBytes += end + 1;
        if (m_headerBytes > m_limits.maxHeaderBytes) {
            return fail(m_request.method.empty() ? 414 : 431);
        }
        std::string_view line(m_buffer.data(), end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (m_request.method.empty()) {
            // Blank lines before a request line are allowed and skipped.
            if (!line.empty()) {
                const std::size_t first = line.find(' ');
                const std::size_t last = line.rfind(' ');
                if (first == std::string_view::npos || first == last) {
                    return fail(400);
                }
                const std::string_view method = line.substr(0, first);
                const std::string_view target = line.substr(first + 1, last - first - 1);
                const std::string_view version = line.substr(last + 1);
                if (!isToken(method) || target.empty() || target.find(' ') != std::string_view::npos) {
                    return fail(400);
                }
                if (version != "HTTP/1.1" && version != "HTTP/1.0") {
                    return fail(version.substr(0, 5) == "HTTP/" ? 505 : 400);
                }
                m_request.method = method;
                m_request.target = target;
                m_request.http11 = version == "HTTP/1.1";
            }
        } else if (line.empty()) {
            m_buffer.erase(0, end + 1);
            m_inBody = true;
            return startBody();
        } else {
            if (m_request.headers.size() >= m_limits.maxHeaderCount) {
                return fail(431);
            }
            const std::size_t colon = line.find(':');
            if (colon == std::string_view::npos || !isToken(line.substr(0, colon))) {
                return fail(400);
            }
            m_request.headers.emplace_back(line.substr(0, colon), trimmed(line.substr(colon + 1)));
        }
        m_buffer.erase(0, end + 1);
    }
}

HttpRequestReader::State HttpRequestReader::startBody()
{
    if (m_bodyLength == 0 && m_request.body.empty()) {
        if (!m_request.header("Transfer-Encoding").empty()) {
            return fail(501);
        }
        const std::string length = m_request.header("Content-Length");
        if (!length.empty()) {
            if (length.size() > 9 || length.find_first_not_of("0123456789") != std::string::npos) {
                return fail(400);
            }
            m_bodyLength = std::stoul(length);
            if (m_bodyLength > m_limits.maxBody) {
                return fail(413);
            }
            for (const auto& [key, value] : m_request.headers) {
                if (equalNoCase(key, "Content-Length") && value != length) {
                    return fail(400);
                }
            }
        }
        m_wantsContinue = m_bodyLength > 0 && equalNoCase(m_request.header("Expect"), "100-continue");
    }
    if (m_buffer.size() < m_bodyLength) {
        return State::Incomplete;
    }
    m_request.body = m_buffer.substr(0, m_bodyLength);
    m_buffer.erase(0, m_bodyLength);
    m_inBody = false;
    m_state = State::Complete;
    return m_state;
}

}  // namespace quibo::orvane
