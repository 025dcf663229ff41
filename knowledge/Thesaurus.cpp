#include "knowledge/Thesaurus.h"

#include "analysis/ConsoleLine.h"

namespace quibo {

std::string Thesaurus::representativeTitleText() const
{
    return m_representative ? m_representative->getTitleText() : std::string();
}

std::string Thesaurus::representativeSourceText() const
{
    return m_representative ? m_representative->getSourceText() : std::string();
}

namespace {

std::string kindTag(std::int32_t typeId)
{
    switch (typeId) {
    case knowledge_type::PREDICATIVE_ANTONYMS: return "PA(";
    case knowledge_type::PREDICATIVE_SYNONYMS: return "PS(";
    case knowledge_type::ENTITY_THESAURUS: return "EA(";
    case knowledge_type::ENTITY_SYNONYMS: return "ES(";
    default: return "??";
    }
}

}  // namespace

void Thesaurus::dump(const std::string& prefix) const
{
    if (!prefix.empty())
        writeConsoleLine(prefix);
    writeConsoleLine("Thesaurus title=" + getTitleText() + ",yomi=" + getReading());
    writeConsoleLine(" " + kindTag(getTypeId()) + representativeTitleText() + ")");
}

}  // namespace quibo
