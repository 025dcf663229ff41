#include "platform/SharedImage.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace quibo::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string objectPath(const std::string& file)
{
    return std::string(SharedImage::objectFolder()) + "/" + SharedImage::objectName(file, "test");
}

// A file of `size` bytes and an image kind that reverses it, counting builds.
struct ImageFixture {
    std::string path = std::string(QUIBO_BINARY_DIR) + "/shared-image-" + std::to_string(::getpid());
    int builds = 0;

    void write(std::size_t size, char fill)
    {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << std::string(size - 1, fill) << 'z';
    }
    Bytes expected() const
    {
        std::ifstream in(path, std::ios::binary);
        Bytes bytes((std::istreambuf_iterator<char>(in)), {});
        return Bytes(bytes.rbegin(), bytes.rend());
    }
    std::unique_ptr<SharedImage> open()
    {
        return SharedImage::open(path, "test", [this](Bytes& image) {
            ++builds;
            image = expected();
            return true;
        });
    }
    static Bytes bytesOf(const SharedImage& image) { return Bytes(image.data(), image.data() + image.size()); }
    ~ImageFixture()
    {
        std::remove(objectPath(path).c_str());
        std::remove(path.c_str());
    }
};

TEST(SharedImageTest, SecondOpenMapsTheImageTheFirstPublished)
{
    ImageFixture f;
    f.write(100000, 'a');
    const auto first = f.open();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->source(), SharedImage::Source::Published);
    struct stat info {};
    ASSERT_EQ(::stat(objectPath(f.path).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0400u);

    const auto second = f.open();
    EXPECT_EQ(second->source(), SharedImage::Source::Mapped);
    EXPECT_EQ(f.builds, 1);
    EXPECT_EQ(ImageFixture::bytesOf(*second), f.expected());
    EXPECT_EQ(ImageFixture::bytesOf(*first), f.expected());
}

TEST(SharedImageTest, ChangedFileIsRebuiltAndItsOldImageRemoved)
{
    ImageFixture f;
    f.write(100000, 'a');
    const std::string oldObject = objectPath(f.path);
    f.open();
    f.write(100000, 'b');  // same size, new contents
    const auto image = f.open();
    EXPECT_EQ(f.builds, 2);
    EXPECT_EQ(ImageFixture::bytesOf(*image), f.expected());
    EXPECT_NE(objectPath(f.path), oldObject);
    EXPECT_NE(::access(oldObject.c_str(), F_OK), 0);
}

struct Tampering {
    const char* name;
    std::function<void(const std::string& object)> apply;
};

TEST(SharedImageTest, UntrustedObjectIsRebuiltNotServed)
{
    const Tampering cases[] = {
        {"a changed image byte",
         [](const std::string& object) {
             ::chmod(object.c_str(), 0600);
             std::fstream io(object, std::ios::in | std::ios::out | std::ios::binary);
             io.seekp(-1, std::ios::end);
             io.put('!');
         }},
        {"cut short", [](const std::string& object) { ::truncate(object.c_str(), 4096); }},
        {"writable by others", [](const std::string& object) { ::chmod(object.c_str(), 0422); }},
        {"another user's", [](const std::string& object) { ASSERT_EQ(::chown(object.c_str(), 65534, 65534), 0); }},
    };
    for (const Tampering& tampering : cases) {
        if (std::string(tampering.name) == "another user's" && ::geteuid() != 0) continue;
        ImageFixture f;
        f.write(70000, 'c');
        f.open();
        tampering.apply(objectPath(f.path));
        const auto image = f.open();
        EXPECT_EQ(f.builds, 2) << tampering.name;
        EXPECT_EQ(image->source(), SharedImage::Source::Published) << tampering.name;
        EXPECT_EQ(ImageFixture::bytesOf(*image), f.expected()) << tampering.name;
    }
}

TEST(SharedImageTest, SmallFilesAndEmptyImagesStayPrivate)
{
    ImageFixture f;
    f.write(1000, 'd');
    EXPECT_EQ(f.open()->source(), SharedImage::Source::Private);
    EXPECT_EQ(f.open()->source(), SharedImage::Source::Private);
    EXPECT_EQ(f.builds, 2);

    f.write(100000, 'd');
    const auto empty = SharedImage::open(f.path, "test", [](Bytes&) { return true; });
    EXPECT_EQ(empty->source(), SharedImage::Source::Private);
    EXPECT_EQ(empty->size(), 0u);
    EXPECT_NE(::access(objectPath(f.path).c_str(), F_OK), 0);
    EXPECT_EQ(SharedImage::open(f.path, "test", [](Bytes&) { return false; }), nullptr);
}

}  // namespace
}  // namespace quibo::platform
