#include "Orvane/host/PackageServer.h"

#include <fstream>
#include <sstream>

namespace quibo::orvane {
namespace {

constexpr std::string_view CONTROL_PREFIX = "/orvane/";
// What a page that finds no control free shows its visitor.
const std::string BUSY = reinterpret_cast<const char*>(
    u8"ただいま混み合っています。しばらくしてからページを読み込み直してください。");

HostResponse refusal(int status, const char* reason) { return {status, "text/plain; charset=UTF-8", reason}; }

}  // namespace

PackageServer::PackageServer(const std::string& folder, const OrvaneClassObject& api, ServerLimits limits)
    : m_folder(folder), m_limits(limits), m_pool(std::make_unique<ControlPool>(api, limits.pool))
{
    m_engine = std::make_unique<EngineThread>(
        [this] {
            if (m_pool) {
                m_pool->destroyIdle();
            }
        },
        limits.idleCheckMillis);
}

PackageServer::~PackageServer()
{
    m_engine->run([this] { m_pool.reset(); });
    m_engine.reset();
}

std::size_t PackageServer::controlCount()
{
    return m_engine->run([this] { return m_pool->size(); });
}

HostResponse PackageServer::respond(const HostRequest& request)
{
    // A page of another site can reach 127.0.0.1 under a name of its own
    // (DNS rebinding); the host answers only to its own address.
    const std::string port = ":" + std::to_string(m_port);
    if (request.host != "127.0.0.1" + port && request.host != "localhost" + port) {
        return refusal(403, "unknown host");
    }
    // Another site's page may send requests here too, though it cannot read
    // the answers: only the served pages' own requests reach a control.
    if (!request.origin.empty() && request.origin != "http://" + request.host) {
        return refusal(403, "foreign origin");
    }
    if (request.body.size() > m_limits.maxBody) {
        return refusal(413, "request too large");
    }
    return request.target.compare(0, CONTROL_PREFIX.size(), CONTROL_PREFIX) == 0 ? control(request) : file(request);
}

HostResponse PackageServer::file(const HostRequest& request) const
{
    if (request.method != "GET" && request.method != "HEAD") {
        return refusal(405, "method not allowed");
    }
    const StaticFolder::Lookup found = m_folder.find(request.target);
    switch (found.outcome) {
    case StaticFolder::Outcome::NotFound:
        return refusal(404, "not found");
    case StaticFolder::Outcome::Forbidden:
        return refusal(403, "forbidden");
    case StaticFolder::Outcome::BadRequest:
        return refusal(400, "bad path");
    case StaticFolder::Outcome::PackageList:
        return packageList();
    case StaticFolder::Outcome::Found:
        break;
    }
    std::ifstream in(found.file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in) {
        return refusal(403, "forbidden");
    }
    return {200, StaticFolder::contentType(found.file), bytes.str()};
}

HostResponse PackageServer::control(const HostRequest& request)
{
    if (request.method != "POST") {
        return refusal(405, "method not allowed");
    }
    const std::string name = request.target.substr(CONTROL_PREFIX.size());
    if (name == "create") {
        const ControlPool::Created created = m_engine->run([&] { return m_pool->create(request.connection); });
        switch (created.refusal) {
        case ControlPool::Refusal::None:
            return {200, "text/plain; charset=UTF-8", created.handle};
        case ControlPool::Refusal::ConnectionFull:
            return {429, "text/plain; charset=UTF-8", BUSY};
        case ControlPool::Refusal::PoolFull:
            return {503, "text/plain; charset=UTF-8", BUSY};
        case ControlPool::Refusal::NotCreated:
            break;
        }
        return refusal(500, "the control could not be created");
    }
    const std::optional<ControlMethod> method = controlMethodNamed(name);
    if (!method && name != "release") {
        return refusal(404, "no such method");
    }
    if (request.handle.empty()) {
        return refusal(400, "no handle");
    }
    if (!method) {
        const bool released = m_engine->run([&] { return m_pool->release(request.handle); });
        return released ? HostResponse{} : refusal(404, "unknown handle");
    }
    if (*method == ControlMethod::IsetUserQuestion && request.body.size() > m_limits.maxQuestion) {
        return refusal(413, "question too long");
    }
    if (*method == ControlMethod::Iinitialize) {
        return initialize(request);
    }
    const auto result = m_engine->run([&] { return m_pool->call(request.handle, *method, request.body); });
    return result ? HostResponse{200, "text/plain; charset=UTF-8", *result} : refusal(404, "unknown handle");
}

HostResponse PackageServer::packageList() const
{
    const auto escaped = [](const std::string& text) {
        std::string out;
        for (const char c : text) {
            switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
            }
        }
        return out;
    };
    const auto encoded = [](const std::string& name) {
        static constexpr char digits[] = "0123456789ABCDEF";
        std::string out;
        for (const char c : name) {
            const auto u = static_cast<unsigned char>(c);
            const bool plain = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
                               c == '-' || c == '_' || c == '.' || c == '~';
            out += plain ? std::string(1, c) : std::string{'%', digits[u >> 4], digits[u & 0xF]};
        }
        return out;
    };
    std::string page = reinterpret_cast<const char*>(
        u8"<!DOCTYPE html>\n<html lang=\"ja\">\n<head><meta charset=\"UTF-8\"><title>チャット</title></head>\n<body>\n");
    const std::vector<std::string> names = m_folder.packages();
    if (names.empty()) {
        page += reinterpret_cast<const char*>(u8"<p>このフォルダーにはチャットのページ（index.html）がありません。</p>\n");
    } else {
        page += "<ul>\n";
        for (const std::string& name : names) {
            page += "<li><a href=\"" + encoded(name) + "/\">" + escaped(name) + "</a></li>\n";
        }
        page += "</ul>\n";
    }
    return {200, "text/html; charset=UTF-8", page + "</body>\n</html>\n"};
}

HostResponse PackageServer::initialize(const HostRequest& request)
{
    const std::string file = knowledgeFile(request);
    std::optional<std::string> started;
    std::string reason;
    m_engine->run([&] {
        started = m_pool->call(request.handle, ControlMethod::Iinitialize, file);
        if (started && *started != "1") {
            reason = m_pool->call(request.handle, ControlMethod::IgetErrorMessage, "").value_or("");
            m_pool->call(request.handle, ControlMethod::IfreeErrorBstr, "");
        }
    });
    if (!started) {
        return refusal(404, "unknown handle");
    }
    if (*started == "1") {
        return {200, "text/plain; charset=UTF-8", "1"};
    }
    // The page learns that the start failed and why; the control keeps the
    // same text for IgetErrorMessage.
    if (file.empty()) {
        return {404, "text/plain; charset=UTF-8", "no knowledge file at " + request.body + " in the served folder"};
    }
    return {500, "text/plain; charset=UTF-8", reason.empty() ? std::string("the control did not start") : reason};
}

std::string PackageServer::knowledgeFile(const HostRequest& request) const
{
    const std::string origin = "http://" + request.host;
    if (request.body.compare(0, origin.size() + 1, origin + "/") != 0) {
        return {};
    }
    const StaticFolder::Lookup found = m_folder.find(std::string_view(request.body).substr(origin.size()));
    return found.outcome == StaticFolder::Outcome::Found ? found.file : std::string();
}

}  // namespace quibo::orvane
