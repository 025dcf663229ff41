#include "knowledge/StoredBodies.h"

#include "knowledge/CdrReader.h"
#include "knowledge/CdrWriter.h"
#include "knowledge/KnowledgeFileVersion.h"

#include <string>
#include <vector>

namespace quibo {
namespace {

// Fewest octets an element can take, so a count is checked against the
// octets that remain before anything is allocated for it.
constexpr std::size_t POINTER_OCTETS = 1;
constexpr std::size_t WORD_OCTETS = 38;    // four lengths, five ints, two octets
constexpr std::size_t ENTRY_OCTETS = 14;   // reply entry: pointers, counts, a length
constexpr std::size_t GROUP_OCTETS = 12;   // letter, type, count
constexpr std::size_t STRING_OCTETS = 4;

bool isThesaurusType(std::int32_t type)
{
    return type == knowledge_type::PREDICATIVE_SYNONYMS || type == knowledge_type::PREDICATIVE_ANTONYMS ||
           type == knowledge_type::ENTITY_SYNONYMS || type == knowledge_type::ENTITY_THESAURUS;
}

void requireType(bool agrees, const char* what, std::int32_t type)
{
    if (!agrees)
        throw CdrStreamError(std::string(what) + " carries the type code " + std::to_string(type) +
                             " of another class");
}

// The stored form holds entities where the model may hold other objects.
const Entity* asEntity(const KnowledgeObject* object) { return dynamic_cast<const Entity*>(object); }

// Members of an entity set or centres: entities, and the nulls stated.
template <class Range>
CdrTask writeEntities(const Range& objects, CdrWriter& out)
{
    std::size_t count = 0;
    for (const KnowledgeObject* object : objects)
        count += (!object || asEntity(object)) ? 1 : 0;
    out.writeCount(count);
    for (const KnowledgeObject* object : objects) {
        if (!object || asEntity(object))
            co_await out.object(asEntity(object));
    }
}

template <class T>
CdrTask writePointers(const std::vector<T*>& objects, CdrWriter& out)
{
    out.writeCount(objects.size());
    for (const T* object : objects)
        co_await out.object(object);
}

template <class T>
CdrTask readPointers(std::vector<T*>& objects, CdrReader& in)
{
    const std::uint32_t count = in.readCount(POINTER_OCTETS);
    objects.reserve(objects.size() + count);
    for (std::uint32_t k = count; k > 0; --k) {
        T* object = co_await in.object<T>();
        objects.push_back(object);
    }
}

bool isEntityType(std::int32_t type) { return type == knowledge_type::ENTITY; }
bool isPredicativeType(std::int32_t type) { return type == knowledge_type::PREDICATIVE; }
bool isPlainType(std::int32_t type)
{
    return !isEntityType(type) && !isPredicativeType(type) && !isThesaurusType(type);
}

}  // namespace

// --- Knowledge objects -------------------------------------------------------

CdrTask CdrBody<KnowledgeObject>::writeHead(const KnowledgeObject& object, CdrWriter& out)
{
    out.writeInt32(object.m_typeId);
    co_await out.object(object.m_title);
    out.writeString(object.m_reading);
}

CdrTask CdrBody<KnowledgeObject>::readHead(KnowledgeObject& object, bool (*accepts)(std::int32_t), const char* what,
                                           CdrReader& in)
{
    object.m_typeId = in.readInt32();
    requireType(accepts(object.m_typeId), what, object.m_typeId);
    object.m_title = co_await in.object<ParsedText>();
    in.readString(object.m_reading);
}

CdrTask CdrBody<KnowledgeObject>::write(const KnowledgeObject& object, CdrWriter& out)
{
    co_await writeHead(object, out);
}

CdrTask CdrBody<KnowledgeObject>::read(KnowledgeObject& object, CdrReader& in)
{
    co_await readHead(object, isPlainType, "a plain knowledge object", in);
}

KnowledgeObject* CdrBody<KnowledgeObject>::create(ObjectArena& arena) { return arena.make<KnowledgeObject>(0, nullptr); }

CdrTask CdrBody<Entity>::write(const Entity& entity, CdrWriter& out)
{
    co_await CdrBody<KnowledgeObject>::writeHead(entity, out);
    out.writeInt32(entity.m_flags);
    co_await writePointers(entity.m_thesauri, out);
    for (const EntitySet& set : entity.m_sets)
        co_await writeEntities(set.members(), out);
    co_await writePointers(entity.topics(), out);
}

CdrTask CdrBody<Entity>::read(Entity& entity, CdrReader& in)
{
    co_await CdrBody<KnowledgeObject>::readHead(entity, isEntityType, "an entity", in);
    entity.m_flags = in.readInt32();
    co_await readPointers(entity.m_thesauri, in);
    for (EntitySet& set : entity.m_sets) {
        const std::uint32_t count = in.readCount(POINTER_OCTETS);
        set.reserve(set.size() + count);
        for (std::uint32_t k = count; k > 0; --k) {
            Entity* member = co_await in.object<Entity>();
            set.insert(member);
        }
    }
    co_await readPointers(entity.topics(), in);
}

Entity* CdrBody<Entity>::create(ObjectArena& arena) { return arena.make<Entity>(nullptr, 0); }

CdrTask CdrBody<Predicative>::write(const Predicative& predicative, CdrWriter& out)
{
    co_await CdrBody<KnowledgeObject>::writeHead(predicative, out);
    co_await writePointers(predicative.m_synonyms, out);
    co_await writePointers(predicative.m_antonyms, out);
}

CdrTask CdrBody<Predicative>::read(Predicative& predicative, CdrReader& in)
{
    co_await CdrBody<KnowledgeObject>::readHead(predicative, isPredicativeType, "a predicative", in);
    co_await readPointers(predicative.m_synonyms, in);
    co_await readPointers(predicative.m_antonyms, in);
}

Predicative* CdrBody<Predicative>::create(ObjectArena& arena)
{
    return arena.make<Predicative>(knowledge_type::PREDICATIVE, nullptr);
}

CdrTask CdrBody<Thesaurus>::write(const Thesaurus& thesaurus, CdrWriter& out)
{
    co_await CdrBody<KnowledgeObject>::writeHead(thesaurus, out);
    co_await out.object<KnowledgeObject>(thesaurus.m_representative);
}

CdrTask CdrBody<Thesaurus>::read(Thesaurus& thesaurus, CdrReader& in)
{
    co_await CdrBody<KnowledgeObject>::readHead(thesaurus, isThesaurusType, "a thesaurus", in);
    thesaurus.m_representative = co_await in.object<KnowledgeObject>();
}

Thesaurus* CdrBody<Thesaurus>::create(ObjectArena& arena)
{
    return arena.make<Thesaurus>(knowledge_type::ENTITY_SYNONYMS, nullptr, nullptr);
}

// --- Texts and words -----------------------------------------------------------

CdrTask CdrBody<ParsedText>::write(const ParsedText& text, CdrWriter& out)
{
    out.writeString(text.m_text);
    out.writeString(text.m_inputText);
    co_await CdrBody<MorphemeList>::write(text.m_words, out);
}

CdrTask CdrBody<ParsedText>::read(ParsedText& text, CdrReader& in)
{
    in.readString(text.m_text);
    in.readString(text.m_inputText);
    // The words' body, if they need one, is the text's.
    return CdrBody<MorphemeList>::read(text.m_words, in);
}

ParsedText* CdrBody<ParsedText>::create(ObjectArena& arena)
{
    return arena.make<ParsedText>(std::string(), MorphemeList(), std::string());
}

CdrTask CdrBody<MorphemeList>::write(const MorphemeList& words, CdrWriter& out)
{
    const bool withObjects = isCurrentKnowledgeVersion();
    out.writeCount(words.words().size());
    for (const Morpheme& word : words.words()) {
        out.writeString(word.surfaceRef());
        out.writeString(word.keyFormRef());
        out.writeString(word.baseFormRef());
        out.writeInt32(static_cast<std::int32_t>(word.getPosCode()));
        out.writeInt32(static_cast<std::int32_t>(word.getOriginalPosCode()));
        out.writeInt32(word.getConjugation());
        out.writeString(word.readingRef());
        if (withObjects)
            co_await out.link<Entity, KnowledgeObject>(word.getKnowledgeObject());
        out.writeInt32(static_cast<std::int32_t>(word.getFlags()));
        out.writeInt32(static_cast<std::int32_t>(word.getAttributeWord()));
        out.writeOctet(word.getO());
        out.writeOctet(word.getM());
    }
}

void CdrBody<MorphemeList>::readHead(Morpheme& word, CdrReader& in)
{
    // Straight into the fields: a word is the record a file holds most of.
    word.m_surface = in.readStringView();
    word.m_keyForm = in.readStringView();
    word.m_baseForm = in.readStringView();
    word.m_posCode = static_cast<PosCode>(in.readInt32());
    word.m_originalPosCode = static_cast<PosCode>(in.readInt32());
    word.m_conjugation = in.readInt32();
    word.m_reading = in.readStringView();
}

void CdrBody<MorphemeList>::readTail(Morpheme& word, CdrReader& in)
{
    word.m_flags = static_cast<std::uint32_t>(in.readInt32());
    word.m_attributes = static_cast<std::uint32_t>(in.readInt32());
    word.m_o = in.readOctet();
    word.m_m = in.readOctet();
}

namespace {

// A word bound to an object carried before, or to a number carried later.
void bindWord(Morpheme& word, const CdrLink<KnowledgeObject>& bound, CdrReader& in)
{
    word.setKnowledgeObject(bound.object);
    if (bound.later != 0)
        in.settleLater<KnowledgeObject>(bound.later, [&word](KnowledgeObject* object) {
            word.setKnowledgeObject(object);
        });
}

}  // namespace

CdrTask CdrBody<MorphemeList>::read(MorphemeList& words, CdrReader& in)
{
    const bool withObjects = isCurrentKnowledgeVersion();
    std::vector<Morpheme>& list = words.words();
    list.clear();
    const std::uint32_t count = in.readCount(WORD_OCTETS);
    // Settling a link later needs the word where it stays.
    list.reserve(count);
    for (std::uint32_t k = 0; k < count; ++k) {
        Morpheme& word = list.emplace_back();
        readHead(word, in);
        if (withObjects) {
            CdrAwaitResult<CdrLink<KnowledgeObject>> bound = in.link<Entity, KnowledgeObject>();
            if (bound.next)
                return readRest(words, in, k, count, bound.result.object, std::move(bound.next));
            bindWord(word, bound.result, in);
        }
        readTail(word, in);
    }
    return {};
}

CdrTask CdrBody<MorphemeList>::readRest(MorphemeList& words, CdrReader& in, std::uint32_t at, std::uint32_t count,
                                        KnowledgeObject* bound, CdrTask boundBody)
{
    std::vector<Morpheme>& list = words.words();
    co_await std::move(boundBody);
    list[at].setKnowledgeObject(bound);
    readTail(list[at], in);
    for (std::uint32_t k = at + 1; k < count; ++k) {
        Morpheme& word = list.emplace_back();
        readHead(word, in);
        const CdrLink<KnowledgeObject> link = co_await in.link<Entity, KnowledgeObject>();
        bindWord(word, link, in);
        readTail(word, in);
    }
}

// --- Topics and titles -------------------------------------------------------------

CdrTask CdrBody<Topic>::write(const Topic& topic, CdrWriter& out)
{
    co_await writePointers(topic.titles().titles(), out);
    out.writeInt32(topic.getReplyKinds());
    co_await out.object(topic.getReplyTable());
}

CdrTask CdrBody<Topic>::read(Topic& topic, CdrReader& in)
{
    co_await readPointers(topic.titles().titles(), in);
    topic.setReplyKinds(in.readInt32());
    ReplyTable* table = co_await in.object<ReplyTable>();
    topic.setReplyTable(table);
}

CdrTask CdrBody<TopicTitle>::write(const TopicTitle& title, CdrWriter& out)
{
    out.writeInt32(title.m_type);
    for (const MorphemeList* words :
         {&title.m_words, &title.m_xWords, &title.m_yWords, &title.m_aWords, &title.m_sWords, &title.m_oWords})
        co_await CdrBody<MorphemeList>::write(*words, out);
    out.writeOctet(title.m_reserved);
    out.writeOctet(title.m_polarity[0]);
    out.writeOctet(title.m_polarity[1]);
    out.writeOctet(title.m_polarity[2]);
    out.writeInt32(title.m_dcaBits);
    out.writeString(title.m_sourceText);
    out.writeInt32(title.m_derivation);
    out.writeInt32(title.m_flags);
    co_await out.object(title.m_owner);
    if (isCurrentKnowledgeVersion())
        co_await writeEntities(title.m_centres, out);
    else
        out.writeSequence(title.centreIndex(), [](const std::string& key, CdrWriter& w) { w.writeString(key); });
    out.writeString(title.m_auxText);
    out.writeInt32(title.m_priority);
    out.writeBool(title.m_marked);
}

CdrTask CdrBody<TopicTitle>::read(TopicTitle& title, CdrReader& in)
{
    title.m_type = in.readInt32();
    for (MorphemeList* words :
         {&title.m_words, &title.m_xWords, &title.m_yWords, &title.m_aWords, &title.m_sWords, &title.m_oWords})
        co_await CdrBody<MorphemeList>::read(*words, in);
    title.m_reserved = in.readOctet();
    title.m_polarity[0] = in.readOctet();
    title.m_polarity[1] = in.readOctet();
    title.m_polarity[2] = in.readOctet();
    title.m_dcaBits = in.readInt32();
    in.readString(title.m_sourceText);
    title.m_derivation = in.readInt32();
    title.m_flags = in.readInt32();
    title.m_owner = co_await in.object<Topic>();
    if (isCurrentKnowledgeVersion()) {
        // The centres as stored; their title texts form the index, which is
        // derived from them when it is needed, not built for every title.
        const std::uint32_t count = in.readCount(POINTER_OCTETS);
        title.m_centres.reserve(title.m_centres.size() + count);
        for (std::uint32_t k = count; k > 0; --k) {
            Entity* centre = co_await in.object<Entity>();
            title.m_centres.push_back(centre);
            if (centre)
                title.m_centreSetsFilled = false;
        }
    } else {
        in.readSequence([&](CdrReader& r) { title.m_centreIndex.insert(r.readString()); }, STRING_OCTETS);
    }
    in.readString(title.m_auxText);
    title.m_priority = in.readInt32();
    title.m_marked = in.readBool();
}

TopicTitle* CdrBody<TopicTitle>::create(ObjectArena& arena) { return arena.make<TopicTitle>(nullptr, nullptr); }

// --- Reply tables ---------------------------------------------------------------------

CdrTask CdrBody<ReplyTable>::write(const ReplyTable& table, CdrWriter& out)
{
    out.writeCount(table.groups().size());
    for (const ReplyTable::Groups::value_type& entry : table.groups()) {
        out.writeInt32(entry.first);
        co_await CdrBody<ReplyEntryGroup>::write(entry.second, out);
    }
}

CdrTask CdrBody<ReplyTable>::read(ReplyTable& table, CdrReader& in)
{
    for (std::uint32_t k = in.readCount(GROUP_OCTETS); k > 0; --k) {
        const std::int32_t letter = in.readInt32();
        // Read where it stays (a map's entries never move); a letter met
        // again keeps the group read first.
        auto [at, inserted] = table.groups().try_emplace(letter);
        if (inserted) {
            co_await CdrBody<ReplyEntryGroup>::read(at->second, in);
        } else {
            ReplyEntryGroup ignored;
            co_await CdrBody<ReplyEntryGroup>::read(ignored, in);
        }
    }
}

CdrTask CdrBody<ReplyEntryGroup>::write(const ReplyEntryGroup& group, CdrWriter& out)
{
    out.writeInt32(group.getTypeId());
    out.writeCount(group.entries().size());
    for (const ReplyEntry& entry : group.entries())
        co_await CdrBody<ReplyEntry>::write(entry, out);
}

CdrTask CdrBody<ReplyEntryGroup>::read(ReplyEntryGroup& group, CdrReader& in)
{
    group.setTypeId(in.readInt32());
    const std::uint32_t count = in.readCount(ENTRY_OCTETS);
    // Entries are read where they stay: the room is made first, so none
    // moves while a later one is read.
    group.entries().reserve(group.entries().size() + count);
    for (std::uint32_t k = count; k > 0; --k)
        co_await CdrBody<ReplyEntry>::read(group.entries().emplace_back(), in);
}

CdrTask CdrBody<ReplyEntry>::write(const ReplyEntry& entry, CdrWriter& out)
{
    out.writeObject(entry.label());
    out.writeCount(entry.names().size());
    for (const std::string* name : entry.names())
        out.writeObject(name);
    co_await writePointers(entry.titleRefs(), out);
    co_await out.object(entry.titleRef());
    out.writeString(entry.text());
}

CdrTask CdrBody<ReplyEntry>::read(ReplyEntry& entry, CdrReader& in)
{
    entry.setLabel(in.readObject<std::string>());
    in.readSequence([&](CdrReader& r) { entry.names().insert(r.readObject<std::string>()); }, POINTER_OCTETS);
    co_await readPointers(entry.titleRefs(), in);
    TopicTitle* title = co_await in.object<TopicTitle>();
    entry.setTitleRef(title);
    in.readString(entry.m_text);
}

void CdrBody<std::string>::write(const std::string& text, CdrWriter& out) { out.writeString(text); }

void CdrBody<std::string>::read(std::string& text, CdrReader& in) { in.readString(text); }

}  // namespace quibo
