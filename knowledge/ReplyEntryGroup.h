// The replies a topic gives in one reply kind, with the group's kind value
// (1, 64, 256 or 32, after the source's type).  Held by value in a reply
// table.
#pragma once

#include "knowledge/CdrBody.h"
#include "knowledge/ReplyEntry.h"

#include <cstdint>
#include <vector>

namespace quibo {

class ReplyEntryGroup {
    // A stream fills an object it creates field by field.
    template <class T>
    friend struct CdrBody;

public:
    ReplyEntryGroup() = default;
    ReplyEntryGroup(const ReplyEntryGroup&) = default;
    ReplyEntryGroup& operator=(const ReplyEntryGroup&) = default;
    ReplyEntryGroup(ReplyEntryGroup&&) noexcept = default;
    ReplyEntryGroup& operator=(ReplyEntryGroup&&) noexcept = default;
    virtual ~ReplyEntryGroup() = default;

    virtual std::int32_t getTypeId() const { return m_typeId; }
    // Kind 0 -> 1, 1 -> 64, 2 -> 256, 3 -> 32; any other kind leaves the
    // value unchanged.
    virtual void setKind(int kind);
    // Appends a copy of the entry.
    virtual void add(const ReplyEntry& entry) { m_entries.push_back(entry); }

    void setTypeId(std::int32_t typeId) { m_typeId = typeId; }
    std::vector<ReplyEntry>& entries() { return m_entries; }
    const std::vector<ReplyEntry>& entries() const { return m_entries; }

private:
    std::int32_t m_typeId = 0;
    std::vector<ReplyEntry> m_entries;
};

}  // namespace quibo
