#include "knowledge/GradeClassifier.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

namespace quibo {
namespace {

struct Filled {
    float scoreA, scoreB;
    int countA, countB;
    std::initializer_list<int> flags;
    int primary = 2;
    bool markA = false, markB = false;
};

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
    void (GradeClassifier::*setters[])() = {
        &GradeClassifier::setFlag1, &GradeClassifier::setFlag2, &GradeClassifier::setFlag3,
        &GradeClassifier::setFlag4, &GradeClassifier::setFlag5, &GradeClassifier::setFlag6,
        &GradeClassifier::setFlag7, &GradeClassifier::setFlag8, &GradeClassifier::setFlag9,
        &GradeClassifier::setFlag10, &GradeClassifier::setFlag11, &GradeClassifier::setFlag12};
    for (int n : f.flags)
        (record.*setters[n - 1])();
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
        {{55, 55, 1, 0, {11, 12}}, 211},
        {{55, 55, 1, 0, {11, 12, 1}}, 313},  // 212 needs both scores above 60
        {{70, 70, 1, 0, {11, 12, 1}}, 212},
        {{70, 70, 1, 0, {9, 11}}, 212},
        {{55, 55, 1, 0, {10, 12}}, 211},
        {{55, 55, 0, 1, {9, 10}}, 221},
        {{70, 70, 0, 1, {9, 10, 5}}, 222},
        {{70, 70, 0, 0, {9, 11}}, 222},  // the A side's verdict overwrites 212
        {{70, 70, 1, 1, {9, 10, 11, 12}}, 231},
        {{55, 55, 1, 1, {9, 10, 11, 12}}, 313},
        {{55, 55, 1, 1, {9, 11}}, 232},
        {{70, 70, 1, 1, {9, 11, 3}}, 233},
        {{55, 55, 1, 1, {10, 12}}, 234},
        {{55, 55, 1, 1, {10, 12, 6}}, 313},
        {{49.9f, 100, 0, 0, {9, 11}}, 313},
        {{NAN, 100, 0, 0, {9, 11}}, 313},
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
        {{50, 50, 1, 1, {9}}, 313},
        {{50.5f, 50.5f, 1, 1, {9}}, 312},
        {{50, 50, 0, 1, {9}}, 311},
        {{60, 60, 1, 1, {}}, 311},
        {{60, 60, 1, 1, {9}, 1}, 313},
        {{60, 60, 1, 1, {9}, 1, true}, 311},
        {{60, 60, 1, 1, {9, 11}, 2, false, true}, 311},
        {{NAN, 60, 1, 1, {}}, 313},
    };
    for (const Case& c : cases)
        EXPECT_EQ(recordOf(c.record).gradeB(), c.expected) << c.record.scoreA;

    GradeClassifier disabled = recordOf({60, 60, 0, 0, {}});
    disabled.setEnabled(0);
    EXPECT_EQ(disabled.gradeB(), 313);
}

}  // namespace
}  // namespace quibo
