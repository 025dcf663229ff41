#include "knowledge/ReplyEntryGroup.h"

#include "knowledge/ReplyKind.h"

namespace quibo {

void ReplyEntryGroup::setKind(int kind)
{
    const std::int32_t value = replyGroupKindValue(kind);
    if (value >= 0)
        m_typeId = value;
}

}  // namespace quibo
