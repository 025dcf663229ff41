// One (candidate, topic unit) pair of the selection: indexes into the
// request's candidates and into that candidate's units (-1: the candidate
// without a unit), and the 1-based number of the candidate entry written for
// it to the session log (0: none).  (-1, -1, 0) means nothing was chosen.
#pragma once

#include <cstdint>

namespace quibo {

struct SelectionEntry {
    std::int32_t candidate = -1;
    std::int32_t unit = -1;
    std::int32_t logEntry = 0;

    bool operator==(const SelectionEntry&) const = default;
};

}  // namespace quibo
