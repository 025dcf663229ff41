// Initialisation of the language analyser from install trees: the build's
// complete one and temporary trees with a resource missing.
#include "analysis/LanguageAnalyzer.h"

#include "analysis/ConsoleLine.h"
#include "analysis/InstallPath.h"
#include "platform/SharedFileMapping.h"
#include "tests/analysis/DoskTestDictionary.h"
#include "tests/analysis/NetworkFiles.h"
#include "tests/support/AllocationLimit.h"
#include "tests/support/InstallTree.h"
#include "tools/DoskWriter.h"
#include "tools/FealTool.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <new>
#include <ostream>
#include <string>

namespace quibo {
namespace {

using test::DOSK_DICTIONARY;
using test::MEANING_RULES;
using test::NETWORK;
using test::NUMBER_SYNONYMS;
using test::rcPathIn;
using test::TemporaryInstallTree;

constexpr const char* MAPPING = "DOSK_DIC_SHARED_MEMORY";

class LanguageAnalyzerInitTest : public ::testing::Test {
protected:
    ~LanguageAnalyzerInitTest() override { LanguageAnalyzer::deleteInstance(); }

    // init from the install directory of the registry in force, its console
    // output swallowed.
    static int initFromInstall(const std::string& installDirectory)
    {
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        const int result = LanguageAnalyzer::instance()->init(rcPathIn(installDirectory), true);
        ::testing::internal::GetCapturedStdout();
        ::testing::internal::GetCapturedStderr();
        return result;
    }
};

TEST_F(LanguageAnalyzerInitTest, BuildInstallTreeLoadsAllFourResources)
{
    test::BuildInstallTree tree;
    ASSERT_EQ(installPath(), tree.root());
    ASSERT_EQ(initFromInstall(tree.root()), 0);
    EXPECT_TRUE(LanguageAnalyzer::isInitialized());

    LanguageAnalyzer* analyzer = LanguageAnalyzer::instance();
    ASSERT_NE(analyzer->doskDictionary(), nullptr);
    EXPECT_EQ(analyzer->doskDictionary()->state(), 0);
    EXPECT_FALSE(analyzer->meanDictionary().rules().empty());
    EXPECT_EQ(analyzer->numberSynonyms().entries().count("数個"), 1u);
    const NetworkText relations = analyzer->listRelations("犬");
    ASSERT_NE(relations, nullptr);
    EXPECT_NE(std::string(relations.get()).find("犬"), std::string::npos);
}

TEST_F(LanguageAnalyzerInitTest, DeletingTheInstanceReleasesEverything)
{
    test::BuildInstallTree tree;
    ASSERT_EQ(initFromInstall(tree.root()), 0);
    EXPECT_EQ(platform::SharedFileMapping::holders(MAPPING), 1);
    LanguageAnalyzer::deleteInstance();
    EXPECT_FALSE(LanguageAnalyzer::isInitialized());
    EXPECT_EQ(platform::SharedFileMapping::holders(MAPPING), 0);
    EXPECT_FALSE(LanguageAnalyzer::isInitialized());
    EXPECT_EQ(LanguageAnalyzer::instance()->doskDictionary(), nullptr);
}

struct MissingResource {
    const char* name;
    const char* file;
    int result;
    bool initialized;
};

void PrintTo(const MissingResource& tree, std::ostream* out)
{
    *out << tree.name;
}

class LanguageAnalyzerMissingResourceTest : public LanguageAnalyzerInitTest,
                                            public ::testing::WithParamInterface<MissingResource> {};

TEST_P(LanguageAnalyzerMissingResourceTest, ResultNamesTheMissingResource)
{
    TemporaryInstallTree tree;
    tree.linkAllFromBuild();
    tree.remove(GetParam().file);
    EXPECT_EQ(initFromInstall(tree.root()), GetParam().result);
    EXPECT_EQ(LanguageAnalyzer::isInitialized(), GetParam().initialized);
}

INSTANTIATE_TEST_SUITE_P(Trees, LanguageAnalyzerMissingResourceTest,
                         ::testing::Values(MissingResource{"NoDictionary", DOSK_DICTIONARY, -3, false},
                                           MissingResource{"NoNetwork", NETWORK, -4, false},
                                           MissingResource{"NoMeaningRules", MEANING_RULES, -3, false},
                                           MissingResource{"NoNumberSynonyms", NUMBER_SYNONYMS, 0, true}),
                         [](const ::testing::TestParamInfo<MissingResource>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(LanguageAnalyzerInitTest, MissingNumberSynonymsLeaveTheTableEmpty)
{
    TemporaryInstallTree tree;
    tree.linkAllFromBuild();
    tree.remove(NUMBER_SYNONYMS);
    ::testing::internal::CaptureStdout();
    ASSERT_EQ(LanguageAnalyzer::instance()->init(rcPathIn(tree.root()), true), 0);
    const std::string console = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(console.find("Cannot open " + tree.path(NUMBER_SYNONYMS) + "!"), std::string::npos);
    EXPECT_TRUE(LanguageAnalyzer::instance()->numberSynonyms().entries().empty());
}

TEST_F(LanguageAnalyzerInitTest, HostCanSendTheConsoleLinesToStandardError)
{
    TemporaryInstallTree tree;
    tree.linkAllFromBuild();
    tree.remove(NUMBER_SYNONYMS);
    setConsoleStream(stderr);
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const int result = LanguageAnalyzer::instance()->init(rcPathIn(tree.root()), true);
    const std::string output = ::testing::internal::GetCapturedStdout();
    const std::string errors = ::testing::internal::GetCapturedStderr();
    setConsoleStream(stdout);
    ASSERT_EQ(result, 0);
    EXPECT_EQ(output, "");
    EXPECT_NE(errors.find(reinterpret_cast<const char*>(u8"--- 意味目録判定辞書作成終了 ---\n")), std::string::npos);
    EXPECT_NE(errors.find("Cannot open " + tree.path(NUMBER_SYNONYMS) + "!"), std::string::npos);
}

TEST_F(LanguageAnalyzerInitTest, MissingNetworkKeepsTheDictionaryLoaded)
{
    TemporaryInstallTree tree;
    tree.linkAllFromBuild();
    tree.remove(NETWORK);
    ASSERT_EQ(initFromInstall(tree.root()), -4);
    const DoskDictionary* dictionary = LanguageAnalyzer::instance()->doskDictionary();
    ASSERT_NE(dictionary, nullptr);
    EXPECT_EQ(dictionary->state(), 0);
    EXPECT_TRUE(LanguageAnalyzer::instance()->meanDictionary().rules().empty());
}

TEST_F(LanguageAnalyzerInitTest, WithoutInstallDirectoryDataComesFromTheWorkingDirectory)
{
    // The dictionary still follows the rc path; the data folder is "data/"
    // of the working directory, here the tree's QUIBO3.1.
    TemporaryInstallTree tree;
    tree.linkAllFromBuild();
    test::WorkingDirectory inQuibo(tree.path("QUIBO3.1"));
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const int result = LanguageAnalyzer::instance()->init(rcPathIn(tree.root()), false);
    ::testing::internal::GetCapturedStdout();
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(LanguageAnalyzer::instance()->numberSynonyms().entries().empty());
}

TEST_F(LanguageAnalyzerInitTest, WithoutInstallDirectoryAnotherWorkingDirectoryHasNoNetwork)
{
    TemporaryInstallTree tree;
    tree.linkAllFromBuild();
    test::WorkingDirectory atRoot(tree.root());  // no "data" folder here
    EXPECT_EQ(initFromInstall(tree.root()), 0);   // the registry still names the tree
    LanguageAnalyzer::deleteInstance();
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(LanguageAnalyzer::instance()->init(rcPathIn(tree.root()), false), -4);
    ::testing::internal::GetCapturedStdout();
    ::testing::internal::GetCapturedStderr();
}

TEST_F(LanguageAnalyzerInitTest, RetryAfterFailureReleasesTheEarlierDictionaryFirst)
{
    // The first tree has a dictionary but no network: init fails holding
    // that dictionary's mapping.  The second tree has no dictionary at all;
    // a new dictionary created while the old one is held would borrow its
    // mapping by name and load.
    TemporaryInstallTree withDictionary;
    withDictionary.linkAllFromBuild();
    withDictionary.remove(NETWORK);
    ASSERT_EQ(initFromInstall(withDictionary.root()), -4);
    ASSERT_EQ(platform::SharedFileMapping::holders(MAPPING), 1);

    TemporaryInstallTree withoutDictionary;
    withoutDictionary.linkAllFromBuild();
    withoutDictionary.remove(DOSK_DICTIONARY);
    EXPECT_EQ(initFromInstall(withoutDictionary.root()), -3);
    EXPECT_EQ(platform::SharedFileMapping::holders(MAPPING), 0);
    EXPECT_FALSE(LanguageAnalyzer::isInitialized());
}

TEST_F(LanguageAnalyzerInitTest, RetryAfterFailureHoldsOneMapping)
{
    TemporaryInstallTree tree;
    tree.linkAllFromBuild();
    tree.remove(NETWORK);
    ASSERT_EQ(initFromInstall(tree.root()), -4);
    tree.linkFromBuild(NETWORK);
    EXPECT_EQ(initFromInstall(tree.root()), 0);
    EXPECT_TRUE(LanguageAnalyzer::isInitialized());
    EXPECT_EQ(platform::SharedFileMapping::holders(MAPPING), 1);
}

TEST_F(LanguageAnalyzerInitTest, FailedInitAfterSuccessLeavesTheInstanceUninitialised)
{
    TemporaryInstallTree tree;
    tree.linkAllFromBuild();
    ASSERT_EQ(initFromInstall(tree.root()), 0);
    tree.remove(DOSK_DICTIONARY);
    EXPECT_EQ(initFromInstall(tree.root()), -3);
    EXPECT_FALSE(LanguageAnalyzer::isInitialized());
    std::string surfaces;
    EXPECT_TRUE(LanguageAnalyzer::instance()->analyze("犬が走る", surfaces).empty());
}

// A tree of small files: a two-word dictionary, a one-word network and a
// meaning-rule file padded to `ruleFileBytes`.
void writeSmallTree(const TemporaryInstallTree& tree, std::size_t ruleFileBytes)
{
    DoskSource source = testing::baseSource();
    testing::addWord(source, "犬", testing::NOUN, 100, "イヌ");
    testing::addWord(source, "が", testing::PARTICLE, 100, "ガ");
    std::filesystem::create_directories(tree.path("dosk"));
    DoskWriteReport report;
    ASSERT_TRUE(writeDoskFile(tree.path(DOSK_DICTIONARY), source, report));
    tree.write(NETWORK, *tools::encipherImage(testing_support::networkPlaintext(u8"word 犬 n\n")));
    std::string rules = "(#DEFDCA\t＊\t0\t0\t0\t0)\n";
    rules.resize(ruleFileBytes, '/');
    tree.write(MEANING_RULES, *tools::encipherImage(rules));
}

TEST_F(LanguageAnalyzerInitTest, SmallTreeLoads)
{
    TemporaryInstallTree tree;
    writeSmallTree(tree, 1 << 20);
    EXPECT_EQ(initFromInstall(tree.root()), 0);
    std::string surfaces;
    EXPECT_EQ(LanguageAnalyzer::instance()->analyze("犬が", surfaces).size(), 2u);
    EXPECT_EQ(surfaces, "犬が");
}

TEST_F(LanguageAnalyzerInitTest, StandardExceptionIsReportedAsMinusFive)
{
    // The meaning-rule file is the one resource that needs a block of a
    // megabyte: the memory runs out while it is read.
    TemporaryInstallTree tree;
    writeSmallTree(tree, 1 << 20);
    LanguageAnalyzer* analyzer = LanguageAnalyzer::instance();
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    int result = 0;
    {
        test::ScopedAllocationLimit limit(1 << 19);
        result = analyzer->init(rcPathIn(tree.root()), true);
    }
    ::testing::internal::GetCapturedStdout();
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, -5);
    // The decipherer's progress lines come first; the message is a line.
    const std::string message =
        std::string("\nthe language analyser cannot be set up: ") + std::bad_alloc().what() + "\n";
    ASSERT_GE(errors.size(), message.size());
    EXPECT_EQ(errors.substr(errors.size() - message.size()), message);
    EXPECT_FALSE(LanguageAnalyzer::isInitialized());
    // What was loaded before stays loaded.
    ASSERT_NE(analyzer->doskDictionary(), nullptr);
    EXPECT_EQ(analyzer->doskDictionary()->state(), 0);
}

}  // namespace
}  // namespace quibo
