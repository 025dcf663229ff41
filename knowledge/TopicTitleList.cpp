#include "knowledge/TopicTitleList.h"

#include "analysis/ConsoleLine.h"
#include "knowledge/TopicTitle.h"

namespace quibo {

void TopicTitleList::dump(const std::string& header) const
{
    if (!header.empty())
        writeConsoleLine(header);
    // A loaded list may hold the null pointers its file stated.
    for (const TopicTitle* title : m_titles) {
        if (!title)
            continue;
        std::string text = "\tTopicTitle=" + title->dumpText("");
        text.pop_back();  // the console line ends itself
        writeConsoleLine(text);
    }
}

std::string TopicTitleList::toString(const std::string& header) const
{
    std::string text = "DEBUG:\t";
    if (!header.empty())
        text += header + "\n";
    for (const TopicTitle* title : m_titles)
        if (title)
            text += "\tTopicTitle=" + title->toString("");
    return text;
}

}  // namespace quibo
