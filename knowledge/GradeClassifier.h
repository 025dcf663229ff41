// The record that the word-list alignments fill while laying one list (the A
// side, whose operation runs) onto another (the B side), and that grades the
// alignment into a three-digit match code; 313 always means no match.
#pragma once

#include <cstdint>

namespace quibo {

class GradeClassifier {
public:
    static constexpr int NO_MATCH = 313;

    GradeClassifier() = default;
    virtual ~GradeClassifier() = default;

    virtual void setPrimary(std::int32_t n) { m_primary = n; }
    virtual void setSecondary(std::int32_t n) { m_secondary = n; }
    virtual void setScoreA(float score) { m_scoreA = score; }
    virtual void setScoreB(float score) { m_scoreB = score; }
    virtual void setCountA(std::int32_t n) { m_countA = n; }
    virtual void setCountB(std::int32_t n) { m_countB = n; }
    virtual void setFlag1() { m_flags[0] = 1; }
    virtual void setFlag2() { m_flags[1] = 1; }
    virtual void setFlag3() { m_flags[2] = 1; }
    virtual void setFlag4() { m_flags[3] = 1; }
    virtual void setFlag5() { m_flags[4] = 1; }
    virtual void setFlag6() { m_flags[5] = 1; }
    virtual void setFlag7() { m_flags[6] = 1; }
    virtual void setFlag8() { m_flags[7] = 1; }
    virtual void setFlag9() { m_flags[8] = 1; }
    virtual void setFlag10() { m_flags[9] = 1; }
    virtual void setFlag11() { m_flags[10] = 1; }
    virtual void setFlag12() { m_flags[11] = 1; }
    virtual void setMarkA(std::uint8_t mark) { m_markA = mark; }
    virtual void setMarkB(std::uint8_t mark) { m_markB = mark; }
    virtual void setEnabled(std::uint8_t enabled) { m_enabled = enabled; }
    // 211 to 234, or 313.
    virtual int gradeA() const;
    // 311, 312, or 313.
    virtual int gradeB() const;
    virtual std::int32_t getCountB() const { return m_countB; }
    virtual std::int32_t getCountA() const { return m_countA; }
    virtual std::uint8_t getMarkA() const { return m_markA; }
    virtual std::uint8_t getMarkB() const { return m_markB; }
    virtual std::int32_t getPrimary() const { return m_primary; }
    virtual std::int32_t getSecondary() const { return m_secondary; }
    virtual float getScoreB() const { return m_scoreB; }
    virtual float getScoreA() const { return m_scoreA; }
    virtual std::uint8_t getEnabled() const { return m_enabled; }

    // Flag n (1..12) as 0 or 1; 0 for any other n.
    std::uint8_t getFlag(int n) const { return n >= 1 && n <= 12 ? m_flags[n - 1] : 0; }

private:
    bool flag(int n) const { return m_flags[n - 1] != 0; }

    std::int32_t m_primary = 0;    // pairs of two required words
    std::int32_t m_secondary = 0;  // pairs with equal base forms
    float m_scoreA = 0.0f;
    float m_scoreB = 0.0f;
    std::int32_t m_countA = 0;  // required A words without a partner
    std::int32_t m_countB = 0;  // required B words without a partner
    std::uint8_t m_markA = 0;
    std::uint8_t m_markB = 0;
    std::uint8_t m_flags[12] = {};
    std::uint8_t m_enabled = 0;
};

}  // namespace quibo
