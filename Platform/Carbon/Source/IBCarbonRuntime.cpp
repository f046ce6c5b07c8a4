/*
 * IBCarbonRuntime.cpp
 *
 * Nib references and windows built from nibs. A nib is the file
 * "<name>.nib" among a bundle's resources: a property list (XML or binary)
 * whose root dictionary has "Windows", a dictionary of window descriptions
 * by name. The format is documented in Platform/Carbon/README.md. A nib is
 * input from outside: every entry is type- and range-checked, and anything
 * malformed makes the call fail with a status, never crash.
 */
#include "HIInternal.h"

#include <stdint.h>

struct OpaqueIBNibRef {
    OpaqueIBNibRef *next;
    CFPropertyListRef plist; /* the parsed nib, retained */
    CFDictionaryRef windows; /* borrowed from plist */
};

namespace {

const int kMaxNestingDepth = 16;

OpaqueIBNibRef *gNibs = nullptr;

bool IsNib(IBNibRef nib) {
    for (OpaqueIBNibRef *n = gNibs; n != nullptr; n = n->next)
        if (n == nib && nib != nullptr)
            return true;
    return false;
}

bool IsOfType(CFTypeRef value, CFTypeID type) {
    return value != nullptr && CFGetTypeID(value) == type;
}

/* A nib entry: absent, present and well-formed, or present and malformed. */
enum class Entry { Missing, Ok, Bad };

Entry GetInteger(CFDictionaryRef dict, CFStringRef key, SInt64 minimum, SInt64 maximum,
                 SInt64 *out) {
    CFTypeRef value = CFDictionaryGetValue(dict, key);
    if (value == nullptr)
        return Entry::Missing;
    if (!IsOfType(value, CFNumberGetTypeID()) || CFNumberIsFloatType((CFNumberRef)value))
        return Entry::Bad;
    SInt64 n = 0;
    if (!CFNumberGetValue((CFNumberRef)value, kCFNumberSInt64Type, &n) || n < minimum ||
        n > maximum)
        return Entry::Bad;
    *out = n;
    return Entry::Ok;
}

Entry GetBoolean(CFDictionaryRef dict, CFStringRef key, bool *out) {
    CFTypeRef value = CFDictionaryGetValue(dict, key);
    if (value == nullptr)
        return Entry::Missing;
    if (!IsOfType(value, CFBooleanGetTypeID()))
        return Entry::Bad;
    *out = CFBooleanGetValue((CFBooleanRef)value) != 0;
    return Entry::Ok;
}

Entry GetString(CFDictionaryRef dict, CFStringRef key, CFStringRef *out) {
    CFTypeRef value = CFDictionaryGetValue(dict, key);
    if (value == nullptr)
        return Entry::Missing;
    if (!IsOfType(value, CFStringGetTypeID()))
        return Entry::Bad;
    *out = (CFStringRef)value;
    return Entry::Ok;
}

/* A four-character code written as a string of exactly four MacRoman characters. */
bool FourCharCodeFromString(CFStringRef string, UInt32 *out) {
    if (CFStringGetLength(string) != 4)
        return false;
    UInt8 bytes[4];
    CFIndex used = 0;
    if (CFStringGetBytes(string, CFRangeMake(0, 4), kCFStringEncodingMacRoman, 0, false, bytes,
                         sizeof(bytes), &used) != 4 ||
        used != 4)
        return false;
    *out = ((UInt32)bytes[0] << 24) | ((UInt32)bytes[1] << 16) | ((UInt32)bytes[2] << 8) |
           (UInt32)bytes[3];
    return true;
}

/* "Bounds": [top, left, bottom, right], each an SInt16, not inverted. */
Entry GetRect(CFDictionaryRef dict, CFStringRef key, Rect *out) {
    CFTypeRef value = CFDictionaryGetValue(dict, key);
    if (value == nullptr)
        return Entry::Missing;
    if (!IsOfType(value, CFArrayGetTypeID()) || CFArrayGetCount((CFArrayRef)value) != 4)
        return Entry::Bad;
    SInt16 v[4];
    for (CFIndex i = 0; i < 4; i++) {
        CFTypeRef n = CFArrayGetValueAtIndex((CFArrayRef)value, i);
        SInt64 x = 0;
        if (!IsOfType(n, CFNumberGetTypeID()) || CFNumberIsFloatType((CFNumberRef)n) ||
            !CFNumberGetValue((CFNumberRef)n, kCFNumberSInt64Type, &x) || x < -32768 || x > 32767)
            return Entry::Bad;
        v[i] = (SInt16)x;
    }
    if (v[2] < v[0] || v[3] < v[1])
        return Entry::Bad;
    *out = Rect{v[0], v[1], v[2], v[3]};
    return Entry::Ok;
}

struct KindName {
    const char *name;
    HIControlKind kind;
};

const KindName kKinds[] = {
    {"userpane", HIControlKind::UserPane},     {"edittext", HIControlKind::EditText},
    {"password", HIControlKind::Password},     {"checkbox", HIControlKind::CheckBox},
    {"statictext", HIControlKind::StaticText},
};

bool KindFromString(CFStringRef string, HIControlKind *out) {
    char name[32];
    if (!CFStringGetCString(string, name, sizeof(name), kCFStringEncodingASCII))
        return false;
    for (const KindName &k : kKinds) {
        if (strcmp(k.name, name) == 0) {
            *out = k.kind;
            return true;
        }
    }
    return false;
}

struct ClassName {
    const char *name;
    WindowClass windowClass;
};

const ClassName kClasses[] = {
    {"document", kDocumentWindowClass}, {"plain", kPlainWindowClass},
    {"modal", kModalWindowClass},       {"movablemodal", kMovableModalWindowClass},
    {"alert", kAlertWindowClass},       {"movablealert", kMovableAlertWindowClass},
};

bool ClassFromString(CFStringRef string, WindowClass *out) {
    char name[32];
    if (!CFStringGetCString(string, name, sizeof(name), kCFStringEncodingASCII))
        return false;
    for (const ClassName &c : kClasses) {
        if (strcmp(c.name, name) == 0) {
            *out = c.windowClass;
            return true;
        }
    }
    return false;
}

const OSStatus kMalformed = kIBCarbonRuntimeObjectNotOfRequestedType;

OSStatus BuildControls(CFTypeRef list, WindowRef window, ControlRef container, int depth);

/* One control description; the control is created inside container. */
OSStatus BuildControl(CFTypeRef description, WindowRef window, ControlRef container, int depth) {
    if (!IsOfType(description, CFDictionaryGetTypeID()))
        return kMalformed;
    CFDictionaryRef dict = (CFDictionaryRef)description;

    CFStringRef kindName = nullptr;
    HIControlKind kind;
    if (GetString(dict, CFSTR("Kind"), &kindName) != Entry::Ok || !KindFromString(kindName, &kind))
        return kMalformed;
    Rect bounds;
    if (GetRect(dict, CFSTR("Bounds"), &bounds) != Entry::Ok)
        return kMalformed;

    ControlID id = {0, 0};
    CFTypeRef idEntry = CFDictionaryGetValue(dict, CFSTR("ID"));
    if (idEntry != nullptr) {
        if (!IsOfType(idEntry, CFDictionaryGetTypeID()))
            return kMalformed;
        CFStringRef signature = nullptr;
        SInt64 number = 0;
        if (GetString((CFDictionaryRef)idEntry, CFSTR("Signature"), &signature) != Entry::Ok ||
            !FourCharCodeFromString(signature, &id.signature) ||
            GetInteger((CFDictionaryRef)idEntry, CFSTR("ID"), INT32_MIN, INT32_MAX, &number) !=
                Entry::Ok)
            return kMalformed;
        id.id = (SInt32)number;
    }

    UInt32 command = 0;
    CFTypeRef commandEntry = CFDictionaryGetValue(dict, CFSTR("Command"));
    if (commandEntry != nullptr) {
        SInt64 number = 0;
        if (IsOfType(commandEntry, CFStringGetTypeID())) {
            if (!FourCharCodeFromString((CFStringRef)commandEntry, &command))
                return kMalformed;
        } else if (GetInteger(dict, CFSTR("Command"), 0, UINT32_MAX, &number) == Entry::Ok) {
            command = (UInt32)number;
        } else {
            return kMalformed;
        }
    }

    SInt64 value = 0, features = kControlSupportsEmbedding;
    Entry hasValue = GetInteger(dict, CFSTR("Value"), INT32_MIN, INT32_MAX, &value);
    Entry hasFeatures = GetInteger(dict, CFSTR("Features"), 0, UINT32_MAX, &features);
    bool enabled = true, visible = true;
    Entry hasEnabled = GetBoolean(dict, CFSTR("Enabled"), &enabled);
    Entry hasVisible = GetBoolean(dict, CFSTR("Visible"), &visible);
    CFStringRef title = nullptr, text = nullptr;
    Entry hasTitle = GetString(dict, CFSTR("Title"), &title);
    Entry hasText = GetString(dict, CFSTR("Text"), &text);
    CFTypeRef children = CFDictionaryGetValue(dict, CFSTR("Controls"));
    if (hasValue == Entry::Bad || hasFeatures == Entry::Bad || hasEnabled == Entry::Bad ||
        hasVisible == Entry::Bad || hasTitle == Entry::Bad || hasText == Entry::Bad)
        return kMalformed;
    if (children != nullptr && kind != HIControlKind::UserPane)
        return kMalformed;
    if (kind == HIControlKind::StaticText && text == nullptr)
        text = title;

    OSStatus status = noErr;
    ControlRef control = HIControlCreate(kind, window, &bounds, &status);
    if (control == nullptr)
        return status;
    /* HIControlCreate put it in the window's root; nested controls go deeper.
     * On failure the caller disposes of the window with this control. */
    if (control->parent != container && EmbedControl(control, container) != noErr)
        return kMalformed; /* the container does not embed */
    control->id = id;
    control->commandID = command;
    control->features = (UInt32)features;
    control->value = value < 0 ? 0 : (value > control->maximum ? control->maximum : (SInt32)value);
    if (title != nullptr && kind == HIControlKind::CheckBox) {
        control->title = CFStringCreateCopy(kCFAllocatorDefault, title);
        if (control->title == nullptr)
            return memFullErr;
    }
    if (text != nullptr && (HIControlIsEditText(control) || kind == HIControlKind::StaticText)) {
        if (!HITextSetString(&control->text, text))
            return memFullErr;
        control->selStart = control->selEnd = (SInt16)control->text.length;
    }
    control->enabled = enabled;
    control->visible = visible;
    if (children != nullptr)
        return BuildControls(children, window, control, depth + 1);
    return noErr;
}

OSStatus BuildControls(CFTypeRef list, WindowRef window, ControlRef container, int depth) {
    if (depth > kMaxNestingDepth || !IsOfType(list, CFArrayGetTypeID()))
        return kMalformed;
    CFIndex count = CFArrayGetCount((CFArrayRef)list);
    for (CFIndex i = 0; i < count; i++) {
        OSStatus status =
            BuildControl(CFArrayGetValueAtIndex((CFArrayRef)list, i), window, container, depth);
        if (status != noErr)
            return status;
    }
    return noErr;
}

OSStatus BuildWindow(CFDictionaryRef description, WindowRef *outWindow) {
    Rect bounds;
    if (GetRect(description, CFSTR("Bounds"), &bounds) != Entry::Ok)
        return kMalformed;
    WindowClass windowClass = kDocumentWindowClass;
    CFStringRef className = nullptr;
    Entry hasClass = GetString(description, CFSTR("Class"), &className);
    if (hasClass == Entry::Bad ||
        (hasClass == Entry::Ok && !ClassFromString(className, &windowClass)))
        return kMalformed;
    WindowRef window = nullptr;
    OSStatus status = CreateNewWindow(windowClass, kWindowNoAttributes, &bounds, &window);
    if (status != noErr)
        return status;
    CFTypeRef controls = CFDictionaryGetValue(description, CFSTR("Controls"));
    if (controls != nullptr)
        status = BuildControls(controls, window, window->root, 0);
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
    if (inBundle == nullptr || !CFStandInIsValidObject(inBundle) ||
        CFGetTypeID(inBundle) != CFBundleGetTypeID() || !HIIsString(inNibName))
        return paramErr;
    CFURLRef url = CFBundleCopyResourceURL(inBundle, inNibName, CFSTR("nib"), nullptr);
    if (url == nullptr)
        return kIBCarbonRuntimeCantFindNibFile;
    CFDataRef data = nullptr;
    SInt32 errorCode = 0;
    Boolean read = CFURLCreateDataAndPropertiesFromResource(kCFAllocatorDefault, url, &data,
                                                            nullptr, nullptr, &errorCode);
    CFRelease(url);
    if (!read || data == nullptr) {
        if (data != nullptr)
            CFRelease(data);
        return kIBCarbonRuntimeCantFindNibFile;
    }
    CFPropertyListRef plist = CFPropertyListCreateWithData(
        kCFAllocatorDefault, data, kCFPropertyListImmutable, nullptr, nullptr);
    CFRelease(data);
    if (plist == nullptr)
        return kIBCarbonRuntimeObjectNotOfRequestedType;
    CFTypeRef windows = IsOfType(plist, CFDictionaryGetTypeID())
                            ? CFDictionaryGetValue((CFDictionaryRef)plist, CFSTR("Windows"))
                            : nullptr;
    if (!IsOfType(windows, CFDictionaryGetTypeID())) {
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
    nib->next = gNibs;
    gNibs = nib;
    *outNibRef = nib;
    return noErr;
}

void DisposeNibReference(IBNibRef inNibRef) {
    if (!IsNib(inNibRef))
        return;
    for (OpaqueIBNibRef **link = &gNibs; *link != nullptr; link = &(*link)->next) {
        if (*link == inNibRef) {
            *link = inNibRef->next;
            break;
        }
    }
    CFRelease(inNibRef->plist);
    CFStandInDeallocate(inNibRef);
}

OSStatus CreateWindowFromNib(IBNibRef inNibRef, CFStringRef inName, WindowRef *outWindow) {
    if (outWindow == nullptr)
        return paramErr;
    *outWindow = nullptr;
    if (!IsNib(inNibRef) || !HIIsString(inName))
        return paramErr;
    CFTypeRef description = CFDictionaryGetValue(inNibRef->windows, inName);
    if (description == nullptr)
        return kIBCarbonRuntimeCantFindObject;
    if (!IsOfType(description, CFDictionaryGetTypeID()))
        return kIBCarbonRuntimeObjectNotOfRequestedType;
    return BuildWindow((CFDictionaryRef)description, outWindow);
}

CFIndex HIStandInGetLiveNibCount(void) {
    CFIndex count = 0;
    for (OpaqueIBNibRef *n = gNibs; n != nullptr; n = n->next)
        count++;
    return count;
}
