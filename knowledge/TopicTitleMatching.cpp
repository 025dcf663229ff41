// The topic title's word sets, centre collection and grading against an
// utterance.  The record itself, its print forms and its comparison are in
// TopicTitle.cpp.
#include "knowledge/TopicTitle.h"

#include "analysis/ConsoleLine.h"
#include "knowledge/Entity.h"
#include "knowledge/KnowledgeObject.h"
#include "meaning/MeanEntry.h"

#include <algorithm>
#include <limits>

namespace quibo {

namespace {

// Selection arguments of MorphemeList::selectWords.
constexpr int CONTENT_WORDS = 3;
constexpr int REQUIRED_CONTENT_WORDS = 5;
constexpr int ANY_HEAD = 7;
// Duplicates dropped: same POS, surface and attributes, or knowledge words
// of one key form.
constexpr int DROP_DUPLICATES = 3;

// The words that carry a head flag, whatever their class.
MorphemeList wordsWithFlag(const MorphemeList& words, std::uint32_t flag)
{
    MorphemeList picked;
    for (const Morpheme& word : words.words())
        if (word.hasFlags(flag))
            picked.push_back(word);
    return picked;
}

MorphemeList withoutKeyForm(const MorphemeList& words, const std::string& excluded, bool& dropped)
{
    MorphemeList kept;
    dropped = false;
    for (const Morpheme& word : words.words()) {
        if (word.keyFormRef() == excluded)
            dropped = true;
        else
            kept.push_back(word);
    }
    return kept;
}

// Whether the word's entity has a relative titled `title`.
bool relatedTo(const Morpheme& word, const std::string& title)
{
    const auto* entity = dynamic_cast<const Entity*>(word.getKnowledgeObject());
    if (!entity)
        return false;
    for (const KnowledgeObject* related : entity->entitySet(6).members())
        if (related && related->getTitleText() == title)
            return true;
    return false;
}

// The words countAntonymPairs pairs: content words without flag I.
bool countsForAntonyms(const Morpheme& word) { return word.isContentWord() && !word.hasFlags(Morpheme::FLAG_I); }

bool evenLowBits(std::uint8_t value) { return (value & 0x3F) % 2 == 0; }
bool plainEven(std::uint8_t value) { return evenLowBits(value) && (value & 0x80) == 0; }

}  // namespace

std::int32_t entityFlagsOf(const KnowledgeObject* object)
{
    const auto* entity = dynamic_cast<const Entity*>(object);
    return entity ? entity->getFlags() : 0;
}

MorphemeList TopicTitle::slotWords(int mode) const
{
    return m_sWords.unionWith(m_oWords, mode != 0);
}

MorphemeList TopicTitle::centreWords(const std::string& excluded)
{
    if (!m_centreCacheFilled) {
        m_centreCache = slotWords(0).selectWords(CONTENT_WORDS, ANY_HEAD, DROP_DUPLICATES);
        m_centreCacheFilled = 1;
    }
    if (excluded.empty())
        return m_centreCache;
    bool dropped = false;
    MorphemeList kept = withoutKeyForm(m_centreCache, excluded, dropped);
    if (dropped)
        return kept;
    MorphemeList unrelated;
    for (const Morpheme& word : kept.words())
        if (!relatedTo(word, excluded))
            unrelated.push_back(word);
    return unrelated;
}

MorphemeList TopicTitle::contentWords(const std::string& excluded)
{
    if (!m_contentCacheFilled) {
        m_contentCache = slotWords(0).selectWords(REQUIRED_CONTENT_WORDS, ANY_HEAD, DROP_DUPLICATES);
        m_contentCacheFilled = 1;
    }
    if (excluded.empty())
        return m_contentCache;
    bool dropped = false;
    return withoutKeyForm(m_contentCache, excluded, dropped);
}

int TopicTitle::collectCentres(KnowledgeObject* fallback, CentreOrder& order)
{
    constexpr int NO_RANK = 0;
    const MorphemeList words = slotWords(1);
    std::vector<int> ranks(words.size(), NO_RANK);
    int contentCount = 0;
    int best = NO_RANK;
    auto becomeCentre = [&](KnowledgeObject* object) {
        addCentre(object);
        order.insert(object);
    };
    for (std::size_t k = 0; k < words.size(); ++k) {
        const Morpheme& word = words.words()[k];
        if (word.isContentWord())
            ++contentCount;
        KnowledgeObject* object = word.getKnowledgeObject();
        // A knowledge word that lost its object cannot name a centre.
        if (!word.isKnowledgeWord() || !object)
            continue;
        int rank = 1;
        if (entityFlagsOf(object) & 0x02)
            becomeCentre(object);
        else if (!word.isContentWord() && !word.hasFlagG())
            rank = NO_RANK;
        else if (word.getEffectivePosCode() == pos::NUMERAL)
            rank = 3;
        else if (!word.hasFlags(Morpheme::FLAG_I) || (contentCount <= 3 && !word.hasFlags(Morpheme::FLAG_E)))
            becomeCentre(object);
        else
            rank = 4;
        ranks[k] = rank;
        best = std::max(best, rank);
    }
    if (m_centres.empty()) {
        if (best != NO_RANK) {
            for (std::size_t k = 0; k < words.size(); ++k)
                if (ranks[k] == best)
                    becomeCentre(words.words()[k].getKnowledgeObject());
        } else if (m_derivation >= 1) {
            writeConsoleLine("センターがないが派生したトピックタイトルなので捨てる:" + m_sourceText);
        } else if (contentCount == 0) {
            writeConsoleLine("センターがなく自立語もないので破棄:" + m_sourceText);
        } else {
            writeConsoleLine("センターがないので補完談話に挿入:" + m_sourceText);
            if (fallback)
                becomeCentre(fallback);
        }
    }
    return static_cast<int>(m_centres.size());
}

void TopicTitle::chooseMainCentre(const KnowledgeObject* object, const CentreOrder& order)
{
    int lowest = std::numeric_limits<int>::max();
    for (const KnowledgeObject* centre : m_centres) {
        const int number = order.number(centre);
        if (centre && number >= 0)
            lowest = std::min(lowest, number);
    }
    if (lowest == std::numeric_limits<int>::max())
        return;

    // Each candidate is scored by the first slot word that refers to it.
    struct Scored {
        std::size_t at;  // in m_centres
        int score;
    };
    const MorphemeList words = slotWords(1);
    std::vector<std::size_t> candidates;
    std::vector<Scored> scored;
    for (std::size_t c = 0; c < m_centres.size(); ++c) {
        const KnowledgeObject* centre = m_centres[c];
        if (!centre || order.number(centre) != lowest)
            continue;
        candidates.push_back(c);
        for (std::size_t o = 0; o < words.size(); ++o) {
            const KnowledgeObject* own = words.words()[o].getKnowledgeObject();
            int score = 0;
            if (own == centre) {
                score = 10 * static_cast<int>(o);
            } else {
                const auto* entity = dynamic_cast<const Entity*>(own);
                if (!entity || !entity->entitySet(6).contains(centre))
                    continue;
                score = 10 * static_cast<int>(o) + 5;
            }
            if (centre == object)
                score -= 1;
            scored.push_back({c, score});
            break;
        }
    }
    std::stable_sort(scored.begin(), scored.end(), [](const Scored& a, const Scored& b) { return a.score < b.score; });
    std::size_t chosen = scored.empty() ? candidates.front() : scored.front().at;
    for (const Scored& entry : scored) {
        const MorphemeList title = m_centres[entry.at]->getTitleWords();
        if (!title.empty() && (title.words().back().getPosCode() & pos::NOUN) != 0) {
            chosen = entry.at;
            break;
        }
    }

    for (KnowledgeObject* centre : m_centres)
        if (auto* entity = dynamic_cast<Entity*>(centre))
            entity->addFlags(0x08);
    std::rotate(m_centres.begin(), m_centres.begin() + static_cast<std::ptrdiff_t>(chosen),
                m_centres.begin() + static_cast<std::ptrdiff_t>(chosen) + 1);
}

bool TopicTitle::centreHasFlag(std::int32_t mask) const
{
    if (m_centres.empty())
        return (mask & (0x08 | 0x40)) != 0;
    for (const KnowledgeObject* centre : m_centres)
        if (entityFlagsOf(centre) & mask)
            return true;
    return false;
}

std::int32_t TopicTitle::centreFlags() const
{
    return m_centres.empty() ? 8 : entityFlagsOf(m_centres.front());
}

int TopicTitle::countAntonymPairs(const MorphemeList& words, const MorphemeList& list, bool& found) const
{
    int count = 0;
    int distance = 0;
    for (const Morpheme& w : words.words()) {
        if (!countsForAntonyms(w))
            continue;
        for (const Morpheme& v : list.words())
            if (countsForAntonyms(v) && w.getCorrelation(v, false, distance) == 2)
                ++count;
    }
    found = count > 0;
    return count % 2 == 0 ? 1 : 0;
}

std::uint64_t TopicTitle::gradeMatch(const MorphemeList& input, const MeanEntry* judgement) const
{
    const std::uint8_t j1 = judgement ? judgement->getPolarity() : 0;
    const std::uint8_t j2 = judgement ? judgement->getPolarityX() : 0;
    const std::uint8_t j3 = judgement ? judgement->getPolarityY() : 0;
    bool parity[3];
    bool sameSign[3];
    for (int k = 0; k < 3; ++k) {
        parity[k] = ((m_polarity[k] & 0x3F) + (j1 & 0x3F)) % 2 == 0;
        sameSign[k] = (m_polarity[k] & 0x80) == (j1 & 0x80);
    }
    const bool asserted = (j1 & 0x40) != 0;

    std::uint32_t flags = 0;
    std::uint32_t high = 0;
    const MorphemeList a = input.selectWords(REQUIRED_CONTENT_WORDS, ANY_HEAD, DROP_DUPLICATES);
    const MorphemeList b = m_words.selectWords(REQUIRED_CONTENT_WORDS, ANY_HEAD, DROP_DUPLICATES);
    bool hasX = false;
    bool hasY = false;
    int distance = 0;
    for (const Morpheme& word : a.words()) {
        if (word.hasFlags(Morpheme::FLAG_X))
            hasX = true;
        else if (word.hasFlags(Morpheme::FLAG_Y))
            hasY = true;
        if (flags & 0x1)
            continue;
        for (const Morpheme& other : b.words()) {
            if (word.getCorrelation(other, false, distance) != 0) {
                flags |= 0x1;
                break;
            }
        }
    }

    // The opposite pairs of the whole title, of its X words and of its Y
    // words, as countAntonymPairs counts them, from one pass over the pairs:
    // each correlation costs a search of the semantic network.
    int opposite[3] = {0, 0, 0};
    for (const Morpheme& v : m_words.words()) {
        if (!countsForAntonyms(v))
            continue;
        for (const Morpheme& w : input.words()) {
            if (!countsForAntonyms(w) || w.getCorrelation(v, false, distance) != 2)
                continue;
            ++opposite[0];
            if (v.hasFlags(Morpheme::FLAG_X))
                ++opposite[1];
            if (v.hasFlags(Morpheme::FLAG_Y))
                ++opposite[2];
        }
    }
    bool found[3];
    int parityOfPairs[3];
    for (int k = 0; k < 3; ++k) {
        found[k] = opposite[k] > 0;
        parityOfPairs[k] = opposite[k] % 2 == 0 ? 1 : 0;
    }

    if (m_type == topic_title_type::X_Y_N) {
        flags |= 0x2;
        if (hasX)
            flags |= hasY ? 0x4 : 0x8;
    }
    flags |= 0x10;

    const MorphemeList xb = wordsWithFlag(b, Morpheme::FLAG_X);
    const MorphemeList yb = wordsWithFlag(b, Morpheme::FLAG_Y);
    // The cover tests last: they search the network.
    if ((hasY || plainEven(j3)) && (!yb.empty() || plainEven(m_polarity[2])) && a.isCoveredBy(xb))
        flags |= 0x80;
    if ((hasX || plainEven(j2)) && (!xb.empty() || plainEven(m_polarity[1])) && a.isCoveredBy(yb))
        flags |= 0x100;

    constexpr std::uint32_t AGREE[3] = {0x400000, 0x2000000, 0x4000000};
    for (int k = 0; k < 3; ++k) {
        const bool r = found[k];
        const bool even = parityOfPairs[k] == 1;
        const bool p = parity[k];
        const bool agree = asserted && ((r && p && even) || (r && !p && !even) || (!r && p));
        const bool disagree = (r && p && !even) || (r && !p && even) || (!r && !p) || !sameSign[k];
        if (agree)
            flags |= AGREE[k];
        if (disagree) {
            if (k == 0)
                flags |= 0x80000000u;
            else
                high |= k == 1 ? 0x4 : 0x8;
        }
    }
    return (static_cast<std::uint64_t>(high) << 32) | flags;
}

}  // namespace quibo
