// The stage of a turn that turns the request's reply candidates into one
// chosen (candidate, topic unit) pair.  First every candidate is judged: its
// DCA values go to their handlers under a priority limit that runs across
// the whole list, its topic units are evaluated, coded and pruned, and it
// gets its hit level.  Then every judged pair is listed, written to the
// conversation's session log and narrowed by fixed stages until one is left.
//
// A selector lives for one evaluation and owns nothing: the conversation,
// its request and the knowledge base are borrowed.
#pragma once

#include "conversation/Candidate.h"
#include "conversation/UtteranceRecord.h"

#include <cstdint>
#include <functional>
#include <set>
#include <vector>

namespace quibo {

class CDictionary;
class ChatSession;
class MorphemeList;
class SessionLog;
class TopicTitle;
class TopicUnit;
class TurnRequest;

using SelectionList = std::vector<SelectionEntry>;

class CandidateSelector {
public:
    explicit CandidateSelector(ChatSession& conversation);
    virtual ~CandidateSelector() = default;
    CandidateSelector(const CandidateSelector&) = delete;
    CandidateSelector& operator=(const CandidateSelector&) = delete;

    // The whole stage: judges every candidate, then selects.
    SelectionEntry evaluateCandidates(CDictionary* knowledge);

    // --- Judging ----------------------------------------------------------------
    // Tries the candidate's DCA values in list order, skipping those whose
    // priority level is worse than the limit; the first handler that succeeds
    // lowers the limit to its value's level and ends the search.
    void judgeDca(Candidate& candidate, std::uint32_t& limit, CDictionary* knowledge);
    // The attribute numbers of the candidate's content words.
    static void collectAttributes(const Candidate& candidate, std::set<int>& attributes);
    // Evaluates the unit (once) and gives it its status: 0 or 1 by the rule
    // check, 2 when the flag word decides, 3 when nothing correlates.
    static void judgeUnit(Candidate& candidate, TopicUnit& unit, const std::set<int>& attributes);
    static void setMatchCode(Candidate& candidate, TopicUnit& unit);
    // A title's feature word as the rule tables take it: bits 14..21 move up
    // one place, bit 14 is left clear and bits 22..31 go.
    static std::uint32_t toRuleFeatures(std::uint32_t featureWord);

    // --- Selecting ----------------------------------------------------------------
    SelectionEntry selectCandidate(CDictionary* knowledge);
    // Builds and logs the list, then narrows it by the candidates' verdicts.
    SelectionList runFilters(SessionLog& log);
    // One entry per topic unit; a candidate without units has one entry of
    // its own only when a handler of the first rank succeeded on it.
    SelectionList buildEntries() const;
    // One candidate entry per listed pair in the newest utterance record;
    // each entry learns its log number.
    void logEntries(SelectionList& list, SessionLog& log) const;
    // Input words paired with correlated topic words (from the last word
    // back), then the words left on either side against "−".
    static CorrelPairs buildWordPairs(const MorphemeList& input, const MorphemeList& topic);

    // Filter steps: each answers the entries that pass its test, in order;
    // the chain decides whether the answer replaces the list.
    SelectionList filterHitValue(const SelectionList& list) const;
    SelectionList filterReplyKind(const SelectionList& list) const;
    SelectionList filterPriority(const SelectionList& list) const;
    SelectionList filterTopicHitValue(const SelectionList& list) const;
    SelectionList filterTitleMatch(const SelectionList& list) const;
    SelectionList filterEquivalentWords(const SelectionList& list) const;
    SelectionList filterWordMatch(const SelectionList& list, bool strict) const;
    SelectionList filterSharedFeature(const SelectionList& list) const;

    // The unit branch's steps.
    void narrowByUnits(SelectionList& list) const;
    SelectionList filterUnitScore(const SelectionList& list) const;
    SelectionList dropUncorrelated(const SelectionList& list) const;
    SelectionList keepStrongCorrelation(const SelectionList& list) const;
    SelectionList keepYougenPairSame(const SelectionList& list) const;
    SelectionList keepKatsuyoukeiSame(const SelectionList& list) const;
    SelectionList filterUnitStatus(const SelectionList& list) const;
    void filterCoveredTitles(SelectionList& list) const;
    SelectionEntry pickBest(const SelectionList& list) const;

    // The unit-less branch's tie break over the words the entries share with
    // their candidates' focus titles (stage 0, 1 or 2).
    void breakTieByWords(SelectionList& list, int stage) const;

protected:
    // Runs the handler of the DCA value on the candidate: 1 when it
    // succeeds, 0 when it fails, -1 when no handler takes the value.
    virtual int applyHandler(std::uint64_t value, Candidate& candidate, CDictionary* knowledge);

private:
    void evaluateCandidate(Candidate& candidate, std::uint32_t& limit, CDictionary* knowledge);
    SelectionEntry chooseWithoutUnits(SelectionList& list, SessionLog& log);
    SelectionEntry chooseByUnits(SelectionList& list) const;
    Candidate* candidateOf(const SelectionEntry& entry) const;
    // The entries whose candidate exists and passes the test with their unit.
    SelectionList entriesWhose(const SelectionList& list, const std::function<bool(const Candidate&, int)>& test) const;
    // The entry's unit's live target; null for an entry without a unit.
    const TopicTitle* unitTargetOf(const SelectionEntry& entry) const;
    bool firstCandidateHasFlag(std::int32_t mask) const;

    ChatSession* m_conversation;
    TurnRequest* m_request;
};

}  // namespace quibo
