#include "knowledge/ReplyTable.h"

#include "knowledge/CDictionary.h"
#include "knowledge/ReplyKind.h"

namespace quibo {

int ReplyTable::addGroup(int /*mode*/, int kind, const ReplySourceGroup& source, const ReplyEntry& defaultNames,
                         CDictionary& dictionary, const std::string& prefix)
{
    // A negative kind is refused like one above 11: it names no letter.
    const int letter = replyKindLetter(kind);
    if (source.items.empty() || letter < 0)
        return -1;

    bool hasReplyText = false;
    for (const ReplySourceItem& item : source.items)
        hasReplyText = hasReplyText || !item.replyTexts.empty();

    ReplyEntryGroup group;
    if (hasReplyText)
        group.setKind(source.type);
    else
        group.setTypeId(1);

    for (std::size_t k = 0; k < source.items.size(); ++k) {
        const ReplySourceItem& item = source.items[k];
        ReplyEntry entry;
        entry.setLabel(dictionary.internString(item.text));
        if (!item.names.empty())
            entry.addNames(item.names, dictionary);
        else
            entry.names() = defaultNames.names();
        entry.appendTexts(item.replyTexts);
        entry.setText(prefix + "_" + std::to_string(k));
        group.add(entry);
    }

    if (!group.entries().empty())
        m_groups[letter] = std::move(group);
    return letter;
}

const ReplyEntryGroup* ReplyTable::findGroup(int letter) const
{
    auto found = m_groups.find(letter);
    return found == m_groups.end() ? nullptr : &found->second;
}

}  // namespace quibo
