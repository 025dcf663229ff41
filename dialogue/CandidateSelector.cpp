// What the selector reads of the knowledge base, by the names used here:
//   a sentence's range words       AnalyzedSentence::selectWords (true: category 5)
//   a sentence's mark              AnalyzedSentence::getMark
//   a title's name / label         TopicTitle::sourceText / getAuxText
//   a title's part texts           TopicTitle::slotText (1, 2, 3)
//   a title's feature word         TopicTitle::getDcaBits
//   a title's (title) words        TopicTitle::getWords
//   a title's key / all words      TopicTitle::centreWords("") / contentWords("")
//   a title accepts a letter       TopicTitle::hasReplyKind
//   the same title                 the same TopicTitle object
#include "dialogue/CandidateSelector.h"

#include "conversation/Candidate.h"
#include "conversation/ChatSession.h"
#include "conversation/RuleManager.h"
#include "conversation/SessionLog.h"
#include "conversation/TopicUnit.h"
#include "dialogue/DcaHandler.h"
#include "knowledge/AnalyzedSentence.h"
#include "knowledge/CDictionary.h"
#include "knowledge/TopicTitle.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>

namespace quibo {

namespace {

constexpr int NEWEST = -1;
constexpr unsigned NO_LEVEL = 99;

// Flag words of the handlers whose success keeps a candidate even without a
// surviving unit.
constexpr std::uint32_t KEEPING_FLAGS = 0xC000007F;
// Flag words under which every unit answers directly ('d').
constexpr std::uint32_t DIRECT_FLAGS = 0xC010047F;
// The rule-flag bits the rule check compares.
constexpr std::uint32_t RULE_BITS = 0x3FC;
// Flag words under which the first candidate lets focus words decide.
constexpr std::int32_t FOCUS_WORD_FLAGS = static_cast<std::int32_t>(0x80000008);
constexpr std::uint64_t EXIT_REPLY_KIND = 0x80000000u;
constexpr std::int32_t MANY_UNITS_FLAG = 0x2000000;
constexpr std::int32_t WORST_TOPIC_LEVEL = 4;
constexpr const char* FILLER = "−";

unsigned priorityLevel(std::uint32_t value)
{
    const RuleManager* rules = RuleManager::instance();
    return rules ? rules->getPriorityLevel(value) : NO_LEVEL;
}

MorphemeList sentenceWords(const Candidate& candidate, bool second)
{
    const AnalyzedSentence* sentence = candidate.getKnowledge();
    return sentence ? sentence->wordList(second) : MorphemeList();
}

MorphemeList rangeWords(const Candidate& candidate, bool strict)
{
    const AnalyzedSentence* sentence = candidate.getKnowledge();
    return sentence ? sentence->selectWords(strict) : MorphemeList();
}

MorphemeList titleWords(const TopicTitle* title)
{
    return title ? title->getWords() : MorphemeList();
}

// The entries for which `passes` holds, in order.
SelectionList entriesWhere(const SelectionList& list, const std::function<bool(const SelectionEntry&)>& passes)
{
    SelectionList kept;
    std::copy_if(list.begin(), list.end(), std::back_inserter(kept), passes);
    return kept;
}

// The entries whose value is the smallest of all (or, with `largest`, the
// largest), in order.
template <class Value>
SelectionList entriesWithBest(const SelectionList& list, const std::function<Value(const SelectionEntry&)>& value,
                              bool largest)
{
    SelectionList kept;
    Value best{};
    for (const SelectionEntry& entry : list) {
        const Value v = value(entry);
        if (kept.empty() || (largest ? v > best : v < best)) {
            kept.assign(1, entry);
            best = v;
        } else if (v == best) {
            kept.push_back(entry);
        }
    }
    return kept;
}

// A step whose answer replaces the list only when it is not empty; true
// once a single entry is left.
bool narrowTo(SelectionList& list, SelectionList passed)
{
    if (!passed.empty())
        list = std::move(passed);
    return list.size() == 1;
}

// Each word's text in the list as given: its surface joined with its affix
// word, or its surface alone.
std::vector<std::string> wordTexts(const MorphemeList& list)
{
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < list.size(); ++i) {
        std::string text = list.affixedSurface(i);
        texts.push_back(text.empty() ? std::string(list.words()[i].surfaceRef()) : text);
    }
    return texts;
}

}  // namespace

CandidateSelector::CandidateSelector(ChatSession& conversation)
    : m_conversation(&conversation), m_request(&conversation.getRequest())
{
}

// --- Judging --------------------------------------------------------------------

SelectionEntry CandidateSelector::evaluateCandidates(CDictionary* knowledge)
{
    // No priority entry shares a bit with 0: every value is open at first.
    std::uint32_t limit = priorityLevel(0);
    CandidateList& candidates = m_request->candidates();
    candidates.setCache(0, TopicUnit::NO_HIT);
    for (Candidate& candidate : candidates.candidates()) {
        candidate.setHitValueCache(&candidates);
        evaluateCandidate(candidate, limit, knowledge);
    }
    return selectCandidate(knowledge);
}

void CandidateSelector::evaluateCandidate(Candidate& candidate, std::uint32_t& limit, CDictionary* knowledge)
{
    if (!candidate.isActive()) {
        candidate.hitLevel() = 1;
        return;
    }
    judgeDca(candidate, limit, knowledge);
    std::set<int> attributes;
    collectAttributes(candidate, attributes);

    bool kept = (static_cast<std::uint32_t>(candidate.flagWord()) & KEEPING_FLAGS) != 0;
    std::vector<TopicUnit>& units = candidate.topicUnits();
    for (std::size_t i = 0; i < units.size();) {
        TopicUnit& unit = units[i];
        if (unit.getTarget()) {
            judgeUnit(candidate, unit, attributes);
            setMatchCode(candidate, unit);
        }
        const TopicTitle* target = unit.getTarget();
        if (target && target->hasReplyKind(unit.matchCode())) {
            kept = true;
            ++i;
        } else {
            units.erase(units.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    if (!kept)
        candidate.flagWord() = 0;

    if (candidate.flagWord() == MANY_UNITS_FLAG && units.size() > 3) {
        candidate.hitLevel() = 2;
    } else if (candidate.flagWord() == 0) {
        const AnalyzedSentence* sentence = candidate.getKnowledge();
        const bool open = sentence && !sentence->getMark() && !sentence->selectWords(false).empty();
        candidate.hitLevel() = open ? 3 : 4;
    }
}

void CandidateSelector::judgeDca(Candidate& candidate, std::uint32_t& limit, CDictionary* knowledge)
{
    const std::vector<std::uint64_t> values = candidate.dcaValues();
    for (const std::uint64_t value : values) {
        const unsigned level = priorityLevel(static_cast<std::uint32_t>(value));
        if (limit < level)
            continue;
        if (applyHandler(value, candidate, knowledge) == 1) {
            limit = level;
            return;
        }
    }
}

int CandidateSelector::applyHandler(std::uint64_t value, Candidate& candidate, CDictionary* knowledge)
{
    const std::unique_ptr<DcaHandler> handler = makeDcaHandler(value, m_conversation);
    if (!handler)
        return -1;
    return handler->apply(&candidate, knowledge) ? 1 : 0;
}

void CandidateSelector::collectAttributes(const Candidate& candidate, std::set<int>& attributes)
{
    attributes.clear();
    for (const Morpheme& word : rangeWords(candidate, false).words()) {
        std::set<int> own;
        word.getAttributeSet(own);
        attributes.insert(own.begin(), own.end());
    }
}

void CandidateSelector::judgeUnit(Candidate& candidate, TopicUnit& unit, const std::set<int>& attributes)
{
    const TopicTitle* target = unit.getTarget();
    if (!target)
        return;
    unit.evaluate(sentenceWords(candidate, false), false);
    const std::int32_t correlation = unit.getCorrelation();
    if (static_cast<std::uint32_t>(candidate.flagWord()) & DIRECT_FLAGS) {
        unit.setStatus(2);
        return;
    }

    const MorphemeList topic = target->getWords();
    const bool topicHasAttributes = std::any_of(topic.words().begin(), topic.words().end(),
                                                [](const Morpheme& word) { return word.getAttributeWord() != 0; });
    if (correlation == 0 && (!attributes.empty() || topicHasAttributes) && candidate.topicUnits().size() != 1) {
        unit.setStatus(3);
        return;
    }

    const RuleManager* rules = RuleManager::instance();
    const std::uint32_t f = static_cast<std::uint32_t>(candidate.ruleFeatureWord());
    const std::uint64_t feature = toRuleFeatures(static_cast<std::uint32_t>(target->getDcaBits()));
    const std::uint32_t h = rules ? static_cast<std::uint32_t>(rules->getRuleFlags(feature)) : 0;
    std::int32_t status;
    if (f & h & RULE_BITS)
        status = 0;
    else if ((f & RULE_BITS) == 0)
        status = 1;
    else
        status = (h & RULE_BITS) == 0 ? 0 : 1;
    unit.setStatus(status);
}

void CandidateSelector::setMatchCode(Candidate& candidate, TopicUnit& unit)
{
    switch (unit.getStatus()) {
    case 0:
    case 1:
        unit.computeMatchCode(candidate.getKnowledge(), candidate.ruleFeatureWord());
        break;
    case 2: unit.matchCode() = match_code::DIRECT; break;
    default: break;
    }
}

std::uint32_t CandidateSelector::toRuleFeatures(std::uint32_t featureWord)
{
    return (featureWord & 0x3FFF) | ((featureWord & 0x3FC000) << 1);
}

// --- Selecting ----------------------------------------------------------------

SelectionEntry CandidateSelector::selectCandidate(CDictionary* knowledge)
{
    SessionLog* log = SessionLogRegistry::get(m_conversation->getKey(), "", "", "");
    SelectionList list = runFilters(*log);
    SelectionEntry result;
    if (list.empty())
        return result;
    result = list.front().unit < 0 ? chooseWithoutUnits(list, *log) : chooseByUnits(list);

    if (Candidate* chosen = candidateOf(result)) {
        Entity* exit = knowledge ? knowledge->findEntity("発話出口", false) : nullptr;
        chosen->applyExit(result.unit, 1, exit);
    }
    return result;
}

SelectionEntry CandidateSelector::chooseWithoutUnits(SelectionList& list, SessionLog& log)
{
    for (int stage = 0; stage <= 2 && list.size() > 1; ++stage)
        breakTieByWords(list, stage);

    std::int32_t best = WORST_TOPIC_LEVEL;
    for (const SelectionEntry& entry : list) {
        Candidate* candidate = candidateOf(entry);
        if (!candidate)
            continue;
        // A fresh unit per entry: a comparison without input predicates
        // finds no pair, and must not log the pairs of the entry before.
        TopicUnit scratch;
        scratch.evaluateWith(sentenceWords(*candidate, false), candidate->getUnitTarget(-1), true);
        log.setCandWordPairs(scratch.getWordPairs(), entry.logEntry - 1, NEWEST);
        std::int32_t level = 3;
        if (scratch.isKatsuyoukeiSame())
            level = 0;
        else if (scratch.getCorrelation() == 2)
            level = 1;
        else if (scratch.getCorrelation() == 1)
            level = 2;
        candidate->topicLevel() = level;
        best = std::min(best, level);
    }
    auto levelOf = [this](const SelectionEntry& entry) {
        Candidate* candidate = candidateOf(entry);
        return candidate ? candidate->topicLevel() : WORST_TOPIC_LEVEL;
    };
    std::erase_if(list, [&](const SelectionEntry& entry) { return levelOf(entry) > best; });

    // A later entry about the same focus title as an earlier one goes.
    auto focusOf = [this](const SelectionEntry& entry) -> const TopicTitle* {
        const Candidate* candidate = candidateOf(entry);
        return candidate ? candidate->getUnitTarget(-1) : nullptr;
    };
    for (std::size_t n = list.size(); n-- > 1;) {
        const TopicTitle* focus = focusOf(list[n]);
        if (!focus)
            continue;
        for (std::size_t k = 0; k < n; ++k) {
            if (focusOf(list[k]) == focus) {
                list.erase(list.begin() + static_cast<std::ptrdiff_t>(n));
                break;
            }
        }
    }

    if (list.size() > 1) {
        m_request->setManyCandidates(1);
        return SelectionEntry();
    }
    return list.empty() ? SelectionEntry() : list.front();
}

SelectionEntry CandidateSelector::chooseByUnits(SelectionList& list) const
{
    narrowByUnits(list);
    if (list.size() == 1)
        return list.front();
    filterCoveredTitles(list);
    SelectionEntry best = pickBest(list);
    if (best.candidate == -1 && !list.empty())
        best = list.front();
    return best;
}

SelectionList CandidateSelector::runFilters(SessionLog& log)
{
    SelectionList list = buildEntries();
    logEntries(list, log);
    if (list.size() <= 1)
        return list;
    if (narrowTo(list, filterHitValue(list)) || narrowTo(list, filterReplyKind(list)))
        return list;
    list = filterPriority(list);
    if (list.size() == 1 || narrowTo(list, filterTopicHitValue(list)))
        return list;

    // The first alternative that keeps any entry decides.
    SelectionList passed = filterTitleMatch(list);
    if (passed.empty())
        passed = filterEquivalentWords(list);
    if (passed.empty())
        passed = filterWordMatch(list, true);
    if (passed.empty())
        passed = filterWordMatch(list, false);
    if (passed.empty())
        passed = filterSharedFeature(list);
    narrowTo(list, std::move(passed));
    return list;
}

SelectionList CandidateSelector::buildEntries() const
{
    SelectionList list;
    const std::vector<Candidate>& candidates = m_request->candidates().candidates();
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const auto index = static_cast<std::int32_t>(i);
        const std::size_t units = candidates[i].topicUnits().size();
        for (std::size_t j = 0; j < units; ++j)
            list.push_back({index, static_cast<std::int32_t>(j), 0});
        if (units == 0 && (static_cast<std::uint32_t>(candidates[i].flagWord()) & KEEPING_FLAGS))
            list.push_back({index, -1, 0});
    }
    return list;
}

void CandidateSelector::logEntries(SelectionList& list, SessionLog& log) const
{
    for (SelectionEntry& entry : list) {
        const Candidate* candidate = candidateOf(entry);
        if (!candidate)
            continue;
        const TopicTitle* target = entry.unit < 0 ? candidate->getUnitTarget(-1) : unitTargetOf(entry);
        const TopicUnit* unit = nullptr;
        if (entry.unit >= 0 && entry.unit < static_cast<std::int32_t>(candidate->topicUnits().size()))
            unit = &candidate->topicUnits()[static_cast<std::size_t>(entry.unit)];

        // Without a target (a unit-less candidate without a focus title) the
        // entry is still written, with empty texts: one entry per pair.
        std::string text;
        std::string note;
        if (target) {
            text = target->sourceText();
            if (text.empty()) {
                if (unit && unit->getHit().title)
                    text = unit->getHit().title->sourceText();
                text += "(" + target->slotText(1) + ";" + target->slotText(2) + ";" + target->slotText(3) + ")";
            }
            note = target->getAuxText();
        }
        const std::int32_t item =
            log.addCand(log.getCandCount(NEWEST), log.findCondId(candidate, NEWEST),
                        unit ? unit->matchCode() : match_code::NONE,
                        static_cast<std::int32_t>(priorityLevel(static_cast<std::uint32_t>(candidate->flagWord()))),
                        candidate->unitHitValue(entry.unit), text, note, NEWEST);
        if (unit)
            log.setCandWordPairs(candidate->unitWordPairs(entry.unit), item, NEWEST);
        entry.logEntry = item + 1;
        log.setCandCorrels(buildWordPairs(sentenceWords(*candidate, false), titleWords(target)), item, NEWEST);
    }
}

CorrelPairs CandidateSelector::buildWordPairs(const MorphemeList& input, const MorphemeList& topic)
{
    // Texts are read before any pair is taken out: a word's position names
    // its place in the list as given.
    const std::vector<std::string> inputTexts = wordTexts(input);
    const std::vector<std::string> topicTexts = wordTexts(topic);
    std::vector<bool> inputPaired(input.size(), false);
    std::vector<std::size_t> topicLeft(topic.size());
    for (std::size_t j = 0; j < topicLeft.size(); ++j)
        topicLeft[j] = j;

    CorrelPairs pairs;
    for (std::size_t i = input.size(); i-- > 0;) {
        for (std::size_t j = topicLeft.size(); j-- > 0;) {
            int distance = 0;
            if (input.words()[i].getCorrelation(topic.words()[topicLeft[j]], false, distance) == 0)
                continue;
            pairs.emplace_back(inputTexts[i], topicTexts[topicLeft[j]]);
            inputPaired[i] = true;
            topicLeft.erase(topicLeft.begin() + static_cast<std::ptrdiff_t>(j));
            break;
        }
    }
    for (std::size_t i = input.size(); i-- > 0;) {
        if (!inputPaired[i])
            pairs.emplace_back(input.words()[i].surfaceRef(), FILLER);
    }
    for (std::size_t j = topicLeft.size(); j-- > 0;)
        pairs.emplace_back(FILLER, topic.words()[topicLeft[j]].surfaceRef());
    return pairs;
}

// --- Filters --------------------------------------------------------------------

SelectionList CandidateSelector::filterHitValue(const SelectionList& list) const
{
    return entriesWhose(list, [](const Candidate& candidate, int unit) { return !candidate.hasHitValueSix(unit); });
}

SelectionList CandidateSelector::filterReplyKind(const SelectionList& list) const
{
    return entriesWhose(list, [](const Candidate& candidate, int unit) {
        return unit < 0 || candidate.getReplyKind(unit) != EXIT_REPLY_KIND;
    });
}

SelectionList CandidateSelector::filterPriority(const SelectionList& list) const
{
    return entriesWithBest<unsigned>(
        list,
        [this](const SelectionEntry& entry) {
            const Candidate* candidate = candidateOf(entry);
            return candidate ? priorityLevel(static_cast<std::uint32_t>(candidate->flagWord())) : UINT_MAX;
        },
        false);
}

SelectionList CandidateSelector::filterTopicHitValue(const SelectionList& list) const
{
    auto hitValueOf = [this](const SelectionEntry& entry) {
        const Candidate* candidate = candidateOf(entry);
        return candidate ? candidate->getTopicRecord().hitValue : INT_MAX;
    };
    std::int32_t smallest = TopicRecord::NO_HIT;
    for (const SelectionEntry& entry : list)
        smallest = std::min(smallest, hitValueOf(entry));
    return entriesWhere(list, [&](const SelectionEntry& entry) { return hitValueOf(entry) == smallest; });
}

SelectionList CandidateSelector::filterTitleMatch(const SelectionList& list) const
{
    return entriesWhose(list, [](const Candidate& candidate, int unit) { return candidate.isFullTitleMatch(unit); });
}

SelectionList CandidateSelector::filterEquivalentWords(const SelectionList& list) const
{
    if (!firstCandidateHasFlag(FOCUS_WORD_FLAGS))
        return {};
    for (const bool strict : {false, true}) {
        SelectionList kept = entriesWhere(list, [this, strict](const SelectionEntry& entry) {
            const Candidate* candidate = candidateOf(entry);
            TopicTitle* focus = candidate ? candidate->getUnitTarget(-1) : nullptr;
            if (!focus)
                return false;
            const MorphemeList focusWords = strict ? focus->contentWords("") : focus->centreWords("");
            return rangeWords(*candidate, strict).isEquivalent(focusWords);
        });
        if (!kept.empty())
            return kept;
    }
    return {};
}

SelectionList CandidateSelector::filterWordMatch(const SelectionList& list, bool strict) const
{
    return entriesWhose(list, [strict](const Candidate& candidate, int unit) {
        return candidate.isFullWordMatch(unit, strict);
    });
}

SelectionList CandidateSelector::filterSharedFeature(const SelectionList& list) const
{
    SelectionList kept;
    if (!firstCandidateHasFlag(FOCUS_WORD_FLAGS))
        return kept;
    for (const SelectionEntry& entry : list) {
        const Candidate* candidate = candidateOf(entry);
        if (!candidate)
            continue;
        auto shares = [candidate](std::int32_t feature) {
            return candidate->hasFocusFeature(feature) && candidate->hasSentenceFeature(feature);
        };
        // The pair is kept for its candidate alone: unit and log number go.
        if (shares(0x800000) || shares(0x400000))
            kept.push_back({entry.candidate, -1, 0});
    }
    return kept;
}

// --- The unit branch ------------------------------------------------------------

void CandidateSelector::narrowByUnits(SelectionList& list) const
{
    if (list.size() <= 1)
        return;
    list = filterUnitScore(list);
    if (list.size() == 1)
        return;
    using Step = SelectionList (CandidateSelector::*)(const SelectionList&) const;
    for (const Step step : {&CandidateSelector::dropUncorrelated, &CandidateSelector::keepStrongCorrelation,
                            &CandidateSelector::keepYougenPairSame, &CandidateSelector::keepKatsuyoukeiSame,
                            &CandidateSelector::filterUnitStatus}) {
        if (narrowTo(list, (this->*step)(list)))
            return;
    }
}

SelectionList CandidateSelector::filterUnitScore(const SelectionList& list) const
{
    return entriesWithBest<std::int32_t>(
        list,
        [this](const SelectionEntry& entry) {
            const Candidate* candidate = candidateOf(entry);
            return candidate ? candidate->unitScore(entry.unit) : INT_MAX;
        },
        false);
}

SelectionList CandidateSelector::dropUncorrelated(const SelectionList& list) const
{
    return entriesWhose(list, [](const Candidate& candidate, int unit) { return !candidate.isUnitUncorrelated(unit); });
}

SelectionList CandidateSelector::keepStrongCorrelation(const SelectionList& list) const
{
    return entriesWhose(list, [](const Candidate& candidate, int unit) {
        return candidate.hasStrongCorrelation(unit);
    });
}

SelectionList CandidateSelector::keepYougenPairSame(const SelectionList& list) const
{
    return entriesWhose(list, [](const Candidate& candidate, int unit) {
        return candidate.isYougenPairKatsuyoukeiSame(unit);
    });
}

SelectionList CandidateSelector::keepKatsuyoukeiSame(const SelectionList& list) const
{
    return entriesWhose(list, [](const Candidate& candidate, int unit) { return candidate.isKatsuyoukeiSame(unit); });
}

SelectionList CandidateSelector::filterUnitStatus(const SelectionList& list) const
{
    auto statusOf = [this](const SelectionEntry& entry) {
        const Candidate* candidate = candidateOf(entry);
        return candidate ? candidate->getUnitStatus(entry.unit) : TopicUnit::NOT_JUDGED;
    };
    std::int32_t smallest = TopicUnit::NOT_JUDGED;
    for (const SelectionEntry& entry : list)
        smallest = std::min(smallest, statusOf(entry));
    return entriesWhere(list, [&](const SelectionEntry& entry) { return statusOf(entry) == smallest; });
}

void CandidateSelector::filterCoveredTitles(SelectionList& list) const
{
    SelectionList kept;
    std::size_t most = 0;
    for (const SelectionEntry& entry : list) {
        const Candidate* candidate = candidateOf(entry);
        const TopicTitle* target = unitTargetOf(entry);
        if (!candidate || !target)
            continue;
        const MorphemeList marked = wordsWithSpecialFlags(sentenceWords(*candidate, true));
        const MorphemeList titleMarked = wordsWithSpecialFlags(target->getWords());
        if (!titleMarked.isSubsetOf(marked, 1))
            continue;
        if (kept.empty() || titleMarked.size() > most) {
            kept.assign(1, entry);
            most = titleMarked.size();
        } else if (titleMarked.size() == most) {
            kept.push_back(entry);
        }
    }
    narrowTo(list, std::move(kept));
}

SelectionEntry CandidateSelector::pickBest(const SelectionList& list) const
{
    if (list.size() < 2)
        return SelectionEntry();
    // An entry without a unit target scores below every entry with one, so
    // it never wins; when no entry has a target, nothing is picked here.
    const SelectionList targeted = entriesWhere(list, [this](const SelectionEntry& entry) {
        return candidateOf(entry) && unitTargetOf(entry);
    });
    const SelectionList best = entriesWithBest<int>(
        targeted,
        [this](const SelectionEntry& entry) {
            return countMatchingWords(sentenceWords(*candidateOf(entry), true), unitTargetOf(entry)->getWords(), 0);
        },
        true);
    if (best.empty())
        return SelectionEntry();
    const SelectionList fewest = entriesWithBest<std::size_t>(
        best, [this](const SelectionEntry& entry) { return unitTargetOf(entry)->getWords().size(); }, false);
    return fewest.front();
}

// --- The unit-less branch ---------------------------------------------------------

void CandidateSelector::breakTieByWords(SelectionList& list, int stage) const
{
    auto sides = [this, stage](const SelectionEntry& entry, MorphemeList& own, MorphemeList& focusSide) {
        const Candidate* candidate = candidateOf(entry);
        TopicTitle* focus = candidate ? candidate->getUnitTarget(-1) : nullptr;
        if (!candidate)
            return;
        switch (stage) {
        case 0:
            own = rangeWords(*candidate, true);
            focusSide = focus ? focus->contentWords("") : MorphemeList();
            break;
        case 1:
            own = rangeWords(*candidate, false);
            focusSide = focus ? focus->centreWords("") : MorphemeList();
            break;
        default:
            own = sentenceWords(*candidate, true);
            focusSide = titleWords(focus);
            break;
        }
    };
    const SelectionList mostShared = entriesWithBest<std::size_t>(
        list,
        [&](const SelectionEntry& entry) {
            MorphemeList own;
            MorphemeList focusSide;
            sides(entry, own, focusSide);
            return own.sharedWords(focusSide).size();
        },
        true);
    if (mostShared.size() == 1) {
        list = mostShared;
        return;
    }
    list = entriesWithBest<std::size_t>(
        mostShared,
        [&](const SelectionEntry& entry) {
            // An entry that names no candidate has no focus side to be short.
            if (!candidateOf(entry))
                return SIZE_MAX;
            MorphemeList own;
            MorphemeList focusSide;
            sides(entry, own, focusSide);
            return focusSide.size();
        },
        false);
}

// --- Checked reads ----------------------------------------------------------------

Candidate* CandidateSelector::candidateOf(const SelectionEntry& entry) const
{
    std::vector<Candidate>& candidates = m_request->candidates().candidates();
    if (entry.candidate < 0 || entry.candidate >= static_cast<std::int32_t>(candidates.size()))
        return nullptr;
    return &candidates[static_cast<std::size_t>(entry.candidate)];
}

SelectionList CandidateSelector::entriesWhose(const SelectionList& list,
                                              const std::function<bool(const Candidate&, int)>& test) const
{
    return entriesWhere(list, [this, &test](const SelectionEntry& entry) {
        const Candidate* candidate = candidateOf(entry);
        return candidate && test(*candidate, entry.unit);
    });
}

const TopicTitle* CandidateSelector::unitTargetOf(const SelectionEntry& entry) const
{
    const Candidate* candidate = candidateOf(entry);
    if (!candidate || entry.unit < 0)
        return nullptr;
    return candidate->getUnitTarget(entry.unit);
}

bool CandidateSelector::firstCandidateHasFlag(std::int32_t mask) const
{
    const CandidateList& candidates = m_request->candidates();
    return !candidates.empty() && (candidates[0].flagWord() & mask) != 0;
}

}  // namespace quibo
