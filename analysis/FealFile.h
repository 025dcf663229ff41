// Reads one FEAL-8 enciphered data file whole and deciphers it.  The file is
// N (plaintext length, signed 32-bit little-endian, in clear) followed by the
// plaintext in ECB blocks, the last one padded with zero bytes.  One object
// per file read, made on the stack by its user.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/SharedImage.h"

namespace quibo {

class FealFile {
public:
    FealFile() = default;
    virtual ~FealFile();
    FealFile(const FealFile&) = delete;
    FealFile& operator=(const FealFile&) = delete;

    // 0 when the file was read (a malformed file too, with plain length 0);
    // -1 with a "can't open" line on the error stream when it cannot be opened.
    int decipherFile(const char* path);
    // The same over an enciphered image already in memory (always 0).
    int decipherBuffer(const std::uint8_t* data, std::size_t size);

    // N after a well-formed file; 0 otherwise.
    int plainLength() const { return m_plainLength; }
    // Copies the N plaintext bytes (no NUL added); -1 without copying when
    // there is no plaintext.
    int copyTo(char* buffer) const;
    // Replaces the vector's contents with the plaintext; -1 leaving it
    // untouched when there is no plaintext.
    int appendTo(std::vector<char>& out) const;

private:
    void release();
    void runCipher();
    void decipherChunks();

    std::unique_ptr<std::uint8_t[]> m_input;
    std::size_t m_inputSize = 0;
    std::unique_ptr<std::uint8_t[]> m_output;
    int m_plainLength = 0;
    std::uint64_t m_progressTotal = 0;
    std::uint64_t m_progressCounter = 0;
    std::uint64_t m_progressThreshold = 0;
};

// The plaintext of the enciphered file at `path`, deciphered once and shared
// by the processes of this user until the file changes.  Empty for a
// malformed file; null (after FealFile's "can't open" line) when the file
// cannot be read.
std::unique_ptr<platform::SharedImage> decipheredImage(const std::string& path);

}  // namespace quibo
