// Loading enciphered rule files: the install tree's dictionary, the faulty
// sample whose console output is fixed, a missing file, and loading twice.
#include "meaning/MeanDictionary.h"

#include "FakeNetwork.h"
#include "InstalledNetwork.h"
#include "MeanTestSupport.h"
#include "meaning/MeanCodeTables.h"
#include "platform/Clock.h"
#include "tools/FealTool.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

#include <unistd.h>

namespace quibo {
namespace {

using test::readFile;
using test::utf8;
using test::utf8ToEuc;
using testing::ElementsAre;
using testing::Pair;

using Index = MeanDictionary::WordIndex;

const std::string INSTALLED_DICTIONARY = std::string(QUIBO_INSTALL_TREE) + "/QUIBO3.1/data/mean_dictionary.dat";
const std::string INSTALLED_NETWORK = std::string(QUIBO_INSTALL_TREE) + "/QUIBO3.1/data/pstorage";
const std::string DEMO_SOURCE = std::string(QUIBO_TEST_DATA) + "/../../data/mean_dictionary.txt";
const std::string BAD_SOURCE = std::string(QUIBO_TEST_DATA) + "/meaning/bad_mean_dictionary.txt";
const std::string BAD_CONSOLE = std::string(QUIBO_TEST_DATA) + "/meaning/bad_mean_dictionary.out";

// An enciphered rule file made from UTF-8 rule text, removed afterwards.
class EncipheredFile {
public:
    explicit EncipheredFile(const std::string& utf8Text)
        : m_path(std::filesystem::temp_directory_path() /
                 ("mean_dictionary_test_" + std::to_string(::getpid()) + "_" + std::to_string(s_count++) + ".dat"))
    {
        const auto image = tools::encipherImage(utf8ToEuc(utf8Text));
        std::ofstream out(m_path, std::ios::binary);
        out.write(image->data(), static_cast<std::streamsize>(image->size()));
    }
    ~EncipheredFile() { std::filesystem::remove(m_path); }
    std::string path() const { return m_path.string(); }

private:
    static inline int s_count = 0;
    std::filesystem::path m_path;
};

// Pins the time stamp of the load-failure line: 2026-12-07 23:05:24 UTC.
class PinnedTime {
public:
    PinnedTime() : m_scope(m_clock)
    {
        m_clock.setWallMillis(1796684724000);
        if (const char* zone = std::getenv("TZ")) {
            m_previousZone = zone;
        }
        setenv("TZ", "UTC", 1);
        tzset();
    }
    ~PinnedTime()
    {
        if (m_previousZone.empty()) {
            unsetenv("TZ");
        } else {
            setenv("TZ", m_previousZone.c_str(), 1);
        }
        tzset();
    }

private:
    platform::FakeClock m_clock;
    platform::ScopedClock m_scope;
    std::string m_previousZone;
};

struct LoadResult {
    int result;
    std::string console;
};

LoadResult loadCapturing(MeanDictionary& dictionary, const std::string& path)
{
    testing::internal::CaptureStdout();
    const int result = dictionary.load(path);
    return {result, testing::internal::GetCapturedStdout()};
}

// The installed dictionary names representative words and variables of the
// installed semantic network, as the analyser loads it.
class InstalledDictionaryTest : public testing::Test {
protected:
    InstalledDictionaryTest()
    {
        auto network = std::make_unique<test::InstalledNetwork>();
        EXPECT_EQ(network->open(INSTALLED_NETWORK), 0);
        m_scope = std::make_unique<test::ScopedNetwork>(std::move(network));
    }

private:
    std::unique_ptr<test::ScopedNetwork> m_scope;
};

TEST_F(InstalledDictionaryTest, LoadsWithoutWarnings)
{
    MeanDictionary dictionary;
    const auto load = loadCapturing(dictionary, INSTALLED_DICTIONARY);
    EXPECT_EQ(load.result, 0);
    EXPECT_EQ(load.console, utf8(u8"--- 意味目録判定辞書作成開始 ---\n--- 意味目録判定辞書作成終了 ---\n"));
}

TEST_F(InstalledDictionaryTest, HoldsWhatItsSourceSays)
{
    // The build's conversion and encipherment lose nothing: the installed
    // file reads into the same dictionary as its readable source.
    MeanDictionary installed;
    ASSERT_EQ(loadCapturing(installed, INSTALLED_DICTIONARY).result, 0);
    MeanDictionary fromSource;
    ASSERT_EQ(test::readRules(fromSource, utf8ToEuc(readFile(DEMO_SOURCE))).result, 0);
    EXPECT_EQ(installed.rules(), fromSource.rules());
    EXPECT_EQ(installed.dcaDefinitions(), fromSource.dcaDefinitions());

    // Every meaning feature is defined under its own name and code.
    EXPECT_EQ(installed.dcaDefinitions().size(), std::size(MEANING_FEATURES));
    for (const MeaningFeature& feature : MEANING_FEATURES) {
        EXPECT_EQ(installed.getDcaCode(std::string(feature.name)), feature.code) << feature.code;
    }
    EXPECT_EQ(installed.getDcaBitNo(installed.getDcaCode("挨拶")), 1);
    EXPECT_EQ(installed.getDcaValue2(installed.getDcaCode("否定")), 3);

    EXPECT_THAT(installed.noMeaningWords(), ElementsAre("。", "．", "ね", "よ", "ねえ", "よね", "なあ", "わ"));
    EXPECT_EQ(installed.rules().size(), 86u);

    // A greeting, a number and a rearrangement, each in its own index.
    const auto greeting = installed.wordIndex(Index::InputFormIndex).equal_range("こんにちは");
    ASSERT_EQ(std::distance(greeting.first, greeting.second), 1);
    const MeanRule& hello = installed.rules().at(greeting.first->second.ruleNumber);
    EXPECT_EQ(hello.dcaCode, 120);
    EXPECT_EQ(hello.meaningInfo, "出会い");
    EXPECT_EQ(hello.meaningElement.position, "BT");

    const auto zero = installed.wordIndex(Index::NumRearrIndex).find("ゼロ");
    ASSERT_NE(zero, installed.wordIndex(Index::NumRearrIndex).end());
    EXPECT_EQ(installed.rules().at(zero->second.ruleNumber).dcaCode, DCA_NUM);
    EXPECT_EQ(installed.rules().at(zero->second.ruleNumber).meaningInfo, "０");

    const auto rearranged = installed.wordIndex(Index::NumRearrIndex).find("出来る");
    ASSERT_NE(rearranged, installed.wordIndex(Index::NumRearrIndex).end());
    EXPECT_EQ(installed.rules().at(rearranged->second.ruleNumber).meaningInfo, "できる");

    const auto explain = installed.wordIndex(Index::BaseFormIndex).equal_range("教える");
    ASSERT_EQ(std::distance(explain.first, explain.second), 2);
    for (auto entry = explain.first; entry != explain.second; ++entry) {
        EXPECT_EQ(installed.getDcaName(installed.rules().at(entry->second.ruleNumber).dcaCode), "説明");
    }

    const auto backChannel = installed.wordIndex(Index::InputFormIndex).find("へえ");
    ASSERT_NE(backChannel, installed.wordIndex(Index::InputFormIndex).end());
    EXPECT_EQ(installed.getDcaName(installed.rules().at(backChannel->second.ruleNumber).dcaCode), "相槌");
    // Polite honorific nouns are found by their POS sequence.
    const auto honorific = installed.posIndex().find(0x10000001);
    ASSERT_NE(honorific, installed.posIndex().end());
    EXPECT_EQ(installed.getDcaName(installed.rules().at(honorific->second.ruleNumber).dcaCode), "尊敬");

    EXPECT_THAT(installed.wordIndex(Index::TextIndex),
                ElementsAre(Pair("もしもし", WordRef{3, 0}), Pair("よろしくお願いいたします", WordRef{4, 0}),
                            Pair("よろしくお願いします", WordRef{4, 1})));
    // Idioms collapse into their representative word.
    const auto idiom = installed.wordIndex(Index::IdiomBaseFormIndex).find("腹");
    ASSERT_NE(idiom, installed.wordIndex(Index::IdiomBaseFormIndex).end());
    const MeanRule& anger = installed.rules().at(idiom->second.ruleNumber);
    EXPECT_EQ(anger.representativeWord, "怒る");
    EXPECT_EQ(anger.representativePosCode, 0x20000);
    EXPECT_THAT(anger.meaningElement.wordSequences, ElementsAre(ElementsAre("腹", "が", "立つ"), ElementsAre("頭", "に", "来る")));
    EXPECT_EQ(installed.wordIndex(Index::IdiomBaseFormIndex).size(), 7u);

    // Variables expand through the network.
    EXPECT_EQ(installed.variableCache().at("＆飲み物＆"), "飲み物/飲物/飲みもの/飲もの/のみもの");
    const auto vehicles = installed.wordIndex(Index::BaseFormIndex).equal_range("オートバイ");
    ASSERT_EQ(std::distance(vehicles.first, vehicles.second), 1);
    EXPECT_EQ(installed.rules().at(vehicles.first->second.ruleNumber).meaningInfo, "交通手段");

    EXPECT_EQ(installed.longestTextLength(), 24);
    EXPECT_EQ(installed.shortestTextLength(), 8);
    EXPECT_THAT(installed.firstCharacters(), ElementsAre("も", "よ"));
}

TEST_F(InstalledDictionaryTest, LoadingAgainReplacesTheRulesInsteadOfAddingToThem)
{
    const EncipheredFile second(utf8(u8"(#DEFDCA\t＊\t0\t0\t0\t0)\n(#DEFDCA\t挨拶\t120\t0\t1\t0)\n"
                                     u8"(挨拶\t＊\tI\t別れ\t＊\t(入力形\t＊\t感動詞\t＊\tさようなら)\t(＊)\t(＊)\t(＊)\t(＊))\n"));
    MeanDictionary dictionary;
    ASSERT_EQ(loadCapturing(dictionary, INSTALLED_DICTIONARY).result, 0);
    const MeanDictionary once = dictionary;
    ASSERT_EQ(loadCapturing(dictionary, INSTALLED_DICTIONARY).result, 0);
    EXPECT_EQ(dictionary.rules(), once.rules());
    EXPECT_EQ(dictionary.dcaDefinitions(), once.dcaDefinitions());
    EXPECT_EQ(dictionary.noMeaningWords(), once.noMeaningWords());
    EXPECT_EQ(dictionary.wordIndex(Index::InputFormIndex), once.wordIndex(Index::InputFormIndex));
    EXPECT_EQ(dictionary.formTable(), once.formTable());
    EXPECT_EQ(dictionary.posCodes(), once.posCodes());
    EXPECT_EQ(dictionary.variableCache(), once.variableCache());

    ASSERT_EQ(loadCapturing(dictionary, second.path()).result, 0);
    ASSERT_EQ(dictionary.rules().size(), 1u);
    EXPECT_EQ(dictionary.dcaDefinitions().size(), 2u);
    EXPECT_TRUE(dictionary.noMeaningWords().empty());
    EXPECT_TRUE(dictionary.variableCache().empty());
    EXPECT_EQ(dictionary.wordIndex(Index::InputFormIndex).size(), 1u);
    EXPECT_TRUE(dictionary.posIndex().empty());
}

// The analyser's dictionary is JUMAN's: a word's POS is its sub-class, or its
// class where JUMAN has no sub-classes.  A rule naming any other POS could
// never match.
TEST_F(InstalledDictionaryTest, RulesNameOnlyPosTheAnalyserAssigns)
{
    const std::string posTable = readFile("/usr/share/mecab/dic/juman/pos-id.def");
    if (posTable.empty()) {
        GTEST_SKIP() << "mecab-jumandic-utf8 is not installed";
    }
    std::set<std::string> assigned;
    std::istringstream lines(utf8ToEuc(posTable));
    for (std::string line; std::getline(lines, line);) {
        const std::size_t comma = line.find(',');
        const std::size_t blank = line.find(' ');
        if (comma == std::string::npos || blank == std::string::npos) {
            continue;
        }
        const std::string subclass = line.substr(comma + 1, blank - comma - 1);
        assigned.insert(subclass == "*" ? line.substr(0, comma) : subclass);
    }
    ASSERT_GT(assigned.size(), 40u);

    MeanDictionary dictionary;
    ASSERT_EQ(loadCapturing(dictionary, INSTALLED_DICTIONARY).result, 0);
    auto check = [&](const std::vector<int>& codes, std::size_t rule) {
        for (const int code : codes) {
            if (code != 0) {
                EXPECT_TRUE(assigned.count(std::string(meanPosName(code)))) << "rule " << rule << " POS " << std::hex << code;
            }
        }
    };
    for (std::size_t i = 0; i < dictionary.rules().size(); ++i) {
        const MeanRule& rule = dictionary.rules()[i];
        for (const MeanCondSpec* group : {&rule.meaningElement, &rule.frontCondition, &rule.backCondition}) {
            check(group->posCodes, i);
            for (const auto& sequence : group->posSequences) {
                check(sequence, i);
            }
        }
        for (const MeanTermSpec* term : {&rule.frontTerm, &rule.backTerm}) {
            check(term->posCodes, i);
        }
        check({rule.representativePosCode}, i);
    }
}

TEST(MeanDictionaryFileTest, FaultySourcePrintsEveryDiagnosticAndKeepsItsGoodRules)
{
    auto network = std::make_unique<test::FakeNetwork>();
    network->relationTexts = {{"動物", "P0:動物, P0:生き物"}, {"犬", "P0:動物"}};
    network->collected = {{"動物", "犬,猫"}};
    network->related = {{"動物", "生き物"}};
    test::ScopedNetwork scope(std::move(network));
    PinnedTime time;
    const EncipheredFile file(readFile(BAD_SOURCE));

    MeanDictionary dictionary;
    const auto load = loadCapturing(dictionary, file.path());
    EXPECT_EQ(load.result, -1);
    EXPECT_EQ(load.console, readFile(BAD_CONSOLE));

    // The good rules, the pca-faulty one and the three sentence-end ones.
    ASSERT_EQ(dictionary.rules().size(), 7u);
    EXPECT_EQ(dictionary.rules()[0].meaningInfo, "出会い");
    EXPECT_EQ(dictionary.rules()[1].representativeWord, "動物");
    EXPECT_EQ(dictionary.rules()[1].meaningElement.cueText, "動物/生き物/犬/猫");
    EXPECT_EQ(dictionary.rules()[6].meaningInfo, "別れ");
}

TEST(MeanDictionaryFileTest, MissingFileIsReportedAndLeavesAnEmptyDictionary)
{
    PinnedTime time;
    MeanDictionary dictionary;
    const auto load = loadCapturing(dictionary, "/nonexistent/mean_dictionary.dat");
    EXPECT_EQ(load.result, -1);
    EXPECT_EQ(load.console,
              utf8(u8"--- 意味目録判定辞書作成開始 ---\n"
                   u8"read_mean_dictionary --> 意味目録判定辞書ファイル(/nonexistent/mean_dictionary.dat)はオープン失敗\n"
                   u8"2026/12/07 23:05:24 SYSTEM_MESSAGE Failed to read mean_dictionary\n"));
    EXPECT_TRUE(dictionary.rules().empty());
    EXPECT_TRUE(dictionary.dcaDefinitions().empty());
}

TEST(MeanDictionaryFileTest, MalformedFileDecipheringToNothingLoadsEmpty)
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("mean_dictionary_short_" + std::to_string(::getpid()) + ".dat");
    {
        std::ofstream out(path, std::ios::binary);
        out.write("\x10\0\0\0", 4);  // 16 bytes announced, none present
    }
    MeanDictionary dictionary;
    const auto load = loadCapturing(dictionary, path.string());
    std::filesystem::remove(path);
    EXPECT_EQ(load.result, 0);
    EXPECT_TRUE(dictionary.rules().empty());
}

}  // namespace
}  // namespace quibo
