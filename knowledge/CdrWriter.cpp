#include "knowledge/CdrWriter.h"

#include "analysis/ConsoleLine.h"
#include "analysis/TimeStamp.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace quibo {

namespace {

// The first block; a stream that needs more doubles it.
constexpr std::size_t FIRST_BLOCK = 1 << 20;

[[noreturn]] void reportAllocationFailure()
{
    writeConsoleLine(currentTimeStamp() + "SYSTEM_ERROR can not allocate memory for internalization!");
    throw std::bad_alloc();
}

void storeUInt32(std::uint8_t* out, std::uint32_t value)
{
    for (int k = 0; k < 4; ++k) out[k] = static_cast<std::uint8_t>(value >> (8 * k));
}

}  // namespace

CdrWriter::CdrWriter(std::size_t limit, std::int32_t maxObjects)
    : m_limit(limit), m_maxObjects(maxObjects), m_refs(maxObjects)
{
    grow(std::min(limit, FIRST_BLOCK));
}

void CdrWriter::grow(std::size_t needed)
{
    std::size_t capacity = std::max(needed, m_capacity > m_limit / 2 ? m_limit : m_capacity * 2);
    std::unique_ptr<std::uint8_t[]> block(new (std::nothrow) std::uint8_t[std::max<std::size_t>(capacity, 1)]);
    if (!block)
        reportAllocationFailure();
    if (m_position != 0)
        std::memcpy(block.get(), m_storage.get(), m_position);
    m_storage = std::move(block);
    m_capacity = capacity;
}

std::uint8_t* CdrWriter::produce(std::size_t padding, std::size_t n)
{
    const std::size_t available = m_limit - m_position;
    if (n > available || padding > available - n)
        throw mem_buffer::buffer_overflow_error(available, padding > SIZE_MAX - n ? SIZE_MAX : padding + n);
    if (padding + n > m_capacity - m_position)
        grow(m_position + padding + n);
    std::uint8_t* out = m_storage.get() + m_position;
    std::memset(out, 0, padding);
    m_position += padding + n;
    return out + padding;
}

void CdrWriter::writeByteOrder()
{
    *produce(0, 1) = m_byteOrder;
}

std::uint8_t* CdrWriter::reserve(std::size_t n)
{
    return produce(cdrPadding(m_position, n), n);
}

void CdrWriter::writeOctet(std::uint8_t value)
{
    *reserve(1) = value;
}

void CdrWriter::writeInt16(std::int16_t value)
{
    auto bits = static_cast<std::uint16_t>(value);
    std::uint8_t* out = reserve(2);
    out[0] = static_cast<std::uint8_t>(bits);
    out[1] = static_cast<std::uint8_t>(bits >> 8);
}

void CdrWriter::writeUInt32(std::uint32_t value)
{
    storeUInt32(reserve(4), value);
}

void CdrWriter::writeInt32(std::int32_t value)
{
    writeUInt32(static_cast<std::uint32_t>(value));
}

void CdrWriter::writeCount(std::size_t count)
{
    // A count that does not fit its 32 bits could never be read back right.
    if (count > std::numeric_limits<std::uint32_t>::max())
        throw mem_buffer::buffer_overflow_error(m_limit - m_position, count);
    writeUInt32(static_cast<std::uint32_t>(count));
}

void CdrWriter::writeLengthAndOctets(const void* data, std::size_t length)
{
    writeCount(length);
    if (length == 0) return;
    std::memcpy(produce(0, length), data, length);
}

void CdrWriter::writeString(const char* text, std::size_t length)
{
    writeLengthAndOctets(text, length);
}

void CdrWriter::writeBytes(const void* data, std::size_t length)
{
    writeLengthAndOctets(data, length);
}

void CdrWriter::settleLinksTo(const void* identity, std::int32_t number)
{
    auto pending = m_pendingLinks.find(identity);
    if (pending == m_pendingLinks.end())
        return;
    for (std::size_t at : pending->second)
        storeUInt32(m_storage.get() + at, static_cast<std::uint32_t>(number));
    m_pendingLinks.erase(pending);
}

std::vector<const void*> CdrWriter::unsettledLinks() const
{
    std::vector<const void*> objects;
    for (const auto& [identity, offsets] : m_pendingLinks)
        objects.push_back(identity);
    return objects;
}

void CdrWriter::restart()
{
    for (const auto& [identity, offsets] : m_pendingLinks)
        m_unlinkable.insert(identity);
    m_pendingLinks.clear();
    m_position = 0;
    m_refs = ObjectRefTable(m_maxObjects);
}

}  // namespace quibo
