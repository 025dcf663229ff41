// Real questions through the install tree: the analyser's words judged by the
// installed meaning dictionary, as the dialogue layer receives them.
#include "analysis/InstallPath.h"
#include "analysis/LanguageAnalyzer.h"
#include "meaning/MeanEntry.h"

#include "MeanTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace quibo {
namespace {

using test::toConsole;

// The analyser initialised from the build's install tree, found through its
// registry file as the engine finds it.
class InstalledJudgementTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (const char* registry = std::getenv("QUIBO_REGISTRY")) {
            m_previousRegistry = registry;
        }
        setenv("QUIBO_REGISTRY", QUIBO_INSTALL_TREE "/registry", 1);
        testing::internal::CaptureStdout();
        const int result =
            LanguageAnalyzer::instance()->init(installPath() + "juman/win_.jumanrc20", true);
        testing::internal::GetCapturedStdout();
        ASSERT_EQ(result, 0);
    }
    void TearDown() override
    {
        LanguageAnalyzer::deleteInstance();
        if (m_previousRegistry.empty()) {
            unsetenv("QUIBO_REGISTRY");
        } else {
            setenv("QUIBO_REGISTRY", m_previousRegistry.c_str(), 1);
        }
    }

private:
    std::string m_previousRegistry;
};

// Contents as "feature:information[matched text]", in the judgement's order.
std::string describe(const MeanEntry& entry)
{
    std::string text;
    for (const MeanContent& content : entry.getMeanContents()) {
        text += (text.empty() ? "" : " ") + entry.featureName(content.dcaCode) + ":" + content.meaningInfo + "[" +
                content.matchedText + "]";
    }
    return text;
}

struct Question {
    const char* text;
    const char* contents;
    const char* termX;
    const char* termY;
    int bits;
};

TEST_F(InstalledJudgementTest, RealQuestionsAreJudgedAsTheRulesSay)
{
    const Question questions[] = {
        // "使い方" is a way of doing; "教えてください" asks for an explanation,
        // both by the two-word set and by the verb with its request after it.
        // The bare request "ください" lies inside those spans and gives way.
        {"パソコンの使い方を教えてください", "方法:方法[使い;方] 説明:説明依頼[教えてください] 説明:説明依頼[教えて;ください]",
         "パソコン", "の使い方を教えてください", 1 << 22 | 1 << 11},
        // "は" splits topic from comment; the comment asks how it is, and
        // "ですか" asks whether it is so.
        {"明日の天気はどうですか", "X:主題[は] 様態:様子[どう] 疑問:是非[ですか]", "明日の天気", "どうですか", 0},
        {"こんにちは", "挨拶:出会い[こんにちは]", "", "こんにちは", 1 << 0},
        // "どうやるの" asks how, as "どうやって" does.
        {"実印の登録ってどうやるの", "方法:方法[どうやる]", "実印の登録", "ってどうやるの", 1 << 11},
    };
    for (const Question& question : questions) {
        const std::string text = question.text;
        MeanEntry entry;
        std::string surfaces;
        const MorphemeList words = LanguageAnalyzer::instance()->analyze(text, surfaces, &entry);
        SCOPED_TRACE(toConsole(text));
        EXPECT_EQ(surfaces, text);
        EXPECT_EQ(toConsole(describe(entry)), toConsole(question.contents));
        EXPECT_EQ(toConsole(entry.getTermX()), toConsole(question.termX));
        EXPECT_EQ(toConsole(entry.getTermY()), toConsole(question.termY));
        EXPECT_EQ(entry.getCodeBits(), question.bits);
    }
}

TEST_F(InstalledJudgementTest, MatchMeaningJudgesWordsGivenToIt)
{
    // The judgement of analysed words, without analysing again: an idiom
    // collapses into its representative word.
    std::string surfaces;
    MorphemeList words = LanguageAnalyzer::instance()->analyze("腹が立つ", surfaces);
    ASSERT_EQ(words.size(), 3u);
    const MeanEntry entry = LanguageAnalyzer::instance()->matchMeaning(surfaces, words, {-1});
    ASSERT_EQ(words.size(), 1u);
    EXPECT_EQ(words.words()[0].keyFormRef(), "怒る");
    EXPECT_TRUE(words.words()[0].hasFlags(Morpheme::FLAG_A));
    EXPECT_TRUE(entry.getMeanContents().empty());
}

}  // namespace
}  // namespace quibo
