#include "knowledge/CDictionary.h"

#include "analysis/LanguageAnalyzer.h"
#include "knowledge/Entity.h"
#include "knowledge/KnowledgeFile.h"
#include "knowledge/ParsedText.h"
#include "knowledge/Predicative.h"
#include "knowledge/ReplyTable.h"
#include "knowledge/Thesaurus.h"
#include "knowledge/Topic.h"
#include "knowledge/TopicTitle.h"
#include "tests/support/KnowledgeSamples.h"
#include "tests/support/SmallStack.h"
#include "tools/KnowledgeDump.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace quibo {
namespace {

using test::compileSmall;
using test::fileBytes;
using test::loadBytes;
using test::readFile;

class KnowledgeFileTest : public ::testing::Test {
protected:
    ~KnowledgeFileTest() override
    {
        setKnowledgeVersionText(KNOWLEDGE_FILE_VERSION);
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    std::string path(const std::string& name) const { return m_folder + "/" + name; }

private:
    std::string m_folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "quibo-kb-XXXXXX").string();
        return std::string(mkdtemp(pattern.data()));
    }();
};

TEST_F(KnowledgeFileTest, EmptyDictionaryIsA164OctetPayloadIn184Bytes)
{
    CDictionary empty;
    ASSERT_EQ(saveKnowledgeFile(empty, path("empty.pdata")), 0);
    const std::string bytes = readFile(path("empty.pdata"));
    ASSERT_EQ(bytes.size(), 184u);
    EXPECT_EQ(bytes.substr(0, 10), "/Quibo3.0/");
    EXPECT_EQ(bytes.substr(10, 10), std::string(10, '\0'));

    // Byte order; members 1-19 as counts and ints, all 0; member 20 as
    // presence 1, padding, number 0 and an empty meaning dictionary (fourteen
    // counts, longest word 0, shortest word 10); members 21-23 as counts 0.
    std::string expected(164, '\0');
    expected[0] = 1;
    expected[80] = 1;
    expected[148] = 10;
    EXPECT_EQ(bytes.substr(20), expected);
    EXPECT_FALSE(std::filesystem::exists(path("empty.pdata.tmp")));

    CDictionary loaded;
    EXPECT_EQ(loadKnowledgeFile(loaded, path("empty.pdata"), "t1"), 0);
    EXPECT_TRUE(loaded.entities().empty());
    EXPECT_TRUE(loaded.idMap().empty());
    EXPECT_EQ(loaded.getCacheKey(), path("empty.pdata") + "\tt1");
    EXPECT_EQ(fileBytes(loaded), bytes);
}

TEST_F(KnowledgeFileTest, FilesWithoutAWholeStreamFail)
{
    CDictionary dictionary;
    EXPECT_EQ(loadBytes(dictionary, std::string(19, 'x')), -1);

    // An empty payload lacks even its byte-order octet.
    testing::internal::CaptureStderr();
    EXPECT_EQ(loadBytes(dictionary, "/Quibo3.0/" + std::string(10, '\0')), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "the knowledge file memory is damaged or is not a knowledge file: XTL mem_buffer overflow\n");
    EXPECT_EQ(dictionary.getCacheKey(), "\t");
}

TEST_F(KnowledgeFileTest, ReservedOctetsAreIgnored)
{
    std::string bytes = fileBytes(*compileSmall());
    for (std::size_t k = 10; k < 20; ++k)
        bytes[k] = static_cast<char>(0xA0 + k);
    CDictionary loaded;
    ASSERT_EQ(loadBytes(loaded, bytes), 0);
    EXPECT_EQ(loaded.entities().size(), 3u);
}

TEST_F(KnowledgeFileTest, CompiledBaseRoundTripsByteForByte)
{
    const std::unique_ptr<CDictionary> compiled = compileSmall();
    const std::string bytes = fileBytes(*compiled);
    CDictionary loaded;
    ASSERT_EQ(loadBytes(loaded, bytes), 0);
    EXPECT_EQ(fileBytes(loaded), bytes);
    EXPECT_EQ(dumpKnowledgeBase(loaded), dumpKnowledgeBase(*compiled));

    // What the model holds comes back with its sharing intact.
    Entity* time = loaded.findByName("時間", false);
    ASSERT_NE(time, nullptr);
    // Flags 3 as written, with bit 0x08 of a centre from the index build.
    EXPECT_EQ(time->getFlags(), 3 | 0x08);
    ASSERT_EQ(time->thesauriRef().size(), 1u);
    EXPECT_EQ(time->thesauriRef()[0]->getRepresentative(), time);
    EXPECT_TRUE(time->entitySet(6).contains(loaded.findByName("店", false)));
    ASSERT_EQ(time->topics().size(), 1u);
    Topic* topic = time->topics()[0];
    EXPECT_EQ(loaded.topics().at("時間"), topic);
    ASSERT_EQ(topic->titleCount(), 2);
    TopicTitle* first = topic->titles().titles()[0];
    EXPECT_EQ(first->getOwner(), topic);
    EXPECT_EQ(first->getPriority(), 2);
    EXPECT_EQ(first->getDcaBits(), 0x1f);
    EXPECT_EQ(first->getPolarity3(), 3);
    EXPECT_EQ(first->getCentres(), (std::vector<KnowledgeObject*>{time, loaded.findByName("店", false)}));
    EXPECT_EQ(first->getXWords().at(0).getKnowledgeObject(), time);
    // A loaded title still knows the centres it has: its index names them,
    // one of them is refused, an entity it lacks is taken.
    EXPECT_EQ(first->centreIndex(), (std::set<std::string>{"時間", "店"}));
    first->addCentre(time);
    EXPECT_EQ(first->getCentres().size(), 2u);
    Entity* other = nullptr;
    for (const auto& [name, entity] : loaded.entities())
        if (entity && name != "時間" && name != "店" && !other)
            other = entity;
    ASSERT_NE(other, nullptr);
    first->addCentre(other);
    ASSERT_GE(first->getCentres().size(), 3u);
    EXPECT_EQ(first->getCentres()[2], other);
    EXPECT_EQ(loaded.idMap().find("二番")->second, topic->titles().titles()[1]);

    // Two entries naming "表情=普通" point to one pooled string, stored once.
    const ReplyTable* table = topic->getReplyTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(topic->getReplyKinds(), 0x1 | 0x2 | 0x40);
    const ReplyEntry& second = table->findGroup('d')->entries()[1];
    const ReplyEntry& indexed = table->findGroup('i')->entries()[0];
    EXPECT_EQ(*second.label(), "&[名前]さん、午後６時までです。");
    EXPECT_EQ(second.titleRefs(), std::vector<TopicTitle*>{topic->titles().titles()[1]});
    EXPECT_EQ(*second.names().begin(), *indexed.names().begin());
    EXPECT_EQ(second.names().begin(), second.names().begin());
    EXPECT_EQ(&**second.names().begin(), &**indexed.names().begin());
}

TEST_F(KnowledgeFileTest, SavingAgainAfterLoadingGivesTheSameBytes)
{
    // The file holds whatever counter the last loaded file carried.
    const std::string bytes = fileBytes(*compileSmall());
    CDictionary first;
    ASSERT_EQ(loadBytes(first, bytes), 0);
    CDictionary second;
    ASSERT_EQ(loadBytes(second, fileBytes(first)), 0);
    EXPECT_EQ(fileBytes(second), bytes);
}

TEST_F(KnowledgeFileTest, ConnectedBaseOfAnyDepthRoundTripsOnASmallStack)
{
    // Topic k's title names entity k + 1 in its slot, so each entity's body
    // holds the next one: 3,000 topics nest about 15,000 objects deep.
    std::string source;
    for (int k = 0; k <= 3000; ++k)
        source += "entity e" + std::to_string(k) + "\n";
    for (int k = 0; k < 3000; ++k)
        source += "topic t" + std::to_string(k) + " entities=e" + std::to_string(k) + "\ntitle X_A_N source=e" +
                  std::to_string(k) + " x=e" + std::to_string(k + 1) + "\n";
    const std::unique_ptr<CDictionary> chain = KnowledgeCompiler(test::oneNounAnalysis).compile(source);
    std::string bytes;
    std::string again;
    CDictionary loaded;
    int result = -1;
    ASSERT_TRUE(test::runOnSmallStack([&] {
        bytes = fileBytes(*chain);
        testing::internal::CaptureStdout();
        result = loadBytes(loaded, bytes);
        testing::internal::GetCapturedStdout();
        again = fileBytes(loaded);
    }));
    ASSERT_EQ(result, 0);
    EXPECT_EQ(again, bytes);
    const TopicTitle* last = loaded.topics().at("t2999")->titles().titles()[0];
    EXPECT_EQ(last->getXWords().at(0).getKnowledgeObject(), loaded.findByName("e3000", false));
}

TEST_F(KnowledgeFileTest, WordsKeepTheirBindingToAnyKnowledgeObject)
{
    // A word of the predicative's own title points back at it; a topic
    // title's words point at the predicative and the thesaurus, which the
    // stream carries after the entity that holds the topic.
    std::unique_ptr<CDictionary> base = compileSmall();
    Predicative* open = base->findPredicative("開く", false);
    Thesaurus* group = open->synonyms()[0];
    open->getTitle()->morphemesRef().words()[0].setKnowledgeObject(open);
    TopicTitle* title = base->topics().at("時間")->titles().titles()[0];
    MorphemeList words = title->getYWords();
    words.words()[0].setKnowledgeObject(open);
    words.words().push_back(words.words()[0]);
    words.words()[1].setKnowledgeObject(group);
    title->setYWords(words);
    // An object that no member carries cannot be named: that binding alone
    // is dropped.
    KnowledgeObject stray(knowledge_type::PREDICATIVE, nullptr);
    MorphemeList strayWords = title->getWords();
    strayWords.words()[0].setKnowledgeObject(&stray);
    title->setWords(strayWords);

    const std::string bytes = fileBytes(*base);
    CDictionary loaded;
    ASSERT_EQ(loadBytes(loaded, bytes), 0);
    EXPECT_EQ(fileBytes(loaded), bytes);
    Predicative* loadedOpen = loaded.findPredicative("開く", false);
    EXPECT_EQ(loadedOpen->getTitle()->getMorphemes().at(0).getKnowledgeObject(), loadedOpen);
    const TopicTitle* loadedTitle = loaded.topics().at("時間")->titles().titles()[0];
    EXPECT_EQ(loadedTitle->getYWords().at(0).getKnowledgeObject(), loadedOpen);
    EXPECT_EQ(loadedTitle->getYWords().at(1).getKnowledgeObject(), loadedOpen->synonyms()[0]);
    EXPECT_EQ(loadedTitle->getWords().at(0).getKnowledgeObject(), nullptr);
}

TEST_F(KnowledgeFileTest, OlderVersionCarriesCentreNamesAndRestoresThem)
{
    const std::unique_ptr<CDictionary> compiled = compileSmall();
    const std::string current = fileBytes(*compiled);
    const std::string older = fileBytes(*compiled, "/Quibo2.5/");
    EXPECT_NE(older.substr(20), current.substr(20));

    CDictionary loaded;
    testing::internal::CaptureStdout();
    ASSERT_EQ(loadBytes(loaded, older), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("--------ENTITY RESTORE START--------"), std::string::npos);
    EXPECT_EQ(out.find("--------ENTITY RESTORE START--------"), out.rfind("--------ENTITY RESTORE START--------"));
    EXPECT_FALSE(isCurrentKnowledgeVersion());

    // Words carry no binding in that form; centres come back by name.
    Entity* time = loaded.findByName("時間", false);
    const TopicTitle* first = time->topics()[0]->titles().titles()[0];
    EXPECT_EQ(first->getXWords().at(0).getKnowledgeObject(), nullptr);
    EXPECT_EQ(first->centreIndex(), (std::set<std::string>{"時間", "店"}));
    ASSERT_EQ(first->getCentres().size(), 2u);
    EXPECT_EQ(fileBytes(loaded, "/Quibo2.5/"), older);

    testing::internal::CaptureStdout();
    CDictionary again;
    ASSERT_EQ(loadBytes(again, current), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout().find("ENTITY RESTORE"), std::string::npos);
    // A base loaded from the current form names its centres in the older one.
    EXPECT_EQ(fileBytes(again, "/Quibo2.5/"), older);
}

TEST_F(KnowledgeFileTest, FailedSaveLeavesTheGoodFile)
{
    const std::string target = path("kept.pdata");
    ASSERT_EQ(saveKnowledgeFile(*compileSmall(), target), 0);
    const std::string good = readFile(target);

    // The temporary file cannot be made: the save fails and says so.
    std::filesystem::create_directory(target + ".tmp");
    CDictionary empty;
    testing::internal::CaptureStderr();
    EXPECT_EQ(saveKnowledgeFile(empty, target), -1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("saveKnowledgeFile"), std::string::npos);
    EXPECT_EQ(readFile(target), good);

    // A graph the stored form cannot carry: a thesaurus met first through
    // its plain representative pointer, then as an entity.
    std::filesystem::remove(target + ".tmp");
    CDictionary broken;
    ParsedText* title = broken.putParsedText("甲", MorphemeList(), "甲");
    // "乙" sorts before "甲" in EUC-JP: its group meets "甲" first.
    Entity* later = broken.addEntity("甲", std::make_unique<Entity>(title, 0));
    Entity* first = broken.addEntity("乙", std::make_unique<Entity>(title, 0));
    first->setThesaurus(broken.findThesaurus(title, knowledge_type::ENTITY_SYNONYMS, later));
    testing::internal::CaptureStderr();
    EXPECT_EQ(saveKnowledgeFile(broken, target), -1);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(readFile(target), good);
    EXPECT_FALSE(std::filesystem::exists(target + ".tmp"));
}

TEST_F(KnowledgeFileTest, WriteErrorsSurfaceAfterClosing)
{
    // The device takes the octets into the stream's buffer and refuses them
    // when they are flushed at closing.
    std::ofstream full("/dev/full", std::ios::binary);
    if (!full)
        GTEST_SKIP() << "no /dev/full";
    CDictionary empty;
    testing::internal::CaptureStdout();
    EXPECT_THROW(empty.externalize(full, KNOWLEDGE_FILE_VERSION), std::runtime_error);
    testing::internal::GetCapturedStdout();
}

TEST_F(KnowledgeFileTest, SampleBaseLoadsAndSavesBackIdentically)
{
    const std::string bytes = readFile(test::sampleKnowledgePath());
    ASSERT_GT(bytes.size(), 20u);
    CDictionary sample;
    ASSERT_EQ(loadKnowledgeFile(sample, test::sampleKnowledgePath()), 0);
    EXPECT_EQ(fileBytes(sample), bytes);

    // What a newcomer would look for is there.
    ASSERT_NE(sample.findByName("ＣＡ発話", false), nullptr);
    ASSERT_NE(sample.findByName("回答不能", false), nullptr);
    const Topic* greeting = sample.topics().at("ＣＡ呼びかけ");
    ASSERT_NE(greeting->getReplyTable(), nullptr);
    EXPECT_GE(greeting->getReplyTable()->findGroup('d')->entries().size(), 3u);
    const ReplyTable* hours = sample.topics().at("営業時間")->getReplyTable();
    for (int letter : {'d', 'i', 'n'})
        EXPECT_NE(hours->findGroup(letter), nullptr) << static_cast<char>(letter);

    const std::string dump = dumpKnowledgeBase(sample);
    EXPECT_EQ(dumpKnowledgeBase(sample), dump);
    EXPECT_NE(dump.find("  営業時間 -> #"), std::string::npos);
    EXPECT_NE(dump.find("&[利用者発話]"), std::string::npos);
}

TEST_F(KnowledgeFileTest, TwoProcessesCompileTheSameBytes)
{
    const std::string compiler = std::string(QUIBO_BINARY_DIR) + "/tools/kb-compile";
    const std::string source = std::string(QUIBO_TEST_DATA) + "/../../data/sample_knowledge.txt";
    const std::string command = compiler + " " + source + " " + path("again.pdata") + " --install " +
                                QUIBO_INSTALL_TREE + " > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(readFile(path("again.pdata")), readFile(test::sampleKnowledgePath()));
}

}  // namespace
}  // namespace quibo
