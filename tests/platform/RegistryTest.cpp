#include "platform/Registry.h"

#include "tests/support/TempRegistry.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace quibo::platform {
namespace {

using test::TempRegistry;
using test::utf8;

TEST(RegistryTest, JapaneseKeyNameInTheFileMatchesEngineText)
{
    TempRegistry registry(utf8(u8"[HKEY_LOCAL_MACHINE\\SOFTWARE\\NEVLA\\QUIBOシステム\\3.1]\n"
                               u8"INSTALLPATH=/opt/quibo/\n"
                               u8"OrvaneDefaultDlUrl=https://example.org/player\n"));
    EXPECT_EQ(readRegistryString(PRODUCT_KEY, "INSTALLPATH"), "/opt/quibo/");
    EXPECT_EQ(readRegistryString(PRODUCT_KEY, "OrvaneDefaultDlUrl"),
              "https://example.org/player");
}

TEST(RegistryTest, KeysAndNamesIgnoreCaseAndBackslashRuns)
{
    TempRegistry registry("\xEF\xBB\xBF; written by hand\r\n"
                          "[hkey_local_machine\\\\Software\\Acme\\]\r\n"
                          "  Name = value with spaces\r\n"
                          "[HKEY_LOCAL_MACHINE\\Software\\Other]\n"
                          "Name=other\n");
    EXPECT_EQ(readRegistryString("\\SOFTWARE\\ACME", "NAME"), " value with spaces");
    EXPECT_EQ(readRegistryString("SOFTWARE\\OTHER\\", "name"), "other");
}

TEST(RegistryTest, MissingFileKeyOrValueReadsAsEmpty)
{
    TempRegistry registry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Acme]\nName=x\n");
    EXPECT_EQ(RegistryKey::openLocalMachine("SOFTWARE\\Missing"), nullptr);
    EXPECT_EQ(readRegistryString("SOFTWARE\\Acme", "Other"), "");
    // A key of another root is not the same key.
    EXPECT_EQ(RegistryKey::openLocalMachine("Acme"), nullptr);
    setenv("QUIBO_REGISTRY", (registry.file() + ".absent").c_str(), 1);
    EXPECT_EQ(RegistryKey::openLocalMachine("SOFTWARE\\Acme"), nullptr);
}

TEST(RegistryTest, EmptyKeyExistsAndEmptyValueIsRead)
{
    TempRegistry registry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Acme]\nBlank=\n"
                          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Hollow]\n");
    ASSERT_NE(RegistryKey::openLocalMachine("SOFTWARE\\Hollow"), nullptr);
    const auto key = RegistryKey::openLocalMachine("SOFTWARE\\Acme");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->queryString("Blank"), std::optional<std::string>(""));
}

TEST(RegistryTest, LaterLineForTheSameValueHolds)
{
    TempRegistry registry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Acme]\nName=first\n"
                          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Acme]\nName=second\n");
    EXPECT_EQ(readRegistryString("SOFTWARE\\Acme", "Name"), "second");
}

TEST(RegistryTest, ValueMustFitTheBufferWithItsTerminatingNul)
{
    const std::string fits(1023, 'a');
    const std::string tooLong(1024, 'b');
    TempRegistry registry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Acme]\nFits=" + fits +
                          "\nTooLong=" + tooLong + "\n");
    EXPECT_EQ(readRegistryString("SOFTWARE\\Acme", "Fits"), fits);
    EXPECT_EQ(readRegistryString("SOFTWARE\\Acme", "TooLong"), "");
    const auto key = RegistryKey::openLocalMachine("SOFTWARE\\Acme");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->queryString("TooLong", 1025), tooLong);
}

TEST(RegistryTest, ValueIsReadAsACString)
{
    const char contents[] = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Acme]\nName=ab\0cd\n";
    TempRegistry registry(std::string(contents, sizeof contents - 1));
    EXPECT_EQ(readRegistryString("SOFTWARE\\Acme", "Name"), "ab");
}

TEST(RegistryTest, DefaultFileLivesInTheUsersConfigurationFolder)
{
    const char* previous = std::getenv("QUIBO_REGISTRY");
    const std::string saved = previous ? previous : "";
    unsetenv("QUIBO_REGISTRY");
    setenv("XDG_CONFIG_HOME", "/tmp/config-home", 1);
    EXPECT_EQ(registryFilePath(), "/tmp/config-home/quibo/registry");
    unsetenv("XDG_CONFIG_HOME");
    setenv("QUIBO_REGISTRY", "/elsewhere/registry", 1);
    EXPECT_EQ(registryFilePath(), "/elsewhere/registry");
    if (previous) {
        setenv("QUIBO_REGISTRY", saved.c_str(), 1);
    } else {
        unsetenv("QUIBO_REGISTRY");
    }
}

std::string fileContents(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

TEST(RegistryTest, EditorChangesOnlyWhatItTouches)
{
    const std::string before = "; mine\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Acme]\r\nName=old\r\n\r\n"
                               "[HKEY_LOCAL_MACHINE\\Software\\Acme\\Sub]\nX=1\n[HKEY_LOCAL_MACHINE\\Kept]";
    TempRegistry registry(before);
    RegistryFileEditor editor;
    editor.setString("HKEY_LOCAL_MACHINE\\SOFTWARE\\ACME", "name", "new");
    editor.setString("HKEY_LOCAL_MACHINE\\SOFTWARE\\ACME", "Other", "2");
    editor.createKey("HKEY_LOCAL_MACHINE\\New\\Empty");
    editor.deleteKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Acme\\");
    editor.setString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Acme", "@", "default");
    ASSERT_TRUE(editor.save());
    EXPECT_EQ(fileContents(registry.file()),
              "; mine\r\n[HKEY_LOCAL_MACHINE\\Kept]\n[HKEY_LOCAL_MACHINE\\New\\Empty]\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Acme]\n@=default");
    EXPECT_EQ(readRegistryString("SOFTWARE\\Acme", "@"), "default");
    EXPECT_NE(RegistryKey::openLocalMachine("New\\Empty"), nullptr);

    RegistryFileEditor undo;
    undo.deleteKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Acme");
    undo.deleteKey("HKEY_LOCAL_MACHINE\\New");
    ASSERT_TRUE(undo.save());
    EXPECT_EQ(fileContents(registry.file()), "; mine\r\n[HKEY_LOCAL_MACHINE\\Kept]");

    // A file whose permission bits allow no writing is not written, even by
    // a superuser.
    chmod(registry.file().c_str(), 0444);
    RegistryFileEditor readOnly;
    readOnly.setString("HKEY_LOCAL_MACHINE\\Kept", "A", "b");
    EXPECT_FALSE(readOnly.save());
    EXPECT_EQ(fileContents(registry.file()), "; mine\r\n[HKEY_LOCAL_MACHINE\\Kept]");
}

}  // namespace
}  // namespace quibo::platform
