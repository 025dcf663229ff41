#include "knowledge/TopicTitle.h"

#include "knowledge/CDictionary.h"
#include "knowledge/Entity.h"
#include "knowledge/ParsedText.h"
#include "knowledge/Topic.h"
#include "tests/support/KnowledgeSamples.h"

#include <gtest/gtest.h>

namespace quibo {
namespace {

MorphemeList nouns(const std::string& text)
{
    std::string ignored;
    return test::oneNounAnalysis(text, ignored);
}

TEST(TopicTitleTest, CMarkMustEndATextLongerThanIt)
{
    struct Case {
        const char* source;
        bool marked;
    };
    for (const Case& c : {Case{"＿Ｃ＿", false}, Case{"店＿Ｃ＿です", false}, Case{"店舗＿Ｃ＿", true},
                          Case{"＿Ｃ＿店＿Ｃ＿", true}, Case{"", false}}) {
        TopicTitle title(nullptr, nullptr);
        title.setSourceText(c.source);
        EXPECT_EQ(title.hasCMark(), c.marked) << c.source;
    }
}

TEST(TopicTitleTest, SameTitlesAgreeInTypeDcaSlotsAndJudgement)
{
    auto make = [](const char* x, int dca, std::uint8_t polarity) {
        auto title = std::make_unique<TopicTitle>(nullptr, nullptr);
        title->setType(topic_title_type::X_Y_N);
        title->setXWords(nouns(x));
        title->setYWords(nouns("開く"));
        title->setDcaBits(dca);
        title->setPolarity2(polarity);
        return title;
    };
    const auto base = make("店", 1, 0);
    EXPECT_TRUE(base->isSame(*make("店", 1, 0)));
    EXPECT_FALSE(base->isSame(*make("駅", 1, 0)));
    EXPECT_FALSE(base->isSame(*make("店", 2, 0)));
    EXPECT_FALSE(base->isSame(*make("店", 1, 1)));

    // Words differ in POS code only: the same when both are knowledge words
    // that do not pair, different otherwise.
    auto knowledge = make("店", 1, 0);
    MorphemeList bound = nouns("店");
    bound.at(0).setPosCode(pos::ENTITY);
    knowledge->setXWords(bound);
    auto other = make("店", 1, 0);
    MorphemeList synonym = nouns("店");
    synonym.at(0).setPosCode(pos::ENTITY_SYNONYMS);
    other->setXWords(synonym);
    EXPECT_TRUE(knowledge->isSame(*other));
    EXPECT_FALSE(knowledge->isSame(*base));
}

TEST(TopicTitleTest, AddCentreBringsRelativesUntilOneIsAlreadyThere)
{
    CDictionary dictionary;
    auto entity = [&](const char* name) {
        std::string analysed;
        MorphemeList words = test::oneNounAnalysis(name, analysed);
        return dictionary.addEntity(name, std::make_unique<Entity>(
                                              dictionary.putParsedText(name, words, analysed), 0));
    };
    Entity* bread = entity("パン");
    Entity* loaf = entity("食パン");
    Entity* price = entity("値段");
    Entity* bun = entity("メロンパン");
    bread->addRelated(loaf);
    bread->addRelated(price);
    bread->addRelated(bun);

    TopicTitle title(nullptr, price);
    title.addCentre(bread);
    // The relatives stop at "値段", already a centre: "メロンパン" stays out.
    EXPECT_EQ(title.getCentres(), (std::vector<KnowledgeObject*>{price, bread, loaf}));
    EXPECT_EQ(title.centreIndex(), (std::set<std::string>{"パン", "食パン", "値段"}));

    title.addCentre(loaf);
    title.addCentre(nullptr);
    EXPECT_EQ(title.getCentres().size(), 3u);
}

TEST(TopicTest, OnlyAdoptedTitlesAreDeletedByTheTopic)
{
    Topic topic;
    TopicTitle borrowed(&topic, nullptr);
    topic.addTitle(&borrowed);
    TopicTitle* owned = topic.adoptTitle(std::make_unique<TopicTitle>(&topic, nullptr));
    EXPECT_EQ(topic.titleCount(), 2);
    topic.removeLastTitle();  // deletes the adopted title (the sanitizers watch)
    EXPECT_EQ(topic.titleCount(), 1);
    topic.removeTitle(owned);  // no longer listed: nothing happens
    topic.removeTitle(&borrowed);
    EXPECT_EQ(topic.titleCount(), 0);
    topic.removeLastTitle();
    topic.adoptTitle(std::make_unique<TopicTitle>(&topic, nullptr));
}

}  // namespace
}  // namespace quibo
