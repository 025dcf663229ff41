#include "knowledge/Predicative.h"

#include "knowledge/Thesaurus.h"

#include <iostream>

namespace quibo {

void Predicative::setThesaurus(Thesaurus* thesaurus)
{
    if (!thesaurus)
        return;
    switch (thesaurus->getTypeId()) {
    case knowledge_type::PREDICATIVE_SYNONYMS:
        m_synonyms.push_back(thesaurus);
        break;
    case knowledge_type::PREDICATIVE_ANTONYMS:
        m_antonyms.push_back(thesaurus);
        break;
    default:
        std::cerr << "Predicative::setThesaurus: Illegal TarnML Type" << std::endl;
        break;
    }
}

}  // namespace quibo
