#include "tools/KnowledgeCompiler.h"

#include "analysis/CodeConverter.h"
#include "analysis/EucString.h"
#include "analysis/LanguageAnalyzer.h"
#include "dialogue/CaFeatures.h"
#include "dialogue/DcaHandler.h"
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
#include "meaning/MeanEntry.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <vector>

namespace quibo {
namespace {

// The stand-in for a character without an EUC-JP form.
const std::string GETA = "〓";
constexpr char32_t GETA_CODE = 0x3013;

std::string toUtf8(const std::string& euc)
{
    return CodeConverter(euc).convert(CodeConverter::UTF8, CodeConverter::EUC);
}

std::string toEuc(const std::string& utf8)
{
    return CodeConverter(utf8).convert(CodeConverter::EUC, CodeConverter::UTF8);
}

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

[[noreturn]] void failAt(int line, const std::string& eucWhy)
{
    throw KnowledgeSourceError("line " + std::to_string(line) + ": " + toUtf8(eucWhy));
}

// --- Source text ------------------------------------------------------------------

// The code points of UTF-8 text; false at the first sequence that is not
// UTF-8 (bad lead or continuation, overlong form, surrogate, beyond U+10FFFF).
bool decodeUtf8(const std::string& text, std::vector<char32_t>* codes)
{
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const int length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3
                                         : (lead & 0xF8) == 0xF0 ? 4 : 0;
        if (length == 0 || at + static_cast<std::size_t>(length) > text.size())
            return false;
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[at + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        static constexpr char32_t SMALLEST[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < SMALLEST[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        if (codes)
            codes->push_back(code);
        at += static_cast<std::size_t>(length);
    }
    return true;
}

std::size_t countOf(const std::string& text, const std::string& piece)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size()))
        ++count;
    return count;
}

std::string utf8Of(char32_t code)
{
    std::string out;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

// A warning for each character of the line that EUC-JP cannot hold.
void warnReplaced(int number, const std::string& utf8Line, std::vector<std::string>& warnings)
{
    std::vector<char32_t> codes;
    decodeUtf8(utf8Line, &codes);
    for (char32_t code : codes) {
        if (code < 0x80 || code == GETA_CODE || toEuc(utf8Of(code)) != GETA)
            continue;
        char name[16];
        std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
        warnings.push_back("line " + std::to_string(number) + ": " + name + " \"" + utf8Of(code) +
                           "\" has no EUC-JP form and is stored as " + toUtf8(GETA));
    }
}

// The source's lines as EUC-JP text, numbered from 1.  A leading
// byte-order mark is dropped; text that is not UTF-8 is refused.
std::string utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

std::vector<std::string> sourceLines(std::string utf8, std::vector<std::string>& warnings)
{
    if (utf8.compare(0, 3, "\xEF\xBB\xBF") == 0)
        utf8.erase(0, 3);
    const std::vector<std::string> utf8Lines = splitFields(utf8, "\n");
    for (std::size_t k = 0; k < utf8Lines.size(); ++k) {
        if (!decodeUtf8(utf8Lines[k], nullptr))
            failAt(static_cast<int>(k) + 1, "the line is not UTF-8 text");
    }
    std::vector<std::string> lines = splitFields(toEuc(utf8), "\n");
    // Only lines that came out with more stand-ins than they had are looked
    // at character by character.
    for (std::size_t k = 0; k < lines.size() && k < utf8Lines.size(); ++k) {
        if (countOf(lines[k], GETA) > countOf(utf8Lines[k], utf8Of(GETA_CODE)))
            warnReplaced(static_cast<int>(k) + 1, utf8Lines[k], warnings);
    }
    return lines;
}

// --- Records ------------------------------------------------------------------------

// One record line: its keyword, positional fields and key=value options; for
// entry lines the parts between " | ".
struct Record {
    int line = 0;
    std::string keyword;
    std::vector<std::string> fields;
    std::map<std::string, std::string> options;
    std::vector<std::string> parts;

    [[noreturn]] void fail(const std::string& why) const { failAt(line, why); }
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
    bool has(const std::string& key) const { return options.count(key) != 0; }
    long number(const std::string& text, int base = 10) const
    {
        char* end = nullptr;
        const long value = std::strtol(text.c_str(), &end, base);
        if (text.empty() || *end != '\0')
            fail("not a number: " + text);
        return value;
    }
};

// What each record takes: its positional fields and its keys.
struct RecordForm {
    const char* keyword;
    std::size_t fields;
    std::set<std::string> keys;
};

const RecordForm* formOf(const std::string& keyword)
{
    static const RecordForm FORMS[] = {
        {"entity", 1, {"flags"}},
        {"predicative", 1, {}},
        {"thesaurus", 3, {}},
        {"related", 2, {"set"}},
        {"term", 2, {}},
        {"term2", 2, {}},
        {"string", 1, {}},
        {"table", 1, {}},
        {"group", 1, {"type"}},
        {"topic", 1, {"table", "entities"}},
        {"title", 1,
         {"source", "x", "y", "a", "id", "priority", "dca", "polarity", "centres", "searchable", "complete"}},
        {"idtitle", 3, {}},
    };
    for (const RecordForm& form : FORMS) {
        if (keyword == form.keyword)
            return &form;
    }
    return nullptr;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// A quoted text starting at `at` (on the quote); `at` ends after the closing
// quote, which must end the field.
std::string quoted(const Record& record, const std::string& line, std::size_t& at)
{
    std::string text;
    for (++at; at < line.size(); ++at) {
        const char c = line[at];
        if (c == '\\' && at + 1 < line.size() && (line[at + 1] == '"' || line[at + 1] == '\\')) {
            text += line[++at];
        } else if (c == '"') {
            ++at;
            if (at < line.size() && !isBlank(line[at]))
                record.fail("text after a closing quote");
            return text;
        } else {
            text += c;
        }
    }
    record.fail("a quoted text is not closed");
}

bool isKey(const std::string& token, std::size_t equals)
{
    return equals != std::string::npos && equals > 0 &&
           token.find_first_not_of("abcdefghijklmnopqrstuvwxyz") == equals;
}

// Fields and key=value options of the rest of a line.
void parseFields(Record& record, const std::string& rest)
{
    std::size_t at = 0;
    while (true) {
        while (at < rest.size() && isBlank(rest[at]))
            ++at;
        if (at >= rest.size())
            return;
        if (rest[at] == '"') {
            record.fields.push_back(quoted(record, rest, at));
            continue;
        }
        std::size_t end = at;
        while (end < rest.size() && !isBlank(rest[end]) && rest[end] != '=')
            ++end;
        const std::string head = rest.substr(at, end - at);
        if (end < rest.size() && rest[end] == '=' && isKey(head + "=", head.size())) {
            at = end + 1;
            std::string value;
            if (at < rest.size() && rest[at] == '"') {
                value = quoted(record, rest, at);
            } else {
                const std::size_t stop = rest.find_first_of(" \t", at);
                value = rest.substr(at, stop == std::string::npos ? std::string::npos : stop - at);
                at = stop == std::string::npos ? rest.size() : stop;
            }
            if (!record.options.emplace(head, std::move(value)).second)
                record.fail("the field " + head + "= is given twice");
            continue;
        }
        const std::size_t stop = rest.find_first_of(" \t", at);
        record.fields.push_back(rest.substr(at, stop == std::string::npos ? std::string::npos : stop - at));
        at = stop == std::string::npos ? rest.size() : stop;
    }
}

// The parts of an entry, separated by a bar between blanks ("a | b"; "a |
// | b" has an empty second part).  A quoted part ends at its closing quote.
void parseParts(Record& record, const std::string& rest)
{
    constexpr std::size_t MOST_PARTS = 4;
    auto isBar = [&](std::size_t at) { return rest[at] == '|' && at + 1 < rest.size() && isBlank(rest[at + 1]); };
    std::size_t at = 0;
    while (true) {
        if (record.parts.size() == MOST_PARTS)
            record.fail("an entry has at most four parts");
        if (at < rest.size() && rest[at] == '"') {
            record.parts.push_back(quoted(record, rest, at));
            while (at < rest.size() && isBlank(rest[at]))
                ++at;
            if (at >= rest.size())
                return;
            if (!isBar(at))
                record.fail("text after a closing quote");
            at += 2;
            continue;
        }
        std::size_t bar = at;
        while (bar < rest.size() && !(isBar(bar) && (bar == at || isBlank(rest[bar - 1]))))
            ++bar;
        if (bar >= rest.size()) {
            record.parts.push_back(rest.substr(at));
            return;
        }
        record.parts.push_back(bar == at ? std::string() : rest.substr(at, bar - 1 - at));
        at = bar + 2;
    }
}

Record parseRecord(const std::string& line, int number)
{
    Record record;
    record.line = number;
    const std::size_t space = line.find_first_of(" \t");
    record.keyword = line.substr(0, space);
    const std::string rest =
        space == std::string::npos ? std::string() : line.substr(line.find_first_not_of(" \t", space));
    if (record.keyword == "entry") {
        parseParts(record, rest);
        return record;
    }
    const RecordForm* form = formOf(record.keyword);
    if (!form)
        record.fail("unknown record " + record.keyword);
    parseFields(record, rest);
    if (record.fields.size() > form->fields)
        record.fail("the field " + record.fields[form->fields] + " is not taken (a text with blanks goes in quotes)");
    for (const auto& option : record.options) {
        if (!form->keys.count(option.first))
            record.fail("the field " + option.first + "= is not taken by " + record.keyword);
    }
    return record;
}

// An entry's extension values are names and values in turn, separated by
// ';'.  An older form of the compiler wrote "name=value": it still compiles,
// but the page finds no value under the name.
void warnOlderExtensionForm(const Record& record, std::vector<std::string>& warnings)
{
    if (record.keyword != "entry" || record.parts.size() < 2 || record.parts[1].empty())
        return;
    const std::vector<std::string> names = tokenize(record.parts[1], ";");
    const std::string where = "line " + std::to_string(record.line) + ": the extension values " + toUtf8(record.parts[1]);
    for (const std::string& name : names) {
        if (name.find('=') != std::string::npos) {
            warnings.push_back(where + " are in an older form: names and values take turns, separated by ';' (" +
                               toUtf8(name.substr(0, name.find('='))) + ";" + toUtf8(name.substr(name.find('=') + 1)) +
                               ")");
            return;
        }
    }
    if (names.size() % 2 != 0)
        warnings.push_back(where + " end with a name without a value");
}

int titleType(const Record& record, const std::string& name)
{
    for (int type : {topic_title_type::A_Y_N, topic_title_type::A_Y_A, topic_title_type::X_A_N,
                     topic_title_type::X_A_A, topic_title_type::X_Y_N, topic_title_type::S_O_A}) {
        if (TopicTitle::typeName(type) == name)
            return type;
    }
    // Other slot combinations by their code: 0x29 fills slots 1 and 2 and
    // leaves slot 3 open ("＊").
    if (name.rfind("0x", 0) == 0) {
        const long code = record.number(name, 16);
        if (code > 0 && code <= 0x3F)
            return static_cast<int>(code);
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

// The letter of a group's kind, a number 0..11 or a letter.
int groupLetter(const Record& record, const std::string& kind)
{
    if (kind.size() == 1 && (kind[0] < '0' || kind[0] > '9')) {
        if (replyKindFlag(kind[0]) != 0)
            return kind[0];
    } else {
        const int letter = replyKindLetter(static_cast<int>(record.number(kind)));
        if (letter >= 0)
            return letter;
    }
    record.fail("no reply kind " + kind);
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
        else if (k == "term") term(record, &CDictionary::addTerm);
        else if (k == "term2") term(record, &CDictionary::addSecondTerm);
        else if (k == "string") m_dictionary->internString(record.field(0, "text"));
        else if (k == "table") table(record);
        else if (k == "group") group(record);
        else if (k == "entry") entry(record);
        else if (k == "topic") topic(record);
        else if (k == "title") title(record);
        else if (k == "idtitle") idTitle(record);
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
            if (!pending.ids.empty()) {
                for (const std::string& id : splitFields(pending.ids, ","))
                    for (TopicTitle* title : titlesUnder(pending.record, id))
                        entry.titleRefs().push_back(title);
            }
            if (!pending.ref.empty()) {
                const std::vector<TopicTitle*> titles = titlesUnder(pending.record, pending.ref);
                if (titles.size() != 1)
                    pending.record.fail("the id " + pending.ref + " names " + std::to_string(titles.size()) +
                                        " titles; an entry answers one");
                entry.setTitleRef(titles.front());
            }
        }
        // The index build: every title finds its centres among its words and
        // settles its main centre, once, before the base is saved.
        m_dictionary->collectTitleCentres();
        // An entity a visitor's question can be about is a title centre
        // (flag 8), whether or not a slot word names it: the question's
        // features ask for the topic search only for such entities.
        for (Topic* topic : m_topicOrder)
            for (TopicTitle* title : topic->titles().titles())
                for (KnowledgeObject* centre : title->getCentres()) {
                    auto* entity = dynamic_cast<Entity*>(centre);
                    if (entity && title->isSearchAble() && !entity->hasFlag(1 | 2 | 4))
                        entity->addFlags(8);
                }
        return std::move(m_dictionary);
    }

private:
    struct PendingRefs {
        Record record;
        ReplyTable* table;
        int letter;
        std::size_t index;
        std::string ids;
        std::string ref;
    };

    std::vector<TopicTitle*> titlesUnder(const Record& record, const std::string& id) const
    {
        std::vector<TopicTitle*> titles;
        auto range = m_dictionary->idMap().equal_range(id);
        for (auto it = range.first; it != range.second; ++it)
            titles.push_back(it->second);
        if (titles.empty())
            record.fail("no title under the id " + id);
        return titles;
    }

    ParsedText* parsed(const Record& record, const std::string& text)
    {
        std::string analysed;
        MorphemeList list = m_analysis(text, analysed, nullptr);
        if (analysed.empty())
            record.fail("the analyser made nothing of " + text);
        return m_dictionary->putParsedText(text, std::move(list), std::move(analysed));
    }

    // A title text's words, analysed and judged as a visitor's sentence;
    // each longest run of words that spells an entity's name becomes one
    // word bound to that entity.
    MorphemeList titleWords(const Record& record, const std::string& text, MeanEntry* judgement = nullptr)
    {
        if (text.empty())
            return MorphemeList();
        parsed(record, text);  // the text joins the analysed-text cache as the system would analyse it
        std::string analysed;
        MeanEntry ownJudgement;
        const std::vector<Morpheme> words =
            m_analysis(text, analysed, judgement ? judgement : &ownJudgement).words();
        std::vector<Morpheme> joined;
        for (std::size_t at = 0; at < words.size();) {
            std::size_t length = 0;
            std::string name;
            for (std::size_t end = at; end < words.size(); ++end) {
                name += words[end].surfaceRef();
                if (m_dictionary->findByName(name, false))
                    length = end + 1 - at;
            }
            if (length == 0) {
                joined.push_back(words[at++]);
                continue;
            }
            const std::vector<Morpheme> run(words.begin() + static_cast<std::ptrdiff_t>(at),
                                            words.begin() + static_cast<std::ptrdiff_t>(at + length));
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
        Entity* entity = entityNamed(record, record.field(0, "entity"));
        Entity* member = entityNamed(record, record.field(1, "relative"));
        const long set = record.number(record.option("set", "6"));
        if (set < 1 || set > Entity::SET_COUNT)
            record.fail("no entity set " + record.option("set"));
        if (set == Entity::SET_COUNT && member == entity)
            record.fail("an entity is not its own relative");
        if (set == Entity::SET_COUNT)
            entity->addRelated(member);
        else
            entity->entitySet(static_cast<int>(set)).insert(member);
    }

    void term(const Record& record, void (CDictionary::*index)(const std::string&, KnowledgeObject*))
    {
        (m_dictionary.get()->*index)(parsed(record, record.field(0, "text"))->getText(),
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
        m_letter = groupLetter(record, record.field(0, "kind"));
        if (m_table->findGroup(m_letter))
            record.fail("a second group of the kind " + std::string(1, static_cast<char>(m_letter)) +
                        " in the table " + m_table->name());
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
        const std::vector<std::string>& parts = record.parts;
        ReplySourceItem item;
        item.text = parts[0];
        if (parts.size() > 1)
            item.names = parts[1];
        item.replyTexts.push_back(parts[0]);
        const std::string ids = parts.size() > 2 ? parts[2] : std::string();
        const std::string ref = parts.size() > 3 ? parts[3] : std::string();
        if (!ids.empty() || !ref.empty())
            m_pendingInGroup.push_back(PendingRefs{record, nullptr, 0, m_source.items.size(), ids, ref});
        m_source.items.push_back(std::move(item));
    }

    void flushGroup()
    {
        if (!m_hasGroup)
            return;
        m_hasGroup = false;
        // A group is filled under the letter of its kind number; the letter
        // 'a' has none, so its group is filled as 'd' and moved.
        const bool letterA = m_letter == 'a';
        ReplyTable scratch;
        ReplyTable& target = letterA ? scratch : *m_table;
        const int kind = letterA ? 0 : kindNumber(m_letter);
        const int letter = target.addGroup(0, kind, m_source, ReplyEntry(), *m_dictionary, m_table->name());
        if (letter < 0)
            m_groupRecord.fail("a group without entries");
        if (letterA)
            m_table->groups()['a'] = std::move(scratch.groups()[letter]);
        for (PendingRefs& pending : m_pendingInGroup) {
            pending.table = m_table;
            pending.letter = m_letter;
            m_pendingRefs.push_back(pending);
        }
        m_pendingInGroup.clear();
    }

    static int kindNumber(int letter)
    {
        for (int kind = 0; kind < REPLY_KIND_COUNT; ++kind) {
            if (replyKindLetter(kind) == letter)
                return kind;
        }
        return -1;
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
        MeanEntry judgement;
        // The terms known so far merge into the title's words as they merge
        // into a visitor's: a title whose source holds a term (何時まで for
        // 営業時間) otherwise keeps a word that no question worded any other
        // way can pair with.
        std::vector<TermSpan> spans;
        title->setWords(m_dictionary->mergeTerms(titleWords(record, source, &judgement), spans));
        title->setSearchAble(record.option("searchable", "1") == "1");
        std::vector<Entity*> about = m_topicEntities;
        const std::string centres = record.option("centres");
        if (!centres.empty()) {
            about.clear();
            for (const std::string& name : splitFields(centres, ","))
                about.push_back(entityNamed(record, name));
        }
        if (title->isSearchAble() && !title->hasCMark())
            nameEntitiesInWords(source, about);
        const auto [xWords, yWords] = slotWords(record, *title);
        title->setXWords(xWords);
        title->setYWords(yWords);
        title->setAWords(titleWords(record, record.option("a")));
        // The slot words are the title's subject and object words.
        title->setSWords(title->getXWords());
        title->setOWords(title->getYWords());
        title->setDcaBits(record.has("dca") ? static_cast<std::int32_t>(record.number(record.option("dca"), 16))
                                            : featureWord(judgement));
        std::uint8_t polarity[3] = {judgement.getPolarity(), judgement.getPolarityX(), judgement.getPolarityY()};
        if (record.has("polarity")) {
            const std::vector<std::string> stated = splitFields(record.option("polarity"), ",");
            if (stated.size() != 3)
                record.fail("polarity takes three numbers");
            for (std::size_t k = 0; k < 3; ++k)
                polarity[k] = static_cast<std::uint8_t>(record.number(stated[k], 0));
        }
        title->setPolarity1(polarity[0]);
        title->setPolarity2(polarity[1]);
        title->setPolarity3(polarity[2]);
        title->setPriority(static_cast<std::int32_t>(record.number(record.option("priority", "0"))));
        title->setComplete(record.option("complete", "1") == "1");
        for (Entity* entity : about)
            title->addCentre(entity);
        m_topic->addTitle(title);
        const std::string id = record.option("id");
        if (!id.empty())
            m_dictionary->addIdTitle(id, title);
    }

    // The x and y words of a title.  The engine keeps a title it found by
    // its exact text only when the question's X and Y content words pair
    // off one to one with the title's x and y words, and a visitor who asks
    // the title's own text asks with the words the title's reading gives.
    // So x and y as written stand when they pair off with that reading;
    // otherwise (a particle or a joined text in them, a word left out or
    // put on the other side), and when both are left out, they are the
    // reading's own X and Y content words.  The titles the conversation
    // looks up by their slot texts (not searchable) keep theirs.
    std::pair<MorphemeList, MorphemeList> slotWords(const Record& record, const TopicTitle& title)
    {
        MorphemeList x = titleWords(record, record.option("x"));
        MorphemeList y = titleWords(record, record.option("y"));
        if (!title.isSearchAble() || title.hasCMark())
            return {x, y};
        const MorphemeList read = reading(title.sourceText());
        const MorphemeList readX = read.selectWords(3, 1, 0);
        const MorphemeList readY = read.selectWords(3, 2, 0);
        const bool written = record.has("x") || record.has("y");
        if ((readX.empty() && readY.empty()) || (written && DcaHandler80000(nullptr).matchWordSets(readX, readY, x, y)))
            return {x, y};
        return {readX, readY};
    }

    // A word of the title's reading that holds the name of an entity the
    // title is about, without being that name (ライセンスキー for ライセンス,
    // a Latin name run together with the word after it), stands for that
    // entity: the engine's topic search starts from the entities the
    // question's words name, and would find nothing in such a word.
    void nameEntitiesInWords(const std::string& source, const std::vector<Entity*>& about)
    {
        for (const Morpheme& word : reading(source).words()) {
            if (word.isKnowledgeWord() || !word.isContentWord())
                continue;
            const EucString surface(word.surfaceRef());
            for (Entity* entity : about) {
                const std::string name = entity->getTitleText();
                if (entity->hasFlag(1 | 2 | 4) || name.empty() || name.size() >= surface.size() ||
                    surface.find(name) < 0 || m_dictionary->termIndex().count(surface))
                    continue;
                m_dictionary->addTerm(surface, entity);
                break;
            }
        }
    }

    // The text's words as the engine reads a visitor's sentence: analysed,
    // judged, and the knowledge terms known so far merged.
    MorphemeList reading(const std::string& text)
    {
        std::string analysed;
        MeanEntry judgement;
        const MorphemeList words = m_analysis(text, analysed, &judgement);
        std::vector<TermSpan> spans;
        return m_dictionary->mergeTerms(words.mergeNumerals(), spans);
    }

    // A title's feature word from the judgement of its text, in the form
    // the candidate selector reads it: the expression bits of the
    // judgement's contents, as a visitor's question of the same text gets
    // them, packed below bit 22 (bit 14 of the expression bits is never
    // used), and the judgement's own DCA bits from bit 22 on, which tell a
    // comparison or a quantity question.
    static std::int32_t featureWord(const MeanEntry& judgement)
    {
        CaFeatures::initExpressionBits();
        const std::uint32_t expression = CaFeatures::expressionBits(judgement.getMeanContents());
        const auto own = static_cast<std::uint32_t>(judgement.getCodeBits());
        return static_cast<std::int32_t>((expression & 0x3FFF) | ((expression >> 1) & 0x3FC000) |
                                         (own & 0xFFC00000u));
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
    int m_letter = 0;
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
    // Judged as semanticIndex judges a visitor's sentence of the same text.
    return [](const std::string& text, std::string& analysed, MeanEntry* judgement) {
        LanguageAnalyzer* analyzer = LanguageAnalyzer::instance();
        if (!analyzer)
            return MorphemeList();
        const MorphemeList words = analyzer->analyze(text, analysed);
        return judgement ? CDictionary::judgeSentence(words, {-1}, 0, *judgement) : words;
    };
}

KnowledgeCompiler::KnowledgeCompiler(Analysis analysis) : m_analysis(std::move(analysis)) {}

KnowledgeCompiler::KnowledgeCompiler(PlainAnalysis analysis)
    : m_analysis([plain = std::move(analysis)](const std::string& text, std::string& analysed, MeanEntry*) {
          return plain(text, analysed);
      })
{
}

std::unique_ptr<CDictionary> KnowledgeCompiler::compile(const std::string& utf8Source,
                                                        std::vector<std::string>* warnings) const
{
    std::vector<std::string> noted;
    const std::vector<std::string> lines = sourceLines(utf8Source, noted);
    if (warnings)
        warnings->insert(warnings->end(), noted.begin(), noted.end());
    Builder builder(m_analysis);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        std::string line = lines[k];
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#')
            continue;
        const Record record = parseRecord(line.substr(start), static_cast<int>(k) + 1);
        if (warnings)
            warnOlderExtensionForm(record, *warnings);
        builder.add(record);
    }
    return builder.finish();
}

std::string KnowledgeCompiler::conversationGaps(CDictionary& base, std::vector<std::string>& warnings)
{
    const auto title = [&base](const char* entityName, const char* y) -> const TopicTitle* {
        const Entity* entity = base.findEntity(entityName, false);
        return entity ? entity->findTopicTitle(entityName, y, "＊") : nullptr;
    };
    // The engine greets from these replies; a base without them would open
    // every conversation with nothing.
    const TopicTitle* greeting = title("ＣＡ発話", "呼びかけ");
    if (!greeting || greeting->getReplyGroup('d', 1).entries().empty())
        return utf8(u8"the base has no greeting: the entity ＣＡ発話 needs a topic whose title is "
                    u8"ＣＡ発話 / 呼びかけ / ＊ (title 0x29 x=ＣＡ発話 y=呼びかけ) with replies of group 0");
    if (!title("回答不能", "＊"))
        warnings.push_back(utf8(u8"the base has no reply for what it has no topic for: without a title "
                                u8"回答不能 / ＊ / ＊ of the entity 回答不能 (title X_A_A x=回答不能) such "
                                u8"questions are answered with nothing"));
    return {};
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
    std::vector<std::string> warnings;
    try {
        dictionary = compile(source, &warnings);
    } catch (const KnowledgeSourceError& error) {
        std::cerr << sourcePath << ": " << error.what() << std::endl;
        return -1;
    }
    if (const std::string gap = conversationGaps(*dictionary, warnings); !gap.empty()) {
        std::cerr << sourcePath << ": " << gap << std::endl;
        return -1;
    }
    for (const std::string& warning : warnings)
        std::cerr << sourcePath << ": warning: " << warning << std::endl;
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
