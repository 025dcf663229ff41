// A synonym or antonym group that ties knowledge objects to a representative
// word.
#pragma once

#include "knowledge/KnowledgeObject.h"

namespace quibo {

class Thesaurus : public KnowledgeObject {
    template <class T>
    friend struct CdrBody;

public:
    // The representative is borrowed from the knowledge base.
    Thesaurus(std::int32_t typeId, ParsedText* title, KnowledgeObject* representative)
        : KnowledgeObject(typeId, title), m_representative(representative) {}

    KnowledgeObject* getRepresentative() const { return m_representative; }
    // Empty when the group has no representative.
    virtual std::string representativeTitleText() const;
    virtual std::string representativeSourceText() const;

    // Prints the prefix line when it is not empty, then
    // "Thesaurus title=<title>,yomi=<reading>" and " <tag><representative>)",
    // the tag naming the group's kind ("??" for a type of no group), on
    // standard output.
    void dump(const std::string& prefix) const;

private:
    KnowledgeObject* m_representative;
};

template <>
struct CdrStoredBase<Thesaurus> {
    using type = KnowledgeObject;
};

}  // namespace quibo
