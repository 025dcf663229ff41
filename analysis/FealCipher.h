// The FEAL-8 block cipher as published: 64-bit blocks, 64-bit key, eight
// rounds, pre- and post-whitening.  The install data that the knowledge
// editor writes ("pstorage", "mean_dictionary.dat") is enciphered with it in
// ECB mode under the project's key.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace quibo {

// The one key of the project's enciphered data files.  The reader
// (`FealFile`) and the install-data tools both take it from here, so a file
// written by one is always readable by the other.
inline constexpr std::uint64_t FEAL_PROJECT_KEY = 0x5155'4942'4F33'2E31ULL;

class FealCipher {
public:
    enum class Direction { Encipher, Decipher };

    // Runs the key schedule; for deciphering the round subkeys are taken in
    // reverse order and the two whitening sets exchanged, so one block
    // routine serves both directions.
    FealCipher(std::uint64_t key, Direction direction);

    // Enciphers or deciphers 8 bytes in place; byte 0 is the cipher's byte 0
    // (bytes 0-3 the left half).
    void processBlock(std::uint8_t* block) const;
    // The same over `count` consecutive blocks (ECB).  Blocks are taken 16 at
    // a time, one byte of each in a lane of a vector, so the rounds run on
    // all 16 at once.
    void processBlocks(std::uint8_t* blocks, std::size_t count) const;

private:
    // Round subkey bytes (high byte first) and the whitening words, the
    // left half in the high 32 bits, byte 0 highest.
    std::array<std::uint8_t, 16> m_roundKeyBytes{};
    std::uint64_t m_preWhitening = 0;
    std::uint64_t m_postWhitening = 0;
};

}  // namespace quibo
