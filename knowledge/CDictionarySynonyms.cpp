// Synonym groups grown at run time: a visitor's word that the knowledge file
// lacks but that the semantic network ties to a known entity becomes a term
// of that entity.  Everything grown here belongs to the dictionary and is
// added once.
#include "knowledge/CDictionary.h"

#include "analysis/ConsoleLine.h"
#include "analysis/LanguageAnalyzer.h"
#include "knowledge/Entity.h"
#include "knowledge/ParsedText.h"
#include "knowledge/Thesaurus.h"

#include <algorithm>
#include <climits>

namespace quibo {

namespace {

constexpr std::int32_t ENTITY_FLAG_ONE = 0x1;
constexpr std::int32_t ENTITY_FLAG_FOUR = 0x4;

bool startsWithKatakana(const std::string& text)
{
    return !text.empty() && static_cast<unsigned char>(text[0]) == 0xA5;
}

// Katakana characters become the hiragana of the same sound; anything else
// stays as it is.
std::string hiraganaOf(const std::string& reading)
{
    std::string text = reading;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto lead = static_cast<unsigned char>(text[at]);
        if (lead < 0x80 || at + 1 >= text.size()) {
            ++at;
            continue;
        }
        const auto trail = static_cast<unsigned char>(text[at + 1]);
        if (lead == 0xA5 && trail >= 0xA2 && trail <= 0xF3)
            text[at] = static_cast<char>(0xA4);
        at += 2;
    }
    return text;
}

void append(std::vector<SenseRecord>& to, std::vector<SenseRecord> records)
{
    for (SenseRecord& record : records)
        to.push_back(std::move(record));
}

bool isSynonym(const SenseRecord& record) { return record.polarity == '0'; }

}  // namespace

std::vector<SenseRecord> relatedWords(const Morpheme& word)
{
    LanguageAnalyzer* analyzer = LanguageAnalyzer::instance();
    if (!analyzer)
        return {};
    const std::string keyForm(word.keyFormRef());
    std::vector<SenseRecord> records = analyzer->getRelations(keyForm);
    if (records.empty() && word.surfaceRef() != keyForm)
        records = analyzer->getRelations(std::string(word.surfaceRef()));
    if (!records.empty() || !startsWithKatakana(keyForm))
        return records;

    std::string hiragana = hiraganaOf(std::string(word.readingRef()));
    std::string surfaces;
    const MorphemeList analysed = analyzer->analyze(hiragana, surfaces);
    if (analysed.size() == 1) {
        const Morpheme& only = analysed.at(0);
        append(records, analyzer->getRelations(std::string(only.keyFormRef())));
        if (only.surfaceRef() != only.keyFormRef())
            append(records, analyzer->getRelations(std::string(only.surfaceRef())));
    } else {
        append(records, analyzer->getRelations(hiragana));
    }
    for (SenseRecord& record : records)
        record.queriedWord = keyForm;
    return records;
}

void CDictionary::addTermOnce(const std::string& text, KnowledgeObject* object)
{
    auto range = m_termIndex.equal_range(text);
    if (std::any_of(range.first, range.second, [&](const auto& entry) { return entry.second == object; }))
        return;
    addTerm(text, object);
}

void CDictionary::registerTerm(KnowledgeObject* object)
{
    if (object)
        addTermOnce(object->getTitleText(), object);
}

void CDictionary::extendWordThesauri(const MorphemeList& words)
{
    for (std::size_t i = 0; i < words.size(); ++i) {
        const Morpheme& word = words.at(i);
        if (cannotStartTerm(word, i))
            continue;
        auto known = [&](std::string_view view) {
            const std::string name(view);
            return findByName(name, false) != nullptr || m_thesauri.contains(name);
        };
        if (known(word.surfaceRef()) || (word.keyFormRef() != word.surfaceRef() && known(word.keyFormRef())))
            continue;

        for (const SenseRecord& relation : relatedWords(word)) {
            EntitySet synonyms;
            EntitySet antonyms;
            if (Entity* named = findByName(relation.relatedWord, false))
                (isSynonym(relation) ? synonyms : antonyms).insert(named);
            auto range = m_thesauri.equal_range(relation.queriedWord);
            for (auto it = range.first; it != range.second; ++it) {
                Thesaurus* group = it->second;
                if (!group || !group->getRepresentative())
                    continue;
                if (group->getTypeId() == knowledge_type::ENTITY_SYNONYMS)
                    synonyms.insert(group->getRepresentative());
                else if (group->getTypeId() == knowledge_type::ENTITY_THESAURUS)
                    antonyms.insert(group->getRepresentative());
            }
            if (synonyms.empty() && antonyms.empty())
                continue;
            ParsedText* title = getParsedText(relation.queriedWord);
            if (!title)
                continue;
            // The term index's first characters and longest length cover
            // every term added below (addTerm keeps them so).
            for (KnowledgeObject* entity : synonyms.members())
                addTermOnce(relation.queriedWord,
                            findThesaurus(title, knowledge_type::ENTITY_SYNONYMS, entity));
            for (KnowledgeObject* entity : antonyms.members()) {
                const auto* flagged = dynamic_cast<const Entity*>(entity);
                if (flagged && flagged->hasFlag(ENTITY_FLAG_ONE | ENTITY_FLAG_FOUR))
                    continue;
                addTermOnce(relation.queriedWord,
                            findThesaurus(title, knowledge_type::ENTITY_THESAURUS, entity));
            }
        }
    }
}

namespace {

// The entity of the name, created (flag 0x20, announced with the line) when
// the dictionary has none yet.
Entity* entityFor(const std::string& name, const std::string& line, CDictionary& dictionary, bool keepOut)
{
    if (Entity* existing = dictionary.findByName(name, false))
        return existing;
    ParsedText* title = dictionary.getParsedText(name);
    if (!title)
        return nullptr;
    Entity* created = dictionary.addEntity(name, std::make_unique<Entity>(title, Entity::FLAG_SYNONYM_EXTENSION));
    writeConsoleLine(line);
    if (!keepOut)
        dictionary.registerTerm(created);
    return created;
}

Entity* entityFor(const std::string& name, CDictionary& dictionary, bool keepOut)
{
    return entityFor(name, "extend:" + name + "(ET)", dictionary, keepOut);
}

void relate(Entity* entity, const std::vector<std::string>& names, CDictionary& dictionary, bool keepOut)
{
    for (const std::string& name : names) {
        Entity* related = entityFor(name, dictionary, keepOut);
        if (entity && related)
            entity->addRelated(related);
    }
}

}  // namespace

Entity* extendEntity(const std::string& word, const std::vector<SenseRecord>& relations, CDictionary& dictionary,
                     bool keepOut, std::string& text, bool& fromSynonym)
{
    std::vector<std::string> synonyms;
    std::vector<std::string> antonyms;
    bool self = false;
    for (const SenseRecord& relation : relations) {
        if (relation.kind != 'N')
            continue;
        (isSynonym(relation) ? synonyms : antonyms).push_back(relation.relatedWord);
        self = self || relation.relatedWord == word;
    }
    text.clear();
    fromSynonym = false;
    Entity* result = nullptr;

    if (synonyms.size() >= 2) {
        Entity* own = entityFor(word,
                                "extend:Multisynonym or multitype(Synonymous　Representative word is more than one "
                                "include itself)" + word + "(ET)",
                                dictionary, keepOut);
        relate(own, synonyms, dictionary, keepOut);
        text = word;
    } else if (synonyms.size() == 1) {
        const std::string& name = synonyms.front();
        Entity* synonym = entityFor(name, dictionary, keepOut);
        if (keepOut && name != word) {
            result = synonym;
            fromSynonym = true;
        }
        if (self)
            relate(synonym, antonyms, dictionary, keepOut);
        text = name;
    }

    if (antonyms.size() == 1) {
        const std::string& name = antonyms.front();
        Entity* antonym = entityFor(name, dictionary, keepOut);
        if (name != word) {
            result = antonym;
            fromSynonym = false;
        }
        text = name;
    } else if (antonyms.size() >= 2) {
        Entity* own = entityFor(word,
                                "extend:multianti is not exist in Synonymous　Representative word" + word + "(ET)",
                                dictionary, keepOut);
        relate(own, antonyms, dictionary, keepOut);
    }
    return result;
}

}  // namespace quibo
