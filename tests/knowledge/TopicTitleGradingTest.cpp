#include "knowledge/TopicTitle.h"

#include "knowledge/CDictionary.h"
#include "knowledge/Entity.h"
#include "knowledge/ParsedText.h"
#include "knowledge/Topic.h"
#include "meaning/MeanEntry.h"
#include "tests/support/KnowledgeSamples.h"
#include "tests/support/Words.h"

#include <gtest/gtest.h>

namespace quibo {
namespace {

using test::keyForms;
using test::makeList;
using test::makeWord;

constexpr std::uint32_t X = Morpheme::FLAG_X;
constexpr std::uint32_t Y = Morpheme::FLAG_Y;
constexpr std::uint32_t I = Morpheme::FLAG_I;

// A word whose POS differs in the polarity bit from the plain one: the two
// correlate the opposite way.
Morpheme negated(const std::string& text, std::uint32_t flags)
{
    return makeWord(text, pos::VERB | pos::POLARITY_BIT, flags);
}

std::uint32_t low(std::uint64_t grade) { return static_cast<std::uint32_t>(grade); }
std::uint32_t high(std::uint64_t grade) { return static_cast<std::uint32_t>(grade >> 32); }

MeanEntry judgement(std::uint8_t sentence, std::uint8_t x, std::uint8_t y)
{
    MeanEntry entry;
    entry.setPolarities(sentence, x, y);
    return entry;
}

TEST(TopicTitleGradingTest, AntonymPairsGiveTheirParityAndWhetherThereWereAny)
{
    TopicTitle title(nullptr, nullptr);
    const MorphemeList words = makeList({makeWord("開く", pos::VERB), makeWord("閉まる", pos::VERB),
                                         makeWord("高い", pos::ADJECTIVE)});
    struct Case {
        const char* what;
        MorphemeList list;
        int parity;
        bool found;
    };
    const Case cases[] = {
        {"none", makeList({makeWord("開く", pos::VERB)}), 1, false},
        {"one", makeList({negated("開く", 0)}), 0, true},
        {"two", makeList({negated("開く", 0), negated("閉まる", 0)}), 1, true},
        {"three", makeList({negated("開く", 0), negated("閉まる", 0), makeWord("高い", pos::ADJECTIVE | pos::POLARITY_BIT)}),
         0, true},
        {"optional words do not count", makeList({negated("開く", I), negated("閉まる", I)}), 1, false},
        {"nor do particles", makeList({makeWord("開く", pos::PARTICLE | pos::POLARITY_BIT)}), 1, false},
    };
    for (const Case& c : cases) {
        bool found = !c.found;
        EXPECT_EQ(title.countAntonymPairs(words, c.list, found), c.parity) << c.what;
        EXPECT_EQ(found, c.found) << c.what;
    }
}

// A knowledge title of the given type over noun X words and verb Y words.
std::unique_ptr<TopicTitle> knowledgeTitle(int type, const MorphemeList& words)
{
    auto title = std::make_unique<TopicTitle>(nullptr, nullptr);
    title->setType(type);
    title->setWords(words);
    return title;
}

TEST(TopicTitleGradingTest, SlotFlagsFollowTheTypeAndTheUtterancesHeads)
{
    const MorphemeList titleWords = makeList({makeWord("店", pos::COMMON_NOUN, X), makeWord("開く", pos::VERB, Y)});
    struct Case {
        const char* what;
        int type;
        MorphemeList input;
        std::uint32_t set;
        std::uint32_t clear;
    };
    const Case cases[] = {
        {"X_Y_N, X words only", topic_title_type::X_Y_N, makeList({makeWord("店", pos::COMMON_NOUN, X)}),
         0x1 | 0x2 | 0x8 | 0x10, 0x4},
        {"X_Y_N, X and Y words", topic_title_type::X_Y_N,
         makeList({makeWord("店", pos::COMMON_NOUN, X), makeWord("開く", pos::VERB, Y)}), 0x1 | 0x2 | 0x4 | 0x10, 0x8},
        {"X_Y_N, Y words only", topic_title_type::X_Y_N, makeList({makeWord("開く", pos::VERB, Y)}),
         0x1 | 0x2 | 0x10, 0x4 | 0x8},
        {"X_A_N never sets the slot bits", topic_title_type::X_A_N, makeList({makeWord("店", pos::COMMON_NOUN, X)}),
         0x1 | 0x10, 0x2 | 0x4 | 0x8},
        {"no shared word", topic_title_type::X_Y_N, makeList({makeWord("駅", pos::COMMON_NOUN, X)}),
         0x2 | 0x8 | 0x10, 0x1},
        {"optional input words are not compared", topic_title_type::X_Y_N,
         makeList({makeWord("店", pos::COMMON_NOUN, X | I)}), 0x2 | 0x10, 0x1 | 0x4 | 0x8},
    };
    for (const Case& c : cases) {
        const std::uint32_t flags = low(knowledgeTitle(c.type, titleWords)->gradeMatch(c.input, nullptr));
        EXPECT_EQ(flags & c.set, c.set) << c.what;
        EXPECT_EQ(flags & c.clear, 0u) << c.what;
    }
}

TEST(TopicTitleGradingTest, CoverBitsNeedTheUtteranceCoveredByOneHeadClassOfTheTitle)
{
    const auto title = knowledgeTitle(topic_title_type::X_Y_N, makeList({makeWord("店", pos::COMMON_NOUN, X),
                                                                          makeWord("開く", pos::VERB, Y)}));
    // Covered by the X words; the judgement's Y byte even and unmarked.
    EXPECT_EQ(low(title->gradeMatch(makeList({makeWord("店", pos::COMMON_NOUN, X)}), nullptr)) & 0x180, 0x80u);
    // ... but not when the judgement's Y byte is odd and the utterance has no Y word.
    const MeanEntry oddY = judgement(0, 0, 1);
    EXPECT_EQ(low(title->gradeMatch(makeList({makeWord("店", pos::COMMON_NOUN, X)}), &oddY)) & 0x180, 0u);
    // Covered by the Y words.
    EXPECT_EQ(low(title->gradeMatch(makeList({makeWord("開く", pos::VERB, Y)}), nullptr)) & 0x180, 0x100u);
    // Both classes in the utterance: neither covers it alone.
    EXPECT_EQ(low(title->gradeMatch(makeList({makeWord("店", pos::COMMON_NOUN, X), makeWord("開く", pos::VERB, Y)}),
                                    nullptr)) &
                  0x180,
              0u);
    // A title without Y words needs its own third byte even and unmarked.
    const auto onlyX = knowledgeTitle(topic_title_type::X_A_N, makeList({makeWord("店", pos::COMMON_NOUN, X)}));
    onlyX->setPolarity3(0x80);
    EXPECT_EQ(low(onlyX->gradeMatch(makeList({makeWord("店", pos::COMMON_NOUN, X)}), nullptr)) & 0x80, 0u);
    onlyX->setPolarity3(2);
    EXPECT_EQ(low(onlyX->gradeMatch(makeList({makeWord("店", pos::COMMON_NOUN, X)}), nullptr)) & 0x80, 0x80u);
}

TEST(TopicTitleGradingTest, PolarityAgreementAndDisagreement)
{
    const MorphemeList titleWords = makeList({makeWord("店", pos::COMMON_NOUN, X), makeWord("開く", pos::VERB, Y)});
    const MorphemeList same = titleWords;
    const MorphemeList opposite = makeList({makeWord("店", pos::COMMON_NOUN, X), negated("開く", Y)});
    constexpr std::uint32_t AGREE_ALL = 0x400000 | 0x2000000 | 0x4000000;
    struct Case {
        const char* what;
        std::uint8_t titleBytes;  // all three
        std::uint8_t sentence;
        const MorphemeList* input;
        std::uint32_t lowSet;
        std::uint32_t highSet;
    };
    const Case cases[] = {
        {"asserted, even sum, no antonym: agree everywhere", 0, 0x40, &same, AGREE_ALL, 0},
        {"not asserted: no agreement, no disagreement", 0, 0, &same, 0, 0},
        {"odd sum, no antonym: disagree everywhere", 0, 0x41, &same, 0x80000000u, 0x4 | 0x8},
        // One opposite pair (odd count) over the whole title and over the Y
        // words; none over the X words.
        {"odd sum, one antonym: agree whole and Y, disagree X", 0, 0x41, &opposite, 0x400000 | 0x4000000, 0x4},
        {"even sum, one antonym: disagree whole and Y, agree X", 0, 0x40, &opposite, 0x2000000 | 0x80000000u, 0x8},
        {"sign differs: agree and disagree together", 0x80, 0x40, &same, AGREE_ALL | 0x80000000u, 0x4 | 0x8},
    };
    for (const Case& c : cases) {
        const auto title = knowledgeTitle(topic_title_type::X_Y_N, titleWords);
        title->setPolarity1(c.titleBytes);
        title->setPolarity2(c.titleBytes);
        title->setPolarity3(c.titleBytes);
        const MeanEntry entry = judgement(c.sentence, 0, 0);
        const std::uint64_t grade = title->gradeMatch(*c.input, &entry);
        EXPECT_EQ(low(grade) & (AGREE_ALL | 0x80000000u), c.lowSet) << c.what;
        EXPECT_EQ(high(grade), c.highSet) << c.what;
    }
}

// --- Centres ---------------------------------------------------------------

class TopicTitleCentresTest : public testing::Test {
protected:
    Entity* entity(const std::string& name, std::int32_t flags, PosCode titlePos = pos::COMMON_NOUN)
    {
        MorphemeList words = makeList({makeWord(name, titlePos)});
        return m_dictionary.addEntity(name,
                                      std::make_unique<Entity>(m_dictionary.putParsedText(name, words, name), flags));
    }
    static Morpheme bound(KnowledgeObject* object, std::uint32_t flags, PosCode posCode = pos::ENTITY)
    {
        Morpheme word = makeWord(object->getTitleText(), posCode, flags);
        word.setKnowledgeObject(object);
        return word;
    }
    static std::string centreTitles(const TopicTitle& title)
    {
        std::string text;
        for (const KnowledgeObject* centre : title.getCentres())
            text += (text.empty() ? "" : " ") + centre->getTitleText();
        return text;
    }
    // Collects the centres of a title over the subject words, printing to a
    // captured console.
    std::string collect(TopicTitle& title, const MorphemeList& subjects, KnowledgeObject* fallback, int& count)
    {
        title.setSWords(subjects);
        testing::internal::CaptureStdout();
        count = title.collectCentres(fallback, m_order);
        return testing::internal::GetCapturedStdout();
    }

    CDictionary m_dictionary;
    CentreOrder m_order;
};

TEST_F(TopicTitleCentresTest, KnowledgeWordsBecomeCentresByTheirRank)
{
    Entity* fallback = entity("補完談話", 8);
    Entity* shop = entity("店", 1);
    Entity* always = entity("常設", 0x02);
    Entity* number = entity("三", 1, pos::NUMERAL);
    Entity* optional = entity("任意", 1);
    struct Case {
        const char* what;
        MorphemeList subjects;
        std::string centres;
    };
    const Case cases[] = {
        {"a required knowledge word", makeList({bound(shop, X)}), "店"},
        {"an entity flagged 0x02 even when optional", makeList({bound(always, I), bound(shop, X)}), "常設 店"},
        {"a numeral only when nothing better", makeList({bound(number, X)}), "三"},
        {"an optional word among the first three content words",
         makeList({bound(optional, I), bound(shop, X)}), "任意 店"},
        {"an optional word after three content words ranks 4, below a centre",
         makeList({makeWord("朝", pos::COMMON_NOUN), makeWord("昼", pos::COMMON_NOUN),
                   makeWord("夜", pos::COMMON_NOUN), bound(optional, I), bound(shop, X)}),
         "店"},
        {"rank 4 beats rank 3 when nothing became a centre",
         makeList({makeWord("朝", pos::COMMON_NOUN), makeWord("昼", pos::COMMON_NOUN),
                   makeWord("夜", pos::COMMON_NOUN), bound(number, I), bound(optional, I)}),
         "任意"},
        {"no knowledge word: the fallback", makeList({makeWord("朝", pos::COMMON_NOUN)}), "補完談話"},
    };
    for (const Case& c : cases) {
        TopicTitle title(nullptr, nullptr);
        int count = 0;
        collect(title, c.subjects, fallback, count);
        EXPECT_EQ(centreTitles(title), c.centres) << c.what;
        EXPECT_EQ(count, static_cast<int>(title.getCentres().size())) << c.what;
    }
}

TEST_F(TopicTitleCentresTest, TitlesWithoutCentresSayWhyOnTheConsole)
{
    Entity* fallback = entity("補完談話", 8);
    struct Case {
        const char* what;
        MorphemeList subjects;
        int derivation;
        std::string line;  // UTF-8
        std::string centres;
    };
    const Case cases[] = {
        {"content words: into the fallback", makeList({makeWord("朝", pos::COMMON_NOUN)}), 0,
         reinterpret_cast<const char*>(u8"センターがないので補完談話に挿入:朝です\n"), "補完談話"},
        {"derived", makeList({makeWord("朝", pos::COMMON_NOUN)}), 1,
         reinterpret_cast<const char*>(u8"センターがないが派生したトピックタイトルなので捨てる:朝です\n"), ""},
        {"no content word", makeList({makeWord("です", pos::COPULA)}), 0,
         reinterpret_cast<const char*>(u8"センターがなく自立語もないので破棄:朝です\n"), ""},
    };
    for (const Case& c : cases) {
        m_order = CentreOrder();
        TopicTitle title(nullptr, nullptr);
        title.setSourceText("朝です");
        title.setDerivation(c.derivation);
        int count = -1;
        EXPECT_EQ(collect(title, c.subjects, fallback, count), c.line) << c.what;
        EXPECT_EQ(centreTitles(title), c.centres) << c.what;
        EXPECT_EQ(m_order.number(fallback) >= 0, !c.centres.empty()) << c.what;
    }
    // A title that finds a centre prints nothing.
    TopicTitle found(nullptr, nullptr);
    int count = 0;
    EXPECT_EQ(collect(found, makeList({bound(entity("店", 1), X)}), fallback, count), "");
}

TEST_F(TopicTitleCentresTest, MainCentreIsTheEarliestNumberedAndAllEntityCentresAreMarked)
{
    Entity* bread = entity("パン", 1);
    Entity* price = entity("値段", 1);
    Entity* shop = entity("店", 1);
    m_order.insert(price);
    m_order.insert(bread);
    TopicTitle title(nullptr, nullptr);
    title.setSWords(makeList({bound(bread, X), bound(price, X)}));
    title.addCentre(shop);
    title.addCentre(bread);
    title.addCentre(price);
    title.chooseMainCentre(nullptr, m_order);
    EXPECT_EQ(centreTitles(title), "値段 店 パン");
    for (const Entity* centre : {bread, price, shop})
        EXPECT_TRUE(centre->hasFlag(0x08)) << centre->getTitleText();

    // No centre numbered: nothing moves and nothing is marked.
    Entity* station = entity("駅", 1);
    TopicTitle unnumbered(nullptr, station);
    unnumbered.chooseMainCentre(nullptr, CentreOrder());
    EXPECT_FALSE(station->hasFlag(0x08));
}

TEST_F(TopicTitleCentresTest, TheIndexBuildVisitsEveryTitleOnceAndFallsBackOnComplementaryDiscourse)
{
    Entity* fallback = entity("補完談話", 0);
    Entity* shop = entity("店", 1);
    Entity* station = entity("駅", 1);
    Topic* topic = m_dictionary.addTopic("店", std::make_unique<Topic>());
    shop->addTopic(topic);
    station->addTopic(topic);  // the same titles under a second entity
    TopicTitle* named = topic->addXaaTitle(nullptr, "店です", makeList({bound(shop, X)}));
    TopicTitle* unnamed = topic->addXaaTitle(nullptr, "朝です", makeList({makeWord("朝", pos::COMMON_NOUN, X)}));
    Topic* alone = m_dictionary.addTopic("駅", std::make_unique<Topic>());
    TopicTitle* unlisted = alone->addXaaTitle(nullptr, "駅です", makeList({bound(station, X)}));

    testing::internal::CaptureStdout();
    m_dictionary.collectTitleCentres();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              reinterpret_cast<const char*>(u8"センターがないので補完談話に挿入:朝です\n"));
    EXPECT_EQ(centreTitles(*named), "店");
    EXPECT_EQ(centreTitles(*unnamed), "補完談話");
    EXPECT_EQ(centreTitles(*unlisted), "駅");
    for (const Entity* centre : {fallback, shop, station})
        EXPECT_EQ(centre->getFlags() & 0x08, 0x08) << centre->getTitleText();
}

TEST_F(TopicTitleCentresTest, OnlyEntityCentresCarryFlags)
{
    TopicTitle none(nullptr, nullptr);
    EXPECT_TRUE(none.centreHasFlag(0x40));
    EXPECT_TRUE(none.centreHasFlag(0x08));
    EXPECT_FALSE(none.centreHasFlag(0x01));
    EXPECT_EQ(none.centreFlags(), 8);

    // A predicative as centre reads as flags 0 and is never marked.
    MorphemeList words = makeList({makeWord("開く", pos::VERB)});
    KnowledgeObject predicative(knowledge_type::PREDICATIVE, m_dictionary.putParsedText("開く", words, "開く"));
    Entity* shop = entity("店", 0x4);
    TopicTitle title(nullptr, &predicative);
    EXPECT_EQ(title.centreFlags(), 0);
    EXPECT_FALSE(title.centreHasFlag(0x4));
    title.addCentre(shop);
    EXPECT_TRUE(title.centreHasFlag(0x4));
    m_order.insert(&predicative);
    title.chooseMainCentre(nullptr, m_order);
    EXPECT_TRUE(shop->hasFlag(0x08));
    EXPECT_EQ(title.centreFlags(), 0);  // the predicative stays first
}

TEST_F(TopicTitleCentresTest, CentreAndContentWordsAreCachedAndFiltered)
{
    Entity* bread = entity("パン", 1);
    Entity* loaf = entity("食パン", 1);
    bread->addRelated(loaf);
    TopicTitle title(nullptr, nullptr);
    title.setSWords(makeList({bound(bread, X), makeWord("朝", pos::COMMON_NOUN, X | I), makeWord("の", pos::PARTICLE, X)}));
    title.setOWords(makeList({makeWord("買う", pos::VERB, Y), bound(bread, X)}));
    EXPECT_EQ(keyForms(title.centreWords("")), "パン 朝 買う");
    EXPECT_EQ(keyForms(title.contentWords("")), "パン 買う");
    // Dropped by key form ...
    EXPECT_EQ(keyForms(title.centreWords("朝")), "パン 買う");
    // ... or, when no word has it, by the entity's relatives.
    EXPECT_EQ(keyForms(title.centreWords("食パン")), "朝 買う");
    EXPECT_EQ(keyForms(title.contentWords("食パン")), "パン 買う");
    // The caches outlive later changes of the slots.
    title.setSWords(MorphemeList());
    EXPECT_EQ(keyForms(title.centreWords("")), "パン 朝 買う");
}

}  // namespace
}  // namespace quibo
