#include "platform/tar32/Tar32.h"

#include "tests/support/TarWriter.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace quibo::test {
namespace {

// Runs one command: the result code and the message the library wrote.
std::pair<int, std::string> run(const std::string& command)
{
    char output[1001] = "untouched";
    const int rc = Tar(nullptr, command.c_str(), output, 1000);
    return {rc, output};
}

std::string quoted(const std::string& path)
{
    return "\"" + path + "\"";
}

TEST(Tar32Test, ExtractsAndListsAGoodArchiveLeavingTheOutputEmpty)
{
    TempFolder dir;
    const std::string res = dir.path("sample.res");
    ASSERT_TRUE(writeTar(res, {{"./", "", AE_IFDIR}, {"sample.pdata", "knowledge"}, {"sub/", "", AE_IFDIR},
                               {"sub/note.txt", "x"}}));
    std::filesystem::create_directory(dir.path("out"));
    EXPECT_EQ(run("-x --display-dialog=0 " + quoted(res) + " -o " + quoted(dir.path("out"))),
              std::make_pair(0, std::string()));
    EXPECT_EQ(dir.read("out/sample.pdata"), "knowledge");
    EXPECT_EQ(dir.read("out/sub/note.txt"), "x");
    EXPECT_NE(TarCheckArchive(res.c_str(), 0), 0);

    TAR32_HANDLE archive = TarOpenArchive(nullptr, res.c_str(), 0);
    ASSERT_NE(archive, nullptr);
    TarMemberInfo info{};
    std::string names;
    for (int found = TarFindFirst(archive, "*.*", &info); found == 0; found = TarFindNext(archive, &info)) {
        names += std::string(info.fileName) + ";";
    }
    EXPECT_EQ(names, "./;sample.pdata;sub/;sub/note.txt;");
    ASSERT_EQ(TarFindFirst(archive, "*.pdata", &info), 0);
    EXPECT_STREQ(info.fileName, "sample.pdata");
    EXPECT_EQ(info.size, 9u);
    EXPECT_EQ(TarFindNext(archive, &info), TAR32_END_OF_MEMBERS);
    TarCloseArchive(archive);
}

// Each unsafe member refuses the whole archive: nothing is written inside the
// output folder or anywhere else.
TEST(Tar32Test, HostileArchivesFailWithoutWritingAnything)
{
    TempFolder dir;
    const std::string outside = dir.path("outside");
    std::filesystem::create_directory(outside);
    const std::vector<std::pair<const char*, TarMember>> cases = {
        {"absolute", {outside + "/abs.txt", "x"}},
        {"climbing", {"../outside/up.txt", "x"}},
        {"climbing inside", {"a/../../outside/up2.txt", "x"}},
        {"symbolic link", {"link", "", AE_IFLNK, outside}},
        {"hard link", {"hard", "", AE_IFREG, "", "/etc/passwd"}},
        {"device", {"dev", "", AE_IFCHR}},
        {"fifo", {"fifo", "", AE_IFIFO}},
    };
    for (const auto& [label, member] : cases) {
        SCOPED_TRACE(label);
        const std::string res = dir.path("hostile.res");
        const std::string out = dir.path("out");
        std::filesystem::remove_all(out);
        std::filesystem::create_directory(out);
        ASSERT_TRUE(writeTar(res, {{"first.txt", "written first?"}, member}));
        const auto [rc, message] = run("-x " + quoted(res) + " -o " + quoted(out));
        EXPECT_EQ(rc, TAR32_ERROR_UNSAFE);
        EXPECT_FALSE(message.empty());
        EXPECT_TRUE(std::filesystem::is_empty(out));
        EXPECT_TRUE(std::filesystem::is_empty(outside));
    }

    // A link already in the output folder is never written through.
    const std::string out = dir.path("linked");
    std::filesystem::create_directory(out);
    std::filesystem::create_directory_symlink(outside, out + "/sub");
    ASSERT_TRUE(writeTar(dir.path("through.res"), {{"sub/escaped.txt", "x"}}));
    EXPECT_NE(run("-x " + quoted(dir.path("through.res")) + " -o " + quoted(out)).second, "");
    EXPECT_TRUE(std::filesystem::is_empty(outside));
}

TEST(Tar32Test, DamagedArchivesAreRefusedWhole)
{
    TempFolder dir;
    const std::string good = dir.path("good.res");
    ASSERT_TRUE(writeTar(good, {{"a.txt", "a"}, {"big.bin", std::string(100000, 'b')}}));
    const std::string bytes = dir.read("good.res");
    const std::string truncated = dir.write("truncated.res", bytes.substr(0, bytes.size() / 2));
    // Cut right after a.txt's header and data block: what is there is whole,
    // but big.bin and the end-of-archive blocks are missing.
    const std::string cutBetweenMembers = dir.write("cut.res", bytes.substr(0, 1024));
    const std::string text = dir.write("text.res", "this is not an archive\n");
    std::filesystem::create_directory(dir.path("out"));
    for (const std::string& res : {truncated, cutBetweenMembers, text, dir.path("missing.res")}) {
        SCOPED_TRACE(res);
        EXPECT_EQ(TarCheckArchive(res.c_str(), 0), 0);
        EXPECT_EQ(TarOpenArchive(nullptr, res.c_str(), 0), nullptr);
        EXPECT_EQ(run("-x " + quoted(res) + " -o " + quoted(dir.path("out"))).first, TAR32_ERROR_ARCHIVE);
        EXPECT_TRUE(std::filesystem::is_empty(dir.path("out")));
    }
}

// A small compressed archive cannot fill the disk: an extraction that would
// write more bytes or entries than its limits writes nothing and says which
// member crossed which limit.  The defaults are generous for real packages.
TEST(Tar32Test, ExtractionsBeyondTheirLimitsWriteNothing)
{
    TempFolder dir;
    const std::string bomb = dir.path("bomb.res");
    ASSERT_TRUE(writeTar(bomb, {{"a.txt", "a"}, {"zeros.bin", std::string(4 << 20, '\0')}}, true));
    EXPECT_LT(std::filesystem::file_size(bomb), 64u * 1024);
    const std::string many = dir.path("many.res");
    ASSERT_TRUE(writeTar(many, {{"1", "x"}, {"2", "x"}, {"3", "x"}}));
    std::filesystem::create_directory(dir.path("out"));
    const std::string out = " -o " + quoted(dir.path("out"));
    EXPECT_EQ(run("-x --limit-bytes=1000000 " + quoted(bomb) + out),
              std::make_pair(int(TAR32_ERROR_LIMIT),
                             std::string("the member zeros.bin takes the archive over 1000000 bytes (the limit of bytes)")));
    EXPECT_EQ(run("-x --limit-entries=2 " + quoted(many) + out),
              std::make_pair(int(TAR32_ERROR_LIMIT), std::string("the archive holds more than 2 entries (the limit of entries)")));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path("out")));
    EXPECT_EQ(run("-x --limit-bytes=x " + quoted(many) + out).first, TAR32_ERROR_COMMAND);
    EXPECT_EQ(run("-x " + quoted(bomb) + out), std::make_pair(0, std::string()));
    EXPECT_EQ(std::filesystem::file_size(dir.path("out/zeros.bin")), 4u << 20);
}

TEST(Tar32Test, CreatesFromAListFileThatTheSystemTarReads)
{
    TempFolder dir;
    dir.write("work/index.html", "<html>");
    dir.write("work/quibo/custom.js", "var a;");
    dir.write("work/with space.txt", "s");
    dir.write("quibo_tgz.in", "--\r\n\"index.html\"\r\n\"quibo/custom.js\"\r\n\"with space.txt\"\r\n");
    const std::string tgz = dir.path("out.tgz");
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path("work"));
    const auto made = run("-cz --display-dialog=0 " + quoted(tgz) + "  @../quibo_tgz.in");

    // A listed symbolic link or a missing file fails, and the archive begun
    // is removed.
    std::filesystem::create_symlink("/etc/passwd", "link");
    const auto viaLink = run("-cz " + quoted(dir.path("bad.tgz")) + " index.html link");
    const auto missing = run("-cz " + quoted(dir.path("bad.tgz")) + " index.html nothing");
    std::filesystem::current_path(previous);

    EXPECT_EQ(made, std::make_pair(0, std::string()));
    EXPECT_EQ(commandOutput("tar -tzf " + quoted(tgz) + " | sort"), "index.html\nquibo/custom.js\nwith space.txt\n");
    EXPECT_EQ(viaLink.first, TAR32_ERROR_FILE);
    EXPECT_EQ(missing.first, TAR32_ERROR_FILE);
    EXPECT_FALSE(std::filesystem::exists(dir.path("bad.tgz")));
}

TEST(Tar32Test, CommandLinesOutsideTheLanguageFailWithAMessage)
{
    TempFolder dir;
    for (const std::string& command :
         {std::string("-x \"unclosed -o x"), std::string("-q a.tar"), std::string("-x a.tar"),
          std::string("-x -cz a.tar"), std::string("-cz a.tgz @" + dir.path("no-list"))}) {
        SCOPED_TRACE(command);
        const auto [rc, message] = run(command);
        EXPECT_EQ(rc, TAR32_ERROR_COMMAND);
        EXPECT_FALSE(message.empty());
        EXPECT_EQ(message.find('\n'), std::string::npos);
    }
    // A message is cut to the buffer and always ends in a NUL.
    char small[5];
    EXPECT_NE(Tar(nullptr, "-q", small, sizeof small), 0);
    EXPECT_EQ(std::string(small).size(), 4u);
}

}  // namespace
}  // namespace quibo::test
