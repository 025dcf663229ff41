// The stored meaning dictionary of a knowledge file over arbitrary bytes:
// reading must end normally or with one of the stream reader's exceptions,
// and whatever it reads must save and read back into the same bytes.
#include "knowledge/CdrReader.h"
#include "knowledge/CdrWriter.h"
#include "knowledge/MeanDictionaryBody.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <vector>

namespace {

std::vector<std::uint8_t> save(const quibo::MeanDictionary& dictionary, std::size_t capacity)
{
    quibo::CdrWriter out(capacity);
    out.writeByteOrder();
    out.writeObject(&dictionary);
    return {out.bytes().begin(), out.bytes().end()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    quibo::ObjectArena arena;
    const quibo::MeanDictionary* dictionary = nullptr;
    try {
        quibo::CdrReader in(std::span<const std::uint8_t>(data, size), arena);
        in.readByteOrder();
        dictionary = in.readObject<quibo::MeanDictionary>();
    } catch (const std::exception&) {
        return 0;
    }
    if (!dictionary) return 0;

    // A saved dictionary is never larger than the stream it came from, plus
    // the header and the padding of a differently aligned start.
    const std::size_t capacity = 2 * size + 64;
    const std::vector<std::uint8_t> first = save(*dictionary, capacity);
    quibo::ObjectArena again;
    quibo::CdrReader in(first, again);
    in.readByteOrder();
    const quibo::MeanDictionary* reread = in.readObject<quibo::MeanDictionary>();
    if (!reread || in.remaining() != 0 || save(*reread, capacity) != first) std::abort();
    return 0;
}
