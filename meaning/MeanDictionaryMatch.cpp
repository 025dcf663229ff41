// The judgement of one analysed sentence against the loaded rules.  Rules are
// reached only through the indexes, by the surfaces, key forms and POS codes
// the sentence holds; the joined texts every sequence test reads are built
// once per call.
#include "meaning/MeanDictionary.h"

#include "analysis/EucString.h"
#include "meaning/MeanCodeTables.h"

#include <algorithm>
#include <set>
#include <utility>

namespace quibo {

namespace {

constexpr int FINAL_PARTICLE = 0x1000008;  // 終助詞
constexpr int ANY_PREVIOUS_CODE = 900;     // 任意

// Class bits of a POS code (everything above the sub-class bits).
PosCode posClass(PosCode code)
{
    return code & 0xFFFF0000u;
}

bool isVerb(PosCode code) { return posClass(code) == pos::VERB; }
bool isAdjective(PosCode code) { return posClass(code) == pos::ADJECTIVE; }
bool isParticle(PosCode code) { return posClass(code) == pos::PARTICLE; }

bool isDoVerbKey(std::string_view form)
{
    return form == "する" || form == "できる" || form == "出来る";
}

// Words that end a noun phrase for the fallback term marking: nouns, noun
// suffixes and unknown katakana or alphabet runs.
bool isNounLike(PosCode code)
{
    return (code >= 0x200001 && code <= 0x200200) || code == 0x20000002 || code == 0x20000004 ||
           code == 0x20000008 || code == pos::UNKNOWN_KATAKANA || code == pos::UNKNOWN_ALPHABET;
}

bool validRange(int first, int last, int size)
{
    return first >= 0 && first <= last && last < size;
}

bool isFixed(int anchor) { return anchor != MeanDictionary::FREE_ANCHOR; }

// Character-aligned containment of EUC-JP texts.
bool containsText(const std::string& text, const std::string& part)
{
    return !part.empty() && EucString(text).find(part) >= 0;
}

std::string_view comparedText(const Morpheme& word, bool surfaces)
{
    return surfaces ? word.surfaceRef() : word.keyFormRef();
}

// The alternatives a word number selects: all of them for -1, one for a
// number within the list, none for any other number.
std::pair<std::size_t, std::size_t> selectedAlternatives(int wordNumber, std::size_t count)
{
    if (wordNumber < 0) {
        return {0, count};
    }
    if (static_cast<std::size_t>(wordNumber) >= count) {
        return {0, 0};
    }
    return {static_cast<std::size_t>(wordNumber), static_cast<std::size_t>(wordNumber) + 1};
}

// Joined text of a range: the members followed by ';', with the start of
// each word in it (relative to the range's first word) and its end.
struct JoinedRange {
    std::string_view text;
    const int* starts = nullptr;  // first + 1 entries past `first`, as in the sentence
    int base = 0;                 // offset of the range's first word
    int first = 0;
    int last = 0;

    int startOf(int word) const { return starts[word] - base; }
    // Word starting at a relative offset within the range; -1 when none.
    int wordStartingAt(int offset) const
    {
        for (int w = first; w <= last; ++w) {
            if (startOf(w) == offset) {
                return w;
            }
            if (startOf(w) > offset) {
                break;
            }
        }
        return -1;
    }
    int wordEndingAt(int endOffset) const
    {
        for (int w = last; w >= first; --w) {
            if (startOf(w + 1) == endOffset) {
                return w;
            }
            if (startOf(w + 1) < endOffset) {
                break;
            }
        }
        return -1;
    }
};

// The sequence search shared by both sequence matchers.  A fixed anchor at
// the range's last word fixes the end of the occurrence; any other fixed
// anchor its start.  A free anchor takes the first occurrence for kind 1
// and the last otherwise, always from word boundary to word boundary.
bool findSequence(int kind, int anchor, const MeanCondSpec& group, int wordNumber, const JoinedRange& range,
                  int& start, int& end)
{
    const auto [from, to] = selectedAlternatives(wordNumber, group.wordSequences.size());
    for (std::size_t a = from; a < to; ++a) {
        std::string pattern;
        for (const std::string& member : group.wordSequences[a]) {
            pattern += member + ";";
        }
        if (pattern.empty()) {
            continue;
        }
        int matchStart = -1;
        if (isFixed(anchor) && anchor == range.last && anchor != range.first) {
            const int endOffset = range.startOf(range.last + 1);
            const int begin = endOffset - static_cast<int>(pattern.size());
            if (begin >= 0 && range.text.substr(static_cast<std::size_t>(begin), pattern.size()) == pattern) {
                matchStart = range.wordStartingAt(begin);
            }
        } else if (isFixed(anchor)) {
            const int begin = range.startOf(anchor);
            if (range.text.substr(static_cast<std::size_t>(begin), pattern.size()) == pattern) {
                matchStart = anchor;
            }
        } else {
            // Searching ";" + pattern in ";" + text finds only occurrences
            // that begin at a word boundary.
            std::string bounded = ";" + std::string(range.text);
            const std::string key = ";" + pattern;
            const std::size_t found = kind == 1 ? bounded.find(key) : bounded.rfind(key);
            if (found != std::string::npos) {
                matchStart = range.wordStartingAt(static_cast<int>(found));
            }
        }
        if (matchStart < 0) {
            continue;
        }
        const int matchEnd = range.wordEndingAt(range.startOf(matchStart) + static_cast<int>(pattern.size()));
        if (matchEnd < 0) {
            continue;
        }
        start = matchStart;
        end = matchEnd;
        return true;
    }
    return false;
}

}  // namespace

// --- The joined sentence -----------------------------------------------------

MeanDictionary::JoinedSentence::JoinedSentence(const std::vector<Morpheme>& sentence) : words(&sentence)
{
    const std::size_t n = sentence.size();
    offsets.reserve(n + 1);
    surfaceStarts.reserve(n + 1);
    keyStarts.reserve(n + 1);
    int offset = 0;
    for (const Morpheme& word : sentence) {
        offsets.push_back(offset);
        offset += static_cast<int>(word.surfaceRef().size());
        surfaceStarts.push_back(static_cast<int>(joinedSurfaces.size()));
        joinedSurfaces += word.surfaceRef();
        joinedSurfaces += ';';
        keyStarts.push_back(static_cast<int>(joinedKeyForms.size()));
        joinedKeyForms += word.keyFormRef();
        joinedKeyForms += ';';
    }
    offsets.push_back(offset);
    surfaceStarts.push_back(static_cast<int>(joinedSurfaces.size()));
    keyStarts.push_back(static_cast<int>(joinedKeyForms.size()));
}

int MeanDictionary::JoinedSentence::wordAt(int offset) const
{
    const auto found = std::lower_bound(offsets.begin(), offsets.end() - 1, offset);
    if (found == offsets.end() - 1 || *found != offset) {
        return -1;
    }
    return static_cast<int>(found - offsets.begin());
}

// --- Matchers ----------------------------------------------------------------

bool MeanDictionary::checkConjugationAt(int index, const std::vector<int>& forms, const std::vector<Morpheme>& words,
                                        int last) const
{
    if (index < 0 || index > last || static_cast<std::size_t>(index) >= words.size()) {
        return false;
    }
    const int form = words[static_cast<std::size_t>(index)].getConjugation() & 0xFFFF;
    return std::find(forms.begin(), forms.end(), ANY_CONJUGATION_FORM) != forms.end() ||
           std::find(forms.begin(), forms.end(), form) != forms.end();
}

bool MeanDictionary::matchWordGroup(int kind, int anchor, const MeanCondSpec& group, int wordNumber,
                                    const JoinedSentence& sentence, int first, int last, int& start,
                                    int& end) const
{
    if (!validRange(first, last, sentence.size())) {
        return false;
    }
    const bool surfaces = group.unit == MeanUnit::InputForm;
    const auto [from, to] = selectedAlternatives(wordNumber, group.words.size());
    int hit = -1;
    if (isFixed(anchor)) {
        if (anchor < first || anchor > last) {
            return false;
        }
        const std::string_view text = comparedText(sentence.word(anchor), surfaces);
        for (std::size_t a = from; a < to && hit < 0; ++a) {
            if (group.words[a] == text) {
                hit = anchor;
            }
        }
    } else {
        for (std::size_t a = from; a < to && hit < 0; ++a) {
            if (kind == FRONT_CONDITION) {  // backwards from the meaning element
                for (int w = last; w >= first && hit < 0; --w) {
                    if (comparedText(sentence.word(w), surfaces) == group.words[a]) {
                        hit = w;
                    }
                }
            } else {
                for (int w = first; w <= last && hit < 0; ++w) {
                    if (comparedText(sentence.word(w), surfaces) == group.words[a]) {
                        hit = w;
                    }
                }
            }
        }
    }
    if (hit < 0) {
        return false;
    }
    if (!group.posCodes.empty() && group.posCodes.front() != 0) {
        const int code = static_cast<int>(sentence.word(hit).getPosCode());
        if (std::find(group.posCodes.begin(), group.posCodes.end(), code) == group.posCodes.end() ||
            !checkConjugationAt(hit, group.conjugationForms, *sentence.words, last)) {
            return false;
        }
    }
    start = end = hit;
    return true;
}

bool MeanDictionary::matchSequenceInText(int kind, int anchor, const MeanCondSpec& group, int wordNumber,
                                         const JoinedSentence& sentence, int first, int last, int& start,
                                         int& end) const
{
    if (!validRange(first, last, sentence.size()) || (isFixed(anchor) && (anchor < first || anchor > last))) {
        return false;
    }
    const bool surfaces = group.unit == MeanUnit::InputFormSequence;
    const std::string& joined = surfaces ? sentence.joinedSurfaces : sentence.joinedKeyForms;
    const std::vector<int>& starts = surfaces ? sentence.surfaceStarts : sentence.keyStarts;
    JoinedRange range;
    range.base = starts[static_cast<std::size_t>(first)];
    range.text = std::string_view(joined).substr(static_cast<std::size_t>(range.base),
                                                 static_cast<std::size_t>(starts[static_cast<std::size_t>(last) + 1] -
                                                                          range.base));
    range.starts = starts.data();
    range.first = first;
    range.last = last;
    return findSequence(kind, anchor, group, wordNumber, range, start, end);
}

bool MeanDictionary::matchSequence(int kind, int anchor, const MeanCondSpec& group, int wordNumber,
                                   const std::vector<Morpheme>& words, int first, int last, int& start,
                                   int& end) const
{
    if (!validRange(first, last, static_cast<int>(words.size()))) {
        return false;
    }
    return matchSequenceInText(kind, anchor, group, wordNumber, JoinedSentence(words), first, last, start, end);
}

bool MeanDictionary::matchWordSet(int /*kind*/, int anchor, const MeanCondSpec& group, int wordNumber,
                                  const JoinedSentence& sentence, int first, int last, int& start,
                                  int& end) const
{
    if (!validRange(first, last, sentence.size()) || (isFixed(anchor) && (anchor < first || anchor > last))) {
        return false;
    }
    const bool surfaces = group.unit == MeanUnit::InputFormSet;
    const bool endsAtAnchor = isFixed(anchor) && anchor == last && anchor != first;
    const auto [from, to] = selectedAlternatives(wordNumber, group.wordSequences.size());
    for (std::size_t a = from; a < to; ++a) {
        const std::vector<std::string>& members = group.wordSequences[a];
        if (members.empty()) {
            continue;
        }
        int matchStart = -1;
        int matchEnd = -1;
        if (endsAtAnchor) {
            // The last member on the anchor, earlier members as late as they
            // occur.
            int w = last;
            std::size_t m = members.size();
            while (m > 0 && w >= first) {
                if (comparedText(sentence.word(w), surfaces) == members[m - 1]) {
                    if (m == members.size()) {
                        matchEnd = w;
                    }
                    --m;
                    matchStart = w;
                } else if (m == members.size()) {
                    break;  // the last member must stand on the anchor
                }
                --w;
            }
            if (m != 0) {
                continue;
            }
        } else {
            int w = isFixed(anchor) ? anchor : first;
            std::size_t m = 0;
            while (m < members.size() && w <= last) {
                if (comparedText(sentence.word(w), surfaces) == members[m]) {
                    if (m == 0) {
                        matchStart = w;
                    }
                    matchEnd = w;
                    ++m;
                } else if (m == 0 && isFixed(anchor)) {
                    break;  // the first member must stand on the anchor
                }
                ++w;
            }
            if (m != members.size()) {
                continue;
            }
        }
        if ((group.position == "BT" && matchStart != first) || (group.position == "BM" && matchEnd != last)) {
            continue;
        }
        start = matchStart;
        end = matchEnd;
        return true;
    }
    return false;
}

bool MeanDictionary::matchPosGroup(int kind, int anchor, const MeanCondSpec& group, int wordNumber,
                                   const JoinedSentence& sentence, int first, int last, int& start,
                                   int& end) const
{
    if (!validRange(first, last, sentence.size()) || (isFixed(anchor) && (anchor < first || anchor > last))) {
        return false;
    }
    auto posOf = [&](int w) { return static_cast<int>(sentence.word(w).getPosCode()); };
    const bool forwards = kind == MEANING_ELEMENT;

    if (group.posSequences.empty()) {
        const auto [from, to] = selectedAlternatives(wordNumber, group.posCodes.size());
        auto admits = [&](int w) {
            for (std::size_t a = from; a < to; ++a) {
                if (group.posCodes[a] == 0 || group.posCodes[a] == posOf(w)) {
                    return true;
                }
            }
            return false;
        };
        int hit = -1;
        if (isFixed(anchor)) {
            hit = admits(anchor) ? anchor : -1;
        } else if (forwards) {
            for (int w = first; w <= last && hit < 0; ++w) {
                hit = admits(w) ? w : -1;
            }
        } else {
            for (int w = last; w >= first && hit < 0; --w) {
                hit = admits(w) ? w : -1;
            }
        }
        if (hit < 0 || !checkConjugationAt(hit, group.conjugationForms, *sentence.words, last)) {
            return false;
        }
        start = end = hit;
        return true;
    }

    const auto [from, to] = selectedAlternatives(wordNumber, group.posSequences.size());
    for (std::size_t a = from; a < to; ++a) {
        const std::vector<int>& sequence = group.posSequences[a];
        const int length = static_cast<int>(sequence.size());
        if (length == 0 || length > last - first + 1) {
            continue;
        }
        const int lastStart = last - length + 1;
        for (int step = 0; step <= lastStart - first; ++step) {
            const int s = forwards ? first + step : lastStart - step;
            bool whole = true;
            for (int k = 0; k < length && whole; ++k) {
                whole = sequence[static_cast<std::size_t>(k)] == posOf(s + k);
            }
            if (!whole) {
                continue;
            }
            const int e = s + length - 1;
            if (!isFixed(anchor) || anchor == s || (e == last && anchor == last)) {
                start = s;
                end = e;
                return true;
            }
        }
    }
    return false;
}

bool MeanDictionary::matchSentenceText(int /*kind*/, int anchor, const MeanCondSpec& group, int wordNumber,
                                       const JoinedSentence& sentence, int first, int last, int& start,
                                       int& end) const
{
    if (!validRange(first, last, sentence.size()) || (isFixed(anchor) && (anchor < first || anchor > last))) {
        return false;
    }
    const auto& offsets = sentence.offsets;
    const bool endsAtAnchor = isFixed(anchor) && anchor == last && anchor != first;
    const bool startsAtAnchor = isFixed(anchor) && !endsAtAnchor;
    const auto [from, to] = selectedAlternatives(wordNumber, group.words.size());
    for (std::size_t a = from; a < to; ++a) {
        const std::string& wanted = group.words[a];
        if (wanted.empty()) {
            continue;
        }
        // Occurrences from word boundary to word boundary only: a match must
        // name whole words.
        for (int s = first; s <= last; ++s) {
            if ((startsAtAnchor && s != anchor) || (group.position == "BT" && s != first)) {
                continue;
            }
            int length = 0;
            int e = s;
            for (; e <= last && length < static_cast<int>(wanted.size()); ++e) {
                length += offsets[static_cast<std::size_t>(e) + 1] - offsets[static_cast<std::size_t>(e)];
            }
            --e;
            if (length != static_cast<int>(wanted.size())) {
                continue;
            }
            if ((endsAtAnchor || group.position == "BM") && e != last) {
                continue;
            }
            std::string text;
            for (int w = s; w <= e; ++w) {
                text += sentence.word(w).surfaceRef();
            }
            if (text == wanted) {
                start = s;
                end = e;
                return true;
            }
        }
    }
    return false;
}

int MeanDictionary::findMePosition(int kind, const std::string& position, int wordIndex,
                                   const std::vector<Morpheme>& words, int& first, int& last) const
{
    const int n = static_cast<int>(words.size());
    if (kind == FRONT_CONDITION) {
        first = 0;
        last = wordIndex - 1;
        return FREE_ANCHOR;
    }
    if (kind == BACK_CONDITION) {
        first = wordIndex + 1;
        last = n - 1;
        return FREE_ANCHOR;
    }
    first = 0;
    last = n - 1;
    if (position == "BM") {
        while (last >= 0) {
            const Morpheme& word = words[static_cast<std::size_t>(last)];
            if (static_cast<int>(word.getPosCode()) != FINAL_PARTICLE && word.surfaceRef() != "？" &&
                word.surfaceRef() != "！") {
                break;
            }
            --last;
        }
        // A sentence of nothing but final particles and marks leaves no word
        // for the element: the range is empty and the group fails.
        return last;
    }
    if (position == "BT") {
        return 0;
    }
    return wordIndex;
}

bool MeanDictionary::matchConditions(int kind, int anchor, const MeanCondSpec& group, int wordNumber, int& start,
                                     int& end, const JoinedSentence& sentence, int first, int last,
                                     bool buildSequenceText) const
{
    using namespace MeanUnit;
    start = 0;
    end = 0;
    switch (group.unit) {
    case InputForm:
    case BaseForm:
        return matchWordGroup(kind, anchor, group, wordNumber, sentence, first, last, start, end);
    case BaseFormSequence:
    case InputFormSequence:
        return buildSequenceText
                   ? matchSequence(kind, anchor, group, wordNumber, *sentence.words, first, last, start, end)
                   : matchSequenceInText(kind, anchor, group, wordNumber, sentence, first, last, start, end);
    case Pos:
    case PosSequence:
        return matchPosGroup(kind, anchor, group, wordNumber, sentence, first, last, start, end);
    case BaseFormSet:
    case InputFormSet:
        return matchWordSet(kind, anchor, group, wordNumber, sentence, first, last, start, end);
    case Text:
        return matchSentenceText(kind, anchor, group, wordNumber, sentence, first, last, start, end);
    default:
        // A unit no rule file can name tests nothing, so it matches nothing.
        return false;
    }
}

bool MeanDictionary::matchFeatureList(const std::vector<int>& previous, const std::vector<int>& pcaCodes,
                                      int& admitted) const
{
    admitted = 0;
    if (previous.size() == 1 && previous.front() == -1) {
        return true;
    }
    if (previous.empty()) {
        return std::find(pcaCodes.begin(), pcaCodes.end(), 0) != pcaCodes.end();
    }
    for (int a : previous) {
        for (int b : pcaCodes) {
            if (b == ANY_PREVIOUS_CODE || b == 0 || b == a) {
                admitted = b;
                return true;
            }
        }
    }
    return false;
}

// --- Rewriting steps -----------------------------------------------------------

bool MeanDictionary::markPredicateAttribute(int wordIndex, int attribute, std::vector<Morpheme>& words) const
{
    const std::uint32_t mask = attributeMask(attribute);
    if (mask == 0 || wordIndex < 0 || static_cast<std::size_t>(wordIndex) >= words.size()) {
        return false;
    }
    auto isSahenNoun = [&](int w) {
        return w >= 0 && words[static_cast<std::size_t>(w)].getPosCode() == pos::SAHEN_NOUN;
    };
    for (int w = wordIndex; w >= 0; --w) {
        Morpheme& word = words[static_cast<std::size_t>(w)];
        const PosCode code = word.getPosCode();
        if (isVerb(code) && isDoVerbKey(word.keyFormRef())) {
            // "noun + する": the noun carries the predicate's meaning.
            const int noun = isSahenNoun(w - 1) ? w - 1 : isSahenNoun(w - 2) ? w - 2 : -1;
            if (noun >= 0) {
                Morpheme& target = words[static_cast<std::size_t>(noun)];
                target.setAttributeWord(target.getAttributeWord() | mask);
                return true;
            }
        }
        if (isVerb(code) || isAdjective(code) || code == pos::SAHEN_NOUN) {
            word.setAttributeWord(word.getAttributeWord() | mask);
            return true;
        }
    }
    return true;
}

bool MeanDictionary::removeFinalWord(std::vector<Morpheme>& words, std::vector<Morpheme>& sideList) const
{
    if (words.empty()) {
        return false;
    }
    const std::string_view surface = words.back().surfaceRef();
    if (std::find(m_noMeaningWords.begin(), m_noMeaningWords.end(), surface) == m_noMeaningWords.end()) {
        return false;
    }
    sideList.push_back(std::move(words.back()));
    words.pop_back();
    return true;
}

void MeanDictionary::applyWordRule(int code, Morpheme& word) const
{
    const auto entries = m_wordIndexes[NumRearrIndex].equal_range(word.surfaceRef());
    for (auto it = entries.first; it != entries.second; ++it) {
        const int ruleNumber = it->second.ruleNumber;
        if (ruleNumber < 0 || static_cast<std::size_t>(ruleNumber) >= m_rules.size()) {
            continue;
        }
        const MeanRule& rule = m_rules[static_cast<std::size_t>(ruleNumber)];
        const MeanCondSpec& element = rule.meaningElement;
        if (rule.dcaCode != code || element.unit != MeanUnit::InputForm) {
            continue;
        }
        const int firstPos = element.posCodes.empty() ? 0 : element.posCodes.front();
        if (code == DCA_NUM) {
            if (static_cast<int>(word.getPosCode()) != firstPos) {
                continue;
            }
        } else if (code == DCA_REARR) {
            if (firstPos != 0) {
                word.setPosCode(static_cast<PosCode>(firstPos));
            }
            const int form = element.conjugationForms.empty() ? ANY_CONJUGATION_FORM : element.conjugationForms.front();
            if (form >= 0 && form < ANY_CONJUGATION_FORM) {
                word.setConjugation(static_cast<std::int32_t>((static_cast<std::uint32_t>(word.getConjugation()) &
                                                               0xFFFF0000u) |
                                                              static_cast<std::uint32_t>(form)));
            }
        }
        word.setSurface(rule.meaningInfo);
        word.setKeyForm(rule.meaningInfo);
        word.setBaseForm(rule.meaningInfo);
    }
}

std::string MeanDictionary::findEntryText(int dcaCode, const Morpheme& word) const
{
    const auto entries = m_wordIndexes[NumRearrIndex].equal_range(word.surfaceRef());
    for (auto it = entries.first; it != entries.second; ++it) {
        const int ruleNumber = it->second.ruleNumber;
        if (ruleNumber < 0 || static_cast<std::size_t>(ruleNumber) >= m_rules.size()) {
            continue;
        }
        const MeanRule& rule = m_rules[static_cast<std::size_t>(ruleNumber)];
        const MeanCondSpec& element = rule.meaningElement;
        if (rule.dcaCode == dcaCode && element.unit == MeanUnit::InputForm &&
            std::find(element.posCodes.begin(), element.posCodes.end(), static_cast<int>(word.getPosCode())) !=
                element.posCodes.end()) {
            return rule.meaningInfo;
        }
    }
    return std::string(word.surfaceRef());
}

void MeanDictionary::replaceIdioms(MorphemeList& list) const
{
    std::vector<IdiomSpan> spans;
    {
        const std::vector<Morpheme>& words = list.words();
        const JoinedSentence sentence(words);
        const int n = sentence.size();
        std::set<std::pair<int, int>> recorded;  // (rule, offset)
        for (int i = 0; i < n; ++i) {
            const Morpheme& word = sentence.word(i);
            const int offset = sentence.offsets[static_cast<std::size_t>(i)];
            const std::pair<WordIndex, std::string_view> lookups[] = {
                {IdiomInputFormIndex, word.surfaceRef()}, {IdiomBaseFormIndex, word.keyFormRef()}};
            for (const auto& [which, key] : lookups) {
                const auto entries = m_wordIndexes[which].equal_range(key);
                for (auto it = entries.first; it != entries.second; ++it) {
                    const WordRef ref = it->second;
                    if (ref.ruleNumber < 0 || static_cast<std::size_t>(ref.ruleNumber) >= m_rules.size() ||
                        recorded.count({ref.ruleNumber, offset}) != 0) {
                        continue;
                    }
                    const MeanRule& rule = m_rules[static_cast<std::size_t>(ref.ruleNumber)];
                    int start = 0;
                    int end = 0;
                    // The phrase must begin on the word it was found by: the
                    // span is recorded from there.
                    if (!matchConditions(MEANING_ELEMENT, i, rule.meaningElement, ref.wordNumber, start, end, sentence,
                                         0, n - 1, true) ||
                        start != i) {
                        continue;
                    }
                    recorded.insert({ref.ruleNumber, offset});
                    IdiomSpan span;
                    span.startOffset = offset;
                    span.meStartOffset = offset;
                    span.endOffset = sentence.offsets[static_cast<std::size_t>(end) + 1];
                    span.representativeWord = rule.representativeWord;
                    span.representativePosCode = rule.representativePosCode;
                    for (int w = start; w <= end; ++w) {
                        span.surfaces.emplace_back(sentence.word(w).surfaceRef());
                    }
                    spans.push_back(std::move(span));
                }
            }
        }
    }
    removeCoveredSpans(spans);
    applyIdiomSpans(list, spans);
}

void MeanDictionary::removeCoveredSpans(std::vector<IdiomSpan>& spans) const
{
    std::vector<bool> covered(spans.size(), false);
    for (std::size_t p = 0; p < spans.size(); ++p) {
        for (std::size_t q = 0; q < spans.size() && !covered[p]; ++q) {
            if (q == p) {
                continue;
            }
            const IdiomSpan& a = spans[p];
            const IdiomSpan& b = spans[q];
            covered[p] = (b.startOffset <= a.startOffset && b.endOffset > a.endOffset) ||
                         (b.startOffset < a.startOffset && b.endOffset == a.endOffset);
        }
    }
    std::vector<IdiomSpan> kept;
    for (std::size_t p = 0; p < spans.size(); ++p) {
        if (!covered[p]) {
            kept.push_back(std::move(spans[p]));
        }
    }
    spans = std::move(kept);
}

void MeanDictionary::applyIdiomSpans(MorphemeList& list, const std::vector<IdiomSpan>& spans) const
{
    std::vector<Morpheme>& words = list.words();
    const JoinedSentence sentence(words);
    std::vector<Morpheme> rebuilt;
    rebuilt.reserve(words.size());
    const int n = sentence.size();
    for (int i = 0; i < n;) {
        const int offset = sentence.offsets[static_cast<std::size_t>(i)];
        const IdiomSpan* chosen = nullptr;
        for (const IdiomSpan& span : spans) {
            if (span.startOffset == offset && (!chosen || span.endOffset > chosen->endOffset)) {
                chosen = &span;
            }
        }
        const int endWord = chosen ? sentence.wordAt(chosen->endOffset) : -1;
        const int meWord = chosen ? sentence.wordAt(chosen->meStartOffset) : -1;
        const int after = endWord < 0 && chosen && chosen->endOffset == sentence.offsets.back() ? n : endWord;
        if (!chosen || after <= i || meWord < 0) {
            rebuilt.push_back(sentence.word(i));
            ++i;
            continue;
        }
        Morpheme idiom = sentence.word(meWord);
        idiom.setSurface(chosen->representativeWord);
        idiom.setKeyForm(chosen->representativeWord);
        idiom.setBaseForm(chosen->representativeWord);
        idiom.setPosCode(static_cast<PosCode>(chosen->representativePosCode));
        idiom.setFlags(Morpheme::FLAG_A);
        rebuilt.push_back(std::move(idiom));
        i = after;
    }
    words = std::move(rebuilt);
    list.setListNumber(0);
}

void MeanDictionary::removeCoveredContents(std::vector<MeanContent>& contents) const
{
    std::vector<bool> termClass;
    termClass.reserve(contents.size());
    for (const MeanContent& c : contents) {
        const std::string name = getDcaName(c.dcaCode);
        termClass.push_back(name == "X" || name == "Y" || name == "Z");
    }
    std::vector<bool> covered(contents.size(), false);
    for (std::size_t p = 0; p < contents.size(); ++p) {
        const MeanContent& a = contents[p];
        for (std::size_t q = 0; q < contents.size() && !covered[p]; ++q) {
            const MeanContent& b = contents[q];
            if (q == p || termClass[p] != termClass[q]) {
                continue;
            }
            const bool spans = (b.spanStart <= a.spanStart && b.spanEnd > a.spanEnd) ||
                               (b.spanStart < a.spanStart && b.spanEnd >= a.spanEnd);
            covered[p] = spans && containsText(b.matchedPlainText, a.matchedPlainText);
        }
    }
    std::vector<MeanContent> kept;
    for (std::size_t p = 0; p < contents.size(); ++p) {
        if (!covered[p]) {
            kept.push_back(std::move(contents[p]));
        }
    }
    contents = std::move(kept);
}

void MeanDictionary::appendTermWords(std::vector<Morpheme>& words, MeanEntry& entry, int unit) const
{
    if (unit == MeanUnit::BaseFormSet || unit == MeanUnit::InputFormSet) {
        bool skipped = false;
        for (Morpheme& word : words) {
            if (word.hasFlags(Morpheme::HEAD_FLAGS)) {
                continue;
            }
            if (skipped) {
                word.orFlags(Morpheme::FLAG_Y);
            }
            skipped = true;
        }
    }
    std::string termX;
    std::string termY;
    std::string termZ;
    bool both = false;
    for (const Morpheme& word : words) {
        if (word.hasFlags(Morpheme::FLAG_X)) {
            termX += word.surfaceRef();
        }
        if (word.hasFlags(Morpheme::FLAG_Y)) {
            termY += word.surfaceRef();
        }
        if (word.hasFlags(Morpheme::FLAG_Z)) {
            termZ += word.surfaceRef();
        }
        both = both || (word.getFlags() & Morpheme::HEAD_FLAGS) == Morpheme::HEAD_FLAGS;
    }
    if (both) {
        // Contradicting marks say nothing about which words are which.
        termX.clear();
        termY.clear();
        for (Morpheme& word : words) {
            word.setFlags(word.getFlags() & ~Morpheme::HEAD_FLAGS);
        }
    }
    entry.setTerms(std::move(termX), std::move(termY), std::move(termZ));
}

void MeanDictionary::setPolarity(MeanEntry& entry) const
{
    std::uint8_t sentence = 0;
    std::uint8_t termX = 0;
    std::uint8_t termY = 0;
    const std::string x = entry.getTermX();
    const std::string y = entry.getTermY();
    for (const MeanContent& content : entry.getMeanContents()) {
        const std::string name = getDcaName(content.dcaCode);
        const bool inX = containsText(x, content.matchedPlainText);
        const bool inY = containsText(y, content.matchedPlainText);
        if (name == "否定０") {
            ++sentence;
            termX = static_cast<std::uint8_t>(termX + (inX ? 1 : 0));
            termY = static_cast<std::uint8_t>(termY + (inY ? 1 : 0));
        } else if (name == "否定" || name == "肯定") {
            const std::uint8_t bit = name == "否定" ? 0x80 : 0x40;
            sentence |= bit;
            termX = static_cast<std::uint8_t>(termX | (inX ? bit : 0));
            termY = static_cast<std::uint8_t>(termY | (inY ? bit : 0));
        }
    }
    entry.setPolarities(sentence, termX, termY);
}

// --- The judgement -----------------------------------------------------------

namespace {

// Flags a rule notes on the words of its meaning element.
std::uint32_t notedFlags(const MeanContent& content)
{
    return (content.flagI ? Morpheme::FLAG_I : 0u) | (content.flagV ? Morpheme::FLAG_VS : 0u) |
           (content.flagM ? Morpheme::FLAG_MS : 0u) | (content.flagE ? Morpheme::FLAG_E : 0u);
}

// The fallback term marking of a sentence no rule marked: the noun phrase
// the sentence is about is X, the predicate after it Y.
void markTermsByWordClass(std::vector<Morpheme>& words)
{
    const int n = static_cast<int>(words.size());
    int lastContent = n - 1;
    while (lastContent >= 0 && !words[static_cast<std::size_t>(lastContent)].isContentWord()) {
        --lastContent;
    }
    if (lastContent >= 0 && isNounLike(words[static_cast<std::size_t>(lastContent)].getOriginalPosCode())) {
        for (Morpheme& word : words) {
            word.orFlags(Morpheme::FLAG_X);
        }
        return;
    }
    int stop = -1;
    for (int w = n - 1; w >= 0 && stop < 0; --w) {
        Morpheme& word = words[static_cast<std::size_t>(w)];
        const PosCode code = word.getOriginalPosCode();
        if (code == pos::SAHEN_NOUN) {
            // A サ変名詞 belongs to the predicate when a "する" follows it
            // across particles only.
            bool predicate = false;
            for (int k = w + 1; k < n; ++k) {
                const Morpheme& next = words[static_cast<std::size_t>(k)];
                if (isDoVerbKey(next.baseFormRef())) {
                    predicate = true;
                    break;
                }
                if (!isParticle(next.getOriginalPosCode())) {
                    break;
                }
            }
            if (predicate) {
                word.orFlags(Morpheme::FLAG_Y);
            } else {
                stop = w;
            }
        } else if (isNounLike(code)) {
            stop = w;
        } else {
            word.orFlags(Morpheme::FLAG_Y);
        }
    }
    for (int w = 0; w <= stop; ++w) {
        words[static_cast<std::size_t>(w)].orFlags(Morpheme::FLAG_X);
    }
}

}  // namespace

MeanEntry MeanDictionary::match(const std::string& /*text*/, MorphemeList& list,
                                const std::vector<int>& previousCodes) const
{
    MeanEntry entry;
    entry.judgementInts() = {-1, 0, -1, 0, 0};

    replaceIdioms(list);
    std::vector<Morpheme>& words = list.words();
    std::vector<Morpheme> sideList;
    while (removeFinalWord(words, sideList)) {
    }
    for (Morpheme& word : words) {
        applyWordRule(DCA_NUM, word);
    }

    // Matching reads a copy whose spellings are rearranged; flags and the
    // final rewrite act on the sentence's own words, whose surfaces give the
    // offsets.
    std::vector<Morpheme> copy = words;
    for (Morpheme& word : copy) {
        applyWordRule(DCA_REARR, word);
    }
    const JoinedSentence sentence(copy);
    const std::vector<int>& offsets = sentence.offsets;
    const int n = sentence.size();

    std::vector<MeanContent>& contents = entry.getMeanContents();
    std::set<std::pair<int, int>> accepted;  // (rule, ME start offset)
    std::vector<std::uint32_t> noted(static_cast<std::size_t>(n), 0);
    auto surfacesOf = [&](int from, int to) {
        std::string text;
        for (int w = from; w <= to; ++w) {
            text += words[static_cast<std::size_t>(w)].surfaceRef();
        }
        return text;
    };

    auto tryEntry = [&](int z, WordRef ref) {
        if (ref.ruleNumber < 0 || static_cast<std::size_t>(ref.ruleNumber) >= m_rules.size()) {
            return;
        }
        const int zOffset = offsets[static_cast<std::size_t>(z)];
        if (accepted.count({ref.ruleNumber, zOffset}) != 0) {
            return;
        }
        const MeanRule& rule = m_rules[static_cast<std::size_t>(ref.ruleNumber)];
        const MeanCondSpec& element = rule.meaningElement;
        MeanContent content;
        content.dcaCode = rule.dcaCode;
        content.flagI = rule.flagI;
        content.flagV = rule.flagV;
        content.flagM = rule.flagM;
        content.flagE = rule.flagE;
        content.meaningInfo = rule.meaningInfo;
        content.representativeWord = rule.representativeWord;
        content.representativePosCode = rule.representativePosCode;
        content.unit = element.unit;
        content.dcaGate = getDcaGate(rule.dcaCode);
        content.meStartOffset = zOffset;

        int first = 0;
        int last = 0;
        const int anchor = findMePosition(MEANING_ELEMENT, element.position, z, copy, first, last);
        int start = 0;
        int end = 0;
        if (!matchConditions(MEANING_ELEMENT, anchor, element, ref.wordNumber, start, end, sentence, first, last,
                             false) ||
            start != z) {
            return;
        }
        const std::string elementText = surfacesOf(start, end);
        if (element.position == "SG" && elementText != surfacesOf(0, n - 1)) {
            return;
        }
        for (int w = start; w <= end; ++w) {
            content.meSurfaces.emplace_back(words[static_cast<std::size_t>(w)].surfaceRef());
        }
        content.meEndWordIndex = end;
        content.matchedText = elementText;
        content.matchedPlainText = elementText;
        content.spanStart = offsets[static_cast<std::size_t>(start)];
        content.spanEnd = offsets[static_cast<std::size_t>(end) + 1];

        if (rule.frontCondition.isPresent()) {
            int frontFirst = 0;
            int frontLast = 0;
            const int frontAnchor = findMePosition(FRONT_CONDITION, "", start, copy, frontFirst, frontLast);
            int s = 0;
            int e = 0;
            if (!matchConditions(FRONT_CONDITION, frontAnchor, rule.frontCondition, -1, s, e, sentence, frontFirst,
                                 frontLast, false)) {
                return;
            }
            const std::string front = surfacesOf(s, e);
            content.matchedText = front + ";" + content.matchedText;
            content.matchedPlainText = front + content.matchedPlainText;
            content.spanStart = offsets[static_cast<std::size_t>(s)];
        }
        if (rule.backCondition.isPresent()) {
            int backFirst = 0;
            int backLast = 0;
            const int backAnchor = findMePosition(BACK_CONDITION, "", end, copy, backFirst, backLast);
            int s = 0;
            int e = 0;
            if (!matchConditions(MEANING_ELEMENT, backAnchor, rule.backCondition, -1, s, e, sentence, backFirst,
                                 backLast, false)) {
                return;
            }
            const std::string back = surfacesOf(s, e);
            content.matchedText += ";" + back;
            content.matchedPlainText += back;
            content.spanEnd = offsets[static_cast<std::size_t>(e) + 1];
        }
        if (!matchFeatureList(previousCodes, rule.pcaCodes, content.pcaCode)) {
            return;
        }
        accepted.insert({ref.ruleNumber, zOffset});
        for (int w = start; w <= end; ++w) {
            noted[static_cast<std::size_t>(w)] |= notedFlags(content);
        }
        contents.push_back(std::move(content));
    };

    for (int z = 0; z < n; ++z) {
        const Morpheme& word = sentence.word(z);
        const auto bySurface = m_wordIndexes[InputFormIndex].equal_range(word.surfaceRef());
        for (auto it = bySurface.first; it != bySurface.second; ++it) {
            tryEntry(z, it->second);
        }
        const auto byKeyForm = m_wordIndexes[BaseFormIndex].equal_range(word.keyFormRef());
        for (auto it = byKeyForm.first; it != byKeyForm.second; ++it) {
            tryEntry(z, it->second);
        }
        const auto byPos = m_posIndex.equal_range(static_cast<int>(word.getPosCode()));
        for (auto it = byPos.first; it != byPos.second; ++it) {
            tryEntry(z, it->second);
        }
    }

    removeCoveredContents(contents);

    // A rule of the feature "X" splits the sentence: its words before the
    // element are term X, those after it term Y.
    for (const MeanContent& content : contents) {
        if (getDcaName(content.dcaCode) != "X") {
            continue;
        }
        const int meStart = sentence.wordAt(content.meStartOffset);
        for (int w = 0; w < meStart; ++w) {
            Morpheme& word = words[static_cast<std::size_t>(w)];
            word.setFlags((word.getFlags() | Morpheme::FLAG_X) & ~Morpheme::FLAG_Y);
        }
        for (int w = content.meEndWordIndex + 1; w < n; ++w) {
            words[static_cast<std::size_t>(w)].orFlags(Morpheme::FLAG_Y);
        }
        break;
    }

    for (const MeanContent& content : contents) {
        markPredicateAttribute(sentence.wordAt(content.meStartOffset), getDcaValue2(content.dcaCode), words);
    }

    const bool marked = std::any_of(words.begin(), words.end(),
                                    [](const Morpheme& word) { return word.hasFlags(Morpheme::HEAD_FLAGS); });
    if (!marked) {
        markTermsByWordClass(words);
    }

    appendTermWords(words, entry, 0);
    setPolarity(entry);

    for (int w = 0; w < n; ++w) {
        Morpheme& word = words[static_cast<std::size_t>(w)];
        word.orFlags(noted[static_cast<std::size_t>(w)]);
        const PosCode code = word.getPosCode();
        if ((code == pos::VERB || code == pos::ADJECTIVE || code == pos::SAHEN_NOUN) &&
            word.getAttributeWord() == 0) {
            word.setAttributeWord(attributeMask(1));
        }
    }

    // Phrases of rules with a representative word collapse into that word.
    std::vector<Morpheme> rewritten;
    rewritten.reserve(words.size() + sideList.size());
    for (int i = 0; i < n;) {
        const MeanContent* chosen = nullptr;
        for (const MeanContent& content : contents) {
            if (content.representativeWord != "＊" && content.spanStart == offsets[static_cast<std::size_t>(i)] &&
                (!chosen || content.spanEnd > chosen->spanEnd)) {
                chosen = &content;
            }
        }
        const int after = chosen ? (chosen->spanEnd == offsets.back() ? n : sentence.wordAt(chosen->spanEnd)) : -1;
        const int meWord = chosen ? sentence.wordAt(chosen->meStartOffset) : -1;
        if (!chosen || after <= i || meWord < 0) {
            rewritten.push_back(std::move(words[static_cast<std::size_t>(i)]));
            ++i;
            continue;
        }
        Morpheme phrase = words[static_cast<std::size_t>(meWord)];
        std::uint32_t attributes = 0;
        for (int w = i; w < after; ++w) {
            attributes |= words[static_cast<std::size_t>(w)].getAttributeWord();
        }
        phrase.setSurface(surfacesOf(i, after - 1));
        phrase.setKeyForm(chosen->representativeWord);
        phrase.setBaseForm(chosen->representativeWord);
        phrase.setPosCode(static_cast<PosCode>(chosen->representativePosCode));
        phrase.setAttributeWord(attributes);
        phrase.orFlags(Morpheme::FLAG_A);
        rewritten.push_back(std::move(phrase));
        i = after;
    }
    for (auto it = sideList.rbegin(); it != sideList.rend(); ++it) {
        rewritten.push_back(std::move(*it));
    }
    words = std::move(rewritten);

    std::uint32_t bits = 0;
    for (const MeanContent& content : contents) {
        bits |= dcaBitMask(getDcaBitNo(content.dcaCode));
    }
    entry.setCodeBits(static_cast<int>(bits));
    return entry;
}

}  // namespace quibo
