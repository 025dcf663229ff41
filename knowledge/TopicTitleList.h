// The titles of a topic, in order.  The list only lists them: the topic
// decides when a title is deleted.
#pragma once

#include "knowledge/CdrBody.h"

#include <cstddef>
#include <string>
#include <vector>

namespace quibo {

class TopicTitle;

class TopicTitleList {
    // A stream fills an object it creates field by field.
    template <class T>
    friend struct CdrBody;

public:
    TopicTitleList() = default;
    TopicTitleList(const TopicTitleList&) = default;
    TopicTitleList& operator=(const TopicTitleList&) = default;
    virtual ~TopicTitleList() = default;

    // The header line when the header is not empty, then each title's dump
    // after "\tTopicTitle=", on standard output.
    virtual void dump(const std::string& header) const;
    // "DEBUG:\t" [header "\n"], then "\tTopicTitle=" and the toString of
    // each title.
    virtual std::string toString(const std::string& header) const;

    std::vector<TopicTitle*>& titles() { return m_titles; }
    const std::vector<TopicTitle*>& titles() const { return m_titles; }
    std::size_t size() const { return m_titles.size(); }

private:
    std::vector<TopicTitle*> m_titles;  // borrowed
};

}  // namespace quibo
