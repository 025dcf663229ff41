// One loaded knowledge base: every knowledge object, parsed text, topic,
// topic title, reply table and pooled reply string of one knowledge file, its
// name maps and term indexes, the four entity sets of the entity flag bits
// and the identity of the file it came from.
//
// Ownership: the dictionary's arena owns every object, whether a load or a
// builder made it; the maps, sets and the objects' own links only borrow.
// One object may stand under several keys, or a title in several topics,
// and is still destroyed exactly once.
#pragma once

#include "analysis/MorphemeList.h"
#include "analysis/PhraseRecord.h"
#include "analysis/SenseRecord.h"
#include "knowledge/AnalyzedSentence.h"
#include "knowledge/EntitySet.h"
#include "knowledge/InsertionOrderedSet.h"
#include "knowledge/ObjectArena.h"

#include <cstdint>
#include <fstream>
#include <functional>
#include <istream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace quibo {

class CdrReader;
class CdrWriter;
class Entity;
class KnowledgeObject;
class ParsedText;
class Predicative;
class ReplyTable;
class Thesaurus;
class Topic;
class TopicTitle;

// What a knowledge file may hold: its payload (the stream after the header)
// and the objects the stream carries.  New objects nest inside the first
// body that points to them, so nesting follows chains of entities through
// titles and grows with the base; it costs no machine stack (CdrTask.h) and
// is not bounded.  The two bounds below keep what a file can make the host
// allocate in proportion to what real bases need: a generated, connected
// base of 100,000 topics (bench/knowledge_load_main.cpp) has a payload of
// 391 MB and carries 1.1 million objects, and needs about 3 GB to be loaded
// and saved; the bounds admit a base between two and four times that size.
// The saver writes nothing that the loader would refuse.
inline constexpr std::size_t KNOWLEDGE_PAYLOAD_LIMIT = std::size_t{1} << 30;
inline constexpr std::int32_t KNOWLEDGE_FILE_MAX_OBJECTS = 1 << 22;

// What term recognition made of one word of a merged word list: the source
// words it covers and the objects registered under its text.  Words outside
// any recognised term have all fields zero or empty.
struct TermSpan {
    std::int32_t start = 0;
    std::int32_t end = 0;  // one past the last source word
    std::vector<KnowledgeObject*> objects;  // in term-index order
    std::int32_t objectCount = 0;
    KnowledgeObject* entity = nullptr;       // the last entity among them
    KnowledgeObject* predicative = nullptr;  // the last predicative among them
};

// Word sequences compared word by word on key form, surface, POS code,
// conjugation and attribute word: the key of the noted word lists.
struct WordSequenceLess {
    bool operator()(const std::vector<Morpheme>& a, const std::vector<Morpheme>& b) const;
};

// At most this many variants and sentences per word list, and one fewer
// sentences per text.
inline constexpr std::size_t CANDIDATE_LIMIT = 30;

// The cache key of a knowledge file: path, one TAB, modification-time text.
std::string makeDictionaryKey(const std::string& path, const std::string& mtimeText);

class CDictionary {
public:
    using EntityMap = std::multimap<std::string, Entity*>;
    using PredicativeMap = std::multimap<std::string, Predicative*>;
    using ThesaurusMap = std::multimap<std::string, Thesaurus*>;
    using ParsedTextMap = std::map<std::string, ParsedText*>;
    using ReplyTableSet = InsertionOrderedSet<ReplyTable>;
    using TopicMap = std::map<std::string, Topic*>;
    using IdMap = std::multimap<std::string, TopicTitle*>;
    using TermIndex = std::multimap<std::string, KnowledgeObject*>;

    // Every container empty; the conjugation indexes hold the name tables.
    CDictionary();
    CDictionary(const CDictionary&) = delete;
    CDictionary& operator=(const CDictionary&) = delete;
    // Destroys every object the dictionary owns.
    virtual ~CDictionary();

    // Loads a knowledge file from a binary stream on it: 0, or -1 when the
    // file is shorter than its header, larger than the reader's limit,
    // cannot be read whole or holds a stream that breaks the format (the
    // reason goes to standard error after "CDictionary::internalizePData (): ").
    // A failed load leaves the dictionary empty.  On success the path and
    // modification-time text form the cache key.
    virtual int internalizePData(std::istream& in, const std::string& path, const std::string& mtimeText);
    // The entity restore of files of an older version: topic titles regain
    // their centres from their centre index.
    virtual void restoreEntities();
    // Writes the stream (not the 20-octet header, which the caller writes
    // first) under the version text's first 10 octets and closes the file.
    // Throws when the stream cannot be encoded (CdrStreamError, the
    // encoding block's overflow, std::bad_alloc) or the file reports an
    // error after writing and closing (std::runtime_error).
    virtual void externalize(std::ofstream& out, std::string_view versionText) const;

    // The analysed text cached under the text, analysed and stored on first
    // use; null for a text of blanks only.
    virtual ParsedText* getParsedText(const std::string& text);
    // The pooled copy of the text, added on first use; the address stays
    // valid for the dictionary's lifetime.
    virtual const std::string* internString(const std::string& text);
    // The thesaurus of that title, type and representative, created on first
    // use.
    virtual Thesaurus* findThesaurus(ParsedText* title, int typeId, KnowledgeObject* representative);
    // The same on the text pool; a text pooled for the first time also adds
    // the host of every address in it ("://" up to "/", "," or " ") to
    // hostNames.
    virtual const std::string* internText(const std::string& text);
    // Entity set of a flag bit: 1, 2, 4; any other value gives the set of 8.
    virtual EntitySet* getEntitySet(int bit);
    virtual Entity* findEntity(const std::string& text, bool normalise);
    // Ownership passes to the dictionary; an existing entry under the same
    // name is kept, the new object is stored after it.  The stored object is
    // returned.
    virtual Entity* addEntity(const std::string& name, std::unique_ptr<Entity> entity);
    virtual Predicative* addPredicative(const std::string& name,
                                        std::unique_ptr<Predicative> predicative);
    virtual Thesaurus* addThesaurus(const std::string& title, std::unique_ptr<Thesaurus> thesaurus);
    // The entities in key order, then every thesaurus, on the console.
    virtual void dump(const std::string& prefix) const;

    // --- After loading, and per utterance ------------------------------------
    // Puts every entity into the entity set of each of its flag bits 1, 2, 4
    // and 8.  Run once after a successful load.
    virtual void classifyEntities();
    // Recognises registered knowledge terms in the words, longest first, and
    // merges each into one word bound to its preferred object.  `spans`
    // receives one span per word of the result.
    virtual MorphemeList mergeTerms(const MorphemeList& words, std::vector<TermSpan>& spans);
    // One sentence per variant of the words (a term standing for several
    // objects gives one variant per object), at most 30.  Mode 1 also
    // expands each variant into its phrase-structure readings.
    virtual AnalyzedSentenceList buildCandidates(const std::string& text, const MorphemeList& words, int mode);
    // Analyses the text and runs semanticIndex on its one word list.
    virtual AnalyzedSentenceList analyseText(const std::string& text, const std::vector<int>& context, int mode);
    // The ranked candidate sentences of an utterance: judged, extended
    // through the synonym groups, expanded into number synonyms and term
    // variants, at most 29, de-duplicated, completed and sorted by ordering
    // value.  `context` goes to every meaning judgement.
    AnalyzedSentenceList semanticIndex(const std::string& text, const std::vector<MorphemeList>& sentences,
                                       const std::vector<int>& context, int mode);
    // Where the judged sentence of a visitor's words starts: after the last
    // blank that stands between two sentences (the words before it end one
    // and the word after it can open one); 0 when there is none.  A blank
    // inside a sentence, as around a Latin name, is part of it.
    static std::size_t judgedFrom(const MorphemeList& sentence);
    // The words judged as semanticIndex judges a sentence (mode 1: whole;
    // otherwise from judgedFrom): the words before the judged ones as they
    // are, then the judged ones with the judgement's rewriting and head
    // classes.  Without a language analyser the words come back unjudged.
    static MorphemeList judgeSentence(const MorphemeList& sentence, const std::vector<int>& context, int mode,
                                      MeanEntry& judgement);
    // Among the objects registered under one text, the first of the
    // highest kind present: entity, entity thesaurus, predicative,
    // predicative thesaurus.  Null when none is of these kinds.
    static KnowledgeObject* pickPreferred(const std::vector<KnowledgeObject*>& objects);

    // With the flag set, a term that stands for an entity (a predicative)
    // as well as its thesauri yields no variants for those thesauri.
    void setExpansionFlag(bool on) { m_expansionFlag = on; }
    bool expansionFlag() const { return m_expansionFlag; }
    // The phrase-structure readings of a word list, which mode 1 of
    // buildCandidates asks for: the list itself first, then the lists its
    // known multi-word expressions give (phraseStructureReadings).  Tests
    // install another reader here; an empty one restores the default.
    using PhraseStructureBuilder = std::function<std::vector<MorphemeList>(const MorphemeList&)>;
    void setPhraseStructureBuilder(PhraseStructureBuilder builder) { m_phraseStructureBuilder = std::move(builder); }
    // The phrases built so far for runs of words, under the run's forms.
    PhraseCache& phraseCache() { return m_phraseCache; }

    // --- Synonym groups grown at run time ------------------------------------
    // Registers the object under its own title as a term (once).
    void registerTerm(KnowledgeObject* object);
    // For every word the knowledge base does not know yet, the synonym and
    // antonym groups that tie it to known entities, registered as terms.
    virtual void extendWordThesauri(const MorphemeList& words);

    EntitySet* getEntitySet1() { return getEntitySet(1); }
    EntitySet* getEntitySet2() { return getEntitySet(2); }
    EntitySet* getEntitySet4() { return getEntitySet(4); }
    EntitySet* getEntitySet8() { return getEntitySet(8); }

    // The first entity or predicative stored under the text; with normalise
    // the text is first replaced by its analysed form.
    Entity* findByName(const std::string& text, bool normalise);
    Predicative* findPredicative(const std::string& text, bool normalise);

    // Resolves an id of the dialogue layer against the topic-title name map
    // (see the definition for the four id forms).  Appends to `titles`;
    // names or picks that do not exist append nothing.
    void resolveId(const std::string& id, TopicTitle*& object, int& index, std::vector<TopicTitle*>& titles) const;

    std::string getCacheKey() const { return makeDictionaryKey(m_path, m_mtimeText); }
    const std::string& path() const { return m_path; }
    const std::string& mtimeText() const { return m_mtimeText; }

    // --- Operations only a knowledge-base builder needs ----------------------
    // The dictionary owns what these take; each returns the stored object.
    // A topic under a name already present is still owned but not listed.
    Topic* addTopic(const std::string& name, std::unique_ptr<Topic> topic);
    ReplyTable* addReplyTable(std::unique_ptr<ReplyTable> table);
    TopicTitle* adoptTitle(std::unique_ptr<TopicTitle> title);
    // Lists a title under an id name (the map resolveId serves).
    void addIdTitle(const std::string& name, TopicTitle* title);
    // Registers an object under a term text and keeps the first-character
    // set and the longest length covering it; an empty text is ignored.
    void addTerm(const std::string& text, KnowledgeObject* object);
    // The same for the second term index, which the file carries for the
    // dialogue layer.
    void addSecondTerm(const std::string& text, KnowledgeObject* object);
    // Caches an analysis made elsewhere under the text (as getParsedText
    // does with the analyser's); the entry already cached is kept and
    // returned.  Null for a text of blanks only.
    ParsedText* putParsedText(const std::string& text, MorphemeList words, std::string analysedText);

    // --- The stream -------------------------------------------------------------
    // The payload members in stream order, from the byte-order octet on.
    // The reader's arena must be this dictionary's (see arena()).
    void readPayload(CdrReader& in);
    // The writer must be empty: a stream whose words name objects it never
    // carries is written twice.
    void writePayload(CdrWriter& out) const;
    ObjectArena& arena() { return m_arena; }

    // --- Read access ----------------------------------------------------------------
    const EntityMap& entities() const { return m_entities; }
    const PredicativeMap& predicatives() const { return m_predicatives; }
    const ThesaurusMap& thesauri() const { return m_thesauri; }
    const ParsedTextMap& parsedTexts() const { return m_parsedTexts; }
    const ReplyTableSet& replyTables() const { return m_replyTables; }
    const TopicMap& topics() const { return m_topics; }
    const IdMap& idMap() const { return m_idMap; }
    const TermIndex& termIndex() const { return m_termIndex; }
    const std::set<std::string>& termFirstChars() const { return m_termFirstChars; }
    std::int32_t termMaxLength() const { return m_termMaxLength; }
    const TermIndex& secondTermIndex() const { return m_secondTermIndex; }
    const std::set<std::string>& secondTermFirstChars() const { return m_secondTermFirstChars; }
    std::int32_t secondTermMaxLength() const { return m_secondTermMaxLength; }
    const std::set<std::string>& stringPool() const { return m_stringPool; }
    const std::set<std::string>& textPool() const { return m_textPool; }
    const std::set<std::string>& hostNames() const { return m_hostNames; }
    const std::map<std::string, int>& conjugationTypeIndex() const { return m_conjugationTypeIndex; }
    const std::map<std::string, int>& conjugationFormIndex() const { return m_conjugationFormIndex; }
    const std::set<std::vector<Morpheme>, WordSequenceLess>& notedWordLists() const { return m_notedWordLists; }

    // --- Topic titles ----------------------------------------------------------
    // Gives every topic title its centres and main centre, once each: titles
    // of the entities' topics (entities in key order, the entity preferred as
    // main centre), then the titles of topics no entity lists.  Titles that
    // find no centre fall back on the "補完談話" entity.  Run by a builder
    // of a knowledge base once its topics are complete; a loaded file carries
    // the centres it was saved with.
    void collectTitleCentres();
    // What its titles say, by which it tells its topics apart: one word for
    // each key form that a title of its topics uses, in the order first
    // met, and the source texts of those titles and the texts of its terms,
    // each after a line end (where a word inside a compound the analyser
    // keeps whole, メッセージ of メッセージカード, is still found).  Gathered
    // on the first call, and again when its titles have changed in number.
    struct TitleVocabulary {
        MorphemeList words;
        std::string texts;
    };
    const TitleVocabulary& titleVocabulary() const;
    // The unrecognised words already reported to a visitor, each its key
    // form, ":" and its POS name.  Only grows.
    std::set<std::string>& reportedWords() { return m_reportedWords; }

private:
    void writeMembers(CdrWriter& out) const;
    // Particles and three suffixes that only lean on what precedes them
    // start no term (and no synonym-group extension) after the first word.
    static bool cannotStartTerm(const Morpheme& word, std::size_t index);
    // Registers the pair unless the term index already holds it.
    void addTermOnce(const std::string& text, KnowledgeObject* object);
    void completeCandidate(AnalyzedSentence& sentence, const std::string& text) const;

    std::string normalised(const std::string& text) const;
    // Empties every stored member and destroys every owned object.
    void clearContents();

    // Declared first: it outlives every container that borrows from it.
    ObjectArena m_arena;
    EntityMap m_entities;
    PredicativeMap m_predicatives;
    ThesaurusMap m_thesauri;
    ParsedTextMap m_parsedTexts;
    ReplyTableSet m_replyTables;
    TopicMap m_topics;
    std::set<std::string> m_stringPool;
    std::set<std::string> m_textPool;
    IdMap m_idMap;
    TermIndex m_termIndex;
    std::set<std::string> m_termFirstChars;
    std::int32_t m_termMaxLength = 0;
    TermIndex m_secondTermIndex;
    std::set<std::string> m_secondTermFirstChars;
    std::int32_t m_secondTermMaxLength = 0;
    std::map<std::string, int> m_conjugationTypeIndex;
    std::map<std::string, int> m_conjugationFormIndex;
    std::set<std::string> m_hostNames;
    EntitySet m_entitySet1;
    EntitySet m_entitySet2;
    EntitySet m_entitySet4;
    EntitySet m_entitySet8;
    std::string m_path;
    std::string m_mtimeText;
    std::set<std::vector<Morpheme>, WordSequenceLess> m_notedWordLists;
    bool m_expansionFlag = false;
    PhraseStructureBuilder m_phraseStructureBuilder;
    PhraseCache m_phraseCache;
    std::set<std::string> m_reportedWords;
    // titleVocabulary and the number of titles it was gathered from.
    mutable TitleVocabulary m_titleVocabulary;
    mutable std::size_t m_titleVocabularyFrom = 0;
};

// The word lists mode 1 of buildCandidates reads a sentence as: the sentence
// itself, then every list its phrase structure gives, then, until nothing new
// comes out, the lists that the structures of those lists give around the
// expressions found before.  At most `limit` lists, in that order; the first
// `limit` are the same whatever the limit.
std::vector<MorphemeList> phraseStructureReadings(const MorphemeList& sentence, CDictionary& dictionary,
                                                  std::size_t limit);

// The relations of a word in the semantic network: by key form, then by
// surface; a katakana word without relations is retried through its
// hiragana reading, and the records then name the word's key form as the
// word asked about.
std::vector<SenseRecord> relatedWords(const Morpheme& word);

// Finds or creates (flag 0x20, announced on the console, registered as a
// term unless `keepOut`) the entities the word's N relations name, relates
// them, and returns the entity the word stands for, or null.  `text`
// receives the name the word was extended to, `fromSynonym` whether the
// result came from a synonym.
Entity* extendEntity(const std::string& word, const std::vector<SenseRecord>& relations,
                     CDictionary& dictionary, bool keepOut, std::string& text, bool& fromSynonym);

}  // namespace quibo
