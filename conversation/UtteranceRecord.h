// The session log's record of one user utterance: the input sentence, one
// condition entry per reply candidate the turn considered, one candidate
// entry per judged topic unit, what the turn answered, and when the
// utterance arrived and how long it took.
//
// A condition entry keeps the address of its Candidate only as an identity
// for look-ups within the collection pass that wrote it: it is stored as a
// number and never handed back as a pointer, so nothing can read through an
// address that has been freed.  A pass's candidates may take the addresses
// of the pass before, so the turn clears the older entries' identities (to
// null) before it collects again.
#pragma once

#include "conversation/TimeStamp.h"
#include "conversation/TopicUnit.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace quibo {

class MorphemeList;

// The text of a one-letter form code: 'd' "既定", 'i' "肯定", 'n' "否定",
// "" for any other code.
std::string formCodeText(std::int32_t code);

struct CondEntry {
    std::int32_t id = 0;
    std::vector<std::string> in_words;
    std::vector<std::string> ph_types;
    std::uintptr_t object = 0;  // the Candidate's address, as an identity only
    std::uint8_t flag = 0;
};

using CorrelPairs = std::vector<std::pair<std::string, std::string>>;

struct CandEntry {
    std::int32_t cand_id = 0;
    std::int32_t cond_id = -1;
    std::string form;
    std::int32_t search_proc_no = 0;
    std::int32_t hit_level = 0;
    std::string cand_sent;
    std::string cand_note;
    CorrelPairs correls;
    std::vector<WordPair> word_pairs;  // copied from the entry's topic unit
};

struct UtteranceResult {
    std::string answered_sent;
    std::int32_t sel_cand_id = -1;
    std::string add_sent;
    std::string sel_sent;
    std::string ans_sent;
    std::string srv;
    std::string ext_text;
    std::string sent_form;
    bool hit = false;
};

class UtteranceRecord {
public:
    // Empty, stamped now.
    UtteranceRecord() = default;

    void setInSent(const std::string& text) { m_inSent = text; }
    void setResult(const UtteranceResult& result) { m_result = result; }
    void setStamp(const TimeStamp& stamp) { m_stamp = stamp; }

    // Appends a condition entry and returns its position.
    int addCond(std::int32_t id, const void* object);
    // Entry writers act only on an existing entry.
    void setCondInWords(const MorphemeList& words, int item);
    void setCondPhTypes(std::uint32_t flags, int item);
    void setCondObject(const void* object, int item);
    void setCondFlag(std::uint8_t flag, int item);
    int getCondCount() const { return static_cast<int>(m_conds.size()); }
    // The id, or the position, of the first entry of the object; -1 when none.
    int findCondId(const void* object) const;
    int findCondIndex(const void* object) const;

    // Appends a candidate entry with empty pair lists and returns its
    // position.
    int addCand(std::int32_t candId, std::int32_t condId, std::int32_t formCode, std::int32_t searchProcNo,
                std::int32_t hitLevel, const std::string& candSent, const std::string& candNote);
    void setCandCorrels(const CorrelPairs& pairs, int item);
    void setCandWordPairs(const std::vector<WordPair>& pairs, int item);
    int getCandCount() const { return static_cast<int>(m_cands.size()); }
    // -1 for an item that is no entry.
    int getCandId(int item) const;

    void setAnsweredSent(const std::string& text) { m_result.answered_sent = text; }
    void setSelCandId(std::int32_t id) { m_result.sel_cand_id = id; }
    void setAddSent(const std::string& text) { m_result.add_sent = text; }
    void setSelSent(const std::string& text) { m_result.sel_sent = text; }
    void setAnsSent(const std::string& text) { m_result.ans_sent = text; }
    void setSrv(const std::string& text) { m_result.srv = text; }
    void setExtText(const std::string& text) { m_result.ext_text = text; }
    void setSentForm(std::int32_t code) { m_result.sent_form = formCodeText(code); }
    void setHit(bool hit) { m_result.hit = hit; }
    std::string getAnsSent() const { return m_result.ans_sent; }
    std::string getExtText() const { return m_result.ext_text; }

    // Restamps the record as the start of processing.
    TimeStamp::Instant startProcTime() { return m_stamp.set(); }
    // The processing time so far, kept as the record's duration.
    double elapsed() { return m_stamp.elapsed(); }

    const std::vector<CondEntry>& conds() const { return m_conds; }
    const std::vector<CandEntry>& cands() const { return m_cands; }
    const std::string& inSent() const { return m_inSent; }
    const UtteranceResult& result() const { return m_result; }
    const TimeStamp& stamp() const { return m_stamp; }

private:
    bool hasCond(int item) const { return item >= 0 && static_cast<std::size_t>(item) < m_conds.size(); }
    bool hasCand(int item) const { return item >= 0 && static_cast<std::size_t>(item) < m_cands.size(); }

    std::vector<CondEntry> m_conds;
    std::vector<CandEntry> m_cands;
    std::string m_inSent;
    UtteranceResult m_result;
    TimeStamp m_stamp;
};

}  // namespace quibo
