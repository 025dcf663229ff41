#include "analysis/PhraseRecord.h"

namespace quibo {

VariantWord PhraseRecord::getHeadWord() const
{
    return isPresent(m_mainWord) ? m_mainWord : m_secondWord;
}

void PhraseRecord::setSecondWords(const std::vector<VariantWord>& words)
{
    if (&words != &m_secondWords)
        m_secondWords = words;
}

void PhraseRecord::clear()
{
    m_secondWord.setKeyForm("");
    m_secondWord.setBaseForm("");
    m_attachedWords.clear();
    m_secondWords.clear();
    m_mainWord.setKeyForm("");
    m_mainWord.setBaseForm("");
}

std::string PhraseRecord::toString(bool withAttached, int dumpFlags) const
{
    std::string text;
    if (withAttached) {
        text += "sub=";
        for (const VariantWord& word : m_attachedWords)
            text += word.dump(dumpFlags);
    }
    text += "main=";
    if (isPresent(m_mainWord))
        text += m_mainWord.dump(dumpFlags);
    if (isPresent(m_secondWord))
        text += m_secondWord.dump(dumpFlags);
    return text;
}

bool PhraseRecord::isEmpty() const
{
    return !isPresent(m_mainWord) && !isPresent(m_secondWord) && m_attachedWords.empty();
}

PhraseRecord& phraseCacheEntry(PhraseCache& cache, const std::string& key)
{
    return cache[key];
}

}  // namespace quibo
