// The in-memory log of one conversation: one UtteranceRecord per user
// utterance, oldest first.  The engine front appends a record when an
// utterance arrives, the later stages of the turn write into the newest one,
// and the control facade reads the reply and extension texts back.  Nothing
// writes the log to a file.
//
// Every per-utterance operation takes the utterance index last, compared as
// an unsigned 32-bit value; -1 means the newest record.  A writer given -1 on
// a log without records first creates one; a reader never does.  An index
// that fails its test makes a writer do nothing and a reader answer its
// default.
#pragma once

#include "conversation/UtteranceRecord.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quibo {

class MorphemeList;

class SessionLog {
public:
    SessionLog(const std::string& sid, const std::string& kbName, const std::string& peerName,
               const std::string& ipAddr);

    // A new record stamped now; its index.
    int appendUtterance();
    int addUtterance(const std::string& text);
    void setIpAddr(const std::string& text) { m_ipAddr = text; }

    // Writers.
    TimeStamp::Instant startProcTime(int index);
    double getElapsed(int index);
    int addCond(std::int32_t id, const void* object, int index);
    void setCondInWords(const MorphemeList& words, int item, int index);
    void setCondPhTypes(std::uint32_t flags, int item, int index);
    void setCondObject(const void* object, int item, int index);
    void setCondFlag(std::uint8_t flag, int item, int index);
    int addCand(std::int32_t candId, std::int32_t condId, std::int32_t formCode, std::int32_t searchProcNo,
                std::int32_t hitLevel, const std::string& candSent, const std::string& candNote, int index);
    void setCandCorrels(const CorrelPairs& pairs, int item, int index);
    void setCandWordPairs(const std::vector<WordPair>& pairs, int item, int index);
    void setAnsweredSent(const std::string& text, int index);
    void setSelCandId(std::int32_t id, int index);
    void setAddSent(const std::string& text, int index);
    void setSelSent(const std::string& text, int index);
    void setAnsSent(const std::string& text, int index);
    void setSrv(const std::string& text, int index);
    void setExtText(const std::string& text, int index);
    void setSentForm(std::int32_t code, int index);
    void setHit(bool hit, int index);

    // Readers.
    int getCondCount(int index) const;
    int findCondId(const void* object, int index) const;
    int findCondIndex(const void* object, int index) const;
    int getCandCount(int index) const;
    int getCandId(int item, int index) const;
    std::string getAnsSent(int index) const;
    std::string getExtText(int index) const;

    const std::string& sid() const { return m_sid; }
    const std::string& kbName() const { return m_kbName; }
    const std::string& peerName() const { return m_peerName; }
    const std::string& ipAddr() const { return m_ipAddr; }
    const std::vector<UtteranceRecord>& utterances() const { return m_utterances; }

private:
    // The record a writer works on: null when the index fails (after -1 on
    // an empty log has created the first record).
    UtteranceRecord* writable(int index);
    // The record a reader reads; null when the index fails.
    const UtteranceRecord* readable(int index) const;
    // Runs `access` on the record of the index, or answers `fallback`.
    template <class Result, class Access>
    Result write(int index, Result fallback, Access access)
    {
        UtteranceRecord* record = writable(index);
        return record ? access(*record) : fallback;
    }
    template <class Access>
    void write(int index, Access access)
    {
        if (UtteranceRecord* record = writable(index))
            access(*record);
    }
    template <class Result, class Access>
    Result read(int index, Result fallback, Access access) const
    {
        const UtteranceRecord* record = readable(index);
        return record ? access(*record) : fallback;
    }

    std::string m_sid;
    std::string m_kbName;
    std::string m_peerName;
    std::string m_ipAddr;
    std::vector<UtteranceRecord> m_utterances;
};

// The process-wide logs by conversation key.  The registry owns every log in
// it; it is built on first use and torn down by destroy.
namespace SessionLogRegistry {

using LogMap = std::map<std::string, std::unique_ptr<SessionLog>>;

LogMap& instance();
// The key's log; a new one with the three texts when the key has none (an
// existing log is never changed).
SessionLog* get(const std::string& key, const std::string& kbName, const std::string& peerName,
                const std::string& ipAddr);
// Deletes the key's log; an unknown key changes nothing.
void remove(const std::string& key);
// Deletes every log and the registry; the next use starts an empty one.
void destroy();

}  // namespace SessionLogRegistry

}  // namespace quibo
