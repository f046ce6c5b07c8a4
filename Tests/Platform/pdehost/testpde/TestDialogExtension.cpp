/*
 * TestDialogExtension.cpp
 *
 * A small dialog extension for the host's own tests. It writes a trace of
 * every call the dialog makes into it ("testpde: ..." on standard error),
 * moves one edit field ('test' 1) from its nib into the pane area, and writes three items
 * into the print-settings ticket when the tickets are synced: the field's
 * text, a boolean, a number (which the print system cannot pass as a job
 * option) and a string under a key with a blank in it (no option name
 * either).
 *
 * PDEHOST_TEST_PDE_MODE makes it misbehave the ways the host must notice:
 *   no-interface    the instance offers no dialog-extension interface
 *   prologue-fails  Prologue returns -9530 and makes no pane
 *   leak            Prologue keeps a string it never releases, and the
 *                   instance stays registered after its last release
 */
#include <ApplicationServices/ApplicationServices.h>
#include <Carbon/Carbon.h>

#include <StandIn/HIStandIn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#define TRACE(format, ...) std::fprintf(stderr, "testpde: " format "\n" __VA_OPT__(, ) __VA_ARGS__)

namespace {

bool inMode(const char *name) {
    const char *mode = std::getenv("PDEHOST_TEST_PDE_MODE");
    return mode != nullptr && std::strcmp(mode, name) == 0;
}

struct Instance {
    const IUnknownVTbl *vtable;
    ULONG refCount;
    CFUUIDRef factoryID;
};

struct Interface {
    const PlugInIntfVTable *vtable;
    UInt32 refCount;
};

struct Pane {
    ControlRef field = nullptr;
};

CFStringRef gLeakedString = nullptr;

OSStatus Retain(PMPlugInHeaderInterface *object) {
    auto *interface = reinterpret_cast<Interface *>(object);
    interface->refCount++;
    TRACE("Retain count=%u", static_cast<unsigned>(interface->refCount));
    return noErr;
}

OSStatus Release(PMPlugInHeaderInterface **objectPointer) {
    auto *interface = reinterpret_cast<Interface *>(*objectPointer);
    *objectPointer = nullptr;
    interface->refCount--;
    TRACE("Release count=%u", static_cast<unsigned>(interface->refCount));
    if (interface->refCount == 0)
        std::free(interface);
    return noErr;
}

OSStatus GetAPIVersion(PMPlugInHeaderInterface *, PMPlugInAPIVersion *version) {
    TRACE("GetAPIVersion");
    *version = {1, 0, 1, 0};
    return noErr;
}

OSStatus Prologue(PMPDEContext *context, OSType *creator, CFStringRef *kind, CFStringRef *title,
                  UInt32 *maxH, UInt32 *maxV) {
    TRACE("Prologue");
    *creator = 0;
    *kind = CFSTR("com.example.pde.TestKind");
    *maxH = 200;
    *maxV = 60;
    if (inMode("prologue-fails"))
        return kPMInvalidPDEContext;
    if (inMode("leak"))
        gLeakedString =
            CFStringCreateWithCString(kCFAllocatorDefault, "kept", kCFStringEncodingUTF8);
    *title = CFStringCreateWithCString(kCFAllocatorDefault, "Test", kCFStringEncodingUTF8);
    *context = new Pane;
    return noErr;
}

OSStatus Initialize(PMPDEContext context, PMPDEFlags *, PMPDERef, ControlRef parentUserPane,
                    PMPrintSession session) {
    Rect bounds;
    GetControlBounds(parentUserPane, &bounds);
    TRACE("Initialize pane=%d,%d,%d,%d session=%s", bounds.top, bounds.left, bounds.bottom,
          bounds.right, session != nullptr ? "yes" : "no");
    auto *pane = static_cast<Pane *>(context);
    IBNibRef nib = nullptr;
    WindowRef window = nullptr;
    OSStatus status = CreateNibReferenceWithCFBundle(
        CFBundleGetBundleWithIdentifier(CFSTR("com.example.pde.Test")), CFSTR("TestPDE"), &nib);
    if (status != noErr)
        return status;
    status = CreateWindowFromNib(nib, CFSTR("Pane"), &window);
    DisposeNibReference(nib);
    const ControlID id = {0x74657374 /* 'test' */, 1};
    if (status == noErr)
        status = GetControlByID(window, &id, &pane->field);
    if (status == noErr) {
        Rect field = {static_cast<SInt16>(bounds.top + 10), static_cast<SInt16>(bounds.left + 10),
                      static_cast<SInt16>(bounds.top + 30), static_cast<SInt16>(bounds.right - 10)};
        SetControlBounds(pane->field, &field);
        status = EmbedControl(pane->field, parentUserPane);
    }
    if (window != nullptr)
        DisposeWindow(window);
    return status;
}

CFStringRef copyFieldText(Pane *pane) {
    CFStringRef text = nullptr;
    if (GetControlData(pane->field, kControlEditTextPart, kControlEditTextCFStringTag, sizeof text,
                       &text, nullptr) != noErr)
        return nullptr;
    return text;
}

OSStatus Sync(PMPDEContext context, PMPrintSession session, Boolean direction) {
    TRACE("Sync %d", direction);
    if (direction != kSyncDirectionSetTickets)
        return noErr;
    CFTypeRef number = nullptr;
    if (PMSessionGetDataFromSession(session, CFSTR(kPDE_PMPrintSettingsRef), &number) != noErr)
        return kPMInvalidTicket;
    SInt64 reference = 0;
    CFNumberGetValue(static_cast<CFNumberRef>(number), kCFNumberSInt64Type, &reference);
    auto ticket = reinterpret_cast<PMTicketRef>(static_cast<intptr_t>(reference));
    CFStringRef text = copyFieldText(static_cast<Pane *>(context));
    if (text == nullptr)
        return kPMInvalidValue;
    CFStringRef client = CFSTR("com.example.test");
    PMTicketSetCFString(ticket, client, CFSTR("com.example.Text"), text, false);
    PMTicketSetBoolean(ticket, client, CFSTR("com.example.Flag"), true, false);
    PMTicketSetSInt32(ticket, client, CFSTR("com.example.Number"), 42, false);
    PMTicketSetCFString(ticket, client, CFSTR("com.example.Two words"), CFSTR("x"), false);
    CFRelease(text);
    return noErr;
}

OSStatus GetSummaryText(PMPDEContext context, CFArrayRef *titles, CFArrayRef *summaries) {
    TRACE("GetSummaryText");
    CFStringRef text = copyFieldText(static_cast<Pane *>(context));
    if (text == nullptr)
        return kPMInvalidValue;
    CFMutableArrayRef titleArray = CFArrayCreateMutable(nullptr, 1, &kCFTypeArrayCallBacks);
    CFMutableArrayRef summaryArray = CFArrayCreateMutable(nullptr, 1, &kCFTypeArrayCallBacks);
    CFArrayAppendValue(titleArray, CFSTR("Test"));
    CFArrayAppendValue(summaryArray, text);
    *titles = titleArray;
    *summaries = summaryArray;
    CFRelease(text);
    return noErr;
}

OSStatus Open(PMPDEContext) {
    TRACE("Open");
    return noErr;
}

OSStatus Close(PMPDEContext) {
    TRACE("Close");
    return noErr;
}

OSStatus Terminate(PMPDEContext context, OSStatus status) {
    // The dialog must have disposed of the pane area, with its controls,
    // before the pane goes.
    TRACE("Terminate status=%d windows=%ld controls=%ld", static_cast<int>(status),
          static_cast<long>(HIStandInGetLiveWindowCount()),
          static_cast<long>(HIStandInGetLiveControlCount()));
    delete static_cast<Pane *>(context);
    return noErr;
}

const PlugInIntfVTable kTable = {{Retain, Release, GetAPIVersion},
                                 Prologue,
                                 Initialize,
                                 Sync,
                                 GetSummaryText,
                                 Open,
                                 Close,
                                 Terminate};

ULONG AddRef(void *object) {
    auto *instance = static_cast<Instance *>(object);
    return ++instance->refCount;
}

ULONG IUnknownRelease(void *object) {
    auto *instance = static_cast<Instance *>(object);
    instance->refCount--;
    TRACE("IUnknown Release count=%u", static_cast<unsigned>(instance->refCount));
    if (instance->refCount > 0)
        return instance->refCount;
    if (!inMode("leak"))
        CFPlugInRemoveInstanceForFactory(instance->factoryID);
    CFRelease(instance->factoryID);
    std::free(instance);
    return 0;
}

HRESULT QueryInterface(void *, REFIID iid, LPVOID *result) {
    CFUUIDRef requested = CFUUIDCreateFromUUIDBytes(kCFAllocatorDefault, iid);
    CFUUIDRef dialogExtension =
        CFUUIDCreateFromString(kCFAllocatorDefault, CFSTR(kPMPrintingDialogExtensionsIntfIDStr));
    bool wanted = CFEqual(requested, dialogExtension) && !inMode("no-interface");
    CFRelease(requested);
    CFRelease(dialogExtension);
    TRACE("QueryInterface %s", wanted ? "dialog extension" : "refused");
    if (!wanted) {
        *result = nullptr;
        return E_NOINTERFACE;
    }
    auto *interface = static_cast<Interface *>(std::calloc(1, sizeof(Interface)));
    interface->vtable = &kTable;
    interface->refCount = 1;
    *result = interface;
    return S_OK;
}

const IUnknownVTbl kUnknown = {nullptr, QueryInterface, AddRef, IUnknownRelease};

} // namespace

extern "C" __attribute__((visibility("default"))) void *TestPDEFactory(CFAllocatorRef,
                                                                       CFUUIDRef typeID) {
    CFUUIDRef dialogType =
        CFUUIDCreateFromString(kCFAllocatorDefault, CFSTR(kPMPrintingDialogExtensionsPlugInType));
    bool wanted = CFEqual(typeID, dialogType);
    CFRelease(dialogType);
    TRACE("factory %s", wanted ? "dialog-extension type" : "other type");
    if (!wanted)
        return nullptr;
    auto *instance = static_cast<Instance *>(std::calloc(1, sizeof(Instance)));
    instance->vtable = &kUnknown;
    instance->refCount = 1;
    instance->factoryID =
        CFUUIDCreateFromString(kCFAllocatorDefault, CFSTR("5F0C1E2D-3A4B-4C5D-8E9F-A0B1C2D3E4F5"));
    CFPlugInAddInstanceForFactory(instance->factoryID);
    return instance;
}
