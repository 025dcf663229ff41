#include "Orvane/OrvaneRegistration.h"

#include "platform/Registry.h"
#include "tests/support/InstallTree.h"
#include "tests/support/KnowledgeSamples.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace quibo::orvane {
namespace {

// The two categories as a system's registry already holds them.
const std::string CATEGORIES =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Component Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}]\n"
    "409=Controls that are safely scriptable\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Component Categories\\{7DD95802-9882-11CF-9FA9-00AA006C42C4}]\n"
    "409=Controls safely initializable from persistent data\n";

std::string classes(const std::string& key, const std::string& name)
{
    return platform::readRegistryString("SOFTWARE\\Classes\\" + key, name);
}

TEST(OrvaneRegistrationTest, RegistrationThenUnregistrationLeavesTheFileAsItWas)
{
    const std::string before = test::productSection() + "INSTALLPATH=/opt/quibo/\n" + CATEGORIES;
    test::TempRegistry registry(before);
    ASSERT_EQ(registerServer("/opt/quibo/liborvane.so"), S_OK);

    const std::string control = std::string("CLSID\\") + CONTROL_CLSID;
    const struct {
        std::string key, name, value;
    } expected[] = {
        {"ORVANE.OrvaneCtrl.1\\CLSID", "@", CONTROL_CLSID},
        {control, "@", "Orvane Control"},
        {control + "\\InprocServer32", "@", "/opt/quibo/liborvane.so"},
        {control + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {control + "\\MiscStatus\\1", "@", "131473"},
        {control + "\\TypeLib", "@", TYPELIB_ID},
        {std::string("CLSID\\") + PROPERTY_PAGE_CLSID, "@", "Orvane Property Page"},
        {std::string("TypeLib\\") + TYPELIB_ID + "\\1.0", "@", "ORVANELib"},
        {std::string("TypeLib\\") + TYPELIB_ID + "\\1.0\\_DOrvane", "IfreeExtensionInfo", "8"},
        {std::string("TypeLib\\") + TYPELIB_ID + "\\1.0\\_DOrvane", "AboutBox", "-552"},
        {std::string("Interface\\") + EVENTS_IID, "@", "_DOrvaneEvents"},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(classes(e.key, e.name), e.value) << e.key << " " << e.name;
    }
    for (const char* category : {CATID_SAFE_FOR_SCRIPTING, CATID_SAFE_FOR_INITIALIZING}) {
        EXPECT_NE(platform::RegistryKey::openLocalMachine("SOFTWARE\\Classes\\" + control +
                                                          "\\Implemented Categories\\" + category),
                  nullptr);
    }

    ASSERT_EQ(unregisterServer(), S_OK);
    EXPECT_EQ(test::readFile(registry.file()), before);
}

TEST(OrvaneRegistrationTest, CategoriesStayAndAReadOnlyFileIsRefused)
{
    test::TempRegistry registry("");
    ASSERT_EQ(registerServer("/opt/quibo/liborvane.so"), S_OK);
    ASSERT_EQ(unregisterServer(), S_OK);
    EXPECT_EQ(test::readFile(registry.file()), CATEGORIES);

    chmod(registry.file().c_str(), 0444);
    EXPECT_EQ(registerServer("/opt/quibo/liborvane.so"), SELFREG_E_TYPELIB);
    EXPECT_EQ(unregisterServer(), SELFREG_E_TYPELIB);
    EXPECT_EQ(test::readFile(registry.file()), CATEGORIES);
}

TEST(OrvaneRegistrationTest, AFailedStepGivesItsResultOrItsDebugText)
{
    // Saves in order: type library, classes, the two categories, the two
    // marks of the control.  Each row makes one save fail.
    const struct {
        bool unregister;
        int failingSave;
        HRESULT result;
        std::string debugText;
    } cases[] = {
        {false, 1, SELFREG_E_TYPELIB, ""},
        {false, 2, SELFREG_E_CLASS, ""},
        {false, 3, S_OK, "Failed to create component category (scriptable)!\n"},
        {false, 4, S_OK, "Failed to create component category (persistence)!\n"},
        {false, 5, S_OK, "Failed to register control as safe for scripting!\n"},
        {false, 6, S_OK, "Failed to register control as safe for initializing!\n"},
        {true, 1, SELFREG_E_TYPELIB, ""},
        {true, 2, SELFREG_E_CLASS, ""},
    };
    for (const auto& c : cases) {
        test::TempRegistry registry("");
        int saves = 0;
        const RegistrySave save = [&](const platform::RegistryFileEditor& editor) {
            return ++saves != c.failingSave && editor.save();
        };
        testing::internal::CaptureStderr();
        const HRESULT result = c.unregister ? unregisterServer(save) : registerServer("/opt/liborvane.so", save);
        EXPECT_EQ(result, c.result) << c.unregister << " " << c.failingSave;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.debugText) << c.unregister << " " << c.failingSave;
        // A failed type library or class save ends the work; a category's
        // failure does not.
        EXPECT_EQ(saves, c.unregister || c.failingSave <= 2 ? c.failingSave : 6);
    }
}

}  // namespace
}  // namespace quibo::orvane
