#include "knowledge/MemBuffer.h"

#include <algorithm>
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

}  // namespace quibo
