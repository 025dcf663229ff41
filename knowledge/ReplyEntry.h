// One reply of a reply group: its label, the names it answers to, the topic
// titles it leads to and its texts.  Every pointer is borrowed (labels and
// names are the knowledge base's pooled strings; titles belong to their
// topics), so copies are shallow.
#pragma once

#include "knowledge/CdrBody.h"
#include "knowledge/StringRefSet.h"

#include <string>
#include <vector>

namespace quibo {

class CDictionary;
class TopicTitle;

class ReplyEntry {
    // A stream fills an object it creates field by field.
    template <class T>
    friend struct CdrBody;

public:
    ReplyEntry() = default;
    ReplyEntry(const ReplyEntry&) = default;
    ReplyEntry& operator=(const ReplyEntry&) = default;
    ReplyEntry(ReplyEntry&&) noexcept = default;
    ReplyEntry& operator=(ReplyEntry&&) noexcept = default;
    virtual ~ReplyEntry() = default;

    // The names in set order, joined with ",".
    virtual std::string joinNames() const;

    // Appends each text at the end of texts.
    void appendTexts(const std::vector<std::string>& more);
    // Cuts the list at ";" (trimmed tokens) and adds the knowledge base's
    // pooled copy of each token to names.
    void addNames(const std::string& list, CDictionary& dictionary);

    const std::string* label() const { return m_label; }
    void setLabel(const std::string* label) { m_label = label; }
    StringRefSet& names() { return m_names; }
    const StringRefSet& names() const { return m_names; }
    std::vector<TopicTitle*>& titleRefs() { return m_titleRefs; }
    const std::vector<TopicTitle*>& titleRefs() const { return m_titleRefs; }
    TopicTitle* titleRef() const { return m_titleRef; }
    void setTitleRef(TopicTitle* title) { m_titleRef = title; }
    // Kept in memory only; a knowledge file does not carry them.
    std::vector<std::string>& texts() { return m_texts; }
    const std::vector<std::string>& texts() const { return m_texts; }
    const std::string& text() const { return m_text; }
    void setText(std::string text) { m_text = std::move(text); }

private:
    const std::string* m_label = nullptr;
    StringRefSet m_names;
    std::vector<TopicTitle*> m_titleRefs;
    TopicTitle* m_titleRef = nullptr;
    std::vector<std::string> m_texts;
    std::string m_text;
};

}  // namespace quibo
