// Encodes an object stream into one memory block: a leading byte-order
// octet, primitives aligned to their own size in little-endian order,
// strings and byte blocks as a uint32 length and their octets, containers as
// a uint32 count and their elements, and pointers to stored classes as a
// presence octet and an object number (0 = the body follows).  Every octet
// of the output is written explicitly, padding as 0, so the same objects
// always give the same bytes.  The block grows as the stream does, up to the
// writer's limit; nesting costs no machine stack (CdrTask.h).
#pragma once

#include "knowledge/CdrBody.h"
#include "knowledge/CdrTask.h"
#include "knowledge/MemBuffer.h"
#include "knowledge/ObjectRefTable.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace quibo {

// The default limit of a stream: larger ones cannot be written.
inline constexpr std::size_t CDR_WRITE_BUFFER_SIZE = 104857600;

class CdrWriter {
public:
    // When a block cannot be allocated (at first or while growing), prints
    // the time stamp and "SYSTEM_ERROR can not allocate memory for
    // internalization!" on standard output and throws std::bad_alloc.  The
    // stream may grow to `limit` octets and carry maxObjects objects, as the
    // reader it is meant for accepts.
    explicit CdrWriter(std::size_t limit = CDR_WRITE_BUFFER_SIZE, std::int32_t maxObjects = CDR_MAX_OBJECTS);
    CdrWriter(const CdrWriter&) = delete;
    CdrWriter& operator=(const CdrWriter&) = delete;

    // The byte-order octet (1, little-endian) at position 0.  Called once,
    // before anything else.
    void writeByteOrder();

    // n writable octets after the zeroed alignment padding for n (n of 2, 4
    // or 8 is aligned to n).  Throws mem_buffer::buffer_overflow_error when
    // padding and value would pass the limit.
    std::uint8_t* reserve(std::size_t n);

    void writeOctet(std::uint8_t value);
    void writeBool(bool value) { writeOctet(value ? 1 : 0); }
    void writeChar(char value) { writeOctet(static_cast<std::uint8_t>(value)); }
    void writeInt16(std::int16_t value);
    void writeInt32(std::int32_t value);
    void writeUInt32(std::uint32_t value);

    // Aligned uint32 length, then the octets as they are (no terminator).
    void writeString(const char* text, std::size_t length);
    void writeString(std::string_view text) { writeString(text.data(), text.size()); }
    // A byte block: the same layout as a string.
    void writeBytes(const void* data, std::size_t length);

    // The uint32 count of a container.
    void writeCount(std::size_t count);

    // A container: its count, then element(item, *this) for each item in
    // iteration order.
    template <class Range, class Element>
    void writeSequence(const Range& range, Element&& element)
    {
        writeCount(std::size(range));
        for (const auto& item : range) element(item, *this);
    }

    // A pointer to a stored class T (the declared class of the member):
    // octet 0 for null; else octet 1 and the object's number when the
    // stream already carries it, or number 0, registration under the next
    // number and CdrBody<T>::write.  Throws CdrStreamError when the object
    // was carried before as a class that T is not a stored base of (the
    // reader would refuse the reference) or when it would be one object too
    // many.
    //
    // writeObject writes the whole object before it returns: for pointers
    // outside any body.  Inside a body coroutine, `co_await out.object(p)`
    // does the same without nesting on the machine stack.
    template <class T>
    void writeObject(const T* object)
    {
        CdrTask body;
        beginObject(object, body);
        if (body)
            m_work.run(std::move(body));
    }

    class BodyAwait {
    public:
        explicit BodyAwait(CdrTask body) : m_body(std::move(body)) {}
        bool await_ready() const { return !m_body; }
        void await_suspend(CdrTask::Handle awaiting) { awaiting.promise().work->push(m_body.release()); }
        void await_resume() const {}

    private:
        CdrTask m_body;
    };

    template <class T>
    BodyAwait object(const T* object)
    {
        CdrTask body;
        beginObject(object, body);
        return BodyAwait(std::move(body));
    }

    // A pointer declared as T to an object of any class with Referable among
    // its stored bases (CdrReader::link reads it).  A T new to the stream
    // is carried here; an object carried before is its number; an object of
    // another class that the stream has not carried yet gets the number it
    // is carried under later.  When the stream never carries it,
    // unsettledLinks() names it after writing: the caller then restarts and
    // writes the stream again, and the pointer becomes null.
    template <class T, class Referable>
    BodyAwait link(const Referable* object)
    {
        CdrTask body;
        if (!object || m_unlinkable.contains(ObjectRefTable::identityOf(*object))) {
            writeOctet(0);
        } else if (const std::int32_t number = m_refs.numberOf(*object); number != 0) {
            writeOctet(1);
            writeInt32(number);
        } else if (const T* typed = dynamic_cast<const T*>(object)) {
            beginObject(typed, body);
        } else {
            writeOctet(1);
            reserve(4);
            m_pendingLinks[ObjectRefTable::identityOf(*object)].push_back(position() - 4);
        }
        return BodyAwait(std::move(body));
    }

    // Objects that link() named and the stream never carried.
    std::vector<const void*> unsettledLinks() const;
    // Empties the stream and its numbering; links to the objects that were
    // unsettled are written null from now on.
    void restart();

    // The octets produced so far: the payload to store.
    std::span<const std::uint8_t> bytes() const { return {m_storage.get(), m_position}; }
    std::size_t position() const { return m_position; }
    std::uint8_t byteOrder() const { return m_byteOrder; }
    ObjectRefTable& refs() { return m_refs; }

private:
    template <class T>
    void beginObject(const T* object, CdrTask& body)
    {
        if (!object) {
            writeOctet(0);
            return;
        }
        writeOctet(1);
        const std::int32_t number = m_refs.numberOf(*object);
        writeInt32(number);
        if (number != 0)
            return;
        settleLinksTo(ObjectRefTable::identityOf(*object), m_refs.enterWritten(*object));
        if constexpr (std::is_void_v<decltype(CdrBody<T>::write(*object, *this))>)
            CdrBody<T>::write(*object, *this);
        else
            body = CdrBody<T>::write(*object, *this);
    }

    std::uint8_t* produce(std::size_t padding, std::size_t n);
    void grow(std::size_t needed);
    void writeLengthAndOctets(const void* data, std::size_t length);
    void settleLinksTo(const void* identity, std::int32_t number);

    std::unique_ptr<std::uint8_t[]> m_storage;
    std::size_t m_capacity = 0;
    std::size_t m_position = 0;
    std::size_t m_limit;
    std::int32_t m_maxObjects;
    std::uint8_t m_byteOrder = 1;
    ObjectRefTable m_refs;
    CdrWork m_work;
    // Octet offsets of link numbers still to fill in, by object.
    std::unordered_map<const void*, std::vector<std::size_t>> m_pendingLinks;
    std::unordered_set<const void*> m_unlinkable;
};

}  // namespace quibo
