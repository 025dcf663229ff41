// The byte range under a stream codec: start, current and limit.  Every take
// of n octets is checked against the limit before anything is touched, so a
// codec can neither read nor write past the range, whatever lengths and
// counts a damaged stream claims.
//
// The range is either all in hand, or streamed from a source a window at a
// time: a file of tens of megabytes is then never held whole, and a load
// touches a window's worth of fresh memory for it instead of the file's size.
// A take from a streamed range is valid until the next take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
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

    // Where a streamed range comes from.
    class Source {
    public:
        virtual ~Source() = default;
        // Exactly n octets, the next ones; throws when it cannot.
        virtual void fill(std::uint8_t* into, std::size_t n) = 0;
    };

    mem_buffer() = default;
    mem_buffer(const std::uint8_t* start, std::size_t size)
        : m_start(start), m_current(start), m_limit(start + size), m_origin(reinterpret_cast<std::uintptr_t>(start))
    {
    }
    // `size` octets from the source, held `window` octets at a time (more
    // when a single take asks for more).
    mem_buffer(Source& source, std::size_t size, std::size_t window);
    mem_buffer(const mem_buffer&) = delete;
    mem_buffer& operator=(const mem_buffer&) = delete;

    // The old current position after advancing it by n octets.  Throws
    // buffer_overflow_error, leaving current where it was, when fewer than n
    // octets remain.
    const std::uint8_t* take(std::size_t n)
    {
        if (n > static_cast<std::size_t>(m_limit - m_current)) return takeAcross(n);
        const std::uint8_t* old = m_current;
        m_current += n;
        return old;
    }

    // The padding before a value of n octets at the current position.
    std::size_t paddingFor(std::size_t n) const { return cdrPadding(position(), n); }

    // Octets consumed or produced since the start.
    std::size_t position() const { return reinterpret_cast<std::uintptr_t>(m_current) - m_origin; }
    std::size_t remaining() const { return static_cast<std::size_t>(m_limit - m_current) + m_unread; }
    std::size_t size() const { return position() + remaining(); }

private:
    // A take beyond the octets in hand: the next window of a streamed range,
    // or the overflow.
    const std::uint8_t* takeAcross(std::size_t n);

    const std::uint8_t* m_start = nullptr;  // of the octets in hand
    const std::uint8_t* m_current = nullptr;
    const std::uint8_t* m_limit = nullptr;
    // The address position 0 would have in the octets in hand: positions are
    // one subtraction, streamed or not.
    std::uintptr_t m_origin = 0;
    std::size_t m_unread = 0;  // octets still with the source
    Source* m_source = nullptr;
    std::unique_ptr<std::uint8_t[]> m_window;
    std::size_t m_capacity = 0;
};

}  // namespace quibo
