// Feeds arbitrary bytes to the object-stream reader as a run of records that
// use every kind of stream element: each primitive, strings, byte blocks,
// sequences, sets and multimaps, pointers with back-references (including
// references through a base-class pointer and references of the wrong
// class), self-references and nesting.  Whatever the bytes, reading must end
// normally or with one of the reader's exceptions, and every pointer it hands
// out must stay valid while the arena lives.
#include "knowledge/CdrReader.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace quibo {
namespace {

struct Shape {
    virtual ~Shape() = default;
    std::int32_t kind = 0;
};

struct Circle : Shape {
    std::int32_t radius = 0;
    std::string label;
};

struct Record {
    std::int32_t id = 0;
    std::int16_t small = 0;
    bool flag = false;
    char letter = 0;
    std::string name;
    std::vector<std::uint8_t> blob;
    Record* next = nullptr;
    std::vector<Shape*> shapes;
    std::set<std::string> tags;
    std::multimap<std::string, Record*> links;
    Circle* circle = nullptr;
};

}  // namespace

template <>
struct CdrStoredBase<Circle> {
    using type = Shape;
};

template <>
struct CdrBody<Shape> {
    static void read(Shape& shape, CdrReader& in) { shape.kind = in.readInt32(); }
};

template <>
struct CdrBody<Circle> {
    static void read(Circle& circle, CdrReader& in)
    {
        circle.kind = in.readInt32();
        circle.radius = in.readInt32();
        circle.label = in.readString();
    }
};

// Records nest through `next` and `links`: their body runs from the
// reader's work stack, however deep the input nests them.
template <>
struct CdrBody<Record> {
    static CdrTask read(Record& record, CdrReader& in)
    {
        record.id = in.readInt32();
        record.small = in.readInt16();
        record.flag = in.readBool();
        record.letter = in.readChar();
        record.name = in.readString();
        record.blob = in.readBytes();
        record.next = co_await in.object<Record>();
        in.readSequence([&](CdrReader& r) { record.shapes.push_back(r.readObject<Shape>()); });
        in.readSequence([&](CdrReader& r) { record.tags.insert(r.readString()); }, 4);
        for (std::uint32_t k = in.readCount(5); k > 0; --k) {
            std::string key = in.readString();
            Record* linked = co_await in.object<Record>();
            record.links.emplace(std::move(key), linked);
        }
        record.circle = in.readObject<Circle>();
    }
};

namespace {

// Touches everything reachable, so that a dangling pointer shows; a chain
// of any length is walked without recursion.
std::size_t weigh(const Record* start, std::set<const Record*>& seen)
{
    std::size_t weight = 0;
    std::vector<const Record*> pending{start};
    while (!pending.empty()) {
        const Record* record = pending.back();
        pending.pop_back();
        if (!record || !seen.insert(record).second) continue;
        weight += static_cast<std::size_t>(record->id) + record->name.size() + record->blob.size() +
                  record->tags.size();
        for (const Shape* shape : record->shapes)
            if (shape) weight += static_cast<std::size_t>(shape->kind);
        if (record->circle) weight += record->circle->label.size();
        for (const auto& link : record->links) pending.push_back(link.second);
        pending.push_back(record->next);
    }
    return weight;
}

}  // namespace
}  // namespace quibo

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    quibo::ObjectArena arena;
    quibo::CdrReader in({data, size}, arena);
    std::vector<quibo::Record*> records;
    try {
        in.readByteOrder();
        while (in.remaining() > 0) records.push_back(in.readObject<quibo::Record>());
    } catch (const std::exception&) {
        // A damaged stream: what was read so far must still be sound.
    }
    std::set<const quibo::Record*> seen;
    volatile std::size_t weight = 0;
    for (const quibo::Record* record : records) weight = weight + quibo::weigh(record, seen);
    return 0;
}
