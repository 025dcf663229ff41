#include "conversation/SessionLog.h"

#include <cstdint>

namespace quibo {
namespace {

constexpr std::uint32_t NEWEST = 0xFFFFFFFF;

}  // namespace

SessionLog::SessionLog(const std::string& sid, const std::string& kbName, const std::string& peerName,
                       const std::string& ipAddr)
    : m_sid(sid), m_kbName(kbName), m_peerName(peerName), m_ipAddr(ipAddr)
{
}

int SessionLog::appendUtterance()
{
    m_utterances.emplace_back();
    return static_cast<int>(m_utterances.size()) - 1;
}

int SessionLog::addUtterance(const std::string& text)
{
    const int index = appendUtterance();
    m_utterances[index].setInSent(text);
    return index;
}

UtteranceRecord* SessionLog::writable(int index)
{
    const std::uint32_t at = static_cast<std::uint32_t>(index);
    if (at == NEWEST) {
        if (m_utterances.empty())
            appendUtterance();
        return &m_utterances.back();
    }
    return at < m_utterances.size() ? &m_utterances[at] : nullptr;
}

const UtteranceRecord* SessionLog::readable(int index) const
{
    const std::uint32_t at = static_cast<std::uint32_t>(index);
    if (at < m_utterances.size())
        return &m_utterances[at];
    if (at == NEWEST && !m_utterances.empty())
        return &m_utterances.back();
    return nullptr;
}

TimeStamp::Instant SessionLog::startProcTime(int index)
{
    return write(index, TimeStamp::Instant{}, [](UtteranceRecord& r) { return r.startProcTime(); });
}

double SessionLog::getElapsed(int index)
{
    return write(index, 0.0, [](UtteranceRecord& r) { return r.elapsed(); });
}

int SessionLog::addCond(std::int32_t id, const void* object, int index)
{
    return write(index, 0, [&](UtteranceRecord& r) { return r.addCond(id, object); });
}

void SessionLog::setCondInWords(const MorphemeList& words, int item, int index)
{
    write(index, [&](UtteranceRecord& r) { r.setCondInWords(words, item); });
}

void SessionLog::setCondPhTypes(std::uint32_t flags, int item, int index)
{
    write(index, [&](UtteranceRecord& r) { r.setCondPhTypes(flags, item); });
}

void SessionLog::setCondObject(const void* object, int item, int index)
{
    write(index, [&](UtteranceRecord& r) { r.setCondObject(object, item); });
}

void SessionLog::setCondFlag(std::uint8_t flag, int item, int index)
{
    write(index, [&](UtteranceRecord& r) { r.setCondFlag(flag, item); });
}

int SessionLog::addCand(std::int32_t candId, std::int32_t condId, std::int32_t formCode, std::int32_t searchProcNo,
                        std::int32_t hitLevel, const std::string& candSent, const std::string& candNote, int index)
{
    return write(index, 0, [&](UtteranceRecord& r) {
        return r.addCand(candId, condId, formCode, searchProcNo, hitLevel, candSent, candNote);
    });
}

void SessionLog::setCandCorrels(const CorrelPairs& pairs, int item, int index)
{
    write(index, [&](UtteranceRecord& r) { r.setCandCorrels(pairs, item); });
}

void SessionLog::setCandWordPairs(const std::vector<WordPair>& pairs, int item, int index)
{
    write(index, [&](UtteranceRecord& r) { r.setCandWordPairs(pairs, item); });
}

void SessionLog::setAnsweredSent(const std::string& text, int index)
{
    write(index, [&](UtteranceRecord& r) { r.setAnsweredSent(text); });
}

void SessionLog::setSelCandId(std::int32_t id, int index)
{
    write(index, [&](UtteranceRecord& r) { r.setSelCandId(id); });
}

void SessionLog::setAddSent(const std::string& text, int index)
{
    write(index, [&](UtteranceRecord& r) { r.setAddSent(text); });
}

void SessionLog::setSelSent(const std::string& text, int index)
{
    write(index, [&](UtteranceRecord& r) { r.setSelSent(text); });
}

void SessionLog::setAnsSent(const std::string& text, int index)
{
    write(index, [&](UtteranceRecord& r) { r.setAnsSent(text); });
}

void SessionLog::setSrv(const std::string& text, int index)
{
    write(index, [&](UtteranceRecord& r) { r.setSrv(text); });
}

void SessionLog::setExtText(const std::string& text, int index)
{
    write(index, [&](UtteranceRecord& r) { r.setExtText(text); });
}

void SessionLog::setSentForm(std::int32_t code, int index)
{
    write(index, [&](UtteranceRecord& r) { r.setSentForm(code); });
}

void SessionLog::setHit(bool hit, int index)
{
    write(index, [&](UtteranceRecord& r) { r.setHit(hit); });
}

int SessionLog::getCondCount(int index) const
{
    return read(index, 0, [](const UtteranceRecord& r) { return r.getCondCount(); });
}

int SessionLog::findCondId(const void* object, int index) const
{
    return read(index, -1, [&](const UtteranceRecord& r) { return r.findCondId(object); });
}

int SessionLog::findCondIndex(const void* object, int index) const
{
    return read(index, -1, [&](const UtteranceRecord& r) { return r.findCondIndex(object); });
}

int SessionLog::getCandCount(int index) const
{
    return read(index, 0, [](const UtteranceRecord& r) { return r.getCandCount(); });
}

int SessionLog::getCandId(int item, int index) const
{
    return read(index, -1, [&](const UtteranceRecord& r) { return r.getCandId(item); });
}

std::string SessionLog::getAnsSent(int index) const
{
    return read(index, std::string(), [](const UtteranceRecord& r) { return r.getAnsSent(); });
}

std::string SessionLog::getExtText(int index) const
{
    return read(index, std::string(), [](const UtteranceRecord& r) { return r.getExtText(); });
}

namespace SessionLogRegistry {
namespace {

// Constant-initialised: no static initialisation order can reach it unset.
std::unique_ptr<LogMap> g_logs;

}  // namespace

LogMap& instance()
{
    if (!g_logs)
        g_logs = std::make_unique<LogMap>();
    return *g_logs;
}

SessionLog* get(const std::string& key, const std::string& kbName, const std::string& peerName,
                const std::string& ipAddr)
{
    LogMap& logs = instance();
    auto found = logs.find(key);
    if (found == logs.end())
        found = logs.emplace(key, std::make_unique<SessionLog>(key, kbName, peerName, ipAddr)).first;
    return found->second.get();
}

void remove(const std::string& key)
{
    if (g_logs)
        g_logs->erase(key);
}

void destroy() { g_logs.reset(); }

}  // namespace SessionLogRegistry

}  // namespace quibo
