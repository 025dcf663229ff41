#include "knowledge/CDictionary.h"

#include "analysis/LanguageAnalyzer.h"
#include "knowledge/Entity.h"
#include "knowledge/ParsedText.h"
#include "knowledge/Predicative.h"
#include "knowledge/Thesaurus.h"

#include <gtest/gtest.h>

namespace quibo {
namespace {

class CDictionaryTest : public ::testing::Test {
protected:
    ~CDictionaryTest() override { LanguageAnalyzer::deleteInstance(); }

    ParsedText title{"塔", MorphemeList(), ""};
    CDictionary dictionary;
};

TEST_F(CDictionaryTest, NameLookupsTakeTheFirstOfEqualNames)
{
    Entity* first = dictionary.addEntity("塔", std::make_unique<Entity>(&title, 1));
    Entity* second = dictionary.addEntity("塔", std::make_unique<Entity>(&title, 2));
    EXPECT_NE(first, second);
    EXPECT_EQ(dictionary.findByName("塔", false), first);
    EXPECT_EQ(dictionary.findEntity("塔", false), first);
    EXPECT_EQ(dictionary.findByName("塔塔", false), nullptr);
    EXPECT_EQ(dictionary.findByName("", false), nullptr);

    Predicative* run = dictionary.addPredicative(
        "走る", std::make_unique<Predicative>(knowledge_type::PREDICATIVE, &title));
    EXPECT_EQ(dictionary.findPredicative("走る", false), run);
    EXPECT_EQ(dictionary.findPredicative("塔", false), nullptr);
}

TEST_F(CDictionaryTest, ThesauriAreSharedByTitleTypeAndRepresentative)
{
    Entity* tower = dictionary.addEntity("塔", std::make_unique<Entity>(&title, 0));
    Thesaurus* group = dictionary.findThesaurus(&title, knowledge_type::ENTITY_SYNONYMS, tower);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(dictionary.findThesaurus(&title, knowledge_type::ENTITY_SYNONYMS, tower), group);
    EXPECT_NE(dictionary.findThesaurus(&title, knowledge_type::ENTITY_THESAURUS, tower), group);
    EXPECT_NE(dictionary.findThesaurus(&title, knowledge_type::ENTITY_SYNONYMS, nullptr), group);
}

TEST_F(CDictionaryTest, BlankTextsAreNotCached)
{
    EXPECT_EQ(dictionary.getParsedText("   "), nullptr);
    EXPECT_EQ(dictionary.getParsedText(""), nullptr);
    ParsedText* parsed = dictionary.getParsedText("塔");
    ASSERT_NE(parsed, nullptr);
    EXPECT_EQ(dictionary.getParsedText("塔"), parsed);
}

TEST_F(CDictionaryTest, ConjugationIndexesHoldTheNameTables)
{
    EXPECT_EQ(dictionary.conjugationTypeIndex().size(), 34u);
    EXPECT_EQ(dictionary.conjugationTypeIndex().at("ナ形容詞"), 21);
    EXPECT_EQ(dictionary.conjugationTypeIndex().at(""), 0);
    EXPECT_EQ(dictionary.conjugationFormIndex().size(), 59u);
    EXPECT_EQ(dictionary.conjugationFormIndex().at("文語音便条件形"), 58);
    EXPECT_EQ(dictionary.conjugationFormIndex().count("基本連体形"), 0u);
}

}  // namespace
}  // namespace quibo
