#include "tools/KnowledgeCompiler.h"

#include "analysis/CodeConverter.h"
#include "dialogue/CaFeatures.h"
#include "dialogue/CandidateSelector.h"
#include "dialogue/ChatService.h"
#include "knowledge/CDictionary.h"
#include "knowledge/Entity.h"
#include "knowledge/KnowledgeFile.h"
#include "knowledge/Predicative.h"
#include "knowledge/ReplyTable.h"
#include "knowledge/Thesaurus.h"
#include "knowledge/Topic.h"
#include "knowledge/TopicTitle.h"
#include "meaning/MeanEntry.h"
#include "tests/support/InstalledAnalyzer.h"
#include "tests/support/KnowledgeSamples.h"
#include "tests/support/TempFolder.h"
#include "tools/KnowledgeDump.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <vector>
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
        std::string message;  // messages are UTF-8
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
        {utf8(u8"table t\ngroup 0\nentry a | b | 無い\n"), utf8(u8"line 3: no title under the id 無い")},
        {utf8(u8"thesaurus ES 店舗 開く\npredicative 開く\n"), "line 1: no entity or predicative"},
        {utf8(u8"frobnicate\n"), "line 1: unknown record frobnicate"},
        // Nothing is dropped without a word, and the words are UTF-8.
        {utf8(u8"entity 店\nentity 店\n"), utf8(u8"line 2: entity named twice: 店")},
        {utf8(u8"topic a\ntitle X_A_N source=Debian GNU/Linux\n"), "line 2: the field GNU/Linux is not taken"},
        {utf8(u8"topic a\ntitle X_A_N source=a x=b x=c\n"), "line 2: the field x= is given twice"},
        {utf8(u8"topic a\ntitle X_A_N sourse=a\n"), "line 2: the field sourse= is not taken by title"},
        {utf8(u8"entity \"Red Hat\n"), "line 1: a quoted text is not closed"},
        {utf8(u8"entity \"Red\"Hat\n"), "line 1: text after a closing quote"},
        {"entity \xff\n", "line 1: the line is not UTF-8 text"},
        {utf8(u8"table t\ngroup 0\nentry a\ngroup d\n"), "line 4: a second group of the kind d in the table t"},
        {utf8(u8"table t\ngroup 0\nentry a | b | c | d | e\n"), "line 3: an entry has at most four parts"},
        {utf8(u8"entity 店\nrelated 店 店 set=7\n"), "line 2: no entity set 7"},
        {utf8(u8"table t\ngroup 0\nentry a | | | 店\ntopic x\ntitle X_A_N source=a id=店\ntitle X_A_N source=b id=店\n"),
         utf8(u8"line 3: the id 店 names 2 titles")},
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

TEST(KnowledgeCompilerTest, TextsKeepBlanksAndBarsAndReplacedCharactersAreReported)
{
    // A byte-order mark, quoted texts and a character EUC-JP lacks.
    const std::string source = utf8(u8"\uFEFFentity \"Red Hat\"\n"
                                    u8"table t\n"
                                    u8"group 0\n"
                                    u8"entry \"営業は | 9時\\\"から\\\"\" | 表情=笑顔\n"
                                    u8"entry a | b\n"
                                    u8"topic 話\n"
                                    u8"title X_A_N source=\"Debian GNU/Linux とは何?\" x=\"Red Hat\"\n"
                                    u8"string \U0001F600と〓\n");
    std::vector<std::string> warnings;
    const std::unique_ptr<CDictionary> base = KnowledgeCompiler(test::oneNounAnalysis).compile(source, &warnings);
    EXPECT_NE(base->findByName("Red Hat", false), nullptr);
    const auto& entries = (*base->replyTables().begin())->groups().at('d').entries();
    EXPECT_EQ(*entries[0].label(), "営業は | 9時\"から\"");
    EXPECT_EQ(entries[0].joinNames(), "表情=笑顔");
    EXPECT_EQ(*entries[1].label(), "a");
    const TopicTitle* title = base->topics().at("話")->titles().titles()[0];
    EXPECT_EQ(title->sourceText(), "Debian GNU/Linux とは何?");
    EXPECT_EQ(title->getXWords().at(0).getKnowledgeObject(), base->findByName("Red Hat", false));
    EXPECT_EQ(base->stringPool().count("〓と〓"), 1u);
    // Extension values in the compiler's older form compile, and are named.
    EXPECT_EQ(warnings,
              (std::vector<std::string>{
                  utf8(u8"line 8: U+1F600 \"\U0001F600\" has no EUC-JP form and is stored as 〓"),
                  utf8(u8"line 4: the extension values 表情=笑顔 are in an older form: names and values take turns, "
                       u8"separated by ';' (表情;笑顔)"),
                  "line 5: the extension values b end with a name without a value"}));
}

TEST(KnowledgeCompilerTest, CompiledFileReloadsIntoTheSameDump)
{
    std::string folder = (std::filesystem::temp_directory_path() / "quibo-kbc-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    const std::string source = folder + "/source.txt";
    // A base no conversation could start over is refused, the missing
    // record named; one without a reply for what it does not know is
    // compiled with a warning.
    std::ofstream(source) << test::SMALL_SOURCE;
    testing::internal::CaptureStderr();
    EXPECT_EQ(KnowledgeCompiler(test::oneNounAnalysis).compileFile(source, folder + "/out.pdata"), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              source + utf8(u8": the base has no greeting: the entity ＣＡ発話 needs a topic whose title is "
                            u8"ＣＡ発話 / 呼びかけ / ＊ (title 0x29 x=ＣＡ発話 y=呼びかけ) with replies of group 0\n"));
    EXPECT_FALSE(std::filesystem::exists(folder + "/out.pdata"));
    const std::string greeting = utf8(u8"table 呼びかけ表\ngroup 0\nentry いらっしゃいませ\n"
                                      u8"topic 呼びかけ table=呼びかけ表 entities=ＣＡ発話\n"
                                      u8"title 0x29 source=呼びかけ x=ＣＡ発話 y=呼びかけ searchable=0\n");
    std::ofstream(source) << test::SMALL_SOURCE << greeting;

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int result = KnowledgeCompiler(test::oneNounAnalysis).compileFile(source, folder + "/out.pdata");
    testing::internal::GetCapturedStdout();
    EXPECT_NE(testing::internal::GetCapturedStderr().find(
                  utf8(u8": warning: the base has no reply for what it has no topic for: without a title 回答不能")),
              std::string::npos);
    ASSERT_EQ(result, 0);
    CDictionary loaded;
    testing::internal::CaptureStdout();
    ASSERT_EQ(loadKnowledgeFile(loaded, folder + "/out.pdata"), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(dumpKnowledgeBase(loaded),
              dumpKnowledgeBase(*KnowledgeCompiler(test::oneNounAnalysis).compile(test::SMALL_SOURCE + greeting)));

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

namespace quibo {
namespace {

class InstalledKnowledgeCompilerTest : public test::InstalledAnalyzerTest {
protected:
    static std::unique_ptr<CDictionary> compile(const std::string& source)
    {
        return KnowledgeCompiler(KnowledgeCompiler::languageAnalyzer()).compile(source);
    }
};

const Morpheme* wordKeyed(const MorphemeList& words, const std::string& key)
{
    for (const Morpheme& word : words.words())
        if (word.keyFormRef() == key)
            return &word;
    return nullptr;
}

TEST_F(InstalledKnowledgeCompilerTest, TitlesAreJudgedAsVisitorSentencesAre)
{
    const std::unique_ptr<CDictionary> base =
        compile(utf8(u8"entity 営業時間\npredicative 教える\nterm 何時まで 営業時間\ntopic 営業時間 entities=営業時間\n"
                     u8"title X_Y_N source=営業時間を教えて x=営業時間 y=教えて\n"
                     u8"title X_A_N source=何時から開いていますか x=何時から\n"
                     u8"title A_Y_N source=何時まで開いていますか y=営業時間開く\n"));
    const std::vector<TopicTitle*>& titles = base->topics().at("営業時間")->titles().titles();
    const TopicTitle* title = titles[0];
    const MorphemeList titleWords = title->getWords();
    const Morpheme* subject = wordKeyed(titleWords, "営業時間");
    const Morpheme* verb = wordKeyed(titleWords, "教える");
    ASSERT_TRUE(subject && verb);
    EXPECT_TRUE(subject->getFlags() & Morpheme::FLAG_X);
    EXPECT_TRUE(verb->getFlags() & Morpheme::FLAG_Y);
    EXPECT_TRUE(title->getXWords().at(0).getFlags() & Morpheme::FLAG_X);
    EXPECT_TRUE(title->getYWords().at(0).getFlags() & Morpheme::FLAG_Y);

    std::string surfaces;
    MeanEntry said;
    const MorphemeList words = analyzer().analyze("営業時間を教えて", surfaces, &said);
    // The grade bit that compares the sentence's words with the title's
    // X and Y words fires.
    EXPECT_NE(title->gradeMatch(words, &said) & 0x1, 0u);

    // Without dca= the source's judgement gives the title's feature word,
    // which the candidate selector reads as the rule features a question of
    // the same text has.
    CaFeatures::initExpressionBits();
    const AnalyzedSentenceList asked = base->analyseText("何時から開いていますか", {-1}, 0);
    ASSERT_FALSE(asked.empty());
    const std::uint32_t expression = CaFeatures::expressionBits(asked.front()->meanContents());
    EXPECT_NE(expression, 0u);
    EXPECT_EQ(CandidateSelector::toRuleFeatures(static_cast<std::uint32_t>(titles[1]->getDcaBits())), expression);

    // A term reads in a title as in a question: 何時まで stands for the
    // entity in both, so a question worded otherwise than the title (夜は
    // 何時までですか) still pairs its word with the title's.
    const AnalyzedSentenceList other = base->analyseText("夜は何時までですか", {-1}, 0);
    ASSERT_FALSE(other.empty());
    const MorphemeList otherWords = other.front()->words();
    const MorphemeList heldWords = titles[2]->getWords();
    const Morpheme* question = wordKeyed(otherWords, "営業時間");
    const Morpheme* held = wordKeyed(heldWords, "営業時間");
    ASSERT_TRUE(question && held);
    EXPECT_EQ(held->getKnowledgeObject(), question->getKnowledgeObject());
    EXPECT_EQ(held->getKnowledgeObject(), base->findByName("営業時間", false));
}

TEST_F(InstalledKnowledgeCompilerTest, RecordFormsBaseCarriesEveryForm)
{
    const std::unique_ptr<CDictionary> compiled =
        compile(test::readFile(std::string(QUIBO_TEST_DATA) + "/record_forms_knowledge.txt"));
    const std::string bytes = test::fileBytes(*compiled);
    CDictionary base;
    testing::internal::CaptureStdout();
    ASSERT_EQ(test::loadBytes(base, bytes), 0);
    testing::internal::GetCapturedStdout();
    base.classifyEntities();
    EXPECT_EQ(test::fileBytes(base), bytes);

    Entity* shop = base.findByName("店", false);
    Entity* station = base.findByName("駅", false);
    Entity* time = base.findByName("時間", false);
    Entity* guide = base.findByName("案内", false);
    EXPECT_TRUE(shop->entitySet(1).contains(station) && shop->entitySet(2).contains(time) &&
                shop->entitySet(3).contains(guide) && station->entitySet(4).contains(shop) &&
                time->entitySet(5).contains(shop) && shop->entitySet(6).contains(station));
    EXPECT_TRUE(base.getEntitySet2()->contains(guide));
    EXPECT_EQ(base.secondTermIndex().find("道順")->second, station);
    EXPECT_EQ(base.secondTermIndex().find("開店")->second, base.findPredicative("開く", false));

    // Every kind letter, every group type; entries lead to titles and
    // answer one.
    const Topic* topic = base.topics().at("店");
    const ReplyTable* table = topic->getReplyTable();
    std::string letters;
    for (const auto& group : table->groups())
        letters += static_cast<char>(group.first);
    EXPECT_EQ(letters, "acdehilnoptw");
    EXPECT_EQ(topic->getReplyKinds(), 0xFFF);
    EXPECT_EQ(table->findGroup('d')->getTypeId(), 1);
    EXPECT_EQ(table->findGroup('w')->getTypeId(), 64);
    EXPECT_EQ(table->findGroup('o')->getTypeId(), 256);
    EXPECT_EQ(table->findGroup('t')->getTypeId(), 32);
    const ReplyEntry& first = table->findGroup('d')->entries()[0];
    EXPECT_EQ(first.titleRefs(), (std::vector<TopicTitle*>{base.idMap().find("時間")->second,
                                                          base.idMap().find("駅")->second}));
    EXPECT_EQ(first.titleRef(), base.idMap().find("店")->second);
    EXPECT_EQ(*table->findGroup('d')->entries()[1].label(), "営業は | 午前９時から");
    EXPECT_TRUE(table->findGroup('n')->entries()[0].names().empty());
    EXPECT_EQ(base.topics().at("時間")->getReplyTable()->findGroup('d')->entries()[0].titleRef(),
              base.idMap().find("時間")->second);

    // Titles of the six named types and the greeting's slot code; the A_Y_A
    // title's centre is the flag-2 entity.
    std::set<int> types;
    for (const auto& named : base.topics())
        for (const TopicTitle* title : named.second->titles().titles())
            types.insert(title->getType());
    EXPECT_EQ(types, (std::set<int>{topic_title_type::A_Y_N, topic_title_type::A_Y_A, topic_title_type::X_A_N,
                                    topic_title_type::X_A_A, topic_title_type::X_Y_N, topic_title_type::S_O_A, 0x29}));
    const TopicTitle* anyAny = base.idMap().find("駅")->second;
    EXPECT_EQ(anyAny->getType(), topic_title_type::A_Y_A);
    EXPECT_EQ(anyAny->getCentres().front(), guide);
}

}  // namespace
}  // namespace quibo

namespace quibo {
namespace {

// kb-compile as an author runs it: what it reports on standard error, and
// its exit status.
struct Compiled {
    std::string report;
    int status = -1;
};

Compiled runKbCompile(const std::string& source, const std::string& output, bool strict)
{
    const std::string command = std::string(QUIBO_BINARY_DIR) + "/tools/kb-compile " + source + " " + output +
                                " --install " + test::BuildInstallTree::root() + (strict ? " --strict" : "") +
                                " 2>&1 >/dev/null; echo \"exit=$?\"";
    const std::string out = test::commandOutput(command);
    const std::size_t exit = out.rfind("exit=");
    return {out.substr(0, exit), exit == std::string::npos ? -1 : std::atoi(out.c_str() + exit + 5)};
}

TEST(KbCompileProgramTest, TheTestBasesReachEveryTitleAndAnUnreachedOneIsReportedWithItsReason)
{
    test::TempFolder folder("quibo-kbc");
    // Long FAQ questions with Latin names between full-width blanks, x and
    // y written joined or with a particle: each is asked word for word.
    const std::string faq = std::string(QUIBO_TEST_DATA) + "/faq_knowledge.txt";
    const Compiled all = runKbCompile(faq, folder.path("faq.pdata"), true);
    EXPECT_EQ(all.status, 0) << all.report;
    EXPECT_NE(all.report.find("reached 111 of 111 titles"), std::string::npos) << all.report;
    EXPECT_EQ(all.report.find("not reached"), std::string::npos) << all.report;

    // A title whose words name none of its topic's entities cannot be
    // reached: the author is told which topic answered it and why; --strict
    // makes it a failure.
    const std::string source =
        folder.write("faq.txt", test::readFile(faq) + utf8(u8"table 本表\ngroup 0\nentry 本の案内です。\n"
                                                           u8"topic 本 table=本表 entities=Ｌｉｎｕｘ\n"
                                                           u8"title X_Y_N source=おすすめの本はありますか x=本 y=ある\n"));
    const Compiled lenient = runKbCompile(source, folder.path("one.pdata"), false);
    EXPECT_EQ(lenient.status, 0);
    EXPECT_NE(lenient.report.find(utf8(u8"not reached: \"おすすめの本はありますか\" of the topic 本: answered by the topic ＣＡ")),
              std::string::npos)
        << lenient.report;
    EXPECT_NE(lenient.report.find("  no word of the question names an entity of the topic (the question names: nothing)"),
              std::string::npos)
        << lenient.report;
    EXPECT_NE(lenient.report.find("reached 111 of 112 titles"), std::string::npos) << lenient.report;
    const Compiled strict = runKbCompile(source, folder.path("two.pdata"), true);
    EXPECT_EQ(strict.status, 1);
    EXPECT_NE(strict.report.find("--strict: 1 titles are not reached"), std::string::npos) << strict.report;
}


// The fenced blocks of the author's guide, by their marks: "knowledge" (a
// fragment of a base), "knowledge step" (a step of the worked example) and
// "conversation" (questions after "> ", each with the desk's reply below).
struct GuideExamples {
    std::vector<std::string> fragments;
    std::vector<std::string> steps;
    std::vector<std::pair<std::string, std::string>> exchanges;
};

GuideExamples guideExamples(const std::string& markdown)
{
    GuideExamples examples;
    std::istringstream lines(markdown);
    std::string line;
    std::string mark;
    std::string block;
    bool inside = false;
    while (std::getline(lines, line)) {
        if (line.rfind("```", 0) != 0) {
            if (inside)
                block += line + "\n";
            continue;
        }
        if (!inside) {
            mark = line.substr(3);
            block.clear();
            inside = true;
            continue;
        }
        inside = false;
        if (mark == "knowledge")
            examples.fragments.push_back(block);
        else if (mark == "knowledge step")
            examples.steps.push_back(block);
        else if (mark == "conversation") {
            std::istringstream said(block);
            for (std::string question, reply; std::getline(said, question) && std::getline(said, reply);)
                examples.exchanges.emplace_back(question.substr(question.rfind("> ", 0) == 0 ? 2 : 0), reply);
        }
    }
    return examples;
}

std::string eucOf(const std::string& utf8Text) { return CodeConverter(utf8Text).convert(CodeConverter::EUC, CodeConverter::UTF8); }
std::string utf8Of(const std::string& eucText) { return CodeConverter(eucText).convert(CodeConverter::UTF8, CodeConverter::EUC); }

// What the guide shows an author is true of the tools: its fragments
// compile, its worked example is a base kb-compile --strict accepts after
// every step, and the desk it builds answers the conversation it shows.
TEST(KbCompileProgramTest, TheAuthorsGuideExamplesCompileAndItsWorkedExampleAnswersAsShown)
{
    const GuideExamples guide =
        guideExamples(test::readFile(std::string(QUIBO_SOURCE_DIR) + "/docs/knowledge-authoring.md"));
    ASSERT_GE(guide.fragments.size(), 5u);
    ASSERT_GE(guide.steps.size(), 3u);
    ASSERT_GE(guide.exchanges.size(), 3u);

    test::TempFolder folder("quibo-guide");
    std::string base;
    std::string compiled;
    for (std::size_t k = 0; k < guide.steps.size(); ++k) {
        base += guide.steps[k];
        const std::string name = "step" + std::to_string(k + 1);
        compiled = folder.path(name + ".pdata");
        const Compiled step = runKbCompile(folder.write(name + ".txt", base), compiled, true);
        EXPECT_EQ(step.status, 0) << name << ":\n" << step.report;
        EXPECT_EQ(step.report.find("not reached"), std::string::npos) << name << ":\n" << step.report;
    }

    test::BuildInstallTree tree;
    ChatService service("", 1, compiled, test::rcPathIn(tree.root()), "", "", 1);
    ASSERT_EQ(service.status(), 0);
    for (const std::string& fragment : guide.fragments)
        EXPECT_NO_THROW(KnowledgeCompiler(KnowledgeCompiler::languageAnalyzer()).compile(fragment)) << fragment;

    ASSERT_NE(service.openConversation("guide", ""), nullptr);
    for (const auto& [question, reply] : guide.exchanges) {
        const std::string said = utf8Of(service.getReply("guide", "", eucOf(question), "", false));
        EXPECT_EQ(said.substr(0, said.find(';')), reply) << question;
    }
    service.closeConversation("guide");
}

}  // namespace
}  // namespace quibo
