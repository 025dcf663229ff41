#include "analysis/NumeralNormalizer.h"

#include <gtest/gtest.h>

namespace quibo {
namespace {

struct Case {
    const char* text;
    const char* expected;
};

void expectAll(std::initializer_list<Case> cases)
{
    for (const Case& c : cases) {
        EXPECT_EQ(normalizeNumeral(c.text), c.expected) << "input: " << c.text;
    }
}

TEST(NumeralNormalizerTest, KanjiNumeralsBecomeFullWidthValues)
{
    expectAll({
        {"二十三", "２３"},
        {"二千二十", "２０２０"},
        {"三万五千", "３５０００"},
        {"百万", "１００００００"},
        {"十", "１０"},
        {"万", "１００００"},
        {"一兆三", "１０００００００００００３"},
        {"弐拾萬", "２０００００"},
        {"壱仟佰", "１１００"},
    });
}

TEST(NumeralNormalizerTest, DigitsMixWithUnits)
{
    expectAll({
        {"２３百", "２３００"},
        {"２千３万", "２００３００００"},
        {"３万５千", "３５０００"},
        {"九千九百九十九兆", "９９９９００００００００００００"},
    });
}

TEST(NumeralNormalizerTest, UnevaluableNumbersKeepTheirCanonicalCharacters)
{
    expectAll({
        {"億", "億"},                      // a bare 億 is no number
        {"１２３４５", "１２３４５"},      // a digit run of five digits
        {"１２３４５万", "１２３４５万"},
        {"一万万万", "１００００"},        // a repeated unit overwrites its group
        {"３冊", "３冊"},                  // not a numeral character
        {"〇五", "０５"},                  // no unit: the zero stays
        {"〇二十", "２０"},
        {"", ""},
    });
}

TEST(NumeralNormalizerTest, GroupingCommasBeforeThreeDigitsVanish)
{
    expectAll({
        {"１，２３４", "１２３４"},
        {"１、２３４", "１２３４"},
        {"１２３４，５", "１２３４，５"},  // a comma remains: the canonical copy
        {"一，二三四", "１２３４"},
    });
}

TEST(NumeralNormalizerTest, IndefiniteAndDecimalNumerals)
{
    expectAll({
        {"何百", "何"},
        {"数千", "数"},
        {"幾万", "幾"},
        {"１．５", "１．５"},
        {"一．五", "一．五"},
    });
}

// Bytes below 0x80 are one-byte characters: the scan realigns on them and
// never treats one as half of a double-byte character.
TEST(NumeralNormalizerTest, OneByteCharactersRealignTheScan)
{
    expectAll({
        {"1二", "1２"},
        {"二a十", "２a十"},
        {"a二十", "a２十"},
        {"五0", "５0"},
    });
}

TEST(NumeralNormalizerTest, TextEndingInHalfACharacterIsNeverReadPast)
{
    const std::string half = std::string("二十") + "\xBB";
    EXPECT_EQ(normalizeNumeral(half), "２十\xBB");
    EXPECT_EQ(normalizeNumeral("\xA3"), "\xA3");
}

}  // namespace
}  // namespace quibo
