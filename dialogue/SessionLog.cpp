#include "dialogue/SessionLog.h"

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
    UtteranceRecord* record = writable(index);
    return record ? record->startProcTime() : TimeStamp::Instant{};
}

double SessionLog::getElapsed(int index)
{
    UtteranceRecord* record = writable(index);
    return record ? record->elapsed() : 0.0;
}

int SessionLog::addCond(std::int32_t id, const void* object, int index)
{
    UtteranceRecord* record = writable(index);
    return record ? record->addCond(id, object) : 0;
}

void SessionLog::setCondInWords(const MorphemeList& words, int item, int index)
{
    if (UtteranceRecord* record = writable(index))
        record->setCondInWords(words, item);
}

void SessionLog::setCondPhTypes(std::uint32_t flags, int item, int index)
{
    if (UtteranceRecord* record = writable(index))
        record->setCondPhTypes(flags, item);
}

void SessionLog::setCondObject(const void* object, int item, int index)
{
    if (UtteranceRecord* record = writable(index))
        record->setCondObject(object, item);
}

void SessionLog::setCondFlag(std::uint8_t flag, int item, int index)
{
    if (UtteranceRecord* record = writable(index))
        record->setCondFlag(flag, item);
}

int SessionLog::addCand(std::int32_t candId, std::int32_t condId, std::int32_t formCode, std::int32_t searchProcNo,
                        std::int32_t hitLevel, const std::string& candSent, const std::string& candNote, int index)
{
    UtteranceRecord* record = writable(index);
    return record ? record->addCand(candId, condId, formCode, searchProcNo, hitLevel, candSent, candNote) : 0;
}

void SessionLog::setCandCorrels(const CorrelPairs& pairs, int item, int index)
{
    if (UtteranceRecord* record = writable(index))
        record->setCandCorrels(pairs, item);
}

void SessionLog::setCandWordPairs(const std::vector<WordPair>& pairs, int item, int index)
{
    if (UtteranceRecord* record = writable(index))
        record->setCandWordPairs(pairs, item);
}

void SessionLog::setAnsweredSent(const std::string& text, int index)
{
    if (UtteranceRecord* record = writable(index))
        record->setAnsweredSent(text);
}

void SessionLog::setSelCandId(std::int32_t id, int index)
{
    if (UtteranceRecord* record = writable(index))
        record->setSelCandId(id);
}

void SessionLog::setAddSent(const std::string& text, int index)
{
    if (UtteranceRecord* record = writable(index))
        record->setAddSent(text);
}

void SessionLog::setSelSent(const std::string& text, int index)
{
    if (UtteranceRecord* record = writable(index))
        record->setSelSent(text);
}

void SessionLog::setAnsSent(const std::string& text, int index)
{
    if (UtteranceRecord* record = writable(index))
        record->setAnsSent(text);
}

void SessionLog::setSrv(const std::string& text, int index)
{
    if (UtteranceRecord* record = writable(index))
        record->setSrv(text);
}

void SessionLog::setExtText(const std::string& text, int index)
{
    if (UtteranceRecord* record = writable(index))
        record->setExtText(text);
}

void SessionLog::setSentForm(std::int32_t code, int index)
{
    if (UtteranceRecord* record = writable(index))
        record->setSentForm(code);
}

void SessionLog::setHit(bool hit, int index)
{
    if (UtteranceRecord* record = writable(index))
        record->setHit(hit);
}

int SessionLog::getCondCount(int index) const
{
    const UtteranceRecord* record = readable(index);
    return record ? record->getCondCount() : 0;
}

int SessionLog::findCondId(const void* object, int index) const
{
    const UtteranceRecord* record = readable(index);
    return record ? record->findCondId(object) : -1;
}

int SessionLog::findCondIndex(const void* object, int index) const
{
    const UtteranceRecord* record = readable(index);
    return record ? record->findCondIndex(object) : -1;
}

int SessionLog::getCandCount(int index) const
{
    const UtteranceRecord* record = readable(index);
    return record ? record->getCandCount() : 0;
}

int SessionLog::getCandId(int item, int index) const
{
    const UtteranceRecord* record = readable(index);
    return record ? record->getCandId(item) : -1;
}

std::string SessionLog::getAnsSent(int index) const
{
    const UtteranceRecord* record = readable(index);
    return record ? record->getAnsSent() : std::string();
}

std::string SessionLog::getExtText(int index) const
{
    const UtteranceRecord* record = readable(index);
    return record ? record->getExtText() : std::string();
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
