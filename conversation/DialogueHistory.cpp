// The "leading number" of a reply entry, by which an indexed state keeps the
// replies the last reply's context names, is the entry's number in its
// group: a stored entry carries no number member, but its text is its id,
// "<table>_<number>" (the same id resolveId and the fetch step read), and the
// history's own records name their replies by position too.  An entry whose
// text ends in no number has none (-1) and is never kept by number.
//
// The titles a state of part B holds are the ones its chosen reply leads to
// (ReplyEntry::titleRefs, then titleRef); its words are theirs, united.
#include "conversation/DialogueHistory.h"

#include "conversation/ReplyState.h"
#include "knowledge/TopicTitle.h"

#include <algorithm>
#include <charconv>

namespace quibo {

namespace {

std::int32_t leadingNumber(const ReplyEntry& entry)
{
    const std::string& id = entry.text();
    const std::size_t cut = id.rfind('_');
    if (cut == std::string::npos || cut + 1 == id.size())
        return -1;
    std::int32_t number = -1;
    const auto [end, error] = std::from_chars(id.data() + cut + 1, id.data() + id.size(), number);
    return error == std::errc() && end == id.data() + id.size() ? number : -1;
}

bool inRange(std::int32_t index, std::size_t size)
{
    return index >= 0 && static_cast<std::size_t>(index) < size;
}

std::vector<ReplyEntry> repliesOf(const TopicTitle* target, std::int32_t code)
{
    return target ? target->getReplyGroup(code, 1).entries() : std::vector<ReplyEntry>();
}

}  // namespace

// --- One part's stack ------------------------------------------------------------

template <class Entry>
std::int32_t HistoryStack<Entry>::removeAt(std::int32_t depth)
{
    if (inRange(depth, m_entries.size()))
        m_entries.erase(m_entries.end() - 1 - depth);
    return static_cast<std::int32_t>(m_entries.size());
}

template <class Entry>
std::int32_t HistoryStack<Entry>::moveToTop(const TopicTitle* target)
{
    for (std::size_t depth = 0; depth < m_entries.size(); ++depth) {
        auto it = m_entries.end() - 1 - static_cast<std::ptrdiff_t>(depth);
        if (it->target == target) {
            Entry moved = std::move(*it);
            m_entries.erase(it);
            m_entries.push_back(std::move(moved));
            return static_cast<std::int32_t>(depth);
        }
    }
    return -1;
}

template <class Entry>
std::int32_t HistoryStack<Entry>::replyCount() const
{
    return m_entries.empty() ? 0 : static_cast<std::int32_t>(m_entries.back().elements().size());
}

template <class Entry>
TopicRecord HistoryStack<Entry>::lookUp(std::int32_t index)
{
    if (m_entries.empty() || !inRange(index, m_entries.back().elements().size()))
        return TopicRecord();
    Entry& newest = m_entries.back();
    TopicRecord record = recordOf(newest, static_cast<std::size_t>(index));
    newest.elements().erase(newest.elements().begin() + index);
    return record;
}

template <class Entry>
void HistoryStack<Entry>::load(std::vector<TopicRecord>& records) const
{
    records.clear();
    if (m_entries.empty())
        return;
    for (std::size_t position = 0; position < m_entries.back().elements().size(); ++position)
        records.push_back(recordOf(m_entries.back(), position));
}

template class HistoryStack<StateEntryA>;
template class HistoryStack<StateEntryB>;
template class HistoryStack<StateEntryC>;

// --- Part A: states of kinds 1, 2 and 4 -------------------------------------------

std::int32_t HistoryPartA::find(const ReplyRecord& record, std::int32_t kind)
{
    if (record.units.empty() || !record.units.front().target)
        return -2;
    const ReplyUnit& unit = record.units.front();
    const std::int32_t depth = moveToTop(unit.target);
    if (depth >= 0)
        return depth;
    StateEntryA state{kind, unit.target, repliesOf(unit.target, unit.matchCode), 0};
    state.count = static_cast<std::int32_t>(state.replies.size());
    m_entries.push_back(std::move(state));
    return -1;
}

std::int32_t HistoryPartA::accepts(const ReplyContext* context)
{
    if (m_entries.empty())
        return 0;
    const std::vector<std::int32_t> ids = context ? context->getIdList() : std::vector<std::int32_t>();
    std::vector<ReplyEntry>& replies = m_entries.back().replies;
    replies.erase(std::remove_if(replies.begin(), replies.end(),
                                 [&ids](const ReplyEntry& entry) {
                                     return std::find(ids.begin(), ids.end(), leadingNumber(entry)) == ids.end();
                                 }),
                  replies.end());
    return static_cast<std::int32_t>(replies.size());
}

TopicRecord HistoryPartA::recordOf(const StateEntryA& state, std::size_t position) const
{
    TopicRecord record;
    record.firstNumber = MARKER | static_cast<std::int32_t>(position);
    record.source = state.target;
    record.entry = state.replies[position];
    return record;
}

// --- Part B: states of kind 16 ---------------------------------------------------

std::int32_t SessionHistory::find(const ReplyRecord& record, std::int32_t kind, std::int32_t value)
{
    if (record.units.empty())
        return -2;
    const ReplyUnit& unit = record.units.front();
    m_lastValue = unit.matchCode;
    if (!unit.target)
        return -2;
    const std::int32_t depth = moveToTop(unit.target);
    // A scenario named again starts over at the chosen step: its open state
    // may have given its last step, or have had its titles taken, and would
    // otherwise answer nothing or confirm what was never asked.
    if (depth >= 0) {
        if (unit.groupType == 256)
            choose(m_entries.back(), repliesOf(unit.target, unit.matchCode), value);
        return depth;
    }
    const std::vector<ReplyEntry> replies = unit.groupType == 256 ? repliesOf(unit.target, unit.matchCode)
                                                                  : std::vector<ReplyEntry>();
    // A group without replies opens no state, so that no kind word stands
    // without its state.
    if (replies.empty())
        return -2;
    StateEntryB state;
    state.kind = kind;
    state.target = unit.target;
    choose(state, replies, value);
    m_entries.push_back(std::move(state));
    return -1;
}

void SessionHistory::choose(StateEntryB& state, const std::vector<ReplyEntry>& replies, std::int32_t value)
{
    state.objects.clear();
    state.words = MorphemeList();
    state.wordNumber = 0;
    if (replies.empty())
        return;
    state.value = std::clamp<std::int32_t>(value, 0, static_cast<std::int32_t>(replies.size()) - 1);
    const ReplyEntry& chosen = replies[static_cast<std::size_t>(state.value)];
    state.objects = chosen.titleRefs();
    if (chosen.titleRef())
        state.objects.push_back(chosen.titleRef());
    for (const TopicTitle* object : state.objects) {
        if (object)
            state.words = state.words.empty() ? object->getWords() : state.words.unionWith(object->getWords(), true);
    }
    state.wordNumber = state.words.getListNumber();
}

std::int32_t SessionHistory::newestValue() const
{
    return m_entries.empty() ? -1 : m_entries.back().value;
}

TopicTitle* SessionHistory::singleTarget() const
{
    return m_entries.size() == 1 ? m_entries.front().target : nullptr;
}

TopicRecord SessionHistory::recordOf(const StateEntryB& state, std::size_t position) const
{
    TopicRecord record;
    record.firstNumber = MARKER | static_cast<std::int32_t>(position);
    record.source = state.target;
    const std::vector<ReplyEntry> replies = repliesOf(state.target, m_lastValue);
    if (inRange(state.value, replies.size()))
        record.entry = replies[static_cast<std::size_t>(state.value)];
    TopicTitle* object = state.objects[position];
    record.focus = object;
    record.words = object ? object->getWords().unionWith(state.words, true) : state.words;
    record.extraWord = state.wordNumber;
    return record;
}

// --- Part C ----------------------------------------------------------------------------

TopicRecord HistoryPartC::recordOf(const StateEntryC& state, std::size_t position) const
{
    TopicRecord record;
    record.firstNumber = MARKER | static_cast<std::int32_t>(position);
    record.secondTitle = state.objects[position];
    return record;
}

// --- The history ------------------------------------------------------------------------

std::int32_t DialogueHistory::update(std::vector<ReplyRecord>& replies, const ReplyState& state, std::int32_t value)
{
    const std::int32_t old = currentKind();
    if (replies.empty() || replies.front().flagWord == 1 || replies.front().units.empty())
        return NOTHING_RECORDED;
    const std::int32_t kind = classify(replies.front(), state.getReplyContext(), value);
    if (kind == NOTHING_RECORDED)
        return NOTHING_RECORDED;
    transition(old, currentKind());
    if ((kind == 1 || kind == 2) && m_kinds.size() == 1)
        replies.front().replyFlags |= ReplyRecord::FLAG_FIRST_STATE;
    return kind;
}

std::int32_t DialogueHistory::classify(const ReplyRecord& record, const ReplyContext* context, std::int32_t value)
{
    // Opens a state of part A (a kind word pushed with it) or reactivates the
    // one already open for the target; false when the record names none.
    auto enterA = [this, &record](std::int32_t kind) {
        const std::int32_t found = m_partA.find(record, kind);
        if (found == -1)
            m_kinds.push_back(kind);
        else if (found >= 0)
            reactivate(0xf, found);
        return found != -2;
    };

    switch (record.units.front().groupType) {
    case 32:
        return enterA(4) ? 4 : NOTHING_RECORDED;
    case 64: {
        const std::int32_t found = m_partA.find(record, 1);
        if (found >= 0) {
            reactivate(0xf, found);
            return 1;
        }
        if (found != -1)
            return found;
        // An indexed state keeps only the replies the last reply's context
        // names; when it names none, the whole group opens as kind 2.
        if (m_partA.accepts(context) != 0) {
            m_kinds.push_back(1);
            return 1;
        }
        m_partA.removeAt(0);
        return enterA(2) ? 2 : NOTHING_RECORDED;
    }
    case 128:
        return enterA(2) ? 2 : NOTHING_RECORDED;
    case 256: {
        const std::int32_t found = m_partB.find(record, 16, value);
        if (found == -1)
            m_kinds.push_back(16);
        else if (found >= 0)
            reactivate(0xf0, found);
        else
            return NOTHING_RECORDED;
        return 16;
    }
    default:
        return NOTHING_RECORDED;
    }
}

void DialogueHistory::transition(std::int32_t oldKind, std::int32_t newKind)
{
    if (newKind & 0xf) {
        if (oldKind & 0xf0)
            rewind(0xf0, 0, 1);
        if (oldKind & 0xf00)
            rewind(0xf00, 0, 1);
    }
    if (newKind & 0xf0) {
        if (oldKind & 0xf0)
            rewind(0xf0, 1, 1);
        if (oldKind & 0xf00)
            rewind(0xf00, 0, 1);
    }
    if ((newKind & 0xf00) && (oldKind & 0xf00))
        rewind(0xf00, 1, 1);
}

void DialogueHistory::loadTopicRecords(std::vector<TopicRecord>& records) const
{
    const std::int32_t kind = currentKind();
    if (kind & FAMILY_A)
        m_partA.load(records);
    else if (kind & FAMILY_B)
        m_partB.load(records);
    else if (kind & FAMILY_C)
        m_partC.load(records);
}

std::int32_t DialogueHistory::rewind(std::int32_t kind, std::int32_t entryDepth, std::int32_t kindDepth)
{
    if (m_kinds.empty())
        return -1;
    if (kind == 0)
        kind = currentKind();
    std::int32_t result = -1;
    if (kind & (FAMILY_A | FAMILY_B | FAMILY_C)) {
        if (kind & FAMILY_A)
            result = m_partA.removeAt(entryDepth);
        else if (kind & FAMILY_B)
            result = m_partB.removeAt(entryDepth);
        else
            result = m_partC.removeAt(entryDepth);
        removeKindAt(kindDepth);
    }
    if (kind & FAMILY_D) {
        m_partD.clear();
        removeKindAt(kindDepth);
    }
    return result;
}

std::int32_t DialogueHistory::removeKindAt(std::int32_t depth)
{
    if (inRange(depth, m_kinds.size()))
        m_kinds.erase(m_kinds.end() - 1 - depth);
    return static_cast<std::int32_t>(m_kinds.size());
}

void DialogueHistory::reactivate(std::int32_t mask, std::int32_t index)
{
    std::int32_t count = 0;
    for (auto it = m_kinds.rbegin(); it != m_kinds.rend(); ++it) {
        if ((*it & mask) == 0)
            continue;
        if (count++ == index) {
            const std::int32_t kind = *it;
            m_kinds.erase(std::next(it).base());
            m_kinds.push_back(kind);
            return;
        }
    }
}

TopicRecord DialogueHistory::lookUp(std::int32_t index)
{
    const std::int32_t kind = currentKind();
    if (kind & FAMILY_A) {
        TopicRecord record = m_partA.lookUp(index);
        if (m_partA.replyCount() <= 0)
            rewind(currentKind(), 0, 0);
        return record;
    }
    if (kind & FAMILY_B) {
        TopicRecord record = m_partB.lookUp(index);
        if (record.firstNumber != 0)
            rewind(0xf0, 0, 0);
        return record;
    }
    if (kind & FAMILY_C) {
        TopicRecord record = m_partC.lookUp(index);
        if (record.firstNumber != 0)
            rewind(0xf00, 0, 0);
        return record;
    }
    return TopicRecord();
}

void DialogueHistory::reset()
{
    // The walk goes over a copy: each rewind changes the kind words, and the
    // depths are those of the copy (so a state below one already closed may
    // stay, as the depth then reaches past it).
    const std::deque<std::int32_t> kinds = m_kinds;
    std::int32_t met = 0;
    std::int32_t position = 0;
    for (auto it = kinds.rbegin(); it != kinds.rend(); ++it, ++position) {
        if (*it & FAMILY_A)
            rewind(*it, met++, position);
    }
    m_partD.clear();
}

}  // namespace quibo
