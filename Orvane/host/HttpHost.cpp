#include "Orvane/host/HttpHost.h"

#include "platform/Clock.h"

#include <arpa/inet.h>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace quibo::orvane {
namespace {

constexpr std::size_t READ_BLOCK = 16 * 1024;
// The loop looks at its deadlines at least this often.
constexpr int LONGEST_WAIT_MILLIS = 1000;

std::int64_t now() { return platform::systemClock().elapsedMillis(); }

const char* reasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 413: return "Content Too Large";
    case 414: return "URI Too Long";
    case 429: return "Too Many Requests";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 503: return "Service Unavailable";
    case 505: return "HTTP Version Not Supported";
    default: return "Unknown";
    }
}

std::string responseBytes(const HostResponse& answer, bool head, bool keepAlive)
{
    std::string bytes = "HTTP/1.1 " + std::to_string(answer.status) + " " + reasonPhrase(answer.status) + "\r\n";
    bytes += "Content-Type: " + answer.contentType + "\r\n";
    bytes += "Content-Length: " + std::to_string(answer.body.size()) + "\r\n";
    bytes += "Cache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n";
    bytes += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    if (!head) {
        bytes += answer.body;
    }
    return bytes;
}

// What the refusal of a request that could not be read says.
const char* readFailure(int status)
{
    switch (status) {
    case 408: return "the request was not sent in time";
    case 413: return "request too large";
    case 414: return "request line too long";
    case 431: return "too many or too large request headers";
    case 501: return "transfer encodings are not taken";
    case 505: return "HTTP version not supported";
    default: return "malformed request";
    }
}

}  // namespace

struct HttpHost::Impl {
    enum class Phase { Reading, Answering, Writing };

    struct Connection {
        Connection(int f, std::uint64_t n, const HttpRequestLimits& limits) : fd(f), number(n), reader(limits) {}
        int fd;
        std::uint64_t number;
        HttpRequestReader reader;
        Phase phase = Phase::Reading;
        std::int64_t deadline = 0;
        bool requestStarted = false;
        std::string output;
        std::size_t written = 0;
        bool closeAfterWrite = false;
    };
    struct Job {
        int fd;
        std::uint64_t number;
        HostRequest request;
        bool head;
        bool keepAlive;
    };
    struct Answer {
        int fd;
        std::uint64_t number;
        std::string bytes;
        bool keepAlive;
    };

    Impl(PackageServer& s, HttpLimits l) : server(s), limits(l) {}

    PackageServer& server;
    HttpLimits limits;
    int listening = -1;
    int epoll = -1;
    int wakeUp = -1;  // an eventfd: answers are ready, or the host stops
    std::thread loopThread;
    std::vector<std::thread> workers;
    std::map<int, Connection> connections;
    std::uint64_t lastNumber = 0;

    std::mutex mutex;
    std::condition_variable jobReady;
    std::deque<Job> jobs;
    std::deque<Answer> answers;
    bool stopping = false;

    ~Impl()
    {
        for (auto& [fd, connection] : connections) {
            close(fd);
        }
        for (int fd : {listening, epoll, wakeUp}) {
            if (fd >= 0) {
                close(fd);
            }
        }
    }

    HttpRequestLimits requestLimits() const
    {
        return {limits.maxHeaderCount, limits.maxHeaderBytes, server.limits().maxBody};
    }

    void watch(int fd, std::uint32_t events) const
    {
        epoll_event event{};
        event.events = events;
        event.data.fd = fd;
        if (epoll_ctl(epoll, EPOLL_CTL_MOD, fd, &event) != 0 && errno == ENOENT) {
            epoll_ctl(epoll, EPOLL_CTL_ADD, fd, &event);
        }
    }
    void unwatch(int fd) const { epoll_ctl(epoll, EPOLL_CTL_DEL, fd, nullptr); }

    void signal() const
    {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(wakeUp, &one, sizeof one);
    }

    void drop(int fd)
    {
        unwatch(fd);
        close(fd);
        connections.erase(fd);
    }

    void acceptAll()
    {
        for (;;) {
            const int fd = accept4(listening, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0) {
                return;
            }
            if (connections.size() >= limits.maxConnections) {
                close(fd);
                continue;
            }
            // Answers are small and each waits for the one before it:
            // Nagle's delay would hold many of them back.
            const int yes = 1;
            setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
            Connection& connection =
                connections.try_emplace(fd, fd, ++lastNumber, requestLimits()).first->second;
            connection.deadline = now() + limits.idleMillis;
            watch(fd, EPOLLIN | EPOLLRDHUP);
        }
    }

    // Writes what the connection still owes; false when it is to go.
    bool flush(Connection& c)
    {
        while (c.written < c.output.size()) {
            const ssize_t n = ::send(c.fd, c.output.data() + c.written, c.output.size() - c.written, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                watch(c.fd, EPOLLOUT);
                return true;
            }
            if (n <= 0) {
                return false;
            }
            c.written += static_cast<std::size_t>(n);
        }
        c.output.clear();
        c.written = 0;
        if (c.closeAfterWrite) {
            return false;
        }
        c.phase = Phase::Reading;
        c.requestStarted = false;
        c.deadline = now() + limits.idleMillis;
        watch(c.fd, EPOLLIN | EPOLLRDHUP);
        // A request sent before the last answer is read on at once.
        return consume(c, c.reader.next());
    }

    // Sends an answer; false when the connection is to go (the caller drops
    // it).
    bool send(Connection& c, std::string bytes, bool keepAlive)
    {
        c.phase = Phase::Writing;
        c.output = std::move(bytes);
        c.written = 0;
        c.closeAfterWrite = c.closeAfterWrite || !keepAlive;
        c.deadline = now() + limits.writeMillis;
        return flush(c);
    }

    // Acts on the reader's state after new bytes: false when the connection
    // is to go (the caller drops it).
    bool consume(Connection& c, HttpRequestReader::State state)
    {
        if (c.reader.started() && !c.requestStarted) {
            c.requestStarted = true;
            c.deadline = now() + limits.requestMillis;
        }
        if (state == HttpRequestReader::State::Failed) {
            const int status = c.reader.failureStatus();
            return send(c, responseBytes({status, "text/plain; charset=UTF-8", readFailure(status)}, false, false),
                        false);
        }
        if (state == HttpRequestReader::State::Incomplete) {
            if (c.reader.wantsContinue() && c.output.empty()) {
                c.output = "HTTP/1.1 100 Continue\r\n\r\n";
                const ssize_t n = ::send(c.fd, c.output.data(), c.output.size(), MSG_NOSIGNAL);
                c.output.clear();
                return n > 0;
            }
            return true;
        }
        const HttpRequestReader::Request& r = c.reader.request();
        c.phase = Phase::Answering;
        // No deadline while the answer is made: the request threads and the
        // engine answer within their own time-outs.
        c.deadline = INT64_MAX;
        watch(c.fd, EPOLLRDHUP);
        Job job{c.fd,
                c.number,
                {r.method, r.target, r.header("Host"), r.header("X-Orvane-Handle"), r.body, r.header("Origin"),
                 c.number},
                r.method == "HEAD",
                r.keepAlive()};
        {
            std::lock_guard lock(mutex);
            jobs.push_back(std::move(job));
        }
        jobReady.notify_one();
        return true;
    }

    void readFrom(Connection& c)
    {
        char block[READ_BLOCK];
        for (;;) {
            const ssize_t n = recv(c.fd, block, sizeof block, 0);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                return;
            }
            if (n <= 0) {
                drop(c.fd);
                return;
            }
            if (!consume(c, c.reader.feed(std::string_view(block, static_cast<std::size_t>(n))))) {
                drop(c.fd);
                return;
            }
            if (c.phase != Phase::Reading) {
                return;
            }
        }
    }

    void deliverAnswers()
    {
        std::deque<Answer> ready;
        {
            std::lock_guard lock(mutex);
            ready.swap(answers);
        }
        for (Answer& answer : ready) {
            const auto found = connections.find(answer.fd);
            // The client may have gone, and its descriptor been reused.
            if (found == connections.end() || found->second.number != answer.number) {
                continue;
            }
            if (!send(found->second, std::move(answer.bytes), answer.keepAlive)) {
                drop(answer.fd);
            }
        }
    }

    // Closes the connections whose time is up; the wait until the next
    // deadline.
    int expire()
    {
        const std::int64_t t = now();
        std::int64_t next = t + LONGEST_WAIT_MILLIS;
        std::vector<int> late;
        for (auto& [fd, c] : connections) {
            if (c.deadline <= t) {
                late.push_back(fd);
            } else if (c.deadline < next) {
                next = c.deadline;
            }
        }
        for (int fd : late) {
            Connection& c = connections.at(fd);
            if (c.phase == Phase::Reading && c.requestStarted) {
                // Said once, without waiting for the client to take it.
                const std::string bytes = responseBytes(
                    {408, "text/plain; charset=UTF-8", readFailure(408)}, false, false);
                [[maybe_unused]] const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            }
            drop(fd);
        }
        return static_cast<int>(std::max<std::int64_t>(0, next - t));
    }

    void loop()
    {
        std::vector<epoll_event> events(256);
        for (;;) {
            const int waited = epoll_wait(epoll, events.data(), static_cast<int>(events.size()), expire());
            {
                std::lock_guard lock(mutex);
                if (stopping) {
                    return;
                }
            }
            for (int i = 0; i < waited; ++i) {
                const int fd = events[static_cast<std::size_t>(i)].data.fd;
                const std::uint32_t what = events[static_cast<std::size_t>(i)].events;
                if (fd == listening) {
                    acceptAll();
                    continue;
                }
                if (fd == wakeUp) {
                    std::uint64_t count;
                    [[maybe_unused]] const ssize_t r = read(wakeUp, &count, sizeof count);
                    continue;
                }
                const auto found = connections.find(fd);
                if (found == connections.end()) {
                    continue;
                }
                Connection& c = found->second;
                if (c.phase == Phase::Answering) {
                    // The client is gone or has said all it will: the answer
                    // is still made, sent if it can be, and the connection
                    // closed; until then it is not watched.
                    unwatch(fd);
                    c.closeAfterWrite = true;
                    continue;
                }
                if (what & (EPOLLERR | EPOLLHUP)) {
                    drop(fd);
                    continue;
                }
                if (c.phase == Phase::Writing && (what & EPOLLOUT)) {
                    if (!flush(c)) {
                        drop(fd);
                    }
                } else if (c.phase == Phase::Reading && (what & (EPOLLIN | EPOLLRDHUP))) {
                    readFrom(c);
                }
            }
            deliverAnswers();
        }
    }

    void work()
    {
        for (;;) {
            Job job;
            {
                std::unique_lock lock(mutex);
                jobReady.wait(lock, [this] { return stopping || !jobs.empty(); });
                if (jobs.empty()) {
                    return;
                }
                job = std::move(jobs.front());
                jobs.pop_front();
            }
            const HostResponse answer = server.respond(job.request);
            {
                std::lock_guard lock(mutex);
                answers.push_back({job.fd, job.number, responseBytes(answer, job.head, job.keepAlive), job.keepAlive});
            }
            signal();
        }
    }
};

HttpHost::HttpHost(PackageServer& server, HttpLimits limits) : m_impl(std::make_unique<Impl>(server, limits)) {}

HttpHost::~HttpHost()
{
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->stopping = true;
    }
    m_impl->jobReady.notify_all();
    if (m_impl->wakeUp >= 0) {
        m_impl->signal();
    }
    if (m_impl->loopThread.joinable()) {
        m_impl->loopThread.join();
    }
    for (std::thread& worker : m_impl->workers) {
        worker.join();
    }
}

int HttpHost::start(int port)
{
    Impl& impl = *m_impl;
    impl.listening = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    impl.epoll = epoll_create1(EPOLL_CLOEXEC);
    impl.wakeUp = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (impl.listening < 0 || impl.epoll < 0 || impl.wakeUp < 0) {
        return -1;
    }
    // Without SO_REUSEPORT a port already in use is refused, not shared.
    const int yes = 1;
    setsockopt(impl.listening, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(impl.listening, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(impl.listening, SOMAXCONN) != 0 ||
        getsockname(impl.listening, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return -1;
    }
    const int bound = ntohs(address.sin_port);
    impl.server.setPort(bound);
    impl.watch(impl.listening, EPOLLIN);
    impl.watch(impl.wakeUp, EPOLLIN);
    for (std::size_t i = 0; i < std::max<std::size_t>(1, impl.limits.requestThreads); ++i) {
        impl.workers.emplace_back([&impl] { impl.work(); });
    }
    impl.loopThread = std::thread([&impl] { impl.loop(); });
    return bound;
}

}  // namespace quibo::orvane
