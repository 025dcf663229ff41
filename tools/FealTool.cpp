#include "tools/FealTool.h"

#include "analysis/FealFile.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <vector>

namespace quibo::tools {

std::optional<std::string> encipherImage(std::string_view plain, std::uint64_t key)
{
    if (plain.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) - 8)
        return std::nullopt;
    const std::uint32_t n = static_cast<std::uint32_t>(plain.size());
    const std::size_t padded = (plain.size() + 7) / 8 * 8;
    std::string image(4 + padded, '\0');
    for (int i = 0; i < 4; ++i) image[i] = static_cast<char>(n >> (8 * i));
    std::memcpy(image.data() + 4, plain.data(), plain.size());
    const FealCipher cipher(key, FealCipher::Direction::Encipher);
    cipher.processBlocks(reinterpret_cast<std::uint8_t*>(image.data() + 4), padded / 8);
    return image;
}

namespace {

bool readWhole(const std::string& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    return !in.bad();
}

bool writeWhole(const std::string& path, const char* data, std::size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data, static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

}  // namespace

int encipherFile(const std::string& in, const std::string& out, std::string& error)
{
    std::string plain;
    if (!readWhole(in, plain)) {
        error = "cannot read " + in;
        return 1;
    }
    const auto image = encipherImage(plain);
    if (!image) {
        error = in + " is too long to encipher (the length field is 32 bits)";
        return 1;
    }
    if (!writeWhole(out, image->data(), image->size())) {
        error = "cannot write " + out;
        return 1;
    }
    return 0;
}

int decipherFile(const std::string& in, const std::string& out, std::string& error)
{
    FealFile file;
    if (file.decipherFile(in.c_str()) != 0) {
        error = "cannot open " + in;
        return 1;
    }
    std::vector<char> plain;
    if (file.appendTo(plain) != 0) {
        // An empty plaintext is a legitimate file of length 0; anything else is
        // a malformed image.
        std::string bytes;
        if (!readWhole(in, bytes) || bytes.size() != 4 || bytes != std::string(4, '\0')) {
            error = in + " is not a well-formed enciphered file";
            return 1;
        }
    }
    if (!writeWhole(out, plain.data(), plain.size())) {
        error = "cannot write " + out;
        return 1;
    }
    return 0;
}

}  // namespace quibo::tools
