// The control's identity in the registry file, and the library's
// self-registration behind DllRegisterServer and DllUnregisterServer.
#pragma once

#include "Orvane/Cathelp.h"

#include <string>

namespace quibo::orvane {

inline constexpr HRESULT SELFREG_E_TYPELIB = static_cast<HRESULT>(0x80040200u);
inline constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201u);

inline constexpr const char* CONTROL_CLSID = "{7F2D32A2-9842-46D1-A05A-C0462095CD72}";
inline constexpr const char* DISPATCH_IID = "{5971EDA5-9080-4A80-87B8-D92E32B28006}";
inline constexpr const char* EVENTS_IID = "{7A92181D-F8B4-4FC2-ACEB-C53F20C2ECB0}";
inline constexpr const char* TYPELIB_ID = "{36203620-265E-457A-A4C6-DDFDBD7DE10A}";
inline constexpr const char* PROPERTY_PAGE_CLSID = "{644C9A5C-9D93-463B-88BD-7B2F0F7CA193}";
inline constexpr const char* CONTROL_PROGID = "ORVANE.OrvaneCtrl.1";

// Writes the type library, the control and property page classes and the
// component categories, naming `libraryPath` as the server.  S_OK,
// SELFREG_E_TYPELIB or SELFREG_E_CLASS; the categories' failures are only
// reported on standard error.
HRESULT registerServer(const std::string& libraryPath, const RegistrySave& save = saveRegistryFile);
// Removes the type library and the classes; the categories stay.
HRESULT unregisterServer(const RegistrySave& save = saveRegistryFile);

// The absolute path of the file (library or program) that holds this code.
std::string thisModulePath();

}  // namespace quibo::orvane
