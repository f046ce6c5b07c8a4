/*
 * IBCarbonRuntime.cpp
 *
 * Nib references and windows built from nibs. A nib is the file
 * "<name>.nib" among a bundle's resources: a property list (XML)
 * whose root dictionary has "Windows", a dictionary of window descriptions
 * by name. The format is documented in Platform/Carbon/README.md. A nib is
 * input from outside: every entry is type- and range-checked, and anything
 * malformed makes the call fail with a status, never crash.
 */
#include "HIInternal.h"

#include <stdint.h>

struct OpaqueIBNibRef {
    OpaqueIBNibRef *allNext;
    CFPropertyListRef plist; /* the parsed nib, retained */
    CFDictionaryRef windows; /* borrowed from plist */
};

namespace {

const OSStatus kMalformed = kIBCarbonRuntimeObjectNotOfRequestedType;

HILiveList<OpaqueIBNibRef> gNibs;

/* Reads the entries of one dictionary of the nib. An entry that is present
 * but malformed, or a required one that is missing, marks the whole
 * description bad; the readers then return their default. */
struct Reader {
    CFDictionaryRef dict;
    bool bad;

    /* The entry under key if it has the type, else NULL */
    CFTypeRef Get(CFStringRef key, CFTypeID type, bool required = false) {
        CFTypeRef value = CFDictionaryGetValue(dict, key);
        bad = bad || (value == nullptr ? required : !HIIsOfType(value, type));
        return HIIsOfType(value, type) ? value : nullptr;
    }
    /* An integer from minimum to maximum; 0 when there is none */
    SInt64 Number(CFTypeRef number, SInt64 minimum, SInt64 maximum) {
        SInt64 n = 0;
        bad = bad || (number != nullptr &&
                      (!CFNumberGetValue((CFNumberRef)number, kCFNumberSInt64Type, &n) ||
                       n < minimum || n > maximum));
        return n;
    }
    SInt32 Int32(CFStringRef key, bool required = false) {
        return (SInt32)Number(Get(key, CFNumberGetTypeID(), required), INT32_MIN, INT32_MAX);
    }
    /* A four-character code: a string of exactly four MacRoman characters */
    UInt32 Code(CFTypeRef string) {
        UInt8 bytes[4] = {0, 0, 0, 0};
        CFIndex used = 0;
        bad = bad || !HIIsOfType(string, CFStringGetTypeID()) ||
              CFStringGetLength((CFStringRef)string) != 4 ||
              CFStringGetBytes((CFStringRef)string, CFRangeMake(0, 4), kCFStringEncodingMacRoman, 0,
                               false, bytes, 4, &used) != 4;
        return ((UInt32)bytes[0] << 24) | ((UInt32)bytes[1] << 16) | ((UInt32)bytes[2] << 8) |
               bytes[3];
    }
    /* "Kind" (required): one of the kinds a nib describes */
    int Kind() {
        CFStringRef string = (CFStringRef)Get(CFSTR("Kind"), CFStringGetTypeID(), true);
        char name[16] = "";
        if (string != nullptr &&
            CFStringGetCString(string, name, sizeof(name), kCFStringEncodingASCII))
            for (int i = kHIFirstNibControlKind; i < kHIControlKindCount; i++)
                if (strcmp(kHIControlKindNames[i], name) == 0)
                    return i;
        bad = true;
        return -1;
    }
    /* "Bounds" (required): [top, left, bottom, right], each an SInt16, not inverted */
    Rect Bounds() {
        CFArrayRef array = (CFArrayRef)Get(CFSTR("Bounds"), CFArrayGetTypeID(), true);
        SInt16 v[4] = {0, 0, 0, 0};
        bad = bad || array == nullptr || CFArrayGetCount(array) != 4;
        for (CFIndex i = 0; !bad && i < 4; i++) {
            CFTypeRef n = CFArrayGetValueAtIndex(array, i);
            bad = !HIIsOfType(n, CFNumberGetTypeID());
            v[i] = (SInt16)Number(bad ? nullptr : n, -32768, 32767);
        }
        bad = bad || v[2] < v[0] || v[3] < v[1];
        return Rect{v[0], v[1], v[2], v[3]};
    }
};

/* One control description; the control is created in the window's root. On
 * failure the caller disposes of the window with what was built. */
OSStatus BuildControl(CFTypeRef description, WindowRef window) {
    if (!HIIsOfType(description, CFDictionaryGetTypeID()))
        return kMalformed;
    Reader r = {(CFDictionaryRef)description, false};
    int kind = r.Kind();
    Rect bounds = r.Bounds();
    ControlID id = {0, 0};
    if (CFTypeRef idEntry = r.Get(CFSTR("ID"), CFDictionaryGetTypeID())) {
        Reader idReader = {(CFDictionaryRef)idEntry, false};
        id.signature = idReader.Code(idReader.Get(CFSTR("Signature"), CFStringGetTypeID(), true));
        id.id = idReader.Int32(CFSTR("ID"), true);
        r.bad = r.bad || idReader.bad;
    }
    CFTypeRef command = r.Get(CFSTR("Command"), CFStringGetTypeID());
    UInt32 commandID = command != nullptr ? r.Code(command) : 0;
    SInt32 value = r.Int32(CFSTR("Value"));
    CFStringRef title = (CFStringRef)r.Get(CFSTR("Title"), CFStringGetTypeID());
    if (r.bad)
        return kMalformed;

    ControlRef control = HIControlCreate(static_cast<HIControlKind>(kind), window, &bounds);
    if (control == nullptr)
        return memFullErr;
    control->id = id;
    control->commandID = commandID;
    SetControlValue(control, value > 0); /* the range is at most 0..1 */
    /* A check box's title, a static text's content; an edit text starts empty */
    bool text = title != nullptr && control->kind != HIControlKind::EditText;
    return text && !HITextSetString(&control->text, title) ? (OSStatus)memFullErr : (OSStatus)noErr;
}

OSStatus BuildWindow(CFDictionaryRef description, WindowRef *outWindow) {
    Reader r = {description, false};
    Rect bounds = r.Bounds();
    if (r.bad)
        return kMalformed;
    WindowRef window = nullptr; /* every window a nib holds here is a plain one */
    OSStatus status = CreateNewWindow(kPlainWindowClass, kWindowNoAttributes, &bounds, &window);
    if (status != noErr)
        return status;
    CFTypeRef controls = CFDictionaryGetValue(description, CFSTR("Controls"));
    if (controls != nullptr && !HIIsOfType(controls, CFArrayGetTypeID()))
        status = kMalformed;
    for (CFIndex i = 0;
         controls != nullptr && status == noErr && i < CFArrayGetCount((CFArrayRef)controls); i++)
        status = BuildControl(CFArrayGetValueAtIndex((CFArrayRef)controls, i), window);
    if (status != noErr) {
        DisposeWindow(window);
        return status;
    }
    *outWindow = window;
    return noErr;
}

} // namespace

OSStatus CreateNibReferenceWithCFBundle(CFBundleRef inBundle, CFStringRef inNibName,
                                        IBNibRef *outNibRef) {
    if (outNibRef == nullptr)
        return paramErr;
    *outNibRef = nullptr;
    if (!HIIsOfType(inBundle, CFBundleGetTypeID()) || !HIIsString(inNibName))
        return paramErr;
    CFURLRef url = CFBundleCopyResourceURL(inBundle, inNibName, CFSTR("nib"), nullptr);
    if (url == nullptr)
        return kIBCarbonRuntimeCantFindNibFile;
    CFDataRef data = nullptr;
    Boolean read = CFURLCreateDataAndPropertiesFromResource(kCFAllocatorDefault, url, &data,
                                                            nullptr, nullptr, nullptr);
    CFRelease(url);
    if (!read || data == nullptr) {
        if (data != nullptr)
            CFRelease(data);
        return kIBCarbonRuntimeCantFindNibFile;
    }
    CFPropertyListRef plist = CFPropertyListCreateFromXMLData(kCFAllocatorDefault, data,
                                                              kCFPropertyListImmutable, nullptr);
    CFRelease(data);
    CFTypeRef windows = HIIsOfType(plist, CFDictionaryGetTypeID())
                            ? CFDictionaryGetValue((CFDictionaryRef)plist, CFSTR("Windows"))
                            : nullptr;
    if (!HIIsOfType(windows, CFDictionaryGetTypeID())) {
        if (plist != nullptr)
            CFRelease(plist);
        return kIBCarbonRuntimeObjectNotOfRequestedType;
    }
    IBNibRef nib = HIAllocate<OpaqueIBNibRef>();
    if (nib == nullptr) {
        CFRelease(plist);
        return memFullErr;
    }
    nib->plist = plist;
    nib->windows = (CFDictionaryRef)windows;
    gNibs.add(nib);
    *outNibRef = nib;
    return noErr;
}

void DisposeNibReference(IBNibRef inNibRef) {
    if (!gNibs.contains(inNibRef))
        return;
    gNibs.remove(inNibRef);
    CFRelease(inNibRef->plist);
    CFStandInDeallocate(inNibRef);
}

OSStatus CreateWindowFromNib(IBNibRef inNibRef, CFStringRef inName, WindowRef *outWindow) {
    if (outWindow == nullptr)
        return paramErr;
    *outWindow = nullptr;
    if (!gNibs.contains(inNibRef) || !HIIsString(inName))
        return paramErr;
    CFTypeRef description = CFDictionaryGetValue(inNibRef->windows, inName);
    if (description == nullptr)
        return kIBCarbonRuntimeCantFindObject;
    if (!HIIsOfType(description, CFDictionaryGetTypeID()))
        return kIBCarbonRuntimeObjectNotOfRequestedType;
    return BuildWindow((CFDictionaryRef)description, outWindow);
}

CFIndex HIStandInGetLiveNibCount(void) {
    return gNibs.count;
}
