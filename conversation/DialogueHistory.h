// Which dialogue states a conversation has entered, newest last: a stack of
// kind words, and per family of kinds a stack of the states it opened, each
// with the knowledge object that opened it and what is left of that object's
// replies.  After every turn the reply records decide the kind of the new
// state; the turn loads the current state's replies as topic records, the
// reply generator takes them one by one and closes exhausted states.
//
// Families: 0x7 (kinds 1, 2, 4) in part A, 0x30 (kind 16) in part B, 0x100
// in part C and 0x1000 in part D.  The kind words of families 0x7 and 0x30
// correspond one to one, in order, to the states of parts A and B: they are
// opened, moved to the top and closed together.  Nothing opens states of
// parts C and D; their operations answer as for no state.
//
// Every object pointer is borrowed from the loaded knowledge base.
#pragma once

#include "analysis/MorphemeList.h"
#include "conversation/ReplyRecord.h"
#include "conversation/TopicRecord.h"
#include "knowledge/ReplyEntry.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace quibo {

class ReplyContext;
class ReplyState;
class TopicTitle;

struct StateEntryA {
    std::int32_t kind = 0;
    TopicTitle* target = nullptr;
    // What the target offered when the state opened, less what was taken.
    std::vector<ReplyEntry> replies;
    std::int32_t count = 0;

    std::vector<ReplyEntry>& elements() { return replies; }
    const std::vector<ReplyEntry>& elements() const { return replies; }
};

struct StateEntryB {
    std::int32_t kind = 0;
    // The position of the chosen reply in the target's group.
    std::int32_t value = 0;
    TopicTitle* target = nullptr;
    // The titles the chosen reply leads to, less what was taken.
    std::vector<TopicTitle*> objects;
    MorphemeList words;
    std::int32_t wordNumber = 0;

    std::vector<TopicTitle*>& elements() { return objects; }
    const std::vector<TopicTitle*>& elements() const { return objects; }
};

struct StateEntryC {
    TopicTitle* target = nullptr;
    std::vector<TopicTitle*> objects;

    std::vector<TopicTitle*>& elements() { return objects; }
    const std::vector<TopicTitle*>& elements() const { return objects; }
};

// One part's stack of states, newest at the back; depths count from the
// newest (0).  Depths and positions from outside are checked: one that names
// no state or element changes nothing.
template <class Entry>
class HistoryStack {
public:
    virtual ~HistoryStack() = default;

    const std::deque<Entry>& entries() const { return m_entries; }
    // Removes the state that many below the newest; the number of states.
    std::int32_t removeAt(std::int32_t depth);
    // Moves the state of the target to the top: its former depth, or -1.
    std::int32_t moveToTop(const TopicTitle* target);
    // Elements left in the newest state.
    std::int32_t replyCount() const;
    // Takes element `index` of the newest state as a record; the default
    // record (first number 0) when there is none.
    TopicRecord lookUp(std::int32_t index);
    // The records of every element of the newest state, in order.
    void load(std::vector<TopicRecord>& records) const;

protected:
    virtual TopicRecord recordOf(const Entry& state, std::size_t position) const = 0;

    std::deque<Entry> m_entries;
};

class HistoryPartA : public HistoryStack<StateEntryA> {
public:
    static constexpr std::int32_t MARKER = 0x10000000;

    // The depth of the record's target, moved to the top; -1 after opening a
    // state of the kind for it; -2 when the record names no target.
    std::int32_t find(const ReplyRecord& record, std::int32_t kind);
    // Keeps, of the newest state's replies, those the context's ids name;
    // how many are left (0 without a state).
    std::int32_t accepts(const ReplyContext* context);

protected:
    TopicRecord recordOf(const StateEntryA& state, std::size_t position) const override;
};

class SessionHistory : public HistoryStack<StateEntryB> {
public:
    static constexpr std::int32_t MARKER = 0x20000000;

    // As HistoryPartA::find, the chosen reply at position `value` (held to
    // the group); only a record of group type 256 opens a state, and such a
    // record naming an open state's target starts it over at `value`.
    std::int32_t find(const ReplyRecord& record, std::int32_t kind, std::int32_t value);
    // The chosen position of the newest state; -1 without one.
    std::int32_t newestValue() const;
    // The target of the only state; null for none or several.
    TopicTitle* singleTarget() const;
    // The match code of the unit last looked at.
    std::int32_t lastValue() const { return m_lastValue; }

protected:
    TopicRecord recordOf(const StateEntryB& state, std::size_t position) const override;

private:
    // Makes reply `value` (held to the group) the state's step, with the
    // titles it leads to and their words.
    static void choose(StateEntryB& state, const std::vector<ReplyEntry>& replies, std::int32_t value);

    std::int32_t m_lastValue = 100;
};

class HistoryPartC : public HistoryStack<StateEntryC> {
public:
    static constexpr std::int32_t MARKER = 0x40000000;

protected:
    TopicRecord recordOf(const StateEntryC& state, std::size_t position) const override;
};

class HistoryPartD {
public:
    std::int32_t count() const { return static_cast<std::int32_t>(m_entries.size()); }
    void clear() { m_entries.clear(); }

private:
    std::vector<TopicTitle*> m_entries;
};

class DialogueHistory {
public:
    // Kind families and the wider masks of the transitions.
    static constexpr std::int32_t FAMILY_A = 0x7;
    static constexpr std::int32_t FAMILY_B = 0x30;
    static constexpr std::int32_t FAMILY_C = 0x100;
    static constexpr std::int32_t FAMILY_D = 0x1000;
    static constexpr std::int32_t NOTHING_RECORDED = -2;

    // The newest kind word; 0 when there is none.
    std::int32_t currentKind() const { return m_kinds.empty() ? 0 : m_kinds.back(); }
    // After a turn: opens or reactivates the state the first record names;
    // the new kind (1, 2, 4, 16) or NOTHING_RECORDED.
    std::int32_t update(std::vector<ReplyRecord>& replies, const ReplyState& state, std::int32_t value);
    // Replaces the records by the current state's replies.
    void loadTopicRecords(std::vector<TopicRecord>& records) const;
    // Closes the state of the kind (0: the newest) `entryDepth` deep in its
    // part and the kind word `kindDepth` deep; the part's number of states,
    // or -1 when there is no kind word or no part keeps the kind.
    std::int32_t rewind(std::int32_t kind, std::int32_t entryDepth, std::int32_t kindDepth);
    // The number of kind words left.
    std::int32_t removeKindAt(std::int32_t depth);
    // Moves the index-th newest kind word sharing a bit with the mask to the
    // top.
    void reactivate(std::int32_t mask, std::int32_t index);
    // Takes one reply of the current state; an exhausted state is closed.
    TopicRecord lookUp(std::int32_t index);
    // Closes the states of family 0x7 as far as they line up with their kind
    // words, and empties part D.
    void reset();

    const std::deque<std::int32_t>& kindWords() const { return m_kinds; }
    const HistoryPartA& partA() const { return m_partA; }
    const SessionHistory& partB() const { return m_partB; }
    // The reply generator takes the reply a scenario state leads to from
    // part B directly.
    SessionHistory& partB() { return m_partB; }
    const HistoryPartC& partC() const { return m_partC; }
    const HistoryPartD& partD() const { return m_partD; }

private:
    std::int32_t classify(const ReplyRecord& record, const ReplyContext* context, std::int32_t value);
    void transition(std::int32_t oldKind, std::int32_t newKind);

    HistoryPartA m_partA;
    SessionHistory m_partB;
    HistoryPartC m_partC;
    HistoryPartD m_partD;
    std::deque<std::int32_t> m_kinds;
};

}  // namespace quibo
