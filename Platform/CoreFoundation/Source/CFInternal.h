/*
 * CFInternal.h
 *
 * Private interfaces shared by the CoreFoundation stand-in's source files:
 * the object header and the runtime's checked lookups, the allocator
 * adaptor through which every container of the layer allocates, the
 * object structures, and the helpers one area offers another.
 *
 * Inside the layer, running out of memory throws std::bad_alloc; the
 * platform calls catch it at their boundary and fail the platform's way.
 */
#ifndef CF_STANDIN_INTERNAL_H
#define CF_STANDIN_INTERNAL_H

#include <CoreFoundation/CoreFoundation.h>
#include <StandIn/CFStandIn.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace cf {

// The retain count of an immortal object: constants, never counted or freed.
constexpr CFIndex kImmortalRetainCount = 0x0FFFFFFFFFFFFFFF;

// Type ids of the built-in classes; registered classes follow.
enum : CFTypeID {
    kNotATypeID = 0,
    kAllocatorTypeID = 2,
    kStringTypeID,
    kNumberTypeID,
    kBooleanTypeID,
    kDataTypeID,
    kArrayTypeID,
    kDictionaryTypeID,
    kURLTypeID,
    kUUIDTypeID,
    kBundleTypeID,
    kFirstRegisteredTypeID = 32,
    kMaxTypeID = 256
};

// The built-in classes, defined by each type's source file.
extern const CFStandInClass kStringClass, kNumberClass, kBooleanClass, kDataClass, kArrayClass,
    kDictionaryClass, kURLClass, kUUIDClass, kBundleClass;

// Header at the start of every object.
struct Base {
    CFTypeID typeID;
    CFIndex retainCount;
};

// ---- Allocation ------------------------------------------------------------

// Standard-library allocator over CFStandInAllocate: containers of the layer
// allocate through it, so injected failures reach them.
template <class T> struct Allocator {
    using value_type = T;
    Allocator() noexcept = default;
    template <class U> Allocator(const Allocator<U> &) noexcept {}
    T *allocate(std::size_t n) {
        void *p = CFStandInAllocate(n * sizeof(T));
        if (p == nullptr)
            throw std::bad_alloc();
        return static_cast<T *>(p);
    }
    void deallocate(T *p, std::size_t) noexcept { CFStandInDeallocate(p); }
    template <class U> bool operator==(const Allocator<U> &) const noexcept { return true; }
};

// While one of these lives, allocations are neither counted nor subject to
// injection: for constants (CFSTR, constant UUIDs) that the platform keeps
// in static storage and that are never freed.
struct InjectionPause {
    InjectionPause();
    ~InjectionPause();
    InjectionPause(const InjectionPause &) = delete;
    InjectionPause &operator=(const InjectionPause &) = delete;
};

template <class T> using Vec = std::vector<T, Allocator<T>>;
using String8 = std::basic_string<char, std::char_traits<char>, Allocator<char>>;
using UniVec = Vec<UniChar>;

// Runs make and gives its result, or nullptr when memory runs out: the
// boundary of the platform's create calls.
template <class F> auto orNull(F make) -> decltype(make()) {
    try {
        return make();
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

// ---- Runtime ---------------------------------------------------------------

// Registers a freshly constructed object as live (retain count 1).
void registerObject(Base *obj, CFTypeID typeID);
// Turns a registered object into an immortal one (no longer counted or freed).
void makeImmortal(Base *obj);

// Allocates, constructs and registers an object of type T (which derives from Base).
template <class T> T *newObject(CFTypeID typeID) {
    void *mem = CFStandInAllocate(sizeof(T));
    if (mem == nullptr)
        throw std::bad_alloc();
    T *obj = new (mem) T();
    registerObject(obj, typeID);
    return obj;
}

// Destroys an object made by newObject: class finalizers call this.
template <class T> void destroyObject(CFTypeRef cf) {
    const_cast<T *>(static_cast<const T *>(cf))->~T();
}

// The object header, or misuse (naming call) for NULL, a freed object or a
// pointer that is no object of this runtime.
Base *checkAny(CFTypeRef cf, const char *call);
// As checkAny, and misuse unless the object is of typeID.
Base *checkType(CFTypeRef cf, CFTypeID typeID, const char *call);

template <class T> T *check(CFTypeRef cf, CFTypeID typeID, const char *call) {
    return static_cast<T *>(checkType(cf, typeID, call));
}

// The index check shared by the collection and string calls.
void checkIndex(const char *call, CFIndex idx, CFIndex limit);

// Releases an owned reference when it goes out of scope (exceptions included).
template <class T> class Owned {
public:
    explicit Owned(T ref = nullptr) : mRef(ref) {}
    ~Owned() { reset(); }
    Owned(const Owned &) = delete;
    Owned &operator=(const Owned &) = delete;
    T get() const { return mRef; }
    T release() { return std::exchange(mRef, nullptr); }
    void reset(T ref = nullptr) {
        if (mRef != nullptr)
            CFRelease(mRef);
        mRef = ref;
    }
    explicit operator bool() const { return mRef != nullptr; }

private:
    T mRef;
};

} // namespace cf

// ---- Object structures -------------------------------------------------------

struct __CFString : cf::Base {
    cf::UniVec chars;
};

struct __CFNumber : cf::Base {
    int64_t i = 0;
};

struct __CFBoolean : cf::Base {
    bool value;
};

struct __CFData : cf::Base {
    cf::Vec<UInt8> bytes;
};

// Collections hold CF objects, each retained once by the collection.
struct __CFArray : cf::Base {
    cf::Vec<const void *> values;
    bool isMutable = false;
};

// The entries in the order they were added, looked up by CFEqual: the
// dictionaries of the layer hold tens of entries, not thousands.
struct __CFDictionary : cf::Base {
    cf::Vec<std::pair<const void *, const void *>> entries;
};

struct __CFUUID : cf::Base {
    CFUUIDBytes bytes{};
};

namespace cf {
// Orders UUID byte patterns, for the tables keyed by them.
struct UUIDLess {
    bool operator()(const CFUUIDBytes &a, const CFUUIDBytes &b) const {
        return std::memcmp(&a, &b, sizeof a) < 0;
    }
};
} // namespace cf

namespace cf {

// ---- Strings ---------------------------------------------------------------

const __CFString *checkString(CFTypeRef cf, const char *call);
// A new string from bytes in an encoding (external: a UTF-8 byte-order mark
// is skipped); nullptr for bytes invalid in the encoding or an encoding the
// layer does not carry.
CFStringRef decodeString(const void *bytes, size_t count, CFStringEncoding encoding,
                         bool external = false);
// The string as UTF-8 (unpaired surrogates become '?').
String8 toUTF8(CFStringRef str);

// ---- Collections -----------------------------------------------------------

// An immutable array or dictionary for a builder to fill with the calls below.
CFMutableArrayRef makeArray();
CFDictionaryRef makeDictionary();
void arrayAppend(CFArrayRef array, const void *value);
void dictionarySet(CFDictionaryRef dict, const void *key, const void *value);

// ---- Files, property lists and strings tables --------------------------------

// A file URL for a POSIX path (UTF-8); nullptr for an empty path.
CFURLRef makeFileURL(const String8 &path);
// The POSIX path of a file URL; misuse unless url is a URL.
const String8 &fileURLPath(CFURLRef url, const char *call);
// Reads a whole file; false with errno set when it cannot be read.
bool readFile(const char *path, Vec<UInt8> &out);

// Reads XML property-list bytes as immutable objects; nullptr when they are
// malformed or hold a type the layer does not carry.
CFPropertyListRef readPropertyList(const UInt8 *bytes, size_t count);
// Reads a strings table ("key" = "value"; pairs in UTF-8) as an immutable
// dictionary; nullptr when the data is no strings table.
CFDictionaryRef readStringsTable(const UInt8 *bytes, size_t count);

} // namespace cf

#endif /* CF_STANDIN_INTERNAL_H */
