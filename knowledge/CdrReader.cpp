#include "knowledge/CdrReader.h"

#include <algorithm>
#include <limits>

namespace quibo {

CdrReader::CdrReader(std::span<const std::uint8_t> payload, ObjectArena& arena, std::int32_t maxObjects)
    : m_buffer(payload.data(), payload.size()), m_refs(maxObjects), m_arena(arena)
{
}

namespace {

// A window that stays in the processor's caches while it is decoded.
constexpr std::size_t STREAM_WINDOW = 256 * 1024;

}  // namespace

CdrReader::CdrReader(mem_buffer::Source& source, std::size_t size, ObjectArena& arena, std::int32_t maxObjects)
    : m_buffer(source, size, std::min(size, STREAM_WINDOW)), m_refs(maxObjects), m_arena(arena)
{
}

void CdrReader::settleLinks()
{
    for (const PendingLink& link : m_pendingLinks) {
        if (!link.settle(m_refs, link.number))
            throw CdrStreamError("object number " + std::to_string(link.number) + " names no object carried");
    }
    m_pendingLinks.clear();
}

void CdrReader::readByteOrder()
{
    m_byteOrder = *m_buffer.take(1);
}

std::int16_t CdrReader::readInt16()
{
    const std::uint8_t* octets = require(2);
    unsigned low = octets[m_byteOrder != 0 ? 0 : 1];
    unsigned high = octets[m_byteOrder != 0 ? 1 : 0];
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(low | (high << 8)));
}

std::vector<std::uint8_t> CdrReader::readBytes()
{
    std::uint32_t length = readUInt32();
    const std::uint8_t* octets = m_buffer.take(length);
    return std::vector<std::uint8_t>(octets, octets + length);
}

void CdrReader::refuseCount(std::uint32_t count, std::size_t least) const
{
    const std::size_t requested = least > std::numeric_limits<std::size_t>::max() / count
                                      ? std::numeric_limits<std::size_t>::max()
                                      : count * least;
    throw mem_buffer::buffer_overflow_error(m_buffer.remaining(), requested);
}

}  // namespace quibo
