#include "knowledge/Topic.h"

#include "analysis/ConsoleLine.h"
#include "knowledge/TopicTitle.h"

#include <algorithm>

namespace quibo {

Topic::~Topic() = default;

TopicTitle* Topic::adoptTitle(std::unique_ptr<TopicTitle> title)
{
    TopicTitle* listed = title.get();
    m_adopted.push_back(std::move(title));
    addTitle(listed);
    return listed;
}

void Topic::release(TopicTitle* title)
{
    // A title listed twice is deleted only once it is no longer listed.
    std::vector<TopicTitle*>& list = m_titles.titles();
    if (std::find(list.begin(), list.end(), title) != list.end())
        return;
    auto owned = std::find_if(m_adopted.begin(), m_adopted.end(),
                              [title](const std::unique_ptr<TopicTitle>& held) { return held.get() == title; });
    if (owned != m_adopted.end())
        m_adopted.erase(owned);
}

void Topic::removeLastTitle()
{
    std::vector<TopicTitle*>& list = m_titles.titles();
    if (list.empty())
        return;
    TopicTitle* last = list.back();
    list.pop_back();
    release(last);
}

void Topic::removeTitle(TopicTitle* title)
{
    std::vector<TopicTitle*>& list = m_titles.titles();
    auto found = std::find(list.begin(), list.end(), title);
    if (found == list.end())
        return;
    list.erase(found);
    release(title);
}

void Topic::dump(const std::string& header) const
{
    if (!header.empty())
        writeConsoleLine(header);
    m_titles.dump(header);
}

std::string Topic::toString(const std::string& header) const
{
    std::string text = "DEBUG:\t";
    if (!header.empty())
        text += header + "\n";
    return text + m_titles.toString(header);
}

}  // namespace quibo
