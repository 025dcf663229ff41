// What a unit reads of the knowledge base, by the names used here:
//   a title's word list        TopicTitle::getWords
//   a title's mark byte        TopicTitle::getPolarity1 (marks 0x40, 0x80)
//   a title's links            TopicTitle::getCentres (the first made the title)
//   a title accepts a letter   TopicTitle::hasReplyKind
//   a sentence's mark byte     MeanEntry::getPolarity of its judgement
//   a sentence's range words   AnalyzedSentence::selectWords (true: category 5)
#include "conversation/TopicUnit.h"

#include "analysis/ConsoleLine.h"
#include "conversation/RuleManager.h"
#include "knowledge/AnalyzedSentence.h"
#include "knowledge/TopicTitle.h"

namespace quibo {

namespace {

// Verbs, adjectives and sahen nouns: the words whose conjugation forms are
// compared.
MorphemeList predicateWords(const MorphemeList& words)
{
    return words.selectWords(7, 7, 0);
}

std::set<int> attributesOf(const Morpheme& word)
{
    std::set<int> attributes;
    word.getAttributeSet(attributes);
    return attributes;
}

void reportUnevaluated(const char* operation)
{
    writeConsoleErrorLine(std::string("Error! Call TopicUnit::evaluate() before calling TopicUnit::") + operation + "()");
}

// Each input word takes one topic word of the same attributes; true when
// every input word found one and no topic word is left over.
bool sameForms(const MorphemeList& input, MorphemeList topic)
{
    std::vector<Morpheme>& left = topic.words();
    for (const Morpheme& a : input.words()) {
        bool found = false;
        for (std::size_t j = left.size(); j-- > 0;) {
            if (left[j].getAttributeWord() == a.getAttributeWord() && a.isSameOrRelated(left[j])) {
                left.erase(left.begin() + static_cast<std::ptrdiff_t>(j));
                found = true;
                break;
            }
        }
        if (!found)
            return false;
    }
    return left.empty();
}

bool samePairForms(const MorphemeList& input, MorphemeList topic)
{
    std::vector<Morpheme>& left = topic.words();
    bool pairFound = false;
    for (std::size_t i = input.size(); i-- > 0;) {
        const Morpheme& a = input.words()[i];
        for (std::size_t j = left.size(); j-- > 0;) {
            if (!a.isSameOrRelated(left[j]))
                continue;
            if (left[j].getAttributeWord() != a.getAttributeWord())
                return false;
            left.erase(left.begin() + static_cast<std::ptrdiff_t>(j));
            pairFound = true;
        }
    }
    return pairFound;
}

bool marksAgree(std::uint8_t a, std::uint8_t b)
{
    return ((a & 0x40) && (b & 0x40)) || ((a & 0x80) && (b & 0x80));
}

}  // namespace

std::int32_t formRelationCode(const std::set<int>& input, const std::set<int>& topic)
{
    if (input.empty() && topic.empty())
        return 1;
    if (input.empty() || topic.empty())
        return 4;
    const RuleManager* rules = RuleManager::instance();
    std::int32_t best = 5;
    for (int x : input) {
        for (int y : topic) {
            const std::int32_t code = rules ? rules->getFormRelation(x, y) : -1;
            if (code != -1 && code < best)
                best = code;
            if (best == 1)
                return best;
        }
    }
    return best;
}

TopicTitle* TopicUnit::getTarget() const
{
    switch (m_kind) {
    case KIND_ONE: return m_kind1Target;
    case KIND_HIT: return m_hitTarget;
    case KIND_THREE: return m_kind3Target;
    default: return nullptr;
    }
}

void TopicUnit::evaluate(const MorphemeList& input, bool force)
{
    if (m_evaluated && !force)
        return;
    const TopicTitle* target = getTarget();
    if (!target)
        return;
    compare(input, target->getWords());
    m_evaluated = true;
}

void TopicUnit::evaluateWith(const MorphemeList& input, const TopicTitle* title, bool force)
{
    if (m_evaluated && !force)
        return;
    compare(input, title ? title->getWords() : MorphemeList());
    m_evaluated = true;
}

void TopicUnit::compare(const MorphemeList& input, const MorphemeList& topic)
{
    const MorphemeList a = predicateWords(input);
    const MorphemeList b = predicateWords(topic);
    m_hasTopicWords = !b.empty();
    m_isKatsuyoukeiSame = sameForms(a, b);
    m_isYougenPairKatsuyoukeiSame = samePairForms(a, b);

    // The last input word decides first; a word whose forms cannot be related
    // at all ends the comparison as unrelated, whatever came before.
    std::int32_t correlation = -1;
    for (std::size_t i = a.size(); i-- > 0;) {
        if (!formRelation(a.words()[i], b))
            continue;
        const std::int32_t code = m_wordPairs.back().code;
        if (code == 1) {
            correlation = 2;
        } else if (code >= 2 && code <= 4) {
            if (correlation != 2)
                correlation = 1;
        } else {
            correlation = 0;
            break;
        }
    }
    if (correlation == -1)
        correlation = (a.empty() && b.empty()) ? 2 : 1;
    m_correlation = correlation;
}

bool TopicUnit::formRelation(const Morpheme& inputWord, const MorphemeList& topicWords)
{
    m_wordPairs.clear();
    const std::set<int> inputAttributes = attributesOf(inputWord);
    for (std::size_t j = topicWords.size(); j-- > 0;) {
        const Morpheme& b = topicWords.words()[j];
        if (!inputWord.isSameOrRelated(b))
            continue;
        m_wordPairs.push_back({std::string(inputWord.surfaceRef()), std::string(b.surfaceRef()),
                               formRelationCode(inputAttributes, attributesOf(b))});
        return true;
    }
    return false;
}

std::int32_t TopicUnit::getCorrelation() const
{
    if (!m_evaluated)
        reportUnevaluated("getCorrelation");
    return m_correlation;
}

bool TopicUnit::isKatsuyoukeiSame() const
{
    if (!m_evaluated)
        reportUnevaluated("isKatsuyoukeiSame");
    return m_isKatsuyoukeiSame;
}

bool TopicUnit::isYougenPairKatsuyoukeiSame() const
{
    if (!m_evaluated)
        reportUnevaluated("isYougenPairKatsuyoukeiSame");
    return m_isYougenPairKatsuyoukeiSame;
}

void TopicUnit::computeMatchCode(const AnalyzedSentence* sentence, std::int32_t ruleFeatures)
{
    const TopicTitle* title = m_kind == KIND_HIT ? m_hitTarget : m_kind1Target;
    if (!title || !sentence) {
        m_matchCode = match_code::NONE;
        return;
    }
    const bool keepRuleFeatures = (m_optionWord & OPTION_KEEP_RULE_FEATURES) != 0;
    const std::uint32_t r = static_cast<std::uint32_t>(ruleFeatures);
    std::uint32_t high = keepRuleFeatures ? 4 : 0;
    const MeanEntry& judgement = sentence->judgement();

    const std::uint64_t grade = title->gradeMatch(sentence->wordList(true).unionWith(m_words, true), &judgement);
    const std::uint32_t g = static_cast<std::uint32_t>(grade);
    const std::uint32_t gh = static_cast<std::uint32_t>(grade >> 32);
    const bool noWords = sentence->selectWords(true).unionWith(m_words, true).selectWords(6, 7, 0).empty() &&
                         (r & 3) == 0;
    const bool covered = sentence->selectWords(false).unionWith(m_words, true).allWordsMatch(title->getWords());

    std::uint32_t v = 0;
    auto setIf = [&v](bool condition, std::uint32_t bit) {
        if (condition)
            v |= bit;
    };
    setIf((g & 1) || noWords || covered, 0x1);
    v |= g & 0x6;
    setIf((g & 0x10) || noWords, 0x8);
    setIf(g & 0x400000, 0x10);
    setIf(g & 0x80000000u, 0x20);
    setIf(g & 0x80, 0x40);
    setIf(g & 0x2000000, 0x80);
    setIf(gh & 4, 0x100);
    setIf(g & 0x100, 0x200);
    setIf(g & 0x4000000, 0x400);
    setIf(gh & 8, 0x800);
    v |= (r & 0x3FF) << 12;
    if (r & 0x4000)
        high |= 2;

    if (!keepRuleFeatures && m_status == 0) {
        v &= 0xFFC00FFFu;
        high &= ~2u;
    }

    static constexpr std::pair<int, std::uint32_t> LETTER_BITS[] = {
        {'i', 0x400000},  {'n', 0x800000},   {'c', 0x1000000},  {'e', 0x2000000},  {'l', 0x4000000},
        {'t', 0x8000000}, {'p', 0x10000000}, {'h', 0x20000000}, {'w', 0x40000000}, {'o', 0x80000000u}};
    for (const auto& [letter, bit] : LETTER_BITS)
        setIf(title->hasReplyKind(letter), bit);
    if (title->hasReplyKind(match_code::DIRECT))
        high |= 1;

    const RuleManager* rules = RuleManager::instance();
    const std::uint64_t picked = rules ? rules->classifyMatch((std::uint64_t{high} << 32) | v) : 0;
    switch (picked & 0xFFFFFF) {
    case 0x1: m_matchCode = match_code::DIRECT; break;
    case 0x2: m_matchCode = match_code::INDEXED; break;
    case 0x40: m_matchCode = match_code::NEXT; break;
    default: m_matchCode = match_code::NONE; break;
    }

    // A title marked like the sentence answers directly, or not at all.
    const TopicTitle* live = getTarget();
    if (!keepRuleFeatures && live && marksAgree(live->getPolarity1(), judgement.getPolarity()))
        m_matchCode = title->hasReplyKind(match_code::DIRECT) ? match_code::DIRECT : match_code::NONE;
}

bool TopicUnit::isExitTo(const Entity* entity) const
{
    if (m_kind != KIND_THREE || !entity || !m_kind3Target)
        return false;
    const std::vector<KnowledgeObject*> links = m_kind3Target->getCentres();
    return !links.empty() && links.front() == static_cast<const KnowledgeObject*>(entity);
}

bool TopicUnit::switchToHit()
{
    if (!m_hitTarget || !m_hitTarget->hasReplyKind(match_code::DIRECT))
        return false;
    m_kind = KIND_HIT;
    m_matchCode = match_code::DIRECT;
    return true;
}

}  // namespace quibo
