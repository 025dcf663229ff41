#include "analysis/Vocabulary.h"

#include <gtest/gtest.h>

namespace quibo {
namespace {

TEST(VocabularyTest, ConjugationValueZeroNamesNothing)
{
    EXPECT_EQ(conjugationTypeName(0), "");
    EXPECT_EQ(conjugationFormName(0), "");
}

TEST(VocabularyTest, ConjugationValueSplitsIntoTypeAndForm)
{
    const int value = 16 * 0x10000 + 45;
    EXPECT_EQ(conjugationTypeName(value), "サ変動詞");
    EXPECT_EQ(conjugationFormName(value), "基本形");
    EXPECT_EQ(conjugationTypeName(33 << 16), "動詞性接尾辞得る型");
    // Ids outside the tables must not index past them.
    EXPECT_EQ(conjugationTypeName(34 << 16), "");
    EXPECT_EQ(conjugationFormName(60), "");
    EXPECT_EQ(conjugationTypeName(-1), "");
}

TEST(VocabularyTest, FormTableKeepsItsStoredOrder)
{
    EXPECT_EQ(CONJUGATION_FORM_NAMES[57], "命令形");
    EXPECT_EQ(CONJUGATION_FORM_NAMES[58], "文語音便条件形");
    EXPECT_EQ(CONJUGATION_FORM_NAMES[59], "基本連体形");
    EXPECT_EQ(CONJUGATION_FORM_NAMES[1], "タ形");
    EXPECT_EQ(CONJUGATION_FORM_NAMES[45], "基本形");
}

TEST(VocabularyTest, SentenceFormWords)
{
    EXPECT_EQ(sentenceFormWord('d'), "既定");
    EXPECT_EQ(sentenceFormWord('i'), "肯定");
    EXPECT_EQ(sentenceFormWord('n'), "否定");
    EXPECT_EQ(sentenceFormWord('x'), "");
}

TEST(VocabularyTest, ConstantsAreEucJp)
{
    // "＊" is A1 F6 in EUC-JP; the build must store literals that way.
    ASSERT_EQ(WILDCARD_WORD.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(WILDCARD_WORD[0]), 0xA1);
    EXPECT_EQ(static_cast<unsigned char>(WILDCARD_WORD[1]), 0xF6);
    EXPECT_EQ(FULLWIDTH_LOWERCASE.size(), 52u);
    EXPECT_EQ(CORRELATION_NAMES[4], "無相関");
}

}  // namespace
}  // namespace quibo
