#include "knowledge/KnowledgeObject.h"

#include "knowledge/ParsedText.h"

namespace quibo {

std::string KnowledgeObject::getTitleText() const
{
    return m_title ? m_title->getText() : std::string();
}

std::string KnowledgeObject::getSourceText() const
{
    if (!m_title)
        return std::string();
    return m_title->getInputText().empty() ? m_title->getText() : m_title->getInputText();
}

MorphemeList KnowledgeObject::getTitleWords() const
{
    return m_title ? m_title->getMorphemes() : MorphemeList();
}

void KnowledgeObject::setTitleWords(const MorphemeList& words)
{
    if (m_title)
        m_title->morphemesRef() = words;
}

void KnowledgeObject::makeReading()
{
    std::string reading;
    for (const Morpheme& word : getTitleWords().words()) {
        if (word.readingRef() != "\t")
            reading += word.readingRef();
    }
    m_reading = std::move(reading);
}

}  // namespace quibo
