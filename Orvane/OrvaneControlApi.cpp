// The control's C interface, exported from liborvane.so.  No exception
// crosses it: a failure inside answers what a missing control would.
#include "Orvane/OrvaneControl.h"

#include "Orvane/COrvaneCtrl.h"
#include "Orvane/OrvaneRegistration.h"

#include <strings.h>

struct OrvaneCtrl {
    quibo::orvane::COrvaneCtrl control;
};

namespace {

using quibo::orvane::COrvaneCtrl;

// Runs `body` on the control: `failed` for a null control or when anything
// is thrown.
template <typename Result, typename Body>
Result guarded(Result failed, Body body) noexcept
{
    try {
        return body();
    } catch (...) {
        return failed;
    }
}

template <typename Result, typename Body>
Result onControl(OrvaneCtrl* control, Result failed, Body body) noexcept
{
    return control ? guarded(failed, [&] { return body(control->control); }) : failed;
}

template <typename Body>
void onControl(OrvaneCtrl* control, Body body) noexcept
{
    onControl(control, 0, [&](COrvaneCtrl& c) {
        body(c);
        return 0;
    });
}

}  // namespace

extern "C" {

OrvaneCtrl* OrvaneCreateControl(void)
{
    return guarded<OrvaneCtrl*>(nullptr, [] { return new OrvaneCtrl; });
}

void OrvaneDestroyWindow(OrvaneCtrl* control)
{
    onControl(control, [](COrvaneCtrl& c) { c.destroyWindow(); });
}

void OrvaneDestroyControl(OrvaneCtrl* control)
{
    guarded(0, [&] {
        delete control;
        return 0;
    });
}

BOOL Iinitialize(OrvaneCtrl* control, const char* strDataFullPath)
{
    return onControl(control, 0, [&](COrvaneCtrl& c) { return c.Iinitialize(strDataFullPath); });
}

void IsetUserQuestion(OrvaneCtrl* control, const char* strQuestion)
{
    onControl(control, [&](COrvaneCtrl& c) { c.IsetUserQuestion(strQuestion); });
}

BSTR IgetReplyInfo(OrvaneCtrl* control)
{
    return onControl<BSTR>(control, nullptr, [](COrvaneCtrl& c) { return c.IgetReplyInfo(); });
}

void IfreeReplyBstr(OrvaneCtrl* control)
{
    onControl(control, [](COrvaneCtrl& c) { c.IfreeReplyBstr(); });
}

BSTR IgetErrorMessage(OrvaneCtrl* control)
{
    return onControl<BSTR>(control, nullptr, [](COrvaneCtrl& c) { return c.IgetErrorMessage(); });
}

void IfreeErrorBstr(OrvaneCtrl* control)
{
    onControl(control, [](COrvaneCtrl& c) { c.IfreeErrorBstr(); });
}

BSTR IgetExtensionInfo(OrvaneCtrl* control, const char* lpszKey)
{
    return onControl<BSTR>(control, nullptr, [&](COrvaneCtrl& c) { return c.IgetExtensionInfo(lpszKey); });
}

void IfreeExtensionInfo(OrvaneCtrl* control)
{
    onControl(control, [](COrvaneCtrl& c) { c.IfreeExtensionInfo(); });
}

void AboutBox(OrvaneCtrl* control)
{
    onControl(control, [](COrvaneCtrl& c) { c.AboutBox(); });
}

HRESULT DllRegisterServer(void)
{
    return guarded<HRESULT>(ORVANE_SELFREG_E_TYPELIB,
                            [] { return quibo::orvane::registerServer(quibo::orvane::thisModulePath()); });
}

HRESULT DllUnregisterServer(void)
{
    return guarded<HRESULT>(ORVANE_SELFREG_E_TYPELIB, [] { return quibo::orvane::unregisterServer(); });
}

HRESULT DllGetClassObject(const char* classId, const OrvaneClassObject** classObject)
{
    static const OrvaneClassObject table = {
        OrvaneCreateControl, OrvaneDestroyWindow, OrvaneDestroyControl, Iinitialize,
        IsetUserQuestion,    IgetReplyInfo,       IfreeReplyBstr,       IgetErrorMessage,
        IfreeErrorBstr,      IgetExtensionInfo,   IfreeExtensionInfo,   AboutBox,
    };
    if (!classObject) {
        return ORVANE_E_FAIL;
    }
    *classObject = nullptr;
    if (!classId || strcasecmp(classId, ORVANE_CLSID) != 0) {
        return ORVANE_CLASS_E_CLASSNOTAVAILABLE;
    }
    *classObject = &table;
    return ORVANE_S_OK;
}

}  // extern "C"
