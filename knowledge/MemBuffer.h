// The byte range under a stream codec: start, current and limit.  Every take
// of n octets is checked against the limit before anything is touched, so a
// codec can neither read nor write past the range, whatever lengths and
// counts a damaged stream claims.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>

namespace quibo {

// Octets that align a value of n octets at a stream position: values of 2,
// 4 and 8 octets start at a multiple of their size.
inline std::size_t cdrPadding(std::size_t position, std::size_t n)
{
    if (n != 2 && n != 4 && n != 8) return 0;
    return (n - position % n) % n;
}

class mem_buffer {
public:
    // Thrown when a take asks for more octets than remain.  It carries both
    // numbers so that a failed load can say how far the stream fell short.
    class buffer_overflow_error : public std::overflow_error {
    public:
        buffer_overflow_error(std::size_t available, std::size_t requested);
        // Octets that remained between current and limit.
        std::int32_t available() const { return m_available; }
        // Octets asked for, alignment padding included.
        std::int32_t requested() const { return m_requested; }

    private:
        std::int32_t m_available;
        std::int32_t m_requested;
    };

    mem_buffer() = default;
    mem_buffer(const std::uint8_t* start, std::size_t size)
        : m_start(start), m_current(start), m_limit(start + size)
    {
    }

    // The old current position after advancing it by n octets.  Throws
    // buffer_overflow_error, leaving current where it was, when fewer than n
    // octets remain.
    const std::uint8_t* take(std::size_t n)
    {
        if (n > remaining()) throw buffer_overflow_error(remaining(), n);
        const std::uint8_t* old = m_current;
        m_current += n;
        return old;
    }

    // The padding before a value of n octets at the current position.
    std::size_t paddingFor(std::size_t n) const { return cdrPadding(position(), n); }

    const std::uint8_t* start() const { return m_start; }
    // Octets consumed or produced since the start.
    std::size_t position() const { return static_cast<std::size_t>(m_current - m_start); }
    std::size_t remaining() const { return static_cast<std::size_t>(m_limit - m_current); }
    std::size_t size() const { return static_cast<std::size_t>(m_limit - m_start); }

private:
    const std::uint8_t* m_start = nullptr;
    const std::uint8_t* m_current = nullptr;
    const std::uint8_t* m_limit = nullptr;
};

}  // namespace quibo
