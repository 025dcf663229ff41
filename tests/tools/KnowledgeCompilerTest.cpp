#include "tools/KnowledgeCompiler.h"

#include "knowledge/CDictionary.h"
#include "knowledge/Entity.h"
#include "knowledge/KnowledgeFile.h"
#include "knowledge/Predicative.h"
#include "knowledge/ReplyTable.h"
#include "knowledge/Thesaurus.h"
#include "knowledge/Topic.h"
#include "knowledge/TopicTitle.h"
#include "tests/support/KnowledgeSamples.h"
#include "tools/KnowledgeDump.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace quibo {
namespace {

std::string utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

TEST(KnowledgeCompilerTest, BuildsTheBaseThroughItsOwnOperations)
{
    const std::unique_ptr<CDictionary> base = test::compileSmall();
    Entity* time = base->findByName("時間", false);
    ASSERT_NE(time, nullptr);
    EXPECT_EQ(time->getReading(), "時間");

    // Groups are linked to the object they name; terms cover names and groups.
    Predicative* open = base->findPredicative("開く", false);
    ASSERT_EQ(open->synonyms().size(), 1u);
    EXPECT_EQ(open->synonyms()[0]->getTypeId(), knowledge_type::PREDICATIVE_SYNONYMS);
    EXPECT_EQ(base->termIndex().count("何時"), 1u);
    EXPECT_EQ(base->termIndex().find("営業")->second, time->thesauriRef()[0]);
    EXPECT_EQ(base->termFirstChars().count("何"), 1u);
    EXPECT_EQ(base->termMaxLength(), 8);  // "ＣＡ発話", the longest name

    // Topics offer the kinds of their table's groups; titles get their slots,
    // bound entity words and centres.
    const Topic* topic = base->topics().at("時間");
    EXPECT_EQ(topic->getReplyKinds(), 0x1 | 0x2 | 0x40);
    const TopicTitle* title = topic->titles().titles()[0];
    EXPECT_EQ(title->getType(), topic_title_type::X_Y_N);
    EXPECT_EQ(title->slotText(1), "時間");
    EXPECT_EQ(title->getXWords().at(0).getKnowledgeObject(), time);
    EXPECT_EQ(title->getXWords().at(0).getPosCode(), pos::ENTITY);
    EXPECT_EQ(title->getCentres().size(), 2u);
    const ReplyEntry& entry = topic->getReplyTable()->findGroup('d')->entries()[0];
    EXPECT_EQ(*entry.label(), "午前９時からです。");
    EXPECT_EQ(entry.joinNames(), "表情=笑顔,地図=https://example.com/a");
    EXPECT_EQ(entry.text(), "時間表_0");
    EXPECT_EQ(base->hostNames(), std::set<std::string>{"example.com"});
    EXPECT_EQ(base->stringPool().count("こんにちは"), 1u);
}

TEST(KnowledgeCompilerTest, SourceFaultsNameTheirLine)
{
    struct Case {
        std::string source;
        const char* message;
    };
    const Case cases[] = {
        {utf8(u8"entity 店\nentity 店\n"), "line 2: entity named twice"},
        {utf8(u8"\n# note\nrelated 店 駅\n"), "line 3: no entity"},
        {utf8(u8"group 0\n"), "line 1: a group outside a table"},
        {utf8(u8"table t\ngroup 12\n"), "line 2: no reply kind 12"},
        {utf8(u8"table t\ngroup 0\ntopic a\n"), "line 2: a group without entries"},
        {utf8(u8"topic a\ntitle X_Q_N source=x\n"), "line 2: unknown title type"},
        {utf8(u8"topic a\ntitle 0x40 source=x\n"), "line 2: unknown title type"},
        {utf8(u8"title X_Y_N source=x\n"), "line 1: a title outside a topic"},
        {utf8(u8"entity 店 flags=z\n"), "line 1: not a number"},
        {utf8(u8"table t\ngroup 0\nentry a | b | 無い\n"), "line 3: no title under the id 無い"},
        {utf8(u8"thesaurus ES 店舗 開く\npredicative 開く\n"), "line 1: no entity or predicative"},
        {utf8(u8"frobnicate\n"), "line 1: unknown record frobnicate"},
    };
    for (const Case& c : cases) {
        try {
            KnowledgeCompiler(test::oneNounAnalysis).compile(c.source);
            ADD_FAILURE() << c.source;
        } catch (const KnowledgeSourceError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
}

TEST(KnowledgeCompilerTest, CompiledFileReloadsIntoTheSameDump)
{
    std::string folder = (std::filesystem::temp_directory_path() / "quibo-kbc-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    const std::string source = folder + "/source.txt";
    std::ofstream(source) << test::SMALL_SOURCE;

    testing::internal::CaptureStdout();
    const int result = KnowledgeCompiler(test::oneNounAnalysis).compileFile(source, folder + "/out.pdata");
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(result, 0);
    CDictionary loaded;
    testing::internal::CaptureStdout();
    ASSERT_EQ(loadKnowledgeFile(loaded, folder + "/out.pdata"), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(dumpKnowledgeBase(loaded), dumpKnowledgeBase(*test::compileSmall()));

    // A faulty source leaves no file behind.
    std::ofstream(source) << "entity\n";
    testing::internal::CaptureStderr();
    EXPECT_EQ(KnowledgeCompiler(test::oneNounAnalysis).compileFile(source, folder + "/bad.pdata"), -1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("line 1: missing name"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder + "/bad.pdata"));
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace quibo
