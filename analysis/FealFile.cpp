#include "analysis/FealFile.h"

#include "analysis/FealCipher.h"
#include "analysis/ConsoleLine.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace quibo {

namespace {

constexpr std::size_t CHUNK_BYTES = 51200;
constexpr std::uint64_t PROGRESS_PER_BLOCK = 400;

// Progress goes to the console's error stream, when it is switched on.
void progress(const char* text)
{
    if (std::FILE* console = consoleErrorStream())
        std::fputs(text, console);
}

// The console here speaks UTF-8, so the banner is written in it.
void writeBanner()
{
    progress(reinterpret_cast<const char*>(u8"\nＦＥＡＬ復号化 (Ver.1.1)     (  )\n"));
    progress("         ----+----!----+----!----+----!----+----!----+----!\n");
    progress(reinterpret_cast<const char*>(u8"処理進行 "));
}

std::int64_t readLength(const std::uint8_t* p)
{
    const std::uint32_t u = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                            (static_cast<std::uint32_t>(p[2]) << 16) |
                            (static_cast<std::uint32_t>(p[3]) << 24);
    return static_cast<std::int32_t>(u);
}

}  // namespace

FealFile::~FealFile() = default;

void FealFile::release()
{
    m_input.reset();
    m_output.reset();
    m_inputSize = 0;
    m_plainLength = 0;
}

int FealFile::decipherFile(const char* path)
{
    release();
    std::FILE* file = path ? std::fopen(path, "rb") : nullptr;
    if (!file) {
        progress(("Error : source file(" + std::string(path ? path : "") + ") can't open.\n").c_str());
        return -1;
    }
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        progress(("Error : source file(" + std::string(path) + ") can't open.\n").c_str());
        return -1;
    }
    m_inputSize = static_cast<std::size_t>(size);
    m_input.reset(new std::uint8_t[m_inputSize + 1]);
    m_inputSize = std::fread(m_input.get(), 1, m_inputSize, file);
    m_input[m_inputSize] = 0;
    m_output.reset(new std::uint8_t[2 * m_inputSize + 16]);
    runCipher();
    std::fclose(file);
    return 0;
}

int FealFile::decipherBuffer(const std::uint8_t* data, std::size_t size)
{
    release();
    m_inputSize = size;
    m_input.reset(new std::uint8_t[size + 1]);
    if (size) std::memcpy(m_input.get(), data, size);
    m_input[size] = 0;
    m_output.reset(new std::uint8_t[2 * size + 16]);
    runCipher();
    return 0;
}

void FealFile::runCipher()
{
    m_progressTotal = m_inputSize;
    m_progressThreshold = m_inputSize;
    writeBanner();
    decipherChunks();
    progress("\n\n");
}

void FealFile::decipherChunks()
{
    m_output[0] = 0;
    // A file is well-formed only when its ciphertext is the plaintext rounded
    // up to whole blocks.  A file too short to hold the length, or a negative
    // length, is malformed too: nothing is read before the buffer and no
    // negative size is ever allocated or copied.
    if (m_inputSize < 4) {
        m_plainLength = 0;
        return;
    }
    const std::int64_t n = readLength(m_input.get());
    const std::int64_t slack = static_cast<std::int64_t>(m_inputSize) - 4 - n;
    if (n < 0 || slack < 0 || slack > 7) {
        m_plainLength = 0;
        return;
    }
    m_plainLength = static_cast<int>(n);

    const FealCipher cipher(FEAL_PROJECT_KEY, FealCipher::Direction::Decipher);
    const std::size_t cipherBytes = m_inputSize - 4;
    std::size_t consumed = 0;
    std::size_t written = 0;
    while (consumed < cipherBytes) {
        const std::size_t length = std::min(CHUNK_BYTES, cipherBytes - consumed);
        const std::size_t padded = (length + 7) / 8 * 8;
        // The chunk is deciphered where its plaintext goes: the output holds
        // twice the input, so a padded chunk always fits after what is kept.
        std::uint8_t* chunk = m_output.get() + written;
        std::memcpy(chunk, m_input.get() + 4 + consumed, length);
        std::memset(chunk + length, 0, padded - length);
        cipher.processBlocks(chunk, padded / 8);
        for (std::size_t block = 0; block < padded / 8; ++block) {
            m_progressCounter += PROGRESS_PER_BLOCK;
            if (m_progressCounter >= m_progressThreshold) {
                progress(".");
                m_progressThreshold += m_progressTotal;
            }
        }
        consumed += length;
        // Only plaintext bytes up to N are kept; the padding of the last
        // block is dropped.
        const std::int64_t contribution =
            consumed <= static_cast<std::size_t>(n)
                ? static_cast<std::int64_t>(padded)
                : n - static_cast<std::int64_t>(consumed) + static_cast<std::int64_t>(padded);
        if (contribution > 0) written += static_cast<std::size_t>(contribution);
    }
    m_output[written] = 0;
}

int FealFile::copyTo(char* buffer) const
{
    if (m_plainLength <= 0 || !m_output) return -1;
    std::memcpy(buffer, m_output.get(), static_cast<std::size_t>(m_plainLength));
    return 0;
}

int FealFile::appendTo(std::vector<char>& out) const
{
    if (m_plainLength <= 0 || !m_output) return -1;
    out.clear();
    out.insert(out.end(), m_output.get(), m_output.get() + m_plainLength);
    return 0;
}

std::unique_ptr<platform::SharedImage> decipheredImage(const std::string& path)
{
    return platform::SharedImage::open(path, "feal", [&path](std::vector<std::uint8_t>& image) {
        FealFile file;
        if (file.decipherFile(path.c_str()) != 0) return false;
        if (file.plainLength() > 0) {
            image.resize(static_cast<std::size_t>(file.plainLength()));
            file.copyTo(reinterpret_cast<char*>(image.data()));
        }
        return true;
    });
}

}  // namespace quibo
