#include "conversation/RuleManager.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace quibo {
namespace {

using Words = std::vector<std::uint64_t>;

const RuleManager& rules()
{
    RuleManager* instance = RuleManager::instance();
    EXPECT_EQ(instance, RuleManager::instance());
    return *instance;
}

TEST(RuleManagerTest, RuleFlagsOfFeatureWords)
{
    const struct {
        std::uint64_t word;
        std::uint64_t flags;
        const char* why;
    } cases[] = {
        {0x0, 0x0, "no pattern has value 0"},
        {0x1, 0x8001, "exactly 0x1 within 0x1DBFFF"},
        {0x1 | 0x400, 0x400, "0x400 lies in the care of 0x1's pattern; only its own group matches"},
        {0x1 | 0x20000, 0x8001, "0x20000 lies outside 0x1DBFFF"},
        {0xFFFFFFFF'00000001, 0x8001, "no pattern cares about the high half"},
        {0x4, 0x38004, "0x4 is held by four groups"},
        {0x80, 0x18080, "0x80 is held by three groups"},
        {0x800, 0x800, "0x800 alone"},
        {0x802, 0x8002, "0x802 breaks 0x800's pattern and matches 0x2's"},
        {0x2000, 0x2000, "0x2000 alone"},
        {0x12000, 0x4000, "0x10000 breaks 0x2000's pattern and has one of its own"},
        {0x8000, 0x4000, "0x8000 gives 0x4000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rules().getRuleFlags(c.word), c.flags) << std::hex << c.word << ": " << c.why;
}

TEST(RuleManagerTest, CohesionMethodsOfFeatureWordsInPriorityOrder)
{
    const struct {
        std::uint64_t feature;
        Words methods;
        const char* why;
    } cases[] = {
        {0x04800100, {0x6}, "filter bits 0x8000 alone"},
        {0x04808100, {0x1}, "filter bits 0x48000: 0x6 needs 0x40000 clear"},
        {0x4C0'01000000, {0x18, 0xFFFFFFFF'80000000}, "filter bits 0x110000; the method 0x80000000 is sign-extended"},
        {0x808100, {0x1}, "filter bits 0x48020: 0x10000 needs more of 0x1F8020 clear"},
        {0x0, {0x10000}, "filter bits 0x20 alone"},
        {0x04000000, {}, "no filter bit"},
        {0x400'01000000, {0x18}, "filter bits 0x10000"},
        {0x06000100, {0x60}, "filter bits 0x20000"},
        {0x18'05001000, {0x200, 0x100}, "filter bits 0x800: two methods share one pattern"},
        {0x2'05000000, {0x40000000}, "filter bits 0x80000"},
        {0x400'04000000, {0x2000}, "filter bits 0x10"},
        {0x04010000, {0x4000}, "filter bits 0x40"},
        {0x400'04010000, {0x2000}, "filter bits 0x50: 0x4000 needs 0x10 clear"},
        {0x0C000000, {0x80000}, "filter bits 0x80"},
        {0x4, {0x10000, 0x80000, 0x1F000000}, "filter bits 0x20A0"},
        {0x04000009, {0x100000}, "filter bits 0x100"},
        {0x4'04010000, {0x4000, 0x20000000}, "filter bits 0x4040"},
        {0x44000003, {0x400}, "filter bits 0x2"},
    };
    for (const auto& c : cases) {
        Words methods = {0x999};
        rules().selectCohesionMethods(c.feature, methods);
        EXPECT_EQ(methods, c.methods) << std::hex << c.feature << ": " << c.why;
    }
}

TEST(RuleManagerTest, PriorityLevelComparesLowHalvesOnly)
{
    const std::pair<std::uint32_t, unsigned> cases[] = {
        {0x18, 1}, {0x8, 1}, {0x2, 0}, {0x0, 99}, {0x800, 99},
        {0x80000000, 12}, {0x1000000, 13}, {0x100, 14}, {0x400, 15},
    };
    for (const auto& [value, level] : cases)
        EXPECT_EQ(rules().getPriorityLevel(value), level) << std::hex << value;
}

TEST(RuleManagerTest, ReplyPriorityTellsZeroAndSignExtendedKindsApart)
{
    const struct {
        std::uint32_t low, high;
        unsigned priority;
    } cases[] = {
        {0x1, 0, 0}, {0x200, 0, 26}, {0x80000000, 0, 28}, {0x0, 0, 29},
        {0x80000000, 0xFFFFFFFF, 30}, {0x1, 1, 30}, {0x3, 0, 30},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rules().getReplyPriority(c.low, c.high), c.priority) << std::hex << c.high << "_" << c.low;
}

TEST(RuleManagerTest, StateRulesAndTheirDefault)
{
    const struct {
        std::uint64_t kind;
        std::int32_t state;
        std::int32_t value;
    } cases[] = {
        {0x8, 4, 2}, {0x8, 1, 1}, {0x8, 3, 1}, {0x80, 1, 1}, {0x4, 1, 2}, {0x40000000, 4, 1},
        {0x0, 4, 0}, {0x80000000, 1, 0}, {0xFFFFFFFF'80000000, 1, 1}, {0x1'00000001, 2, 1}, {0x1, -1, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rules().lookupStateRule(c.kind, c.state), c.value) << std::hex << c.kind << " state " << c.state;
}

TEST(RuleManagerTest, TwoStageMatchClassification)
{
    const struct {
        std::uint64_t word;
        std::uint64_t code;
        const char* why;
    } cases[] = {
        {0x0, 0x0, "nothing matches"},
        {0x1'00000000, 0x1, "high bits 0-2 reach the second stage unchanged"},
        {0x8'00000000, 0x0, "higher high bits only enter the first stage, which ignores them"},
        {0x401000, 0x2, "0x1000 gives stage-one bit 0x1; with 0x400000 passed on that is 0x400001"},
        {0x400001, 0x0, "low bits below 0x4000 reach the second stage only through the first"},
        {0x802000, 0x40, "0x2000 gives stage-one bit 0x2; 0x800002 is the 0x40 group"},
        {0xC001C1, 0x40, "both 0x40 and 0x2 match; 0x40 is picked first"},
        {0x3'00000001, 0x1, "the 0x1 group's second pattern"},
        {0x1'00004000, 0x0, "0x4000 lies in the care of the 0x1 group's first pattern"},
        {0x4'00400000, 0x2, "the 0x2 group's second pattern"},
        {0x6'00400000, 0x0, "high bit 0x2 lies in the care of that pattern"},
        {0x4000C1, 0x2, "stage one: 0xC1 gives 0x1"},
        {0x400601, 0x2, "stage one: 0x601 gives 0x1"},
        {0x400019, 0x2, "stage one: 0x19 gives 0x1"},
        {0x401001, 0x0, "stage one: 0x1 lies in the care of 0x1000's pattern"},
        {0x800141, 0x40, "stage one: 0x141 gives 0x2"},
        {0x800A01, 0x40, "stage one: 0xA01 gives 0x2"},
        {0x800029, 0x40, "stage one: 0x29 gives 0x2"},
        {0x800069, 0x0, "stage one: 0x40 lies in the care of 0x29's pattern"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rules().classifyMatch(c.word), c.code) << std::hex << c.word << ": " << c.why;
}

TEST(RuleManagerTest, TimeBandsContainingATime)
{
    using Band = std::pair<std::string, std::pair<int, int>>;  // name, (start hour, end hour)
    const Band morning{"朝", {5, 11}}, day{"昼", {10, 18}}, evening{"夜", {17, 24}}, night{"夜", {0, 6}};
    const struct {
        const char* time;
        std::vector<Band> bands;
    } cases[] = {
        {"10:30", {day, morning}}, {"05:30", {morning, night}}, {"24:00", {evening}}, {"24:01", {}},
        {"11:00", {day, morning}}, {"11:01", {day}}, {"6:00", {morning, night}}, {"6:01", {morning}},
        {"4:59", {night}}, {"18:00", {day, evening}}, {"7", {}}, {"7:", {}}, {":7::30:", {morning}},
        {"x:y", {night}},  // no digits read as 0
        {"", {day, morning, evening, night}},
    };
    for (const auto& c : cases) {
        TimeBandMap result{{"残り", {}}};
        rules().timeBands(result, c.time);
        std::vector<Band> bands;
        for (const auto& [name, band] : result) {
            EXPECT_EQ(band.startMinute, 0);
            EXPECT_EQ(band.endMinute, 0);
            bands.push_back({name, {band.startHour, band.endHour}});
        }
        EXPECT_EQ(bands, c.bands) << c.time;
    }
}

TEST(RuleManagerTest, FormRelationIsOneBasedColumnFirst)
{
    const struct {
        std::int32_t column, row, code;
    } cases[] = {
        {2, 1, 4}, {1, 5, 4}, {5, 1, 2}, {17, 1, 3}, {1, 17, 3}, {16, 8, 2}, {8, 16, 4},
        {18, 1, -1}, {1, 18, -1}, {0, 1, -1}, {1, 0, -1}, {-1, 1, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rules().getFormRelation(c.column, c.row), c.code) << c.column << "," << c.row;
    // 1 on the diagonal, 2 to 5 everywhere else.
    for (int row = 1; row <= 17; ++row)
        for (int column = 1; column <= 17; ++column) {
            const std::int32_t code = rules().getFormRelation(column, row);
            if (row == column)
                EXPECT_EQ(code, 1);
            else
                EXPECT_TRUE(code >= 2 && code <= 5) << column << "," << row << ": " << code;
        }
}

// Every id's CA bits, as far as the CA kind can tell them apart: alone and
// beside an id of bits 2, bits 1 give (確認, 黙り), bits 2 (黙り, 黙り), bits
// 4 and 9 (確認, 確認), bits 0x10 and no entry (反射, 黙り).
TEST(RuleManagerTest, CaKindOfEveryIdAloneAndBesideAnotherId)
{
    std::string kind = "前の値";
    rules().caKind(kind, {});
    EXPECT_EQ(kind, "反射ＣＡ");
    rules().caKind(kind, {140, 1});
    EXPECT_EQ(kind, "確認ＣＡ");

    std::set<int> bits1 = {12, 62, 63, 64, 66, 68, 70, 71, 72, 90, 91, 92, 93, 102, 103, 105, 106, 107, 109, 111,
                           121, 122, 123, 124, 134, 135, 141, 142, 143, 144, 145, 160, 161, 162, 163, 170, 171,
                           172, 175, 176, 180, 181, 190, 191};
    for (int id = 1; id <= 7; ++id)
        bits1.insert(id);
    const std::set<int> bits2 = {76, 100, 101, 146, 153, 154};
    const std::set<int> bits4or9 = {69, 95, 96, 150, 151, 152, 67, 133};
    EXPECT_EQ(bits1.size() + bits2.size() + bits4or9.size() + 1, 66u);
    for (int id = -2; id <= 300; ++id) {
        std::string alone, beside2;
        rules().caKind(alone, {id});
        rules().caKind(beside2, {76, id});
        const char* expected[2] = {"反射ＣＡ", "黙りＣＡ"};
        if (bits1.count(id))
            expected[0] = "確認ＣＡ";
        else if (bits2.count(id))
            expected[0] = "黙りＣＡ";
        else if (bits4or9.count(id))
            expected[0] = expected[1] = "確認ＣＡ";
        EXPECT_EQ(alone, expected[0]) << id;
        EXPECT_EQ(beside2, expected[1]) << id;
    }
}

TEST(RuleManagerTest, HitValuesWithAndWithoutTheCap)
{
    const struct {
        std::uint32_t low, high;
        bool cap;
        std::int32_t value;
    } cases[] = {
        {0x10000, 0, true, 3}, {0x2000, 0, true, 5}, {0x8, 0, true, 6}, {0x8, 0, false, 6},
        {0x1, 0, false, 6}, {0x1, 0, true, 5}, {0x8, 1, true, 5}, {0x40000000, 0, false, 3},
        {0x80000, 0, false, 6}, {0x80000, 0, true, 5}, {0x4000, 1, false, 6},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rules().getHitValue(c.low, c.high, c.cap), c.value)
            << std::hex << c.high << "_" << c.low << " cap " << c.cap;
    EXPECT_TRUE(rules().hasHitValue(0x4000, 0));
    EXPECT_FALSE(rules().hasHitValue(0x4000, 1));
    EXPECT_FALSE(rules().hasHitValue(0x1, 0));
}

}  // namespace
}  // namespace quibo
