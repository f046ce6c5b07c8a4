/*
 * CFInternal.h
 *
 * Private interfaces shared by the CoreFoundation stand-in's source files:
 * the object header and the runtime's checked lookups, the allocator
 * adaptor through which every container of the layer allocates, the
 * object structures, and the helpers one area offers another.
 */
#ifndef CF_STANDIN_INTERNAL_H
#define CF_STANDIN_INTERNAL_H

#include <CoreFoundation/CoreFoundation.h>
#include <StandIn/CFStandIn.h>

#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace cf {

constexpr uint32_t kMagic = 0x43467354; // marks a live object header
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
    uint32_t magic;
    bool immortal;
    CFTypeID typeID;
    CFIndex retainCount;
};

// ---- Allocation ------------------------------------------------------------

// Standard-library allocator over CFStandInAllocate: containers of the layer
// allocate through it, so injected failures reach them (as std::bad_alloc,
// caught at the API boundary).
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

// ---- Runtime ---------------------------------------------------------------

// Registers a freshly constructed object as live (retain count 1).
void registerObject(Base *obj, CFTypeID typeID);
// Registers a static or never-freed object as immortal.
void registerImmortal(Base *obj, CFTypeID typeID);
// Turns a live object into an immortal one (no longer counted or freed).
void makeImmortal(Base *obj);

// Allocates and constructs an object of type T (which derives from Base).
// Returns nullptr when memory runs out.
template <class T, class... Args> T *newObject(CFTypeID typeID, Args &&...args) {
    void *mem = CFStandInAllocate(sizeof(T));
    if (mem == nullptr)
        return nullptr;
    T *obj = nullptr;
    try {
        obj = new (mem) T(std::forward<Args>(args)...);
    } catch (...) {
        CFStandInDeallocate(mem);
        return nullptr;
    }
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

// Range check shared by the collection and string calls.
void checkRange(const char *call, CFRange range, CFIndex length);
void checkIndex(const char *call, CFIndex idx, CFIndex limit);

// Releases an owned reference when it goes out of scope (exceptions included).
template <class T> class Owned {
public:
    explicit Owned(T ref = nullptr) : mRef(ref) {}
    ~Owned() {
        if (mRef != nullptr)
            CFRelease(mRef);
    }
    Owned(const Owned &) = delete;
    Owned &operator=(const Owned &) = delete;
    T get() const { return mRef; }
    T release() { return std::exchange(mRef, nullptr); }
    explicit operator bool() const { return mRef != nullptr; }

private:
    T mRef;
};

// ---- Object structures -----------------------------------------------------

} // namespace cf

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

struct __CFArray : cf::Base {
    cf::Vec<const void *> values;
    bool isMutable = false;
};

struct __CFUUID : cf::Base {
    CFUUIDBytes bytes{};
};

namespace cf {

// ---- Strings ---------------------------------------------------------------

// A new string from UTF-16; nullptr when memory runs out.
CFStringRef makeString(const UniChar *chars, size_t count);
// New string from UTF-8 bytes; nullptr on invalid UTF-8 or no memory.
CFStringRef makeStringFromUTF8(const char *bytes, size_t count);
// The string as UTF-8 (unpaired surrogates become '?'). Throws bad_alloc.
String8 toUTF8(CFStringRef str);
const __CFString *checkString(CFTypeRef cf, const char *call);

// ---- Encodings: MacRoman, ASCII and UTF-8 (through iconv) -------------------

// Decodes bytes into UTF-16 (external: a UTF-8 byte-order mark is skipped).
// False for bytes invalid in the encoding or an unsupported encoding.
// Throws bad_alloc.
bool decode(const UInt8 *bytes, size_t count, CFStringEncoding encoding, bool external,
            UniVec &out);
// Encodes chars as CFStringGetBytes does: as many characters as fit, stopping
// at one that cannot be encoded unless lossByte is given. Returns the number
// of UTF-16 units converted; *used gets the bytes written (or needed).
CFIndex encode(const UniChar *chars, CFIndex count, CFStringEncoding encoding, UInt8 lossByte,
               UInt8 *buffer, CFIndex maxBufLen, CFIndex *used);

// ---- URLs and files ----------------------------------------------------------

// A file URL for a POSIX path (UTF-8); nullptr for an empty path or no memory.
CFURLRef makeFileURL(const String8 &path, bool isDirectory);
// The POSIX path of a file URL; misuse unless url is a URL.
const String8 &fileURLPath(CFURLRef url, const char *call);
// Reads a whole file; false with errno set when it cannot be read. Throws bad_alloc.
bool readFile(const char *path, Vec<UInt8> &out);

// ---- Values and collections --------------------------------------------------

// The callbacks of the CF-type callback sets: values are CF objects, retained,
// released, compared and hashed as such.
const void *retainType(CFAllocatorRef, const void *value);
void releaseType(CFAllocatorRef, const void *value);
Boolean equalType(const void *a, const void *b);
CFHashCode hashType(const void *value);

CFMutableDictionaryRef makeTypeDictionary(bool isMutable);
// Marks a collection made mutable as immutable (or back), for builders.
void setDictionaryMutable(CFTypeRef dict, bool isMutable);
void setArrayMutable(CFTypeRef array, bool isMutable);

// ---- Property lists and strings tables --------------------------------------

// Reads property-list bytes as immutable objects. nullptr when they are
// malformed or hold an unsupported type, or (with *outOfMemory set) when
// memory ran out.
CFPropertyListRef createPropertyList(const UInt8 *bytes, size_t count, bool *outOfMemory);

// Parses a strings table ("key" = "value"; pairs in UTF-8). Returns a new
// dictionary, or nullptr when the data is no strings table or memory runs out.
CFDictionaryRef parseStringsTable(const UInt8 *bytes, size_t count);

// ---- Bundles ----------------------------------------------------------------

// The registered bundles, in the order they were created.
const std::vector<__CFBundle *> &registeredBundles();

// ---- Localization ----------------------------------------------------------

// The localization of `available` that best serves the preferred languages,
// else the development region (if available), else "en", else the first
// available; empty when nothing is available.
String8 chooseLocalization(const Vec<String8> &available, const String8 &developmentRegion);

} // namespace cf

#endif /* CF_STANDIN_INTERNAL_H */
