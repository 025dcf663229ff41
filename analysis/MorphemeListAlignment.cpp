// MorphemeList: laying one word list onto another and grading it, cover
// tests over word correlation distances, and the numeral merge.
#include "analysis/MorphemeList.h"

#include "analysis/EucString.h"
#include "analysis/LanguageAnalyzer.h"
#include "analysis/NumeralNormalizer.h"
#include "knowledge/GradeClassifier.h"

#include <algorithm>
#include <stdexcept>

namespace quibo {

namespace {

constexpr int NO_DISTANCE = 99999;

int countRequired(const MorphemeList& list)
{
    return static_cast<int>(std::count_if(list.words().begin(), list.words().end(),
                                          [](const Morpheme& w) { return w.isRequired(); }));
}

// The caller's map is sized to this list; an entry that names no word of
// other is an out-of-range subscript, which the alignments answer with
// NO_MATCH rather than reading past the list.
void prepareIndexMap(std::vector<int>& indexMap, std::size_t size, std::size_t otherSize)
{
    if (indexMap.size() != size)
        indexMap.resize(size, -1);
    for (int j : indexMap) {
        if (j < -1 || j >= static_cast<long>(otherSize))
            throw std::out_of_range("index map names no word of the other list");
    }
}

// Pairs recorded in the map count as paired on both sides.
void markPaired(const std::vector<int>& indexMap, std::vector<bool>& paired, std::vector<bool>& otherPaired)
{
    for (std::size_t i = 0; i < indexMap.size(); ++i) {
        if (indexMap[i] != -1) {
            paired[i] = true;
            otherPaired[static_cast<std::size_t>(indexMap[i])] = true;
        }
    }
}

int searchPath(std::string_view from, std::string_view to, int& distance, int mode)
{
    LanguageAnalyzer* analyzer = LanguageAnalyzer::instance();
    return analyzer ? analyzer->searchPath(std::string(from), std::string(to), distance, mode) : 0;
}

// The correlation of caller towards argument with the distance clamped to
// -1..1 when the word the search started from is a short noun.
int clampedCorrelation(const Morpheme& caller, const Morpheme& argument, bool reverse, int& distance)
{
    const int relation = caller.getCorrelation(argument, reverse, distance);
    if ((reverse ? argument : caller).isShortNoun())
        distance = std::clamp(distance, -1, 1);
    return relation;
}

// Every word of `covered` must correlate with some word of `covering`
// (the correlation asked of the word named by `askCovered`); ignorable words
// may stay uncovered.  Keeps the largest cost; false on the first word that
// cannot be covered.
bool coverAll(const MorphemeList& owner, const MorphemeList& covered, const MorphemeList& covering,
              bool askCovered, bool reverse, int* ignorableCount, int& cost)
{
    for (const Morpheme& word : covered.words()) {
        bool found = false;
        for (const Morpheme& candidate : covering.words()) {
            int distance = NO_DISTANCE;
            const int relation = askCovered ? clampedCorrelation(word, candidate, reverse, distance)
                                            : clampedCorrelation(candidate, word, reverse, distance);
            if (relation != 0) {
                cost = std::max(cost, owner.zigzagCost(distance));
                found = true;
                break;
            }
        }
        if (found)
            continue;
        if (!word.isIgnorable())
            return false;
        if (ignorableCount)
            ++*ignorableCount;
    }
    return true;
}

}  // namespace

bool MorphemeList::countsDiffer(const MorphemeList& other, int limit) const
{
    if (limit != 100)
        return false;
    const int required = countRequired(*this);
    const int optional = static_cast<int>(size()) - required;
    const int otherRequired = countRequired(other);
    const int otherOptional = static_cast<int>(other.size()) - otherRequired;
    if (required < otherRequired)
        return required + optional < otherRequired;
    if (required > otherRequired)
        return otherRequired + otherOptional < required;
    return false;
}

int MorphemeList::matchSequence(const MorphemeList& other, std::vector<int>& indexMap,
                                GradeClassifier& record) const
{
    if (empty() || other.empty() || countsDiffer(other, 100))
        return NO_MATCH;
    try {
        prepareIndexMap(indexMap, size(), other.size());
        std::vector<bool> otherPaired(other.size(), false);
        bool inOrder = true;
        bool anyMatch = false;
        bool optionalLeft = false;
        std::size_t last = 0;
        for (std::size_t i = 0; i < size(); ++i) {
            const Morpheme& word = m_words[i];
            bool matched = false;
            for (std::size_t j = 0; j < other.size(); ++j) {
                const Morpheme& partner = other.m_words[j];
                if (otherPaired[j] || !word.isSameOrRelated(partner))
                    continue;
                matched = anyMatch = true;
                otherPaired[j] = true;
                indexMap[i] = static_cast<int>(j);
                // Optional words may stand anywhere without breaking the order.
                if (word.isRequired() && partner.isRequired()) {
                    if (j < last)
                        inOrder = false;
                    last = j;
                }
                break;
            }
            if (!matched) {
                if (word.isRequired())
                    return NO_MATCH;
                optionalLeft = true;
            }
        }
        int result = IN_ORDER;
        for (std::size_t j = 0; j < other.size(); ++j) {
            if (otherPaired[j])
                continue;
            if (other.m_words[j].isRequired())
                result = NO_MATCH;
            else
                optionalLeft = true;
        }
        noteAlignment(other, indexMap, record);
        if (!anyMatch)
            return NO_MATCH;
        if (result != NO_MATCH && (optionalLeft || !inOrder))
            return LOOSE_ORDER;
        return result;
    } catch (const std::out_of_range&) {
        return NO_MATCH;
    }
}

int MorphemeList::alignWords(const MorphemeList& other, std::vector<int>& indexMap,
                             GradeClassifier& record) const
{
    if (empty() || other.empty() || countsDiffer(other, 100))
        return NO_MATCH;
    try {
        prepareIndexMap(indexMap, size(), other.size());
        std::vector<bool> paired(size(), false);
        std::vector<bool> otherPaired(other.size(), false);
        markPaired(indexMap, paired, otherPaired);
        bool networkPair = false;
        bool near = false;
        bool far = false;
        for (std::size_t i = 0; i < size(); ++i) {
            if (paired[i])
                continue;
            const Morpheme& word = m_words[i];
            for (std::size_t j = 0; j < other.size() && !paired[i]; ++j) {
                if (otherPaired[j])
                    continue;
                const Morpheme& partner = other.m_words[j];
                if (word.keyFormRef() == partner.keyFormRef() ||
                    word.baseFormRef() == partner.baseFormRef()) {
                    indexMap[i] = static_cast<int>(j);
                    paired[i] = otherPaired[j] = true;
                    continue;
                }
                int distance = NO_DISTANCE;
                const int relation = searchPath(partner.keyFormRef(), word.keyFormRef(), distance, 1);
                if (relation > 0 && distance == 0) {
                    indexMap[i] = static_cast<int>(j);
                    paired[i] = otherPaired[j] = true;
                } else if (!word.hasFlags(Morpheme::FLAG_E) && !partner.hasFlags(Morpheme::FLAG_E) &&
                           relation == 1 && distance != -2) {
                    // Related at a distance: counted as paired, not recorded
                    // as a pair of the map.
                    paired[i] = otherPaired[j] = true;
                    networkPair = true;
                    near = near || distance == -1;
                    far = far || distance == 2;
                }
            }
            if (!paired[i] && word.isRequired())
                return NO_MATCH;
        }
        int result = 120;
        for (std::size_t j = 0; j < other.size(); ++j) {
            if (!otherPaired[j] && other.m_words[j].isRequired())
                result = NO_MATCH;
        }
        if (!record.getEnabled())
            noteAlignment(other, indexMap, record);
        if (!networkPair || result == NO_MATCH)
            return NO_MATCH;
        const bool heads = record.getMarkB() || record.getMarkA();
        if (far)
            return heads ? 141 : 142;
        if (near)
            return heads ? 131 : 132;
        return heads ? 121 : 122;
    } catch (const std::out_of_range&) {
        return NO_MATCH;
    }
}

int MorphemeList::alignLoosely(const MorphemeList& other, std::vector<int>& indexMap,
                               GradeClassifier& record) const
{
    if (empty() || other.empty())
        return NO_MATCH;
    if (record.getEnabled())
        return record.gradeA();
    try {
        prepareIndexMap(indexMap, size(), other.size());
        const int required = countRequired(*this);
        std::vector<bool> paired(size(), false);
        std::vector<bool> otherPaired(other.size(), false);
        markPaired(indexMap, paired, otherPaired);
        int cost = 0;
        for (std::size_t i = 0; i < size(); ++i) {
            if (paired[i])
                continue;
            const Morpheme& word = m_words[i];
            for (std::size_t j = 0; j < other.size(); ++j) {
                if (!otherPaired[j] && word.isSameOrRelated(other.m_words[j])) {
                    indexMap[i] = static_cast<int>(j);
                    paired[i] = otherPaired[j] = true;
                    break;
                }
            }
            if (!paired[i] && word.isRequired()) {
                cost += 2;
                if (cost > required)
                    return NO_MATCH;
            }
        }
        noteAlignment(other, indexMap, record);
        return record.gradeA();
    } catch (const std::out_of_range&) {
        return NO_MATCH;
    }
}

int MorphemeList::gradeWithLimit(const MorphemeList& other, GradeClassifier& record) const
{
    if (empty() || other.empty())
        return NO_MATCH;
    return record.gradeB();
}

void MorphemeList::setCoverPercentages(GradeClassifier& record) const
{
    const int paired = record.getPrimary();
    const int countA = record.getCountA();
    const int countB = record.getCountB();
    if (paired + countA != 0 && paired + countB != 0) {
        record.setScoreA(static_cast<float>(100.0 * paired / (paired + countA)));
        record.setScoreB(static_cast<float>(100.0 * paired / (paired + countB)));
    } else {
        record.setScoreA(0.0f);
        record.setScoreB(0.0f);
    }
}

void MorphemeList::noteAlignment(const MorphemeList& other, const std::vector<int>& indexMap,
                                 GradeClassifier& record) const
{
    for (const Morpheme& word : other.m_words) {
        if (!word.isRequired())
            continue;
        if (word.hasFlags(Morpheme::FLAG_X))
            record.setFlag11();
        if (word.hasFlags(Morpheme::FLAG_Y))
            record.setFlag12();
    }
    for (const Morpheme& word : m_words) {
        if (!word.isRequired())
            continue;
        if (word.hasFlags(Morpheme::FLAG_X))
            record.setFlag9();
        if (word.hasFlags(Morpheme::FLAG_Y))
            record.setFlag10();
    }

    int requiredPairs = 0;
    int sameBasePairs = 0;
    int unpaired = 0;
    int otherUnpaired = 0;
    std::vector<bool> otherPaired(other.size(), false);
    for (std::size_t i = 0; i < indexMap.size(); ++i) {
        const Morpheme& word = at(i);
        const bool x = word.hasFlags(Morpheme::FLAG_X);
        if (indexMap[i] != -1) {
            const std::size_t j = static_cast<std::size_t>(indexMap[i]);
            const Morpheme& partner = other.at(j);
            const bool partnerX = partner.hasFlags(Morpheme::FLAG_X);
            otherPaired[j] = true;
            if (word.baseFormRef() == partner.baseFormRef())
                ++sameBasePairs;
            if (word.isRequired() && partner.isRequired())
                ++requiredPairs;
            if (word.isRequired() && !word.isLinked()) {
                if (x && !partnerX)
                    record.setFlag1();
                if (word.hasFlags(Morpheme::FLAG_Y) && !partner.hasFlags(Morpheme::FLAG_Y))
                    record.setFlag2();
            }
            if (partner.isRequired() && !partner.isLinked()) {
                if (partnerX && !x)
                    record.setFlag5();
                if (partner.hasFlags(Morpheme::FLAG_Y) && !word.hasFlags(Morpheme::FLAG_Y))
                    record.setFlag6();
            }
        } else if (word.isRequired()) {
            ++unpaired;
            if (!word.isLinked())
                x ? record.setFlag1() : record.setFlag2();
            else
                x ? record.setFlag3() : record.setFlag4();
        }
    }
    for (std::size_t j = 0; j < other.size(); ++j) {
        const Morpheme& partner = other.m_words[j];
        if (otherPaired[j] || !partner.isRequired())
            continue;
        ++otherUnpaired;
        const bool x = partner.hasFlags(Morpheme::FLAG_X);
        if (!partner.isLinked())
            x ? record.setFlag5() : record.setFlag6();
        else
            x ? record.setFlag7() : record.setFlag8();
    }

    record.setPrimary(requiredPairs);
    record.setSecondary(sameBasePairs);
    record.setCountA(unpaired);
    record.setCountB(otherUnpaired);
    record.setEnabled(1);
    setCoverPercentages(record);
    noteHeadPairs(other, indexMap, record);
}

void MorphemeList::noteHeadPairs(const MorphemeList& other, const std::vector<int>& indexMap,
                                 GradeClassifier& record) const
{
    auto hasLinkedWord = [](const MorphemeList& list, std::size_t index) {
        return list.linkedWordIndex(index, 1) != -1 || list.linkedWordIndex(index, 2) != -1;
    };
    for (std::size_t i = 0; i < indexMap.size(); ++i) {
        if (indexMap[i] == -1)
            continue;
        const std::size_t j = static_cast<std::size_t>(indexMap[i]);
        const Morpheme& word = at(i);
        const Morpheme& partner = other.at(j);
        if (!word.isRequired() || !partner.isRequired())
            continue;
        if (word.isLinked() && partner.isLinked())
            record.setMarkA(1);
        if (!word.isLinked() && !partner.isLinked() && hasLinkedWord(*this, i) &&
            hasLinkedWord(other, j))
            record.setMarkB(1);
        const bool x = word.hasFlags(Morpheme::FLAG_X);
        const bool y = word.hasFlags(Morpheme::FLAG_Y);
        const bool partnerX = partner.hasFlags(Morpheme::FLAG_X);
        const bool partnerY = partner.hasFlags(Morpheme::FLAG_Y);
        if (!word.isLinked()) {
            if (x && partnerY)
                record.setFlag1();
            else if (y && partnerX)
                record.setFlag2();
        }
        if (!partner.isLinked()) {
            if (x && partnerY)
                record.setFlag6();
            else if (y && partnerX)
                record.setFlag5();
        }
    }
}

int MorphemeList::zigzagCost(int distance) const
{
    return distance < 0 ? -2 * distance : 2 * distance - 1;
}

bool MorphemeList::coverWith(const MorphemeList& other, bool reverse, CoverResult& result) const
{
    int count = 0;
    // zigzagCost is never below -1, so -1 stands for "no word covered yet".
    int cost = -1;
    if (!coverAll(*this, *this, other, true, reverse, &count, cost)) {
        result.cost = CoverResult::NO_COVER;
        return false;
    }
    result.uncoveredIgnorable = count;
    result.cost = cost;
    return true;
}

bool MorphemeList::isCoveredBy(const MorphemeList& other) const
{
    if (empty() || other.empty())
        return false;
    CoverResult work;
    return coverWith(other, false, work);
}

bool MorphemeList::coverBothWays(const MorphemeList& other, CoverResult& result) const
{
    int count = 0;
    int cost = -1;
    if (!coverAll(*this, *this, other, true, true, &count, cost) ||
        !coverAll(*this, other, *this, false, true, nullptr, cost)) {
        result.cost = CoverResult::NO_COVER;
        return false;
    }
    result.uncoveredIgnorable = count;
    result.cost = cost;
    return true;
}

bool MorphemeList::isMutuallyCovered(const MorphemeList& other) const
{
    if (empty() || other.empty())
        return false;
    CoverResult work;
    return coverBothWays(other, work);
}

namespace {

constexpr std::string_view IDEOGRAPHIC_COMMA = "、";
constexpr std::string_view FULLWIDTH_COMMA = "，";
constexpr std::string_view WAVE_DASH = "〜";

bool isListSeparator(const Morpheme& word)
{
    return word.surfaceRef() == IDEOGRAPHIC_COMMA || word.surfaceRef() == FULLWIDTH_COMMA;
}

bool isRangeSeparator(const Morpheme& word)
{
    return isListSeparator(word) || word.surfaceRef() == WAVE_DASH;
}

// Whether the text holds a full-width lower-case Latin letter (A3E1-A3FA),
// stepping over it character by character.
bool hasLowerLatin(std::string_view text)
{
    for (std::size_t i = 0; i + 1 < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        const unsigned char trail = static_cast<unsigned char>(text[i + 1]);
        if (lead == 0xA3 && trail >= 0xE1 && trail <= 0xFA) return true;
        i += 2;
    }
    return false;
}

// Full-width lower-case Latin letters raised to upper case.
void raiseLatin(std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (i + 1 < text.size() && lead == 0xA3) {
            const unsigned char trail = static_cast<unsigned char>(text[i + 1]);
            if (trail >= 0xE1 && trail <= 0xFA) text[i + 1] = static_cast<char>(trail - 0x20);
        }
        i += 2;
    }
}

// The numeral merge, done on the words in place: a run that becomes one
// word is moved down over the words it swallowed, and words that stay as
// they are are not touched.
void mergeNumeralWords(std::vector<Morpheme>& words)
{
    std::size_t kept = 0;
    auto keep = [&words, &kept](std::size_t i) -> Morpheme& {
        if (kept != i) words[kept] = std::move(words[i]);
        return words[kept++];
    };
    bool metNumeral = false;
    const std::size_t n = words.size();
    for (std::size_t i = 0; i < n;) {
        if (words[i].isNumeral()) {
            metNumeral = true;
            std::string text(words[i].surfaceRef());
            std::string reading(words[i].readingRef());
            std::size_t end = i;
            while (end + 2 < n && words[end + 2].isNumeral() && isListSeparator(words[end + 1])) {
                text += FULLWIDTH_COMMA;
                text += words[end + 2].surfaceRef();
                reading += words[end + 1].readingRef();
                reading += words[end + 2].readingRef();
                end += 2;
            }
            const std::string normal = normalizeNumeral(text);
            if (EucString(normal).find(FULLWIDTH_COMMA) < 0) {
                Morpheme& merged = keep(i);
                merged.setSurface(normal);
                merged.setKeyForm(text);
                merged.setBaseForm(text);
                merged.setReading(reading);
            } else {
                for (std::size_t k = i; k <= end; ++k) {
                    Morpheme& word = keep(k);
                    if (word.isNumeral())
                        word.setSurface(normalizeNumeral(std::string(word.surfaceRef())));
                }
            }
            i = end + 1;
            continue;
        }
        Morpheme& word = keep(i++);
        if (hasLowerLatin(word.surfaceRef()) && word.surfaceRef() == word.keyFormRef()) {
            std::string raised(word.surfaceRef());
            raiseLatin(raised);
            word.setSurface(raised);
            word.setKeyForm(raised);
            word.setBaseForm(raised);
        }
        const PosCode code = word.getPosCode();
        if ((code == pos::UNKNOWN_KATAKANA || code == pos::UNKNOWN_ALPHABET) && word.surfaceRef().size() > 3) {
            word.setPosCode(pos::PROPER_NOUN);
            word.setOriginalPosCode(pos::PROPER_NOUN);
        }
    }
    words.erase(words.begin() + static_cast<std::ptrdiff_t>(kept), words.end());
    if (!metNumeral)
        return;

    // Lists and ranges of numbers that stayed apart, with their counter.
    kept = 0;
    for (std::size_t i = 0; i < words.size();) {
        if (!words[i].isNumeral()) {
            keep(i++);
            continue;
        }
        std::string text(words[i].surfaceRef());
        std::string reading(words[i].readingRef());
        std::size_t end = i;
        while (end + 2 < words.size() && isRangeSeparator(words[end + 1]) && words[end + 2].isNumeral()) {
            const Morpheme& separator = words[end + 1];
            text += separator.surfaceRef() == IDEOGRAPHIC_COMMA ? std::string(FULLWIDTH_COMMA)
                                                                 : separator.surfaceRef();
            text += words[end + 2].surfaceRef();
            reading += separator.readingRef();
            reading += words[end + 2].readingRef();
            end += 2;
        }
        if (end + 1 < words.size() && words[end + 1].getPosCode() == pos::COUNTER_SUFFIX) {
            text += words[end + 1].surfaceRef();
            reading += words[end + 1].readingRef();
            ++end;
        }
        Morpheme& joined = keep(i);
        if (end != i) {
            joined.setSurface(text);
            joined.setKeyForm(text);
            joined.setBaseForm(text);
            joined.setReading(reading);
        }
        i = end + 1;
    }
    words.erase(words.begin() + static_cast<std::ptrdiff_t>(kept), words.end());
}

}  // namespace

MorphemeList MorphemeList::mergeNumerals() const
{
    MorphemeList merged(*this);
    merged.mergeNumeralsInPlace();
    return merged;
}

void MorphemeList::mergeNumeralsInPlace()
{
    mergeNumeralWords(m_words);
}

}  // namespace quibo
