// The phrase builder: whether a run of words is one expression the semantic
// network knows, and the phrase that says so.
//
// Every word of the run proposes texts it may be written as, each with a
// variation level (1 as written, 2 for its key form or a neighbour close by,
// 5 for a looser neighbour).  One text per word, joined, is a candidate
// expression; the network's relations of a candidate decide.  Candidates are
// asked about only when some word proposes them as they stand (level 1) or
// the network reaches them from a word, which keeps the relation look-ups
// few.  Answers, empty ones too, are cached in the dictionary under the run.
#include "analysis/EucString.h"
#include "analysis/LanguageAnalyzer.h"
#include "analysis/PhraseSet.h"
#include "knowledge/CDictionary.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace quibo {

namespace {

// Runs longer than this, and runs in sentences with more required content
// words than this, are looked up by their surfaces only.
constexpr int SURFACES_ONLY_ABOVE = 5;

struct Variant {
    int level = 0;
    int kind = 0;  // nominal kind of the position's word
};

class Position {
public:
    explicit Position(int kind) : m_kind(kind) {}

    // A text proposed again keeps the lowest level it was proposed at.
    void add(const std::string& text, int level)
    {
        if (text.empty())
            return;
        auto [entry, inserted] = m_variants.try_emplace(text, Variant{level, m_kind});
        if (!inserted && level < entry->second.level)
            entry->second.level = level;
    }
    const std::map<std::string, Variant>& variants() const { return m_variants; }

    std::string base;  // the text the network is asked about
    std::set<std::string> texts;

private:
    int m_kind;
    std::map<std::string, Variant> m_variants;  // ascending byte order
};

struct Choice {
    std::string text;
    Variant variant;
};

struct Match {
    std::string text;
    std::vector<SenseRecord> relations;
    int level = 0;
};

bool recordLess(const SenseRecord& a, const SenseRecord& b)
{
    return std::tie(a.kind, a.polarity, a.relatedWord, a.queriedWord) <
           std::tie(b.kind, b.polarity, b.relatedWord, b.queriedWord);
}

// Lower levels first, then by text; equal matches are all kept.
struct MatchLess {
    bool operator()(const Match& a, const Match& b) const
    {
        if (a.level != b.level)
            return a.level < b.level;
        if (a.text != b.text)
            return a.text < b.text;
        return std::lexicographical_compare(a.relations.begin(), a.relations.end(), b.relations.begin(),
                                            b.relations.end(), recordLess);
    }
};

std::vector<std::string> networkWords(const NetworkText& text, std::string_view separator)
{
    std::vector<std::string> words;
    if (!text)
        return words;
    for (std::string& word : splitString(text.get(), separator)) {
        if (!word.empty())
            words.push_back(std::move(word));
    }
    return words;
}

// Calls `take` with every word the network reaches from `base` at `depth`,
// and with every word related to one of those.
template <typename Take>
void forEachNeighbour(LanguageAnalyzer& analyzer, const std::string& base, int depth, Take take)
{
    if (base.empty())
        return;
    for (const std::string& reached : networkWords(analyzer.reachableWords(base, depth, 0), ", ")) {
        take(reached);
        for (const std::string& related : networkWords(analyzer.relatedWords(reached, 1), ","))
            take(related);
    }
}

std::string cacheKey(const std::vector<Morpheme>& words)
{
    std::string key;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0)
            key += ':';
        key += words[i].keyFormRef();
        key += '-';
        key += words[i].surfaceRef();
    }
    return key;
}

// Nouns read the same either way round ("東京タワー" is not "タワー東京"),
// so only other pairs are also tried reversed.
bool triesReverse(int firstKind, int secondKind)
{
    return !((firstKind == 1 && secondKind == 1) || (firstKind == 2 && secondKind == 1) ||
             (firstKind == 1 && secondKind == 2));
}

}  // namespace

PhraseRecord WordNode::buildPhrase(const std::vector<Morpheme>& words, CDictionary& dictionary, int option)
{
    if (words.empty())
        return PhraseRecord();
    const std::string key = cacheKey(words);
    PhraseCache& cache = dictionary.phraseCache();
    if (auto cached = cache.find(key); cached != cache.end())
        return cached->second;
    PhraseRecord& stored = phraseCacheEntry(cache, key);

    LanguageAnalyzer* analyzer = LanguageAnalyzer::instance();
    if (!analyzer)
        return stored;
    const std::size_t n = words.size();
    const bool closeLook = n <= 2 && m_limit <= SURFACES_ONLY_ABOVE;

    // 1. What each word may be written as.
    std::vector<Position> positions;
    std::set<std::string> known;
    positions.reserve(n);
    for (const Morpheme& word : words) {
        Position& position = positions.emplace_back(word.getNominalKind());
        const std::string surface(word.surfaceRef());
        if (n > 2 || word.hasFlagG() || m_limit > SURFACES_ONLY_ABOVE) {
            position.add(surface, 1);
        } else {
            const PosCode code = word.getPosCode();
            if (code == pos::ENTITY_SYNONYMS) {
                if (!analyzer->getRelations(surface).empty()) {
                    position.base = surface;
                    position.add(position.base, 1);
                } else {
                    position.base = word.keyFormRef();
                }
            } else if (code == pos::ENTITY_THESAURUS) {
                position.base = surface;
                position.add(position.base, 1);
            } else {
                position.base = word.keyFormRef();
                position.add(position.base, position.base == surface ? 1 : 2);
            }
            for (const auto& [depth, level] : {std::pair{-1, 5}, std::pair{0, 2}})
                forEachNeighbour(*analyzer, position.base, depth,
                                 [&](const std::string& text) { position.add(text, level); });
            if (position.base != surface)
                position.add(surface, 1);
            if (word.getEffectivePosCode() & 0x68000) {
                if (word.isKanjiThenHiragana())
                    position.add(surface.substr(0, 2), 2);
                else if (word.isKeyKanjiThenHiragana())
                    position.add(std::string(word.keyFormRef().substr(0, 2)), 2);
            }
        }
        if (closeLook) {
            for (const auto& [text, variant] : position.variants()) {
                position.texts.insert(text);
                known.insert(text);
            }
            for (const int depth : {-2, 1})
                forEachNeighbour(*analyzer, position.base, depth,
                                 [&known](const std::string& text) { known.insert(text); });
        }
    }

    // 2. Loose variants another word proposes too say nothing about the run.
    std::vector<std::vector<Choice>> lists(n);
    for (std::size_t i = 0; i < n; ++i) {
        for (const auto& [text, variant] : positions[i].variants()) {
            bool elsewhere = false;
            for (std::size_t j = 0; j < n && !elsewhere; ++j)
                elsewhere = j != i && positions[j].texts.count(text) > 0;
            if (variant.level > 2 && elsewhere)
                continue;
            lists[i].push_back({text, variant});
        }
        if (lists[i].empty())
            return stored;
    }

    // 3. Every choice of one text per word, the last word varying fastest.
    std::multiset<Match, MatchLess> matches;
    auto tryText = [&](const std::string& text, int level) {
        if (!known.count(text) && level != 1)
            return;
        std::vector<SenseRecord> relations = analyzer->getRelations(text);
        std::erase_if(relations, [](const SenseRecord& r) { return r.polarity != '0'; });
        if (!relations.empty())
            matches.insert({text, std::move(relations), level});
    };
    std::vector<std::size_t> odometer(n, 0);
    for (;;) {
        std::string text;
        int level = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const Choice& choice = lists[i][odometer[i]];
            text += choice.text;
            level = std::max(level, choice.variant.level);
        }
        tryText(text, level);
        if (n == 2) {
            const Choice& first = lists[0][odometer[0]];
            const Choice& second = lists[1][odometer[1]];
            if (triesReverse(first.variant.kind, second.variant.kind))
                tryText(second.text + first.text, level);
        }
        std::size_t i = n;
        while (i > 0 && ++odometer[i - 1] == lists[i - 1].size())
            odometer[--i] = 0;
        if (i == 0)
            break;
    }
    if (matches.empty())
        return stored;

    // 4. The phrase, as one word (option set) or as the words it may be
    //    read as.  A match that only names the run's one content word says
    //    nothing new.
    std::string only;
    int contentWords = 0;
    for (const Morpheme& word : words) {
        if (word.isContentWord() && ++contentWords == 1)
            only = word.surfaceRef();
    }
    if (contentWords != 1)
        only.clear();

    PhraseRecord phrase;
    if (option & 0xFF) {
        for (const Match& match : matches) {
            std::string name;
            bool fromSynonym = false;
            extendEntity(match.text, match.relations, dictionary, false, name, fromSynonym);
            if (name == only)
                continue;
            VariantWord main = VariantWord::marked(
                Morpheme::makeCompound(name, words, &dictionary, option != 0, true, true), 1);
            main.setLevelVari(match.level);
            VariantWord second = VariantWord::marked(
                Morpheme::makeCompound("", words, &dictionary, option != 0, false, true), 1);
            second.setLevelVari(match.level);
            phrase.setMainWord(main);
            phrase.setSecondWord(second);
            break;
        }
    } else {
        for (const Match& match : matches) {
            for (const SenseRecord& relation : match.relations) {
                if (relation.relatedWord == only || relation.kind != 'N')
                    continue;
                VariantWord attached = VariantWord::marked(
                    Morpheme::makeCompound(relation.relatedWord, words, &dictionary, false, true, true), 1);
                attached.setLevelVari(match.level);
                phrase.addAttachedWord(attached);
            }
        }
    }
    // The cache entry is reached again: extendEntity and makeCompound may
    // have grown the dictionary, but the cache map keeps its nodes in place.
    stored = phrase;
    return stored;
}

}  // namespace quibo
