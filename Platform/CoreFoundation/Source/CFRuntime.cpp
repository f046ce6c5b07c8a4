/*
 * CFRuntime.cpp
 *
 * The object runtime: class table, live-object registry, retain and release,
 * the polymorphic calls (type, equality), the allocator constants, misuse
 * reporting, and the one allocator of the platform layer with its fault
 * injection. The registry knows every object from creation to free, so a
 * check never reads through a bad pointer.
 */
#include "CFInternal.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_set>

namespace cf {
extern __CFBoolean gBooleanTrue, gBooleanFalse; // CFNumber.cpp
}
struct __CFAllocator : cf::Base {};

namespace {

const CFStandInClass kAllocatorClass = {"CFAllocator", nullptr, nullptr};

// The class table; registered classes are appended after the built-in ones.
const CFStandInClass *gClasses[cf::kMaxTypeID] = {
    nullptr,           nullptr,           &kAllocatorClass,
    &cf::kStringClass, &cf::kNumberClass, &cf::kBooleanClass,
    &cf::kDataClass,   &cf::kArrayClass,  &cf::kDictionaryClass,
    &cf::kURLClass,    &cf::kUUIDClass,   &cf::kBundleClass,
};
CFTypeID gNextTypeID = cf::kFirstRegisteredTypeID;

__CFAllocator gSystemDefault = {{cf::kAllocatorTypeID, cf::kImmortalRetainCount}};

// The registry. It is bookkeeping of the checker, not object storage, so it
// allocates from the ordinary heap and is not subject to fault injection.
struct Registry {
    std::unordered_set<const void *> live;
    std::unordered_set<const void *> immortal = {&gSystemDefault, &cf::gBooleanTrue,
                                                 &cf::gBooleanFalse};
};

Registry &registry() {
    static Registry *r = new Registry(); // never destroyed: objects may outlive static teardown
    return *r;
}

// Header size rounded up so that the instance data of registered classes is
// aligned for any type.
constexpr size_t kInstanceOffset = (sizeof(cf::Base) + alignof(std::max_align_t) - 1) /
                                   alignof(std::max_align_t) * alignof(std::max_align_t);

const char *typeName(CFTypeID typeID) {
    if (typeID < cf::kMaxTypeID && gClasses[typeID] != nullptr)
        return gClasses[typeID]->className;
    return "unknown type";
}

// Allocation accounting and fault injection.
long gFailed = 0;      // requests refused by injection
long gOutstanding = 0; // blocks handed out and not yet returned
long gCountdown = 0;   // requests until the injected failure; 0: none armed
bool gPersistent = false;
bool gFailing = false; // a persistent failure has started
int gPaused = 0;       // > 0 while never-freed constants are being made

bool injectFailure() {
    if (gFailing)
        return true;
    if (gCountdown <= 0 || --gCountdown > 0)
        return false;
    gFailing = gPersistent;
    return true;
}

} // namespace

extern "C" {
const CFAllocatorRef kCFAllocatorDefault = nullptr;
const CFAllocatorRef kCFAllocatorSystemDefault = &gSystemDefault;
}

namespace cf {

InjectionPause::InjectionPause() {
    ++gPaused;
}
InjectionPause::~InjectionPause() {
    --gPaused;
}

void registerObject(Base *obj, CFTypeID typeID) {
    obj->typeID = typeID;
    obj->retainCount = 1;
    registry().live.insert(obj);
}

void makeImmortal(Base *obj) {
    registry().live.erase(obj);
    registry().immortal.insert(obj);
    obj->retainCount = kImmortalRetainCount;
}

Base *checkAny(CFTypeRef cf, const char *call) {
    if (cf == nullptr)
        CFStandInMisuse(call, "NULL object reference");
    if (!CFStandInIsValidObject(cf))
        CFStandInMisuse(call, "%p is not a live object (already released, or never an object)", cf);
    return const_cast<Base *>(static_cast<const Base *>(cf));
}

Base *checkType(CFTypeRef cf, CFTypeID typeID, const char *call) {
    if (cf == nullptr)
        CFStandInMisuse(call, "NULL %sRef", typeName(typeID));
    Base *obj = checkAny(cf, call);
    if (obj->typeID != typeID)
        CFStandInMisuse(call, "%s passed where a %s is expected", typeName(obj->typeID),
                        typeName(typeID));
    return obj;
}

void checkIndex(const char *call, CFIndex idx, CFIndex limit) {
    if (idx < 0 || idx >= limit)
        CFStandInMisuse(call, "index %ld out of bounds (count %ld)", idx, limit);
}

} // namespace cf

extern "C" {

void CFStandInMisuse(const char *call, const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::fprintf(stderr, "%s: misuse: ", call != nullptr ? call : "?");
    std::vfprintf(stderr, fmt, args);
    std::fputc('\n', stderr);
    va_end(args);
    std::fflush(stderr);
    std::abort();
}

CFTypeID CFGetTypeID(CFTypeRef cf) {
    return cf::checkAny(cf, "CFGetTypeID")->typeID;
}

CFTypeRef CFRetain(CFTypeRef cf) {
    cf::Base *obj = cf::checkAny(cf, "CFRetain");
    if (obj->retainCount != cf::kImmortalRetainCount)
        ++obj->retainCount;
    return cf;
}

void CFRelease(CFTypeRef cf) {
    cf::Base *obj = cf::checkAny(cf, "CFRelease");
    if (obj->retainCount == cf::kImmortalRetainCount || --obj->retainCount > 0)
        return;
    const CFStandInClass *cls = gClasses[obj->typeID];
    if (cls != nullptr && cls->finalize != nullptr)
        cls->finalize(obj);
    registry().live.erase(obj);
    CFStandInDeallocate(obj);
}

Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2) {
    cf::Base *a = cf::checkAny(cf1, "CFEqual");
    cf::Base *b = cf::checkAny(cf2, "CFEqual");
    if (a == b)
        return true;
    const CFStandInClass *cls = gClasses[a->typeID];
    return a->typeID == b->typeID && cls != nullptr && cls->equal != nullptr && cls->equal(a, b);
}

CFIndex CFStandInGetLiveObjectCount(void) {
    return static_cast<CFIndex>(registry().live.size());
}

CFIndex CFStandInGetLiveObjectCountOfType(CFTypeID typeID) {
    CFIndex n = 0;
    for (const void *p : registry().live)
        n += static_cast<const cf::Base *>(p)->typeID == typeID;
    return n;
}

CFTypeID CFStandInRegisterClass(const CFStandInClass *cls) {
    if (cls == nullptr)
        CFStandInMisuse("CFStandInRegisterClass", "NULL class");
    if (gNextTypeID >= cf::kMaxTypeID)
        return cf::kNotATypeID;
    gClasses[gNextTypeID] = cls;
    return gNextTypeID++;
}

CFTypeRef CFStandInCreateInstance(CFAllocatorRef, CFTypeID typeID, CFIndex extraBytes) {
    if (typeID < cf::kFirstRegisteredTypeID || typeID >= gNextTypeID)
        CFStandInMisuse("CFStandInCreateInstance", "type id %lu is no registered class", typeID);
    if (extraBytes < 0)
        CFStandInMisuse("CFStandInCreateInstance", "negative size %ld", extraBytes);
    size_t size = kInstanceOffset + static_cast<size_t>(extraBytes);
    void *mem = CFStandInAllocate(size);
    if (mem == nullptr)
        return nullptr;
    std::memset(mem, 0, size);
    cf::registerObject(static_cast<cf::Base *>(mem), typeID);
    return mem;
}

void *CFStandInGetInstanceData(CFTypeRef cf) {
    cf::Base *obj = cf::checkAny(cf, "CFStandInGetInstanceData");
    if (obj->typeID < cf::kFirstRegisteredTypeID)
        CFStandInMisuse("CFStandInGetInstanceData", "%s has no instance data",
                        typeName(obj->typeID));
    return reinterpret_cast<char *>(obj) + kInstanceOffset;
}

Boolean CFStandInIsValidObject(CFTypeRef cf) {
    return cf != nullptr && (registry().live.count(cf) != 0 || registry().immortal.count(cf) != 0);
}

void *CFStandInAllocate(size_t size) {
    if (gPaused == 0 && injectFailure()) {
        ++gFailed;
        return nullptr;
    }
    void *ptr = std::malloc(size == 0 ? 1 : size);
    gOutstanding += ptr != nullptr && gPaused == 0;
    return ptr;
}

void CFStandInDeallocate(void *ptr) {
    if (ptr != nullptr && gPaused == 0)
        --gOutstanding;
    std::free(ptr);
}

void CFStandInSetAllocationFailure(long nth, Boolean persistent) {
    gCountdown = nth > 0 ? nth : 0;
    gPersistent = persistent != 0;
    gFailing = false;
}

long CFStandInGetFailedAllocationCount(void) {
    return gFailed;
}

long CFStandInGetOutstandingAllocationCount(void) {
    return gOutstanding;
}

} // extern "C"
