#include "tests/support/HttpTestServer.h"

#include <condition_variable>
#include <cstdlib>
#include <httplib.h>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace quibo::test {

struct HttpTestServer::State {
    std::unique_ptr<httplib::Server> server;
    std::string scheme;
    std::thread thread;
    int port = 0;
    std::mutex mutex;
    std::condition_variable released;
    bool stopping = false;
    std::map<std::string, std::pair<std::string, bool>> bodies;
    std::set<std::string> stalled;
    std::map<std::string, std::string> redirects;
    std::map<std::string, int> sent;
};

HttpTestServer::HttpTestServer() : m_state(std::make_unique<State>())
{
    m_state->server = std::make_unique<httplib::Server>();
    m_state->scheme = "http";
    start();
}

HttpTestServer::HttpTestServer(const std::string& certificateFile, const std::string& keyFile)
    : m_state(std::make_unique<State>())
{
    m_state->server = std::make_unique<httplib::SSLServer>(certificateFile.c_str(), keyFile.c_str());
    m_state->scheme = "https";
    start();
}

void HttpTestServer::start()
{
    State& s = *m_state;
    if (!s.server->is_valid()) {
        std::abort();
    }
    s.server->Get(".*", [&s](const httplib::Request& request, httplib::Response& response) {
        std::unique_lock lock(s.mutex);
        if (const auto it = s.redirects.find(request.path); it != s.redirects.end()) {
            response.set_redirect(it->second, 302);
            return;
        }
        if (s.stalled.count(request.path)) {
            s.released.wait(lock, [&s] { return s.stopping; });
            response.status = 503;
            return;
        }
        const auto it = s.bodies.find(request.path);
        if (it == s.bodies.end()) {
            response.status = 404;
            response.set_content("not here", "text/plain");
            return;
        }
        const auto body = std::make_shared<std::string>(it->second.first);
        if (!it->second.second) {
            // A whole body has a validator; asked with it, an unchanged
            // body is not sent again.
            const std::string etag = "\"" + std::to_string(std::hash<std::string>{}(*body)) + "\"";
            response.set_header("ETag", etag);
            if (request.get_header_value("If-None-Match") == etag) {
                response.status = 304;
                return;
            }
            ++s.sent[request.path];
            response.set_content(*body, "application/octet-stream");
            return;
        }
        response.set_chunked_content_provider(
            "application/octet-stream", [body](std::size_t offset, httplib::DataSink& sink) {
                if (offset >= body->size()) {
                    sink.done();
                } else {
                    sink.write(body->data() + offset, std::min<std::size_t>(1000, body->size() - offset));
                }
                return true;
            });
    });
    s.port = s.server->bind_to_any_port("127.0.0.1");
    if (s.port <= 0) {
        std::abort();
    }
    s.thread = std::thread([&s] { s.server->listen_after_bind(); });
}

HttpTestServer::~HttpTestServer()
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stopping = true;
    }
    m_state->released.notify_all();
    m_state->server->stop();
    m_state->thread.join();
}

void HttpTestServer::serve(const std::string& path, const std::string& body, bool chunked)
{
    std::lock_guard lock(m_state->mutex);
    m_state->bodies[path] = {body, chunked};
}

void HttpTestServer::stall(const std::string& path)
{
    std::lock_guard lock(m_state->mutex);
    m_state->stalled.insert(path);
}

void HttpTestServer::redirect(const std::string& path, const std::string& location)
{
    std::lock_guard lock(m_state->mutex);
    m_state->redirects[path] = location;
}

int HttpTestServer::sent(const std::string& path) const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->sent[path];
}

std::string HttpTestServer::url(const std::string& path) const
{
    return m_state->scheme + "://127.0.0.1:" + std::to_string(m_state->port) + path;
}

}  // namespace quibo::test
