#include "knowledge/ObjectRefTable.h"

#include <cstdlib>
#include <cxxabi.h>
#include <limits>
#include <memory>

namespace quibo {

namespace {

std::string className(const std::type_info& type)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> readable(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
    return status == 0 && readable ? std::string(readable.get()) : std::string(type.name());
}

}  // namespace

void ObjectRefTable::wrongClass(std::int32_t number, const ClassTag& carried,
                                const std::type_info& declared)
{
    throw CdrStreamError("object " + std::to_string(number) + " was carried as " +
                         className(*carried.type) + ", not as " + className(declared));
}

void ObjectRefTable::requireRoom() const
{
    // The bound keeps the sequence from wrapping, and what a stream may make
    // the reader allocate within reason.
    if (m_nextNumber > m_maxObjects)
        throw CdrStreamError("the stream carries more than " + std::to_string(m_maxObjects) + " objects");
}

std::int32_t ObjectRefTable::takeNumber()
{
    requireRoom();
    return m_nextNumber++;
}

}  // namespace quibo
