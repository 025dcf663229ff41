// Decodes an object stream from a payload held in memory or streamed from a
// source a window at a time (mem_buffer).  The payload is untrusted: every
// value, length and count is checked against the octets that remain before
// anything is allocated or copied, object numbers are checked against the
// classes they name, and the number of objects is bounded, so a damaged or
// hostile stream ends in an exception, never in a crash.  Nesting costs no
// machine stack (CdrTask.h): bodies that meet pointers are coroutines run
// from the reader's work stack.  Failures:
//   mem_buffer::buffer_overflow_error - the stream is shorter than it claims
//       (what() "XTL mem_buffer overflow", with the octets available and
//       requested);
//   CdrStreamError - a number names an object of another class or none at
//       all, or the stream carries more objects than the reader's bound;
//   what a streamed source throws when it cannot deliver (a file that ends
//       early: std::runtime_error).
// All derive from std::exception; the reader is not used after any.
#pragma once

#include "knowledge/CdrBody.h"
#include "knowledge/CdrTask.h"
#include "knowledge/MemBuffer.h"
#include "knowledge/ObjectArena.h"
#include "knowledge/ObjectRefTable.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace quibo {

// A pointer that may name an object the stream carries only later: either
// the object, or the number it will be carried under.
template <class T>
struct CdrLink {
    T* object = nullptr;
    std::int32_t later = 0;
};

class CdrReader {
public:
    // Objects that the stream creates are adopted by `arena` as they are
    // made, before their bodies are read.  At most maxObjects are made.
    CdrReader(std::span<const std::uint8_t> payload, ObjectArena& arena, std::int32_t maxObjects = CDR_MAX_OBJECTS);
    // The same over `size` octets streamed from a source a window at a time
    // (mem_buffer): the payload is never held whole.
    CdrReader(mem_buffer::Source& source, std::size_t size, ObjectArena& arena,
              std::int32_t maxObjects = CDR_MAX_OBJECTS);
    CdrReader(const CdrReader&) = delete;
    CdrReader& operator=(const CdrReader&) = delete;

    // Reads the leading octet: non-zero means little-endian values, 0 means
    // big-endian ones.
    void readByteOrder();

    // The next n octets after the alignment padding for n.  Inline, so that
    // the padding of a constant size is a mask, not a division.
    const std::uint8_t* require(std::size_t n)
    {
        const std::size_t padding = m_buffer.paddingFor(n);
        return m_buffer.take(padding + n) + padding;
    }

    std::uint8_t readOctet() { return *require(1); }
    // Any non-zero octet is true.
    bool readBool() { return readOctet() != 0; }
    char readChar() { return static_cast<char>(readOctet()); }
    std::int16_t readInt16();
    std::int32_t readInt32() { return static_cast<std::int32_t>(readUInt32()); }
    std::uint32_t readUInt32() { return decode32(require(4)); }

    // Aligned uint32 length L, then exactly L octets (any octet values).
    // The length is taken before the string is built: one beyond the
    // payload fails without allocating.
    std::string readString()
    {
        const std::uint32_t length = readUInt32();
        const std::uint8_t* octets = m_buffer.take(length);
        return std::string(reinterpret_cast<const char*>(octets), length);
    }
    // The same into a string that exists already, reusing its storage.
    void readString(std::string& text)
    {
        const std::uint32_t length = readUInt32();
        const std::uint8_t* octets = m_buffer.take(length);
        text.assign(reinterpret_cast<const char*>(octets), length);
    }
    // The same as a view of the stream's octets, valid only until the next
    // read: for a caller that copies it straight into storage of its own.
    std::string_view readStringView()
    {
        const std::uint32_t length = readUInt32();
        const std::uint8_t* octets = m_buffer.take(length);
        return std::string_view(reinterpret_cast<const char*>(octets), length);
    }
    // A byte block: the same layout as a string.
    std::vector<std::uint8_t> readBytes();

    // The uint32 count of a container.  Throws buffer_overflow_error when
    // the remaining octets cannot hold that many elements of at least
    // minOctetsPerElement octets each, so no caller allocates for a count
    // the stream cannot back.
    std::uint32_t readCount(std::size_t minOctetsPerElement = 1)
    {
        const std::uint32_t count = readUInt32();
        const std::size_t least = minOctetsPerElement > 1 ? minOctetsPerElement : 1;
        if (count > m_buffer.remaining() / least)
            refuseCount(count, least);
        return count;
    }

    // A container: its count, then element(*this) once per element.
    template <class Element>
    void readSequence(Element&& element, std::size_t minOctetsPerElement = 1)
    {
        for (std::uint32_t k = readCount(minOctetsPerElement); k > 0; --k) element(*this);
    }

    // A pointer to a stored class T (the declared class of the member).
    // Octet 0 gives null.  Otherwise a number: non-zero gives the object
    // carried under it (null when no object has it yet, or CdrStreamError
    // after refuseUnknownNumbers; CdrStreamError when that object is not a
    // T); 0 makes a new object in the arena (CdrBody<T>::create(arena) when
    // the class has one, else a default-constructed T), registers it under
    // the next number and fills it with CdrBody<T>::read.  A body returns
    // void when it meets no pointers, or a CdrTask.
    //
    // readObject reads the whole object before it returns: for pointers
    // outside any body.  Inside a body coroutine, `co_await in.object<T>()`
    // does the same without nesting on the machine stack.
    template <class T>
    T* readObject()
    {
        CdrTask body;
        T* object = beginObject<T>(body);
        if (body)
            m_work.run(std::move(body));
        return object;
    }

    template <class T>
    CdrAwaitResult<T*> object()
    {
        CdrAwaitResult<T*> await{};
        await.result = beginObject<T>(await.next);
        return await;
    }

    // A pointer declared as T that may also name, by number, an object of
    // any class with Referable among its stored bases, carried before this
    // point or after it.  A new object is a T, as for object<T>(); a number
    // not carried yet comes back as `later`: the caller hands what to do
    // with the object to settleLater.  Awaited inside a body coroutine.
    template <class T, class Referable>
    CdrAwaitResult<CdrLink<Referable>> link()
    {
        CdrAwaitResult<CdrLink<Referable>> await{};
        await.result.object = beginLink<T, Referable>(await.next, await.result.later);
        return await;
    }

    // Runs `settle` with the object carried under `number` once the stream
    // has carried it (settleLinks).
    template <class Referable>
    void settleLater(std::int32_t number, std::function<void(Referable*)> settle)
    {
        m_pendingLinks.push_back({number, [settle = std::move(settle)](const ObjectRefTable& refs, std::int32_t n) {
                                      Referable* object = refs.find<Referable>(n);
                                      if (!object)
                                          return false;
                                      settle(object);
                                      return true;
                                  }});
    }

    // Settles every link read so far.  Throws CdrStreamError when a number
    // names no object the stream carried, or one of another class.
    void settleLinks();

    // A pointer whose object must be new to the stream and is handed to the
    // caller instead of the arena (an object read only to be discarded).
    // Octet 0 gives null; a non-zero number throws CdrStreamError, as the
    // caller would otherwise destroy an object that something else holds.
    template <class T>
    std::unique_ptr<T> readDetachedObject()
    {
        if (readOctet() == 0) return nullptr;
        const std::int32_t number = readInt32();
        if (number != 0)
            throw CdrStreamError("object number " + std::to_string(number) + " stands where a new object must");
        auto object = std::make_unique<T>();
        m_refs.enterRead(object.get());
        CdrTask body = readBody(*object);
        if (body)
            m_work.run(std::move(body));
        return object;
    }

    // From now on a number that names no object carried before (unknown or
    // negative) throws CdrStreamError instead of reading as null.
    void refuseUnknownNumbers() { m_refuseUnknownNumbers = true; }

    // The most bodies in progress at once so far: how deeply the stream nests.
    std::size_t deepestNesting() const { return m_work.deepest(); }
    std::size_t position() const { return m_buffer.position(); }
    std::size_t remaining() const { return m_buffer.remaining(); }
    std::uint8_t byteOrder() const { return m_byteOrder; }
    ObjectRefTable& refs() { return m_refs; }
    ObjectArena& arena() { return m_arena; }

private:
    struct PendingLink {
        std::int32_t number;
        std::function<bool(const ObjectRefTable&, std::int32_t)> settle;
    };

    [[noreturn]] void refuseCount(std::uint32_t count, std::size_t least) const;

    std::uint32_t decode32(const std::uint8_t* octets) const
    {
        std::uint32_t value;
        std::memcpy(&value, octets, 4);
        const bool littleEndianStream = m_byteOrder != 0;
        if (littleEndianStream != (std::endian::native == std::endian::little)) value = __builtin_bswap32(value);
        return value;
    }

    // The object a non-zero number names, viewed as T.
    template <class T>
    T* carried(std::int32_t number) const
    {
        T* object = m_refs.find<T>(number);
        if (!object && m_refuseUnknownNumbers)
            throw CdrStreamError("object number " + std::to_string(number) + " names no object carried before");
        return object;
    }

    // A new T, owned by the arena and registered; its body to run.
    template <class T>
    T* newObject(CdrTask& body)
    {
        m_refs.requireRoom();
        T* object;
        if constexpr (requires { CdrBody<T>::create(m_arena); })
            object = CdrBody<T>::create(m_arena);
        else
            object = m_arena.make<T>();
        m_refs.enterRead(object);
        body = readBody(*object);
        return object;
    }

    // A body that meets no pointers is read at once; a coroutine body is
    // returned to be run.
    template <class T>
    CdrTask readBody(T& object)
    {
        if constexpr (std::is_void_v<decltype(CdrBody<T>::read(object, *this))>) {
            CdrBody<T>::read(object, *this);
            return {};
        } else {
            return CdrBody<T>::read(object, *this);
        }
    }

    template <class T>
    T* beginObject(CdrTask& body)
    {
        if (readOctet() == 0)
            return nullptr;
        const std::int32_t number = readInt32();
        return number != 0 ? carried<T>(number) : newObject<T>(body);
    }

    template <class T, class Referable>
    Referable* beginLink(CdrTask& body, std::int32_t& later)
    {
        if (readOctet() == 0)
            return nullptr;
        const std::int32_t number = readInt32();
        if (number == 0)
            return newObject<T>(body);
        if (number >= m_refs.nextNumber()) {
            later = number;
            return nullptr;
        }
        return carried<Referable>(number);
    }

    mem_buffer m_buffer;
    std::uint8_t m_byteOrder = 1;
    ObjectRefTable m_refs;
    ObjectArena& m_arena;
    CdrWork m_work;
    std::vector<PendingLink> m_pendingLinks;
    bool m_refuseUnknownNumbers = false;
};

}  // namespace quibo
