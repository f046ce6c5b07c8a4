/*
 * CFRuntime.cpp
 *
 * The object runtime: class table, live-object registry, retain and release,
 * the polymorphic calls (type, equality, hash), the allocator constants and
 * misuse reporting. The registry knows every object from creation to free,
 * so a check never reads through a bad pointer.
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

const CFStandInClass kAllocatorClass = {"CFAllocator", nullptr, nullptr, nullptr, nullptr};

// The class table; registered classes are appended after the built-in ones.
const CFStandInClass *gClasses[cf::kMaxTypeID] = {
    nullptr,           nullptr,           &kAllocatorClass,
    &cf::kStringClass, &cf::kNumberClass, &cf::kBooleanClass,
    &cf::kDataClass,   &cf::kArrayClass,  &cf::kDictionaryClass,
    &cf::kURLClass,    &cf::kUUIDClass,   &cf::kBundleClass,
};
CFTypeID gNextTypeID = cf::kFirstRegisteredTypeID;

__CFAllocator gSystemDefault = {{cf::kMagic, true, cf::kAllocatorTypeID, cf::kImmortalRetainCount}};

// The registry. It is bookkeeping of the checker, not object storage, so it
// allocates from the ordinary heap and is not subject to fault injection.
struct Registry {
    std::unordered_set<const void *> live;
    std::unordered_set<const void *> immortal;
    Registry() {
        for (cf::Base *b :
             {static_cast<cf::Base *>(&gSystemDefault), static_cast<cf::Base *>(&cf::gBooleanTrue),
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
const CFAllocatorRef kCFAllocatorDefault = nullptr;
const CFAllocatorRef kCFAllocatorSystemDefault = &gSystemDefault;
}

namespace cf {

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

static const char *typeName(CFTypeID typeID) {
    if (typeID < kMaxTypeID && gClasses[typeID] != nullptr)
        return gClasses[typeID]->className;
    return "unknown type";
}

Base *checkAny(CFTypeRef cf, const char *call) {
    if (cf == nullptr)
        CFStandInMisuse(call, "NULL object reference");
    if (!isObject(cf))
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

void checkRange(const char *call, CFRange range, CFIndex length) {
    if (range.location < 0 || range.length < 0 || range.location > length ||
        range.length > length - range.location)
        CFStandInMisuse(call, "range {%ld, %ld} out of bounds (length %ld)", range.location,
                        range.length, length);
}

CFHashCode hashType(const void *value) {
    Base *obj = checkAny(value, "CFHash");
    const CFStandInClass *cls = gClasses[obj->typeID];
    if (cls != nullptr && cls->hash != nullptr)
        return cls->hash(value);
    return static_cast<CFHashCode>(reinterpret_cast<uintptr_t>(value) >> 4);
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
    if (!obj->immortal)
        ++obj->retainCount;
    return cf;
}

void CFRelease(CFTypeRef cf) {
    cf::Base *obj = cf::checkAny(cf, "CFRelease");
    if (obj->immortal)
        return;
    if (obj->retainCount <= 0)
        CFStandInMisuse("CFRelease", "%p released beyond its last reference", cf);
    if (--obj->retainCount == 0)
        freeObject(obj);
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
    cf::Base *obj = static_cast<cf::Base *>(mem);
    cf::registerObject(obj, typeID);
    return obj;
}

void *CFStandInGetInstanceData(CFTypeRef cf) {
    cf::Base *obj = cf::checkAny(cf, "CFStandInGetInstanceData");
    if (obj->typeID < cf::kFirstRegisteredTypeID)
        CFStandInMisuse("CFStandInGetInstanceData", "%s has no instance data",
                        cf::typeName(obj->typeID));
    return reinterpret_cast<char *>(obj) + kInstanceOffset;
}

Boolean CFStandInIsValidObject(CFTypeRef cf) {
    return cf::isObject(cf);
}

} // extern "C"
