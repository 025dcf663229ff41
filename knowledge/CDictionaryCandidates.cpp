// What the knowledge base does with a loaded file and with each utterance:
// entity classification, recognition of knowledge terms in a visitor's
// words, and the ranked candidate sentences reply generation asks for.
#include "knowledge/CDictionary.h"

#include "analysis/ConsoleLine.h"
#include "analysis/LanguageAnalyzer.h"
#include "knowledge/Entity.h"
#include "meaning/MeanEntry.h"

#include <algorithm>
#include <tuple>

namespace quibo {

namespace {

// A blank word (空白) separates what the visitor wrote before from the
// sentence that is judged, where it stands between two sentences.
constexpr PosCode BLANK = 0x10020;
constexpr PosCode ADVERB_BIT = 0x800000;
constexpr PosCode FINAL_PARTICLE = 0x1000008;

// A word that a sentence can end with: a mark (。？！), an interjection, a
// final particle, or a word that conjugates (verb, adjective, copula,
// auxiliary).  A noun or another particle leaves the sentence open.
bool endsSentence(const Morpheme& word)
{
    const PosCode code = word.getPosCode();
    if (code == BLANK)
        return false;
    if (code == FINAL_PARTICLE)
        return true;
    if (code & pos::PARTICLE)
        return false;
    return (code & (pos::SPECIAL | pos::INTERJECTION | pos::VERB | pos::ADJECTIVE | pos::COPULA | pos::AUXILIARY)) != 0;
}

// A word that cannot open a sentence: a particle, an auxiliary, the copula
// or a suffix leans on the word before it.
bool leansBack(const Morpheme& word)
{
    return (word.getPosCode() & (pos::PARTICLE | pos::AUXILIARY | pos::COPULA | pos::SUFFIX)) != 0;
}

int preference(const KnowledgeObject* object)
{
    switch (object->getTypeId()) {
    case knowledge_type::ENTITY: return 4;
    case knowledge_type::ENTITY_THESAURUS:
    case knowledge_type::ENTITY_SYNONYMS: return 3;
    case knowledge_type::PREDICATIVE: return 2;
    case knowledge_type::PREDICATIVE_ANTONYMS:
    case knowledge_type::PREDICATIVE_SYNONYMS: return 1;
    default: return 0;
    }
}

bool isEntityThesaurus(const KnowledgeObject* object)
{
    const int type = object->getTypeId();
    return type == knowledge_type::ENTITY_THESAURUS || type == knowledge_type::ENTITY_SYNONYMS;
}

bool isPredicativeThesaurus(const KnowledgeObject* object)
{
    const int type = object->getTypeId();
    return type == knowledge_type::PREDICATIVE_ANTONYMS || type == knowledge_type::PREDICATIVE_SYNONYMS;
}

void rebind(Morpheme& word, KnowledgeObject* object)
{
    word.setKnowledgeObject(nullptr);
    word.bindKnowledgeObject(object);
}

// A word made only of sentence punctuation (or of nothing).
bool isPunctuationOnly(std::string_view surface)
{
    static const std::string marks[] = {"。", "、", "！"};
    for (std::size_t at = 0; at < surface.size(); at += 2) {
        const std::string_view character = surface.substr(at, 2);
        if (std::find(std::begin(marks), std::end(marks), character) == std::end(marks))
            return false;
    }
    return true;
}

}  // namespace

bool CDictionary::cannotStartTerm(const Morpheme& word, std::size_t index)
{
    if (index == 0)
        return false;
    const PosCode code = word.getPosCode();
    return (code & 0x1000000) != 0 || code == 0x20000010 || code == 0x20000020 || code == 0x20000040;
}

bool WordSequenceLess::operator()(const std::vector<Morpheme>& a, const std::vector<Morpheme>& b) const
{
    auto fields = [](const Morpheme& word) {
        return std::make_tuple(word.keyFormRef(), word.surfaceRef(), word.getPosCode(),
                               word.getConjugation(), word.getAttributeWord());
    };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](const Morpheme& x, const Morpheme& y) { return fields(x) < fields(y); });
}

void CDictionary::classifyEntities()
{
    for (const auto& [name, entity] : m_entities) {
        if (!entity)
            continue;
        for (int bit : {1, 2, 4, 8}) {
            if (entity->hasFlag(bit))
                getEntitySet(bit)->insert(entity);
        }
    }
}

KnowledgeObject* CDictionary::pickPreferred(const std::vector<KnowledgeObject*>& objects)
{
    KnowledgeObject* best = nullptr;
    int bestPreference = 0;
    for (KnowledgeObject* object : objects) {
        const int rank = object ? preference(object) : 0;
        if (rank > bestPreference) {
            best = object;
            bestPreference = rank;
        }
    }
    return best;
}

MorphemeList CDictionary::mergeTerms(const MorphemeList& words, std::vector<TermSpan>& spans)
{
    const std::vector<Morpheme>& source = words.words();
    const std::size_t count = source.size();
    spans.assign(count, TermSpan{});
    enum class Use { Free, Head, Absorbed };
    std::vector<Use> use(count, Use::Free);
    std::vector<Morpheme> merged(count);

    struct Candidate {
        std::string text;
        std::size_t start;
        std::size_t end;
        long weight;  // more words and longer text sort first
    };
    std::vector<Candidate> candidates;
    for (std::size_t i = 0; i < count; ++i) {
        if (!m_termFirstChars.contains(std::string(source[i].keyFormRef().substr(0, 2))) ||
            cannotStartTerm(source[i], i))
            continue;
        std::string surfaces;
        for (std::size_t w = 1; i + w - 1 < count; ++w) {
            const Morpheme& word = source[i + w - 1];
            std::string withKeyForm = surfaces;
            withKeyForm += word.keyFormRef();
            surfaces += word.surfaceRef();
            if (surfaces.size() > static_cast<std::size_t>(std::max(m_termMaxLength, 0)))
                break;
            candidates.push_back({surfaces, i, i + w, -static_cast<long>(w + surfaces.size())});
            if (withKeyForm != surfaces) {
                const long weight = -static_cast<long>(w + withKeyForm.size());
                candidates.push_back({std::move(withKeyForm), i, i + w, weight});
            }
        }
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.weight < b.weight; });

    for (const Candidate& candidate : candidates) {
        std::vector<KnowledgeObject*> objects;
        auto range = m_termIndex.equal_range(candidate.text);
        for (auto it = range.first; it != range.second; ++it)
            objects.push_back(it->second);
        KnowledgeObject* preferred = pickPreferred(objects);
        if (!preferred)
            continue;
        if (std::any_of(use.begin() + static_cast<long>(candidate.start), use.begin() + static_cast<long>(candidate.end),
                        [](Use u) { return u != Use::Free; }))
            continue;

        const Morpheme& first = source[candidate.start];
        std::string surface(first.surfaceRef());
        std::string reading(first.readingRef());
        std::string baseForm(first.baseFormRef());
        std::uint32_t flags = 0;
        std::uint32_t attributes = 0;
        for (std::size_t k = candidate.start; k < candidate.end; ++k) {
            if (k > candidate.start) {
                surface += source[k].surfaceRef();
                reading += source[k].readingRef();
                baseForm += source[k].baseFormRef();
            }
            flags |= source[k].getFlags();
            attributes |= source[k].getAttributeWord();
        }
        if (candidate.end - candidate.start >= 2)
            flags &= ~(Morpheme::FLAG_I | Morpheme::FLAG_U | Morpheme::FLAG_N | Morpheme::FLAG_G);
        if ((flags & Morpheme::HEAD_FLAGS) == Morpheme::HEAD_FLAGS)
            flags &= ~Morpheme::FLAG_X;

        Morpheme term;
        term.setSurface(surface);
        term.setReading(reading);
        term.setOriginalPosCode(first.getOriginalPosCode());
        term.setBaseForm(baseForm);
        term.bindKnowledgeObject(preferred);
        term.setConjugation(source[candidate.end - 1].getConjugation());
        term.setFlags(flags);
        term.setAttributeWord(attributes);
        merged[candidate.start] = std::move(term);

        TermSpan& span = spans[candidate.start];
        span.start = static_cast<std::int32_t>(candidate.start);
        span.end = static_cast<std::int32_t>(candidate.end);
        span.objects = objects;
        span.objectCount = static_cast<std::int32_t>(objects.size());
        for (KnowledgeObject* object : objects) {
            if (!object)
                continue;
            if (object->getTypeId() == knowledge_type::ENTITY)
                span.entity = object;
            else if (object->getTypeId() == knowledge_type::PREDICATIVE)
                span.predicative = object;
        }
        use[candidate.start] = Use::Head;
        for (std::size_t k = candidate.start + 1; k < candidate.end; ++k)
            use[k] = Use::Absorbed;
    }

    std::vector<Morpheme> output;
    std::vector<TermSpan> outputSpans;
    for (std::size_t k = 0; k < count; ++k) {
        if (use[k] == Use::Free) {
            Morpheme word = source[k];
            if (word.isUnknownWord() && (word.getPosCode() & ADVERB_BIT) == 0)
                word.orFlags(Morpheme::FLAG_U);
            output.push_back(std::move(word));
            outputSpans.emplace_back();
        } else if (use[k] == Use::Head) {
            output.push_back(std::move(merged[k]));
            outputSpans.push_back(std::move(spans[k]));
        }
    }
    spans = std::move(outputSpans);
    return MorphemeList(std::move(output));
}

AnalyzedSentenceList CDictionary::buildCandidates(const std::string& text, const MorphemeList& words, int mode)
{
    std::vector<TermSpan> spans;
    std::vector<MorphemeList> variants;
    variants.push_back(mergeTerms(words, spans));
    for (std::size_t at = 0; at < spans.size(); ++at) {
        const TermSpan& span = spans[at];
        if (span.objectCount < 2)
            continue;
        // Further objects copy the variants there were before this term,
        // so that no two copies bind the same objects.
        const std::size_t before = variants.size();
        bool first = true;
        for (KnowledgeObject* object : span.objects) {
            if (!object)
                continue;
            if (m_expansionFlag && ((span.entity && isEntityThesaurus(object)) ||
                                    (span.predicative && isPredicativeThesaurus(object))))
                continue;
            if (first) {
                for (MorphemeList& variant : variants)
                    rebind(variant.at(at), object);
                first = false;
                continue;
            }
            for (std::size_t v = 0; v < before && variants.size() < CANDIDATE_LIMIT; ++v) {
                MorphemeList copy = variants[v];
                rebind(copy.at(at), object);
                variants.push_back(std::move(copy));
            }
        }
    }

    if (mode == 1) {
        // No variant's readings beyond the first CANDIDATE_LIMIT can become
        // a sentence: at most that many readings before them are new.
        std::vector<MorphemeList> readings;
        std::set<std::vector<Morpheme>, WordSequenceLess> seen;
        for (const MorphemeList& variant : variants) {
            if (readings.size() >= CANDIDATE_LIMIT)
                break;
            std::vector<MorphemeList> own = m_phraseStructureBuilder
                                                ? m_phraseStructureBuilder(variant)
                                                : phraseStructureReadings(variant, *this, CANDIDATE_LIMIT);
            for (MorphemeList& reading : own) {
                if (seen.insert(reading.words()).second)
                    readings.push_back(std::move(reading));
            }
        }
        variants = std::move(readings);
    }

    AnalyzedSentenceList sentences;
    for (const MorphemeList& variant : variants) {
        if (sentences.size() >= CANDIDATE_LIMIT)
            break;
        sentences.push_back(std::make_unique<AnalyzedSentence>(text, variant));
    }
    return sentences;
}

std::vector<MorphemeList> phraseStructureReadings(const MorphemeList& sentence, CDictionary& dictionary,
                                                  std::size_t limit)
{
    std::vector<MorphemeList> readings;
    if (limit == 0)
        return readings;
    readings.push_back(sentence);
    std::set<std::vector<Morpheme>, WordSequenceLess> noted;
    auto keep = [&](MorphemeList& list) {
        if (readings.size() >= limit)
            return false;
        if (noted.insert(list.words()).second)
            readings.push_back(std::move(list));
        return readings.size() < limit;
    };
    sentence.forEachPhraseReading(dictionary, 0, 1, keep);
    // Every later reading has fewer words than the list it came from, so
    // this ends.  Only runs next to the expressions found are looked up.
    for (std::size_t i = 1; i < readings.size() && readings.size() < limit; ++i) {
        const MorphemeList next = readings[i];
        next.forEachPhraseReading(dictionary, 0, 0, keep);
    }
    return readings;
}

AnalyzedSentenceList CDictionary::analyseText(const std::string& text, const std::vector<int>& context, int mode)
{
    MorphemeList words;
    if (LanguageAnalyzer* analyzer = LanguageAnalyzer::instance()) {
        std::string surfaces;
        words = analyzer->analyze(text, surfaces);
    }
    return semanticIndex(text, {words}, context, mode);
}

std::size_t CDictionary::judgedFrom(const MorphemeList& sentence)
{
    for (std::size_t k = sentence.size() - std::min<std::size_t>(sentence.size(), 1); k-- > 1;) {
        if (sentence.at(k).getPosCode() == BLANK && endsSentence(sentence.at(k - 1)) &&
            !leansBack(sentence.at(k + 1)))
            return k + 1;
    }
    return 0;
}

MorphemeList CDictionary::judgeSentence(const MorphemeList& sentence, const std::vector<int>& context, int mode,
                                        MeanEntry& judgement)
{
    LanguageAnalyzer* analyzer = LanguageAnalyzer::instance();
    if (!analyzer)
        return sentence;
    const std::size_t from = mode == 1 ? 0 : judgedFrom(sentence);
    const auto cut = sentence.words().begin() + static_cast<long>(from);
    MorphemeList judged(std::vector<Morpheme>(cut, sentence.words().end()));
    judgement = analyzer->matchMeaning(judged.joinSurfaces(), judged, context);
    judged.markHeadClass();
    std::vector<Morpheme> rewritten(sentence.words().begin(), cut);
    rewritten.insert(rewritten.end(), judged.words().begin(), judged.words().end());
    return MorphemeList(std::move(rewritten), sentence.getListNumber());
}

AnalyzedSentenceList CDictionary::semanticIndex(const std::string& text, const std::vector<MorphemeList>& sentences,
                                                const std::vector<int>& context, int mode)
{
    m_notedWordLists.clear();
    LanguageAnalyzer* analyzer = LanguageAnalyzer::instance();

    // 1. Judge each sentence and prepare its word-list variants.
    std::vector<MeanEntry> judgements;
    std::vector<MorphemeList> variants;
    std::vector<std::size_t> variantEnds;  // per sentence, one past its last variant
    for (const MorphemeList& sentence : sentences) {
        MeanEntry judgement;
        const MorphemeList words = judgeSentence(sentence, context, mode, judgement);
        judgements.push_back(std::move(judgement));

        const MorphemeList merged = words.mergeNumerals();
        extendWordThesauri(merged);
        if (analyzer) {
            for (MorphemeList& variant : analyzer->expandNumberSynonyms(merged))
                variants.push_back(std::move(variant));
        } else {
            variants.push_back(merged);
        }
        variantEnds.push_back(variants.size());
    }

    // 2. Candidates of every variant; the 30th sentence of the text and
    // everything after it are dropped.
    AnalyzedSentenceList kept;
    std::vector<std::pair<std::size_t, std::size_t>> groups;  // kept range of each variant
    std::size_t counted = 0;
    bool full = false;
    for (std::size_t v = 0; v < variants.size() && !full; ++v) {
        std::size_t source = 0;
        while (source < variantEnds.size() && v >= variantEnds[source])
            ++source;
        if (source >= judgements.size()) {
            writeConsoleLine("### ERROR semanticIndex ###");
            source = 0;
        }
        AnalyzedSentenceList built = buildCandidates(text, variants[v], mode);
        const std::size_t begin = kept.size();
        for (std::unique_ptr<AnalyzedSentence>& sentence : built) {
            if (++counted >= CANDIDATE_LIMIT) {
                full = true;
                break;
            }
            // The whole judgement goes with the sentence: a title is graded
            // against its polarities and features, which a title of the same
            // text carries from its own judgement.
            if (source < judgements.size())
                sentence->setJudgement(judgements[source]);
            kept.push_back(std::move(sentence));
        }
        groups.emplace_back(begin, kept.size());
    }

    // 3. A variant's first sentence always stays; a further one only with
    // words not noted yet.
    AnalyzedSentenceList distinct;
    for (const auto& [begin, end] : groups) {
        for (std::size_t k = begin; k < end; ++k) {
            const bool fresh = m_notedWordLists.insert(kept[k]->words().words()).second;
            if (k == begin || fresh)
                distinct.push_back(std::move(kept[k]));
        }
    }

    // 4. and 5. Complete them and sort by ordering value.
    for (std::unique_ptr<AnalyzedSentence>& sentence : distinct)
        completeCandidate(*sentence, text);
    std::stable_sort(distinct.begin(), distinct.end(),
                     [](const std::unique_ptr<AnalyzedSentence>& a, const std::unique_ptr<AnalyzedSentence>& b) {
                         return a->orderingValue() < b->orderingValue();
                     });
    return distinct;
}

void CDictionary::completeCandidate(AnalyzedSentence& sentence, const std::string& text) const
{
    MorphemeList marked = sentence.words();
    marked.setWordMarks();
    const MorphemeList dropped = marked.removeDuplicates(3, false);
    const MorphemeList survivors = marked.removeDuplicates(3, true);

    // Entities with flag 2 always count; others while the set is small;
    // the rest fill a set that stays below three.
    std::vector<KnowledgeObject*> setAside;
    for (const Morpheme& word : survivors.words()) {
        if (!word.isKnowledgeWord() || !word.getKnowledgeObject())
            continue;
        KnowledgeObject* object = word.getKnowledgeObject();
        const auto* entity = dynamic_cast<const Entity*>(object);
        if ((entity && entity->hasFlag(2)) || (!word.isIgnorable() && sentence.extra().size() <= 3))
            sentence.extra().insert(object);
        else
            setAside.push_back(object);
    }
    if (sentence.extra().size() < 3) {
        for (KnowledgeObject* object : setAside)
            sentence.extra().insert(object);
    }

    bool punctuationOnly = true;
    for (const Morpheme& word : sentence.words().words()) {
        if (!word.hasFlags(Morpheme::FLAG_I) && !isPunctuationOnly(word.surfaceRef())) {
            punctuationOnly = false;
            break;
        }
    }

    sentence.setText(text);
    sentence.setWords(marked);
    sentence.setList2(dropped);
    sentence.setList3(survivors);
    sentence.setMark(punctuationOnly);
    sentence.setFlag2(marked.hasContentWordWithoutU());
    sentence.setFlag0(marked.hasFewContentWords());
    sentence.setFlag1(marked.hasFewRequiredWords());
}

}  // namespace quibo
