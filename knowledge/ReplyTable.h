// A topic's replies: one group per reply-kind letter.  Tables are filled from
// source groups (the knowledge editor's reply lists) by addGroup, or read
// from a knowledge file; topics point to them without owning them.
#pragma once

#include "knowledge/CdrBody.h"
#include "knowledge/ReplyEntryGroup.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace quibo {

class CDictionary;

// One reply of a source group.
struct ReplySourceItem {
    std::string text;                     // becomes the entry's label
    std::string names;                    // ";"-separated names, may be empty
    std::vector<std::string> replyTexts;  // the reply's texts
};

// What addGroup fills a group from.
struct ReplySourceGroup {
    int type = 0;  // 0..3, gives the group's kind value
    std::vector<ReplySourceItem> items;
};

class ReplyTable {
    // A stream fills an object it creates field by field.
    template <class T>
    friend struct CdrBody;

public:
    using Groups = std::map<std::int32_t, ReplyEntryGroup>;

    ReplyTable() = default;
    explicit ReplyTable(std::string name) : m_name(std::move(name)) {}
    ReplyTable(const ReplyTable&) = delete;
    ReplyTable& operator=(const ReplyTable&) = delete;
    virtual ~ReplyTable() = default;

    virtual std::string& name() { return m_name; }
    // Fills the group of the kind's letter from the source and returns the
    // letter; -1, leaving the table unchanged, for a source without items or
    // a kind outside 0..11.  Labels and names are pooled in the dictionary;
    // entry k's text is prefix + "_" + k.  A group already under the letter
    // is replaced.  The mode does not change the result.
    virtual int addGroup(int mode, int kind, const ReplySourceGroup& source, const ReplyEntry& defaultNames,
                         CDictionary& dictionary, const std::string& prefix);

    Groups& groups() { return m_groups; }
    const Groups& groups() const { return m_groups; }
    // The group under a letter; null when there is none.
    const ReplyEntryGroup* findGroup(int letter) const;

private:
    Groups m_groups;
    std::string m_name;  // not carried by a knowledge file
};

}  // namespace quibo
