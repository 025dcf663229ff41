#include "dialogue/ChatManager.h"

#include "knowledge/CDictionary.h"
#include "tests/support/InstallTree.h"
#include "tests/support/KnowledgeSamples.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace quibo {
namespace {

class ChatManagerTest : public ::testing::Test {
protected:
    // A knowledge file of the small test base in the temporary folder.
    std::string file(const std::string& name)
    {
        folder.write(name, smallBytes);
        return folder.path(name);
    }
    static std::string keyOf(const std::string& path) { return "id:;" + path; }
    std::string cacheKeyOf(const std::string& key) { return manager.find(key)->getKnowledge()->getCacheKey(); }

    test::TemporaryInstallTree folder;
    const std::string smallBytes = test::fileBytes(*test::compileSmall());
    ChatManager manager{"", 10, ""};
};

TEST_F(ChatManagerTest, KnowledgePathOfANameAsFoldersAndFilesGiveIt)
{
    ChatManager based("/base/", 10, "");
    const std::pair<const char*, const char*> cases[] = {
        {";/home/a/b.pdata", "/home/a/b.pdata"},  // the control's keys: the path as it is
        {"a;b/c.pdata", "ab/c.pdata"},            // the last ';' goes, no base directory
        {"x/y/z.pdata", "/base/x/y/z.pdata"},     // a file under the base directory
        {"kb", "/base/kb/index.pdata"},           // a knowledge folder
        {"a;b/c.pdata;d", "/base/a;b/c.pdata;d"},  // the last ';' after ".pdata": a file under the base
        {"c.pdata", "/base/c.pdata/index.pdata"},  // no '/' before ".pdata": a folder
    };
    for (const auto& [name, path] : cases)
        EXPECT_EQ(based.knowledgePath(name), path) << name;
}

TEST_F(ChatManagerTest, ConversationsShareOneLoadOfAFile)
{
    const std::string path = file("a.pdata");
    for (int i = 0; i < 10; ++i)
        ASSERT_NE(manager.open("k" + std::to_string(i), ";" + path), nullptr);
    EXPECT_EQ(manager.loadedCount(), 1u);
    const std::string cacheKey = cacheKeyOf("k0");
    EXPECT_EQ(manager.useCount(cacheKey), 10);
    EXPECT_EQ(manager.knowledgeOf("k3"), manager.find("k0")->getKnowledge());

    // Opening an open key changes nothing.
    ChatSession* open = manager.find("k1");
    EXPECT_EQ(manager.open("k1", ";" + file("other.pdata")), open);
    EXPECT_EQ(manager.useCount(cacheKey), 10);

    for (int i = 0; i < 9; ++i)
        manager.close("k" + std::to_string(i));
    manager.close("unknown");
    EXPECT_EQ(manager.useCount(cacheKey), 1);
    EXPECT_EQ(manager.knowledgeOf("k0"), nullptr);
    manager.close("k9");
    EXPECT_EQ(manager.useCount(cacheKey), -1);
    EXPECT_EQ(manager.loadedCount(), 0u);
}

TEST_F(ChatManagerTest, ARewrittenFileLoadsAgainBesideTheOldOne)
{
    const std::string path = file("a.pdata");
    manager.open("old", ";" + path);
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(5));
    manager.open("new", ";" + path);
    EXPECT_EQ(manager.loadedCount(), 2u);
    EXPECT_NE(manager.knowledgeOf("old"), manager.knowledgeOf("new"));
    EXPECT_EQ(manager.knowledgeOf("old")->path(), path);
}

TEST_F(ChatManagerTest, TheEleventhFileIsRefusedWhileTenAreLoaded)
{
    for (int i = 0; i < 10; ++i)
        ASSERT_NE(manager.open("k" + std::to_string(i), ";" + file(std::to_string(i) + ".pdata")), nullptr);
    EXPECT_TRUE(manager.isFull());
    EXPECT_EQ(manager.open("k10", ";" + file("10.pdata")), nullptr);
    EXPECT_EQ(manager.find("k10"), nullptr);
    EXPECT_NE(manager.open("k11", ";" + folder.path("3.pdata")), nullptr);
    manager.close("k0");
    EXPECT_FALSE(manager.isFull());
    EXPECT_NE(manager.open("k10", ";" + folder.path("10.pdata")), nullptr);
}

TEST_F(ChatManagerTest, FilesThatDoNotLoadLeaveNothingBehind)
{
    const std::string sample = test::readFile(test::sampleKnowledgePath());
    folder.write("truncated.pdata", sample.substr(0, sample.size() / 2));
    folder.write("hostile.pdata", sample.substr(0, 20) + std::string(4000, '\xFF'));
    folder.write("header.pdata", sample.substr(0, 19));
    folder.write("kb/index.pdata/x", "");  // a folder where the file should be
    for (const char* name : {"missing.pdata", "truncated.pdata", "hostile.pdata", "header.pdata", "kb"}) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(manager.open("k", folder.root() + name), nullptr) << name;
        testing::internal::GetCapturedStderr();
    }
    EXPECT_EQ(manager.open("k", ""), nullptr);  // no default knowledge
    EXPECT_EQ(manager.loadedCount(), 0u);
    EXPECT_EQ(manager.find("k"), nullptr);
}

}  // namespace
}  // namespace quibo
