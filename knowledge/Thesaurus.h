// A synonym or antonym group that ties knowledge objects to a representative
// word.
#pragma once

#include "knowledge/KnowledgeObject.h"

namespace quibo {

class Thesaurus : public KnowledgeObject {
public:
    // The representative is borrowed from the knowledge base.
    Thesaurus(std::int32_t typeId, ParsedText* title, KnowledgeObject* representative)
        : KnowledgeObject(typeId, title), m_representative(representative) {}

    KnowledgeObject* getRepresentative() const { return m_representative; }
    // Empty when the group has no representative.
    virtual std::string representativeTitleText() const;
    virtual std::string representativeSourceText() const;

private:
    KnowledgeObject* m_representative;
};

}  // namespace quibo
