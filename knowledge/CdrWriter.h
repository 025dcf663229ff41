// Encodes an object stream into one memory block allocated up front: a
// leading byte-order octet, primitives aligned to their own size in
// little-endian order, strings and byte blocks as a uint32 length and their
// octets, containers as a uint32 count and their elements, and pointers to
// stored classes as a presence octet and an object number (0 = the body
// follows).  Every octet of the output is written explicitly, padding as 0,
// so the same objects always give the same bytes.
#pragma once

#include "knowledge/CdrBody.h"
#include "knowledge/CdrNesting.h"
#include "knowledge/MemBuffer.h"
#include "knowledge/ObjectRefTable.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace quibo {

// The encoding block: a stream larger than this cannot be saved.
inline constexpr std::size_t CDR_WRITE_BUFFER_SIZE = 104857600;

class CdrWriter {
public:
    // Allocates the block.  When that fails, prints the time stamp and
    // "SYSTEM_ERROR can not allocate memory for internalization!" on standard
    // output and throws std::bad_alloc.  maxNesting bounds how deeply new
    // objects may nest, as for the reader.
    explicit CdrWriter(std::size_t capacity = CDR_WRITE_BUFFER_SIZE,
                       int maxNesting = CDR_MAX_OBJECT_NESTING);
    CdrWriter(const CdrWriter&) = delete;
    CdrWriter& operator=(const CdrWriter&) = delete;

    // The byte-order octet (1, little-endian) at position 0.  Called once,
    // before anything else.
    void writeByteOrder();

    // n writable octets after the zeroed alignment padding for n (n of 2, 4
    // or 8 is aligned to n).  Throws mem_buffer::buffer_overflow_error when
    // padding and value do not fit.
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
    // number and body(*object, *this).  Throws CdrStreamError when the
    // object was carried before as a class that T is not a stored base of, or
    // when new objects nest too deeply: the reader would refuse either.
    template <class T, class Body>
    void writeObject(const T* object, Body&& body)
    {
        if (!object) {
            writeOctet(0);
            return;
        }
        writeOctet(1);
        std::int32_t number = m_refs.numberOf(*object);
        writeInt32(number);
        if (number != 0) return;
        CdrNesting::Level level(m_nesting);
        m_refs.enterWritten(*object);
        body(*object, *this);
    }

    template <class T>
    void writeObject(const T* object)
    {
        writeObject(object, [](const T& body, CdrWriter& out) { CdrBody<T>::write(body, out); });
    }

    // The octets produced so far: the payload to store.
    std::span<const std::uint8_t> bytes() const { return {m_storage.get(), m_buffer.position()}; }
    std::size_t position() const { return m_buffer.position(); }
    std::uint8_t byteOrder() const { return m_byteOrder; }
    ObjectRefTable& refs() { return m_refs; }

private:
    std::uint8_t* produce(std::size_t padding, std::size_t n);
    void writeLengthAndOctets(const void* data, std::size_t length);

    std::unique_ptr<std::uint8_t[]> m_storage;
    mem_buffer m_buffer;
    std::uint8_t m_byteOrder = 1;
    ObjectRefTable m_refs;
    CdrNesting m_nesting;
};

}  // namespace quibo
