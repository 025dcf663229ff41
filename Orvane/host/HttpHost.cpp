#include "Orvane/host/HttpHost.h"

#include <httplib.h>
#include <thread>
#include <unistd.h>

namespace quibo::orvane {
namespace {

// Request threads mostly wait for the engine thread; enough of them that
// twenty pages with their keep-alive connections are answered at once.
constexpr std::size_t REQUEST_THREADS = 32;
constexpr std::size_t KEEP_ALIVE_REQUESTS = 10000;

}  // namespace

struct HttpHost::Impl {
    explicit Impl(PackageServer& s) : server(s) {}
    PackageServer& server;
    httplib::Server http;
    std::thread listener;
    int listening = -1;
};

HttpHost::HttpHost(PackageServer& server) : m_impl(std::make_unique<Impl>(server))
{
    httplib::Server& http = m_impl->http;
    http.new_task_queue = [] { return new httplib::ThreadPool(REQUEST_THREADS); };
    http.set_payload_max_length(server.limits().maxBody);
    // Answers are small and each waits for the one before it: Nagle's delay
    // would hold many of them back for a delayed acknowledgement.
    http.set_tcp_nodelay(true);
    // A page's connection stays for its whole chat: connecting anew after a
    // few requests makes the pages' connections queue up.
    http.set_keep_alive_max_count(KEEP_ALIVE_REQUESTS);
    // Without SO_REUSEPORT a port already in use is refused, not shared.
    http.set_socket_options([impl = m_impl.get()](socket_t socket) {
        const int yes = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        impl->listening = socket;
    });
    const auto handler = [&server](const httplib::Request& request, httplib::Response& response) {
        const HostResponse answer = server.respond(
            {request.method, request.target, request.get_header_value("Host"),
             request.get_header_value("X-Orvane-Handle"), request.body, request.get_header_value("Origin")});
        response.status = answer.status;
        response.set_content(answer.body, answer.contentType.c_str());
        response.set_header("Cache-Control", "no-store");
        response.set_header("X-Content-Type-Options", "nosniff");
    };
    http.Get(".*", handler);
    http.Post(".*", handler);
    http.Put(".*", handler);
    http.Delete(".*", handler);
    http.Patch(".*", handler);
    http.Options(".*", handler);
}

HttpHost::~HttpHost()
{
    if (m_impl->listener.joinable()) {
        m_impl->http.stop();
        m_impl->listener.join();
    }
}

int HttpHost::start(int port)
{
    httplib::Server& http = m_impl->http;
    const int bound = port == 0 ? http.bind_to_any_port("127.0.0.1")
                                : (http.bind_to_port("127.0.0.1", port) ? port : -1);
    if (bound <= 0) {
        return -1;
    }
    // The library listens with a backlog of 5, which twenty pages opening
    // their connections at once overflow (each dropped one waits a second
    // to try again); listening again only enlarges the queue.
    ::listen(m_impl->listening, SOMAXCONN);
    m_impl->server.setPort(bound);
    m_impl->listener = std::thread([&http] { http.listen_after_bind(); });
    // A stop before the loop runs would be missed: start returns once it
    // runs (a real thread, so real time, whatever clock a test installed).
    for (int waited = 0; !http.is_running() && waited < 5000; ++waited) {
        usleep(1000);
    }
    return bound;
}

}  // namespace quibo::orvane
