/* The Orvane control's interface for hosts.
 *
 * liborvane.so holds the conversation engine behind a control that a host
 * drives as a page's script drives it: create a control, initialise it with
 * the URL of a compiled knowledge file, hand it each question and read the
 * reply, the error text and extension values.
 *
 * A host finds the library through the registry file: the ProgID
 * "ORVANE.OrvaneCtrl.1" gives the class id, the class id the library's path
 * (orvane-register writes both).  It loads the library and asks
 * DllGetClassObject for the class object, a table of the functions below.
 *
 * Threading: apartment.  Every call comes from the one thread that created
 * the control; the control creates no threads.
 *
 * Text: arguments are NUL-terminated Shift_JIS (code page 932); results are
 * BSTRs: UTF-16 text whose length in bytes, a 32-bit number, sits just
 * before the first character, followed by a NUL character.  A result stays
 * valid until the host frees it with the matching call (IfreeReplyBstr,
 * IfreeErrorBstr, IfreeExtensionInfo) or destroys the control.  A host
 * copies what it needs and never frees a BSTR itself.  Calling a getter
 * again before the free keeps the earlier string valid until the control is
 * destroyed.
 *
 * No call ever blocks for good: a reply that does not come is an empty reply
 * after 5000 ms.
 */
#ifndef ORVANE_CONTROL_H
#define ORVANE_CONTROL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
typedef char16_t OLECHAR;
#else
typedef uint_least16_t OLECHAR;
#endif

typedef OLECHAR* BSTR;
typedef int32_t HRESULT;
typedef int BOOL;

#define ORVANE_PROGID "ORVANE.OrvaneCtrl.1"
#define ORVANE_CLSID "{7F2D32A2-9842-46D1-A05A-C0462095CD72}"

#define ORVANE_S_OK ((HRESULT)0)
#define ORVANE_E_FAIL ((HRESULT)0x80004005)
#define ORVANE_CLASS_E_CLASSNOTAVAILABLE ((HRESULT)0x80040111)
#define ORVANE_SELFREG_E_TYPELIB ((HRESULT)0x80040200)
#define ORVANE_SELFREG_E_CLASS ((HRESULT)0x80040201)

#if defined(__GNUC__)
#define ORVANE_API __attribute__((visibility("default")))
#else
#define ORVANE_API
#endif

typedef struct OrvaneCtrl OrvaneCtrl;

/* A new control.  Its window, and the dialog inside it, are created when
 * the host's message queue next runs (Iinitialize runs it), as a host
 * activates a control after creating it. */
ORVANE_API OrvaneCtrl* OrvaneCreateControl(void);
/* Ends the control's window and its dialog (the page goes away); the
 * methods then answer empty results. */
ORVANE_API void OrvaneDestroyWindow(OrvaneCtrl* control);
/* Destroys the control and frees every BSTR it still holds. */
ORVANE_API void OrvaneDestroyControl(OrvaneCtrl* control);

/* dispid 1: 1 when the knowledge file was fetched and a session started. */
ORVANE_API BOOL Iinitialize(OrvaneCtrl* control, const char* strDataFullPath);
/* dispid 2: an empty question is ignored. */
ORVANE_API void IsetUserQuestion(OrvaneCtrl* control, const char* strQuestion);
/* dispid 3: the reply (the greeting first). */
ORVANE_API BSTR IgetReplyInfo(OrvaneCtrl* control);
/* dispid 4 */
ORVANE_API void IfreeReplyBstr(OrvaneCtrl* control);
/* dispid 5: why the last Iinitialize failed ("input pdata path error",
 * "install path error", or "download error: " and the download's reason),
 * empty after a start or an empty URL. */
ORVANE_API BSTR IgetErrorMessage(OrvaneCtrl* control);
/* dispid 6 */
ORVANE_API void IfreeErrorBstr(OrvaneCtrl* control);
/* dispid 7: the value of the last extension pair named lpszKey (ASCII
 * letters compared without case), empty when there is none. */
ORVANE_API BSTR IgetExtensionInfo(OrvaneCtrl* control, const char* lpszKey);
/* dispid 8 */
ORVANE_API void IfreeExtensionInfo(OrvaneCtrl* control);
/* dispid -552: the about texts, on standard output. */
ORVANE_API void AboutBox(OrvaneCtrl* control);

/* Write (or remove) the control's identity in the registry file. */
ORVANE_API HRESULT DllRegisterServer(void);
ORVANE_API HRESULT DllUnregisterServer(void);

typedef struct OrvaneClassObject {
    OrvaneCtrl* (*CreateControl)(void);
    void (*DestroyWindow)(OrvaneCtrl*);
    void (*DestroyControl)(OrvaneCtrl*);
    BOOL (*Iinitialize)(OrvaneCtrl*, const char*);
    void (*IsetUserQuestion)(OrvaneCtrl*, const char*);
    BSTR (*IgetReplyInfo)(OrvaneCtrl*);
    void (*IfreeReplyBstr)(OrvaneCtrl*);
    BSTR (*IgetErrorMessage)(OrvaneCtrl*);
    void (*IfreeErrorBstr)(OrvaneCtrl*);
    BSTR (*IgetExtensionInfo)(OrvaneCtrl*, const char*);
    void (*IfreeExtensionInfo)(OrvaneCtrl*);
    void (*AboutBox)(OrvaneCtrl*);
} OrvaneClassObject;

/* The class object of the class id classId ("{...}", any case): S_OK, or
 * ORVANE_CLASS_E_CLASSNOTAVAILABLE for another class. */
ORVANE_API HRESULT DllGetClassObject(const char* classId, const OrvaneClassObject** classObject);

/* Characters in a BSTR (0 for a null one). */
static inline uint32_t OrvaneBstrLength(BSTR text)
{
    return text ? ((const uint32_t*)(const void*)text)[-1] / (uint32_t)sizeof(OLECHAR) : 0;
}

#ifdef __cplusplus
}
#endif

#endif
