#include "dialogue/DcaHandler.h"

#include "conversation/Candidate.h"
#include "conversation/ChatSession.h"
#include "knowledge/CDictionary.h"
#include "knowledge/Entity.h"
#include "knowledge/Topic.h"
#include "knowledge/TopicTitle.h"
#include "tests/support/InMemorySemanticNetwork.h"
#include "tests/support/Words.h"
#include "tools/KnowledgeCompiler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace quibo {
namespace {

using test::keyForms;
using test::makeList;
using test::makeWord;

// Texts are nouns with head flag X, one per part between "・"; a digit is a
// numeral and の, で and に particles.
MorphemeList nouns(const std::string& text, std::string& analysed)
{
    static const std::string DIGITS = "０１２３４５６７８９";
    analysed = text;
    MorphemeList words;
    for (std::size_t from = 0, dot = 0; from < text.size(); from = dot + 2) {
        dot = std::min(text.find("・", from), text.size());
        const std::string part = text.substr(from, dot - from);
        const std::size_t digit = DIGITS.find(part);
        const bool numeral = part.size() == 2 && digit != std::string::npos && digit % 2 == 0;
        if (part == "の" || part == "で" || part == "に")
            words.push_back(makeWord(part, pos::PARTICLE));
        else
            words.push_back(makeWord(part, numeral ? pos::NUMERAL : pos::COMMON_NOUN, Morpheme::FLAG_X));
    }
    return words;
}

// What a successful handler leaves in the flag word.
std::uint32_t stamped(std::uint64_t value)
{
    return value == 0x18 ? 8 : static_cast<std::uint32_t>(value);
}

const char* const SOURCE = reinterpret_cast<const char*>(u8R"(
entity 店 flags=1
entity 挨拶 flags=4
entity 全般 flags=2
entity 天気
entity 駅 flags=1
entity 建物 flags=9
entity 食べ物 flags=8
entity 料理 flags=8
entity 菓子
entity 補完談話 flags=2
entity 飲み物 flags=8
table 表
group 0 type=0
entry はい。
topic 店 table=表 entities=店
title X_A_A source=店 x=店
topic 挨拶 entities=挨拶
title X_A_A source=挨拶 x=挨拶
topic 全般 entities=全般
title X_A_N source=時間・全般 x=時間・全般
topic 天気 entities=天気
title X_A_N source=天気・晴れ x=天気・晴れ
topic 駅 entities=駅
title X_A_A source=駅 x=駅
topic 建物 entities=建物
title X_A_A source=建物 x=建物
topic 食べ物 entities=食べ物
title X_A_A source=食べ物 x=食べ物
topic 料理 entities=料理
title X_A_A source=料理 x=料理
topic 菓子 entities=菓子
title X_A_A source=菓子 x=菓子
topic 飲み物 entities=飲み物
title X_A_N source=飲み物・冷たい x=飲み物・冷たい
topic 補完談話 entities=補完談話
title X_A_N source=天気・補完談話 x=天気・補完談話
)");

// A sentence whose judgement carries the given DCA code bits.
class FeaturedSentence : public AnalyzedSentence {
public:
    FeaturedSentence(const MorphemeList& words, int codeBits, std::uint8_t polarity = 0)
        : AnalyzedSentence(words.joinSurfaces(), words)
    {
        m_judgement.setCodeBits(codeBits);
        m_judgement.setPolarities(polarity, 0, 0);
    }
    const MeanEntry& judgement() const override { return m_judgement; }

private:
    MeanEntry m_judgement;
};

class DcaHandlerTest : public ::testing::Test {
protected:
    void SetUp() override { base->classifyEntities(); }
    TopicTitle* title(const std::string& source) const
    {
        for (const auto& [name, topic] : base->topics())
            for (TopicTitle* t : topic->titles().titles())
                if (t->sourceText() == source)
                    return t;
        return nullptr;
    }
    // The names' words, bound to the entities of those names.
    Candidate candidateOf(const std::string& text, CDictionary* over = nullptr)
    {
        std::string analysed;
        MorphemeList words = nouns(text, analysed);
        for (Morpheme& word : words.words())
            word.bindKnowledgeObject((over ? over : base.get())->findEntity(word.getSurface(), false));
        Candidate candidate;
        candidate.setKnowledge(std::make_shared<AnalyzedSentence>(text, words));
        return candidate;
    }

    std::unique_ptr<CDictionary> base = KnowledgeCompiler(nouns).compile(SOURCE);
    ChatSession session{"key", "base", base.get()};
};

TEST_F(DcaHandlerTest, EachHandlerAcceptsWhatItsMethodTiesAndRefusesTheRest)
{
    const struct {
        std::uint64_t value;
        const char* words;
        const char* focus;    // or context, or related title, as the method reads
        bool ok;
        const char* target;   // the first unit's target; "" for none
    } cases[] = {
        {0x400, "店", "", true, "店"},              // a thing with its own title
        {0x400, "天気", "", false, ""},             // no bit 1
        {0x100000, "挨拶", "", true, "挨拶"},       // a conversation act
        {0x100000, "店", "", false, ""},
        {0x4000, "時間", "", true, "時間・全般"},    // read as speaking of 全般
        {0x4000, "店", "", false, ""},
        {0x80000, "天気・晴れ", "", true, "天気・晴れ"},  // the entity named
        {0x80000, "店", "", false, ""},             // bit 1 keeps 店 out
        {0x2000, "店", "店", true, "店"},            // the context's topic
        {0x2000, "店", "", false, ""},
        {0x18, "店", "店", true, ""},                // the focus's topic
        {0x18, "天気", "店", false, ""},
        {0x200, "店", "店", true, "店"},             // the related title answers
        {0x200, "店", "", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + " " + c.words);
        Candidate candidate = candidateOf(c.words);
        TopicRecord record;
        record.focus = c.value == 0x18 ? title(c.focus) : nullptr;
        candidate.setTopicRecord(record);
        candidate.setContext(c.value == 0x2000 ? title(c.focus) : nullptr);
        candidate.setRelated(c.value == 0x200 ? title(c.focus) : nullptr);
        const auto handler = makeDcaHandler(c.value, &session);
        ASSERT_TRUE(handler);
        EXPECT_EQ(handler->apply(&candidate, base.get()), c.ok);
        EXPECT_EQ(static_cast<std::uint32_t>(candidate.flagWord()), c.ok ? stamped(c.value) : 0u);
        const TopicTitle* first = candidate.topicUnits().empty() ? nullptr : candidate.topicUnits()[0].getTarget();
        EXPECT_EQ(first ? first->sourceText() : "", c.target);
        EXPECT_FALSE(makeDcaHandler(c.value, &session)->apply(nullptr, base.get()));
    }
    // The 0x18 tie keeps the level of the focus's hit: the sentence is the
    // title's own text.
    Candidate tied = candidateOf("店");
    TopicRecord focused;
    focused.focus = title("店");
    tied.setTopicRecord(focused);
    ASSERT_TRUE(DcaHandler18().apply(&tied, base.get()));
    EXPECT_EQ(tied.getTopicRecord().hitValue, 0);
    EXPECT_EQ(makeDcaHandler(0x80000000, &session), nullptr);  // only sign-extended
    Candidate named = candidateOf("天気・晴れ");
    EXPECT_FALSE(DcaHandler80000(nullptr).apply(&named, base.get()));
}

TEST_F(DcaHandlerTest, WhatTheSearchingHandlersLeaveBehind)
{
    Candidate candidate = candidateOf("時間");
    ASSERT_TRUE(DcaHandler4000().apply(&candidate, base.get()));
    EXPECT_EQ(keyForms(candidate.topicUnits().at(0).getWordList()), "時間 全般");
    EXPECT_EQ(candidate.topicUnits()[0].getWordList().at(1).getO(), 127);
    // 補完談話 lends its topics no words of its name.
    Candidate weather = candidateOf("天気");
    ASSERT_TRUE(DcaHandler4000().apply(&weather, base.get()));
    EXPECT_TRUE(std::any_of(weather.topicUnits().begin(), weather.topicUnits().end(),
                            [](const TopicUnit& unit) { return unit.getTarget()->sourceText() == "天気・補完談話"; }));
    for (const TopicUnit& unit : weather.topicUnits())
        EXPECT_EQ(keyForms(unit.getWordList()), unit.getTarget()->sourceText() == "時間・全般" ? "天気 全般" : "天気");

    // The weather title is found, but 時間, which another topic's title
    // uses, pairs with none of its words: no unit is left, so the search is
    // no success (its hits' stamp stays).
    Candidate unmatched = candidateOf("天気・晴れ・時間");
    EXPECT_FALSE(DcaHandler80000(&session).apply(&unmatched, base.get()));
    EXPECT_EQ(unmatched.flagWord(), 0x80000);
    EXPECT_TRUE(unmatched.topicUnits().empty());
    // 雨, which no title or term of the base uses, and 時間 counting what a
    // numeral measures tell none of its topics apart: the title the other
    // words name is reached.
    for (const char* words : {"天気・晴れ・雨", "天気・晴れ・３・時間"}) {
        SCOPED_TRACE(words);
        Candidate extra = candidateOf(words);
        ASSERT_TRUE(DcaHandler80000(&session).apply(&extra, base.get()));
        ASSERT_EQ(extra.topicUnits().size(), 1u);
        EXPECT_EQ(extra.topicUnits()[0].getTarget()->sourceText(), "天気・晴れ");
    }
    // Such a word may stand for what a title adds (雨 for its 晴れ): only a
    // title that names just what the rest of the question names is taken.
    // Nor is it left out where the question asks about it (晴れの本: a
    // book, not the weather).
    for (const char* words : {"天気・雨", "天気・晴れ・の・本"}) {
        SCOPED_TRACE(words);
        Candidate instead = candidateOf(words);
        EXPECT_FALSE(DcaHandler80000(&session).apply(&instead, base.get()));
    }

    Candidate act = candidateOf("挨拶");
    ASSERT_TRUE(DcaHandler100000().apply(&act, base.get()));
    EXPECT_EQ(act.handlerText(), "挨拶");
}

// Visitors take a compound apart (桜の祭り for the title's 桜祭り), and so
// do titles (花火の大会 for the question's 花火大会): two knowledge words
// that name in turn what one word of the other side names stand for it, in
// that order only.  A word of an entity listed for several topics
// (町, the place itself) is nothing a title adds to what the question
// names: a question that leaves it out, with a word no title uses (有料),
// still reaches the title that holds it.
TEST_F(DcaHandlerTest, AQuestionInOtherWordsNamesACompoundInPartsAndLeavesOutThePlace)
{
    const std::unique_ptr<CDictionary> town = KnowledgeCompiler(nouns).compile(reinterpret_cast<const char*>(u8R"(
entity 町
entity 桜
entity 祭り
entity 桜祭り
entity 駐輪場
entity 花火
entity 大会
entity 花火大会
table 表
group 0
entry はい。
topic 花火大会 table=表 entities=花火大会
title X_A_N source=花火・の・大会・会場
topic 桜祭り table=表 entities=桜祭り,桜,町
title X_A_N source=桜祭り・日程 x=桜祭り・日程
topic 駐輪場 table=表 entities=駐輪場,町
title X_A_N source=町・駐輪場 x=町・駐輪場
)"));
    town->classifyEntities();
    ChatSession festival{"key", "base", town.get()};
    const std::pair<const char*, const char*> reached[] = {{"桜・の・祭り・日程", "桜祭り・日程"},
                                                           {"駐輪場・有料", "町・駐輪場"},
                                                           {"花火大会・会場・有料", "花火・の・大会・会場"}};
    for (const auto& [words, found] : reached) {
        SCOPED_TRACE(words);
        Candidate candidate = candidateOf(words, town.get());
        ASSERT_TRUE(DcaHandler80000(&festival).apply(&candidate, town.get()));
        ASSERT_EQ(candidate.topicUnits().size(), 1u);
        EXPECT_EQ(candidate.topicUnits()[0].getTarget()->sourceText(), found);
    }
    Candidate reversed = candidateOf("祭り・の・桜・日程", town.get());
    EXPECT_FALSE(DcaHandler80000(&festival).apply(&reversed, town.get()));
}

// Where no title holds all the things a question names, a thing listed for
// one topic alone outweighs a thing only other topics' titles hold: the fee
// of a certificate (手数料, listed for two topics) reaches the
// certificate's topic, and so does the certificate asked for at a weekend
// (土日に, the setting).  Not when that thing names another topic alone
// and is no setting (謄本・土日), nor when it comes before the specific
// thing (a remembered piece put before the question: 手数料、謄本), nor
// when the specific thing is only the means of what is asked (電話で予約:
// the booking is asked about).
TEST_F(DcaHandlerTest, AThingOfOneTopicOutweighsWhatOnlyOtherTopicsTitlesHold)
{
    const std::unique_ptr<CDictionary> hall = KnowledgeCompiler(nouns).compile(reinterpret_cast<const char*>(u8R"(
entity 謄本
entity 住民票
entity 手数料
entity 土日
entity 電話
entity 予約
table 表
group 0
entry はい。
topic 謄本 table=表 entities=謄本
title X_A_N source=謄本・郵送 x=謄本・郵送
topic 住民票 table=表 entities=住民票,手数料
title X_A_N source=住民票・の・手数料
topic 支払い table=表 entities=手数料
title X_A_N source=手数料・現金 x=手数料・現金
topic 開庁 table=表 entities=土日
title X_A_N source=土日 x=土日
topic 電話 table=表 entities=電話
title X_A_N source=電話・番号 x=電話・番号
topic 窓口予約 table=表 entities=予約
title X_A_N source=窓口・予約 x=窓口・予約
topic 健診予約 table=表 entities=予約
title X_A_N source=健診・予約 x=健診・予約
)"));
    hall->classifyEntities();
    ChatSession office{"key", "base", hall.get()};
    const std::pair<const char*, const char*> cases[] = {{"謄本・の・手数料", "謄本・郵送"},
                                                         {"謄本・土日・に", "謄本・郵送"},
                                                         {"住民票・の・手数料", "住民票・の・手数料"},
                                                         {"謄本・土日", ""},
                                                         {"手数料・謄本", ""},
                                                         {"電話・で・予約", ""}};
    for (const auto& [words, found] : cases) {
        SCOPED_TRACE(words);
        Candidate candidate = candidateOf(words, hall.get());
        const bool reached = DcaHandler80000(&office).apply(&candidate, hall.get());
        EXPECT_EQ(reached, *found != '\0');
        std::set<std::string> titles;
        for (const TopicUnit& unit : candidate.topicUnits())
            titles.insert(unit.getTarget()->sourceText());
        EXPECT_EQ(titles, reached ? std::set<std::string>{found} : std::set<std::string>{});
    }
}

// A word that names no entity is searched under the noun classes the
// network puts it in (class entities, bit 8), in name order: a class that
// is a thing of its own or a conversation act (bit 1 or 4) is passed over,
// and the first class that finds a title ends the search.  The classes are
// not searched when the named entities found a title.
TEST_F(DcaHandlerTest, NounClassesAreSearchedOnlyWhenTheNamedEntitiesFindNothing)
{
    test::ScopedSemanticNetwork network;
    network->reach("パン", 1, 0, "建物, 食べ物, 料理");
    network->reach("菓子", 1, 0, "食べ物");
    const std::pair<const char*, const char*> cases[] = {{"パン", "食べ物"}, {"菓子", "菓子"}};
    for (const auto& [words, found] : cases) {
        SCOPED_TRACE(words);
        Candidate candidate = candidateOf(words);
        ASSERT_TRUE(DcaHandler80000(&session).apply(&candidate, base.get()));
        EXPECT_EQ(candidate.flagWord(), 0x80000);
        ASSERT_EQ(candidate.topicUnits().size(), 1u);
        EXPECT_EQ(candidate.topicUnits()[0].getTarget()->sourceText(), found);
    }
    // The classes are searched more closely than the named entities: a
    // class title its words reach only loosely is not taken.
    network->reach("茶", 1, 0, "飲み物");
    std::vector<Candidate>& listed = session.getRequest().candidates().candidates();
    listed.assign(1, candidateOf("茶"));
    listed[0].setHitValueCache(&session.getRequest().candidates());
    EXPECT_FALSE(DcaHandler80000(&session).apply(&listed[0], base.get()));
    EXPECT_TRUE(listed[0].topicUnits().empty());
}

// A question in other words than its title's still reaches the title when
// its knowledge words pair off; a time it sets its scene with (夜は天気…)
// only narrows it and may be left out of the title, but not a time that
// heads a compound (誕生月は) or sets no scene (夜の), nor when the question
// says something else the title does not hold.
TEST_F(DcaHandlerTest, ATimeThatSetsTheSceneNarrowsAQuestionWithoutNamingAThing)
{
    const Morpheme night = makeWord("夜", pos::TEMPORAL_NOUN, Morpheme::FLAG_X);
    const Morpheme topic = makeWord("は", pos::PARTICLE);
    const Morpheme of = makeWord("の", pos::PARTICLE);
    const Morpheme birth = makeWord("誕生", pos::SAHEN_NOUN, Morpheme::FLAG_X);
    const Morpheme month = makeWord("月", pos::TEMPORAL_NOUN, Morpheme::FLAG_X);
    const Morpheme broken = makeWord("壊れる", pos::VERB, Morpheme::FLAG_Y);
    Morpheme weather = makeWord("天気", pos::COMMON_NOUN, Morpheme::FLAG_X);
    weather.bindKnowledgeObject(base->findEntity("天気", false));
    const struct {
        std::vector<Morpheme> words;
        bool reached;
    } cases[] = {
        {{night, topic, weather}, true},
        {{night, of, weather}, false},
        {{birth, month, topic, weather}, false},
        {{night, topic, weather, broken}, false},
    };
    for (const auto& c : cases) {
        MorphemeList words(c.words);
        for (std::size_t k = 0; k < words.size(); ++k)
            words.words()[k].setO(static_cast<std::uint8_t>(k));
        SCOPED_TRACE(words.joinSurfaces());
        Candidate candidate;
        candidate.setKnowledge(std::make_shared<AnalyzedSentence>(words.joinSurfaces(), words));
        EXPECT_EQ(DcaHandler80000(&session).apply(&candidate, base.get()), c.reached);
        const TopicTitle* first = candidate.topicUnits().empty() ? nullptr : candidate.topicUnits()[0].getTarget();
        EXPECT_EQ(first ? first->sourceText() : "", c.reached ? "天気・晴れ" : "");
    }
}

TEST_F(DcaHandlerTest, FeatureHandlersNeedTheSameFeatureOnFocusAndSentence)
{
    const MorphemeList two = makeList({makeWord("甲", pos::COMMON_NOUN), makeWord("乙", pos::COMMON_NOUN)});
    const struct {
        std::uint64_t value;
        const char* focusName;
        int focusBits;
        int sentenceBits;
        bool withSource;
        bool ok;
    } cases[] = {
        {0x40000000, "＿Ｃ＿", 0, 0, true, false},  // the mark alone is no idiom
        {0x40000000, "甲＿Ｃ＿", 0, 0, true, true},
        {0x40000000, "甲＿Ｃ＿", 0, 0, false, false},
        {0xFFFFFFFF80000000, "甲", 0x800000, 0x400000, true, false},
        {0xFFFFFFFF80000000, "甲", 0x800000, 0x800000, true, true},
        // Sharing a feature ties the pair although the search finds nothing.
        {0x18, "甲", 0x800000, 0x800000, true, true},
        {0x18, "甲", 0x800000, 0x400000, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + " " + c.focusName);
        TopicTitle focus(nullptr, nullptr);
        focus.setSourceText(c.focusName);
        focus.setWords(two);
        focus.setDcaBits(c.focusBits);
        Candidate candidate;
        candidate.setKnowledge(std::make_shared<FeaturedSentence>(two, c.sentenceBits));
        TopicRecord record;
        record.focus = &focus;
        record.source = c.withSource ? &focus : nullptr;
        record.hitValue = 3;
        candidate.setTopicRecord(record);
        EXPECT_EQ(makeDcaHandler(c.value, &session)->apply(&candidate, base.get()), c.ok);
        EXPECT_EQ(static_cast<std::uint32_t>(candidate.flagWord()), c.ok ? stamped(c.value) : 0u);
        EXPECT_EQ(candidate.getTopicRecord().hitValue, c.ok ? 7 : 3);  // no hit, or untouched
        EXPECT_FALSE(makeDcaHandler(c.value, &session)->apply(nullptr, base.get()));
    }
}

// The grade is 2 when the title's marks disagree with the sentence's (the
// whole title's, or those of Y words that cover the visitor's X word),
// unless both sentence and title carry the mark 0x80.
TEST_F(DcaHandlerTest, GradeTwoWhenTheTitleDisagreesUnlessBothAreMarked)
{
    const MorphemeList asked = makeList({makeWord("甲", pos::COMMON_NOUN, Morpheme::FLAG_X)});
    const struct {
        std::uint8_t sentence;
        std::uint8_t whole;
        std::uint8_t yWords;
        int grade;
    } cases[] = {{0, 0, 0, 1}, {0, 1, 0, 2}, {0x80, 0x81, 0, 1}, {0, 0, 1, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int{c.sentence} << " " << int{c.whole} << " " << int{c.yWords});
        TopicTitle title(nullptr, nullptr);
        title.setWords(makeList({makeWord("甲", pos::COMMON_NOUN, Morpheme::FLAG_Y)}));
        title.setPolarity1(c.whole);
        title.setPolarity3(c.yWords);
        Candidate candidate;
        candidate.setKnowledge(std::make_shared<FeaturedSentence>(asked, 0, c.sentence));
        EXPECT_EQ(DcaHandler18().grade(candidate, &title, asked), c.grade);
    }
    // The 0x18 tie takes a focus title of grade 1 only.
    TopicTitle* shop = title("店");
    shop->setPolarity1(1);
    Candidate tied = candidateOf("店");
    TopicRecord record;
    record.focus = shop;
    tied.setTopicRecord(record);
    EXPECT_FALSE(DcaHandler18().apply(&tied, base.get()));
}

TEST_F(DcaHandlerTest, RearrangementNeedsExactlyOneCoveringObjectNewestRowFirst)
{
    KnowledgeObject* shop = base->findEntity("店", false);
    KnowledgeObject* station = base->findEntity("駅", false);
    KnowledgeObject* act = base->findEntity("挨拶", false);
    const struct {
        const char* words;
        std::vector<std::vector<KnowledgeObject*>> rows;  // oldest first
        bool ok;
    } cases[] = {
        {"店", {{act}, {station, shop}}, true},   // only 店 covers the words
        // With no content word every object covers; the newest row's two
        // make the handler fail even though the older row has one.
        {"", {{act}, {station, shop}}, false},
        {"", {{act, station}, {shop}}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words);
        ChatSession conversation("key", "base", base.get());
        for (const auto& row : c.rows)
            conversation.getReplyState().addUtterance("", MorphemeList(), KeyRow(row));
        Candidate candidate = candidateOf(c.words);
        EXPECT_EQ(RearrHandler(&conversation).apply(&candidate, base.get()), c.ok);
        EXPECT_EQ(candidate.topicUnits().size(), c.ok ? 1u : 0u);
        EXPECT_FALSE(RearrHandler(&conversation).apply(nullptr, base.get()));
    }
}

// Units are duplicates when their titles belong to one topic; the first stays.
TEST(DcaHandlerWordTest, DuplicateUnitsAreThoseOfOneTopic)
{
    Topic shared;
    Topic other;
    TopicTitle first(&shared, nullptr);
    TopicTitle second(&shared, nullptr);
    TopicTitle third(&other, nullptr);
    auto titlesAfter = [](std::vector<TopicTitle*> titles) {
        std::vector<TopicUnit> units;
        for (TopicTitle* title : titles) {
            units.emplace_back();
            units.back().kind() = TopicUnit::KIND_HIT;
            units.back().setHit(title, 3);
        }
        std::vector<const TopicTitle*> kept;
        for (const TopicUnit& unit : DcaHandler18().removeDuplicateUnits(units))
            kept.push_back(unit.getHit().title);
        return kept;
    };
    EXPECT_EQ(titlesAfter({&first, &second}), (std::vector<const TopicTitle*>{&first}));
    EXPECT_EQ(titlesAfter({&second, &third, &first}), (std::vector<const TopicTitle*>{&second, &third}));
}

TEST(DcaHandlerWordTest, WordListsPairOffWordForWord)
{
    const MorphemeList a = makeList({makeWord("甲", pos::COMMON_NOUN)});
    const MorphemeList b = makeList({makeWord("乙", pos::COMMON_NOUN)});
    const MorphemeList ab = makeList({makeWord("甲", pos::COMMON_NOUN), makeWord("乙", pos::COMMON_NOUN)});
    const MorphemeList none;
    DcaHandler18 handler;
    EXPECT_TRUE(handler.matchWordLists(a, a));
    EXPECT_FALSE(handler.matchWordLists(a, none));
    EXPECT_FALSE(handler.matchWordLists(ab, a));  // 乙 is left over
    EXPECT_FALSE(handler.matchWordSets(none, none, none, none));
    EXPECT_TRUE(handler.matchWordSets(a, none, a, none));
    EXPECT_TRUE(handler.matchWordSets(a, b, b, a));  // crosswise
    EXPECT_FALSE(handler.matchWordSets(a, b, a, none));
}

}  // namespace
}  // namespace quibo
