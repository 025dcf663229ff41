// The key word of the candidate's sentence is searched against the head
// surfaces of the recent key words, oldest first: each recent entry is the
// key word of one earlier reply, and its head word is what that reply was
// about.
#include "reply/ReplySelector.h"

#include "conversation/ChatSession.h"
#include "conversation/RuleManager.h"
#include "conversation/SessionLog.h"
#include "knowledge/AnalyzedSentence.h"
#include "knowledge/KnowledgeObject.h"
#include "knowledge/ReplyEntryGroup.h"
#include "knowledge/TopicTitle.h"

#include <algorithm>
#include <optional>

namespace quibo {
namespace {

constexpr int NEWEST = -1;
constexpr std::size_t RECENT_KEYS = 3;

// Flag words that let every topic unit of the candidate into the record.
constexpr std::uint32_t ALL_UNITS_FLAGS = 0x1E000000;
// Flag words whose unit's match code marks the record as indexed or next.
constexpr std::uint32_t CODED_FLAGS = 0x01 | 0x80;
// What the state rule sets when it answers 0.
constexpr std::uint32_t STATE_RULE_REFUSED = 128;

// At most three entries; the oldest goes first.
void pushRecentKey(std::vector<KeyWordInfo>& keys, const KeyWordInfo& key)
{
    if (keys.size() >= RECENT_KEYS)
        keys.erase(keys.begin(), keys.begin() + static_cast<std::ptrdiff_t>(keys.size() - RECENT_KEYS + 1));
    keys.push_back(key);
}

bool leadsToExit(const TopicTitle* target)
{
    if (!target)
        return false;
    const std::vector<KnowledgeObject*> links = target->getCentres();
    return !links.empty() && links.front() && links.front()->getTitleText() == "発話出口";
}

// The dialogue state decides, when there is one, whether the reply kind
// may be given now.
void applyStateRule(ReplyRecord& record, const Candidate& candidate, const DialogueHistory& history,
                    std::int32_t unitIndex)
{
    const std::int32_t kind = history.currentKind();
    const std::int32_t indexedStates = history.partD().count();
    if (((kind & 0xF) == 0 && indexedStates == 0) || record.hitLevel != 0)
        return;
    const std::int32_t state = (kind & 1) ? 1 : (kind & 2) ? 2 : indexedStates != 0 ? 4 : 0;
    const RuleManager* rules = RuleManager::instance();
    const std::int32_t rule = rules ? rules->lookupStateRule(record.replyKind, state) : 1;
    if (rule == 0) {
        record.replyKind = STATE_RULE_REFUSED;
        record.flagWord = STATE_RULE_REFUSED;
    } else {
        if (rule == 2)
            record.replyFlags |= ReplyRecord::FLAG_STATE_RULE_2;
        if (record.flagWord == 1)
            record.replyFlags |= ReplyRecord::FLAG_STATE_RULE_ON_1;
    }
    if (unitIndex < 0)
        return;
    const TopicUnit& unit = candidate.topicUnits()[static_cast<std::size_t>(unitIndex)];
    if (leadsToExit(unit.getTarget()))
        record.replyFlags |= ReplyRecord::FLAG_EXIT;
    if (record.flagWord & CODED_FLAGS) {
        if (unit.matchCode() == 'i')
            record.replyFlags |= ReplyRecord::FLAG_INDEXED;
        else if (unit.matchCode() == 'n')
            record.replyFlags |= ReplyRecord::FLAG_NEXT;
    }
}

void addUnits(ReplyRecord& record, const Candidate& candidate, std::int32_t unitIndex, std::int32_t logCandidateId)
{
    std::vector<const TopicUnit*> units;
    if (record.flagWord & ALL_UNITS_FLAGS) {
        for (const TopicUnit& unit : candidate.topicUnits())
            units.push_back(&unit);
    } else if (unitIndex >= 0) {
        units.push_back(&candidate.topicUnits()[static_cast<std::size_t>(unitIndex)]);
    }
    // A unit without target repeats the group type and words of the unit
    // before it.
    ReplyUnit working;
    for (const TopicUnit* unit : units) {
        working.kind = unit->kind();
        working.target = unit->getTarget();
        working.hitValue = unit->getHitValue();
        working.score = unit->score();
        working.matchCode = unit->matchCode();
        if (working.target) {
            working.groupType = working.target->getReplyGroup(working.matchCode, 1).getTypeId();
            working.words = unit->getWordList();
        }
        working.logCandidateId = logCandidateId;
        record.units.push_back(working);
    }
}

// The candidate a selection names (a negative index: the first); none when
// the index lies past the list.
std::optional<std::size_t> chosenIndex(const CandidateList& candidates, SelectionEntry selection)
{
    const std::size_t index = static_cast<std::size_t>(std::max(selection.candidate, 0));
    if (index >= candidates.size())
        return std::nullopt;
    return index;
}

}  // namespace

std::vector<ReplyRecord> ReplySelector::select(ChatSession& conversation, SelectionEntry selection)
{
    std::vector<ReplyRecord> records;
    if (!chosenIndex(conversation.getRequest().candidates(), selection))
        return records;
    records.push_back(buildRecord(conversation, selection));
    if (records.front().replyFlags & ReplyRecord::FLAG_STATE_RULE_2)
        conversation.getHistory().reset();
    return records;
}

ReplyRecord ReplySelector::buildRecord(ChatSession& conversation, SelectionEntry selection)
{
    TurnRequest& request = conversation.getRequest();
    CandidateList& candidates = request.candidates();
    const std::optional<std::size_t> chosen = chosenIndex(candidates, selection);
    if (!chosen)
        return ReplyRecord();
    Candidate& candidate = candidates[*chosen];
    // A unit index the candidate does not hold counts as none.
    const std::int32_t unitIndex =
        selection.unit >= 0 && static_cast<std::size_t>(selection.unit) < candidate.topicUnits().size()
            ? selection.unit
            : -1;
    const AnalyzedSentence* sentence = candidate.getKnowledge();

    ReplyRecord record;
    record.hitLevel = candidate.hitLevel();
    record.context = candidate.getContext();
    record.fullText = candidate.fullText();
    record.text = candidate.getText();
    record.number = candidate.getNumber();
    if (sentence) {
        record.words = sentence->wordList(false);
        for (const MeanContent& content : sentence->meanContents()) {
            if (content.dcaGate == 1) {
                record.ids.push_back(content.dcaCode);
                record.texts.push_back(content.meaningInfo);
            }
        }
    }
    record.wordsX = joinFlaggedSurfaces(record.words, true);
    record.wordsY = joinFlaggedSurfaces(record.words, false);
    record.flagWord = static_cast<std::uint32_t>(candidate.flagWord());
    record.replyKind = candidate.getReplyKind(unitIndex);

    applyStateRule(record, candidate, conversation.getHistory(), unitIndex);

    const TopicRecord topic = candidate.getTopicRecord();
    record.topicId = topic.firstNumber;
    record.focus = topic.focus;
    record.hitValue = topic.hitValue;

    const SessionLog* log = SessionLogRegistry::get(conversation.getKey(), "", "", "");
    record.logCandidateId = log->getCandId(selection.logEntry - 1, NEWEST);

    if (record.hitLevel == 0 && record.flagWord != 1 && record.flagWord != STATE_RULE_REFUSED)
        addUnits(record, candidate, unitIndex, record.logCandidateId);

    record.grade = candidate.grade();
    record.manyCandidates = request.manyCandidates();
    record.keyWords = record.words;

    record.recentKeys = conversation.getReplyState().getRecentKeys();
    std::vector<std::string> recentHeads;
    for (const KeyWordInfo& key : record.recentKeys)
        recentHeads.push_back(key.headSurface);
    pushRecentKey(record.recentKeys, sentence ? sentence->searchKeyWord(recentHeads) : KeyWordInfo());

    candidates.releaseKnowledgeObjects();
    return record;
}

std::string ReplySelector::joinFlaggedSurfaces(const MorphemeList& words, bool flagX)
{
    std::string joined;
    const std::uint32_t flag = flagX ? Morpheme::FLAG_X : Morpheme::FLAG_Y;
    for (const Morpheme& word : words.words())
        if (word.hasFlags(flag))
            joined += word.surfaceRef();
    return joined;
}

}  // namespace quibo
