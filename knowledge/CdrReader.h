// Decodes an object stream from the payload held in memory.  The payload is
// untrusted: every value, length and count is checked against the octets
// that remain before anything is allocated or copied, object numbers are
// checked against the classes they name, and the nesting of new objects
// inside one another is bounded, so a damaged or hostile stream ends in an
// exception, never in a crash.  Failures:
//   mem_buffer::buffer_overflow_error - the stream is shorter than it claims
//       (what() "XTL mem_buffer overflow", with the octets available and
//       requested);
//   CdrStreamError - a number names an object of another class, or new
//       objects nest deeper than the reader's bound.
// Both derive from std::exception; the reader is not used after either.
#pragma once

#include "knowledge/CdrBody.h"
#include "knowledge/CdrNesting.h"
#include "knowledge/MemBuffer.h"
#include "knowledge/ObjectArena.h"
#include "knowledge/ObjectRefTable.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace quibo {

class CdrReader {
public:
    // Objects that the stream creates are adopted by `arena` as they are
    // made, before their bodies are read.  maxNesting bounds how deeply new
    // objects may nest.
    CdrReader(std::span<const std::uint8_t> payload, ObjectArena& arena,
              int maxNesting = CDR_MAX_OBJECT_NESTING);
    CdrReader(const CdrReader&) = delete;
    CdrReader& operator=(const CdrReader&) = delete;

    // Reads the leading octet: non-zero means little-endian values, 0 means
    // big-endian ones.
    void readByteOrder();

    // The next n octets after the alignment padding for n.
    const std::uint8_t* require(std::size_t n);

    std::uint8_t readOctet() { return *require(1); }
    // Any non-zero octet is true.
    bool readBool() { return readOctet() != 0; }
    char readChar() { return static_cast<char>(readOctet()); }
    std::int16_t readInt16();
    std::int32_t readInt32();
    std::uint32_t readUInt32();

    // Aligned uint32 length L, then exactly L octets (any octet values).
    std::string readString();
    // A byte block: the same layout as a string.
    std::vector<std::uint8_t> readBytes();

    // The uint32 count of a container.  Throws buffer_overflow_error when
    // the remaining octets cannot hold that many elements of at least
    // minOctetsPerElement octets each, so no caller allocates for a count
    // the stream cannot back.
    std::uint32_t readCount(std::size_t minOctetsPerElement = 1);

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
    // T); 0 makes a new object with create(), hands it
    // to the arena, registers it under the next number and fills it with
    // body(*object, *this).
    template <class T, class Body, class Create>
    T* readObject(Body&& body, Create&& create)
    {
        if (readOctet() == 0) return nullptr;
        std::int32_t number = readInt32();
        if (number != 0) {
            T* carried = m_refs.find<T>(number);
            if (!carried && m_refuseUnknownNumbers)
                throw CdrStreamError("object number " + std::to_string(number) + " names no object carried before");
            return carried;
        }
        CdrNesting::Level level(m_nesting);
        T* object = m_arena.adopt(std::unique_ptr<T>(create()));
        m_refs.enterRead(object);
        body(*object, *this);
        return object;
    }

    template <class T, class Body>
    T* readObject(Body&& body)
    {
        return readObject<T>(std::forward<Body>(body), [] { return std::make_unique<T>(); });
    }

    template <class T>
    T* readObject()
    {
        auto body = [](T& object, CdrReader& in) { CdrBody<T>::read(object, in); };
        if constexpr (requires { CdrBody<T>::create(); })
            return readObject<T>(body, [] { return CdrBody<T>::create(); });
        else
            return readObject<T>(body);
    }

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
        CdrNesting::Level level(m_nesting);
        auto object = std::make_unique<T>();
        m_refs.enterRead(object.get());
        CdrBody<T>::read(*object, *this);
        return object;
    }

    // From now on a number that names no object carried before (unknown or
    // negative) throws CdrStreamError instead of reading as null.
    void refuseUnknownNumbers() { m_refuseUnknownNumbers = true; }

    std::size_t position() const { return m_buffer.position(); }
    std::size_t remaining() const { return m_buffer.remaining(); }
    std::uint8_t byteOrder() const { return m_byteOrder; }
    ObjectRefTable& refs() { return m_refs; }
    ObjectArena& arena() { return m_arena; }

private:
    std::uint32_t decode32(const std::uint8_t* octets) const;

    mem_buffer m_buffer;
    std::uint8_t m_byteOrder = 1;
    ObjectRefTable m_refs;
    ObjectArena& m_arena;
    CdrNesting m_nesting;
    bool m_refuseUnknownNumbers = false;
};

}  // namespace quibo
