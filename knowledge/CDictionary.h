// One loaded knowledge base.  It owns every knowledge object of its file and
// the cache of analysed texts; its name maps hold borrowed pointers into
// that ownership.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace quibo {

class Entity;
class KnowledgeObject;
class ParsedText;
class Predicative;
class Thesaurus;

class CDictionary {
public:
    CDictionary();
    CDictionary(const CDictionary&) = delete;
    CDictionary& operator=(const CDictionary&) = delete;
    virtual ~CDictionary();

    // The analysed text cached under the text, analysed and stored on first
    // use; null for a text of blanks only.
    virtual ParsedText* getParsedText(const std::string& text);
    // The thesaurus of that title, type and representative, created on first
    // use.
    virtual Thesaurus* findThesaurus(ParsedText* title, int typeId, KnowledgeObject* representative);
    virtual Entity* findEntity(const std::string& text, bool normalise);
    // Ownership passes to the dictionary; an existing entry under the same
    // name is kept, the new object is stored after it.  The stored object is
    // returned.
    virtual Entity* addEntity(const std::string& name, std::unique_ptr<Entity> entity);
    virtual Predicative* addPredicative(const std::string& name,
                                        std::unique_ptr<Predicative> predicative);
    virtual Thesaurus* addThesaurus(const std::string& title, std::unique_ptr<Thesaurus> thesaurus);

    // The first entity or predicative stored under the text; with normalise
    // the text is first replaced by its analysed form.
    Entity* findByName(const std::string& text, bool normalise);
    Predicative* findPredicative(const std::string& text, bool normalise);

    // The pooled copy of the text, added on first use; the address stays
    // valid for the dictionary's lifetime.
    virtual const std::string* internString(const std::string& text);
    // The same on the text pool; a text pooled for the first time also adds
    // the host of every address in it ("://" up to "/", "," or " ") to
    // hostNames.
    virtual const std::string* internText(const std::string& text);

    const std::set<std::string>& stringPool() const { return m_stringPool; }
    const std::set<std::string>& textPool() const { return m_textPool; }
    const std::set<std::string>& hostNames() const { return m_hostNames; }

    const std::map<std::string, int>& conjugationTypeIndex() const { return m_conjugationTypeIndex; }
    const std::map<std::string, int>& conjugationFormIndex() const { return m_conjugationFormIndex; }

private:
    std::string normalised(const std::string& text) const;

    // Every knowledge object of the file; the maps below borrow from here.
    std::vector<std::unique_ptr<KnowledgeObject>> m_objects;
    std::multimap<std::string, Entity*> m_entities;
    std::multimap<std::string, Predicative*> m_predicatives;
    std::multimap<std::string, Thesaurus*> m_thesauri;
    std::map<std::string, std::unique_ptr<ParsedText>> m_parsedTexts;
    std::set<std::string> m_stringPool;
    std::set<std::string> m_textPool;
    std::map<std::string, int> m_conjugationTypeIndex;
    std::map<std::string, int> m_conjugationFormIndex;
    std::set<std::string> m_hostNames;
};

}  // namespace quibo
