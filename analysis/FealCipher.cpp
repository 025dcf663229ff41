#include "analysis/FealCipher.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace quibo {

namespace {

constexpr std::uint8_t rotateLeft2(std::uint8_t x)
{
    return static_cast<std::uint8_t>((x << 2) | (x >> 6));
}

constexpr std::uint8_t s0(std::uint8_t a, std::uint8_t b)
{
    return rotateLeft2(static_cast<std::uint8_t>(a + b));
}

constexpr std::uint8_t s1(std::uint8_t a, std::uint8_t b)
{
    return rotateLeft2(static_cast<std::uint8_t>(a + b + 1));
}

constexpr std::uint8_t byteOf(std::uint32_t word, int i)
{
    return static_cast<std::uint8_t>(word >> (24 - 8 * i));
}

constexpr std::uint32_t wordOf(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3)
{
    return (std::uint32_t{b0} << 24) | (std::uint32_t{b1} << 16) | (std::uint32_t{b2} << 8) | b3;
}

// The round function f(alpha, beta): alpha 32 bits (byte 0 highest), beta a
// 16-bit subkey given as its two bytes.
constexpr std::uint32_t roundFunction(std::uint32_t a, std::uint8_t k0, std::uint8_t k1)
{
    std::uint8_t f1 = static_cast<std::uint8_t>(byteOf(a, 1) ^ k0 ^ byteOf(a, 0));
    std::uint8_t f2 = static_cast<std::uint8_t>(byteOf(a, 2) ^ k1 ^ byteOf(a, 3));
    f1 = s1(f1, f2);
    f2 = s0(f2, f1);
    return wordOf(s0(byteOf(a, 0), f1), f1, f2, s1(byteOf(a, 3), f2));
}

// The key-schedule function fK(alpha, beta), both 32 bits.
constexpr std::uint32_t keyFunction(std::uint32_t a, std::uint32_t b)
{
    std::uint8_t f1 = static_cast<std::uint8_t>(byteOf(a, 1) ^ byteOf(a, 0));
    std::uint8_t f2 = static_cast<std::uint8_t>(byteOf(a, 2) ^ byteOf(a, 3));
    f1 = s1(f1, static_cast<std::uint8_t>(f2 ^ byteOf(b, 0)));
    f2 = s0(f2, static_cast<std::uint8_t>(f1 ^ byteOf(b, 1)));
    return wordOf(s0(byteOf(a, 0), static_cast<std::uint8_t>(f1 ^ byteOf(b, 2))), f1, f2,
                  s1(byteOf(a, 3), static_cast<std::uint8_t>(f2 ^ byteOf(b, 3))));
}

std::uint64_t loadBigEndian(const std::uint8_t* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
    return v;
}

void storeBigEndian(std::uint8_t* p, std::uint64_t v)
{
    if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
    std::memcpy(p, &v, 8);
}

// A batch is 16 blocks, held as 8 vectors of 16 bytes.  In the cipher's
// form vector j holds byte j of every block, so the rounds work on all 16 at
// once; bytes are added lane by lane, and the rotation shifts 64-bit words
// and masks off the bits that cross into the next byte.
constexpr std::size_t LANES = 16;
typedef std::uint8_t Bytes __attribute__((vector_size(16)));
typedef std::uint64_t Words __attribute__((vector_size(16)));

[[gnu::always_inline]] inline Bytes rotateLeft2(Bytes x)
{
    const Words w = reinterpret_cast<Words&>(x);
    const Words r = ((w << 2) & 0xFCFCFCFCFCFCFCFCULL) | ((w >> 6) & 0x0303030303030303ULL);
    return reinterpret_cast<const Bytes&>(r);
}

[[gnu::always_inline]] inline Bytes broadcast(std::uint8_t b)
{
    Bytes v;
    std::memset(&v, b, sizeof v);
    return v;
}

// Whitening byte j at positions j and j + 8, as two loaded blocks lie.
[[gnu::always_inline]] inline Bytes whiteningPair(std::uint64_t whitening)
{
    Bytes v;
    for (int j = 0; j < 8; ++j) v[j] = v[j + 8] = static_cast<std::uint8_t>(whitening >> (56 - 8 * j));
    return v;
}

// The 128 bytes of a batch are numbered by 7 bits, the vector's index above
// the byte's position.  Interleaving the bytes of vectors i and i + 4 into
// vectors 2i and 2i + 1 rotates that number left by one bit; interleaving
// their 64-bit halves moves the top bit below the next three.
[[gnu::always_inline]] inline void interleaveBytes(Bytes* v)
{
    const Bytes low = {0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23};
    const Bytes high = low + 8;
    Bytes out[8];
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) {
        out[2 * i] = __builtin_shuffle(v[i], v[i + 4], low);
        out[2 * i + 1] = __builtin_shuffle(v[i], v[i + 4], high);
    }
    std::memcpy(v, out, sizeof out);
}

[[gnu::always_inline]] inline void interleaveHalves(Bytes* v)
{
    Bytes out[8];
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) {
        const Words a = reinterpret_cast<const Words&>(v[i]);
        const Words b = reinterpret_cast<const Words&>(v[i + 4]);
        const Words low = __builtin_shuffle(a, b, Words{0, 2});
        const Words high = __builtin_shuffle(a, b, Words{1, 3});
        out[2 * i] = reinterpret_cast<const Bytes&>(low);
        out[2 * i + 1] = reinterpret_cast<const Bytes&>(high);
    }
    std::memcpy(v, out, sizeof out);
}

// Loaded, vector k holds blocks 2k and 2k + 1: number (b3 b2 b1 | b0 j2 j1 j0)
// for byte j of block b.  Three byte interleavings and one of halves give
// (j2 j1 j0 | b0 b3 b2 b1), vector j; three of halves and four of bytes
// (seven rotations in all) restore the blocks.
[[gnu::always_inline]] inline void toLanes(Bytes* v)
{
#pragma GCC unroll 3
    for (int i = 0; i < 3; ++i) interleaveBytes(v);
    interleaveHalves(v);
}

[[gnu::always_inline]] inline void fromLanes(Bytes* v)
{
#pragma GCC unroll 3
    for (int i = 0; i < 3; ++i) interleaveHalves(v);
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) interleaveBytes(v);
}

// The block routine of processBlock, on byte j of 16 blocks at once.
void processBatch(std::uint8_t* blocks, const std::uint8_t* roundKeyBytes, Bytes pre, Bytes post)
{
    Bytes x[8];
    std::memcpy(x, blocks, sizeof x);
    for (Bytes& v : x) v ^= pre;
    toLanes(x);

    Bytes* left = x;
    Bytes* right = x + 4;
    for (int j = 0; j < 4; ++j) right[j] ^= left[j];
    const Bytes one = broadcast(1);
#pragma GCC unroll 8
    for (int r = 0; r < 8; ++r) {
        Bytes f1 = right[1] ^ right[0] ^ broadcast(roundKeyBytes[2 * r]);
        Bytes f2 = right[2] ^ right[3] ^ broadcast(roundKeyBytes[2 * r + 1]);
        f1 = rotateLeft2(f1 + f2 + one);
        f2 = rotateLeft2(f2 + f1);
        left[0] ^= rotateLeft2(right[0] + f1);
        left[1] ^= f1;
        left[2] ^= f2;
        left[3] ^= rotateLeft2(right[3] + f2 + one);
        std::swap(left, right);
    }
    // (R8, L8 ^ R8), as in processBlock.
    Bytes out[8];
    for (int j = 0; j < 4; ++j) {
        out[j] = right[j];
        out[4 + j] = left[j] ^ right[j];
    }
    fromLanes(out);
    for (Bytes& v : out) v ^= post;
    std::memcpy(blocks, out, sizeof out);
}

}  // namespace

FealCipher::FealCipher(std::uint64_t key, Direction direction)
{
    std::uint32_t a = static_cast<std::uint32_t>(key >> 32), b = static_cast<std::uint32_t>(key), d = 0;
    // Eight schedule steps give sixteen 16-bit subkeys K0..K15, two a step.
    std::array<std::uint8_t, 32> k{};
    for (int r = 0; r < 8; ++r) {
        const std::uint32_t next = keyFunction(a, b ^ d);
        d = a;
        a = b;
        b = next;
        for (int i = 0; i < 4; ++i) k[4 * r + i] = byteOf(b, i);
    }
    std::copy(k.begin(), k.begin() + 16, m_roundKeyBytes.begin());
    m_preWhitening = loadBigEndian(k.data() + 16);
    m_postWhitening = loadBigEndian(k.data() + 24);
    if (direction == Direction::Decipher) {
        for (int r = 0; r < 4; ++r) {
            std::swap(m_roundKeyBytes[2 * r], m_roundKeyBytes[14 - 2 * r]);
            std::swap(m_roundKeyBytes[2 * r + 1], m_roundKeyBytes[15 - 2 * r]);
        }
        std::swap(m_preWhitening, m_postWhitening);
    }
}

void FealCipher::processBlock(std::uint8_t* block) const
{
    const std::uint64_t in = loadBigEndian(block) ^ m_preWhitening;
    std::uint32_t left = static_cast<std::uint32_t>(in >> 32);
    std::uint32_t right = static_cast<std::uint32_t>(in) ^ left;
    for (int r = 0; r < 8; ++r) {
        const std::uint32_t next = left ^ roundFunction(right, m_roundKeyBytes[2 * r], m_roundKeyBytes[2 * r + 1]);
        left = right;
        right = next;
    }
    // The output is (R8, L8) with the right half folded over the left.
    const std::uint64_t out = (std::uint64_t{right} << 32) | (left ^ right);
    storeBigEndian(block, out ^ m_postWhitening);
}

void FealCipher::processBlocks(std::uint8_t* blocks, std::size_t count) const
{
    const Bytes pre = whiteningPair(m_preWhitening);
    const Bytes post = whiteningPair(m_postWhitening);
    std::size_t i = 0;
    for (; i + LANES <= count; i += LANES) processBatch(blocks + 8 * i, m_roundKeyBytes.data(), pre, post);
    for (; i < count; ++i) processBlock(blocks + 8 * i);
}

}  // namespace quibo
