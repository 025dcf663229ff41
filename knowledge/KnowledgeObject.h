// Base of the knowledge base's typed objects (entities, predicatives,
// thesauri).  Every object carries the knowledge editor's type code, a title
// shared through the knowledge base's text cache, and the title's reading.
#pragma once

#include "analysis/MorphemeList.h"
#include "knowledge/CdrBody.h"
#include "knowledge/ObjectRefTable.h"

#include <cstdint>
#include <string>

namespace quibo {

class ParsedText;

// Type codes of knowledge objects; a word bound to an object takes its code
// as POS code, so they share the POS code space.
namespace knowledge_type {
inline constexpr std::int32_t ENTITY = 0x205000;
inline constexpr std::int32_t PREDICATIVE_SYNONYMS = 0x28008;  // "PS("
inline constexpr std::int32_t PREDICATIVE_ANTONYMS = 0x28004;  // "PA("
inline constexpr std::int32_t ENTITY_SYNONYMS = 0x204800;      // "ES("
inline constexpr std::int32_t ENTITY_THESAURUS = 0x204400;     // "EA("
inline constexpr std::int32_t PREDICATIVE = 0x28010;
}  // namespace knowledge_type

class KnowledgeObject {
    // A stream fills an object it creates field by field.
    template <class T>
    friend struct CdrBody;

public:
    // The title is borrowed: the knowledge base's text cache owns it.  It may
    // be null for objects read without a title; the title accessors then
    // answer empty.
    KnowledgeObject(std::int32_t typeId, ParsedText* title) : m_typeId(typeId), m_title(title) {}
    KnowledgeObject(const KnowledgeObject&) = delete;
    KnowledgeObject& operator=(const KnowledgeObject&) = delete;
    virtual ~KnowledgeObject() = default;

    virtual std::int32_t getTypeId() const { return m_typeId; }
    virtual ParsedText* getTitle() const { return m_title; }
    // The title's analysed text.
    virtual std::string getTitleText() const;
    // The title as it was written when that differs from the analysed text.
    virtual std::string getSourceText() const;
    virtual MorphemeList getTitleWords() const;
    // Rewrites the shared title's words, for every object that points to it.
    virtual void setTitleWords(const MorphemeList& words);
    // The readings of the title words, skipping words whose reading is a TAB.
    virtual void makeReading();
    virtual std::string getReading() const { return m_reading; }

private:
    std::int32_t m_typeId;  // fixed once constructed or read
    ParsedText* m_title;  // borrowed
    std::string m_reading;
};

}  // namespace quibo
