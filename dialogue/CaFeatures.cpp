// What the feature word reads of the knowledge base, by the names used here:
//   a sentence's entity set        AnalyzedSentence::extra
//   a sentence's range words       AnalyzedSentence::selectWords (false: Wf,
//                                  true: Wt)
//   a sentence's mark              AnalyzedSentence::getMark
//   a sentence's flags 0x1, 0x4    AnalyzedSentence::getFlag0, getFlag2
//   a title's links                TopicTitle::getCentres
//   a title's word list            TopicTitle::getWords
//   a title's flag 0x1             TopicTitle::isComplete
//   a title's weight               TopicTitle::getDerivation
//   a sentence's weight            AnalyzedSentence::orderingValue
//   a meaning content's id, kind   MeanContent::dcaCode, dcaGate
//   the reply state's id table     ReplyState::hasRowObjects (the recent key
//                                  rows the rearrangement handler reads)
#include "dialogue/CaFeatures.h"

#include "analysis/ConsoleLine.h"
#include "conversation/ChatSession.h"
#include "conversation/ReplyContext.h"
#include "conversation/ReplyState.h"
#include "conversation/RuleManager.h"
#include "conversation/SessionLog.h"
#include "knowledge/CDictionary.h"
#include "knowledge/TopicTitle.h"

#include <algorithm>
#include <map>

namespace quibo {

namespace {

std::map<int, std::uint32_t>& expressionMap()
{
    static std::map<int, std::uint32_t> map;
    return map;
}

bool expressionMapFilled = false;

bool checkTargetSuffix(const TopicTitle* title)
{
    return title && title->hasCMark();
}

std::uint64_t ruleFlags(std::uint64_t word)
{
    const RuleManager* rules = RuleManager::instance();
    return rules ? rules->getRuleFlags(word) : 0;
}

// The ids of the contents that are active (kind 1), in order.
std::vector<std::int32_t> activeIds(const std::vector<MeanContent>& contents)
{
    std::vector<std::int32_t> ids;
    for (const MeanContent& content : contents)
        if (content.dcaGate == 1)
            ids.push_back(content.dcaCode);
    return ids;
}

bool isReflexCa(const std::vector<MeanContent>& contents)
{
    const RuleManager* rules = RuleManager::instance();
    if (!rules)
        return false;
    std::string kind;
    rules->caKind(kind, activeIds(contents));
    return kind == "反射ＣＡ";
}

// A pairing counts as weightless when no side of it was derived.
bool weightless(const AnalyzedSentence* sentence, const TopicTitle* context, const TopicTitle* focus)
{
    return (!sentence || sentence->orderingValue() <= 0) && (!context || context->getDerivation() <= 0) &&
           (!focus || focus->getDerivation() <= 0);
}

std::vector<std::shared_ptr<AnalyzedSentence>> shared(AnalyzedSentenceList sentences)
{
    std::vector<std::shared_ptr<AnalyzedSentence>> hits;
    hits.reserve(sentences.size());
    for (std::unique_ptr<AnalyzedSentence>& sentence : sentences)
        hits.emplace_back(std::move(sentence));
    return hits;
}

MorphemeList joined(const MorphemeList& first, const MorphemeList& second)
{
    std::vector<Morpheme> words = first.words();
    words.insert(words.end(), second.words().begin(), second.words().end());
    return MorphemeList(std::move(words));
}

// The position of each candidate's condition entry in the newest record
// (-1: none), read before the candidates move.
std::vector<int> conditionItems(const SessionLog* log, const std::vector<Candidate>& candidates)
{
    std::vector<int> items;
    if (!log)
        return items;
    items.reserve(candidates.size());
    for (const Candidate& candidate : candidates)
        items.push_back(log->findCondIndex(&candidate, -1));
    return items;
}

// Points each noted entry at the candidate now in its place.  Every look-up
// was made before the move, so an entry already re-pointed cannot be taken
// for another candidate's.
void followMove(SessionLog* log, const std::vector<int>& items, const std::vector<Candidate>& candidates)
{
    if (!log)
        return;
    for (std::size_t k = 0; k < items.size() && k < candidates.size(); ++k)
        if (items[k] >= 0)
            log->setCondObject(&candidates[k], items[k], -1);
}

void warnDropped(std::size_t dropped)
{
    if (dropped > 0)
        writeConsoleLine("WARNING:\tCaFeatures: " + std::to_string(dropped) +
                         " hit pairings left out: the candidate list is full");
}

}  // namespace

void CaFeatures::initExpressionBits()
{
    if (expressionMapFilled)
        return;
    static constexpr std::pair<int, std::uint32_t> ENTRIES[] = {
        {94, 0x1},     {95, 0x2},      {2, 0x4},       {106, 0x8},     {5, 0x10},      {4, 0x20},
        {6, 0x40},     {7, 0x80},      {1, 0x100},     {3, 0x200},     {90, 0x400},    {103, 0x800},
        {102, 0x1000}, {151, 0x2000},  {67, 0x8000},   {133, 0x10000}, {101, 0x20000}, {100, 0x40000},
        {69, 0x80000}, {105, 0x100000}, {181, 0x200000}, {160, 0x400000},
    };
    expressionMap().insert(std::begin(ENTRIES), std::end(ENTRIES));
    expressionMapFilled = true;
}

std::uint32_t CaFeatures::expressionBits(const std::vector<MeanContent>& contents)
{
    initExpressionBits();
    std::uint32_t bits = 0;
    for (const MeanContent& content : contents) {
        const auto found = expressionMap().find(content.dcaCode);
        if (found != expressionMap().end())
            bits |= found->second;
    }
    return bits;
}

std::uint64_t CaFeatures::computeFeatureBits(Candidate& candidate, std::int32_t kind, const ReplyState& state,
                                             CDictionary& knowledge)
{
    std::uint32_t low = 0;
    std::uint32_t high = 0;
    const AnalyzedSentence* sentence = candidate.getKnowledge();
    static const AnalyzedSentence noSentence("", MorphemeList());
    const AnalyzedSentence& s = sentence ? *sentence : noSentence;

    // The sentence and the entities it names.
    const EntitySet& entities = s.extra();
    const int named = entities.countCommon(*knowledge.getEntitySet1());
    const MorphemeList wf = s.selectWords(false);
    const MorphemeList wt = s.selectWords(true);
    if (named != 0)
        low |= 0x2;
    if (static_cast<int>(wf.removeDuplicates(8, true).size()) == named)
        low |= 0x40000000;
    if (entities.intersects(*knowledge.getEntitySet8()))
        low |= 0x4;
    if (sentence && !sentence->classifyNouns(knowledge).items().empty())
        low |= 0x8000000;
    if (entities.intersects(*knowledge.getEntitySet4()))
        low |= 0x8;
    if (low & (0x2 | 0x4 | 0x8))
        low |= 0x1;
    const ReplyContext* context = state.getReplyContext();
    if (context && (ruleFlags(expressionBits(context->getItemList())) & 0x400))
        low |= 0x20;
    if (s.getMark())
        low |= 0x100;
    if (entities.size() == 1 && (entityFlagsOf(*entities.members().begin()) & 8) && wf.size() == 1)
        low |= 0x400;

    // The rule answer of the sentence's expressions.
    const std::uint64_t rules = ruleFlags(expressionBits(s.meanContents()));
    candidate.ruleFeatureWord() = static_cast<std::int32_t>(static_cast<std::uint32_t>(rules));
    static constexpr std::pair<std::uint64_t, std::uint32_t> RULE_BITS[] = {
        {0x8000, 0x800}, {0x100, 0x1000}, {0x10000, 0x2000}, {0x20000, 0x4000}, {0x1000, 0x8000}};
    for (const auto& [rule, bit] : RULE_BITS)
        if (rules & rule)
            low |= bit;
    if (!wt.empty())
        low |= 0x10000;
    if (!wf.empty())
        high |= 0x400;

    // The title the reply context came from.
    const TopicTitle* related = candidate.getRelated();
    const MorphemeList relatedWords = related ? related->getWords() : MorphemeList();
    if (related)
        high |= 0x8;
    if (related && !wf.isDisjoint(relatedWords))
        high |= 0x20;
    if (wt.empty() || (related && wt.allWordsMatch(relatedWords)))
        high |= 0x10;

    // The context title.
    if (const TopicTitle* g = candidate.getContext()) {
        const std::vector<KnowledgeObject*> links = g->getCentres();
        low |= 0x4000000;
        if (std::none_of(links.begin(), links.end(), [&](const KnowledgeObject* o) { return entities.contains(o); }))
            low |= 0x80000;
        if (g->getReplyGroup('d', 1).getTypeId() == 256)
            low |= 0x20000000;
        if (links.size() > 1 || (links.size() == 1 && g->getWords().size() > 1))
            low |= 0x100000;
        if (g->isComplete())
            high |= 0x200;
        if (s.getFlag0())
            high |= 0x100;
    }

    // The dialogue state the history is in.
    if (candidate.hasFocus()) {
        if (kind & 0x7)
            low |= 0x800000;
        if (kind & 0x30)
            low |= 0x1000000;
        if (kind & 0x100)
            low |= 0x2000000;
    }
    if (isReflexCa(s.meanContents()))
        low |= 0x10000000;

    // The topic the candidate was found by.
    const TopicTitle* focus = candidate.getTopicRecord().focus;
    if (focus && !wf.isDisjoint(focus->getWords()))
        high |= 0x1;
    if (checkTargetSuffix(focus))
        high |= 0x2;
    if (candidate.hasFocusFeature(0xC00000))
        high |= 0x40;
    if (candidate.hasSentenceFeature(0xC00000))
        high |= 0x80;
    if (state.hasRowObjects())
        high |= 0x4;

    return (std::uint64_t{high} << 32) | low;
}

void CaFeatures::applyRuleFilter(std::uint64_t featureWord, std::vector<std::uint64_t>& dcaValues)
{
    if (const RuleManager* rules = RuleManager::instance())
        rules->selectCohesionMethods(featureWord, dcaValues);
}

int CaFeatures::matchCode(const MorphemeList& words, const TopicTitle* context, const MorphemeList& otherWords)
{
    int code = 0;
    if (context && context->getWords().isSubsetOf(words, 1))
        code = 1;
    if (words.isSubsetOf(otherWords, 1))
        code += 2;
    return code;
}

void CaFeatures::pruneCandidates(std::vector<Candidate>& candidates, SessionLog* log)
{
    std::vector<int> items = conditionItems(log, candidates);
    for (std::size_t i = candidates.size(); i-- > 1 && candidates.size() > 1;) {
        if (!candidates[i].dcaValues().empty())
            continue;
        candidates[i].releaseKnowledge();
        candidates.erase(candidates.begin() + static_cast<long>(i));
        if (log) {
            if (items[i] >= 0)
                log->setCondObject(nullptr, items[i], -1);
            items.erase(items.begin() + static_cast<long>(i));
        }
    }
    followMove(log, items, candidates);
}

bool CaFeatures::addCandidate(std::vector<Candidate>& list, std::int32_t number, const std::string& prefix,
                              const std::string& text, const std::shared_ptr<AnalyzedSentence>& sentence,
                              TopicTitle* related, TopicTitle* context, const TopicRecord& record)
{
    Candidate candidate;
    candidate.setNumber(number);
    candidate.fullText() = prefix + text;
    candidate.setText(text);
    candidate.setKnowledge(sentence);
    candidate.setTopicRecord(record);
    candidate.setRelated(related);
    const bool searchable = sentence && sentence->getFlag2();
    candidate.setContext(searchable ? context : nullptr);
    if (!searchable && !checkTargetSuffix(record.focus)) {
        const bool listed = std::any_of(list.begin(), list.end(),
                                        [&](const Candidate& other) { return other.getKnowledge() == sentence.get(); });
        if (listed)
            return false;
    }
    list.push_back(std::move(candidate));
    return true;
}

std::size_t CaFeatures::pairHits(std::vector<Candidate>& list,
                                 const std::vector<std::shared_ptr<AnalyzedSentence>>& hits,
                                 const std::vector<TopicTitle*>& contexts, const std::vector<TopicRecord>& records,
                                 const Pairing& pairing, SessionLog* log)
{
    std::vector<TopicRecord> marked;
    std::vector<TopicRecord> others(1);  // the default record: no focus, no hit
    for (const TopicRecord& record : records)
        (checkTargetSuffix(record.focus) ? marked : others).push_back(record);

    std::size_t dropped = 0;
    // Answers whether a candidate was appended; a full list refuses it.
    auto tryOne = [&](std::size_t i, TopicTitle* context, const TopicRecord& record) {
        if (list.size() >= CANDIDATE_ROOM) {
            ++dropped;
            return false;
        }
        return addCandidate(list, pairing.number, pairing.prefix, pairing.text, hits[i], pairing.related, context,
                            record);
    };

    // The marked records pair with the first context, or none.
    if (!marked.empty()) {
        const std::size_t sentences = others.size() == 1 ? hits.size() : std::min<std::size_t>(1, hits.size());
        TopicTitle* context = contexts.empty() ? nullptr : contexts.front();
        for (std::size_t i = 0; i < sentences; ++i)
            for (const TopicRecord& record : marked)
                if (tryOne(i, context, record))
                    logCandidate(log, list.back(), 1);
    }

    // After the context titles the pairing takes one null context: a first
    // question, with no reply context before it, still makes candidates, and
    // a question that does not follow up the last reply's offer is still
    // read on its own (the offer's candidates, tried first, win when they
    // fit).
    std::vector<TopicTitle*> pairedContexts = contexts;
    pairedContexts.push_back(nullptr);
    for (int pass = 0; pass < 2; ++pass) {
        const bool weightlessPass = pass == 0;
        const bool limited = !weightlessPass || !pairing.firstPassUnlimited;
        for (std::size_t i = 0; i < hits.size(); ++i) {
            std::uint8_t first = 1;
            for (TopicTitle* context : pairedContexts) {
                for (const TopicRecord& record : others) {
                    if (limited && list.size() >= LIMITED_PASS_SIZE)
                        return dropped;
                    if (weightless(hits[i].get(), context, record.focus) != weightlessPass)
                        continue;
                    if (tryOne(i, context, record)) {
                        logCandidate(log, list.back(), first);
                        first = 0;
                    }
                }
            }
        }
    }
    return dropped;
}

void CaFeatures::detachConditions(SessionLog* log)
{
    if (!log)
        return;
    for (int item = 0; item < log->getCondCount(-1); ++item)
        log->setCondObject(nullptr, item, -1);
}

void CaFeatures::logCandidate(SessionLog* log, const Candidate& candidate, std::uint8_t first)
{
    if (!log)
        return;
    const int id = log->getCondCount(-1);
    const int item = log->addCond(id, &candidate, -1);
    log->setCondInWords(candidate.getWordList(), item, -1);
    const AnalyzedSentence* sentence = candidate.getKnowledge();
    log->setCondPhTypes(sentence ? expressionBits(sentence->meanContents()) : 0, item, -1);
    log->setCondFlag(first, item, -1);
}

std::vector<TopicTitle*> CaFeatures::contextTitles(const ReplyContext* context, const CDictionary& knowledge)
{
    std::vector<TopicTitle*> titles;
    if (!context)
        return titles;
    for (const MeanContent& item : context->getActiveItems()) {
        const auto found = knowledge.idMap().find(item.meaningInfo);
        if (found != knowledge.idMap().end() && found->second)
            titles.push_back(found->second);
    }
    return titles;
}

void CaFeatures::collectCandidates(CDictionary& knowledge, TurnRequest& request,
                                   const std::vector<TopicRecord>& records, const ReplyContext* context,
                                   SessionLog* log, const std::string& prefix, const MorphemeList& contextWords)
{
    const std::vector<TopicTitle*> contexts = contextTitles(context, knowledge);
    Pairing pairing;
    pairing.related = context ? context->getSource() : nullptr;

    if (request.status() == TurnRequest::PLAIN) {
        std::string text;
        for (const std::string& piece : request.sentences())
            text += piece;
        const auto hits = shared(knowledge.analyseText(prefix + text, {-1}, 0));
        std::vector<Candidate> working;
        working.reserve(CANDIDATE_ROOM);
        pairing.prefix = prefix;
        pairing.text = text;
        warnDropped(pairHits(working, hits, contexts, records, pairing, log));

        // The log names each candidate by its address: follow the move.
        const std::vector<int> items = conditionItems(log, working);
        std::vector<Candidate>& kept = request.candidates().candidates();
        kept = std::move(working);
        followMove(log, items, kept);
        return;
    }

    if (request.status() != TurnRequest::PRE_ANALYSED)
        return;
    std::vector<Candidate>& list = request.candidates().candidates();
    if (list.capacity() < CANDIDATE_ROOM) {
        const std::vector<int> items = conditionItems(log, list);
        list.reserve(CANDIDATE_ROOM);
        followMove(log, items, list);
    }
    pairing.prefix = contextWords.joinSurfaces();
    const std::vector<MorphemeList>& pieces = request.analysedSentences();
    std::size_t dropped = 0;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const MorphemeList query = joined(contextWords, pieces[i]);
        const auto hits = shared(knowledge.semanticIndex(query.joinSurfaces(), {query}, {-1}, 0));
        pairing.number = static_cast<std::int32_t>(i);
        pairing.text = pieces[i].joinSurfaces();
        pairing.firstPassUnlimited = i == 0;
        dropped += pairHits(list, hits, contexts, records, pairing, log);
    }
    warnDropped(dropped);
}

}  // namespace quibo
