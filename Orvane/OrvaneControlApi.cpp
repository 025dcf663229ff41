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

template <typename Result, typename Call>
Result guarded(Result failed, Call call) noexcept
{
    try {
        return call();
    } catch (...) {
        return failed;
    }
}

template <typename Call>
void guarded(Call call) noexcept
{
    try {
        call();
    } catch (...) {
    }
}

}  // namespace

extern "C" {

OrvaneCtrl* OrvaneCreateControl(void)
{
    return guarded<OrvaneCtrl*>(nullptr, [] { return new OrvaneCtrl; });
}

void OrvaneDestroyWindow(OrvaneCtrl* control)
{
    guarded([&] {
        if (control) {
            control->control.destroyWindow();
        }
    });
}

void OrvaneDestroyControl(OrvaneCtrl* control)
{
    guarded([&] { delete control; });
}

BOOL Iinitialize(OrvaneCtrl* control, const char* strDataFullPath)
{
    return guarded<BOOL>(0, [&] { return control ? control->control.Iinitialize(strDataFullPath) : 0; });
}

void IsetUserQuestion(OrvaneCtrl* control, const char* strQuestion)
{
    guarded([&] {
        if (control) {
            control->control.IsetUserQuestion(strQuestion);
        }
    });
}

BSTR IgetReplyInfo(OrvaneCtrl* control)
{
    return guarded<BSTR>(nullptr, [&] { return control ? control->control.IgetReplyInfo() : nullptr; });
}

void IfreeReplyBstr(OrvaneCtrl* control)
{
    guarded([&] {
        if (control) {
            control->control.IfreeReplyBstr();
        }
    });
}

BSTR IgetErrorMessage(OrvaneCtrl* control)
{
    return guarded<BSTR>(nullptr, [&] { return control ? control->control.IgetErrorMessage() : nullptr; });
}

void IfreeErrorBstr(OrvaneCtrl* control)
{
    guarded([&] {
        if (control) {
            control->control.IfreeErrorBstr();
        }
    });
}

BSTR IgetExtensionInfo(OrvaneCtrl* control, const char* lpszKey)
{
    return guarded<BSTR>(nullptr,
                         [&] { return control ? control->control.IgetExtensionInfo(lpszKey) : nullptr; });
}

void IfreeExtensionInfo(OrvaneCtrl* control)
{
    guarded([&] {
        if (control) {
            control->control.IfreeExtensionInfo();
        }
    });
}

void AboutBox(OrvaneCtrl* control)
{
    guarded([&] {
        if (control) {
            control->control.AboutBox();
        }
    });
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
