// A text together with its morphological analysis.  The knowledge base keeps
// one per distinct text and every knowledge object points to one as its title.
#pragma once

#include "analysis/MorphemeList.h"
#include "knowledge/CdrBody.h"

#include <string>

namespace quibo {

class ParsedText {
    // A stream fills a text it creates field by field.
    template <class T>
    friend struct CdrBody;

public:
    // inputText is the text as the caller gave it, kept only when it differs
    // from the analysed text (callers pass an empty string otherwise).
    ParsedText(std::string text, MorphemeList words, std::string inputText)
        : m_text(std::move(text)), m_inputText(std::move(inputText)), m_words(std::move(words)) {}
    virtual ~ParsedText() = default;

    const std::string& getText() const { return m_text; }
    const std::string& getInputText() const { return m_inputText; }
    MorphemeList getMorphemes() const { return m_words; }
    const MorphemeList& morphemes() const { return m_words; }
    // Shared titles are rewritten in place for every object that points here.
    MorphemeList& morphemesRef() { return m_words; }

private:
    std::string m_text;       // as the analyser returned it (normalised)
    std::string m_inputText;  // as given, when it differs from m_text
    MorphemeList m_words;
};

}  // namespace quibo
