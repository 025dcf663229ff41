// The converter against the nkf command as an oracle (skipped where nkf is not
// installed), and the byte rules that callers of CodeConverter rely on.
//
// Where we choose to differ from nkf:
// - JIS X 0208 rows 89-92 (the NEC-selected IBM extensions) go to Shift_JIS by
//   the same arithmetic as every other row (lead bytes ED-EE), so EUC-JP ->
//   Shift_JIS -> EUC-JP is exact; nkf writes the IBM codes FA-FC instead.
//   Shift_JIS FA-FC still reads back as the same character in rows 89-92.
// - Without an output code the output is ISO-2022-JP (nkf 2.0's default);
//   nkf 2.1 writes UTF-8 there.
// - MIME header words in the input are decoded only when the MIME input bit
//   asks for it; nkf decodes "=?ISO-2022-JP?B?...?=" even without it.
// - The UTF-8 legs use code page 932's Unicode mapping, so "～" (A1C1) is
//   U+FF5E where nkf writes U+301C (also for －, ∥, ￠, ￡, ￢).
// - The text ends at its first NUL: a base64 or MIME result does not encode
//   the terminating NUL, where feeding nkf the NUL as well would.
#include "analysis/CodeConverter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>

#include "analysis/JapaneseCodec.h"
#include "platform/ConversionMutex.h"

namespace quibo {
namespace {

using CC = CodeConverter;

bool nkfInstalled()
{
    static const bool installed = std::system("command -v nkf >/dev/null 2>&1") == 0;
    return installed;
}

// Runs `nkf options` over `input` and returns its standard output.
std::optional<std::string> runNkf(const std::string& options, const std::string& input)
{
    char path[] = "/tmp/quibo-nkf-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0)
        return std::nullopt;
    const bool written = write(fd, input.data(), input.size()) == static_cast<ssize_t>(input.size());
    close(fd);
    std::optional<std::string> output;
    if (written) {
        const std::string command = "nkf " + options + " " + path;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            std::string text;
            char buffer[4096];
            std::size_t n;
            while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
                text.append(buffer, n);
            if (pclose(pipe) == 0)
                output = std::move(text);
        }
    }
    unlink(path);
    return output;
}

std::string convert(const std::string& text, int outputCode, int inputCode)
{
    CodeConverter converter(text);
    return converter.convert(outputCode, inputCode);
}

std::string fromUtf8(const char8_t* text)
{
    return reinterpret_cast<const char*>(text);
}

std::string withoutFolds(std::string text)
{
    std::erase_if(text, [](char c) { return c == '\t' || c == '\n' || c == '\r'; });
    return text;
}

// Every cell of the given JIS X 0208 rows in EUC-JP, one row a line.
std::string eucCells(int firstRow, int lastRow)
{
    std::string text;
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int col = 1; col <= 94; ++col) {
            text.push_back(static_cast<char>(0xA0 + row));
            text.push_back(static_cast<char>(0xA0 + col));
        }
        text.push_back('\n');
    }
    return text;
}

std::string asciiBytes()
{
    std::string text;
    for (int c = 1; c < 0x80; ++c)
        text.push_back(static_cast<char>(c));
    return text;
}

std::string halfWidthKana()
{
    std::string text;
    for (int k = 0xA1; k <= 0xDF; ++k) {
        for (const int mark : {0, 0xDE, 0xDF}) {
            text += "\x8E";
            text.push_back(static_cast<char>(k));
            if (mark) {
                text += "\x8E";
                text.push_back(static_cast<char>(mark));
            }
            text.push_back(' ');
        }
    }
    return text;
}

const std::string SENTENCES[] = {
    "こんにちは",
    "今日の天気はどうですか？",
    "吾輩は猫である。名前はまだ無い。",
    "Quiboに質問: 東京タワーの高さは333mです。",
    "ﾃｽﾄ用のﾊﾟｿｺﾝでｶﾞｲﾄﾞを読む",
    "行1\n行2\tタブ\r\n行3 空白 ",
    "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。何でも薄暗いじめじめした所で"
    "ニャーニャー泣いていた事だけは記憶している。Hello world, this is ASCII text. "
    "吾輩はここで始めて人間というものを見た。",
    "A very long line of plain ASCII words that goes on past the fold column before any "
    "日本語 appears, and then ASCII again.",
};

class NkfOracleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!nkfInstalled())
            GTEST_SKIP() << "the nkf command is not installed";
    }

    std::string nkf(const std::string& options, const std::string& input)
    {
        const auto output = runNkf(options, input);
        EXPECT_TRUE(output.has_value()) << "nkf " << options;
        return output.value_or(std::string());
    }
};

TEST_F(NkfOracleTest, EveryCellOfRows1To84MatchesNkfFromEucToShiftJis)
{
    const std::string euc = eucCells(1, 84);
    EXPECT_EQ(convert(euc, CC::SJIS, CC::EUC), nkf("--sjis -E", euc));
}

TEST_F(NkfOracleTest, EveryCellOfRows1To84MatchesNkfFromShiftJisToEuc)
{
    const std::string sjis = nkf("--sjis -E", eucCells(1, 84));
    EXPECT_EQ(convert(sjis, CC::EUC, CC::SJIS), nkf("--euc -S", sjis));
    EXPECT_EQ(convert(sjis, CC::EUC, CC::SJIS), eucCells(1, 84));
}

TEST_F(NkfOracleTest, RowsBeyond84MatchNkfExceptTheNecSelectedRows)
{
    for (const int row : {85, 86, 87, 88, 93, 94}) {
        const std::string euc = eucCells(row, row);
        EXPECT_EQ(convert(euc, CC::SJIS, CC::EUC), nkf("--sjis -E", euc)) << "row " << row;
    }
    // Rows 89-92 keep their own Shift_JIS codes and come back unchanged.
    const std::string nec = eucCells(89, 92);
    const std::string sjis = convert(nec, CC::SJIS, CC::EUC);
    EXPECT_EQ(sjis.substr(0, 2), "\xED\x40");
    EXPECT_EQ(convert(sjis, CC::EUC, CC::SJIS), nec);
}

TEST_F(NkfOracleTest, AllOfAsciiMatchesNkfInEveryDirection)
{
    const std::string ascii = asciiBytes();
    EXPECT_EQ(convert(ascii, CC::SJIS, CC::EUC), nkf("--sjis -E", ascii));
    EXPECT_EQ(convert(ascii, CC::EUC, CC::SJIS), nkf("--euc -S", ascii));
    EXPECT_EQ(convert(ascii, CC::JIS, CC::EUC), nkf("--jis -E", ascii));
}

TEST_F(NkfOracleTest, HalfWidthKanaWidenWithTheirSoundMarksAsNkfDoes)
{
    const std::string euc = halfWidthKana();
    EXPECT_EQ(convert(euc, CC::SJIS, CC::EUC), nkf("--sjis -E", euc));
    EXPECT_EQ(convert(euc, CC::JIS, CC::EUC), nkf("--jis -E", euc));
    std::string sjis = euc;
    std::erase(sjis, '\x8E');
    EXPECT_EQ(convert(sjis, CC::EUC, CC::SJIS), nkf("--euc -S", sjis));
}

TEST_F(NkfOracleTest, SentencesMatchNkfInIso2022Jp)
{
    for (const std::string& sentence : SENTENCES) {
        EXPECT_EQ(convert(sentence, CC::JIS, CC::EUC), nkf("--jis -E", sentence)) << sentence;
        const std::string jis = nkf("--jis -E", sentence);
        EXPECT_EQ(convert(jis, CC::EUC, CC::JIS), nkf("--euc -J", jis)) << sentence;
    }
}

TEST_F(NkfOracleTest, SentencesMatchNkfInBase64)
{
    for (const std::string& sentence : SENTENCES) {
        const std::string base64 = nkf("--base64 -E", sentence);
        EXPECT_EQ(convert(sentence, CC::BASE64, CC::EUC), base64) << sentence;
        EXPECT_EQ(convert(base64, CC::EUC, CC::BASE64), nkf("--euc -mB", base64)) << sentence;
    }
}

TEST_F(NkfOracleTest, SentencesMatchNkfInMimeHeaderWordsWithoutTheFolds)
{
    for (const std::string& sentence : SENTENCES) {
        const std::string mime = nkf("--mime -E", sentence);
        EXPECT_EQ(convert(sentence, CC::MIME, CC::EUC), withoutFolds(mime)) << sentence;
        EXPECT_EQ(convert(mime, CC::EUC, CC::MIME), nkf("--euc -m", mime)) << sentence;
    }
}

TEST_F(NkfOracleTest, MimeWordsOfEveryKnownCharsetDecodeAsNkfDoes)
{
    const std::string words[] = {
        "=?ISO-2022-JP?Q?=1B$B$\"=1B(B?= x =?US-ASCII?Q?a_b=3D?=",
        "=?EUC-JP?B?pKKkpA==?=\n =?SHIFT_JIS?B?gqCCog==?= tail",
        "=?utf-8?b?44GC44GE?=\t=?UTF-8?Q?=E3=81=82?=",
        "plain =?ISO-2022-JP?B?GyRCJCIbKEI=?=\r\n =?ISO-2022-JP?B?GyRCJCQbKEI=?=",
    };
    for (const std::string& text : words)
        EXPECT_EQ(convert(text, CC::EUC, CC::MIME), nkf("--euc -m", text)) << text;
}

TEST_F(NkfOracleTest, SentencesWithoutWaveDashesMatchNkfInUtf8)
{
    for (const std::string& sentence : SENTENCES) {
        const std::string utf8 = nkf("--utf8 -E", sentence);
        EXPECT_EQ(convert(sentence, CC::UTF8, CC::EUC), utf8) << sentence;
        EXPECT_EQ(convert(utf8, CC::EUC, CC::UTF8), nkf("--euc -W", utf8)) << sentence;
    }
}

// Texts of ASCII words (with the characters MIME treats specially), kanji and
// kana runs, half-width kana and assorted blanks and line ends, so that the
// MIME word and fold decisions meet many different columns.
std::string randomText(std::mt19937& random)
{
    static const std::string wide[] = {"吾", "輩", "猫", "名", "前", "東", "京", "あ", "い", "か", "ー", "。"};
    static const std::string narrow[] = {"a", "b", "Z", "0", "=", "?", "_", ".", "(", "\"", "\x8E\xB6", "\x8E\xDE"};
    static const std::string blanks[] = {" ", " ", "  ", "\n", "\t", "\r\n", "", " \n "};
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    std::string text;
    const int words = 1 + pick(25);
    for (int w = 0; w < words; ++w) {
        const int kind = pick(3);
        const int length = 1 + pick(kind == 0 ? 12 : 30);
        for (int k = 0; k < length; ++k) {
            const bool isWide = kind == 1 || (kind == 2 && pick(2) == 0);
            text += isWide ? wide[pick(12)] : narrow[pick(kind == 0 ? 10 : 12)];
        }
        text += blanks[pick(8)];
    }
    return text;
}

TEST_F(NkfOracleTest, RandomTextsMatchNkfInMimeBase64AndIso2022Jp)
{
    std::mt19937 random(20261208);
    for (int i = 0; i < 60; ++i) {
        const std::string text = randomText(random);
        EXPECT_EQ(convert(text, CC::MIME, CC::EUC), withoutFolds(nkf("--mime -E", text))) << text;
        EXPECT_EQ(convert(text, CC::BASE64, CC::EUC), nkf("--base64 -E", text)) << text;
        EXPECT_EQ(convert(text, CC::JIS, CC::EUC), nkf("--jis -E", text)) << text;
        const std::string mime = nkf("--mime -E", text);
        EXPECT_EQ(convert(mime, CC::EUC, CC::MIME), nkf("--euc -m", mime)) << mime;
    }
}

// --- the rules callers rely on -------------------------------------------------

TEST(CodeConverterTest, ShiftJisQuestionComesBackAsTheSameCharactersInEuc)
{
    const std::string euc = "東京タワーの高さは？　ＡＢＣ123";
    const std::string sjis = convert(euc, CC::SJIS, CC::EUC);
    EXPECT_EQ(sjis, "\x93\x8C\x8B\x9E\x83\x5E\x83\x8F\x81\x5B\x82\xCC\x8D\x82\x82\xB3\x82\xCD\x81\x48"
                    "\x81\x40\x82\x60\x82\x61\x82\x62" "123");
    EXPECT_EQ(convert(sjis, CC::EUC, CC::SJIS), euc);
}

TEST(CodeConverterTest, EveryCellRoundTripsThroughShiftJisAndIso2022Jp)
{
    const std::string euc = eucCells(1, 94);
    const std::string sjis = convert(euc, CC::SJIS, CC::EUC);
    ASSERT_EQ(sjis.size(), euc.size());
    EXPECT_EQ(convert(sjis, CC::EUC, CC::SJIS), euc);
    EXPECT_EQ(convert(convert(euc, CC::JIS, CC::EUC), CC::EUC, CC::JIS), euc);
    EXPECT_EQ(convert(convert(euc, CC::BASE64, CC::EUC), CC::EUC, CC::BASE64), euc);
}

TEST(CodeConverterTest, ConvertTextReadsShiftJisOnlyWhenWritingEuc)
{
    CodeConverter converter;
    std::string sjis;
    EXPECT_EQ(&converter.convertText(sjis, "漢字", CC::SJIS), &sjis);
    EXPECT_EQ(sjis, "\x8A\xBF\x8E\x9A");
    std::string euc;
    converter.convertText(euc, sjis, CC::EUC);
    EXPECT_EQ(euc, "漢字");
    EXPECT_EQ(converter.resultText(), "漢字");
    EXPECT_EQ(converter.inputText(), sjis);
}

TEST(CodeConverterTest, MimeResultHoldsNoTabLineFeedOrCarriageReturn)
{
    for (const std::string& sentence : SENTENCES) {
        const std::string mime = convert(sentence, CC::MIME, CC::EUC);
        EXPECT_EQ(mime.find_first_of("\t\n\r"), std::string::npos) << mime;
    }
}

// An ESC closes a Q word and is buffered again, so a run of ASCII that
// holds one and fills the buffer came back whole from every word it opened;
// it goes out as it stands, once.
TEST(CodeConverterTest, AnAsciiRunWithEscapesThatFillsTheBufferEndsItsWord)
{
    const std::string escapes(75, '\x1b');
    // The empty word and its fold are what nkf writes before it recurses.
    EXPECT_EQ(convert(escapes, CC::MIME, CC::EUC), "=?US-ASCII?Q?" "?=  " + escapes);
    const std::string mixed = "ab" + escapes.substr(0, 40) + std::string(40, 'c');
    const std::string result = convert(mixed, CC::MIME, CC::EUC);
    EXPECT_EQ(std::count(result.begin(), result.end(), '\x1b'), 40) << result;
    EXPECT_EQ(std::count(result.begin(), result.end(), 'c'), 40) << result;
}

TEST(CodeConverterTest, EmbeddedNulEndsTheText)
{
    const std::string text("あい\0うえ", 9);
    EXPECT_EQ(convert(text, CC::SJIS, CC::EUC), "\x82\xA0\x82\xA2");
    EXPECT_EQ(convert(text, CC::JIS, CC::EUC), "\x1B$B$\"$$\x1B(B");
    // The NUL is not encoded into a base64 result.
    EXPECT_EQ(convert(std::string("abc\0", 4), CC::BASE64, CC::EUC), "YWJj");
}

TEST(CodeConverterTest, DecodedNulEndsTheResult)
{
    // "a", NUL, "b" in base64.
    EXPECT_EQ(convert("YQBi", CC::EUC, CC::BASE64), "a");
}

TEST(CodeConverterTest, EmptyTextGivesEmptyResult)
{
    for (const int out : {CC::JIS, CC::EUC, CC::SJIS, CC::MIME, CC::BASE64, CC::UTF8})
        EXPECT_EQ(convert("", out, CC::EUC), "") << out;
    CodeConverter converter;
    EXPECT_EQ(converter.convert(CC::SJIS, CC::EUC), "");
}

TEST(CodeConverterTest, OutputBeyondFiveTimesTheInputPlus1024IsDropped)
{
    // Each line "あ" becomes a whole MIME word: ten bytes for every byte.
    std::string text;
    for (int i = 0; i < 400; ++i)
        text += "あ\n";
    const std::size_t capacity = 5 * text.size() + 1024;
    const std::string result = convert(text, CC::MIME, CC::EUC);

    std::string full;
    codec::Request request;
    request.input = codec::Charset::Euc;
    request.outputTransfer = codec::Transfer::Mime;
    ASSERT_EQ(codec::convert(text, request, full), 0);
    ASSERT_GT(full.size(), capacity);
    EXPECT_EQ(result, withoutFolds(full.substr(0, capacity)));
}

TEST(CodeConverterTest, LaterCodeBitsOverrideEarlierOnes)
{
    const std::string euc = "あ";
    // MIME and base64 output are ISO-2022-JP whatever came before them...
    EXPECT_EQ(convert(euc, CC::SJIS | CC::MIME, CC::EUC), "=?ISO-2022-JP?B?GyRCJCIbKEI=?=");
    EXPECT_EQ(convert(euc, CC::MIME | CC::BASE64, CC::EUC), "GyRCJCIbKEI=");
    // ...and UTF-8 comes after them.
    EXPECT_EQ(convert(euc, CC::MIME | CC::UTF8, CC::EUC), "=?UTF-8?B?44GC?=");
    EXPECT_EQ(convert(euc, CC::EUC | CC::SJIS, CC::EUC), "\x82\xA0");
    EXPECT_EQ(convert(euc, 0, CC::EUC), "\x1B$B$\"\x1B(B");
    EXPECT_EQ(convert("\x82\xA0", CC::EUC, CC::EUC | CC::SJIS), euc);
}

TEST(CodeConverterTest, UnlabelledInputIsGuessed)
{
    EXPECT_EQ(convert("\x82\xA0\x82\xA2", CC::EUC, 0), "あい");
    EXPECT_EQ(convert("あい", CC::SJIS, 0), "\x82\xA0\x82\xA2");
    EXPECT_EQ(convert(fromUtf8(u8"あい"), CC::EUC, 0), "あい");
    EXPECT_EQ(convert("\x1B$B$\"$$\x1B(B", CC::EUC, 0), "あい");
}

TEST(CodeConverterTest, SuccessiveConversionsAreIndependent)
{
    CodeConverter converter("漢字");
    EXPECT_EQ(converter.convert(CC::SJIS, CC::EUC), "\x8A\xBF\x8E\x9A");
    converter.setInputText("\x8A\xBF\x8E\x9A");
    EXPECT_EQ(converter.convert(CC::EUC, CC::SJIS), "漢字");
    converter.setInputText("漢字");
    EXPECT_EQ(converter.convert(CC::SJIS, CC::EUC), "\x8A\xBF\x8E\x9A");
}

struct BadInputCase {
    const char* what;
    std::string input;
    int outputCode;
    int inputCode;
    std::string expected;
};

class BadInputTest : public ::testing::TestWithParam<BadInputCase> {};

TEST_P(BadInputTest, DropsWhatIsNoCharacterAndKeepsTheRest)
{
    const BadInputCase& c = GetParam();
    EXPECT_EQ(convert(c.input, c.outputCode, c.inputCode), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    CodeConverterTest, BadInputTest,
    ::testing::Values(
        BadInputCase{"EUC text cut in half a character", "あ\xA4", CC::SJIS, CC::EUC, "\x82\xA0"},
        BadInputCase{"Shift_JIS text cut after a lead byte", "\x82\xA0\x82", CC::EUC, CC::SJIS, "あ"},
        BadInputCase{"EUC lead byte before ASCII", "\xB0" "a", CC::SJIS, CC::EUC, "a"},
        BadInputCase{"lone EUC kana prefix", "\x8E", CC::SJIS, CC::EUC, ""},
        BadInputCase{"Shift_JIS byte that leads nothing", "\xFD" "b\x80", CC::EUC, CC::SJIS, "b"},
        BadInputCase{"broken UTF-8", "\xE3\x81" "c", CC::EUC, CC::UTF8, "c"},
        BadInputCase{"ISO-2022-JP cut in a two-byte run", "\x1B$B$", CC::EUC, CC::JIS, ""},
        BadInputCase{"base64 with stray characters", "Y!Q*=", CC::EUC, CC::BASE64, "a"},
        BadInputCase{"MIME word with an unknown charset", "=?KOI8-R?B?YQ==?=", CC::EUC, CC::MIME,
                     "=?KOI8-R?B?YQ==?="},
        BadInputCase{"unterminated MIME word", "=?ISO-2022-JP?B?GyRC", CC::EUC, CC::MIME,
                     "=?ISO-2022-JP?B?GyRC"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(CodeConverterTest, CharactersWithoutACellBecomeTheGetaMark)
{
    // Shift_JIS user-defined area, and JIS X 0212 in EUC-JP.
    EXPECT_EQ(convert("\xF0\x40", CC::EUC, CC::SJIS), "〓");
    EXPECT_EQ(convert("\x8F\xB0\xA1", CC::SJIS, CC::EUC), "\x81\xAC");
    // U+1F600 has no code page 932 form.
    EXPECT_EQ(convert(fromUtf8(u8"a\U0001F600b"), CC::EUC, CC::UTF8), "a〓b");
}

TEST(CodeConverterTest, Utf8LegsFollowCodePage932)
{
    // ～ (A1C1) is U+FF5E in code page 932, and both wave dashes read back as A1C1.
    EXPECT_EQ(convert("～", CC::UTF8, CC::EUC), fromUtf8(u8"\uFF5E"));
    EXPECT_EQ(convert(fromUtf8(u8"\uFF5E\u301C"), CC::EUC, CC::UTF8), "～～");
    EXPECT_EQ(convert(fromUtf8(u8"\uFF5E"), CC::SJIS, CC::UTF8), "\x81\x60");
}

TEST(CodeConverterTest, IbmExtensionsReadAsTheirNecSelectedCells)
{
    // 髙 is FBFC among the IBM extensions and EEE0 among the NEC-selected ones.
    EXPECT_EQ(convert("\xFB\xFC", CC::EUC, CC::SJIS), "\xFC\xE2");
    EXPECT_EQ(convert("\xFC\xE2", CC::SJIS, CC::EUC), "\xEE\xE0");
    // Ⅰ (FA4A) is a NEC row 13 character.
    EXPECT_EQ(convert("\xFA\x4A", CC::EUC, CC::SJIS), "\xAD\xB5");
}

TEST(CodeConverterTest, ConversionsOfDifferentConvertersNeverInterleave)
{
    std::atomic<bool> done{false};
    platform::ConversionMutex::instance().lock();
    std::thread other([&] {
        CodeConverter converter("漢字");
        converter.convert(CC::SJIS, CC::EUC);
        done = true;
    });
    usleep(100 * 1000);
    EXPECT_FALSE(done) << "a conversion ran while another held the lock";
    platform::ConversionMutex::instance().unlock();
    other.join();
    EXPECT_TRUE(done);
}

TEST(CodeConverterTest, ConcurrentConvertersGiveTheirOwnResults)
{
    const std::string text = eucCells(16, 47);
    const std::string expected = convert(text, CC::SJIS, CC::EUC);
    std::atomic<int> wrong{0};
    auto work = [&] {
        CodeConverter converter(text);
        for (int i = 0; i < 20; ++i) {
            if (converter.convert(CC::SJIS, CC::EUC) != expected)
                ++wrong;
        }
    };
    std::thread a(work);
    std::thread b(work);
    a.join();
    b.join();
    EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace quibo
