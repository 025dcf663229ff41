#include "knowledge/ReplyEntry.h"

#include "analysis/EucString.h"
#include "knowledge/CDictionary.h"

namespace quibo {

std::string ReplyEntry::joinNames() const
{
    std::string joined;
    bool first = true;
    for (const std::string* name : m_names) {
        if (!name)  // a loaded set may hold a null its file stated
            continue;
        if (!first)
            joined += ",";
        joined += *name;
        first = false;
    }
    return joined;
}

void ReplyEntry::appendTexts(const std::vector<std::string>& more)
{
    m_texts.insert(m_texts.end(), more.begin(), more.end());
}

void ReplyEntry::addNames(const std::string& list, CDictionary& dictionary)
{
    // The last token is trimmed as well: a blank after the final ";" is no
    // part of a name.
    for (const std::string& token : tokenize(EucString(list), ";"))
        m_names.insert(dictionary.internText(EucString(token).trim()));
}

}  // namespace quibo
