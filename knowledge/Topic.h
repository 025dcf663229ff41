// A topic of the knowledge base: its titles, the reply kinds it offers (one
// bit per reply-kind letter) and the reply table it answers from.  The table
// is borrowed from the knowledge base.
#pragma once

#include "knowledge/StringRefSet.h"
#include "knowledge/TopicTitleList.h"

#include <cstdint>

namespace quibo {

class ReplyTable;
class TopicTitle;

class Topic {
public:
    Topic() = default;
    Topic(const Topic&) = delete;
    Topic& operator=(const Topic&) = delete;
    virtual ~Topic() = default;

    virtual void addTitle(TopicTitle* title) { m_titles.titles().push_back(title); }
    virtual TopicTitleList& titles() { return m_titles; }
    virtual const TopicTitleList& titles() const { return m_titles; }
    virtual int titleCount() const { return static_cast<int>(m_titles.size()); }
    virtual void setAux(std::int32_t value) { m_aux = value; }
    virtual std::int32_t getReplyKinds() const { return m_replyKinds; }
    virtual ReplyTable* getReplyTable() const { return m_replyTable; }
    virtual void setReplyTable(ReplyTable* table) { m_replyTable = table; }

    // The bit word of the reply kinds offered (see ReplyKind.h).
    void setReplyKinds(std::int32_t kinds) { m_replyKinds = kinds; }
    std::int32_t getAux() const { return m_aux; }
    StringRefSet& names() { return m_names; }

private:
    TopicTitleList m_titles;
    std::int32_t m_aux = 0;  // not carried by a knowledge file
    StringRefSet m_names;    // not carried by a knowledge file
    std::int32_t m_replyKinds = 0;
    ReplyTable* m_replyTable = nullptr;  // borrowed
};

}  // namespace quibo
