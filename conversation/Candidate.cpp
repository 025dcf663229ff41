// What a candidate reads of the knowledge base, by the names used here:
//   a sentence's score base        AnalyzedSentence::orderingValue (the variant
//                                  cost its reading carries; 0 for the input as
//                                  written)
//   a title's weight               TopicTitle::getDerivation (the same cost of
//                                  the words the title was made from)
//   a title's name                 TopicTitle::sourceText
//   a title's feature word         TopicTitle::getDcaBits
//   a title's word list            TopicTitle::getWords
//   a sentence's flag 0x4          AnalyzedSentence::getFlag2
//   a sentence's range words       AnalyzedSentence::selectWords
//   a sentence's code bits         MeanEntry::getCodeBits of its judgement
#include "conversation/Candidate.h"

#include "conversation/RuleManager.h"
#include "knowledge/AnalyzedSentence.h"
#include "knowledge/TopicTitle.h"

#include <algorithm>
#include <set>

namespace quibo {

namespace {

bool checkTargetSuffix(const TopicTitle* title)
{
    return title && title->hasCMark();
}

// A DCA value as the rule tables key it: the low word sign-extended.
std::uint64_t signExtended(std::uint64_t value)
{
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(static_cast<std::int32_t>(value)));
}

const TopicTitle& emptyTitle()
{
    static const TopicTitle empty(nullptr, nullptr);
    return empty;
}

}  // namespace

void Candidate::reset()
{
    m_knowledge.reset();
    m_state = 2;
    m_owner = nullptr;
    m_handlerText.clear();
    m_secondText.clear();
    m_text.clear();
    m_fullText.clear();
    m_entitySet.clear();
    m_context = nullptr;
    m_flagWord = 0;
    m_ruleFeatureWord = 0;
    m_hitLevel = 0;
    m_grade = 0;
    m_topicRecord.firstNumber = 0;
    m_topicRecord.source = nullptr;
    m_topicRecord.focus = nullptr;
    m_topicRecord.secondTitle = nullptr;
    m_topicRecord.hitValue = TopicUnit::NO_HIT;
    m_related = nullptr;
    m_topicLevel = 4;
}

MorphemeList Candidate::getWordList() const
{
    return m_knowledge ? m_knowledge->wordList(true) : MorphemeList();
}

bool Candidate::isActive(const TopicTitle* title) const
{
    if (m_knowledge && m_knowledge->getFlag2())
        return true;
    return checkTargetSuffix(title ? title : m_topicRecord.focus);
}

bool Candidate::hasFocusFeature(std::int32_t mask) const
{
    return m_topicRecord.focus && (m_topicRecord.focus->getDcaBits() & mask) != 0;
}

bool Candidate::hasSentenceFeature(std::int32_t mask) const
{
    return m_knowledge && (m_knowledge->judgement().getCodeBits() & mask) != 0;
}

bool Candidate::hasDcaValue(std::uint64_t mask) const
{
    return std::any_of(m_dcaValues.begin(), m_dcaValues.end(), [mask](std::uint64_t v) { return (v & mask) != 0; });
}

const TopicUnit* Candidate::unitAt(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_topicUnits.size()))
        return nullptr;
    return &m_topicUnits[static_cast<std::size_t>(index)];
}

TopicTitle* Candidate::getUnitTarget(int index) const
{
    if (index == -1)
        return m_topicRecord.focus;
    const TopicUnit* unit = unitAt(index);
    return unit ? unit->getTarget() : nullptr;
}

bool Candidate::hasHitValueSix(int index) const
{
    const TopicUnit* unit = unitAt(index);
    return unit && unit->getHit().title && unit->getHit().level == 6;
}

std::int32_t Candidate::getCorrelation(int index) const
{
    const TopicUnit* unit = unitAt(index);
    return unit ? unit->getCorrelation() : 0;
}

bool Candidate::isKatsuyoukeiSame(int index) const
{
    const TopicUnit* unit = unitAt(index);
    return unit && unit->isKatsuyoukeiSame();
}

bool Candidate::isYougenPairKatsuyoukeiSame(int index) const
{
    const TopicUnit* unit = unitAt(index);
    return unit && unit->isYougenPairKatsuyoukeiSame();
}

std::int32_t Candidate::getUnitStatus(int index) const
{
    const TopicUnit* unit = unitAt(index);
    return unit ? unit->getStatus() : TopicUnit::NOT_JUDGED;
}

bool Candidate::hasStrongCorrelation(int index) const
{
    const TopicUnit* unit = unitAt(index);
    return unit && unit->getStatus() != 3 && unit->getStatus() != 4 && unit->getCorrelation() == 2;
}

bool Candidate::isUnitUncorrelated(int index) const
{
    const TopicUnit* unit = unitAt(index);
    return unit && unit->getStatus() != 3 && unit->getStatus() != 4 && unit->getCorrelation() == 0;
}

std::int32_t Candidate::unitScore(int index) const
{
    const TopicUnit* unit = unitAt(index);
    return unit ? unit->score() : INT_MAX;
}

std::int32_t Candidate::unitHitValue(int index) const
{
    if (index == -1)
        return TopicUnit::NO_HIT;
    const TopicUnit* unit = unitAt(index);
    return unit ? unit->getHitValue() : INT_MAX;
}

std::vector<WordPair> Candidate::unitWordPairs(int index) const
{
    const TopicUnit* unit = unitAt(index);
    return unit ? unit->getWordPairs() : std::vector<WordPair>();
}

bool Candidate::hasUnitWithTitle(const TopicTitle& title) const
{
    return std::any_of(m_topicUnits.begin(), m_topicUnits.end(), [&title](const TopicUnit& unit) {
        const TopicTitle* hit = unit.getHit().title;
        return hit && hit->sourceText() == title.sourceText();
    });
}

std::int32_t Candidate::computeScore(std::int32_t base, std::int32_t weight, std::int32_t value)
{
    // A candidate without a sentence starts from INT_MAX: the sum is taken
    // wide and held to the int range, so it stays the worst score.
    const std::int64_t sum = std::int64_t{base} + weight + value;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(sum, INT_MIN, INT_MAX));
}

void Candidate::addHits(TopicTitleHits hits, const std::uint64_t& dcaValue, const MorphemeList& words)
{
    const std::int32_t base = m_knowledge ? m_knowledge->orderingValue() : INT_MAX;
    for (const TopicTitleHit& hit : hits) {
        if (!hit.title || hit.title->isSame(emptyTitle()) || hasUnitWithTitle(*hit.title))
            continue;
        TopicUnit unit;
        unit.setHit(hit.title, hit.level);
        unit.kind() = TopicUnit::KIND_HIT;
        unit.score() = computeScore(base, hit.title->getDerivation(), hit.level);
        unit.setWordList(words);
        m_topicUnits.push_back(std::move(unit));
    }
    if (hits.empty())
        return;
    m_flagWord = static_cast<std::int32_t>(dcaValue);
    const std::uint64_t key = signExtended(dcaValue);
    const RuleManager* rules = RuleManager::instance();
    if (m_owner && rules && rules->hasHitValue(static_cast<std::uint32_t>(key), static_cast<std::uint32_t>(key >> 32)))
        m_owner->setCache(key, hits.front().level);
}

std::uint64_t Candidate::getReplyKind(int index) const
{
    if (const TopicUnit* unit = unitAt(index)) {
        if (unit->kind() == TopicUnit::KIND_THREE)
            return 0x80000000u;
        if (m_flagWord == 0x200) {
            switch (unit->matchCode()) {
            case match_code::DIRECT: return 0x800;
            case match_code::INDEXED: return 0x1000;
            case match_code::NEXT: return 0x2000;
            default: return 0x4000;
            }
        }
    }
    static constexpr std::pair<std::uint32_t, std::uint64_t> KIND_OF_FLAG[] = {
        {0x1, 0x1},           {0x2, 0x2},          {0x4, 0x4},          {0x8, 0x8},
        {0x10, 0x10},         {0x20, 0x20},        {0x40, 0x40},        {0x100, 0x200},
        {0x400, 0x40000000},  {0x2000, 0x8000},    {0x4000, 0x40000},   {0x10000, 0x20000},
        {0x80000, 0x200000},  {0x100000, 0x400000}, {0x1000000, 0x800000}, {0x2000000, 0x1000000},
        {0x4000000, 0x2000000}, {0x8000000, 0x4000000}, {0x10000000, 0x8000000}, {0x40000000, 0x100}};
    for (const auto& [flag, kind] : KIND_OF_FLAG) {
        if (static_cast<std::uint32_t>(m_flagWord) == flag)
            return kind;
    }
    return 0;
}

std::int32_t Candidate::lookupHitValue(std::uint64_t dcaValue) const
{
    if (!m_owner)
        return TopicUnit::NO_HIT;
    if (m_owner->cacheKey() != 0 && m_owner->cacheKey() == dcaValue)
        return m_owner->cacheValue();
    const RuleManager* rules = RuleManager::instance();
    if (!rules)
        return TopicUnit::NO_HIT;
    return rules->getHitValue(static_cast<std::uint32_t>(dcaValue), static_cast<std::uint32_t>(dcaValue >> 32),
                              m_topicRecord.focus != nullptr);
}

void Candidate::applyExit(int index, int mode, const Entity* exitEntity)
{
    if (index < 0 || index >= static_cast<int>(m_topicUnits.size()) || mode == 0)
        return;
    TopicUnit& unit = m_topicUnits[static_cast<std::size_t>(index)];
    if (!unit.isExitTo(exitEntity))
        return;
    if (mode == 1)
        unit.switchToHit();
    else if (mode == 2)
        dropToLevel3();
}

bool Candidate::isFullTitleMatch(int index) const
{
    if (!m_knowledge || m_knowledge->orderingValue() != 0)
        return false;
    const TopicTitle* target = getUnitTarget(index);
    if (!target || target->getDerivation() != 0)
        return false;
    const MorphemeList sentenceWords = m_knowledge->wordList(false);
    const MorphemeList titleWords = target->getWords();
    return sentenceWords.size() == titleWords.size() &&
           countMatchingWords(sentenceWords, titleWords, 0) == static_cast<int>(sentenceWords.size());
}

bool Candidate::isFullWordMatch(int index, bool strict) const
{
    const TopicTitle* target = getUnitTarget(index);
    if (!target || !m_knowledge)
        return false;
    const MorphemeList sentenceWords = m_knowledge->selectWords(false);
    const MorphemeList titleWords = target->getWords().contentWords();
    return sentenceWords.size() == titleWords.size() &&
           countMatchingWords(sentenceWords, titleWords, strict ? 1 : 2) == static_cast<int>(sentenceWords.size());
}

void CandidateList::releaseKnowledgeObjects()
{
    std::set<const AnalyzedSentence*> seen;
    for (Candidate& candidate : m_candidates) {
        if (seen.insert(candidate.getKnowledge()).second)
            candidate.releaseKnowledge();
    }
}

bool CandidateList::anyHasDcaValue(std::uint64_t mask) const
{
    return std::any_of(m_candidates.begin(), m_candidates.end(),
                       [mask](const Candidate& candidate) { return candidate.hasDcaValue(mask); });
}

int countMatchingWords(const MorphemeList& a, MorphemeList b, int mode)
{
    auto matches = [mode](const Morpheme& w, const Morpheme& x) {
        if (w.surfaceRef() == x.surfaceRef())
            return true;
        if (mode == 1)
            return w.keyFormRef() == x.keyFormRef();
        if (mode == 2)
            return w.isSameOrRelated(x);
        return false;
    };
    std::vector<Morpheme>& left = b.words();
    int count = 0;
    for (const Morpheme& w : a.words()) {
        for (std::size_t j = left.size(); j-- > 0;) {
            if (matches(w, left[j])) {
                left.erase(left.begin() + static_cast<std::ptrdiff_t>(j));
                ++count;
            }
        }
    }
    return count;
}

MorphemeList filterWordsByFlags(const MorphemeList& list, bool keepPlain)
{
    constexpr std::uint32_t SPECIAL = Morpheme::FLAG_I | Morpheme::FLAG_U | Morpheme::FLAG_N;
    MorphemeList result;
    for (const Morpheme& word : list.words()) {
        if (word.hasFlags(SPECIAL) != keepPlain)
            result.push_back(word);
    }
    return result;
}

}  // namespace quibo
