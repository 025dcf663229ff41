// Component categories: registering a category and marking a class as
// implementing one, in the registry file's class tree.
#pragma once

#include <functional>
#include <string>

namespace quibo::platform {
class RegistryFileEditor;
}

namespace quibo::orvane {

using HRESULT = int;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);

// Where HKEY_CLASSES_ROOT lives in the registry file.
inline constexpr const char* CLASSES_ROOT = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\";

inline constexpr const char* CATID_SAFE_FOR_SCRIPTING = "{7DD95801-9882-11CF-9FA9-00AA006C42C4}";
inline constexpr const char* CATID_SAFE_FOR_INITIALIZING = "{7DD95802-9882-11CF-9FA9-00AA006C42C4}";

// Writes one registration step's edits to the registry file: true when
// they were saved.  Every step saves through one, so that a test can make
// any single step fail.
using RegistrySave = std::function<bool(const platform::RegistryFileEditor&)>;
bool saveRegistryFile(const platform::RegistryFileEditor& editor);

// Registers the category with its description (at most 127 characters are
// kept) for locale 1033.
HRESULT registerCategory(const std::string& categoryId, const std::string& description,
                         const RegistrySave& save = saveRegistryFile);
HRESULT markClassInCategory(const std::string& classId, const std::string& categoryId,
                            const RegistrySave& save = saveRegistryFile);

}  // namespace quibo::orvane
