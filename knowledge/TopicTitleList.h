// The titles of a topic, in order.  The list only lists them: the topic
// decides when a title is deleted.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quibo {

class TopicTitle;

class TopicTitleList {
public:
    TopicTitleList() = default;
    TopicTitleList(const TopicTitleList&) = default;
    TopicTitleList& operator=(const TopicTitleList&) = default;
    virtual ~TopicTitleList() = default;

    // The header line when it is not empty, then "\tTopicTitle=" and each
    // title's dump, on the console.
    virtual void dump(const std::string& header) const;
    // "DEBUG:\t"[header "\n"], then "\tTopicTitle=" and each title's
    // toString.
    virtual std::string toString(const std::string& header) const;

    std::vector<TopicTitle*>& titles() { return m_titles; }
    const std::vector<TopicTitle*>& titles() const { return m_titles; }
    std::size_t size() const { return m_titles.size(); }

private:
    std::vector<TopicTitle*> m_titles;  // borrowed; a loaded list may hold nulls
};

}  // namespace quibo
