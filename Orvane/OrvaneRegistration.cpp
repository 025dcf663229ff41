#include "Orvane/OrvaneRegistration.h"

#include "platform/Registry.h"

#include <climits>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <iostream>
#include <utility>

namespace quibo::orvane {
namespace {

using platform::RegistryFileEditor;

constexpr const char* TYPE_NAME = "Orvane Control";
constexpr const char* PROPERTY_PAGE_CAPTION = "Orvane Property Page";
constexpr const char* TYPELIB_NAME = "ORVANELib";
constexpr const char* VERSION = "1.0";
// Recompose on resize, cannot link inside, inside-out, activate when
// visible, set client site first.
constexpr const char* MISC_STATUS = "131473";  // 0x20191
// The automation marshaller, which carries every dispatch interface.
constexpr const char* DISPATCH_PROXY = "{00020420-0000-0000-C000-000000000046}";

// The dispatch ids of _DOrvane, in the type library's order.
constexpr std::pair<const char*, const char*> DISPATCH_IDS[] = {
    {"Iinitialize", "1"},       {"IsetUserQuestion", "2"},   {"IgetReplyInfo", "3"},
    {"IfreeReplyBstr", "4"},    {"IgetErrorMessage", "5"},   {"IfreeErrorBstr", "6"},
    {"IgetExtensionInfo", "7"}, {"IfreeExtensionInfo", "8"}, {"AboutBox", "-552"},
};

std::string classesKey(const std::string& path) { return CLASSES_ROOT + path; }
std::string classKey(const std::string& classId) { return classesKey("CLSID\\" + classId); }
std::string typeLibraryKey() { return classesKey(std::string("TypeLib\\") + TYPELIB_ID + "\\" + VERSION); }

void debugOutput(const char* text) { std::cerr << text << std::flush; }

bool registerTypeLibrary(const std::string& libraryPath, const RegistrySave& save)
{
    RegistryFileEditor editor;
    const std::string library = typeLibraryKey();
    editor.setString(library, "@", TYPELIB_NAME);
    editor.setString(library + "\\0\\linux", "@", libraryPath);
    editor.setString(library + "\\FLAGS", "@", "0");
    editor.setString(library + "\\HELPDIR", "@", std::filesystem::path(libraryPath).parent_path().string());
    editor.setString(library + "\\_DOrvane", "@", DISPATCH_IID);
    for (const auto& [name, dispatchId] : DISPATCH_IDS) {
        editor.setString(library + "\\_DOrvane", name, dispatchId);
    }
    for (const auto& [iid, name] : {std::pair{DISPATCH_IID, "_DOrvane"}, std::pair{EVENTS_IID, "_DOrvaneEvents"}}) {
        const std::string key = classesKey(std::string("Interface\\") + iid);
        editor.setString(key, "@", name);
        editor.setString(key + "\\ProxyStubClsid32", "@", DISPATCH_PROXY);
        editor.setString(key + "\\TypeLib", "@", TYPELIB_ID);
        editor.setString(key + "\\TypeLib", "Version", VERSION);
    }
    return save(editor);
}

bool unregisterTypeLibrary(const RegistrySave& save)
{
    RegistryFileEditor editor;
    editor.deleteKey(typeLibraryKey());
    editor.deleteKey(classesKey(std::string("Interface\\") + DISPATCH_IID));
    editor.deleteKey(classesKey(std::string("Interface\\") + EVENTS_IID));
    return save(editor);
}

void registerServerClass(RegistryFileEditor& editor, const std::string& classId, const char* name,
                         const std::string& libraryPath)
{
    editor.setString(classKey(classId), "@", name);
    editor.setString(classKey(classId) + "\\InprocServer32", "@", libraryPath);
    editor.setString(classKey(classId) + "\\InprocServer32", "ThreadingModel", "Apartment");
}

bool registerClasses(const std::string& libraryPath, const RegistrySave& save)
{
    RegistryFileEditor editor;
    const std::string control = classKey(CONTROL_CLSID);
    registerServerClass(editor, CONTROL_CLSID, TYPE_NAME, libraryPath);
    editor.setString(control + "\\ProgID", "@", CONTROL_PROGID);
    editor.createKey(control + "\\Control");
    editor.setString(control + "\\ToolboxBitmap32", "@", libraryPath + ", 1");
    editor.setString(control + "\\MiscStatus", "@", "0");
    editor.setString(control + "\\MiscStatus\\1", "@", MISC_STATUS);
    editor.setString(control + "\\TypeLib", "@", TYPELIB_ID);
    editor.setString(control + "\\Version", "@", VERSION);
    editor.setString(classesKey(CONTROL_PROGID), "@", TYPE_NAME);
    editor.setString(classesKey(CONTROL_PROGID) + "\\CLSID", "@", CONTROL_CLSID);
    registerServerClass(editor, PROPERTY_PAGE_CLSID, PROPERTY_PAGE_CAPTION, libraryPath);
    return save(editor);
}

bool unregisterClasses(const RegistrySave& save)
{
    RegistryFileEditor editor;
    editor.deleteKey(classKey(CONTROL_CLSID));
    editor.deleteKey(classesKey(CONTROL_PROGID));
    editor.deleteKey(classKey(PROPERTY_PAGE_CLSID));
    return save(editor);
}

}  // namespace

HRESULT registerServer(const std::string& libraryPath, const RegistrySave& save)
{
    if (!registerTypeLibrary(libraryPath, save)) {
        return SELFREG_E_TYPELIB;
    }
    if (!registerClasses(libraryPath, save)) {
        return SELFREG_E_CLASS;
    }
    if (registerCategory(CATID_SAFE_FOR_SCRIPTING, "Controls that are safely scriptable", save) != S_OK) {
        debugOutput("Failed to create component category (scriptable)!\n");
    }
    if (registerCategory(CATID_SAFE_FOR_INITIALIZING, "Controls safely initializable from persistent data", save) !=
        S_OK) {
        debugOutput("Failed to create component category (persistence)!\n");
    }
    if (markClassInCategory(CONTROL_CLSID, CATID_SAFE_FOR_SCRIPTING, save) != S_OK) {
        debugOutput("Failed to register control as safe for scripting!\n");
    }
    if (markClassInCategory(CONTROL_CLSID, CATID_SAFE_FOR_INITIALIZING, save) != S_OK) {
        debugOutput("Failed to register control as safe for initializing!\n");
    }
    return S_OK;
}

HRESULT unregisterServer(const RegistrySave& save)
{
    if (!unregisterTypeLibrary(save)) {
        return SELFREG_E_TYPELIB;
    }
    if (!unregisterClasses(save)) {
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

std::string thisModulePath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&thisModulePath), &info) == 0 || !info.dli_fname) {
        return {};
    }
    char resolved[PATH_MAX];
    return realpath(info.dli_fname, resolved) ? std::string(resolved) : std::string(info.dli_fname);
}

}  // namespace quibo::orvane
