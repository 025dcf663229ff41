// Words and word lists for tests, built without an analyser.
#pragma once

#include "analysis/MorphemeList.h"

#include <initializer_list>
#include <string>

namespace quibo::test {

// A word whose surface, key form and base form are `text`.
inline Morpheme makeWord(const std::string& text, PosCode posCode, std::uint32_t flags = 0)
{
    Morpheme word;
    word.setSurface(text);
    word.setKeyForm(text);
    word.setBaseForm(text);
    word.setPosCode(posCode);
    word.setOriginalPosCode(posCode);
    word.setFlags(flags);
    return word;
}

inline MorphemeList makeList(std::initializer_list<Morpheme> words)
{
    return MorphemeList(std::vector<Morpheme>(words));
}

// The key forms of a list, joined by blanks, for compact expectations.
inline std::string keyForms(const MorphemeList& list)
{
    std::string text;
    for (const Morpheme& word : list.words())
        text += (text.empty() ? "" : " ") + std::string(word.keyFormRef());
    return text;
}

}  // namespace quibo::test
