// An image derived from a file (such as the plaintext of an enciphered data
// file), made once and shared read-only by every process of the same user.
// It lives in a named POSIX shared-memory object keyed by the file's identity
// (device, inode, size, modification and change times), so a changed file
// never meets the image of its old contents.  The first process builds the
// image, writes it under a temporary name and renames it into place whole;
// later processes map it.  An object is trusted only when this user owns it,
// nobody else can write it, and its header and checksum match the file as it
// is now; any other object is rebuilt.  Whatever fails, the image is built in
// the process itself, so sharing only ever saves work; files under 64 KiB
// are never shared.  Objects of files that
// have changed or gone are removed whenever a new one is published.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quibo::platform {

class SharedImage {
public:
    // Fills the image of the file; false when it cannot be made (the
    // builder reports why).  An empty image is kept but never shared.
    using Builder = std::function<bool(std::vector<std::uint8_t>& image)>;

    enum class Source {
        Mapped,     // an object another process made
        Published,  // built here and shared from now on
        Private,    // built here and held by this process only
    };

    // The image of the file `path` as it is now; `kind` names the derivation
    // (one file may have images of several kinds).  Null when the builder
    // fails.
    static std::unique_ptr<SharedImage> open(const std::string& path, std::string_view kind,
                                             const Builder& build);

    // The object's name for the file as it is now; empty when the file
    // cannot be examined.
    static std::string objectName(const std::string& path, std::string_view kind);
    // The folder where the objects are visible as files.
    static const char* objectFolder();

    ~SharedImage();
    SharedImage(const SharedImage&) = delete;
    SharedImage& operator=(const SharedImage&) = delete;

    const std::uint8_t* data() const { return m_data; }
    std::size_t size() const { return m_size; }
    Source source() const { return m_source; }

private:
    SharedImage() = default;

    const std::uint8_t* m_data = nullptr;
    std::size_t m_size = 0;
    Source m_source = Source::Private;
    void* m_mapping = nullptr;  // the whole object, header included
    std::size_t m_mappingSize = 0;
    std::vector<std::uint8_t> m_private;
};

}  // namespace quibo::platform
