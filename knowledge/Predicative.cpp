#include "knowledge/Predicative.h"

#include "analysis/ConsoleLine.h"
#include "knowledge/Thesaurus.h"

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
        writeConsoleErrorLine("Predicative::setThesaurus: Illegal TarnML Type");
        break;
    }
}

}  // namespace quibo
