#include "knowledge/CdrWriter.h"

#include "analysis/ConsoleLine.h"
#include "analysis/TimeStamp.h"

#include <cstring>
#include <limits>
#include <new>

namespace quibo {

namespace {

void reportAllocationFailure()
{
    writeConsoleLine(currentTimeStamp() + "SYSTEM_ERROR can not allocate memory for internalization!");
}

}  // namespace

CdrWriter::CdrWriter(std::size_t capacity, int maxNesting)
    : m_storage(new (std::nothrow) std::uint8_t[capacity]), m_nesting(maxNesting)
{
    if (!m_storage) {
        reportAllocationFailure();
        throw std::bad_alloc();
    }
    m_buffer = mem_buffer(m_storage.get(), capacity);
}

std::uint8_t* CdrWriter::produce(std::size_t padding, std::size_t n)
{
    const std::uint8_t* taken = m_buffer.take(padding + n);
    // The buffer hands out read-only positions; the octets are our own block.
    std::uint8_t* out = m_storage.get() + (taken - m_storage.get());
    std::memset(out, 0, padding);
    return out + padding;
}

void CdrWriter::writeByteOrder()
{
    *produce(0, 1) = m_byteOrder;
}

std::uint8_t* CdrWriter::reserve(std::size_t n)
{
    return produce(m_buffer.paddingFor(n), n);
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
    std::uint8_t* out = reserve(4);
    for (int k = 0; k < 4; ++k) out[k] = static_cast<std::uint8_t>(value >> (8 * k));
}

void CdrWriter::writeInt32(std::int32_t value)
{
    writeUInt32(static_cast<std::uint32_t>(value));
}

void CdrWriter::writeCount(std::size_t count)
{
    // A count that does not fit its 32 bits could never be read back right.
    if (count > std::numeric_limits<std::uint32_t>::max())
        throw mem_buffer::buffer_overflow_error(m_buffer.remaining(), count);
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

}  // namespace quibo
