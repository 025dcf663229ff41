// The FEAL-8 block cipher as published: 64-bit blocks, 64-bit key, eight
// rounds, pre- and post-whitening.  The install data that the knowledge
// editor writes ("pstorage", "mean_dictionary.dat") is enciphered with it in
// ECB mode under the project's key.
#pragma once

#include <array>
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

private:
    std::array<std::uint16_t, 8> m_roundKeys{};
    std::array<std::uint8_t, 8> m_preWhitening{};
    std::array<std::uint8_t, 8> m_postWhitening{};
};

}  // namespace quibo
