/*
 * TestDialogExtension.cpp
 *
 * A small dialog extension for the host's own tests. It writes a trace of
 * every call the dialog makes into it ("testpde: ..." on standard error),
 * and when the tickets are synced writes four items into the print-settings
 * ticket: a text with a quote and a backslash, a boolean, a number (which
 * the print system cannot pass as a job option) and a string under a key
 * with a blank in it (no option name either). Its summary is that text.
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

/* The instance and its dialog-extension interface: a table, a count. */
struct Object {
    const void *vtable;
    UInt32 refCount;
};

CFStringRef gLeakedString = nullptr;

/* Whether uuid is the one text names. */
bool isUUID(CFUUIDRef uuid, CFStringRef text) {
    CFUUIDRef named = CFUUIDCreateFromString(kCFAllocatorDefault, text);
    bool same = CFEqual(uuid, named);
    CFRelease(named);
    return same;
}

/* Counts an instance of this factory in the plug-in registry, or no longer. */
void registerInstance(bool add) {
    CFUUIDRef factoryID =
        CFUUIDCreateFromString(kCFAllocatorDefault, CFSTR("5F0C1E2D-3A4B-4C5D-8E9F-A0B1C2D3E4F5"));
    (add ? CFPlugInAddInstanceForFactory : CFPlugInRemoveInstanceForFactory)(factoryID);
    CFRelease(factoryID);
}

OSStatus Retain(PMPlugInHeaderInterface *object) {
    auto *interface = reinterpret_cast<Object *>(object);
    interface->refCount++;
    TRACE("Retain count=%u", static_cast<unsigned>(interface->refCount));
    return noErr;
}

/* Drops one reference, the object going with the last. */
UInt32 drop(Object *object, const char *call) {
    UInt32 count = --object->refCount;
    TRACE("%s count=%u", call, static_cast<unsigned>(count));
    if (count == 0)
        delete object;
    return count;
}

OSStatus Release(PMPlugInHeaderInterface **objectPointer) {
    drop(reinterpret_cast<Object *>(*objectPointer), "Release");
    *objectPointer = nullptr;
    return noErr;
}

OSStatus GetAPIVersion(PMPlugInHeaderInterface *, PMPlugInAPIVersion *version) {
    TRACE("GetAPIVersion");
    *version = {1, 0, 1, 0};
    return noErr;
}

/* The text item's value and the summary. */
#define kText CFSTR("hello \"w\\orld\"")

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
    *context = nullptr;
    return noErr;
}

OSStatus Initialize(PMPDEContext, PMPDEFlags *, PMPDERef, ControlRef parentUserPane,
                    PMPrintSession session) {
    Rect bounds;
    GetControlBounds(parentUserPane, &bounds);
    TRACE("Initialize pane=%d,%d,%d,%d session=%s", bounds.top, bounds.left, bounds.bottom,
          bounds.right, session != nullptr ? "yes" : "no");
    return noErr;
}

OSStatus Sync(PMPDEContext, PMPrintSession session, Boolean direction) {
    TRACE("Sync %d", direction);
    if (direction != kSyncDirectionSetTickets)
        return noErr;
    CFTypeRef number = nullptr;
    if (PMSessionGetDataFromSession(session, CFSTR(kPDE_PMPrintSettingsRef), &number) != noErr)
        return kPMInvalidTicket;
    SInt64 reference = 0;
    CFNumberGetValue(static_cast<CFNumberRef>(number), kCFNumberSInt64Type, &reference);
    auto ticket = reinterpret_cast<PMTicketRef>(static_cast<intptr_t>(reference));
    CFStringRef client = CFSTR("com.example.test");
    PMTicketSetCFString(ticket, client, CFSTR("com.example.Text"), kText, false);
    PMTicketSetBoolean(ticket, client, CFSTR("com.example.Flag"), true, false);
    PMTicketSetSInt32(ticket, client, CFSTR("com.example.Number"), 42, false);
    PMTicketSetCFString(ticket, client, CFSTR("com.example.Two words"), CFSTR("x"), false);
    return noErr;
}

OSStatus GetSummaryText(PMPDEContext, CFArrayRef *titles, CFArrayRef *summaries) {
    TRACE("GetSummaryText");
    CFMutableArrayRef titleArray = CFArrayCreateMutable(nullptr, 1, &kCFTypeArrayCallBacks);
    CFMutableArrayRef summaryArray = CFArrayCreateMutable(nullptr, 1, &kCFTypeArrayCallBacks);
    CFArrayAppendValue(titleArray, CFSTR("Test"));
    CFArrayAppendValue(summaryArray, kText);
    *titles = titleArray;
    *summaries = summaryArray;
    return noErr;
}

/* Open and Close: traced, nothing more. */
template <const char *kCall> OSStatus traced(PMPDEContext) {
    TRACE("%s", kCall);
    return noErr;
}
constexpr char kOpen[] = "Open", kClose[] = "Close";

OSStatus Terminate(PMPDEContext, OSStatus status) {
    // The dialog must have disposed of the pane area, with its controls,
    // before the pane goes.
    TRACE("Terminate status=%d windows=%ld controls=%ld", static_cast<int>(status),
          static_cast<long>(HIStandInGetLiveWindowCount()),
          static_cast<long>(HIStandInGetLiveControlCount()));
    return noErr;
}

const PlugInIntfVTable kTable = {{Retain, Release, GetAPIVersion},
                                 Prologue,
                                 Initialize,
                                 Sync,
                                 GetSummaryText,
                                 traced<kOpen>,
                                 traced<kClose>,
                                 Terminate};

ULONG IUnknownRelease(void *object) {
    auto *instance = static_cast<Object *>(object);
    if (instance->refCount == 1 && !inMode("leak"))
        registerInstance(false);
    return drop(instance, "IUnknown Release");
}

HRESULT QueryInterface(void *, REFIID iid, LPVOID *result) {
    CFUUIDRef requested = CFUUIDCreateFromUUIDBytes(kCFAllocatorDefault, iid);
    bool wanted =
        isUUID(requested, CFSTR(kPMPrintingDialogExtensionsIntfIDStr)) && !inMode("no-interface");
    CFRelease(requested);
    TRACE("QueryInterface %s", wanted ? "dialog extension" : "refused");
    if (!wanted) {
        *result = nullptr;
        return E_NOINTERFACE;
    }
    *result = new Object{&kTable, 1};
    return S_OK;
}

// The dialog never adds a reference to the instance: no AddRef.
const IUnknownVTbl kUnknown = {nullptr, QueryInterface, nullptr, IUnknownRelease};

} // namespace

extern "C" __attribute__((visibility("default"))) void *TestPDEFactory(CFAllocatorRef,
                                                                       CFUUIDRef typeID) {
    bool wanted = isUUID(typeID, CFSTR(kPMPrintingDialogExtensionsPlugInType));
    TRACE("factory %s", wanted ? "dialog-extension type" : "other type");
    if (!wanted)
        return nullptr;
    registerInstance(true);
    return new Object{&kUnknown, 1};
}
