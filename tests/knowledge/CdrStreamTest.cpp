#include "knowledge/CdrReader.h"
#include "knowledge/CdrWriter.h"

#include "analysis/TimeStamp.h"
#include "platform/Clock.h"

#include "tests/support/SmallStack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace quibo {
namespace {

// Small stored classes standing in for the knowledge model.
struct Leaf {
    std::int32_t value = 0;
    std::string text;
};

struct Node {
    std::int32_t id = 0;
    Node* partner = nullptr;
    std::vector<Leaf*> leaves;
};

struct Shape {
    virtual ~Shape() = default;
    std::int32_t kind = 0;
};

struct Circle : Shape {
    std::int32_t radius = 0;
};

}  // namespace

template <>
struct CdrStoredBase<Circle> {
    using type = Shape;
};

template <>
struct CdrBody<Leaf> {
    static void write(const Leaf& leaf, CdrWriter& out)
    {
        out.writeInt32(leaf.value);
        out.writeString(leaf.text);
    }
    static void read(Leaf& leaf, CdrReader& in)
    {
        leaf.value = in.readInt32();
        leaf.text = in.readString();
    }
};

// Nodes chain through their partners: their bodies run from the work stack.
template <>
struct CdrBody<Node> {
    static CdrTask write(const Node& node, CdrWriter& out)
    {
        out.writeInt32(node.id);
        co_await out.object(node.partner);
        out.writeSequence(node.leaves, [](const Leaf* leaf, CdrWriter& w) { w.writeObject(leaf); });
    }
    static CdrTask read(Node& node, CdrReader& in)
    {
        node.id = in.readInt32();
        node.partner = co_await in.object<Node>();
        in.readSequence([&](CdrReader& r) { node.leaves.push_back(r.readObject<Leaf>()); });
    }
};

template <>
struct CdrBody<Shape> {
    static void write(const Shape& shape, CdrWriter& out) { out.writeInt32(shape.kind); }
    static void read(Shape& shape, CdrReader& in) { shape.kind = in.readInt32(); }
};

template <>
struct CdrBody<Circle> {
    static void write(const Circle& circle, CdrWriter& out)
    {
        out.writeInt32(circle.kind);
        out.writeInt32(circle.radius);
    }
    static void read(Circle& circle, CdrReader& in)
    {
        circle.kind = in.readInt32();
        circle.radius = in.readInt32();
    }
};

namespace {

using Bytes = std::vector<std::uint8_t>;

// "01 00 ff" -> {0x01, 0x00, 0xff}; blanks and '|' only separate.
Bytes hex(const std::string& text)
{
    Bytes bytes;
    std::string digits;
    for (char c : text) {
        if (c == ' ' || c == '|') continue;
        digits += c;
        if (digits.size() == 2) {
            bytes.push_back(static_cast<std::uint8_t>(std::stoul(digits, nullptr, 16)));
            digits.clear();
        }
    }
    return bytes;
}

Bytes bytesOf(const CdrWriter& out)
{
    return Bytes(out.bytes().begin(), out.bytes().end());
}

// A writer with room for the tests' streams (the real block is 100 MB).
CdrWriter smallWriter()
{
    return CdrWriter(1 << 16);
}

TEST(CdrWriterTest, Int32AfterAnOctetIsPaddedToPositionFour)
{
    CdrWriter out(64);
    out.writeByteOrder();
    out.writeOctet(0xAA);
    out.writeInt32(0x11223344);
    EXPECT_EQ(bytesOf(out), hex("01 AA 00 00 | 44 33 22 11"));

    ObjectArena arena;
    Bytes stream = bytesOf(out);
    CdrReader in(stream, arena);
    in.readByteOrder();
    EXPECT_EQ(in.readOctet(), 0xAA);
    EXPECT_EQ(in.readInt32(), 0x11223344);
    EXPECT_EQ(in.remaining(), 0u);
}

TEST(CdrWriterTest, LengthAfterFiveOctetStringIsPaddedFrom17To20)
{
    CdrWriter out(64);
    out.writeByteOrder();
    out.writeInt32(7);
    out.writeString("abcde");  // length at 8, text at 12-16
    out.writeString("");
    EXPECT_EQ(bytesOf(out), hex("01 00 00 00 | 07 00 00 00 | 05 00 00 00 | 61 62 63 64 65 | 00 00 00 |"
                                "00 00 00 00"));

    ObjectArena arena;
    Bytes stream = bytesOf(out);
    CdrReader in(stream, arena);
    in.readByteOrder();
    EXPECT_EQ(in.readInt32(), 7);
    EXPECT_EQ(in.readString(), "abcde");
    EXPECT_EQ(in.readString(), "");
    EXPECT_EQ(in.remaining(), 0u);
}

TEST(CdrWriterTest, Int16IsAlignedToTwoAndOctetsAreNot)
{
    CdrWriter out(64);
    out.writeByteOrder();
    out.writeInt16(-2);  // at 2
    out.writeBool(true);
    out.writeChar('x');  // at 4, 5
    out.writeInt16(0x1234);
    EXPECT_EQ(bytesOf(out), hex("01 00 FE FF | 01 78 34 12"));
}

TEST(CdrWriterTest, NullPointerIsTheSingleOctetZero)
{
    CdrWriter out(64);
    out.writeByteOrder();
    out.writeObject<Leaf>(nullptr);
    EXPECT_EQ(bytesOf(out), hex("01 00"));

    ObjectArena arena;
    Bytes stream = bytesOf(out);
    CdrReader in(stream, arena);
    in.readByteOrder();
    EXPECT_EQ(in.readObject<Leaf>(), nullptr);
    EXPECT_EQ(in.remaining(), 0u);
    EXPECT_EQ(arena.size(), 0u);
}

TEST(CdrStreamTest, LongStringsReadBackIdentically)
{
    // Both sides of the 1,024-octet boundary, with every octet value.
    for (std::size_t length : {std::size_t{1024}, std::size_t{1025}, std::size_t{70000}}) {
        SCOPED_TRACE(length);
        std::string text(length, '\0');
        for (std::size_t k = 0; k < length; ++k) text[k] = static_cast<char>(k * 7 + 3);

        CdrWriter out(1 << 17);
        out.writeByteOrder();
        out.writeString(text);
        Bytes stream = bytesOf(out);
        ASSERT_EQ(stream.size(), 4 + 4 + length);
        EXPECT_EQ(Bytes(stream.begin(), stream.begin() + 8),
                  (Bytes{1, 0, 0, 0, static_cast<std::uint8_t>(length),
                         static_cast<std::uint8_t>(length >> 8),
                         static_cast<std::uint8_t>(length >> 16), 0}));
        EXPECT_EQ(std::string(stream.begin() + 8, stream.end()), text);

        ObjectArena arena;
        CdrReader in(stream, arena);
        in.readByteOrder();
        EXPECT_EQ(in.readString(), text);
        EXPECT_EQ(in.remaining(), 0u);
    }
}

// Octets handed out as a streamed reader asks for them.
class BytesSource : public mem_buffer::Source {
public:
    explicit BytesSource(const Bytes& bytes, std::size_t ends = SIZE_MAX) : m_bytes(bytes), m_ends(ends) {}
    void fill(std::uint8_t* into, std::size_t n) override
    {
        if (m_at + n > std::min(m_ends, m_bytes.size()))
            throw std::runtime_error("the source ended");
        std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_at), n, into);
        m_at += n;
        ++fills;
    }
    int fills = 0;

private:
    const Bytes& m_bytes;
    std::size_t m_ends;
    std::size_t m_at = 0;
};

TEST(CdrStreamTest, StreamedPayloadReadsAsTheWholeOne)
{
    // Leaves of every string length up to 40 cross the window's edges at
    // every alignment; a string longer than the window comes between them.
    std::vector<Leaf> leaves;
    for (int k = 0; k < 20000; ++k) leaves.push_back({k, std::string(static_cast<std::size_t>(k % 41), 'a' + k % 26)});
    const std::string huge(600000, 'h');
    CdrWriter out(1 << 21);
    out.writeByteOrder();
    for (std::size_t k = 0; k < leaves.size(); ++k) {
        out.writeObject(&leaves[k]);
        if (k == 9000)
            out.writeString(huge);
        out.writeOctet(static_cast<std::uint8_t>(k));
    }
    const Bytes stream = bytesOf(out);
    ASSERT_GT(stream.size(), 3u * 256 * 1024);

    // Whether everything read back as written.
    auto readAll = [&](CdrReader& in) {
        bool same = true;
        in.readByteOrder();
        for (std::size_t k = 0; k < leaves.size(); ++k) {
            const Leaf* leaf = in.readObject<Leaf>();
            same = same && leaf && leaf->value == leaves[k].value && leaf->text == leaves[k].text;
            if (k == 9000)
                same = same && in.readString() == huge;
            same = same && in.readOctet() == static_cast<std::uint8_t>(k);
        }
        return same;
    };
    ObjectArena arena;
    BytesSource source(stream);
    CdrReader in(source, stream.size(), arena);
    EXPECT_TRUE(readAll(in));
    EXPECT_EQ(in.remaining(), 0u);
    EXPECT_EQ(in.position(), stream.size());
    EXPECT_GT(source.fills, 2);

    // A claim beyond the streamed payload overflows with the same numbers
    // as over the whole payload, wherever the window stands.
    const Bytes claim = hex("01 00 00 00 | 06 00 00 00 | 61 62 63");
    BytesSource claimSource(claim);
    CdrReader claiming(claimSource, claim.size(), arena);
    claiming.readByteOrder();
    try {
        claiming.readString();
        ADD_FAILURE() << "no overflow";
    } catch (const mem_buffer::buffer_overflow_error& e) {
        EXPECT_EQ(e.available(), 3);
        EXPECT_EQ(e.requested(), 6);
    }

    // A source that ends before the size it was given fails the read.
    BytesSource ending(stream, 300000);
    CdrReader cut(ending, stream.size(), arena);
    EXPECT_THROW(readAll(cut), std::runtime_error);
}

TEST(CdrStreamTest, ByteBlocksRoundTrip)
{
    CdrWriter out(64);
    out.writeByteOrder();
    const std::uint8_t block[] = {0, 0xFF, 0x80, 7, 9};
    out.writeBytes(block, sizeof block);
    out.writeBytes(nullptr, 0);
    EXPECT_EQ(bytesOf(out), hex("01 00 00 00 | 05 00 00 00 | 00 FF 80 07 09 | 00 00 00 | 00 00 00 00"));

    ObjectArena arena;
    Bytes stream = bytesOf(out);
    CdrReader in(stream, arena);
    in.readByteOrder();
    EXPECT_EQ(in.readBytes(), Bytes(block, block + sizeof block));
    EXPECT_TRUE(in.readBytes().empty());
}

TEST(CdrStreamTest, ObjectPointedToTwiceIsCarriedOnceAndReadAsOne)
{
    Leaf leaf{5, "ab"};
    Node node;
    node.id = 7;
    node.leaves = {&leaf, &leaf};

    CdrWriter out = smallWriter();
    out.writeByteOrder();
    out.writeObject(&node);
    EXPECT_EQ(bytesOf(out), hex("01 | 01 00 00 | 00 00 00 00 |"  // node: new
                                "07 00 00 00 | 00 |"              // id, no partner
                                "00 00 00 | 02 00 00 00 |"        // two leaves
                                "01 00 00 00 | 00 00 00 00 | 05 00 00 00 | 02 00 00 00 | 61 62 |"
                                "01 00 | 02 00 00 00"));          // the leaf again: number 2

    ObjectArena arena;
    Bytes stream = bytesOf(out);
    CdrReader in(stream, arena);
    in.readByteOrder();
    Node* read = in.readObject<Node>();
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->id, 7);
    EXPECT_EQ(read->partner, nullptr);
    ASSERT_EQ(read->leaves.size(), 2u);
    ASSERT_NE(read->leaves[0], nullptr);
    EXPECT_EQ(read->leaves[0], read->leaves[1]);
    EXPECT_EQ(read->leaves[0]->value, 5);
    EXPECT_EQ(read->leaves[0]->text, "ab");
    EXPECT_EQ(arena.size(), 2u);
}

TEST(CdrStreamTest, ObjectPointingBackToItselfIsABackReference)
{
    Node node;
    node.id = 3;
    node.partner = &node;

    CdrWriter out = smallWriter();
    out.writeByteOrder();
    out.writeObject(&node);
    EXPECT_EQ(bytesOf(out), hex("01 | 01 00 00 | 00 00 00 00 | 03 00 00 00 | 01 00 00 00 | 01 00 00 00 |"
                                "00 00 00 00"));

    ObjectArena arena;
    Bytes stream = bytesOf(out);
    CdrReader in(stream, arena);
    in.readByteOrder();
    Node* read = in.readObject<Node>();
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->partner, read);
}

TEST(CdrStreamTest, BigEndianStreamReadsIntoTheSameValues)
{
    // One record in both byte orders: an octet, an int16, an int32, a
    // string, and a node whose two leaves are one object.
    Leaf leaf{-100, ""};
    Node node;
    node.id = -1;
    node.leaves = {&leaf, &leaf};
    CdrWriter out = smallWriter();
    out.writeByteOrder();
    out.writeOctet(9);
    out.writeInt16(0x1234);
    out.writeInt32(0x55667788);
    out.writeString("xyz");
    out.writeObject(&node);
    const Bytes little = bytesOf(out);
    EXPECT_EQ(little, hex("01 | 09 | 34 12 | 88 77 66 55 | 03 00 00 00 | 78 79 7A |"
                          "01 | 00 00 00 00 | FF FF FF FF | 00 | 00 00 00 | 02 00 00 00 |"
                          "01 00 00 00 | 00 00 00 00 | 9C FF FF FF | 00 00 00 00 |"
                          "01 00 00 00 | 02 00 00 00"));
    const Bytes big = hex("00 | 09 | 12 34 | 55 66 77 88 | 00 00 00 03 | 78 79 7A |"
                          "01 | 00 00 00 00 | FF FF FF FF | 00 | 00 00 00 | 00 00 00 02 |"
                          "01 00 00 00 | 00 00 00 00 | FF FF FF 9C | 00 00 00 00 |"
                          "01 00 00 00 | 00 00 00 02");
    for (const Bytes* stream : {&little, &big}) {
        SCOPED_TRACE(stream == &big ? "big-endian" : "little-endian");
        ObjectArena arena;
        CdrReader in(*stream, arena);
        in.readByteOrder();
        EXPECT_EQ(in.readOctet(), 9);
        EXPECT_EQ(in.readInt16(), 0x1234);
        EXPECT_EQ(static_cast<std::uint32_t>(in.readInt32()), 0x55667788u);
        EXPECT_EQ(in.readString(), "xyz");
        Node* node = in.readObject<Node>();
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->id, -1);
        ASSERT_EQ(node->leaves.size(), 2u);
        ASSERT_NE(node->leaves[0], nullptr);
        EXPECT_EQ(node->leaves[0], node->leaves[1]);
        EXPECT_EQ(node->leaves[0]->value, -100);
        EXPECT_EQ(node->leaves[0]->text, "");
        EXPECT_EQ(in.remaining(), 0u);
    }
}

TEST(CdrStreamTest, AnyNonZeroOctetReadsAsTrue)
{
    const Bytes stream = hex("01 00 01 02 FF");
    ObjectArena arena;
    CdrReader in(stream, arena);
    in.readByteOrder();
    EXPECT_FALSE(in.readBool());
    EXPECT_TRUE(in.readBool());
    EXPECT_TRUE(in.readBool());
    EXPECT_TRUE(in.readBool());
}

// A stream that is shorter than it claims fails with both numbers.
struct OverflowCase {
    const char* what;
    const char* stream;
    std::int32_t available;
    std::int32_t requested;
};

void readAllAsClaimed(CdrReader& in, const std::string& what)
{
    in.readByteOrder();
    if (what == "count") {
        in.readSequence([](CdrReader& r) { r.readOctet(); });
    } else if (what == "count of int32s") {
        in.readSequence([](CdrReader& r) { r.readInt32(); }, 4);
    } else if (what == "string") {
        in.readString();
    } else if (what == "bytes") {
        in.readBytes();
    } else if (what == "int32") {
        in.readInt32();
    } else if (what == "byte order") {
        in.readByteOrder();
    }
}

TEST(CdrStreamTest, ClaimsBeyondThePayloadOverflowWithBothNumbers)
{
    const OverflowCase cases[] = {
        {"count", "01 00 00 00 | E8 03 00 00 | 00 00", 2, 1000},
        {"count of int32s", "01 00 00 00 | 03 00 00 00 | 00 00 00 00 00 00 00 00", 8, 12},
        {"count", "01 00 00 00 | FF FF FF FF", 0, std::numeric_limits<std::int32_t>::max()},
        {"string", "01 00 00 00 | 06 00 00 00 | 61 62 63", 3, 6},
        {"string", "01 00 00 00 | FF FF FF FF | 61", 1, std::numeric_limits<std::int32_t>::max()},
        {"bytes", "01 00 00 00 | 00 00 00 80", 0, std::numeric_limits<std::int32_t>::max()},
        {"int32", "01 00 00", 2, 7},  // padding counts as requested
        {"byte order", "01", 0, 1},
    };
    for (const OverflowCase& c : cases) {
        SCOPED_TRACE(std::string(c.what) + ": " + c.stream);
        const Bytes stream = hex(c.stream);
        ObjectArena arena;
        CdrReader in(stream, arena);
        try {
            readAllAsClaimed(in, c.what);
            ADD_FAILURE() << "no overflow";
        } catch (const mem_buffer::buffer_overflow_error& e) {
            EXPECT_STREQ(e.what(), "XTL mem_buffer overflow");
            EXPECT_EQ(e.available(), c.available);
            EXPECT_EQ(e.requested(), c.requested);
        }
    }
}

TEST(CdrStreamTest, OverflowIsAStandardOverflowError)
{
    const Bytes empty;
    ObjectArena arena;
    CdrReader in(empty, arena);
    EXPECT_THROW(in.readByteOrder(), std::overflow_error);
}

TEST(CdrStreamTest, EveryTruncationOfAStreamFailsCleanly)
{
    Leaf first{1, "first"};
    Leaf second{2, std::string(40, 'z')};
    Node a, b;
    a.id = 10;
    a.partner = &b;
    a.leaves = {&first, &second, &first};
    b.id = 20;
    b.partner = &a;
    b.leaves = {&second};

    CdrWriter out = smallWriter();
    out.writeByteOrder();
    out.writeObject(&a);
    out.writeObject(&b);
    const Bytes whole = bytesOf(out);

    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        SCOPED_TRACE(cut);
        const Bytes part(whole.begin(), whole.begin() + cut);
        ObjectArena arena;
        CdrReader in(part, arena);
        EXPECT_THROW(
            {
                in.readByteOrder();
                in.readObject<Node>();
                in.readObject<Node>();
            },
            mem_buffer::buffer_overflow_error);
    }

    ObjectArena arena;
    CdrReader in(whole, arena);
    in.readByteOrder();
    Node* readA = in.readObject<Node>();
    Node* readB = in.readObject<Node>();
    ASSERT_NE(readA, nullptr);
    EXPECT_EQ(readA->partner, readB);
    EXPECT_EQ(readB->partner, readA);
    EXPECT_EQ(readA->leaves[0], readA->leaves[2]);
    EXPECT_EQ(readB->leaves[0], readA->leaves[1]);
    EXPECT_EQ(readB->leaves[0]->text, std::string(40, 'z'));
    EXPECT_EQ(arena.size(), 4u);
}

TEST(CdrStreamTest, NumberOfNoObjectYetReadsAsNull)
{
    const Bytes stream = hex("01 | 01 00 00 | 05 00 00 00 | 01 00 00 00 | FF FF FF FF");
    ObjectArena arena;
    CdrReader in(stream, arena);
    in.readByteOrder();
    EXPECT_EQ(in.readObject<Leaf>(), nullptr);
    EXPECT_EQ(in.readObject<Leaf>(), nullptr);
}

TEST(CdrStreamTest, NumberOfAnObjectOfAnotherClassFailsTheRead)
{
    // Object 1 is a Leaf; a Node pointer then names it.
    const Bytes stream = hex("01 | 01 00 00 | 00 00 00 00 | 04 00 00 00 | 00 00 00 00 |"
                             "01 00 00 00 | 01 00 00 00");
    ObjectArena arena;
    CdrReader in(stream, arena);
    in.readByteOrder();
    ASSERT_NE(in.readObject<Leaf>(), nullptr);
    try {
        in.readObject<Node>();
        ADD_FAILURE() << "a Leaf was handed out as a Node";
    } catch (const CdrStreamError& e) {
        EXPECT_NE(std::string(e.what()).find("object 1 was carried as"), std::string::npos) << e.what();
    }
}

TEST(CdrStreamTest, BasePointerMayNameAnObjectCarriedAsTheDerivedClass)
{
    Circle circle;
    circle.kind = 1;
    circle.radius = 9;
    CdrWriter out = smallWriter();
    out.writeByteOrder();
    out.writeObject<Circle>(&circle);
    out.writeObject<Shape>(&circle);
    EXPECT_EQ(bytesOf(out), hex("01 | 01 00 00 | 00 00 00 00 | 01 00 00 00 | 09 00 00 00 |"
                                "01 00 00 00 | 01 00 00 00"));

    ObjectArena arena;
    Bytes stream = bytesOf(out);
    CdrReader in(stream, arena);
    in.readByteOrder();
    Circle* readCircle = in.readObject<Circle>();
    Shape* readShape = in.readObject<Shape>();
    ASSERT_NE(readCircle, nullptr);
    EXPECT_EQ(readShape, static_cast<Shape*>(readCircle));
    EXPECT_EQ(readCircle->radius, 9);
}

TEST(CdrStreamTest, NewObjectMetThroughABasePointerIsTheBaseClass)
{
    // Carried first through a Shape pointer, the circle is stored and read as
    // a plain Shape; a Circle pointer naming it afterwards cannot be honoured.
    const Bytes stream = hex("01 | 01 00 00 | 00 00 00 00 | 01 00 00 00 | 01 00 00 00 | 01 00 00 00");
    ObjectArena arena;
    CdrReader in(stream, arena);
    in.readByteOrder();
    Shape* shape = in.readObject<Shape>();
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(dynamic_cast<Circle*>(shape), nullptr);
    EXPECT_THROW(in.readObject<Circle>(), CdrStreamError);

    // The writer refuses to produce that stream in the first place.
    Circle circle;
    CdrWriter out = smallWriter();
    out.writeByteOrder();
    out.writeObject<Shape>(&circle);
    EXPECT_THROW(out.writeObject<Circle>(&circle), CdrStreamError);
}

// Bytes of a chain of `depth` nodes, each the partner of the one before,
// built without recursion; the last one's partner is null, or object
// `closing` when that is given.
Bytes nodeChain(int depth, std::int32_t closing = 0)
{
    CdrWriter out(static_cast<std::size_t>(depth) * 20 + 16);
    out.writeByteOrder();
    for (int k = 0; k < depth; ++k) {
        out.writeOctet(1);
        out.writeInt32(0);
        out.writeInt32(k);
    }
    out.writeOctet(closing != 0 ? 1 : 0);
    if (closing != 0)
        out.writeInt32(closing);
    for (int k = 0; k < depth; ++k) out.writeUInt32(0);
    return bytesOf(out);
}

TEST(CdrStreamTest, DepthCostsNoMachineStackAndObjectsAreBounded)
{
    // 200,000 nodes, each nested in the body of the one before, both ways
    // on a 256 KB stack.
    constexpr int DEPTH = 200000;
    std::vector<Node> chain(DEPTH);
    for (int k = 0; k < DEPTH; ++k) {
        chain[k].id = k;
        chain[k].partner = k + 1 < DEPTH ? &chain[k + 1] : &chain[0];
    }
    Bytes written;
    std::size_t nesting = 0;
    Node* first = nullptr;
    ObjectArena arena;
    ASSERT_TRUE(test::runOnSmallStack([&] {
        CdrWriter out(std::size_t{1} << 24);
        out.writeByteOrder();
        out.writeObject(&chain[0]);
        written = bytesOf(out);
        CdrReader in(written, arena);
        in.readByteOrder();
        first = in.readObject<Node>();
        nesting = in.deepestNesting();
    }));
    EXPECT_EQ(written, nodeChain(DEPTH, 1));
    EXPECT_EQ(nesting, static_cast<std::size_t>(DEPTH));
    ASSERT_EQ(arena.size(), static_cast<std::size_t>(DEPTH));
    EXPECT_EQ(first->partner->partner->id, 2);

    // The bound is on objects, on both sides.
    const Bytes eleven = nodeChain(11);
    ObjectArena small;
    CdrReader in(eleven, small, 10);
    in.readByteOrder();
    EXPECT_THROW(in.readObject<Node>(), CdrStreamError);
    EXPECT_EQ(small.size(), 10u);
    CdrWriter out(1 << 12, 10);
    out.writeByteOrder();
    EXPECT_THROW(out.writeObject(&chain[DEPTH - 11]), CdrStreamError);
}

TEST(CdrWriterTest, WritingPastTheBlockOverflowsWithBothNumbers)
{
    CdrWriter out(6);
    out.writeByteOrder();
    try {
        out.writeInt32(1);
        ADD_FAILURE() << "no overflow";
    } catch (const mem_buffer::buffer_overflow_error& e) {
        EXPECT_STREQ(e.what(), "XTL mem_buffer overflow");
        EXPECT_EQ(e.available(), 5);
        EXPECT_EQ(e.requested(), 7);
    }
}

TEST(CdrWriterTest, SameObjectsGiveTheSameBytes)
{
    auto write = [] {
        Leaf leaves[3] = {{1, "a"}, {2, "b"}, {3, "c"}};
        Node node;
        node.leaves = {&leaves[2], &leaves[0], &leaves[1], &leaves[0]};
        CdrWriter out = smallWriter();
        out.writeByteOrder();
        out.writeObject(&node);
        return bytesOf(out);
    };
    EXPECT_EQ(write(), write());
}

TEST(CdrWriterTest, UnallocatableBlockIsReportedAndThrown)
{
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer ends the process on an impossible allocation instead
    // of letting it fail; the optimised build covers this path.
    GTEST_SKIP();
#endif
    platform::FakeClock fake;
    fake.setWallMillis(1804230489LL * 1000);
    platform::ScopedClock pinned(fake);
    testing::internal::CaptureStdout();
    bool threw = false;
    CdrWriter out(std::numeric_limits<std::size_t>::max());
    out.writeByteOrder();
    try {
        out.reserve(std::numeric_limits<std::size_t>::max() / 2);  // the block cannot grow that far
    } catch (const std::bad_alloc&) {
        threw = true;
    }
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(threw);
    EXPECT_EQ(printed,
              currentTimeStamp() + "SYSTEM_ERROR can not allocate memory for internalization!\n");
}

}  // namespace
}  // namespace quibo
