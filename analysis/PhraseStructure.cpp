// The phrase-structure reader of a sentence: the sentence laid out as a
// phrase structure, widened by the multi-word expressions the semantic
// network knows, and read back as the word lists in which each expression
// stands as one word.
#include "analysis/LanguageAnalyzer.h"
#include "analysis/MorphemeList.h"
#include "analysis/PhraseAlternatives.h"
#include "analysis/PhraseSet.h"

#include <limits>
#include <memory>
#include <set>

namespace quibo {

namespace {

// Longer sentences are not read as phrases at all: the structure's paths and
// the network look-ups grow quickly with the sentence.
constexpr std::size_t LONGEST_SENTENCE = 50;
constexpr std::size_t NO_LIMIT = std::numeric_limits<std::size_t>::max();

enum class WordClass { pending, breaking, node };

bool isPredicativeCode(PosCode code) { return (code & 0x20000) && (code & 0x8000); }

// Short hiragana words (particles the analyser took for content words,
// fillers) and hiragana words the network does not know.
bool isHiraganaFiller(const Morpheme& word)
{
    if (!word.isAllHiragana())
        return false;
    if (word.surfaceRef().size() <= 4)
        return true;
    LanguageAnalyzer* analyzer = LanguageAnalyzer::instance();
    return !analyzer || analyzer->getRelations(std::string(word.surfaceRef())).empty();
}

// Suffixes lean on the word before them and flag A marks a word the
// judgement set apart: both end a segment, content words or not, so that no
// expression is looked for across them.
WordClass classify(const Morpheme& word)
{
    const PosCode code = word.getPosCode();
    if (code == 0x20000010 || code == 0x20000020 || code == 0x20000040 || !word.lacksFlagA())
        return WordClass::breaking;
    if (word.isContentWord()) {
        if (word.hasFlags(Morpheme::FLAG_VS))
            return WordClass::pending;
    } else if (!(code == pos::UNDEFINED_OTHER ||
                 (code == pos::SPECIAL && word.isAllFullWidthLatin() && word.surfaceRef().size() == 2))) {
        return WordClass::pending;
    }
    return isHiraganaFiller(word) ? WordClass::breaking : WordClass::node;
}

// The root and, through the edges, every node.  The end node is owned by
// the edges that lead to it; when none does, by this.
class Structure {
public:
    Structure() : m_root(std::make_unique<WordNode>()), m_end(std::make_unique<WordNode>()) {}
    Structure(const Structure&) = delete;
    Structure& operator=(const Structure&) = delete;
    ~Structure()
    {
        if (m_end->hasParents())
            (void)m_end.release();  // deleted with the root, through an edge
        m_root.reset();
    }

    WordNode* root() const { return m_root.get(); }
    WordNode* end() const { return m_end.get(); }

    // A new word node, owned by `from` through the new edge.
    WordNode* addNode(WordNode* from, const PhraseRecord& phrase)
    {
        auto node = std::make_unique<WordNode>();
        from->addEdge({node.get(), phrase});
        return node.release();
    }

private:
    std::unique_ptr<WordNode> m_root;
    std::unique_ptr<WordNode> m_end;
};

MorphemeList listOf(const std::vector<VariantWord>& sequence)
{
    std::vector<Morpheme> words;
    std::int32_t level = 0;
    words.reserve(sequence.size());
    for (const VariantWord& word : sequence) {
        words.push_back(word);
        level += word.getLevelVari();
    }
    return MorphemeList(std::move(words), level);
}

// The ways one segment may be said, path by path; at most `cap` of them.
// True when none was left out.
bool readSegment(const PhraseSet& first, int option, std::size_t cap, std::vector<MorphemeList>& out)
{
    return first.forEachPath([&](const PhraseSequence& path) {
        const PhraseAlternatives alternatives(path, option);
        return forEachCombination(alternatives.positions, [&](const std::vector<VariantWord>& sequence) {
            if (out.size() == cap)
                return false;
            out.push_back(listOf(sequence));
            return true;
        });
    });
}

// The readings of one segment, read only as far as the combinations need
// them: a visit that stops early needs only the first few of each.  When
// more are needed the segment is read again under a larger cap; a read
// gives the same first readings whatever its cap, so the readings already
// combined keep their places.
class SegmentReadings {
public:
    SegmentReadings(const PhraseSet* first, int option) : m_first(first), m_option(option) {}

    // Reading `index` exists (it is read now when it was not yet).
    bool has(std::size_t index)
    {
        while (index >= m_readings.size() && !m_whole) {
            m_cap = m_cap == 0 ? FIRST_CAP : (m_cap > NO_LIMIT / 4 ? NO_LIMIT : m_cap * 4);
            m_readings.clear();
            m_whole = readSegment(*m_first, m_option, m_cap, m_readings);
        }
        return index < m_readings.size();
    }
    const MorphemeList& at(std::size_t index) const { return m_readings[index]; }

private:
    static constexpr std::size_t FIRST_CAP = 32;

    const PhraseSet* m_first;
    int m_option;
    std::vector<MorphemeList> m_readings;
    std::size_t m_cap = 0;
    bool m_whole = false;
};

}  // namespace

PhraseAlternatives::PhraseAlternatives(const PhraseSequence& path, int option)
{
    for (const PhraseRecord& phrase : path) {
        for (const VariantWord& word : phrase.secondWordsRef())
            positions.push_back({word});
        std::vector<VariantWord> alternatives;
        if (option & 0xFF) {
            if (PhraseRecord::isPresent(phrase.mainWordRef()))
                alternatives.push_back(phrase.mainWordRef());
            if (PhraseRecord::isPresent(phrase.secondWordRef()))
                alternatives.push_back(phrase.secondWordRef());
        }
        for (const VariantWord& word : phrase.attachedWordsRef())
            alternatives.push_back(word);
        if (!alternatives.empty())
            positions.push_back(std::move(alternatives));
    }
}

std::vector<MorphemeList> MorphemeList::buildPhraseStructure(CDictionary& dictionary, int option,
                                                             int expandAll) const
{
    std::vector<MorphemeList> result;
    forEachPhraseReading(dictionary, option, expandAll, [&result](MorphemeList& list) {
        result.push_back(std::move(list));
        return true;
    });
    return result;
}

void MorphemeList::forEachPhraseReading(CDictionary& dictionary, int option, int expandAll,
                                        const std::function<bool(MorphemeList&)>& visit) const
{
    const std::size_t n = m_words.size();
    if (n > LONGEST_SENTENCE)
        return;

    int required = 0;
    for (const Morpheme& word : m_words) {
        if (word.isContentWord() && !word.hasFlags(Morpheme::FLAG_I))
            ++required;
    }

    // 1. Lay the sentence out: a chain of word nodes per segment, each edge
    //    labelled with the phrase of the word whose node it leaves.
    Structure structure;
    WordNode* const root = structure.root();
    WordNode* const end = structure.end();
    WordNode* current = root;
    PhraseRecord phrase;
    std::vector<VariantWord> pending;
    std::set<const PhraseSet*> marked;
    for (const Morpheme& word : m_words) {
        switch (classify(word)) {
        case WordClass::pending:
            pending.push_back(VariantWord::marked(word, 0));
            break;
        case WordClass::node: {
            WordNode* node = structure.addNode(current, phrase);
            node->setValue(word);
            node->setLimit(required);
            // Words an earlier reading made: the expressions they stand for
            // may join their neighbours in turn.
            if (word.getSpareMark()) {
                marked.insert(current);
                marked.insert(node);
            }
            current = node;
            phrase.clear();
            if (isPredicativeCode(word.getPosCode()))
                phrase.setSecondWord(VariantWord::marked(word, 0));
            else
                phrase.setMainWord(VariantWord::marked(word, 0));
            if (!(option & 0xFF))
                phrase.addAttachedWord(VariantWord::marked(word, 0));
            phrase.setSecondWords(pending);
            pending.clear();
            break;
        }
        case WordClass::breaking:
            if (current != root) {
                current->addEdge({end, phrase});
                current = root;
                phrase.clear();
            }
            pending.push_back(VariantWord::marked(word, 0));
            break;
        }
    }
    if (current != root)
        current->addEdge({end, phrase});
    if (!pending.empty()) {
        // The root's edge carries the cleared phrase; the trailing node's
        // own edge carries the words that lean on nothing.
        phrase.clear();
        WordNode* trailing = structure.addNode(root, phrase);
        trailing->setLimit(required);
        phrase.setSecondWords(pending);
        trailing->addEdge({end, phrase});
    }

    // 2. Compound edges, along every chain (or only around marked nodes).
    for (const PhraseEdge& segment : root->getEdges()) {
        auto* node = static_cast<WordNode*>(segment.node);
        while (node && node != end) {
            if ((expandAll & 0xFF) || marked.count(node))
                node->expandCompounds(dictionary, option);
            node = node->edgeCount() > 0 ? static_cast<WordNode*>(node->edgeAt(0).node) : nullptr;
        }
    }

    // 3. Every combination of one reading per segment, the first segment
    //    varying slowest; the sentence's own reading is not one of them.
    std::vector<SegmentReadings> segments;
    for (const PhraseEdge& segment : root->getEdges()) {
        if (segment.node)
            segments.push_back(SegmentReadings{segment.node, option});
    }
    std::vector<std::size_t> at(segments.size(), 0);
    for (SegmentReadings& segment : segments) {
        if (!segment.has(0))
            return;
    }
    for (;;) {
        std::vector<Morpheme> words;
        std::int32_t level = 0;
        for (std::size_t i = 0; i < segments.size(); ++i) {
            const MorphemeList& part = segments[i].at(at[i]);
            words.insert(words.end(), part.words().begin(), part.words().end());
            level += part.getListNumber();
        }
        if (words.size() != n) {
            MorphemeList list(std::move(words), level);
            if (!visit(list))
                return;
        }
        // The next combination: the last segment varies fastest.
        std::size_t i = segments.size();
        while (i > 0 && !segments[i - 1].has(++at[i - 1]))
            at[--i] = 0;
        if (i == 0)
            return;
    }
}

}  // namespace quibo
