/*
 * CFRuntime.cpp
 *
 * The object runtime: class table, live-object registry, retain and release,
 * the polymorphic calls (type, equality, hash, description), allocators,
 * the null object, and misuse reporting.
 *
 * Every object is known to the registry from its creation until it is freed,
 * so a typed call can tell a live object of the right type from NULL, a
 * freed object, a foreign pointer or an object of another type without
 * reading the memory behind the pointer, and stop with a message naming the
 * call instead of crashing later.
 */
#include "CFInternal.h"

#include <algorithm>
#include <cinttypes>
#include <cstring>
#include <malloc.h>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <unordered_set>
#include <vector>

struct __CFNull : cf::Base {};
namespace cf {
extern __CFBoolean gBooleanTrue, gBooleanFalse; // CFNumber.cpp
}
struct __CFAllocator : cf::Base {
    const char *name;
};

namespace {

const CFStandInClass kNullClass = {"CFNull", nullptr, nullptr, nullptr, nullptr};
const CFStandInClass kAllocatorClass = {"CFAllocator", nullptr, nullptr, nullptr, nullptr};

// The class table; registered classes are appended after the built-in ones.
const CFStandInClass *gClasses[cf::kMaxTypeID] = {
    nullptr,           &kNullClass,       &kAllocatorClass,
    &cf::kStringClass, &cf::kNumberClass, &cf::kBooleanClass,
    &cf::kDataClass,   &cf::kArrayClass,  &cf::kDictionaryClass,
    &cf::kURLClass,    &cf::kUUIDClass,   &cf::kBundleClass,
    &cf::kDateClass,   &cf::kErrorClass,
};
CFTypeID gNextTypeID = cf::kFirstRegisteredTypeID;

__CFNull gNull = {{cf::kMagic, true, cf::kNullTypeID, cf::kImmortalRetainCount}};
__CFAllocator gSystemDefault = {{cf::kMagic, true, cf::kAllocatorTypeID, cf::kImmortalRetainCount},
                                "kCFAllocatorSystemDefault"};
__CFAllocator gMalloc = {{cf::kMagic, true, cf::kAllocatorTypeID, cf::kImmortalRetainCount},
                         "kCFAllocatorMalloc"};
__CFAllocator gMallocZone = {{cf::kMagic, true, cf::kAllocatorTypeID, cf::kImmortalRetainCount},
                             "kCFAllocatorMallocZone"};
__CFAllocator gNullAllocator = {{cf::kMagic, true, cf::kAllocatorTypeID, cf::kImmortalRetainCount},
                                "kCFAllocatorNull"};
__CFAllocator gUseContext = {{cf::kMagic, true, cf::kAllocatorTypeID, cf::kImmortalRetainCount},
                             "kCFAllocatorUseContext"};

// The registry. It is bookkeeping of the checker, not object storage, so it
// allocates from the ordinary heap and is not subject to fault injection.
struct Registry {
    std::unordered_set<const void *> live;
    std::unordered_set<const void *> immortal;
    Registry() {
        for (cf::Base *b :
             {static_cast<cf::Base *>(&gNull), static_cast<cf::Base *>(&gSystemDefault),
              static_cast<cf::Base *>(&gMalloc), static_cast<cf::Base *>(&gMallocZone),
              static_cast<cf::Base *>(&gNullAllocator), static_cast<cf::Base *>(&gUseContext),
              static_cast<cf::Base *>(&cf::gBooleanTrue),
              static_cast<cf::Base *>(&cf::gBooleanFalse)})
            immortal.insert(b);
    }
};

Registry &registry() {
    static Registry *r = new Registry(); // never destroyed: objects may outlive static teardown
    return *r;
}

// Header size rounded up so that the instance data of registered classes is
// aligned for any type.
constexpr size_t kInstanceOffset = (sizeof(cf::Base) + alignof(std::max_align_t) - 1) /
                                   alignof(std::max_align_t) * alignof(std::max_align_t);

void freeObject(cf::Base *obj) {
    const CFStandInClass *cls = gClasses[obj->typeID];
    if (cls != nullptr && cls->finalize != nullptr)
        cls->finalize(obj);
    registry().live.erase(obj);
    obj->magic = 0;
    CFStandInDeallocate(obj);
}

} // namespace

extern "C" {
const CFNullRef kCFNull = &gNull;
const CFAllocatorRef kCFAllocatorDefault = nullptr;
const CFAllocatorRef kCFAllocatorSystemDefault = &gSystemDefault;
const CFAllocatorRef kCFAllocatorMalloc = &gMalloc;
const CFAllocatorRef kCFAllocatorMallocZone = &gMallocZone;
const CFAllocatorRef kCFAllocatorNull = &gNullAllocator;
const CFAllocatorRef kCFAllocatorUseContext = &gUseContext;
}

namespace cf {

void misuse(const char *call, const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::fprintf(stderr, "%s: misuse: ", call);
    std::vfprintf(stderr, fmt, args);
    std::fputc('\n', stderr);
    va_end(args);
    std::fflush(stderr);
    std::abort();
}

void registerObject(Base *obj, CFTypeID typeID) {
    obj->magic = kMagic;
    obj->immortal = false;
    obj->typeID = typeID;
    obj->retainCount = 1;
    registry().live.insert(obj);
}

void registerImmortal(Base *obj, CFTypeID typeID) {
    obj->magic = kMagic;
    obj->immortal = true;
    obj->typeID = typeID;
    obj->retainCount = kImmortalRetainCount;
    registry().immortal.insert(obj);
}

void makeImmortal(Base *obj) {
    if (obj->immortal)
        return;
    registry().live.erase(obj);
    registry().immortal.insert(obj);
    obj->immortal = true;
    obj->retainCount = kImmortalRetainCount;
}

bool isObject(CFTypeRef cf) {
    if (cf == nullptr)
        return false;
    Registry &r = registry();
    return r.live.count(cf) != 0 || r.immortal.count(cf) != 0;
}

const char *typeName(CFTypeID typeID) {
    if (typeID < kMaxTypeID && gClasses[typeID] != nullptr)
        return gClasses[typeID]->className;
    return "unknown type";
}

Base *checkAny(CFTypeRef cf, const char *call) {
    if (cf == nullptr)
        misuse(call, "NULL object reference");
    if (!isObject(cf))
        misuse(call, "%p is not a live object (already released, or never an object)", cf);
    return const_cast<Base *>(static_cast<const Base *>(cf));
}

Base *checkType(CFTypeRef cf, CFTypeID typeID, const char *call) {
    if (cf == nullptr)
        misuse(call, "NULL %sRef", typeName(typeID));
    Base *obj = checkAny(cf, call);
    if (obj->typeID != typeID)
        misuse(call, "%s passed where a %s is expected", typeName(obj->typeID), typeName(typeID));
    return obj;
}

void checkRange(const char *call, CFRange range, CFIndex length) {
    if (range.location < 0 || range.length < 0 || range.location > length ||
        range.length > length - range.location)
        misuse(call, "range {%ld, %ld} out of bounds (length %ld)", range.location, range.length,
               length);
}

void checkIndex(const char *call, CFIndex idx, CFIndex limit) {
    if (idx < 0 || idx >= limit)
        misuse(call, "index %ld out of bounds (count %ld)", idx, limit);
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

CFRange __CFRangeMake(CFIndex loc, CFIndex len) {
    return CFRangeMake(loc, len);
}

CFTypeID CFNullGetTypeID(void) {
    return cf::kNullTypeID;
}
CFTypeID CFAllocatorGetTypeID(void) {
    return cf::kAllocatorTypeID;
}
CFAllocatorRef CFAllocatorGetDefault(void) {
    return kCFAllocatorSystemDefault;
}

void *CFAllocatorAllocate(CFAllocatorRef allocator, CFIndex size, CFOptionFlags) {
    if (allocator == kCFAllocatorNull || size <= 0)
        return nullptr;
    return CFStandInAllocate(static_cast<size_t>(size));
}

void *CFAllocatorReallocate(CFAllocatorRef allocator, void *ptr, CFIndex newsize, CFOptionFlags) {
    if (allocator == kCFAllocatorNull)
        return nullptr;
    if (ptr == nullptr)
        return newsize > 0 ? CFStandInAllocate(static_cast<size_t>(newsize)) : nullptr;
    if (newsize <= 0) {
        CFStandInDeallocate(ptr);
        return nullptr;
    }
    // The block's size is not recorded: grow by allocating and copying what
    // the C library says is usable.
    void *fresh = CFStandInAllocate(static_cast<size_t>(newsize));
    if (fresh == nullptr)
        return nullptr;
    std::memcpy(fresh, ptr, std::min(static_cast<size_t>(newsize), malloc_usable_size(ptr)));
    CFStandInDeallocate(ptr);
    return fresh;
}

void CFAllocatorDeallocate(CFAllocatorRef allocator, void *ptr) {
    if (allocator == kCFAllocatorNull)
        return;
    CFStandInDeallocate(ptr);
}

CFTypeID CFGetTypeID(CFTypeRef cf) {
    return cf::checkAny(cf, "CFGetTypeID")->typeID;
}

CFStringRef CFCopyTypeIDDescription(CFTypeID typeID) {
    if (typeID >= cf::kMaxTypeID || gClasses[typeID] == nullptr)
        return nullptr;
    return CFStringCreateWithCString(nullptr, gClasses[typeID]->className, kCFStringEncodingUTF8);
}

CFTypeRef CFRetain(CFTypeRef cf) {
    cf::Base *obj = cf::checkAny(cf, "CFRetain");
    if (!obj->immortal)
        ++obj->retainCount;
    return cf;
}

void CFRelease(CFTypeRef cf) {
    cf::Base *obj = cf::checkAny(cf, "CFRelease");
    if (obj->immortal)
        return;
    if (obj->retainCount <= 0)
        cf::misuse("CFRelease", "%p released beyond its last reference", cf);
    if (--obj->retainCount == 0)
        freeObject(obj);
}

CFIndex CFGetRetainCount(CFTypeRef cf) {
    return cf::checkAny(cf, "CFGetRetainCount")->retainCount;
}

Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2) {
    cf::Base *a = cf::checkAny(cf1, "CFEqual");
    cf::Base *b = cf::checkAny(cf2, "CFEqual");
    if (a == b)
        return true;
    if (a->typeID != b->typeID)
        return false;
    const CFStandInClass *cls = gClasses[a->typeID];
    return cls != nullptr && cls->equal != nullptr && cls->equal(cf1, cf2);
}

CFHashCode CFHash(CFTypeRef cf) {
    cf::Base *obj = cf::checkAny(cf, "CFHash");
    const CFStandInClass *cls = gClasses[obj->typeID];
    if (cls != nullptr && cls->hash != nullptr)
        return cls->hash(cf);
    return static_cast<CFHashCode>(reinterpret_cast<uintptr_t>(cf) >> 4);
}

CFStringRef CFCopyDescription(CFTypeRef cf) {
    cf::Base *obj = cf::checkAny(cf, "CFCopyDescription");
    const CFStandInClass *cls = gClasses[obj->typeID];
    if (cls != nullptr && cls->copyDescription != nullptr)
        return cls->copyDescription(cf);
    if (obj->typeID == cf::kAllocatorTypeID)
        return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("<CFAllocator %p [%s]>"), cf,
                                        static_cast<const __CFAllocator *>(obj)->name);
    if (obj->typeID == cf::kNullTypeID)
        return static_cast<CFStringRef>(CFRetain(CFSTR("<null>")));
    return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("<%s %p>"), cf::typeName(obj->typeID),
                                    cf);
}

CFAllocatorRef CFGetAllocator(CFTypeRef cf) {
    cf::checkAny(cf, "CFGetAllocator");
    return kCFAllocatorSystemDefault;
}

void CFShow(CFTypeRef obj) {
    if (obj == nullptr) {
        std::fputs("(null)\n", stderr);
        return;
    }
    CFStringRef desc = CFCopyDescription(obj);
    if (desc == nullptr)
        return;
    try {
        cf::String8 text = cf::toUTF8(desc);
        std::fprintf(stderr, "%s\n", text.c_str());
    } catch (const std::bad_alloc &) {
    }
    CFRelease(desc);
}

CFIndex CFStandInGetLiveObjectCount(void) {
    return static_cast<CFIndex>(registry().live.size());
}

CFIndex CFStandInGetLiveObjectCountOfType(CFTypeID typeID) {
    CFIndex n = 0;
    for (const void *p : registry().live)
        if (static_cast<const cf::Base *>(p)->typeID == typeID)
            ++n;
    return n;
}

void CFStandInShowLiveObjects(void) {
    std::vector<const void *> objects(registry().live.begin(), registry().live.end());
    for (const void *p : objects) {
        const auto *obj = static_cast<const cf::Base *>(p);
        std::fprintf(stderr, "live: %s %p retain count %ld: ", cf::typeName(obj->typeID), p,
                     obj->retainCount);
        CFShow(p);
    }
}

CFTypeID CFStandInRegisterClass(const CFStandInClass *cls) {
    if (cls == nullptr)
        cf::misuse("CFStandInRegisterClass", "NULL class");
    if (gNextTypeID >= cf::kMaxTypeID)
        return cf::kNotATypeID;
    gClasses[gNextTypeID] = cls;
    return gNextTypeID++;
}

CFTypeRef CFStandInCreateInstance(CFAllocatorRef, CFTypeID typeID, CFIndex extraBytes) {
    if (typeID < cf::kFirstRegisteredTypeID || typeID >= gNextTypeID)
        cf::misuse("CFStandInCreateInstance", "type id %lu is no registered class", typeID);
    if (extraBytes < 0)
        cf::misuse("CFStandInCreateInstance", "negative size %ld", extraBytes);
    size_t size = kInstanceOffset + static_cast<size_t>(extraBytes);
    void *mem = CFStandInAllocate(size);
    if (mem == nullptr)
        return nullptr;
    std::memset(mem, 0, size);
    cf::Base *obj = static_cast<cf::Base *>(mem);
    cf::registerObject(obj, typeID);
    return obj;
}

void *CFStandInGetInstanceData(CFTypeRef cf) {
    cf::Base *obj = cf::checkAny(cf, "CFStandInGetInstanceData");
    if (obj->typeID < cf::kFirstRegisteredTypeID)
        cf::misuse("CFStandInGetInstanceData", "%s has no instance data",
                   cf::typeName(obj->typeID));
    return reinterpret_cast<char *>(obj) + kInstanceOffset;
}

Boolean CFStandInIsValidObject(CFTypeRef cf) {
    return cf::isObject(cf);
}

void CFStandInCheckObject(CFTypeRef cf, CFTypeID typeID, const char *call) {
    cf::checkType(cf, typeID, call != nullptr ? call : "CFStandInCheckObject");
}

} // extern "C"
