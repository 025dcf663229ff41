#include "meaning/MeanCodeTables.h"

#include "meaning/MeanEntry.h"

#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <string>

namespace quibo {
namespace {

TEST(MeanCodeTablesTest, UnitNamesAndCodesRoundTrip)
{
    for (int code = 0; code < 10; ++code) {
        EXPECT_EQ(judgementUnitCode(JUDGEMENT_UNIT_NAMES[code]), code);
    }
    EXPECT_EQ(judgementUnitCode("入力形"), 1);
    EXPECT_EQ(judgementUnitCode("入力形連続"), 9);
    EXPECT_EQ(judgementUnitCode("入力"), -1);
    EXPECT_EQ(judgementUnitCode(""), -1);
}

TEST(MeanCodeTablesTest, FeatureTableHoldsEveryCodeOnceInOrder)
{
    ASSERT_EQ(std::size(MEANING_FEATURES), 120u);
    std::set<std::string> names;
    for (std::size_t i = 0; i < std::size(MEANING_FEATURES); ++i) {
        EXPECT_FALSE(MEANING_FEATURES[i].name.empty()) << i;
        names.insert(std::string(MEANING_FEATURES[i].name));
        if (i > 0) {
            EXPECT_LT(MEANING_FEATURES[i - 1].code, MEANING_FEATURES[i].code) << i;
        }
    }
    EXPECT_EQ(names.size(), 120u);
    EXPECT_EQ(MEANING_FEATURES[119].code, 903);
}

TEST(MeanCodeTablesTest, FeatureNamesOfCodes)
{
    const struct {
        int code;
        const char* name;
    } cases[] = {{0, "＊"},       {1, "何"},     {8, ""},       {7, "様態"},     {94, "肯定"},
                 {95, "否定"},    {96, "否定０"}, {111, "HP検索"}, {130, "X"},      {132, "Z"},
                 {216, "連係"},   {900, "任意"}, {903, "絶対肯定"}, {904, ""},     {-1, ""},
                 {0x10000000, ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(meaningFeatureName(c.code), c.name) << c.code;
    }
}

TEST(MeanCodeTablesTest, PosTableHoldsSixtyEightDistinctNames)
{
    ASSERT_EQ(std::size(MEAN_POS_NAMES), 68u);
    std::set<std::string> names;
    std::set<int> codes;
    for (const MeanPosName& entry : MEAN_POS_NAMES) {
        names.insert(std::string(entry.name));
        codes.insert(entry.code);
    }
    EXPECT_EQ(names.size(), 68u);
    EXPECT_EQ(codes.size(), 68u);
}

TEST(MeanCodeTablesTest, PosNamesOfCodes)
{
    const struct {
        int code;
        const char* name;
    } cases[] = {{0x10000, "特殊"},         {0x10020, "空白"},       {0x20002, "サ変動詞(できる)"},
                 {0x28004, "predicative_antonym"}, {0x200040, "数詞"}, {0x200200, "時相名詞"},
                 {0x205000, "entity_title"}, {0x1000008, "終助詞"},   {0x20000040, "動詞性接尾辞"},
                 {0x40000004, "アルファベット"}, {0x40000008, "＊"}, {0x200003, "＊"}, {0, "＊"}};
    for (const auto& c : cases) {
        EXPECT_EQ(meanPosName(c.code), c.name) << std::hex << c.code;
    }
}

TEST(MeanCodeTablesTest, EntryAndDictionaryNameUnitZeroDifferently)
{
    MeanEntry entry;
    EXPECT_EQ(entry.unitName(0), "誤りの判定単位");
    EXPECT_EQ(entry.unitName(10), "誤りの判定単位");
    EXPECT_EQ(entry.unitName(5), "文字列");
    EXPECT_EQ(entry.featureName(8), "");
    EXPECT_EQ(entry.featureName(0), "＊");
    EXPECT_EQ(entry.posName(0x800000), "副詞");
    EXPECT_EQ(entry.posName(0x12345), "＊");
}

}  // namespace
}  // namespace quibo
