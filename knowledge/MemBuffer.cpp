#include "knowledge/MemBuffer.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace quibo {

namespace {

std::int32_t saturated(std::size_t n)
{
    constexpr auto most = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(std::min(n, most));
}

}  // namespace

mem_buffer::buffer_overflow_error::buffer_overflow_error(std::size_t available,
                                                         std::size_t requested)
    : std::overflow_error("XTL mem_buffer overflow"),
      m_available(saturated(available)),
      m_requested(saturated(requested))
{
}

mem_buffer::mem_buffer(Source& source, std::size_t size, std::size_t window)
    : m_unread(size), m_source(&source), m_window(std::make_unique_for_overwrite<std::uint8_t[]>(window)),
      m_capacity(window)
{
    m_start = m_current = m_limit = m_window.get();
    m_origin = reinterpret_cast<std::uintptr_t>(m_start);
}

const std::uint8_t* mem_buffer::takeAcross(std::size_t n)
{
    if (n > remaining())
        throw buffer_overflow_error(remaining(), n);
    // Octets remain with the source: the range is streamed.  What is left in
    // hand moves to the front, grown into a larger window if n needs one,
    // and the window is filled up behind it.
    const std::size_t kept = static_cast<std::size_t>(m_limit - m_current);
    const std::size_t passed = position();
    if (n > m_capacity) {
        const std::size_t capacity = std::max(n, 2 * m_capacity);
        auto larger = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
        std::memcpy(larger.get(), m_current, kept);
        m_window = std::move(larger);
        m_capacity = capacity;
    } else {
        std::memmove(m_window.get(), m_current, kept);
    }
    m_start = m_current = m_limit = m_window.get();
    m_origin = reinterpret_cast<std::uintptr_t>(m_start) - passed;
    const std::size_t more = std::min(m_capacity - kept, m_unread);
    m_limit += kept;
    m_source->fill(m_window.get() + kept, more);
    m_unread -= more;
    m_limit += more;
    m_current += n;
    return m_start;
}

}  // namespace quibo
