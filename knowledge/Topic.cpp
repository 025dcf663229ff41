#include "knowledge/Topic.h"

#include "analysis/ConsoleLine.h"

namespace quibo {

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
