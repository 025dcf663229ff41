#include "analysis/Vocabulary.h"

namespace quibo {

std::string_view conjugationTypeName(int conjugationValue)
{
    unsigned id = static_cast<unsigned>(conjugationValue) >> 16;
    return id < CONJUGATION_TYPE_NAMES.size() ? CONJUGATION_TYPE_NAMES[id] : EMPTY_TEXT;
}

std::string_view conjugationFormName(int conjugationValue)
{
    unsigned id = static_cast<unsigned>(conjugationValue) & 0xFFFF;
    return id < CONJUGATION_FORM_NAMES.size() ? CONJUGATION_FORM_NAMES[id] : EMPTY_TEXT;
}

std::string_view sentenceFormWord(char code)
{
    switch (code) {
    case 'd': return SENTENCE_FORM_DEFAULT;
    case 'i': return SENTENCE_FORM_POSITIVE;
    case 'n': return SENTENCE_FORM_NEGATIVE;
    default: return EMPTY_TEXT;
    }
}

}  // namespace quibo
