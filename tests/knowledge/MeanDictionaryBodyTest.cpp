#include "knowledge/MeanDictionaryBody.h"

#include "knowledge/CdrReader.h"
#include "knowledge/CdrWriter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quibo {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes toBytes(std::span<const std::uint8_t> span)
{
    return Bytes(span.begin(), span.end());
}

void ints(CdrWriter& out, std::initializer_list<int> values)
{
    out.writeCount(values.size());
    for (int value : values) out.writeInt32(value);
}

void words(CdrWriter& out, std::initializer_list<std::string> values)
{
    out.writeCount(values.size());
    for (const std::string& value : values) out.writeString(value);
}

void emptyCondition(CdrWriter& out)
{
    out.writeInt32(0);
    out.writeString("＊");
    for (int k = 0; k < 3; ++k) out.writeCount(0);
    out.writeString("");
    out.writeCount(0);
    out.writeCount(0);
}

void emptyTerm(CdrWriter& out)
{
    out.writeString("＊");
    out.writeCount(0);
    out.writeCount(0);
    ints(out, {256});
    out.writeString("");
    out.writeCount(0);
    out.writeCount(0);
}

// A stored dictionary written field by field, the way a knowledge file holds
// it: every member filled, map keys ascending, equal keys of the multimaps in
// an order that differs from their values' order.
Bytes storedDictionary()
{
    CdrWriter out(1 << 16);
    out.writeByteOrder();
    out.writeOctet(1);  // presence
    out.writeInt32(0);  // new object
    out.writeCount(2);  // rules
    // Rule 0: the five ints go out as DCA, pca, I, E, POS code, V, M.
    out.writeInt32(0x100);
    ints(out, {7, 8});
    out.writeInt32(11);        // I
    out.writeInt32(12);        // E
    out.writeInt32(0x200000);  // POS code
    out.writeInt32(13);        // V
    out.writeInt32(14);        // M
    out.writeString("意味");
    out.writeString("犬");
    out.writeInt32(3);  // meaning element: unit
    out.writeString("BT");
    ints(out, {0x200000});
    out.writeCount(1);
    ints(out, {1, 2});
    ints(out, {256});
    out.writeString("犬/猫");
    words(out, {"犬", "猫"});
    out.writeCount(1);
    words(out, {"黒い", "犬"});
    emptyCondition(out);
    emptyCondition(out);
    out.writeString("X_term");
    ints(out, {0x100000});
    out.writeCount(0);
    ints(out, {256});
    out.writeString("走る");
    words(out, {"走る"});
    out.writeCount(0);
    emptyTerm(out);
    // Rule 1: defaults throughout.
    out.writeInt32(0x200);
    ints(out, {});
    for (int k = 0; k < 5; ++k) out.writeInt32(0);
    out.writeString("");
    out.writeString("＊");
    for (int k = 0; k < 3; ++k) emptyCondition(out);
    emptyTerm(out);
    emptyTerm(out);

    out.writeCount(2);  // POS map, keys ascending (EUC-JP 動 < 名)
    out.writeString("動詞");
    out.writeInt32(0x100000);
    out.writeString("名詞");
    out.writeInt32(0x200000);
    out.writeCount(1);  // DCA definitions
    out.writeString("NUM");
    out.writeInt32(0x10000000);
    out.writeInt32(2);
    out.writeInt32(3);
    out.writeInt32(4);
    words(out, {"の", "こと"});  // no-meaning words
    out.writeCount(1);           // form table
    out.writeString("タ形");
    out.writeInt32(5);
    out.writeCount(1);  // variable cache
    out.writeString("$X");
    out.writeString("犬/猫");
    for (int index = 0; index < MeanDictionary::WORD_INDEX_COUNT; ++index) {
        if (index == MeanDictionary::TextIndex) {
            out.writeCount(3);
            for (auto [key, rule, word] : {std::tuple{"犬", 1, 0}, {"犬", 0, 2}, {"猫", 0, 1}}) {
                out.writeString(key);
                out.writeInt32(rule);
                out.writeInt32(word);
            }
        } else if (index == MeanDictionary::BaseFormIndex) {
            out.writeCount(1);
            out.writeString("走る");
            out.writeInt32(1);
            out.writeInt32(1);
        } else {
            out.writeCount(0);
        }
    }
    out.writeCount(2);  // POS index, one key twice
    for (auto [rule, word] : {std::pair{1, 3}, {0, 0}}) {
        out.writeInt32(0x200000);
        out.writeInt32(rule);
        out.writeInt32(word);
    }
    words(out, {"犬", "猫"});  // first characters
    out.writeInt32(4);
    out.writeInt32(2);
    return toBytes(out.bytes());
}

const MeanDictionary* readDictionary(const Bytes& payload, ObjectArena& arena)
{
    CdrReader in(payload, arena);
    in.readByteOrder();
    return in.readObject<MeanDictionary>();
}

Bytes writeDictionary(const MeanDictionary& dictionary)
{
    CdrWriter out(1 << 16);
    out.writeByteOrder();
    out.writeObject(&dictionary);
    return toBytes(out.bytes());
}

TEST(MeanDictionaryBodyTest, NewDictionaryStoresEmptyMembersAndItsTwoBounds)
{
    const MeanDictionary empty;
    Bytes expected = {1, 1, 0, 0, 0, 0, 0, 0};  // byte order, presence, padding, number 0
    for (int member = 1; member <= 14; ++member) expected.insert(expected.end(), {0, 0, 0, 0});
    expected.insert(expected.end(), {0, 0, 0, 0, 10, 0, 0, 0});  // longest 0, shortest 10
    EXPECT_EQ(writeDictionary(empty), expected);
}

TEST(MeanDictionaryBodyTest, StoredDictionaryReadsMemberByMember)
{
    const Bytes payload = storedDictionary();
    ObjectArena arena;
    const MeanDictionary* dictionary = readDictionary(payload, arena);
    ASSERT_NE(dictionary, nullptr);

    ASSERT_EQ(dictionary->rules().size(), 2u);
    const MeanRule& rule = dictionary->rules()[0];
    EXPECT_EQ(rule.dcaCode, 0x100);
    EXPECT_EQ(rule.pcaCodes, (std::vector<int>{7, 8}));
    EXPECT_EQ(rule.flagI, 11);
    EXPECT_EQ(rule.flagE, 12);
    EXPECT_EQ(rule.representativePosCode, 0x200000);
    EXPECT_EQ(rule.flagV, 13);
    EXPECT_EQ(rule.flagM, 14);
    EXPECT_EQ(rule.meaningInfo, "意味");
    EXPECT_EQ(rule.representativeWord, "犬");
    EXPECT_EQ(rule.meaningElement.unit, 3);
    EXPECT_EQ(rule.meaningElement.position, "BT");
    EXPECT_EQ(rule.meaningElement.posSequences, (std::vector<std::vector<int>>{{1, 2}}));
    EXPECT_EQ(rule.meaningElement.words, (std::vector<std::string>{"犬", "猫"}));
    EXPECT_EQ(rule.meaningElement.wordSequences, (std::vector<std::vector<std::string>>{{"黒い", "犬"}}));
    EXPECT_FALSE(rule.frontCondition.isPresent());
    EXPECT_EQ(rule.frontTerm.variableName, "X_term");
    EXPECT_EQ(rule.frontTerm.cueText, "走る");
    EXPECT_EQ(rule.backTerm.conjugationForms, std::vector<int>{256});
    EXPECT_EQ(dictionary->rules()[1].dcaCode, 0x200);

    EXPECT_EQ(dictionary->posCodes().at("名詞"), 0x200000);
    EXPECT_EQ(dictionary->dcaDefinitions(), (std::vector<DcaDefinition>{{"NUM", 0x10000000, 2, 3, 4}}));
    EXPECT_EQ(dictionary->noMeaningWords(), (std::vector<std::string>{"の", "こと"}));
    EXPECT_EQ(dictionary->formTable(), (std::vector<ConjugationFormEntry>{{"タ形", 5}}));
    EXPECT_EQ(dictionary->variableCache().at("$X"), "犬/猫");

    // Equal keys keep the stream's order, not their values' order.
    const auto& text = dictionary->wordIndex(MeanDictionary::TextIndex);
    std::vector<WordRef> dogs;
    for (auto [it, end] = text.equal_range("犬"); it != end; ++it) dogs.push_back(it->second);
    EXPECT_EQ(dogs, (std::vector<WordRef>{{1, 0}, {0, 2}}));
    EXPECT_EQ(dictionary->wordIndex(MeanDictionary::BaseFormIndex).size(), 1u);
    EXPECT_TRUE(dictionary->wordIndex(MeanDictionary::NumRearrIndex).empty());
    std::vector<WordRef> nouns;
    for (auto [it, end] = dictionary->posIndex().equal_range(0x200000); it != end; ++it)
        nouns.push_back(it->second);
    EXPECT_EQ(nouns, (std::vector<WordRef>{{1, 3}, {0, 0}}));

    EXPECT_EQ(dictionary->firstCharacters(), (std::set<std::string>{"犬", "猫"}));
    EXPECT_EQ(dictionary->longestTextLength(), 4);
    EXPECT_EQ(dictionary->shortestTextLength(), 2);
}

TEST(MeanDictionaryBodyTest, ReadDictionaryWritesBackTheSameBytes)
{
    const Bytes payload = storedDictionary();
    ObjectArena arena;
    const MeanDictionary* dictionary = readDictionary(payload, arena);
    ASSERT_NE(dictionary, nullptr);
    EXPECT_EQ(writeDictionary(*dictionary), payload);
    // A second save of the same dictionary gives the same bytes.
    EXPECT_EQ(writeDictionary(*dictionary), payload);
}

TEST(MeanDictionaryBodyTest, MemberAfterTheDictionaryIsFoundRightAfterIt)
{
    CdrWriter out(1 << 16);
    out.writeByteOrder();
    const MeanDictionary empty;
    out.writeObject(&empty);
    out.writeInt32(0x21212121);
    ObjectArena arena;
    CdrReader in(out.bytes(), arena);
    in.readByteOrder();
    ASSERT_NE(in.readObject<MeanDictionary>(), nullptr);
    EXPECT_EQ(in.readInt32(), 0x21212121);
    EXPECT_EQ(in.remaining(), 0u);
}

TEST(MeanDictionaryBodyTest, TruncatedDictionaryFailsAtEveryLength)
{
    const Bytes payload = storedDictionary();
    for (std::size_t length = 1; length < payload.size(); ++length) {
        const Bytes cut(payload.begin(), payload.begin() + static_cast<std::ptrdiff_t>(length));
        ObjectArena arena;
        EXPECT_THROW(readDictionary(cut, arena), mem_buffer::buffer_overflow_error) << length;
    }
}

TEST(MeanDictionaryBodyTest, RuleCountBeyondTheStreamIsRefusedBeforeReading)
{
    CdrWriter out(64);
    out.writeByteOrder();
    out.writeOctet(1);
    out.writeInt32(0);
    out.writeUInt32(0x7FFFFFFF);
    const Bytes payload = toBytes(out.bytes());
    ObjectArena arena;
    try {
        readDictionary(payload, arena);
        FAIL() << "no overflow";
    } catch (const mem_buffer::buffer_overflow_error& error) {
        EXPECT_STREQ(error.what(), "XTL mem_buffer overflow");
        EXPECT_EQ(error.available(), 0);
    }
}

}  // namespace
}  // namespace quibo
