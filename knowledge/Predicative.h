// A predicate word of the knowledge base, with the synonym and antonym
// groups it belongs to.
#pragma once

#include "knowledge/KnowledgeObject.h"

#include <vector>

namespace quibo {

class Thesaurus;

class Predicative : public KnowledgeObject {
    template <class T>
    friend struct CdrBody;

public:
    Predicative(std::int32_t typeId, ParsedText* title) : KnowledgeObject(typeId, title) {}

    // Links a predicative synonym or antonym group; a group of another kind
    // is refused with a line on the error stream.
    virtual void setThesaurus(Thesaurus* thesaurus);
    virtual std::vector<Thesaurus*>& synonyms() { return m_synonyms; }
    virtual std::vector<Thesaurus*>& antonyms() { return m_antonyms; }

private:
    std::vector<Thesaurus*> m_synonyms;  // borrowed
    std::vector<Thesaurus*> m_antonyms;  // borrowed
};

template <>
struct CdrStoredBase<Predicative> {
    using type = KnowledgeObject;
};

}  // namespace quibo
