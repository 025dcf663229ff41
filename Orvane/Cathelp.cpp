#include "Orvane/Cathelp.h"

#include "platform/Registry.h"

namespace quibo::orvane {
namespace {

// Locale 1033 (English, United States) as a value name.
constexpr const char* LOCALE_1033 = "409";
constexpr std::size_t DESCRIPTION_LIMIT = 127;

}  // namespace

bool saveRegistryFile(const platform::RegistryFileEditor& editor) { return editor.save(); }

HRESULT registerCategory(const std::string& categoryId, const std::string& description, const RegistrySave& save)
{
    platform::RegistryFileEditor editor;
    editor.setString(std::string(CLASSES_ROOT) + "Component Categories\\" + categoryId, LOCALE_1033,
                     description.substr(0, DESCRIPTION_LIMIT));
    return save(editor) ? S_OK : E_FAIL;
}

HRESULT markClassInCategory(const std::string& classId, const std::string& categoryId, const RegistrySave& save)
{
    platform::RegistryFileEditor editor;
    editor.createKey(std::string(CLASSES_ROOT) + "CLSID\\" + classId + "\\Implemented Categories\\" + categoryId);
    return save(editor) ? S_OK : E_FAIL;
}

}  // namespace quibo::orvane
