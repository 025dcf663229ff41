#include "analysis/FealCipher.h"

#include <algorithm>
#include <cstring>

namespace quibo {

namespace {

using Word = std::array<std::uint8_t, 4>;

std::uint8_t rotateLeft2(std::uint8_t x)
{
    return static_cast<std::uint8_t>((x << 2) | (x >> 6));
}

std::uint8_t s0(std::uint8_t a, std::uint8_t b)
{
    return rotateLeft2(static_cast<std::uint8_t>(a + b));
}

std::uint8_t s1(std::uint8_t a, std::uint8_t b)
{
    return rotateLeft2(static_cast<std::uint8_t>(a + b + 1));
}

// The round function: alpha is 32 bits, beta a 16-bit subkey (high byte first).
Word roundFunction(const Word& a, std::uint16_t beta)
{
    const std::uint8_t b0 = static_cast<std::uint8_t>(beta >> 8);
    const std::uint8_t b1 = static_cast<std::uint8_t>(beta);
    Word f{};
    f[1] = static_cast<std::uint8_t>(a[1] ^ b0 ^ a[0]);
    f[2] = static_cast<std::uint8_t>(a[2] ^ b1 ^ a[3]);
    f[1] = s1(f[1], f[2]);
    f[2] = s0(f[2], f[1]);
    f[0] = s0(a[0], f[1]);
    f[3] = s1(a[3], f[2]);
    return f;
}

// The key-schedule function fK(alpha, beta), both 32 bits.
Word keyFunction(const Word& a, const Word& b)
{
    Word f{};
    f[1] = static_cast<std::uint8_t>(a[1] ^ a[0]);
    f[2] = static_cast<std::uint8_t>(a[2] ^ a[3]);
    f[1] = s1(f[1], static_cast<std::uint8_t>(f[2] ^ b[0]));
    f[2] = s0(f[2], static_cast<std::uint8_t>(f[1] ^ b[1]));
    f[0] = s0(a[0], static_cast<std::uint8_t>(f[1] ^ b[2]));
    f[3] = s1(a[3], static_cast<std::uint8_t>(f[2] ^ b[3]));
    return f;
}

Word xorWords(const Word& x, const Word& y)
{
    return {static_cast<std::uint8_t>(x[0] ^ y[0]), static_cast<std::uint8_t>(x[1] ^ y[1]),
            static_cast<std::uint8_t>(x[2] ^ y[2]), static_cast<std::uint8_t>(x[3] ^ y[3])};
}

}  // namespace

FealCipher::FealCipher(std::uint64_t key, Direction direction)
{
    Word a{}, b{}, d{};
    for (int i = 0; i < 4; ++i) {
        a[i] = static_cast<std::uint8_t>(key >> (56 - 8 * i));
        b[i] = static_cast<std::uint8_t>(key >> (24 - 8 * i));
    }
    // Eight schedule steps give sixteen 16-bit subkeys K0..K15.
    std::array<std::uint16_t, 16> k{};
    for (int r = 0; r < 8; ++r) {
        const Word next = keyFunction(a, xorWords(b, d));
        d = a;
        a = b;
        b = next;
        k[2 * r] = static_cast<std::uint16_t>((b[0] << 8) | b[1]);
        k[2 * r + 1] = static_cast<std::uint16_t>((b[2] << 8) | b[3]);
    }
    std::copy(k.begin(), k.begin() + 8, m_roundKeys.begin());
    for (int i = 0; i < 4; ++i) {
        m_preWhitening[2 * i] = static_cast<std::uint8_t>(k[8 + i] >> 8);
        m_preWhitening[2 * i + 1] = static_cast<std::uint8_t>(k[8 + i]);
        m_postWhitening[2 * i] = static_cast<std::uint8_t>(k[12 + i] >> 8);
        m_postWhitening[2 * i + 1] = static_cast<std::uint8_t>(k[12 + i]);
    }
    if (direction == Direction::Decipher) {
        std::reverse(m_roundKeys.begin(), m_roundKeys.end());
        std::swap(m_preWhitening, m_postWhitening);
    }
}

void FealCipher::processBlock(std::uint8_t* block) const
{
    Word left{}, right{};
    for (int i = 0; i < 4; ++i) {
        left[i] = static_cast<std::uint8_t>(block[i] ^ m_preWhitening[i]);
        right[i] = static_cast<std::uint8_t>(block[4 + i] ^ m_preWhitening[4 + i]);
    }
    right = xorWords(right, left);
    for (std::uint16_t subkey : m_roundKeys) {
        const Word next = xorWords(left, roundFunction(right, subkey));
        left = right;
        right = next;
    }
    // The output is (R8, L8) with the right half folded over the left.
    const Word outLeft = right;
    const Word outRight = xorWords(left, right);
    for (int i = 0; i < 4; ++i) {
        block[i] = static_cast<std::uint8_t>(outLeft[i] ^ m_postWhitening[i]);
        block[4 + i] = static_cast<std::uint8_t>(outRight[i] ^ m_postWhitening[4 + i]);
    }
}

}  // namespace quibo
