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

std::int32_t ObjectRefTable::takeNumber()
{
    // Every object costs the stream at least five octets, so no stream that
    // fits in memory can run the sequence out; refuse rather than wrap.
    if (m_nextNumber == std::numeric_limits<std::int32_t>::max())
        throw CdrStreamError("too many objects in one stream");
    return m_nextNumber++;
}

}  // namespace quibo
