#include "knowledge/CDictionary.h"

#include "analysis/ConsoleLine.h"
#include "analysis/EucString.h"
#include "analysis/LanguageAnalyzer.h"
#include "analysis/Vocabulary.h"
#include "knowledge/CdrReader.h"
#include "knowledge/CdrWriter.h"
#include "knowledge/Entity.h"
#include "knowledge/KnowledgeFileVersion.h"
#include "knowledge/MeanDictionaryBody.h"
#include "knowledge/ParsedText.h"
#include "knowledge/Predicative.h"
#include "knowledge/ReplyTable.h"
#include "knowledge/StoredBodies.h"
#include "knowledge/Thesaurus.h"
#include "knowledge/Topic.h"
#include "knowledge/TopicTitle.h"
#include "platform/Clock.h"

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <unordered_set>

namespace quibo {

std::string makeDictionaryKey(const std::string& path, const std::string& mtimeText)
{
    return path + "\t" + mtimeText;
}

CDictionary::CDictionary()
{
    for (std::size_t k = 0; k < CONJUGATION_TYPE_NAMES.size(); ++k)
        m_conjugationTypeIndex.emplace(std::string(CONJUGATION_TYPE_NAMES[k]), static_cast<int>(k));
    // "基本連体形", the last form, is no entry of the stored index.
    for (std::size_t k = 0; k + 1 < CONJUGATION_FORM_NAMES.size(); ++k)
        m_conjugationFormIndex.emplace(std::string(CONJUGATION_FORM_NAMES[k]), static_cast<int>(k));
}

// The containers only borrow; the arena, destroyed last, takes every object.
CDictionary::~CDictionary() = default;

void CDictionary::clearContents()
{
    m_entities.clear();
    m_predicatives.clear();
    m_thesauri.clear();
    m_parsedTexts.clear();
    m_replyTables.clear();
    m_topics.clear();
    m_stringPool.clear();
    m_textPool.clear();
    m_idMap.clear();
    m_termIndex.clear();
    m_termFirstChars.clear();
    m_termMaxLength = 0;
    m_secondTermIndex.clear();
    m_secondTermFirstChars.clear();
    m_secondTermMaxLength = 0;
    m_hostNames.clear();
    m_entitySet1.clear();
    m_entitySet2.clear();
    m_entitySet4.clear();
    m_entitySet8.clear();
    m_notedWordLists.clear();
    // Cached phrases hold words bound to the objects about to go.
    m_phraseCache.clear();
    m_titleVocabulary = TitleVocabulary();
    m_titleVocabularyFrom = 0;
    m_arena.clear();
}

std::string CDictionary::normalised(const std::string& text) const
{
    std::string surfaces;
    LanguageAnalyzer* analyzer = LanguageAnalyzer::instance();
    if (analyzer)
        analyzer->analyze(text, surfaces);
    return surfaces;
}

ParsedText* CDictionary::getParsedText(const std::string& text)
{
    if (EucString(text).trim().empty())
        return nullptr;
    auto found = m_parsedTexts.find(text);
    if (found != m_parsedTexts.end())
        return found->second;
    std::string analysed;
    MorphemeList words;
    if (LanguageAnalyzer* analyzer = LanguageAnalyzer::instance())
        words = analyzer->analyze(text, analysed);
    return putParsedText(text, std::move(words), std::move(analysed));
}

ParsedText* CDictionary::putParsedText(const std::string& text, MorphemeList words, std::string analysedText)
{
    if (EucString(text).trim().empty())
        return nullptr;
    auto found = m_parsedTexts.find(text);
    if (found != m_parsedTexts.end())
        return found->second;
    std::string input = analysedText == text ? std::string() : text;
    ParsedText* stored = m_arena.adopt(
        std::make_unique<ParsedText>(std::move(analysedText), std::move(words), std::move(input)));
    m_parsedTexts.emplace(text, stored);
    return stored;
}

Thesaurus* CDictionary::findThesaurus(ParsedText* title, int typeId, KnowledgeObject* representative)
{
    const std::string key = title ? title->getText() : std::string();
    auto range = m_thesauri.equal_range(key);
    for (auto it = range.first; it != range.second; ++it) {
        if (it->second && it->second->getRepresentative() == representative && it->second->getTypeId() == typeId)
            return it->second;
    }
    auto thesaurus = std::make_unique<Thesaurus>(typeId, title, representative);
    thesaurus->makeReading();
    return addThesaurus(key, std::move(thesaurus));
}

Entity* CDictionary::findEntity(const std::string& text, bool normalise)
{
    return findByName(text, normalise);
}

Entity* CDictionary::addEntity(const std::string& name, std::unique_ptr<Entity> entity)
{
    Entity* stored = m_arena.adopt(std::move(entity));
    m_entities.emplace(name, stored);
    return stored;
}

Predicative* CDictionary::addPredicative(const std::string& name,
                                         std::unique_ptr<Predicative> predicative)
{
    Predicative* stored = m_arena.adopt(std::move(predicative));
    m_predicatives.emplace(name, stored);
    return stored;
}

Thesaurus* CDictionary::addThesaurus(const std::string& title, std::unique_ptr<Thesaurus> thesaurus)
{
    Thesaurus* stored = m_arena.adopt(std::move(thesaurus));
    m_thesauri.emplace(title, stored);
    return stored;
}

Topic* CDictionary::addTopic(const std::string& name, std::unique_ptr<Topic> topic)
{
    Topic* stored = m_arena.adopt(std::move(topic));
    m_topics.emplace(name, stored);
    return stored;
}

ReplyTable* CDictionary::addReplyTable(std::unique_ptr<ReplyTable> table)
{
    ReplyTable* stored = m_arena.adopt(std::move(table));
    m_replyTables.insert(stored);
    return stored;
}

TopicTitle* CDictionary::adoptTitle(std::unique_ptr<TopicTitle> title)
{
    return m_arena.adopt(std::move(title));
}

void CDictionary::addIdTitle(const std::string& name, TopicTitle* title)
{
    m_idMap.emplace(name, title);
}

namespace {

void addIndexedTerm(const std::string& text, KnowledgeObject* object, CDictionary::TermIndex& index,
                    std::set<std::string>& firstChars, std::int32_t& maxLength)
{
    if (text.empty())
        return;
    index.emplace(text, object);
    firstChars.insert(text.substr(0, 2));
    maxLength = std::max(maxLength, static_cast<std::int32_t>(std::min<std::size_t>(text.size(), INT_MAX)));
}

}  // namespace

void CDictionary::addTerm(const std::string& text, KnowledgeObject* object)
{
    addIndexedTerm(text, object, m_termIndex, m_termFirstChars, m_termMaxLength);
}

void CDictionary::addSecondTerm(const std::string& text, KnowledgeObject* object)
{
    addIndexedTerm(text, object, m_secondTermIndex, m_secondTermFirstChars, m_secondTermMaxLength);
}

const std::string* CDictionary::internString(const std::string& text)
{
    return &*m_stringPool.insert(text).first;
}

const std::string* CDictionary::internText(const std::string& text)
{
    auto [pooled, inserted] = m_textPool.insert(text);
    if (inserted) {
        // An address at the very start has no scheme before it and is not
        // taken.
        std::size_t from = 0;
        for (std::size_t at; (at = text.find("://", from)) != std::string::npos;) {
            const std::size_t start = at + 3;
            const std::size_t end = text.find_first_of("/, ", start);
            if (at != 0)
                m_hostNames.insert(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
            if (end == std::string::npos)
                break;
            from = end + 1;
        }
    }
    return &*pooled;
}

EntitySet* CDictionary::getEntitySet(int bit)
{
    switch (bit) {
    case 1: return &m_entitySet1;
    case 2: return &m_entitySet2;
    case 4: return &m_entitySet4;
    default: return &m_entitySet8;
    }
}

namespace {

// Equal names stay in insertion order; a look-up takes the first of them.
template <class Map>
typename Map::mapped_type firstUnder(const Map& map, const std::string& name)
{
    auto found = map.lower_bound(name);
    return found != map.end() && found->first == name ? found->second : nullptr;
}

}  // namespace

Entity* CDictionary::findByName(const std::string& text, bool normalise)
{
    return firstUnder(m_entities, normalise ? normalised(text) : text);
}

Predicative* CDictionary::findPredicative(const std::string& text, bool normalise)
{
    return firstUnder(m_predicatives, normalise ? normalised(text) : text);
}

void CDictionary::dump(const std::string& prefix) const
{
    // The entity map's dump, then every thesaurus without a prefix.
    if (!prefix.empty())
        writeConsoleLine(prefix);
    for (const auto& [name, entity] : m_entities) {
        if (entity)
            entity->dump("");
    }
    for (const auto& [title, thesaurus] : m_thesauri) {
        if (thesaurus)
            thesaurus->dump("");
    }
}

// --- Id resolution -------------------------------------------------------------

namespace {

// Leading decimal digits, 0 when there are none; saturates instead of
// overflowing.
int leadingNumber(const std::string& text)
{
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = std::min<long long>(value * 10 + (c - '0'), INT_MAX);
    }
    return static_cast<int>(value);
}

// The entry that an index picks among a reply table's 'd', 'i' and 'n'
// groups; null when the group or the entry does not exist.
const ReplyEntry* pickEntry(const ReplyTable& table, int n)
{
    int letter = 'n';
    int at = n;
    if (table.findGroup('d')) {
        letter = 'd';
    } else if (const ReplyEntryGroup* indexed = table.findGroup('i')) {
        const int count = static_cast<int>(std::min<std::size_t>(indexed->entries().size(), INT_MAX));
        if (n <= count - 1)
            letter = 'i';
        else
            at = n - count;
    }
    const ReplyEntryGroup* group = table.findGroup(letter);
    if (!group || at < 0 || static_cast<std::size_t>(at) >= group->entries().size())
        return nullptr;
    return &group->entries()[static_cast<std::size_t>(at)];
}

}  // namespace

void CDictionary::resolveId(const std::string& id, TopicTitle*& object, int& index,
                            std::vector<TopicTitle*>& titles) const
{
    auto appendUnder = [&](const std::string& name) {
        auto range = m_idMap.equal_range(name);
        for (auto it = range.first; it != range.second; ++it) {
            if (it->second)
                titles.push_back(it->second);
        }
    };

    if (id.empty()) {
        std::vector<TopicTitle*> ranked;
        for (const auto& [name, title] : m_idMap) {
            if (title && title->getPriority() != 0)
                ranked.push_back(title);
        }
        std::stable_sort(ranked.begin(), ranked.end(),
                         [](const TopicTitle* a, const TopicTitle* b) { return a->getPriority() < b->getPriority(); });
        titles.insert(titles.end(), ranked.begin(), ranked.end());
        object = nullptr;
        index = 0;
        return;
    }

    const std::size_t first = id.find('_');
    if (first == std::string::npos) {
        if (m_idMap.count(id) != 0) {
            appendUnder(id);
            object = nullptr;
            index = 0;
        }
        return;
    }

    const std::string name = id.substr(0, first);
    auto named = m_idMap.find(name);
    if (named == m_idMap.end())
        return;
    object = named->second;
    index = leadingNumber(id.substr(first + 1));

    const std::size_t last = id.rfind('_');
    if (last != first) {
        appendUnder(id.substr(last + 1));
        return;
    }

    const Topic* topic = object ? object->getOwner() : nullptr;
    const ReplyTable* table = topic ? topic->getReplyTable() : nullptr;
    const ReplyEntry* entry = table ? pickEntry(*table, index) : nullptr;
    if (!entry)
        return;
    for (TopicTitle* title : entry->titleRefs()) {
        if (title && !title->hasCMark())
            titles.push_back(title);
    }
    if (entry->titleRef())
        titles.push_back(entry->titleRef());
    for (TopicTitle* title : entry->titleRefs()) {
        if (title && title->hasCMark())
            titles.push_back(title);
    }
}

// --- Load and save -------------------------------------------------------------------

void CDictionary::restoreEntities()
{
    writeConsoleLine("--------ENTITY RESTORE START--------");
    // A title met again (its topic listed by another entity, or shared by
    // topics) would gain nothing: each is restored once.
    std::unordered_set<const TopicTitle*> restored;
    for (const auto& [name, entity] : m_entities) {
        if (!entity)
            continue;
        for (Topic* topic : entity->topics()) {
            if (!topic)
                continue;
            for (TopicTitle* title : topic->titles().titles()) {
                if (!title || !restored.insert(title).second)
                    continue;
                const std::set<std::string> names = title->centreIndex();
                for (const std::string& centre : names) {
                    if (Entity* named = firstUnder(m_entities, centre))
                        title->addCentre(named);
                }
                title->centreWords("");
                title->contentWords("");
            }
        }
    }
}

namespace {

// Fewest octets of a map entry with a string key and a pointer value.
constexpr std::size_t KEYED_POINTER_OCTETS = 5;

template <class Map, class T>
void readKeyedPointers(Map& map, CdrReader& in)
{
    in.readSequence(
        [&](CdrReader& r) {
            std::string key = r.readString();
            T* value = r.readObject<T>();
            map.emplace_hint(map.end(), std::move(key), value);
        },
        KEYED_POINTER_OCTETS);
}

template <class Map>
void writeKeyedPointers(const Map& map, CdrWriter& out)
{
    out.writeCount(map.size());
    for (const auto& [key, value] : map) {
        out.writeString(key);
        out.writeObject(value);
    }
}

void readStrings(std::set<std::string>& strings, CdrReader& in)
{
    in.readSequence([&](CdrReader& r) { strings.insert(strings.end(), r.readString()); }, 4);
}

void writeStrings(const std::set<std::string>& strings, CdrWriter& out)
{
    out.writeSequence(strings, [](const std::string& text, CdrWriter& w) { w.writeString(text); });
}

// Temporaries of the stream: read through and dropped.
void skipIntervalMap(CdrReader& in)
{
    in.readSequence(
        [](CdrReader& r) {
            r.readString();  // key
            r.readString();  // unit
            r.readString();  // lower bound
            r.readInt16();   // lower bound open
            r.readString();  // upper bound
            r.readInt16();   // upper bound open
        },
        22);
}

void skipStringVectorMap(CdrReader& in)
{
    in.readSequence(
        [](CdrReader& r) {
            r.readString();
            r.readSequence([](CdrReader& s) { s.readString(); }, 4);
        },
        8);
}

void skipStrings(CdrReader& in)
{
    in.readSequence([](CdrReader& r) { r.readString(); }, 4);
}

}  // namespace

void CDictionary::readPayload(CdrReader& in)
{
    in.readByteOrder();
    readKeyedPointers<EntityMap, Entity>(m_entities, in);                  // 1
    readKeyedPointers<PredicativeMap, Predicative>(m_predicatives, in);    // 2
    readKeyedPointers<ThesaurusMap, Thesaurus>(m_thesauri, in);            // 3
    readKeyedPointers<ParsedTextMap, ParsedText>(m_parsedTexts, in);       // 4
    const std::uint32_t tables = in.readCount(1);                          // 5
    m_replyTables.reserve(m_replyTables.size() + tables);
    for (std::uint32_t k = 0; k < tables; ++k)
        m_replyTables.insert(in.readObject<ReplyTable>());
    readKeyedPointers<TopicMap, Topic>(m_topics, in);                      // 6
    readStrings(m_stringPool, in);                                         // 7
    readStrings(m_textPool, in);                                           // 8
    skipIntervalMap(in);                                                   // 9
    readKeyedPointers<TermIndex, KnowledgeObject>(m_termIndex, in);        // 10
    readStrings(m_termFirstChars, in);                                     // 11
    m_termMaxLength = in.readInt32();                                      // 12
    readKeyedPointers<TermIndex, KnowledgeObject>(m_secondTermIndex, in);  // 13
    readStrings(m_secondTermFirstChars, in);                               // 14
    m_secondTermMaxLength = in.readInt32();                                // 15
    skipStringVectorMap(in);                                               // 16
    skipStrings(in);                                                       // 17
    setKnowledgeFileCounter(in.readInt32());                               // 18
    skipStrings(in);                                                       // 19
    // 20: read through and destroyed at once; it must be a new object, or
    // destroying it would destroy something the stream handed out before.
    in.readDetachedObject<MeanDictionary>().reset();
    readKeyedPointers<IdMap, TopicTitle>(m_idMap, in);                     // 21
    in.settleLinks();
    if (!isCurrentKnowledgeVersion())
        restoreEntities();
    in.readBytes();                                                        // 22
    in.readBytes();                                                        // 23
}

void CDictionary::writePayload(CdrWriter& out) const
{
    writeMembers(out);
    // A word bound to an object that no member carries keeps no binding:
    // the stream is written again with that link null.
    if (!out.unsettledLinks().empty()) {
        out.restart();
        writeMembers(out);
    }
}

void CDictionary::writeMembers(CdrWriter& out) const
{
    out.writeByteOrder();
    writeKeyedPointers(m_entities, out);
    writeKeyedPointers(m_predicatives, out);
    writeKeyedPointers(m_thesauri, out);
    writeKeyedPointers(m_parsedTexts, out);
    out.writeSequence(m_replyTables, [](const ReplyTable* table, CdrWriter& w) { w.writeObject(table); });
    writeKeyedPointers(m_topics, out);
    writeStrings(m_stringPool, out);
    writeStrings(m_textPool, out);
    out.writeCount(0);  // 9
    writeKeyedPointers(m_termIndex, out);
    writeStrings(m_termFirstChars, out);
    out.writeInt32(m_termMaxLength);
    writeKeyedPointers(m_secondTermIndex, out);
    writeStrings(m_secondTermFirstChars, out);
    out.writeInt32(m_secondTermMaxLength);
    out.writeCount(0);  // 16
    out.writeCount(0);  // 17
    out.writeInt32(knowledgeFileCounter());
    out.writeCount(0);  // 19
    const MeanDictionary empty;
    out.writeObject(&empty);
    writeKeyedPointers(m_idMap, out);
    out.writeBytes(nullptr, 0);
    out.writeBytes(nullptr, 0);
}

int CDictionary::internalizePData(std::istream& in, const std::string& path, const std::string& mtimeText)
{
    m_path.clear();
    m_mtimeText.clear();

    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (!in || size < static_cast<std::streamoff>(KNOWLEDGE_HEADER_SIZE)) {
        noteFailure("the knowledge file " + path +
                    (size == 0 ? " is empty" : " is too short to be a knowledge file"));
        return -1;
    }
    const std::size_t payloadSize = static_cast<std::size_t>(size) - KNOWLEDGE_HEADER_SIZE;
    if (payloadSize > KNOWLEDGE_PAYLOAD_LIMIT) {
        noteFailure("the knowledge file " + path + " holds " + std::to_string(payloadSize) +
                    " bytes, which exceeds the limit of " + std::to_string(KNOWLEDGE_PAYLOAD_LIMIT));
        return -1;
    }

    char version[KNOWLEDGE_VERSION_SIZE];
    in.read(version, sizeof version);
    in.seekg(static_cast<std::streamoff>(KNOWLEDGE_HEADER_SIZE), std::ios::beg);
    if (!in) {
        noteFailure("the knowledge file " + path + " could not be read whole");
        return -1;
    }
    setKnowledgeVersionText(std::string_view(version, sizeof version));

    // The payload is decoded as it is read, a window at a time: it is never
    // held whole.  A file that ends before its stated size fails the load
    // where it ends.
    class FileSource : public mem_buffer::Source {
    public:
        explicit FileSource(std::istream& in) : m_in(in) {}
        void fill(std::uint8_t* into, std::size_t n) override
        {
            m_in.read(reinterpret_cast<char*>(into), static_cast<std::streamsize>(n));
            if (static_cast<std::size_t>(m_in.gcount()) != n)
                throw std::runtime_error("the file could not be read whole");
        }

    private:
        std::istream& m_in;
    } source(in);

    writeConsoleLine("serialize");
    const std::int64_t started = platform::clock().elapsedMillis();
    try {
        CdrReader reader(source, payloadSize, m_arena, KNOWLEDGE_FILE_MAX_OBJECTS);
        reader.refuseUnknownNumbers();
        readPayload(reader);
    } catch (const std::exception& error) {
        noteFailure("the knowledge file " + path + " is damaged or is not a knowledge file: " + error.what());
        clearContents();
        return -1;
    }
    m_path = path;
    m_mtimeText = mtimeText;
    writeConsoleLine("( " + std::to_string((platform::clock().elapsedMillis() - started) / 1000) + "s used )");
    return 0;
}

void CDictionary::externalize(std::ofstream& out, std::string_view versionText) const
{
    setKnowledgeVersionText(versionText);
    CdrWriter writer(KNOWLEDGE_PAYLOAD_LIMIT, KNOWLEDGE_FILE_MAX_OBJECTS);
    const std::int64_t started = platform::clock().elapsedMillis();
    writePayload(writer);
    const auto bytes = writer.bytes();
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    writeConsoleLine("( " + std::to_string((platform::clock().elapsedMillis() - started) / 1000) + "s used )");
    out.close();
    if (out.fail())
        throw std::runtime_error("CDictionary::externalize: the knowledge file could not be written");
}

}  // namespace quibo
