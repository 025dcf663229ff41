// A topic of the knowledge base: its titles, the reply kinds it offers (one
// bit per reply-kind letter) and the reply table it answers from.  The table
// is borrowed from the knowledge base.  Titles are borrowed too (a knowledge
// base owns the titles of its topics) unless the topic was handed them with
// adoptTitle, as the builders of utterance titles do.
#pragma once

#include "analysis/Vocabulary.h"
#include "knowledge/CdrBody.h"
#include "knowledge/StringRefSet.h"
#include "knowledge/TopicTitleList.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quibo {

class CDictionary;
class KnowledgeObject;
class MeanEntry;
class MorphemeList;
class ReplyTable;
class TopicTitle;

class Topic {
    // A stream fills an object it creates field by field.
    template <class T>
    friend struct CdrBody;

public:
    Topic() = default;
    Topic(const Topic&) = delete;
    Topic& operator=(const Topic&) = delete;
    // Deletes only the titles the topic adopted.
    virtual ~Topic();

    // Lists a title owned elsewhere (by the knowledge base).
    virtual void addTitle(TopicTitle* title) { m_titles.titles().push_back(title); }
    // Removes the last title from the list; deletes it when the topic owns it.
    virtual void removeLastTitle();
    // Removes the first entry equal to the title; deletes it when the topic
    // owns it.  Nothing happens for a title not in the list.
    virtual void removeTitle(TopicTitle* title);
    virtual TopicTitleList& titles() { return m_titles; }
    virtual const TopicTitleList& titles() const { return m_titles; }
    virtual int titleCount() const { return static_cast<int>(m_titles.size()); }
    virtual void setAux(std::int32_t value) { m_aux = value; }
    virtual std::int32_t getReplyKinds() const { return m_replyKinds; }
    virtual ReplyTable* getReplyTable() const { return m_replyTable; }
    virtual void setReplyTable(ReplyTable* table) { m_replyTable = table; }

    // A new title owned by this topic (the object, when given, its first
    // centre): an S_O_A title of the three slots, subjects X and objects Y;
    // without a third slot's words, the third slot is empty.
    virtual TopicTitle* addSoaTitle(KnowledgeObject* object, const MorphemeList& xWords,
                                    const MorphemeList& yWords, const MorphemeList& aWords = EMPTY_WORD_LIST);
    // A new X_A_A title owned by this topic: all the words, and as subjects
    // (none when no words are given).
    virtual TopicTitle* addXaaTitle(KnowledgeObject* object, const std::string& sourceText,
                                    const MorphemeList& words = EMPTY_WORD_LIST);
    // The search key of a visitor's utterance: a new title owned by this
    // topic with the utterance's head words in its slots and its judgement.
    // Null, leaving the message alone, for an utterance without words.
    // Otherwise the message receives what the visitor should be told (empty
    // when all went well): words the analyser did not know (each reported
    // once in the dictionary's life, with a console line), an utterance
    // without searchable or content words.
    virtual TopicTitle* buildUtteranceTitle(const std::string& text, std::string& message, const MorphemeList& words,
                                            CDictionary& dictionary, const MeanEntry* judgement);

    // The header line when the header is not empty, then the title list's
    // dump with the same header.
    virtual void dump(const std::string& header) const;
    // "DEBUG:\t" [header "\n"], then the title list's string with the same
    // header.
    virtual std::string toString(const std::string& header) const;

    // Lists the title and takes it over: removeLastTitle, removeTitle and the
    // topic's destructor delete it.
    TopicTitle* adoptTitle(std::unique_ptr<TopicTitle> title);

    // The bit word of the reply kinds offered (see ReplyKind.h).
    void setReplyKinds(std::int32_t kinds) { m_replyKinds = kinds; }
    std::int32_t getAux() const { return m_aux; }
    StringRefSet& names() { return m_names; }

private:
    void release(TopicTitle* title);

    TopicTitleList m_titles;
    std::int32_t m_aux = 0;  // not carried by a knowledge file
    StringRefSet m_names;    // not carried by a knowledge file
    std::int32_t m_replyKinds = 0;
    ReplyTable* m_replyTable = nullptr;  // borrowed
    std::vector<std::unique_ptr<TopicTitle>> m_adopted;
};

}  // namespace quibo
