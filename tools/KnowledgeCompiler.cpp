#include "tools/KnowledgeCompiler.h"

#include "analysis/CodeConverter.h"
#include "analysis/LanguageAnalyzer.h"
#include "knowledge/CDictionary.h"
#include "knowledge/CdrWriter.h"
#include "knowledge/Entity.h"
#include "knowledge/KnowledgeFile.h"
#include "knowledge/ParsedText.h"
#include "knowledge/Predicative.h"
#include "knowledge/ReplyKind.h"
#include "knowledge/ReplyTable.h"
#include "knowledge/Thesaurus.h"
#include "knowledge/Topic.h"
#include "knowledge/TopicTitle.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>
#include <vector>

namespace quibo {
namespace {

std::vector<std::string> splitFields(const std::string& line, const std::string& separator)
{
    std::vector<std::string> fields;
    std::size_t from = 0;
    while (from <= line.size()) {
        const std::size_t at = line.find(separator, from);
        fields.push_back(line.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (at == std::string::npos)
            break;
        from = at + separator.size();
    }
    return fields;
}

std::vector<std::string> words(const std::string& line)
{
    std::vector<std::string> out;
    std::istringstream in(line);
    for (std::string word; in >> word;)
        out.push_back(word);
    return out;
}

// One record line: its keyword, positional fields and key=value options.
struct Record {
    int line = 0;
    std::string keyword;
    std::vector<std::string> fields;
    std::map<std::string, std::string> options;
    std::string rest;  // the line after the keyword, for entry lines

    [[noreturn]] void fail(const std::string& why) const
    {
        throw KnowledgeSourceError("line " + std::to_string(line) + ": " + why);
    }
    const std::string& field(std::size_t k, const char* what) const
    {
        if (k >= fields.size())
            fail(std::string("missing ") + what);
        return fields[k];
    }
    std::string option(const std::string& key, const std::string& otherwise = "") const
    {
        auto found = options.find(key);
        return found == options.end() ? otherwise : found->second;
    }
    long number(const std::string& text, int base = 10) const
    {
        char* end = nullptr;
        const long value = std::strtol(text.c_str(), &end, base);
        if (text.empty() || *end != '\0')
            fail("not a number: " + text);
        return value;
    }
};

Record parseRecord(const std::string& line, int number)
{
    Record record;
    record.line = number;
    const std::size_t space = line.find_first_of(" \t");
    record.keyword = line.substr(0, space);
    record.rest = space == std::string::npos ? std::string() : line.substr(line.find_first_not_of(" \t", space));
    for (const std::string& word : words(record.rest)) {
        const std::size_t equals = word.find('=');
        if (equals != std::string::npos && equals > 0 && word.find_first_not_of("abcdefghijklmnopqrstuvwxyz") == equals)
            record.options[word.substr(0, equals)] = word.substr(equals + 1);
        else
            record.fields.push_back(word);
    }
    return record;
}

int titleType(const Record& record, const std::string& name)
{
    for (int type : {topic_title_type::A_Y_N, topic_title_type::A_Y_A, topic_title_type::X_A_N,
                     topic_title_type::X_A_A, topic_title_type::X_Y_N, topic_title_type::S_O_A}) {
        if (TopicTitle::typeName(type) == name)
            return type;
    }
    record.fail("unknown title type " + name);
}

int thesaurusType(const Record& record, const std::string& name)
{
    if (name == "ES") return knowledge_type::ENTITY_SYNONYMS;
    if (name == "EA") return knowledge_type::ENTITY_THESAURUS;
    if (name == "PS") return knowledge_type::PREDICATIVE_SYNONYMS;
    if (name == "PA") return knowledge_type::PREDICATIVE_ANTONYMS;
    record.fail("unknown thesaurus kind " + name);
}

// Builds one knowledge base, record by record.
class Builder {
public:
    Builder(const KnowledgeCompiler::Analysis& analysis) : m_analysis(analysis), m_dictionary(new CDictionary) {}

    void add(const Record& record)
    {
        const std::string& k = record.keyword;
        if (k != "group" && k != "entry")
            flushGroup();
        if (k == "entity") entity(record);
        else if (k == "predicative") predicative(record);
        else if (k == "thesaurus") thesaurus(record);
        else if (k == "related") related(record);
        else if (k == "term") term(record);
        else if (k == "string") m_dictionary->internString(record.field(0, "text"));
        else if (k == "table") table(record);
        else if (k == "group") group(record);
        else if (k == "entry") entry(record);
        else if (k == "topic") topic(record);
        else if (k == "title") title(record);
        else if (k == "idtitle") idTitle(record);
        else record.fail("unknown record " + k);
    }

    std::unique_ptr<CDictionary> finish()
    {
        flushGroup();
        // A topic offers the kinds of the groups its table holds.
        for (Topic* topic : m_topicOrder) {
            std::int32_t kinds = 0;
            if (const ReplyTable* table = topic->getReplyTable()) {
                for (const auto& group : table->groups())
                    kinds |= replyKindFlag(group.first);
            }
            topic->setReplyKinds(kinds);
        }
        for (const PendingRefs& pending : m_pendingRefs) {
            ReplyEntry& entry = pending.table->groups()[pending.letter].entries()[pending.index];
            for (const std::string& id : splitFields(pending.ids, ",")) {
                auto range = m_dictionary->idMap().equal_range(id);
                if (range.first == range.second)
                    pending.record.fail("no title under the id " + id);
                for (auto it = range.first; it != range.second; ++it)
                    entry.titleRefs().push_back(it->second);
            }
        }
        // The index build: every title finds its centres among its words and
        // settles its main centre, once, before the base is saved.
        m_dictionary->collectTitleCentres();
        return std::move(m_dictionary);
    }

private:
    struct PendingRefs {
        Record record;
        ReplyTable* table;
        int letter;
        std::size_t index;
        std::string ids;
    };

    ParsedText* parsed(const Record& record, const std::string& text)
    {
        std::string analysed;
        MorphemeList list = m_analysis(text, analysed);
        if (analysed.empty())
            record.fail("the analyser made nothing of " + text);
        return m_dictionary->putParsedText(text, std::move(list), std::move(analysed));
    }

    // A slot's words; each longest run of words that spells an entity's name
    // becomes one word bound to that entity.
    MorphemeList slotWords(const Record& record, const std::string& text)
    {
        if (text.empty())
            return MorphemeList();
        const std::vector<Morpheme>& analysed = parsed(record, text)->morphemes().words();
        std::vector<Morpheme> joined;
        for (std::size_t at = 0; at < analysed.size();) {
            std::size_t length = 0;
            std::string name;
            for (std::size_t end = at; end < analysed.size(); ++end) {
                name += analysed[end].surfaceRef();
                if (m_dictionary->findByName(name, false))
                    length = end + 1 - at;
            }
            if (length == 0) {
                joined.push_back(analysed[at++]);
                continue;
            }
            const std::vector<Morpheme> run(analysed.begin() + static_cast<std::ptrdiff_t>(at),
                                            analysed.begin() + static_cast<std::ptrdiff_t>(at + length));
            std::string surface;
            std::string reading;
            for (const Morpheme& word : run) {
                surface += word.surfaceRef();
                reading += word.readingRef();
            }
            Morpheme compound = Morpheme::makeCompound(surface, run, m_dictionary.get(), false, true, false);
            compound.setReading(reading);
            joined.push_back(std::move(compound));
            at += length;
        }
        return MorphemeList(std::move(joined));
    }

    Entity* entityNamed(const Record& record, const std::string& name)
    {
        Entity* entity = m_dictionary->findByName(parsed(record, name)->getText(), false);
        if (!entity)
            record.fail("no entity " + name);
        return entity;
    }

    KnowledgeObject* objectNamed(const Record& record, const std::string& name)
    {
        const std::string key = parsed(record, name)->getText();
        if (Entity* entity = m_dictionary->findByName(key, false))
            return entity;
        if (Predicative* predicative = m_dictionary->findPredicative(key, false))
            return predicative;
        record.fail("no entity or predicative " + name);
    }

    void entity(const Record& record)
    {
        ParsedText* title = parsed(record, record.field(0, "name"));
        if (m_dictionary->findByName(title->getText(), false))
            record.fail("entity named twice: " + record.fields[0]);
        const auto flags = static_cast<std::int32_t>(record.number(record.option("flags", "0"), 0));
        Entity* entity = m_dictionary->addEntity(title->getText(), std::make_unique<Entity>(title, flags));
        m_dictionary->addTerm(title->getText(), entity);
    }

    void predicative(const Record& record)
    {
        ParsedText* title = parsed(record, record.field(0, "name"));
        if (m_dictionary->findPredicative(title->getText(), false))
            record.fail("predicative named twice: " + record.fields[0]);
        auto made = std::make_unique<Predicative>(knowledge_type::PREDICATIVE, title);
        made->makeReading();
        Predicative* predicative = m_dictionary->addPredicative(title->getText(), std::move(made));
        m_dictionary->addTerm(title->getText(), predicative);
    }

    void thesaurus(const Record& record)
    {
        const int type = thesaurusType(record, record.field(0, "kind"));
        ParsedText* title = parsed(record, record.field(1, "title"));
        KnowledgeObject* representative = objectNamed(record, record.field(2, "representative"));
        Thesaurus* group = m_dictionary->findThesaurus(title, type, representative);
        // A group is carried inside the object it names, which the stream
        // has already met by then.
        if (type == knowledge_type::ENTITY_SYNONYMS) {
            auto* entity = dynamic_cast<Entity*>(representative);
            if (!entity)
                record.fail("an entity synonym group needs an entity");
            entity->setThesaurus(group);
        } else if (type != knowledge_type::ENTITY_THESAURUS) {
            auto* predicative = dynamic_cast<Predicative*>(representative);
            if (!predicative)
                record.fail("a predicative group needs a predicative");
            predicative->setThesaurus(group);
        }
        m_dictionary->addTerm(title->getText(), group);
    }

    void related(const Record& record)
    {
        entityNamed(record, record.field(0, "entity"))->addRelated(entityNamed(record, record.field(1, "relative")));
    }

    void term(const Record& record)
    {
        m_dictionary->addTerm(parsed(record, record.field(0, "text"))->getText(),
                              objectNamed(record, record.field(1, "object")));
    }

    void table(const Record& record)
    {
        const std::string& name = record.field(0, "name");
        if (m_tables.count(name))
            record.fail("table named twice: " + name);
        m_table = m_dictionary->addReplyTable(std::make_unique<ReplyTable>(name));
        m_tables[name] = m_table;
        m_hasGroup = false;
    }

    void group(const Record& record)
    {
        if (!m_table)
            record.fail("a group outside a table");
        flushGroup();
        m_kind = static_cast<int>(record.number(record.field(0, "kind")));
        if (replyKindLetter(m_kind) < 0)
            record.fail("no reply kind " + record.fields[0]);
        m_source = ReplySourceGroup();
        m_source.type = static_cast<int>(record.number(record.option("type", "0")));
        m_groupRecord = record;
        m_hasGroup = true;
        m_pendingInGroup.clear();
    }

    void entry(const Record& record)
    {
        if (!m_hasGroup)
            record.fail("an entry outside a group");
        const std::vector<std::string> parts = splitFields(record.rest, " | ");
        ReplySourceItem item;
        item.text = parts[0];
        if (parts.size() > 1)
            item.names = parts[1];
        item.replyTexts.push_back(parts[0]);
        if (parts.size() > 2 && !parts[2].empty())
            m_pendingInGroup.push_back(PendingRefs{record, nullptr, 0, m_source.items.size(), parts[2]});
        m_source.items.push_back(std::move(item));
    }

    void flushGroup()
    {
        if (!m_hasGroup)
            return;
        m_hasGroup = false;
        const int letter = m_table->addGroup(0, m_kind, m_source, ReplyEntry(), *m_dictionary, m_table->name());
        if (letter < 0)
            m_groupRecord.fail("a group without entries");
        for (PendingRefs& pending : m_pendingInGroup) {
            pending.table = m_table;
            pending.letter = letter;
            m_pendingRefs.push_back(pending);
        }
        m_pendingInGroup.clear();
    }

    void topic(const Record& record)
    {
        const std::string& name = record.field(0, "name");
        if (m_dictionary->topics().count(name))
            record.fail("topic named twice: " + name);
        m_topic = m_dictionary->addTopic(name, std::make_unique<Topic>());
        m_topicOrder.push_back(m_topic);
        m_topicEntities.clear();
        const std::string tableName = record.option("table");
        if (!tableName.empty()) {
            auto found = m_tables.find(tableName);
            if (found == m_tables.end())
                record.fail("no table " + tableName);
            m_topic->setReplyTable(found->second);
        }
        for (const std::string& name : splitFields(record.option("entities"), ",")) {
            if (name.empty())
                continue;
            Entity* entity = entityNamed(record, name);
            entity->addTopic(m_topic);
            m_topicEntities.push_back(entity);
        }
    }

    void title(const Record& record)
    {
        if (!m_topic)
            record.fail("a title outside a topic");
        auto made = std::make_unique<TopicTitle>(m_topic, nullptr);
        TopicTitle* title = m_dictionary->adoptTitle(std::move(made));
        title->setType(titleType(record, record.field(0, "type")));
        const std::string source = record.option("source");
        if (source.empty())
            record.fail("a title without source=");
        title->setSourceText(source);
        title->setWords(slotWords(record, source));
        title->setXWords(slotWords(record, record.option("x")));
        title->setYWords(slotWords(record, record.option("y")));
        title->setAWords(slotWords(record, record.option("a")));
        // The slot words are the title's subject and object words.
        title->setSWords(title->getXWords());
        title->setOWords(title->getYWords());
        title->setDcaBits(static_cast<std::int32_t>(record.number(record.option("dca", "0"), 16)));
        const std::vector<std::string> polarity = splitFields(record.option("polarity", "0,0,0"), ",");
        if (polarity.size() != 3)
            record.fail("polarity takes three numbers");
        title->setPolarity1(static_cast<std::uint8_t>(record.number(polarity[0], 0)));
        title->setPolarity2(static_cast<std::uint8_t>(record.number(polarity[1], 0)));
        title->setPolarity3(static_cast<std::uint8_t>(record.number(polarity[2], 0)));
        title->setPriority(static_cast<std::int32_t>(record.number(record.option("priority", "0"))));
        title->setSearchAble(record.option("searchable", "1") == "1");
        title->setComplete(record.option("complete", "1") == "1");
        const std::string centres = record.option("centres");
        if (centres.empty()) {
            for (Entity* entity : m_topicEntities)
                title->addCentre(entity);
        } else {
            for (const std::string& name : splitFields(centres, ","))
                title->addCentre(entityNamed(record, name));
        }
        m_topic->addTitle(title);
        const std::string id = record.option("id");
        if (!id.empty())
            m_dictionary->addIdTitle(id, title);
    }

    void idTitle(const Record& record)
    {
        auto found = m_dictionary->topics().find(record.field(1, "topic"));
        if (found == m_dictionary->topics().end())
            record.fail("no topic " + record.fields[1]);
        const long index = record.number(record.field(2, "index"));
        const auto& titles = found->second->titles().titles();
        if (index < 0 || static_cast<std::size_t>(index) >= titles.size())
            record.fail("no title " + record.fields[2] + " in that topic");
        m_dictionary->addIdTitle(record.fields[0], titles[static_cast<std::size_t>(index)]);
    }

    const KnowledgeCompiler::Analysis& m_analysis;
    std::unique_ptr<CDictionary> m_dictionary;
    std::map<std::string, ReplyTable*> m_tables;
    ReplyTable* m_table = nullptr;
    bool m_hasGroup = false;
    int m_kind = 0;
    ReplySourceGroup m_source;
    Record m_groupRecord;
    std::vector<PendingRefs> m_pendingInGroup;
    std::vector<PendingRefs> m_pendingRefs;
    Topic* m_topic = nullptr;
    std::vector<Topic*> m_topicOrder;
    std::vector<Entity*> m_topicEntities;
};

}  // namespace

KnowledgeCompiler::Analysis KnowledgeCompiler::languageAnalyzer()
{
    return [](const std::string& text, std::string& analysed) {
        LanguageAnalyzer* analyzer = LanguageAnalyzer::instance();
        return analyzer ? analyzer->analyze(text, analysed) : MorphemeList();
    };
}

KnowledgeCompiler::KnowledgeCompiler(Analysis analysis) : m_analysis(std::move(analysis)) {}

std::unique_ptr<CDictionary> KnowledgeCompiler::compile(const std::string& utf8Source) const
{
    const std::string source = CodeConverter(utf8Source).convert(CodeConverter::EUC, CodeConverter::UTF8);
    Builder builder(m_analysis);
    int number = 0;
    for (std::string& line : splitFields(source, "\n")) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#')
            continue;
        builder.add(parseRecord(line.substr(start), number));
    }
    return builder.finish();
}

int KnowledgeCompiler::compileFile(const std::string& sourcePath, const std::string& outputPath) const
{
    std::ifstream in(sourcePath, std::ios::binary);
    if (!in) {
        std::cerr << "kb-compile: cannot read " << sourcePath << std::endl;
        return -1;
    }
    const std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::unique_ptr<CDictionary> dictionary;
    try {
        dictionary = compile(source);
    } catch (const KnowledgeSourceError& error) {
        std::cerr << sourcePath << ": " << error.what() << std::endl;
        return -1;
    }
    if (saveKnowledgeFile(*dictionary, outputPath) != 0)
        return -1;

    // The file must load, and a second save must give the same bytes.
    CDictionary reloaded;
    if (loadKnowledgeFile(reloaded, outputPath) != 0) {
        std::cerr << "kb-compile: " << outputPath << " does not load back" << std::endl;
        return -1;
    }
    std::ifstream written(outputPath, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(written)), std::istreambuf_iterator<char>());
    setKnowledgeVersionText(KNOWLEDGE_FILE_VERSION);
    CdrWriter again(KNOWLEDGE_PAYLOAD_LIMIT, KNOWLEDGE_FILE_MAX_OBJECTS);
    reloaded.writePayload(again);
    const auto payload = again.bytes();
    if (bytes.size() != KNOWLEDGE_HEADER_SIZE + payload.size() ||
        bytes.compare(KNOWLEDGE_HEADER_SIZE, std::string::npos, reinterpret_cast<const char*>(payload.data()),
                      payload.size()) != 0) {
        std::cerr << "kb-compile: " << outputPath << " saves back to other bytes" << std::endl;
        return -1;
    }
    return 0;
}

}  // namespace quibo
