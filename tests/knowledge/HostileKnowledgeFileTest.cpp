// Knowledge files come from URLs: every damaged or hand-crafted file must
// load as 0 or -1, never crash, leak or hand out a pointer of the wrong
// class.  Run under the sanitizers to see the memory side.
#include "knowledge/CDictionary.h"

#include "knowledge/CdrWriter.h"
#include "knowledge/Entity.h"
#include "knowledge/KnowledgeFile.h"
#include "knowledge/MeanDictionaryBody.h"
#include "knowledge/ParsedText.h"
#include "knowledge/ReplyTable.h"
#include "knowledge/Topic.h"
#include "knowledge/TopicTitle.h"
#include "platform/Clock.h"
#include "tests/support/KnowledgeSamples.h"
#include "tests/support/SmallStack.h"
#include "tools/KnowledgeDump.h"

#include <gtest/gtest.h>

#include <iostream>
#include <random>
#include <sstream>
#include <streambuf>

namespace quibo {
namespace {

using test::loadBytes;

// A payload written element by element, members in stream order.
class Payload {
public:
    Payload() { out.writeByteOrder(); }

    // Writes members up to and including `last` empty.
    void emptyUntil(int last)
    {
        for (; member <= last; ++member) {
            if (member == 12 || member == 15 || member == 18) {
                out.writeInt32(0);
            } else if (member == 20) {
                newObject();
                CdrBody<MeanDictionary>::write(MeanDictionary(), out);
            } else if (member == 22 || member == 23) {
                out.writeBytes(nullptr, 0);
            } else {
                out.writeCount(0);
            }
        }
    }
    // A member written by the test: its count of entries and the first key,
    // value to follow.
    void oneEntry(int which, const std::string& key, std::uint32_t count = 1)
    {
        emptyUntil(which - 1);
        out.writeCount(count);
        out.writeString(key);
        member = which + 1;
    }
    void newObject()
    {
        out.writeOctet(1);
        out.writeInt32(0);
    }
    void reference(std::int32_t number)
    {
        out.writeOctet(1);
        out.writeInt32(number);
    }
    // An entity body without title, sets or topics.
    void entityBody(std::int32_t type = knowledge_type::ENTITY)
    {
        out.writeInt32(type);
        out.writeOctet(0);
        out.writeString("");
        out.writeInt32(0);
        for (int count = 0; count < 8; ++count)
            out.writeCount(0);
    }
    // An entity up to the binding of its title's one word, and what follows
    // that binding.
    void entityHead()
    {
        out.writeInt32(knowledge_type::ENTITY);
        newObject();
        out.writeString("t");
        out.writeString("");
        out.writeCount(1);
        for (int k = 0; k < 3; ++k)
            out.writeString("w");
        for (int k = 0; k < 3; ++k)
            out.writeInt32(0);
        out.writeString("");
    }
    void entityTail()
    {
        out.writeInt32(0);
        out.writeInt32(0);
        out.writeOctet(0);
        out.writeOctet(0);
        out.writeString("");
        out.writeInt32(0);
        for (int count = 0; count < 8; ++count)
            out.writeCount(0);
    }
    // An entity whose title's one word is bound to a further entity, `hops`
    // times over: two levels of nesting per hop.  Written without recursion:
    // every head, then every tail.
    void entityChain(int hops)
    {
        for (int hop = 0; hop <= hops; ++hop) {
            entityHead();
            if (hop < hops)
                newObject();
        }
        out.writeOctet(0);
        for (int hop = 0; hop <= hops; ++hop)
            entityTail();
    }
    // An entity whose title's one word is bound to the object carried under
    // `number`.
    void entityWithBoundWord(std::int32_t number)
    {
        entityHead();
        reference(number);
        entityTail();
    }
    // An entity titled `name` (a text of no words), its topics to follow.
    void titledEntity(const std::string& name)
    {
        out.writeInt32(knowledge_type::ENTITY);
        newObject();
        out.writeString(name);
        out.writeString("");
        out.writeCount(0);
        out.writeString("");
        out.writeInt32(0);
        for (int count = 0; count < 7; ++count)
            out.writeCount(0);
    }
    // A topic title in the older form, without words or owner: its centre
    // index holds the keys.
    void olderTitle(const std::vector<std::string>& keys)
    {
        out.writeInt32(topic_title_type::X_A_N);
        for (int list = 0; list < 6; ++list)
            out.writeCount(0);
        for (int octet = 0; octet < 4; ++octet)
            out.writeOctet(0);
        out.writeInt32(0);
        out.writeString("");
        out.writeInt32(0);
        out.writeInt32(0);
        out.writeOctet(0);
        out.writeCount(keys.size());
        for (const std::string& key : keys)
            out.writeString(key);
        out.writeString("");
        out.writeInt32(0);
        out.writeOctet(0);
    }
    std::string file(std::string_view version = KNOWLEDGE_FILE_VERSION)
    {
        emptyUntil(23);
        std::string bytes(version);
        bytes.resize(KNOWLEDGE_HEADER_SIZE, '\0');
        bytes.append(reinterpret_cast<const char*>(out.bytes().data()), out.bytes().size());
        return bytes;
    }

    CdrWriter out{std::size_t{1} << 26};
    int member = 1;
};

// Loads quietly; the reason for a failure is returned in `why`.
int load(CDictionary& dictionary, const std::string& bytes, std::string* why = nullptr)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int result = loadBytes(dictionary, bytes);
    testing::internal::GetCapturedStdout();
    const std::string error = testing::internal::GetCapturedStderr();
    if (why)
        *why = error;
    return result;
}

// Everything that walks a loaded base, so that a bad pointer shows; the
// printed dumps only when asked, as they are the slow part.
void walk(CDictionary& dictionary, bool dumps = true)
{
    if (dumps) {
        testing::internal::CaptureStdout();
        dictionary.dump("");
        for (const auto& [name, topic] : dictionary.topics())
            if (topic)
                topic->dump(name);
        testing::internal::GetCapturedStdout();
        EXPECT_FALSE(dumpKnowledgeBase(dictionary).empty());
    }
    for (const auto& [id, title] : dictionary.idMap()) {
        for (const std::string& form : {id, id + "_0", id + "_2", id + "_1_x_" + id, std::string()}) {
            TopicTitle* object = nullptr;
            int index = 0;
            std::vector<TopicTitle*> titles;
            dictionary.resolveId(form, object, index, titles);
        }
    }
    for (const ReplyTable* table : dictionary.replyTables()) {
        if (!table)
            continue;
        for (const auto& [letter, group] : table->groups())
            for (const ReplyEntry& entry : group.entries())
                entry.joinNames();
    }
}

TEST(HostileKnowledgeFileTest, ReferenceToAnObjectOfAnotherClassFails)
{
    Payload payload;
    payload.oneEntry(1, "a");
    payload.newObject();
    payload.entityBody();
    payload.oneEntry(2, "b");
    payload.reference(1);  // the entity, where a predicative is declared
    CDictionary dictionary;
    std::string why;
    EXPECT_EQ(load(dictionary, payload.file(), &why), -1);
    EXPECT_NE(why.find("object 1 was carried as"), std::string::npos) << why;
    EXPECT_TRUE(dictionary.entities().empty());
    EXPECT_EQ(dictionary.arena().size(), 0u);

    // A plain knowledge-object pointer may name it.
    Payload plain;
    plain.oneEntry(1, "a");
    plain.newObject();
    plain.entityBody();
    plain.oneEntry(10, "a");
    plain.reference(1);
    CDictionary accepted;
    ASSERT_EQ(load(accepted, plain.file()), 0);
    EXPECT_EQ(accepted.termIndex().begin()->second, accepted.entities().begin()->second);
}

TEST(HostileKnowledgeFileTest, ObjectsUnderSeveralKeysAreDestroyedOnce)
{
    // One entity under two names, and in the term index as well.
    Payload payload;
    payload.oneEntry(1, "a", 2);
    payload.newObject();
    payload.entityBody();
    payload.out.writeString("b");
    payload.reference(1);
    payload.member = 2;
    payload.oneEntry(10, "c");
    payload.reference(1);
    auto dictionary = std::make_unique<CDictionary>();
    ASSERT_EQ(load(*dictionary, payload.file()), 0);
    EXPECT_EQ(dictionary->entities().size(), 2u);
    EXPECT_EQ(dictionary->arena().size(), 1u);
    dictionary.reset();  // the sanitizers watch for a second deletion

    // A title listed by two topics of a compiled base.
    std::unique_ptr<CDictionary> base = test::compileSmall();
    TopicTitle* shared = base->topics().at("時間")->titles().titles()[0];
    base->topics().at("挨拶")->addTitle(shared);
    CDictionary loaded;
    ASSERT_EQ(load(loaded, test::fileBytes(*base)), 0);
    EXPECT_EQ(loaded.topics().at("挨拶")->titles().titles().back(),
              loaded.topics().at("時間")->titles().titles()[0]);
}

TEST(HostileKnowledgeFileTest, NumbersOfNoObjectCarriedBeforeFail)
{
    for (std::int32_t number : {1, 7, -1, INT32_MIN}) {
        Payload payload;
        payload.oneEntry(1, "a");
        payload.reference(number);
        CDictionary dictionary;
        std::string why;
        EXPECT_EQ(load(dictionary, payload.file(), &why), -1) << number;
        EXPECT_NE(why.find("names no object"), std::string::npos) << why;
    }
}

TEST(HostileKnowledgeFileTest, AWordBindingNamesAKnowledgeObjectOrTheLoadFails)
{
    // The objects: 1 the entity, 2 its title (whose word is bound), 3 a
    // parsed text of member 4, 4 the meaning dictionary (read and destroyed),
    // 5 a topic title of member 21.  A word's number may name an object
    // carried before or after it, so numbers from 3 on are settled only at
    // the end of the stream.
    struct Case {
        std::int32_t number;
        const char* why;  // empty: the load succeeds
    };
    for (const Case& c : {Case{1, ""}, Case{1000, "names no object carried"},
                          Case{-1, "names no object carried before"}, Case{2, "carried as quibo::ParsedText"},
                          Case{3, "carried as quibo::ParsedText"}, Case{4, "carried as quibo::MeanDictionary"},
                          Case{5, "carried as quibo::TopicTitle"}}) {
        Payload payload;
        payload.oneEntry(1, "a");
        payload.newObject();
        payload.entityWithBoundWord(c.number);
        payload.oneEntry(4, "p");
        payload.newObject();
        payload.out.writeString("p");
        payload.out.writeString("");
        payload.out.writeCount(0);
        payload.oneEntry(21, "id");
        payload.newObject();
        payload.olderTitle({});  // no centres: the same octets in the current form
        CDictionary dictionary;
        std::string why;
        const int result = load(dictionary, payload.file(), &why);
        if (*c.why == '\0') {
            ASSERT_EQ(result, 0) << why;
            const Entity* entity = dictionary.findByName("a", false);
            ASSERT_NE(entity, nullptr);
            EXPECT_EQ(entity->getTitle()->morphemes().words()[0].getKnowledgeObject(), entity);
            continue;
        }
        EXPECT_EQ(result, -1) << c.number;
        EXPECT_NE(why.find(c.why), std::string::npos) << c.number << ": " << why;
        EXPECT_EQ(dictionary.arena().size(), 0u) << c.number;
        EXPECT_TRUE(dictionary.entities().empty()) << c.number;
    }
}

TEST(HostileKnowledgeFileTest, MeaningDictionaryMemberMustBeANewObject)
{
    // Member 20 naming the entity of member 1: destroying it would destroy
    // the entity the map holds.
    Payload payload;
    payload.oneEntry(1, "a");
    payload.newObject();
    payload.entityBody();
    payload.emptyUntil(19);
    payload.reference(1);
    payload.member = 21;
    CDictionary dictionary;
    std::string why;
    EXPECT_EQ(load(dictionary, payload.file(), &why), -1);
    EXPECT_NE(why.find("where a new object must"), std::string::npos) << why;

    // Absent altogether, it is simply not there.
    Payload absent;
    absent.emptyUntil(19);
    absent.out.writeOctet(0);
    absent.member = 21;
    CDictionary loaded;
    EXPECT_EQ(load(loaded, absent.file()), 0);
}

TEST(HostileKnowledgeFileTest, DeepNestingLoadsOnASmallStack)
{
    // 100,000 hops nest 200,000 objects; the load runs on a 256 KB stack.
    Payload deep;
    deep.oneEntry(1, "a");
    deep.newObject();
    deep.entityChain(100000);
    const std::string file = deep.file();
    int result = 1;
    std::size_t objects = 0;
    ASSERT_TRUE(test::runOnSmallStack([&] {
        CDictionary dictionary;
        result = load(dictionary, file);
        objects = dictionary.arena().size();
    }));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(objects, 200002u);
}

// An older file in which `entities` entities all list one topic, whose one
// title names every one of them in its centre index.
std::string olderSharedTitle(int entities)
{
    CDictionary base;
    Topic* topic = base.addTopic("t", std::make_unique<Topic>());
    TopicTitle* title = base.adoptTitle(std::make_unique<TopicTitle>(topic, nullptr));
    topic->addTitle(title);
    for (int k = 0; k < entities; ++k) {
        const std::string name = "e" + std::to_string(k);
        Entity* entity = base.addEntity(
            name, std::make_unique<Entity>(base.putParsedText(name, MorphemeList(), name), 0));
        entity->addTopic(topic);
        title->addCentre(entity);
    }
    return test::fileBytes(base, "/Quibo2.5/");
}

TEST(HostileKnowledgeFileTest, OlderFilesRestoreCentresInLinearTime)
{
    // Hand-built: two entities list one topic, whose title's centre index
    // names both, an unknown name and the empty name.
    Payload payload;
    payload.oneEntry(1, "a", 2);
    payload.newObject();
    payload.titledEntity("a");  // 1, its title 2
    payload.out.writeCount(1);
    payload.newObject();  // the topic, 3
    payload.out.writeCount(1);
    payload.newObject();  // its title, 4
    payload.olderTitle({"", "a", "b", "ghost"});
    payload.out.writeInt32(0);
    payload.out.writeOctet(0);
    payload.out.writeString("b");
    payload.newObject();
    payload.titledEntity("b");
    payload.out.writeCount(1);
    payload.reference(3);
    payload.member = 2;
    CDictionary small;
    ASSERT_EQ(load(small, payload.file("/Quibo2.5/")), 0);
    const TopicTitle* title = small.findByName("a", false)->topics()[0]->titles().titles()[0];
    EXPECT_EQ(title->getCentres(), (std::vector<KnowledgeObject*>{small.findByName("a", false),
                                                                   small.findByName("b", false)}));
    walk(small);

    // 3,000 entities sharing one title: every entity lists the title's topic
    // and the title names them all.  Restored once, the title takes
    // milliseconds; restored per entity with a linear look-up per centre, it
    // took minutes, time enough for one file to stall its host.
    const std::string older = olderSharedTitle(3000);
    CDictionary large;
    const std::int64_t started = platform::clock().elapsedMillis();
    ASSERT_EQ(load(large, older), 0);
    EXPECT_LT(platform::clock().elapsedMillis() - started, 10000);
    EXPECT_EQ(large.topics().at("t")->titles().titles()[0]->getCentres().size(), 3000u);
    EXPECT_EQ(test::fileBytes(large, "/Quibo2.5/"), older);
    setKnowledgeVersionText(KNOWLEDGE_FILE_VERSION);
}

TEST(HostileKnowledgeFileTest, TypeCodesMustAgreeWithTheClass)
{
    struct Case {
        int member;
        std::int32_t type;
    };
    // An entity, a predicative, a thesaurus and a plain object carrying the
    // code of another class.
    for (const Case& c : {Case{1, knowledge_type::PREDICATIVE}, Case{2, knowledge_type::PREDICATIVE_SYNONYMS},
                          Case{3, knowledge_type::ENTITY}, Case{10, knowledge_type::ENTITY},
                          Case{10, knowledge_type::ENTITY_SYNONYMS}}) {
        Payload payload;
        payload.oneEntry(c.member, "a");
        payload.newObject();
        payload.out.writeInt32(c.type);
        payload.out.writeOctet(0);
        payload.out.writeString("");
        for (int count = 0; count < 9; ++count)
            payload.out.writeInt32(0);
        CDictionary dictionary;
        std::string why;
        EXPECT_EQ(load(dictionary, payload.file(), &why), -1) << c.member;
        EXPECT_NE(why.find("type code"), std::string::npos) << why;
    }
}

// A stream that claims a size it does not hold.
class ClaimingBuffer : public std::streambuf {
public:
    explicit ClaimingBuffer(std::streamoff size) : m_size(size)
    {
        setg(m_bytes, m_bytes, m_bytes + sizeof m_bytes);
    }

protected:
    pos_type seekoff(off_type offset, std::ios_base::seekdir dir, std::ios_base::openmode) override
    {
        const std::streamoff base = dir == std::ios_base::end ? m_size
                                    : dir == std::ios_base::cur ? m_position
                                                                 : 0;
        return seekpos(pos_type(base + offset), std::ios_base::in);
    }
    pos_type seekpos(pos_type position, std::ios_base::openmode) override
    {
        m_position = position;
        // Only the first octets exist; reading beyond them ends the stream.
        const std::streamoff at = std::min<std::streamoff>(m_position, sizeof m_bytes);
        setg(m_bytes, m_bytes + at, m_bytes + sizeof m_bytes);
        return position;
    }

private:
    std::streamoff m_size;
    std::streamoff m_position = 0;
    char m_bytes[64] = "/Quibo3.0/";
};

TEST(HostileKnowledgeFileTest, SizesAreCheckedBeforeAndAfterReading)
{
    ClaimingBuffer huge(static_cast<std::streamoff>(KNOWLEDGE_PAYLOAD_LIMIT + KNOWLEDGE_HEADER_SIZE + 1));
    std::istream hugeIn(&huge);
    CDictionary dictionary;
    testing::internal::CaptureStderr();
    EXPECT_EQ(dictionary.internalizePData(hugeIn, "huge", ""), -1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("exceeds the limit"), std::string::npos);

    ClaimingBuffer shortOne(1000);
    std::istream shortIn(&shortOne);
    testing::internal::CaptureStderr();
    EXPECT_EQ(dictionary.internalizePData(shortIn, "short", ""), -1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("could not be read whole"), std::string::npos);
}

TEST(HostileKnowledgeFileTest, StatedNullsAreKeptAndSkippedByEveryWalker)
{
    std::unique_ptr<CDictionary> base = test::compileSmall();
    Topic* topic = base->topics().at("時間");
    topic->addTitle(nullptr);
    TopicTitle* title = topic->titles().titles()[0];
    title->addCentre(nullptr);
    base->addEntity("無", nullptr);
    base->addIdTitle("無", nullptr);
    base->addTerm("無", nullptr);
    ReplyTable* table = topic->getReplyTable();
    ReplyEntry& entry = table->groups()['d'].entries()[0];
    entry.names().insert(nullptr);
    entry.titleRefs().push_back(nullptr);
    base->findByName("時間", false)->addTopic(nullptr);
    base->findByName("時間", false)->addRelated(nullptr);
    const std::string bytes = test::fileBytes(*base);

    CDictionary loaded;
    ASSERT_EQ(load(loaded, bytes), 0);
    EXPECT_EQ(loaded.entities().find("無")->second, nullptr);
    EXPECT_EQ(loaded.topics().at("時間")->titles().titles().back(), nullptr);
    walk(loaded);
    EXPECT_EQ(test::fileBytes(loaded), bytes);
}

TEST(HostileKnowledgeFileTest, TruncationsOfTheSampleFail)
{
    const std::string bytes = test::readFile(test::sampleKnowledgePath());
    ASSERT_GT(bytes.size(), KNOWLEDGE_HEADER_SIZE);
    int loaded = 0;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    // Every cut in the first 4 KB and the last 256 bytes, every 16th between:
    // each load reads up to its cut, so all cuts of the whole base would take
    // minutes under the sanitizers.
    const auto next = [&](std::size_t size) {
        return size < 4096 || size + 256 >= bytes.size() ? size + 1 : size + 16;
    };
    for (std::size_t size = 0; size < bytes.size(); size = next(size)) {
        CDictionary dictionary;
        loaded += loadBytes(dictionary, bytes.substr(0, size)) == 0 ? 1 : 0;
        if (dictionary.arena().size() != 0 || !dictionary.entities().empty())
            ADD_FAILURE() << "a failed load kept objects at size " << size;
    }
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(loaded, 0);
}

TEST(HostileKnowledgeFileTest, SeededByteFlipsLoadOrFailCleanly)
{
    const std::string bytes = test::readFile(test::sampleKnowledgePath());
    ASSERT_GT(bytes.size(), KNOWLEDGE_HEADER_SIZE);
    std::mt19937 random(20261208);
    std::uniform_int_distribution<std::size_t> offset(KNOWLEDGE_HEADER_SIZE, bytes.size() - 1);
    std::uniform_int_distribution<int> octet(0, 255);
    std::uniform_int_distribution<int> flips(1, 4);
    int loaded = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string damaged = bytes;
        for (int k = flips(random); k > 0; --k)
            damaged[offset(random)] = static_cast<char>(octet(random));
        CDictionary dictionary;
        const int result = load(dictionary, damaged);
        ASSERT_TRUE(result == 0 || result == -1);
        if (result == 0) {
            ++loaded;
            walk(dictionary, loaded % 10 == 1);
        }
    }
    // Most flips land in text or flag octets and still load.
    EXPECT_GT(loaded, 0);
}

}  // namespace
}  // namespace quibo
