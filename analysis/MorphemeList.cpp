#include "analysis/MorphemeList.h"

#include "analysis/CodeConverter.h"
#include "analysis/ConsoleLine.h"
#include "analysis/EucString.h"
#include "analysis/LanguageAnalyzer.h"
#include "analysis/Vocabulary.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <stdexcept>

namespace quibo {

namespace {

// The text the standard library gives an out-of-range subscript on the
// platform the word layer was first written for; callers match on the type.
constexpr const char* BAD_SUBSCRIPT = "invalid vector<T> subscript";

bool oppositePolarity(const Morpheme& a, const Morpheme& b)
{
    return ((a.getPosCode() ^ b.getPosCode()) & pos::POLARITY_BIT) != 0;
}

bool sameHeadFlags(const Morpheme& a, const Morpheme& b)
{
    return (a.getFlags() & Morpheme::HEAD_FLAGS) == (b.getFlags() & Morpheme::HEAD_FLAGS);
}

bool isNounLike(PosCode code)
{
    return (code & pos::NOUN) || code == pos::UNKNOWN_KATAKANA || code == pos::UNKNOWN_ALPHABET;
}

int networkRelation(std::string_view from, std::string_view to, int mode)
{
    LanguageAnalyzer* analyzer = LanguageAnalyzer::instance();
    int distance = 0;
    return analyzer ? analyzer->searchPath(std::string(from), std::string(to), distance, mode) : 0;
}

}  // namespace

Morpheme& MorphemeList::at(std::size_t index)
{
    if (index >= m_words.size())
        throw std::out_of_range(BAD_SUBSCRIPT);
    return m_words[index];
}

const Morpheme& MorphemeList::at(std::size_t index) const
{
    if (index >= m_words.size())
        throw std::out_of_range(BAD_SUBSCRIPT);
    return m_words[index];
}

bool MorphemeList::isLinkedTo(const Morpheme& word, const MorphemeList& other) const
{
    for (const Morpheme& candidate : other.m_words) {
        if (word.keyFormRef() == candidate.keyFormRef() ||
            networkRelation(word.keyFormRef(), candidate.keyFormRef(), 0) != 0)
            return true;
    }
    return false;
}

MorphemeList MorphemeList::contentWords() const
{
    MorphemeList result;
    for (const Morpheme& word : m_words) {
        if (word.isContentWord())
            result.m_words.push_back(word);
    }
    return result;
}

MorphemeList MorphemeList::distinctContentWords() const
{
    return contentWords().sortedUnique();
}

MorphemeList MorphemeList::nouns() const
{
    MorphemeList result;
    for (const Morpheme& word : m_words) {
        if (word.isNoun(false))
            result.m_words.push_back(word);
    }
    return result;
}

MorphemeList MorphemeList::sharedWords(const MorphemeList& other) const
{
    MorphemeList result;
    for (const Morpheme& word : m_words) {
        if (isLinkedTo(word, other))
            result.m_words.push_back(word);
    }
    return result;
}

bool MorphemeList::isDisjoint(const MorphemeList& other) const
{
    for (const Morpheme& word : m_words) {
        if (isLinkedTo(word, other))
            return false;
    }
    return true;
}

MorphemeList MorphemeList::unionWith(const MorphemeList& other, bool useRelations) const
{
    MorphemeList result(*this);
    for (const Morpheme& word : other.m_words) {
        bool held;
        if (useRelations) {
            held = result.containsWord(word, 1);
        } else {
            held = std::any_of(result.m_words.begin(), result.m_words.end(), [&](const Morpheme& w) {
                return w.getPosCode() == word.getPosCode() && w.keyFormRef() == word.keyFormRef();
            });
        }
        if (!held)
            result.m_words.push_back(word);
    }
    return result;
}

MorphemeList MorphemeList::wordsNotIn(const std::set<std::string>& keyForms) const
{
    MorphemeList result;
    for (const Morpheme& word : m_words) {
        if (!keyForms.count(std::string(word.keyFormRef())))
            result.m_words.push_back(word);
    }
    return result;
}

MorphemeList MorphemeList::difference(const MorphemeList& other) const
{
    MorphemeList result;
    for (const Morpheme& word : m_words) {
        if (!other.containsWord(word, 1))
            result.m_words.push_back(word);
    }
    return result;
}

bool MorphemeList::isSubsetOf(const MorphemeList& other, int mode) const
{
    return std::all_of(m_words.begin(), m_words.end(),
                       [&](const Morpheme& word) { return other.containsWord(word, mode); });
}

bool MorphemeList::allWordsMatch(const MorphemeList& other) const
{
    return std::all_of(m_words.begin(), m_words.end(),
                       [&](const Morpheme& word) { return word.correlatesWithAny(other, true); });
}

MorphemeList MorphemeList::wordsMatching(const MorphemeList& other) const
{
    MorphemeList result;
    for (const Morpheme& word : m_words) {
        if (word.correlatesWithAny(other, true))
            result.m_words.push_back(word);
    }
    return result;
}

bool MorphemeList::isEquivalent(const MorphemeList& other) const
{
    return isSubsetOf(other, 0) && other.isSubsetOf(*this, 0);
}

bool MorphemeList::containsWord(const Morpheme& word, int mode) const
{
    std::size_t index = 0;
    const int found = findWord(word, index);
    return found >= 1 || (mode == 0 && found == -1);
}

int MorphemeList::findWord(const Morpheme& word, std::size_t& index) const
{
    for (; index < m_words.size(); ++index) {
        const Morpheme& candidate = m_words[index];
        const int alike = oppositePolarity(candidate, word) ? -1 : 1;
        if (candidate.keyFormRef() == word.keyFormRef())
            return alike;
        const int relation = networkRelation(candidate.keyFormRef(), word.keyFormRef(), 0);
        if (relation == 0)
            continue;
        if (relation == 1)
            return alike;
        if (relation == 2 || relation == -1)
            return -alike;
        return relation;
    }
    return 0;
}

bool MorphemeList::containsWordStrictly(const Morpheme& word) const
{
    std::size_t index = 0;
    return findWord(word, index) > 0;
}

MorphemeList MorphemeList::uniqueContentWords(int mode) const
{
    MorphemeList result;
    for (const Morpheme& word : m_words) {
        if (!word.isContentWord())
            continue;
        const bool held = mode == 1 ? result.containsWord(word, 1) : result.containsWordStrictly(word);
        if (!held)
            result.m_words.push_back(word);
    }
    return result;
}

MorphemeList MorphemeList::selectWords(int category, int head, int dedupe) const
{
    auto picked = [category](const Morpheme& word) {
        switch (category) {
        case 1: return word.isNoun(false);
        case 2: return word.isPredicateWord(false);
        case 3: return word.isContentWord();
        case 4: return word.isContentWord() && (!word.hasFlags(Morpheme::FLAG_I) || word.isKnowledgeWord());
        case 5: return word.isContentWord() && !word.isIgnorable();
        case 6: return !word.isIgnorable();
        case 7: {
            const PosCode original = word.getOriginalPosCode();
            return (original & (pos::VERB | pos::ADJECTIVE)) != 0 ||
                   (original & pos::SAHEN_NOUN) == pos::SAHEN_NOUN;
        }
        default: return false;
        }
    };
    auto headed = [head](const Morpheme& word) {
        switch (head) {
        case 7: return true;
        case 1: return word.hasFlags(Morpheme::FLAG_X);
        case 2: return word.hasFlags(Morpheme::FLAG_Y);
        case 4: return word.hasFlags(Morpheme::FLAG_Z);
        default: return false;
        }
    };
    MorphemeList result;
    for (const Morpheme& word : m_words) {
        if (picked(word) && headed(word))
            result.m_words.push_back(word);
    }
    return dedupe != 0 ? result.removeDuplicates(dedupe, true) : result;
}

MorphemeList MorphemeList::removeDuplicates(int options, bool survivors) const
{
    std::vector<bool> kept(m_words.size(), true);
    auto pass = [&](auto same) {
        for (std::size_t later = 1; later < m_words.size(); ++later) {
            for (std::size_t earlier = 0; earlier < later && kept[later]; ++earlier) {
                if (kept[earlier] && same(m_words[earlier], m_words[later]))
                    kept[later] = false;
            }
        }
    };
    if (options & 1) {
        pass([](const Morpheme& a, const Morpheme& b) {
            return a.getPosCode() == b.getPosCode() && a.surfaceRef() == b.surfaceRef() &&
                   a.getAttributeWord() == b.getAttributeWord();
        });
    }
    if (options & 8) {
        pass([](const Morpheme& a, const Morpheme& b) {
            return a.getPosCode() == b.getPosCode() && a.keyFormRef() == b.keyFormRef();
        });
    }
    if (options & 2) {
        pass([](const Morpheme& a, const Morpheme& b) {
            return a.isKnowledgeWord() && b.isKnowledgeWord() && !oppositePolarity(a, b) &&
                   a.keyFormRef() == b.keyFormRef();
        });
    }
    MorphemeList result;
    for (std::size_t i = 0; i < m_words.size(); ++i) {
        if (kept[i] == survivors)
            result.m_words.push_back(m_words[i]);
    }
    return result;
}

MorphemeList MorphemeList::sortedUnique() const
{
    // Two knowledge words that are no thesaurus pair stand for the same
    // object whatever their codes, so their codes do not order them.
    auto unpairedKnowledge = [](const Morpheme& a, const Morpheme& b) {
        return a.isKnowledgeWord() && b.isKnowledgeWord() && !a.isKnowledgePair(b.getPosCode());
    };
    std::vector<Morpheme> sorted = m_words;
    std::stable_sort(sorted.begin(), sorted.end(), [&](const Morpheme& a, const Morpheme& b) {
        if (a.keyFormRef() != b.keyFormRef())
            return a.keyFormRef() < b.keyFormRef();
        if (!unpairedKnowledge(a, b) && a.getPosCode() != b.getPosCode())
            return a.getPosCode() < b.getPosCode();
        return a.getAttributeWord() < b.getAttributeWord();
    });
    MorphemeList result;
    for (const Morpheme& word : sorted) {
        if (!result.m_words.empty()) {
            const Morpheme& last = result.m_words.back();
            const bool sameAttributes = last.getAttributeWord() == word.getAttributeWord();
            if (last.keyFormRef() == word.keyFormRef() && sameAttributes &&
                (last.getPosCode() == word.getPosCode() || unpairedKnowledge(last, word)))
                continue;
        }
        result.m_words.push_back(word);
    }
    return result;
}

void MorphemeList::markHeadClass()
{
    if (m_words.empty())
        return;
    for (const Morpheme& word : m_words) {
        if (word.hasFlags(Morpheme::HEAD_FLAGS))
            return;
    }
    std::uint32_t head = Morpheme::FLAG_Y;
    for (auto it = m_words.rbegin(); it != m_words.rend(); ++it) {
        if (it->isContentWord()) {
            if (it->getPosCode() & pos::NOUN)
                head = Morpheme::FLAG_X;
            break;
        }
    }
    for (Morpheme& word : m_words)
        word.orFlags(head);
}

bool MorphemeList::hasContentWordWithoutU() const
{
    const bool anyU = std::any_of(m_words.begin(), m_words.end(),
                                  [](const Morpheme& w) { return w.hasFlags(Morpheme::FLAG_U); });
    if (!anyU)
        return true;
    bool anyRequiredContent = false;
    for (const Morpheme& word : m_words) {
        if (!word.isContentWord() || word.hasFlags(Morpheme::FLAG_I))
            continue;
        anyRequiredContent = true;
        if (!word.hasFlags(Morpheme::FLAG_U))
            return true;
    }
    return !anyRequiredContent;
}

bool MorphemeList::hasFewContentWords() const
{
    return std::count_if(m_words.begin(), m_words.end(),
                         [](const Morpheme& w) { return w.isContentWord(); }) < 5;
}

bool MorphemeList::hasFewRequiredWords() const
{
    return std::count_if(m_words.begin(), m_words.end(), [](const Morpheme& w) {
               return w.isContentWord() && !w.isIgnorable();
           }) < 5;
}

int MorphemeList::lastNounIndex(std::uint32_t mask) const
{
    for (std::size_t i = m_words.size(); i-- > 0;) {
        const Morpheme& word = m_words[i];
        if (word.hasFlags(mask) && !word.hasFlags(Morpheme::FLAG_N) && word.getConjugation() == 0 &&
            word.isNoun(false))
            return static_cast<int>(i);
    }
    return -1;
}

const Morpheme* MorphemeList::wordWithO(int n) const
{
    for (const Morpheme& word : m_words) {
        if (word.getO() == n)
            return &word;
    }
    return nullptr;
}

void MorphemeList::setWordMarks()
{
    for (std::size_t i = 0; i < m_words.size(); ++i) {
        m_words[i].setO(static_cast<std::uint8_t>(i));
        if (findNounNoun(i) || findPredicateVerb(i) || findModifierNoun(i))
            m_words[i].orM(Morpheme::LINK_TO_NEXT);
    }
}

namespace {

// The frame the three finders share: the word at the index and the next word
// after it that is not stepped over (MS); none when either cannot be joined.
struct JoinCandidate {
    const Morpheme* word;
    const Morpheme* partner;
    bool stepsOverMs;
};

std::optional<JoinCandidate> joinCandidate(const std::vector<Morpheme>& words, std::size_t index)
{
    if (words.size() < 2 || index + 1 >= words.size())
        return std::nullopt;
    const Morpheme& word = words[index];
    if (word.hasFlags(Morpheme::FLAG_MS) || word.isIgnorable())
        return std::nullopt;
    bool stepped = false;
    for (std::size_t j = index + 1; j < words.size(); ++j) {
        if (words[j].hasFlags(Morpheme::FLAG_MS)) {
            stepped = true;
            continue;
        }
        if (words[j].isIgnorable())
            return std::nullopt;
        return JoinCandidate{&word, &words[j], stepped};
    }
    return std::nullopt;
}

}  // namespace

bool MorphemeList::findModifierNoun(std::size_t index) const
{
    const auto pair = joinCandidate(m_words, index);
    if (!pair)
        return false;
    const PosCode word = pair->word->getOriginalPosCode();
    const PosCode partner = pair->partner->getOriginalPosCode();
    return (word & (pos::PREDICATE_BITS | pos::ADNOMINAL)) != 0 && isNounLike(partner) &&
           sameHeadFlags(*pair->word, *pair->partner);
}

bool MorphemeList::findPredicateVerb(std::size_t index) const
{
    const auto pair = joinCandidate(m_words, index);
    if (!pair)
        return false;
    const PosCode word = pair->word->getOriginalPosCode();
    const PosCode partner = pair->partner->getOriginalPosCode();
    const bool modifier = (word & (pos::ADJECTIVE | pos::ADVERB)) != 0 ||
                          word == pos::ADJECTIVAL_PREDICATE_SUFFIX || word == pos::ADJECTIVAL_NOUN_SUFFIX;
    return modifier && (partner & pos::VERB) != 0 && sameHeadFlags(*pair->word, *pair->partner);
}

bool MorphemeList::findNounNoun(std::size_t index) const
{
    const auto pair = joinCandidate(m_words, index);
    if (!pair || !pair->stepsOverMs)
        return false;
    return isNounLike(pair->word->getOriginalPosCode()) &&
           isNounLike(pair->partner->getOriginalPosCode()) && sameHeadFlags(*pair->word, *pair->partner);
}

int MorphemeList::linkedWordIndex(std::size_t index, int direction) const
{
    if (index >= m_words.size())
        throw std::out_of_range(BAD_SUBSCRIPT);
    int step;
    std::uint8_t mark;
    if (direction & 1) {
        step = -1;
        mark = Morpheme::LINK_TO_NEXT;
    } else if (direction & 2) {
        step = 1;
        mark = Morpheme::LINK_TO_PREVIOUS;
    } else {
        return -1;
    }
    for (long j = static_cast<long>(index) + step; j >= 0 && j < static_cast<long>(m_words.size());
         j += step) {
        const Morpheme& word = m_words[static_cast<std::size_t>(j)];
        if (word.hasFlags(Morpheme::FLAG_MS))
            continue;
        if (word.isIgnorable())
            return -1;
        return (word.getM() & mark) ? static_cast<int>(j) : -1;
    }
    return -1;
}

std::string MorphemeList::affixedSurface(std::size_t index) const
{
    const Morpheme& word = at(index);
    // The o byte names the word's place in the list the marks were set on;
    // in a list made from part of it that place may be missing.
    const std::size_t place = word.getO();
    if (place >= m_words.size())
        return std::string();
    const int before = linkedWordIndex(place, 1);
    if (before != -1) {
        const Morpheme* joined = wordWithO(before);
        if (joined && (joined->getM() & Morpheme::LINK_TO_NEXT))
            return std::string(joined->surfaceRef()).append(word.surfaceRef());
    }
    const int after = linkedWordIndex(place, 2);
    if (after != -1) {
        const Morpheme* joined = wordWithO(after);
        if (joined && (joined->getM() & Morpheme::LINK_TO_PREVIOUS))
            return std::string(word.surfaceRef()).append(joined->surfaceRef());
    }
    return std::string();
}

std::string MorphemeList::joinSurfaces() const
{
    std::string text;
    for (const Morpheme& word : m_words)
        text += word.surfaceRef();
    return text;
}

std::string MorphemeList::dump(const std::string& title, int options) const
{
    std::string text;
    if (!title.empty())
        text = title + "\t";
    for (const Morpheme& word : m_words)
        text += word.dump(options);
    return text + "\n";
}

void MorphemeList::print(const std::string& title, int options) const
{
    std::FILE* console = consoleStream();
    if (!console)
        return;
    if (!title.empty()) {
        // Console text is UTF-8 on this system.
        const std::string text = CodeConverter(title).convert(CodeConverter::UTF8, CodeConverter::EUC);
        std::fwrite(text.data(), 1, text.size(), console);
        std::fputc('\t', console);
    }
    if (options & Morpheme::DUMP_LINE_FEED)
        std::fputc('\n', console);
    for (const Morpheme& word : m_words) {
        if (!(options & Morpheme::DUMP_KNOWLEDGE_WORDS_ONLY) || word.isKnowledgeWord())
            word.print(options);
    }
    std::fputc('\n', console);
    std::fflush(console);
}

std::vector<MorphemeList> parseMorphemeText(const std::string& input)
{
    EucString text(input);
    if (!text.empty() && text.back() == '\n')
        text.pop_back();

    std::map<std::string, int, std::less<>> formIds;
    formIds.emplace("", 0);
    for (std::size_t id = 1; id < CONJUGATION_FORM_NAMES.size(); ++id)
        formIds.emplace(std::string(CONJUGATION_FORM_NAMES[id]), static_cast<int>(id));

    std::vector<MorphemeList> sentences;
    while (!text.empty()) {
        EucString sentence = text.cutToken("/");
        if (sentence.empty())
            continue;
        MorphemeList list;
        while (!sentence.empty()) {
            EucString word = sentence.cutToken(";");
            if (word.empty())
                continue;
            const std::string surface = word.cutToken(",");
            const std::string baseForm = word.cutToken(",");
            const int classId = word.cutToken(",").toInt();
            const int subclassId = word.cutToken(",").toInt();
            const int typeId = word.cutToken(",").toInt();
            const auto form = formIds.find(std::string(word.cutToken(",")));
            const std::string reading = word.cutToken(",");
            Morpheme morpheme;
            morpheme.set(surface, reading, baseForm, classId, subclassId, typeId,
                         form == formIds.end() ? 0 : form->second);
            list.words().push_back(std::move(morpheme));
        }
        sentences.push_back(std::move(list));
    }
    return sentences;
}

namespace {

// Class id and subclass id of a code built by pos::code: the class is the
// highest bit from 0x10000 up, the subclass the lowest bit below 0x8000.
void splitPosCode(PosCode code, int& classId, int& subclassId)
{
    classId = 0;
    for (int c = 15; c >= 1; --c) {
        if (code & (PosCode{0x8000} << c)) {
            classId = c;
            break;
        }
    }
    const PosCode low = code & 0x7FFF;
    subclassId = low == 0 ? 0 : __builtin_ctz(low) + 1;
}

}  // namespace

std::string formatMorphemeText(const std::vector<MorphemeList>& sentences)
{
    std::string text;
    for (const MorphemeList& sentence : sentences) {
        if (!text.empty())
            text += '/';
        bool firstWord = true;
        for (const Morpheme& word : sentence.words()) {
            if (!firstWord)
                text += ';';
            firstWord = false;
            int classId = 0;
            int subclassId = 0;
            splitPosCode(word.getPosCode(), classId, subclassId);
            ((text += word.surfaceRef()) += ',') += word.baseFormRef();
            text += ',' + std::to_string(classId) + ',' +
                    std::to_string(subclassId) + ',' +
                    std::to_string(conjugationTypeId(word.getConjugation())) + ',' +
                    std::string(conjugationFormName(word.getConjugation())) + ',';
            text += word.readingRef();
        }
    }
    return text;
}

}  // namespace quibo
