#include "tools/KnowledgeDump.h"

#include "analysis/CodeConverter.h"
#include "knowledge/CDictionary.h"
#include "knowledge/CdrWriter.h"
#include "knowledge/KnowledgeFile.h"
#include "knowledge/StoredBodies.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <functional>
#include <map>
#include <set>

namespace quibo {
namespace {

std::string hex(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%x", value);
    return text;
}

// Object numbers as the stream gives them.
class Numbering {
public:
    explicit Numbering(CdrWriter& writer) : m_refs(writer.refs()) {}

    template <class T>
    std::string ref(const T* object)
    {
        if (!object)
            return "-";
        return "#" + std::to_string(m_refs.numberOf(*object));
    }

private:
    ObjectRefTable& m_refs;
};

class Dumper {
public:
    Dumper(const CDictionary& dictionary, CdrWriter& writer) : m_dictionary(dictionary), m_numbers(writer) {}

    std::string run()
    {
        m_text += "version " + knowledgeVersionText() + "\n";
        keyed("entities", m_dictionary.entities());
        keyed("predicatives", m_dictionary.predicatives());
        keyed("thesauri", m_dictionary.thesauri());
        keyed("parsedTexts", m_dictionary.parsedTexts());
        m_text += "replyTables " + std::to_string(m_dictionary.replyTables().size()) + "\n";
        for (const ReplyTable* table : m_dictionary.replyTables()) {
            m_text += "  " + m_numbers.ref(table) + "\n";
            note(table);
        }
        keyed("topics", m_dictionary.topics());
        strings("stringPool", m_dictionary.stringPool());
        strings("textPool", m_dictionary.textPool());
        keyed("termIndex", m_dictionary.termIndex());
        strings("termFirstChars", m_dictionary.termFirstChars());
        m_text += "termMaxLength " + std::to_string(m_dictionary.termMaxLength()) + "\n";
        keyed("secondTermIndex", m_dictionary.secondTermIndex());
        strings("secondTermFirstChars", m_dictionary.secondTermFirstChars());
        m_text += "secondTermMaxLength " + std::to_string(m_dictionary.secondTermMaxLength()) + "\n";
        m_text += "counter " + std::to_string(knowledgeFileCounter()) + "\n";
        keyed("idMap", m_dictionary.idMap());

        // Printing an object may meet further objects: go on until none is
        // pending.
        while (!m_pending.empty()) {
            const int number = *m_pending.begin();
            m_pending.erase(m_pending.begin());
            m_objects[number].print();
        }
        m_text += "objects " + std::to_string(m_objects.size()) + "\n";
        for (auto& [number, object] : m_objects)
            m_text += object.text;
        return m_text;
    }

private:
    struct Pending {
        std::function<void()> print;
        std::string text;
    };

    template <class Map>
    void keyed(const char* name, const Map& map)
    {
        m_text += std::string(name) + " " + std::to_string(map.size()) + "\n";
        for (const auto& [key, object] : map) {
            m_text += "  " + key + " -> " + m_numbers.ref(object) + "\n";
            note(object);
        }
    }

    void strings(const char* name, const std::set<std::string>& set)
    {
        m_text += std::string(name) + " " + std::to_string(set.size()) + "\n";
        for (const std::string& text : set)
            m_text += "  " + text + "\n";
    }

    int numberOf(const std::string& ref) { return ref == "-" ? 0 : std::stoi(ref.substr(1)); }

    // Registers an object for the objects section; its number is its key.
    template <class T>
    std::string note(const T* object)
    {
        const std::string ref = m_numbers.ref(object);
        if (!object)
            return ref;
        const int number = numberOf(ref);
        if (m_objects.count(number) == 0) {
            Pending& pending = m_objects[number];
            m_pending.insert(number);
            pending.print = [this, object, number] { m_objects[number].text = describe(*object, number); };
        }
        return ref;
    }

    std::string head(int number, const char* kind) { return "#" + std::to_string(number) + " " + kind; }

    std::string describe(const KnowledgeObject& object, int number)
    {
        if (auto* entity = dynamic_cast<const Entity*>(&object))
            return describeEntity(*entity, number);
        if (auto* predicative = dynamic_cast<const Predicative*>(&object))
            return describePredicative(*predicative, number);
        if (auto* thesaurus = dynamic_cast<const Thesaurus*>(&object))
            return describeThesaurus(*thesaurus, number);
        return head(number, "KnowledgeObject") + common(object) + "\n";
    }

    std::string common(const KnowledgeObject& object)
    {
        return " type=" + hex(static_cast<std::uint32_t>(object.getTypeId())) + " title=" + note(object.getTitle()) +
               " reading=" + object.getReading();
    }

    template <class Range>
    std::string list(const Range& objects)
    {
        std::string text;
        for (const auto* object : objects)
            text += " " + note(object);
        return text;
    }

    std::string entitiesOf(const std::vector<KnowledgeObject*>& objects)
    {
        std::string text;
        for (const KnowledgeObject* object : objects)
            text += " " + note(dynamic_cast<const Entity*>(object));
        return text;
    }

    std::string describeEntity(const Entity& entity, int number)
    {
        std::string text = head(number, "Entity") + common(entity) +
                           " flags=" + hex(static_cast<std::uint32_t>(entity.getFlags())) + "\n";
        Entity& mutableEntity = const_cast<Entity&>(entity);
        if (!mutableEntity.thesauriRef().empty())
            text += "  thesauri" + list(mutableEntity.thesauriRef()) + "\n";
        for (int set = 1; set <= Entity::SET_COUNT; ++set) {
            if (!entity.entitySet(set).empty())
                text += "  set" + std::to_string(set) + entitiesOf(entity.entitySet(set).members().inOrder()) + "\n";
        }
        if (!entity.topics().empty())
            text += "  topics" + list(entity.topics()) + "\n";
        return text;
    }

    std::string describePredicative(const Predicative& predicative, int number)
    {
        Predicative& p = const_cast<Predicative&>(predicative);
        std::string text = head(number, "Predicative") + common(predicative) + "\n";
        if (!p.synonyms().empty())
            text += "  synonyms" + list(p.synonyms()) + "\n";
        if (!p.antonyms().empty())
            text += "  antonyms" + list(p.antonyms()) + "\n";
        return text;
    }

    std::string describeThesaurus(const Thesaurus& thesaurus, int number)
    {
        return head(number, "Thesaurus") + common(thesaurus) +
               " representative=" + note(thesaurus.getRepresentative()) + "\n";
    }

    std::string words(const char* name, const MorphemeList& list)
    {
        std::string text = "  " + std::string(name) + " " + std::to_string(list.size()) + "\n";
        for (const Morpheme& word : list.words()) {
            // A word is stored with its binding when the stream carries the
            // object it is bound to.
            const KnowledgeObject* bound = word.getKnowledgeObject();
            if (bound && m_numbers.ref(bound) == "#0")
                bound = nullptr;
            text += "    " + word.getSurface() + " key=" + std::string(word.keyFormRef()) +
                    " base=" + std::string(word.baseFormRef()) + " pos=" + hex(word.getPosCode()) +
                    " original=" + hex(word.getOriginalPosCode()) +
                    " conjugation=" + hex(static_cast<std::uint32_t>(word.getConjugation())) +
                    " reading=" + std::string(word.readingRef()) +
                    " object=" + note(bound) +
                    " flags=" + hex(word.getFlags()) + " attributes=" + hex(word.getAttributeWord()) +
                    " o=" + std::to_string(word.getO()) + " m=" + std::to_string(word.getM()) + "\n";
        }
        return text;
    }

    std::string describe(const ParsedText& parsed, int number)
    {
        return head(number, "ParsedText") + " text=" + parsed.getText() + " input=" + parsed.getInputText() + "\n" +
               words("words", parsed.morphemes());
    }

    std::string describe(const Topic& topic, int number)
    {
        return head(number, "Topic") + " kinds=" + hex(static_cast<std::uint32_t>(topic.getReplyKinds())) +
               " table=" + note(topic.getReplyTable()) + "\n  titles" + list(topic.titles().titles()) + "\n";
    }

    std::string describe(const TopicTitle& title, int number)
    {
        std::string text = head(number, "TopicTitle") + " type=" + TopicTitle::typeName(title.getType()) +
                           " owner=" + note(title.getOwner()) + " source=" + title.sourceText() +
                           " dcaBits=" + hex(static_cast<std::uint32_t>(title.getDcaBits())) +
                           " polarity=" + std::to_string(title.getPolarity1()) + "," +
                           std::to_string(title.getPolarity2()) + "," + std::to_string(title.getPolarity3()) +
                           " searchAble=" + std::to_string(title.isSearchAble()) +
                           " complete=" + std::to_string(title.isComplete()) +
                           " completeImi=" + std::to_string(title.isCompleteImi()) +
                           " flag3=" + std::to_string(title.getFlag3()) +
                           " derivation=" + std::to_string(title.getDerivation()) + " aux=" + title.getAuxText() +
                           " priority=" + std::to_string(title.getPriority()) +
                           " marked=" + std::to_string(title.isMarked()) + "\n";
        text += "  slots " + title.slotText(1) + " / " + title.slotText(2) + " / " + title.slotText(3) + "\n";
        text += words("words", title.getWords()) + words("x", title.getXWords()) + words("y", title.getYWords()) +
                words("a", title.getAWords()) + words("s", title.getSWords()) + words("o", title.getOWords());
        text += "  centres" + entitiesOf(title.getCentres()) + "\n";
        return text;
    }

    std::string describe(const ReplyTable& table, int number)
    {
        std::string text = head(number, "ReplyTable") + " groups=" + std::to_string(table.groups().size()) + "\n";
        for (const auto& [letter, group] : table.groups()) {
            const char shown[2] = {static_cast<char>(letter >= 0x20 && letter < 0x7f ? letter : '?'), '\0'};
            text += "  group '" + std::string(shown) + "' (" + std::to_string(letter) +
                    ") type=" + std::to_string(group.getTypeId()) + "\n";
            for (const ReplyEntry& entry : group.entries()) {
                text += "    entry label=" + note(entry.label()) + " names=";
                std::string names;
                for (const std::string* name : entry.names())
                    names += (names.empty() ? "" : ",") + note(name);
                text += names + " titleRefs=" + list(entry.titleRefs()) + " titleRef=" + note(entry.titleRef()) +
                        " text=" + entry.text() + "\n";
            }
        }
        return text;
    }

    std::string describe(const std::string& text, int number) { return head(number, "String") + " " + text + "\n"; }

    const CDictionary& m_dictionary;
    Numbering m_numbers;
    std::string m_text;
    std::map<int, Pending> m_objects;
    std::set<int> m_pending;
};

}  // namespace

std::string dumpKnowledgeBase(const CDictionary& dictionary)
{
    // A save numbers the objects; the dump uses those numbers.
    CdrWriter writer(KNOWLEDGE_PAYLOAD_LIMIT, KNOWLEDGE_FILE_MAX_OBJECTS);
    dictionary.writePayload(writer);
    return Dumper(dictionary, writer).run();
}

int dumpKnowledgeFile(const std::string& path, const std::string& out)
{
    CDictionary dictionary;
    if (loadKnowledgeFile(dictionary, path) != 0)
        return -1;
    const std::string text =
        CodeConverter(dumpKnowledgeBase(dictionary)).convert(CodeConverter::UTF8, CodeConverter::EUC);
    if (out.empty()) {
        std::cout << text << std::flush;
        return 0;
    }
    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    return file ? 0 : -1;
}

}  // namespace quibo
