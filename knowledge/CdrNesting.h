// Bound on how deeply new objects nest inside one another in a stream (an
// object met for the first time inside the body of another, and so on).
// Both codecs recurse once per level: the reader refuses a hostile stream
// before it exhausts the stack, and the writer refuses to produce a stream
// that the reader would refuse.
#pragma once

#include "knowledge/ObjectRefTable.h"

#include <string>

namespace quibo {

inline constexpr int CDR_MAX_OBJECT_NESTING = 4096;

class CdrNesting {
public:
    explicit CdrNesting(int limit) : m_limit(limit) {}

    // Holds one level for as long as it lives.
    class Level {
    public:
        explicit Level(CdrNesting& nesting) : m_nesting(nesting)
        {
            if (m_nesting.m_depth >= m_nesting.m_limit)
                throw CdrStreamError("objects nest more than " + std::to_string(m_nesting.m_limit) +
                                     " deep");
            ++m_nesting.m_depth;
        }
        ~Level() { --m_nesting.m_depth; }
        Level(const Level&) = delete;
        Level& operator=(const Level&) = delete;

    private:
        CdrNesting& m_nesting;
    };

    int limit() const { return m_limit; }

private:
    int m_depth = 0;
    int m_limit;
};

}  // namespace quibo
