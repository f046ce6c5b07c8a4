/*
 * CFError.cpp
 *
 * Error objects: a domain, a code and a user-info dictionary, as the
 * property-list calls report failures.
 */
#include "CFInternal.h"

namespace {

void finalizeError(CFTypeRef cf) {
    const auto *e = static_cast<const __CFError *>(cf);
    if (e->domain != nullptr)
        CFRelease(e->domain);
    if (e->userInfo != nullptr)
        CFRelease(e->userInfo);
    cf::destroyObject<__CFError>(cf);
}

Boolean equalErrors(CFTypeRef a, CFTypeRef b) {
    const auto *x = static_cast<const __CFError *>(a);
    const auto *y = static_cast<const __CFError *>(b);
    return x->code == y->code && CFEqual(x->domain, y->domain);
}

CFStringRef describeError(CFTypeRef cf) {
    return CFErrorCopyDescription((CFErrorRef)cf);
}

const __CFError *checkError(CFTypeRef cf, const char *call) {
    return cf::check<__CFError>(cf, cf::kErrorTypeID, call);
}

} // namespace

namespace cf {
const CFStandInClass kErrorClass = {"CFError", finalizeError, equalErrors, nullptr, describeError};
}

extern "C" {

const CFErrorDomain kCFErrorDomainPOSIX = CFSTR("NSPOSIXErrorDomain");
const CFErrorDomain kCFErrorDomainOSStatus = CFSTR("NSOSStatusErrorDomain");
const CFErrorDomain kCFErrorDomainMach = CFSTR("NSMachErrorDomain");
const CFErrorDomain kCFErrorDomainCocoa = CFSTR("NSCocoaErrorDomain");
const CFStringRef kCFErrorLocalizedDescriptionKey = CFSTR("NSLocalizedDescription");
const CFStringRef kCFErrorDescriptionKey = CFSTR("NSDescription");
const CFStringRef kCFErrorDebugDescriptionKey = CFSTR("NSDebugDescription");

CFTypeID CFErrorGetTypeID(void) {
    return cf::kErrorTypeID;
}

CFErrorRef CFErrorCreate(CFAllocatorRef allocator, CFErrorDomain domain, CFIndex code,
                         CFDictionaryRef userInfo) {
    cf::checkString(domain, "CFErrorCreate");
    if (userInfo != nullptr)
        cf::checkType(userInfo, cf::kDictionaryTypeID, "CFErrorCreate");
    __CFError *e = cf::newObject<__CFError>(cf::kErrorTypeID);
    if (e == nullptr)
        return nullptr;
    e->domain = CFStringCreateCopy(allocator, domain);
    e->code = code;
    e->userInfo = userInfo != nullptr ? CFDictionaryCreateCopy(allocator, userInfo) : nullptr;
    if (e->domain == nullptr || (userInfo != nullptr && e->userInfo == nullptr)) {
        CFRelease(e);
        return nullptr;
    }
    return e;
}

CFErrorDomain CFErrorGetDomain(CFErrorRef err) {
    return checkError(err, "CFErrorGetDomain")->domain;
}

CFIndex CFErrorGetCode(CFErrorRef err) {
    return checkError(err, "CFErrorGetCode")->code;
}

CFDictionaryRef CFErrorCopyUserInfo(CFErrorRef err) {
    const __CFError *e = checkError(err, "CFErrorCopyUserInfo");
    if (e->userInfo != nullptr)
        return static_cast<CFDictionaryRef>(CFRetain(e->userInfo));
    return CFDictionaryCreate(nullptr, nullptr, nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                              &kCFTypeDictionaryValueCallBacks);
}

CFStringRef CFErrorCopyDescription(CFErrorRef err) {
    const __CFError *e = checkError(err, "CFErrorCopyDescription");
    if (e->userInfo != nullptr) {
        CFTypeRef text = CFDictionaryGetValue(e->userInfo, kCFErrorLocalizedDescriptionKey);
        if (text == nullptr)
            text = CFDictionaryGetValue(e->userInfo, kCFErrorDescriptionKey);
        if (text != nullptr && CFGetTypeID(text) == CFStringGetTypeID())
            return CFStringCreateCopy(nullptr, static_cast<CFStringRef>(text));
    }
    return CFStringCreateWithFormat(nullptr, nullptr,
                                    CFSTR("The operation couldn't be completed. (%@ error %ld.)"),
                                    e->domain, e->code);
}

} // extern "C"
