#include "knowledge/Entity.h"
#include "knowledge/ParsedText.h"
#include "knowledge/Predicative.h"
#include "knowledge/Thesaurus.h"
#include "tests/support/Words.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

namespace quibo {
namespace {

using test::makeList;
using test::makeWord;

Morpheme read(const std::string& text, const std::string& reading)
{
    Morpheme word = makeWord(text, pos::COMMON_NOUN);
    word.setReading(reading);
    return word;
}

TEST(KnowledgeObjectTest, PredicativeTakesOnlyPredicativeGroups)
{
    ParsedText title("走る", MorphemeList(), "");
    Predicative run(knowledge_type::PREDICATIVE, &title);
    Thesaurus synonyms(knowledge_type::PREDICATIVE_SYNONYMS, &title, &run);
    Thesaurus antonyms(knowledge_type::PREDICATIVE_ANTONYMS, &title, &run);
    Thesaurus entityGroup(knowledge_type::ENTITY_SYNONYMS, &title, &run);
    run.setThesaurus(&synonyms);
    run.setThesaurus(&antonyms);
    run.setThesaurus(&synonyms);  // no duplicate check
    testing::internal::CaptureStderr();
    run.setThesaurus(&entityGroup);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Predicative::setThesaurus: Illegal TarnML Type\n");
    EXPECT_EQ(run.synonyms().size(), 2u);
    EXPECT_EQ(run.antonyms().size(), 1u);
}

TEST(KnowledgeObjectTest, EntityTakesOnlyEntitySynonymGroups)
{
    ParsedText title("塔", MorphemeList(), "");
    Entity tower(&title, 1);
    Thesaurus group(knowledge_type::ENTITY_SYNONYMS, &title, &tower);
    Thesaurus other(knowledge_type::ENTITY_THESAURUS, &title, &tower);
    tower.setThesaurus(&group);
    testing::internal::CaptureStderr();
    tower.setThesaurus(&other);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Entity::setThesaurus: Illegal TarnML Type\n");
    EXPECT_EQ(tower.thesauriRef(), std::vector<Thesaurus*>{&group});
    EXPECT_TRUE(tower.hasFlag(1));
    EXPECT_FALSE(tower.hasFlag(2 | 4));
    EXPECT_EQ(tower.getTypeId(), knowledge_type::ENTITY);
}

TEST(KnowledgeObjectTest, EntityRelationsAndTopicsStayUnique)
{
    ParsedText title("塔", MorphemeList(), "");
    Entity tower(&title, 0);
    Entity bridge(&title, 0);
    tower.addRelated(&tower);
    EXPECT_TRUE(tower.relatedEntities().empty());
    tower.addRelated(&bridge);
    tower.addRelated(&bridge);
    EXPECT_EQ(tower.relatedEntities().size(), 1u);

    Topic* topic = reinterpret_cast<Topic*>(&bridge);  // only the address is stored
    EXPECT_FALSE(tower.hasTopics());
    tower.addTopic(topic);
    tower.addTopic(topic);
    EXPECT_EQ(tower.topicRefs().topics().size(), 1u);
    EXPECT_TRUE(tower.hasTopics());

    tower.entitySet(4).insert(&bridge);
    tower.entitySet(5).insert(&bridge);
    tower.clearSet4();
    EXPECT_TRUE(tower.entitySet(4).empty());
    EXPECT_FALSE(tower.entitySet(5).empty());
    tower.clearSet5();
    EXPECT_TRUE(tower.entitySet(5).empty());
    EXPECT_THROW(tower.entitySet(7), std::out_of_range);
}

TEST(KnowledgeObjectTest, EntitySetsCountCommonMembers)
{
    ParsedText title("x", MorphemeList(), "");
    KnowledgeObject a(1, &title), b(1, &title), c(1, &title);
    EntitySet first, second;
    first.insert(&a);
    first.insert(&b);
    second.insert(&b);
    second.insert(&c);
    EXPECT_TRUE(first.intersects(second));
    EXPECT_EQ(first.countCommon(second), 1);
    EXPECT_FALSE(first.intersects(EntitySet()));
    EXPECT_EQ(first.countCommon(EntitySet()), 0);
}

TEST(KnowledgeObjectTest, ReadingJoinsWordReadingsSkippingTabs)
{
    ParsedText title("東京タワー", makeList({read("東京", "とうきょう"), read("・", "\t"), read("タワー", "たわー")}), "");
    const Entity tower(&title, 0);
    EXPECT_EQ(tower.getReading(), "とうきょうたわー");

    ParsedText tabs("・・", makeList({read("・", "\t"), read("・", "\t")}), "");
    KnowledgeObject object(knowledge_type::ENTITY, &tabs);
    object.makeReading();
    EXPECT_EQ(object.getReading(), "");
}

TEST(KnowledgeObjectTest, TitleTextsAndSharedWords)
{
    ParsedText same("塔", makeList({makeWord("塔", pos::COMMON_NOUN)}), "");
    ParsedText changed("１２", MorphemeList(), "十二");
    const KnowledgeObject plain(knowledge_type::ENTITY, &same);
    const KnowledgeObject normalised(knowledge_type::ENTITY, &changed);
    EXPECT_EQ(plain.getSourceText(), "塔");
    EXPECT_EQ(normalised.getSourceText(), "十二");
    EXPECT_EQ(normalised.getTitleText(), "１２");

    KnowledgeObject sharing(knowledge_type::ENTITY, &same);
    MorphemeList words = makeList({makeWord("高い", pos::ADJECTIVE), makeWord("塔", pos::COMMON_NOUN)});
    words.setListNumber(3);
    sharing.setTitleWords(words);
    EXPECT_EQ(plain.getTitleWords().size(), 2u);
    EXPECT_EQ(plain.getTitleWords().getListNumber(), 3);

    const KnowledgeObject untitled(knowledge_type::ENTITY, nullptr);
    EXPECT_EQ(untitled.getTitleText(), "");
    EXPECT_TRUE(untitled.getTitleWords().empty());
}

TEST(KnowledgeObjectTest, ThesaurusSpeaksForItsRepresentative)
{
    ParsedText towerTitle("塔", MorphemeList(), "とう");
    ParsedText groupTitle("塔類", MorphemeList(), "");
    Entity tower(&towerTitle, 0);
    const Thesaurus group(knowledge_type::ENTITY_SYNONYMS, &groupTitle, &tower);
    EXPECT_EQ(group.getRepresentative(), &tower);
    EXPECT_EQ(group.representativeTitleText(), "塔");
    EXPECT_EQ(group.representativeSourceText(), "とう");
    const Thesaurus orphan(knowledge_type::ENTITY_SYNONYMS, &groupTitle, nullptr);
    EXPECT_EQ(orphan.representativeTitleText(), "");
}

TEST(KnowledgeObjectTest, EntitySetsVisitMembersInInsertionOrder)
{
    // Objects laid out so that address order and insertion order differ.
    ParsedText title("x", MorphemeList(), "");
    KnowledgeObject objects[3] = {{1, &title}, {1, &title}, {1, &title}};
    EntitySet set;
    EXPECT_TRUE(set.insert(&objects[2]));
    EXPECT_TRUE(set.insert(&objects[0]));
    EXPECT_FALSE(set.insert(&objects[2]));
    EXPECT_TRUE(set.insert(&objects[1]));
    EXPECT_EQ(set.members().inOrder(),
              (std::vector<KnowledgeObject*>{&objects[2], &objects[0], &objects[1]}));
    EXPECT_TRUE(set.contains(&objects[1]));

    Entity owner(&title, 0);
    owner.addRelated(&objects[1]);
    owner.addRelated(&objects[0]);
    EntitySet related = owner.relatedEntities();  // a copy
    related.clear();
    EXPECT_EQ(owner.relatedEntities().members().inOrder(),
              (std::vector<KnowledgeObject*>{&objects[1], &objects[0]}));

    // A set grown past a few members (when it starts to index them) still
    // keeps each once, in order, and a copy or a cleared set still works.
    std::vector<std::unique_ptr<KnowledgeObject>> many;
    std::vector<KnowledgeObject*> order;
    EntitySet large;
    for (int k = 0; k < 40; ++k) {
        many.push_back(std::make_unique<KnowledgeObject>(1, &title));
        order.insert(order.begin(), many.back().get());
    }
    for (KnowledgeObject* object : order) {
        EXPECT_TRUE(large.insert(object));
        EXPECT_FALSE(large.insert(order.front()));
    }
    for (KnowledgeObject* object : order) EXPECT_FALSE(large.insert(object));
    EXPECT_EQ(large.members().inOrder(), order);
    EXPECT_FALSE(large.contains(&objects[0]));
    EntitySet copy = large;
    EXPECT_TRUE(copy.contains(order.back()));
    EXPECT_EQ(copy.countCommon(set), 0);
    set.insert(order[17]);
    EXPECT_EQ(large.countCommon(set), 1);
    large.clear();
    EXPECT_FALSE(large.contains(order[17]));
    EXPECT_TRUE(large.insert(order[17]));
    EXPECT_EQ(large.size(), 1u);
}

std::string utf8(const char8_t* text)
{
    return reinterpret_cast<const char*>(text);
}

TEST(KnowledgeObjectTest, EntityDumpPrintsPrefixTitleAndReading)
{
    ParsedText title("東京タワー", makeList({read("東京", "とうきょう"), read("タワー", "たわー")}), "");
    const Entity tower(&title, 0);
    testing::internal::CaptureStdout();
    tower.dump("実体一覧");
    tower.dump("");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              utf8(u8"実体一覧\nEntity title=東京タワー,yomi=とうきょうたわー\n"
                   u8"Entity title=東京タワー,yomi=とうきょうたわー\n"));
}

TEST(KnowledgeObjectTest, ThesaurusDumpTagsItsKind)
{
    ParsedText representative("塔", makeList({read("塔", "とう")}), "");
    ParsedText groupTitle("タワー", makeList({read("タワー", "たわー")}), "");
    Entity tower(&representative, 0);
    struct Row {
        std::int32_t type;
        const char8_t* line;
    };
    const Row rows[] = {
        {knowledge_type::PREDICATIVE_ANTONYMS, u8" PA(塔)\n"},
        {knowledge_type::PREDICATIVE_SYNONYMS, u8" PS(塔)\n"},
        {knowledge_type::ENTITY_THESAURUS, u8" EA(塔)\n"},
        {knowledge_type::ENTITY_SYNONYMS, u8" ES(塔)\n"},
        {knowledge_type::PREDICATIVE, u8" ??塔)\n"},
        {knowledge_type::ENTITY, u8" ??塔)\n"},
    };
    for (const Row& row : rows) {
        Thesaurus group(row.type, &groupTitle, &tower);
        group.makeReading();
        testing::internal::CaptureStdout();
        group.dump(row.type == knowledge_type::ENTITY ? "類義" : "");
        const std::string expected = (row.type == knowledge_type::ENTITY ? utf8(u8"類義\n") : std::string()) +
                                     utf8(u8"Thesaurus title=タワー,yomi=たわー\n") + utf8(row.line);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), expected) << row.type;
    }
}

}  // namespace
}  // namespace quibo
