#include "knowledge/GradeClassifier.h"

namespace quibo {

namespace {

// NaN fails every comparison, so a score that is not a number fails too.
bool atLeast(float score, float limit) { return score >= limit; }

}  // namespace

int GradeClassifier::gradeA() const
{
    if (!atLeast(m_scoreA, 50.0f) || !atLeast(m_scoreB, 50.0f))
        return NO_MATCH;

    int code = NO_MATCH;
    if (m_countB == 0) {
        if (flag(11) && flag(12)) {
            if (!flag(5) && !flag(6) && !flag(2))
                code = flag(1) ? 212 : 211;
        } else if (flag(11)) {
            if (flag(9) && !flag(10) && !flag(1))
                code = 212;
        } else if (flag(12)) {
            if (!flag(9) && flag(10))
                code = flag(2) ? 212 : 211;
        }
    }
    // The A side's verdict, when it has one, outranks the B side's.
    if (m_countA == 0) {
        if (flag(9) && flag(10)) {
            if (!flag(1) && !flag(2) && !flag(6))
                code = flag(5) ? 222 : 221;
        } else if (flag(9)) {
            if (flag(11) && !flag(12) && !flag(5))
                code = 222;
        } else if (flag(10)) {
            if (!flag(11) && flag(12))
                code = flag(6) ? 222 : 221;
        }
    }
    if (code == NO_MATCH && flag(9) && flag(10) && flag(11) && flag(12) &&
        !flag(1) && !flag(2) && !flag(5) && !flag(6))
        code = 231;
    if (code == NO_MATCH && flag(9) && flag(11) && !flag(5)) {
        if (!flag(1) && !flag(7) && !flag(3))
            code = 232;
        else if (!flag(1) && !flag(10) && !flag(12))
            code = 233;
    }
    if (code == NO_MATCH && flag(10) && flag(12) && !flag(9) && !flag(11))
        return !flag(6) && !flag(2) ? 234 : NO_MATCH;
    if (code == 211 || code == 221 || code == 232)
        return code;
    // The weaker verdicts need a clearer majority of paired words.
    return m_scoreA > 60.0f && m_scoreB > 60.0f ? code : NO_MATCH;
}

int GradeClassifier::gradeB() const
{
    if (!atLeast(m_scoreA, 50.0f) || !atLeast(m_scoreB, 50.0f) || m_enabled == 0)
        return NO_MATCH;
    if (m_countA == 0 || m_countB == 0)
        return 311;
    if (!flag(9) && !flag(11))
        return 311;
    if (m_primary == 1)
        return m_markA || m_markB ? 311 : NO_MATCH;
    if (flag(9) && flag(11) && (m_markA || m_markB))
        return 311;
    return m_scoreA == 50.0f || m_scoreB == 50.0f ? NO_MATCH : 312;
}

}  // namespace quibo
