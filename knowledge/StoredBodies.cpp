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

template <class Range>
std::size_t countStorable(const Range& objects)
{
    std::size_t count = 0;
    for (const KnowledgeObject* object : objects)
        count += (!object || asEntity(object)) ? 1 : 0;
    return count;
}

template <class Range>
void writeEntities(const Range& objects, CdrWriter& out)
{
    out.writeCount(countStorable(objects));
    for (const KnowledgeObject* object : objects) {
        if (!object)
            out.writeObject<Entity>(nullptr);
        else if (const Entity* entity = asEntity(object))
            out.writeObject(entity);
    }
}

template <class T>
void writePointers(const std::vector<T*>& objects, CdrWriter& out)
{
    out.writeSequence(objects, [](const T* object, CdrWriter& w) { w.writeObject(object); });
}

template <class T>
void readPointers(std::vector<T*>& objects, CdrReader& in)
{
    in.readSequence([&](CdrReader& r) { objects.push_back(r.readObject<T>()); }, POINTER_OCTETS);
}

// The fields every knowledge object starts with.
void writeHead(std::int32_t type, const ParsedText* title, const std::string& reading, CdrWriter& out)
{
    out.writeInt32(type);
    out.writeObject(title);
    out.writeString(reading);
}

}  // namespace

// --- Knowledge objects -------------------------------------------------------

void CdrBody<KnowledgeObject>::write(const KnowledgeObject& object, CdrWriter& out)
{
    writeHead(object.m_typeId, object.m_title, object.m_reading, out);
}

void CdrBody<KnowledgeObject>::read(KnowledgeObject& object, CdrReader& in)
{
    object.m_typeId = in.readInt32();
    requireType(object.m_typeId != knowledge_type::ENTITY && object.m_typeId != knowledge_type::PREDICATIVE &&
                    !isThesaurusType(object.m_typeId),
                "a plain knowledge object", object.m_typeId);
    object.m_title = in.readObject<ParsedText>();
    object.m_reading = in.readString();
}

std::unique_ptr<KnowledgeObject> CdrBody<KnowledgeObject>::create()
{
    return std::make_unique<KnowledgeObject>(0, nullptr);
}

void CdrBody<Entity>::write(const Entity& entity, CdrWriter& out)
{
    writeHead(entity.m_typeId, entity.m_title, entity.m_reading, out);
    out.writeInt32(entity.m_flags);
    writePointers(entity.m_thesauri, out);
    for (const EntitySet& set : entity.m_sets)
        writeEntities(set.members(), out);
    writePointers(entity.topics(), out);
}

void CdrBody<Entity>::read(Entity& entity, CdrReader& in)
{
    entity.m_typeId = in.readInt32();
    requireType(entity.m_typeId == knowledge_type::ENTITY, "an entity", entity.m_typeId);
    entity.m_title = in.readObject<ParsedText>();
    entity.m_reading = in.readString();
    entity.m_flags = in.readInt32();
    readPointers(entity.m_thesauri, in);
    for (EntitySet& set : entity.m_sets)
        in.readSequence([&](CdrReader& r) { set.insert(r.readObject<Entity>()); }, POINTER_OCTETS);
    readPointers(entity.topics(), in);
}

std::unique_ptr<Entity> CdrBody<Entity>::create() { return std::make_unique<Entity>(nullptr, 0); }

void CdrBody<Predicative>::write(const Predicative& predicative, CdrWriter& out)
{
    writeHead(predicative.m_typeId, predicative.m_title, predicative.m_reading, out);
    writePointers(predicative.m_synonyms, out);
    writePointers(predicative.m_antonyms, out);
}

void CdrBody<Predicative>::read(Predicative& predicative, CdrReader& in)
{
    predicative.m_typeId = in.readInt32();
    requireType(predicative.m_typeId == knowledge_type::PREDICATIVE, "a predicative", predicative.m_typeId);
    predicative.m_title = in.readObject<ParsedText>();
    predicative.m_reading = in.readString();
    readPointers(predicative.m_synonyms, in);
    readPointers(predicative.m_antonyms, in);
}

std::unique_ptr<Predicative> CdrBody<Predicative>::create()
{
    return std::make_unique<Predicative>(knowledge_type::PREDICATIVE, nullptr);
}

void CdrBody<Thesaurus>::write(const Thesaurus& thesaurus, CdrWriter& out)
{
    writeHead(thesaurus.m_typeId, thesaurus.m_title, thesaurus.m_reading, out);
    out.writeObject<KnowledgeObject>(thesaurus.m_representative);
}

void CdrBody<Thesaurus>::read(Thesaurus& thesaurus, CdrReader& in)
{
    thesaurus.m_typeId = in.readInt32();
    requireType(isThesaurusType(thesaurus.m_typeId), "a thesaurus", thesaurus.m_typeId);
    thesaurus.m_title = in.readObject<ParsedText>();
    thesaurus.m_reading = in.readString();
    thesaurus.m_representative = in.readObject<KnowledgeObject>();
}

std::unique_ptr<Thesaurus> CdrBody<Thesaurus>::create()
{
    return std::make_unique<Thesaurus>(knowledge_type::ENTITY_SYNONYMS, nullptr, nullptr);
}

// --- Texts and words -----------------------------------------------------------

void CdrBody<ParsedText>::write(const ParsedText& text, CdrWriter& out)
{
    out.writeString(text.m_text);
    out.writeString(text.m_inputText);
    CdrBody<MorphemeList>::write(text.m_words, out);
}

void CdrBody<ParsedText>::read(ParsedText& text, CdrReader& in)
{
    text.m_text = in.readString();
    text.m_inputText = in.readString();
    CdrBody<MorphemeList>::read(text.m_words, in);
}

std::unique_ptr<ParsedText> CdrBody<ParsedText>::create()
{
    return std::make_unique<ParsedText>(std::string(), MorphemeList(), std::string());
}

void CdrBody<Morpheme>::write(const Morpheme& word, CdrWriter& out)
{
    out.writeString(word.surfaceRef());
    out.writeString(word.keyFormRef());
    out.writeString(word.baseFormRef());
    out.writeInt32(static_cast<std::int32_t>(word.getPosCode()));
    out.writeInt32(static_cast<std::int32_t>(word.getOriginalPosCode()));
    out.writeInt32(word.getConjugation());
    out.writeString(word.readingRef());
    if (isCurrentKnowledgeVersion())
        out.writeObject(asEntity(word.getKnowledgeObject()));
    out.writeInt32(static_cast<std::int32_t>(word.getFlags()));
    out.writeInt32(static_cast<std::int32_t>(word.getAttributeWord()));
    out.writeOctet(word.getO());
    out.writeOctet(word.getM());
}

void CdrBody<Morpheme>::read(Morpheme& word, CdrReader& in)
{
    word.setSurface(in.readString());
    word.setKeyForm(in.readString());
    word.setBaseForm(in.readString());
    word.setPosCode(static_cast<PosCode>(in.readInt32()));
    word.setOriginalPosCode(static_cast<PosCode>(in.readInt32()));
    word.setConjugation(in.readInt32());
    word.setReading(in.readString());
    if (isCurrentKnowledgeVersion())
        word.setKnowledgeObject(in.readObject<Entity>());
    word.setFlags(static_cast<std::uint32_t>(in.readInt32()));
    word.setAttributeWord(static_cast<std::uint32_t>(in.readInt32()));
    word.setO(in.readOctet());
    word.setM(in.readOctet());
}

void CdrBody<MorphemeList>::write(const MorphemeList& words, CdrWriter& out)
{
    out.writeSequence(words.words(), [](const Morpheme& word, CdrWriter& w) { CdrBody<Morpheme>::write(word, w); });
}

void CdrBody<MorphemeList>::read(MorphemeList& words, CdrReader& in)
{
    std::vector<Morpheme>& list = words.words();
    list.clear();
    in.readSequence(
        [&](CdrReader& r) {
            Morpheme word;
            CdrBody<Morpheme>::read(word, r);
            list.push_back(std::move(word));
        },
        WORD_OCTETS);
}

// --- Topics and titles -------------------------------------------------------------

void CdrBody<Topic>::write(const Topic& topic, CdrWriter& out)
{
    writePointers(topic.titles().titles(), out);
    out.writeInt32(topic.getReplyKinds());
    out.writeObject(topic.getReplyTable());
}

void CdrBody<Topic>::read(Topic& topic, CdrReader& in)
{
    readPointers(topic.titles().titles(), in);
    topic.setReplyKinds(in.readInt32());
    topic.setReplyTable(in.readObject<ReplyTable>());
}

void CdrBody<TopicTitle>::write(const TopicTitle& title, CdrWriter& out)
{
    out.writeInt32(title.m_type);
    for (const MorphemeList* words :
         {&title.m_words, &title.m_xWords, &title.m_yWords, &title.m_aWords, &title.m_sWords, &title.m_oWords})
        CdrBody<MorphemeList>::write(*words, out);
    out.writeOctet(title.m_reserved);
    out.writeOctet(title.m_polarity[0]);
    out.writeOctet(title.m_polarity[1]);
    out.writeOctet(title.m_polarity[2]);
    out.writeInt32(title.m_dcaBits);
    out.writeString(title.m_sourceText);
    out.writeInt32(title.m_derivation);
    out.writeInt32(title.m_flags);
    out.writeObject(title.m_owner);
    if (isCurrentKnowledgeVersion())
        writeEntities(title.m_centres, out);
    else
        out.writeSequence(title.m_centreIndex, [](const std::string& key, CdrWriter& w) { w.writeString(key); });
    out.writeString(title.m_auxText);
    out.writeInt32(title.m_priority);
    out.writeBool(title.m_marked);
}

void CdrBody<TopicTitle>::read(TopicTitle& title, CdrReader& in)
{
    title.m_type = in.readInt32();
    for (MorphemeList* words :
         {&title.m_words, &title.m_xWords, &title.m_yWords, &title.m_aWords, &title.m_sWords, &title.m_oWords})
        CdrBody<MorphemeList>::read(*words, in);
    title.m_reserved = in.readOctet();
    title.m_polarity[0] = in.readOctet();
    title.m_polarity[1] = in.readOctet();
    title.m_polarity[2] = in.readOctet();
    title.m_dcaBits = in.readInt32();
    title.m_sourceText = in.readString();
    title.m_derivation = in.readInt32();
    title.m_flags = in.readInt32();
    title.m_owner = in.readObject<Topic>();
    if (isCurrentKnowledgeVersion()) {
        // The centres as stored; their title texts form the index.
        in.readSequence(
            [&](CdrReader& r) {
                Entity* centre = r.readObject<Entity>();
                title.m_centres.push_back(centre);
                if (centre)
                    title.m_centreIndex.insert(centre->getTitleText());
            },
            POINTER_OCTETS);
    } else {
        in.readSequence([&](CdrReader& r) { title.m_centreIndex.insert(r.readString()); }, STRING_OCTETS);
    }
    title.m_auxText = in.readString();
    title.m_priority = in.readInt32();
    title.m_marked = in.readBool();
}

std::unique_ptr<TopicTitle> CdrBody<TopicTitle>::create() { return std::make_unique<TopicTitle>(nullptr, nullptr); }

// --- Reply tables ---------------------------------------------------------------------

void CdrBody<ReplyTable>::write(const ReplyTable& table, CdrWriter& out)
{
    out.writeCount(table.groups().size());
    for (const auto& [letter, group] : table.groups()) {
        out.writeInt32(letter);
        CdrBody<ReplyEntryGroup>::write(group, out);
    }
}

void CdrBody<ReplyTable>::read(ReplyTable& table, CdrReader& in)
{
    in.readSequence(
        [&](CdrReader& r) {
            const std::int32_t letter = r.readInt32();
            ReplyEntryGroup group;
            CdrBody<ReplyEntryGroup>::read(group, r);
            table.groups().emplace(letter, std::move(group));
        },
        GROUP_OCTETS);
}

void CdrBody<ReplyEntryGroup>::write(const ReplyEntryGroup& group, CdrWriter& out)
{
    out.writeInt32(group.getTypeId());
    out.writeSequence(group.entries(),
                      [](const ReplyEntry& entry, CdrWriter& w) { CdrBody<ReplyEntry>::write(entry, w); });
}

void CdrBody<ReplyEntryGroup>::read(ReplyEntryGroup& group, CdrReader& in)
{
    group.setTypeId(in.readInt32());
    in.readSequence(
        [&](CdrReader& r) {
            ReplyEntry entry;
            CdrBody<ReplyEntry>::read(entry, r);
            group.entries().push_back(std::move(entry));
        },
        ENTRY_OCTETS);
}

void CdrBody<ReplyEntry>::write(const ReplyEntry& entry, CdrWriter& out)
{
    out.writeObject(entry.label());
    out.writeCount(entry.names().size());
    for (const std::string* name : entry.names())
        out.writeObject(name);
    writePointers(entry.titleRefs(), out);
    out.writeObject(entry.titleRef());
    out.writeString(entry.text());
}

void CdrBody<ReplyEntry>::read(ReplyEntry& entry, CdrReader& in)
{
    entry.setLabel(in.readObject<std::string>());
    in.readSequence([&](CdrReader& r) { entry.names().insert(r.readObject<std::string>()); }, POINTER_OCTETS);
    readPointers(entry.titleRefs(), in);
    entry.setTitleRef(in.readObject<TopicTitle>());
    entry.setText(in.readString());
}

void CdrBody<std::string>::write(const std::string& text, CdrWriter& out) { out.writeString(text); }

void CdrBody<std::string>::read(std::string& text, CdrReader& in) { text = in.readString(); }

}  // namespace quibo
