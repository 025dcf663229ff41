#include "knowledge/Thesaurus.h"

namespace quibo {

std::string Thesaurus::representativeTitleText() const
{
    return m_representative ? m_representative->getTitleText() : std::string();
}

std::string Thesaurus::representativeSourceText() const
{
    return m_representative ? m_representative->getSourceText() : std::string();
}

}  // namespace quibo
