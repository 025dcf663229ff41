#include "knowledge/ObjectRefTable.h"

#include <limits>

namespace quibo {

void ObjectRefTable::wrongClass(std::int32_t number, const ClassTag& carried,
                                const std::type_info& declared)
{
    throw CdrStreamError("object " + std::to_string(number) + " was carried as " +
                         carried.type->name() + ", not as " + declared.name());
}

std::int32_t ObjectRefTable::takeNumber()
{
    // Every object costs the stream at least five octets, so no stream that
    // fits in memory can run the sequence out; refuse rather than wrap.
    if (m_nextNumber == std::numeric_limits<std::int32_t>::max())
        throw CdrStreamError("too many objects in one stream");
    return m_nextNumber++;
}

}  // namespace quibo
