#include "knowledge/GradeClassifier.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quibo {
namespace {

constexpr unsigned F(int n) { return 1u << n; }

struct Filled {
    float scoreA, scoreB;
    int countA, countB;
    unsigned flags;  // bit n: flag n
    int primary = 2;
    bool markA = false, markB = false;
};

void setFlag(GradeClassifier& record, int n)
{
    switch (n) {
    case 1: record.setFlag1(); break;
    case 2: record.setFlag2(); break;
    case 3: record.setFlag3(); break;
    case 4: record.setFlag4(); break;
    case 5: record.setFlag5(); break;
    case 6: record.setFlag6(); break;
    case 7: record.setFlag7(); break;
    case 8: record.setFlag8(); break;
    case 9: record.setFlag9(); break;
    case 10: record.setFlag10(); break;
    case 11: record.setFlag11(); break;
    case 12: record.setFlag12(); break;
    }
}

GradeClassifier recordOf(const Filled& f)
{
    GradeClassifier record;
    record.setScoreA(f.scoreA);
    record.setScoreB(f.scoreB);
    record.setCountA(f.countA);
    record.setCountB(f.countB);
    record.setPrimary(f.primary);
    record.setMarkA(f.markA);
    record.setMarkB(f.markB);
    record.setEnabled(1);
    for (int n = 1; n <= 12; ++n) {
        if (f.flags & (1u << n))
            setFlag(record, n);
    }
    return record;
}

TEST(GradeClassifierTest, FreshRecordGradesNoMatch)
{
    const GradeClassifier record;
    EXPECT_EQ(record.gradeA(), 313);
    EXPECT_EQ(record.gradeB(), 313);
    EXPECT_EQ(record.getEnabled(), 0);
    for (int n = 1; n <= 12; ++n)
        EXPECT_EQ(record.getFlag(n), 0);
}

TEST(GradeClassifierTest, GradeACodes)
{
    struct Case {
        Filled record;
        int expected;
    };
    const Case cases[] = {
        {{55, 55, 1, 0, F(11) | F(12)}, 211},
        {{55, 55, 1, 0, F(11) | F(12) | F(1)}, 313},  // 212 needs both scores above 60
        {{70, 70, 1, 0, F(11) | F(12) | F(1)}, 212},
        {{70, 70, 1, 0, F(9) | F(11)}, 212},
        {{55, 55, 1, 0, F(10) | F(12)}, 211},
        {{55, 55, 0, 1, F(9) | F(10)}, 221},
        {{70, 70, 0, 1, F(9) | F(10) | F(5)}, 222},
        {{70, 70, 0, 0, F(9) | F(11)}, 222},  // the A side's verdict overwrites 212
        {{70, 70, 1, 1, F(9) | F(10) | F(11) | F(12)}, 231},
        {{55, 55, 1, 1, F(9) | F(10) | F(11) | F(12)}, 313},
        {{55, 55, 1, 1, F(9) | F(11)}, 232},
        {{70, 70, 1, 1, F(9) | F(11) | F(3)}, 233},
        {{55, 55, 1, 1, F(10) | F(12)}, 234},
        {{55, 55, 1, 1, F(10) | F(12) | F(6)}, 313},
        {{49.9f, 100, 0, 0, F(9) | F(11)}, 313},
        {{NAN, 100, 0, 0, F(9) | F(11)}, 313},
    };
    for (const Case& c : cases)
        EXPECT_EQ(recordOf(c.record).gradeA(), c.expected)
            << c.record.scoreA << " " << c.record.countA << "/" << c.record.countB;
}

TEST(GradeClassifierTest, GradeBCodes)
{
    struct Case {
        Filled record;
        int expected;
    };
    const Case cases[] = {
        {{50, 50, 1, 1, F(9)}, 313},
        {{50.5f, 50.5f, 1, 1, F(9)}, 312},
        {{50, 50, 0, 1, F(9)}, 311},
        {{60, 60, 1, 1, 0u}, 311},
        {{60, 60, 1, 1, F(9), 1}, 313},
        {{60, 60, 1, 1, F(9), 1, true}, 311},
        {{60, 60, 1, 1, F(9) | F(11), 2, false, true}, 311},
        {{NAN, 60, 1, 1, 0u}, 313},
    };
    for (const Case& c : cases)
        EXPECT_EQ(recordOf(c.record).gradeB(), c.expected) << c.record.scoreA;

    GradeClassifier disabled = recordOf({60, 60, 0, 0, 0u});
    disabled.setEnabled(0);
    EXPECT_EQ(disabled.gradeB(), 313);
}

}  // namespace
}  // namespace quibo
