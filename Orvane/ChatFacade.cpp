#include "Orvane/ChatFacade.h"

#include "analysis/CodeConverter.h"
#include "analysis/ConsoleLine.h"
#include "conversation/SessionLog.h"
#include "dialogue/ChatService.h"
#include "platform/IconvText.h"

#include <memory>
#include <unistd.h>

namespace {

using quibo::ChatService;
using quibo::CodeConverter;

constexpr std::int32_t MAXIMUM_KNOWLEDGE = 10;
constexpr const char* PEER_ADDRESS = "127.0.0.1";

// The facade's process-wide state, built on first use so that no static
// initialisation order matters; it goes when the library is unloaded.
struct Facade {
    std::unique_ptr<ChatService> service;
    int useCount = 0;
    CodeConverter converter{std::string()};
    // Why the service's language data did not load (UTF-8), kept for every
    // open while the service lives; and why the last open failed.
    std::string setupFailure;
    std::string openFailure;

    std::string toEuc(const std::string& text) { return converter.convertText(scratch, text, CodeConverter::EUC); }
    std::string toSjis(const std::string& text) { return converter.convertText(scratch, text, CodeConverter::SJIS); }

private:
    std::string scratch;
};

Facade& facade()
{
    static Facade instance;
    return instance;
}

std::string text(const char* bytes) { return bytes ? std::string(bytes) : std::string(); }

// Why the conversation over the knowledge name did not open (UTF-8): the
// loader's own reason when it gave one.
std::string whyNotOpened(ChatService& service, const std::string& knowledgeName)
{
    std::string reason = quibo::takeFailure();
    if (!reason.empty())
        return reason;
    const std::string path = knowledgeName.empty() ? std::string() : service.manager().knowledgePath(knowledgeName);
    if (path.empty() || access(path.c_str(), R_OK) != 0)
        return "the knowledge file " + path + " cannot be read";
    if (service.manager().isFull())
        return "no more than " + std::to_string(MAXIMUM_KNOWLEDGE) + " knowledge files can be open at once";
    return "the knowledge file " + path + " cannot be loaded";
}

// Runs an entry point's body; an exception ends it with the fallback result.
template <class Body, class Result>
Result guarded(Body body, Result fallback)
{
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}

}  // namespace

extern "C" {

int chatOpen(const char* key, const char* knowledgeFile, const char* resourcePath, const char* creationText,
             const char* peerAddress, int analyzerFlag)
{
    return guarded(
        [&] {
            Facade& f = facade();
            // Counted first: the open is a use of the service whatever follows.
            ++f.useCount;
            if (!f.service) {
                quibo::takeFailure();
                f.service = std::make_unique<ChatService>("", MAXIMUM_KNOWLEDGE, text(knowledgeFile), text(resourcePath),
                                                          f.toEuc(text(creationText)), "", analyzerFlag);
                f.setupFailure = f.service->status() == 0 ? std::string() : quibo::takeFailure();
            }
            // Without its language data the engine would answer every
            // question with nonsense: no conversation is opened.
            if (f.service->status() != 0) {
                f.openFailure = "the language data cannot be loaded (" + std::to_string(f.service->status()) + ")" +
                                (f.setupFailure.empty() ? "" : ": " + f.setupFailure);
                return -1;
            }
            const std::string name = splitKnowledgeName(key);
            quibo::takeFailure();
            if (!f.service->isOpen(text(key), name)) {
                f.openFailure = whyNotOpened(*f.service, name);
                return -1;
            }
            quibo::SessionLogRegistry::get(text(key), "", "", "")->setIpAddr(text(peerAddress));
            return 0;
        },
        0);
}

std::string chatOpenFailure()
{
    return guarded([] { return quibo::platform::convertWithIconv("CP932", "UTF-8", facade().openFailure); },
                   std::string());
}

int chatStart(const char* key, const char* id, int& first, int& second, std::vector<int>& list)
{
    first = 0;
    second = 0;
    list.clear();
    return guarded(
        [&] {
            Facade& f = facade();
            if (f.service)
                f.service->start(text(key), splitKnowledgeName(key), f.toEuc(text(id)), first, second, list);
            return 0;
        },
        0);
}

int chatFetch(const char* key, int first, int second, std::string& out)
{
    return guarded(
        [&] {
            Facade& f = facade();
            if (first == 0 || !f.service)
                return -1;
            std::string fetched;
            f.service->fetch(text(key), splitKnowledgeName(key), first, second, fetched);
            out = f.toSjis(fetched);
            return 0;
        },
        -1);
}

void chatAsk(const char* key, const char* utterance, std::string& out, int preAnalysed)
{
    guarded(
        [&] {
            Facade& f = facade();
            const std::string reply =
                f.service ? f.service->getReply(text(key), splitKnowledgeName(key), f.toEuc(text(utterance)),
                                                PEER_ADDRESS, preAnalysed != 0)
                          : std::string(ChatService::BUSY_ERROR) + ";;";
            out = f.toSjis(reply);
            return 0;
        },
        0);
}

int chatClose(const char* key)
{
    return guarded(
        [&] {
            Facade& f = facade();
            // A close without an open does not take the count below 0, so
            // that the next open and close still delete the service.
            if (f.useCount > 0)
                --f.useCount;
            if (f.service) {
                f.service->closeConversation(text(key));
                if (f.useCount == 0)
                    f.service.reset();
            }
            return 1;
        },
        1);
}

std::string chatReplyText(const char* key, int index)
{
    return guarded(
        [&] { return facade().toSjis(quibo::SessionLogRegistry::get(text(key), "", "", "")->getAnsSent(index)); },
        std::string());
}

std::string chatExtensionInfo(const char* key, int index)
{
    return guarded(
        [&] { return facade().toSjis(quibo::SessionLogRegistry::get(text(key), "", "", "")->getExtText(index)); },
        std::string());
}

int chatGreeting(const char* key, std::string& out)
{
    return guarded(
        [&] {
            Facade& f = facade();
            std::string greeting;
            int result = 0;
            if (f.service)
                result = f.service->getGreeting(text(key), greeting);
            else
                greeting = std::string(ChatService::INIT_GREETING_ERROR) + ";;";
            out = f.toSjis(greeting);
            return result;
        },
        0);
}

std::string splitKnowledgeName(const char* key)
{
    const std::string k = text(key);
    if (k.empty())
        return std::string();
    std::size_t pos = k.rfind(':');
    if (pos == std::string::npos)
        return std::string();
    // The last ':' may be a drive letter's: the name then starts at the ';'
    // of ":;".
    if (pos >= 3 && k[pos - 3] == ':' && k[pos - 2] == ';')
        pos -= 3;
    return pos + 1 < k.size() ? k.substr(pos + 1) : std::string();
}

}
