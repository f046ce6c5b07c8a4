/*
 * CFString.cpp
 *
 * Strings: UTF-16 held in the object, immutable or mutable; constant
 * strings (CFSTR) uniqued by their text and never freed; creation from and
 * conversion to external encodings; comparison, search and editing.
 */
#include "CFInternal.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <locale.h>
#include <map>
#include <string>

namespace {

Boolean equalStrings(CFTypeRef a, CFTypeRef b) {
    return static_cast<const __CFString *>(a)->chars == static_cast<const __CFString *>(b)->chars;
}

CFHashCode hashString(CFTypeRef cf) {
    const cf::UniVec &chars = static_cast<const __CFString *>(cf)->chars;
    CFHashCode h = 1469598103934665603UL;
    for (UniChar u : chars) {
        h ^= u;
        h *= 1099511628211UL;
    }
    return h;
}

CFStringRef describeString(CFTypeRef cf) {
    return CFStringCreateCopy(nullptr, (CFStringRef)cf);
}

void finalizeString(CFTypeRef cf) {
    cf::destroyObject<__CFString>(cf);
}

__CFString *checkMutable(CFTypeRef cf, const char *call) {
    auto *s = const_cast<__CFString *>(cf::checkString(cf, call));
    if (!s->isMutable)
        cf::misuse(call, "the string is immutable");
    return s;
}

void checkMaxLength(const __CFString *s, size_t newLength, const char *call) {
    if (s->maxLength > 0 && static_cast<CFIndex>(newLength) > s->maxLength)
        cf::misuse(call, "the edit exceeds the string's maximum length %ld", s->maxLength);
}

// Case folding for case-insensitive comparison, in the C.UTF-8 locale so
// that it covers more than ASCII; ASCII only if that locale is missing.
UniChar foldCase(UniChar u) {
    if (u < 0x80)
        return (u >= 'A' && u <= 'Z') ? static_cast<UniChar>(u + 32) : u;
    static locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (utf8 == static_cast<locale_t>(nullptr) || (u >= 0xD800 && u <= 0xDFFF))
        return u;
    return static_cast<UniChar>(towlower_l(static_cast<wint_t>(u), utf8));
}

bool isDigit(UniChar u) {
    return u >= '0' && u <= '9';
}

CFComparisonResult compareUnits(const UniChar *a, CFIndex na, const UniChar *b, CFIndex nb,
                                CFStringCompareFlags options) {
    const bool fold = (options & kCFCompareCaseInsensitive) != 0;
    const bool numeric = (options & kCFCompareNumerically) != 0;
    CFIndex i = 0, j = 0;
    while (i < na && j < nb) {
        if (numeric && isDigit(a[i]) && isDigit(b[j])) {
            // Compare digit runs by value: skip leading zeros, then length, then digits.
            CFIndex si = i, sj = j;
            while (si < na && a[si] == '0')
                ++si;
            while (sj < nb && b[sj] == '0')
                ++sj;
            CFIndex ei = si, ej = sj;
            while (ei < na && isDigit(a[ei]))
                ++ei;
            while (ej < nb && isDigit(b[ej]))
                ++ej;
            if (ei - si != ej - sj)
                return ei - si < ej - sj ? kCFCompareLessThan : kCFCompareGreaterThan;
            for (CFIndex k = 0; k < ei - si; ++k)
                if (a[si + k] != b[sj + k])
                    return a[si + k] < b[sj + k] ? kCFCompareLessThan : kCFCompareGreaterThan;
            i = ei;
            j = ej;
            continue;
        }
        UniChar x = fold ? foldCase(a[i]) : a[i];
        UniChar y = fold ? foldCase(b[j]) : b[j];
        if (x != y)
            return x < y ? kCFCompareLessThan : kCFCompareGreaterThan;
        ++i;
        ++j;
    }
    if (i < na)
        return kCFCompareGreaterThan;
    if (j < nb)
        return kCFCompareLessThan;
    return kCFCompareEqualTo;
}

bool unitsEqualAt(const UniChar *hay, const UniChar *needle, CFIndex n, bool fold) {
    for (CFIndex k = 0; k < n; ++k) {
        UniChar x = fold ? foldCase(hay[k]) : hay[k];
        UniChar y = fold ? foldCase(needle[k]) : needle[k];
        if (x != y)
            return false;
    }
    return true;
}

void editString(__CFString *s, CFRange range, const UniChar *chars, size_t count,
                const char *call) {
    cf::checkRange(call, range, static_cast<CFIndex>(s->chars.size()));
    checkMaxLength(s, s->chars.size() - static_cast<size_t>(range.length) + count, call);
    try {
        // Build the new text aside, so that a failed allocation leaves the
        // string as it was (and so that chars may point into the string).
        cf::UniVec next;
        next.reserve(s->chars.size() - static_cast<size_t>(range.length) + count);
        next.insert(next.end(), s->chars.begin(), s->chars.begin() + range.location);
        next.insert(next.end(), chars, chars + count);
        next.insert(next.end(), s->chars.begin() + range.location + range.length, s->chars.end());
        s->chars.swap(next);
    } catch (const std::bad_alloc &) {
    }
}

} // namespace

namespace cf {

const CFStandInClass kStringClass = {"CFString", finalizeString, equalStrings, hashString,
                                     describeString};

const __CFString *checkString(CFTypeRef cf, const char *call) {
    return check<__CFString>(cf, kStringTypeID, call);
}

CFStringRef makeString(const UniChar *chars, size_t count) {
    __CFString *s = newObject<__CFString>(kStringTypeID);
    if (s == nullptr)
        return nullptr;
    try {
        s->chars.assign(chars, chars + count);
    } catch (const std::bad_alloc &) {
        CFRelease(s);
        return nullptr;
    }
    return s;
}

CFMutableStringRef makeMutableString(const UniChar *chars, size_t count, CFIndex maxLength) {
    auto *s = const_cast<__CFString *>(static_cast<const __CFString *>(makeString(chars, count)));
    if (s != nullptr) {
        s->isMutable = true;
        s->maxLength = maxLength;
    }
    return s;
}

CFStringRef makeStringFromUTF8(const char *bytes, size_t count) {
    try {
        UniVec chars;
        if (!decode(reinterpret_cast<const UInt8 *>(bytes), count, kCFStringEncodingUTF8, false,
                    chars))
            return nullptr;
        return makeString(chars.data(), chars.size());
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

void appendUTF8(String8 &out, CFStringRef str) {
    const __CFString *s = checkString(str, "CFStringGetBytes");
    CFIndex n = static_cast<CFIndex>(s->chars.size());
    size_t start = out.size();
    out.resize(start + static_cast<size_t>(n) * 3);
    CFIndex used = 0;
    encode(s->chars.data(), n, kCFStringEncodingUTF8, '?', false,
           reinterpret_cast<UInt8 *>(out.data() + start), n * 3, &used);
    out.resize(start + static_cast<size_t>(used));
}

String8 toUTF8(CFStringRef str) {
    String8 out;
    appendUTF8(out, str);
    return out;
}

void appendUTF8(UniVec &out, const char *text) {
    size_t n = std::strlen(text);
    UniVec chars;
    if (!decode(reinterpret_cast<const UInt8 *>(text), n, kCFStringEncodingUTF8, false, chars))
        decode(reinterpret_cast<const UInt8 *>(text), n, kCFStringEncodingMacRoman, false, chars);
    out.insert(out.end(), chars.begin(), chars.end());
}

} // namespace cf

extern "C" {

CFStringRef __CFStringMakeConstantString(const char *cStr) {
    if (cStr == nullptr)
        cf::misuse("CFSTR", "NULL text");
    static std::map<std::string, __CFString *> *constants =
        new std::map<std::string, __CFString *>();
    auto found = constants->find(cStr);
    if (found != constants->end())
        return found->second;
    cf::InjectionPause pause;
    auto *s = new __CFString();
    cf::appendUTF8(s->chars, cStr);
    bool ascii = true;
    for (const char *p = cStr; *p != '\0'; ++p)
        ascii = ascii && static_cast<unsigned char>(*p) < 0x80;
    if (ascii)
        s->constantCString = cStr;
    cf::registerImmortal(s, cf::kStringTypeID);
    constants->emplace(cStr, s);
    return s;
}

CFTypeID CFStringGetTypeID(void) {
    return cf::kStringTypeID;
}

CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const UInt8 *bytes, CFIndex numBytes,
                                    CFStringEncoding encoding, Boolean isExternalRepresentation) {
    if (numBytes < 0 || (bytes == nullptr && numBytes > 0))
        cf::misuse("CFStringCreateWithBytes", "bad byte buffer (%p, %ld)", bytes, numBytes);
    try {
        cf::UniVec chars;
        if (!cf::decode(bytes, static_cast<size_t>(numBytes), encoding, isExternalRepresentation,
                        chars))
            return nullptr;
        return cf::makeString(chars.data(), chars.size());
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char *cStr,
                                      CFStringEncoding encoding) {
    if (cStr == nullptr)
        cf::misuse("CFStringCreateWithCString", "NULL C string");
    return CFStringCreateWithBytes(alloc, reinterpret_cast<const UInt8 *>(cStr),
                                   static_cast<CFIndex>(std::strlen(cStr)), encoding, false);
}

CFStringRef CFStringCreateWithPascalString(CFAllocatorRef alloc, ConstStr255Param pStr,
                                           CFStringEncoding encoding) {
    if (pStr == nullptr)
        cf::misuse("CFStringCreateWithPascalString", "NULL Pascal string");
    return CFStringCreateWithBytes(alloc, pStr + 1, pStr[0], encoding, false);
}

CFStringRef CFStringCreateWithCharacters(CFAllocatorRef, const UniChar *chars, CFIndex numChars) {
    if (numChars < 0 || (chars == nullptr && numChars > 0))
        cf::misuse("CFStringCreateWithCharacters", "bad character buffer (%p, %ld)", chars,
                   numChars);
    return cf::makeString(chars, static_cast<size_t>(numChars));
}

CFStringRef CFStringCreateWithCStringNoCopy(CFAllocatorRef alloc, const char *cStr,
                                            CFStringEncoding encoding,
                                            CFAllocatorRef contentsDeallocator) {
    CFStringRef s = CFStringCreateWithCString(alloc, cStr, encoding);
    // The text is copied; the buffer handed over is given back at once.
    if (s != nullptr && contentsDeallocator != kCFAllocatorNull)
        CFAllocatorDeallocate(contentsDeallocator, const_cast<char *>(cStr));
    return s;
}

CFStringRef CFStringCreateWithCharactersNoCopy(CFAllocatorRef alloc, const UniChar *chars,
                                               CFIndex numChars,
                                               CFAllocatorRef contentsDeallocator) {
    CFStringRef s = CFStringCreateWithCharacters(alloc, chars, numChars);
    if (s != nullptr && contentsDeallocator != kCFAllocatorNull)
        CFAllocatorDeallocate(contentsDeallocator, const_cast<UniChar *>(chars));
    return s;
}

CFStringRef CFStringCreateWithSubstring(CFAllocatorRef, CFStringRef str, CFRange range) {
    const __CFString *s = cf::checkString(str, "CFStringCreateWithSubstring");
    cf::checkRange("CFStringCreateWithSubstring", range, static_cast<CFIndex>(s->chars.size()));
    return cf::makeString(s->chars.data() + range.location, static_cast<size_t>(range.length));
}

CFStringRef CFStringCreateCopy(CFAllocatorRef, CFStringRef theString) {
    const __CFString *s = cf::checkString(theString, "CFStringCreateCopy");
    if (!s->isMutable)
        return static_cast<CFStringRef>(CFRetain(s)); // an immutable string is its own copy
    return cf::makeString(s->chars.data(), s->chars.size());
}

CFMutableStringRef CFStringCreateMutable(CFAllocatorRef, CFIndex maxLength) {
    if (maxLength < 0)
        cf::misuse("CFStringCreateMutable", "negative maximum length %ld", maxLength);
    return cf::makeMutableString(nullptr, 0, maxLength);
}

CFMutableStringRef CFStringCreateMutableCopy(CFAllocatorRef, CFIndex maxLength,
                                             CFStringRef theString) {
    const __CFString *s = cf::checkString(theString, "CFStringCreateMutableCopy");
    if (maxLength < 0 || (maxLength > 0 && static_cast<CFIndex>(s->chars.size()) > maxLength))
        cf::misuse("CFStringCreateMutableCopy", "maximum length %ld below the length %zu",
                   maxLength, s->chars.size());
    return cf::makeMutableString(s->chars.data(), s->chars.size(), maxLength);
}

CFDataRef CFStringCreateExternalRepresentation(CFAllocatorRef alloc, CFStringRef theString,
                                               CFStringEncoding encoding, UInt8 lossByte) {
    const __CFString *s = cf::checkString(theString, "CFStringCreateExternalRepresentation");
    CFIndex n = static_cast<CFIndex>(s->chars.size()), used = 0;
    CFIndex done = cf::encode(s->chars.data(), n, encoding, lossByte, true, nullptr, 0, &used);
    if (done != n)
        return nullptr;
    try {
        cf::Vec<UInt8> bytes(static_cast<size_t>(used));
        cf::encode(s->chars.data(), n, encoding, lossByte, true, bytes.data(), used, &used);
        return CFDataCreate(alloc, bytes.data(), used);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

CFStringRef CFStringCreateFromExternalRepresentation(CFAllocatorRef alloc, CFDataRef data,
                                                     CFStringEncoding encoding) {
    return CFStringCreateWithBytes(alloc, CFDataGetBytePtr(data), CFDataGetLength(data), encoding,
                                   true);
}

CFIndex CFStringGetLength(CFStringRef theString) {
    return static_cast<CFIndex>(cf::checkString(theString, "CFStringGetLength")->chars.size());
}

UniChar CFStringGetCharacterAtIndex(CFStringRef theString, CFIndex idx) {
    const __CFString *s = cf::checkString(theString, "CFStringGetCharacterAtIndex");
    cf::checkIndex("CFStringGetCharacterAtIndex", idx, static_cast<CFIndex>(s->chars.size()));
    return s->chars[static_cast<size_t>(idx)];
}

void CFStringGetCharacters(CFStringRef theString, CFRange range, UniChar *buffer) {
    const __CFString *s = cf::checkString(theString, "CFStringGetCharacters");
    cf::checkRange("CFStringGetCharacters", range, static_cast<CFIndex>(s->chars.size()));
    if (buffer == nullptr && range.length > 0)
        cf::misuse("CFStringGetCharacters", "NULL buffer");
    if (range.length > 0)
        std::memcpy(buffer, s->chars.data() + range.location,
                    static_cast<size_t>(range.length) * sizeof(UniChar));
}

CFIndex CFStringGetBytes(CFStringRef theString, CFRange range, CFStringEncoding encoding,
                         UInt8 lossByte, Boolean isExternalRepresentation, UInt8 *buffer,
                         CFIndex maxBufLen, CFIndex *usedBufLen) {
    const __CFString *s = cf::checkString(theString, "CFStringGetBytes");
    cf::checkRange("CFStringGetBytes", range, static_cast<CFIndex>(s->chars.size()));
    return cf::encode(s->chars.data() + range.location, range.length, encoding, lossByte,
                      isExternalRepresentation, buffer, maxBufLen, usedBufLen);
}

Boolean CFStringGetCString(CFStringRef theString, char *buffer, CFIndex bufferSize,
                           CFStringEncoding encoding) {
    const __CFString *s = cf::checkString(theString, "CFStringGetCString");
    if (buffer == nullptr || bufferSize <= 0)
        return false;
    CFIndex n = static_cast<CFIndex>(s->chars.size()), used = 0;
    CFIndex done = cf::encode(s->chars.data(), n, encoding, 0, false,
                              reinterpret_cast<UInt8 *>(buffer), bufferSize - 1, &used);
    if (done != n) {
        buffer[0] = '\0';
        return false;
    }
    buffer[used] = '\0';
    return true;
}

Boolean CFStringGetPascalString(CFStringRef theString, StringPtr buffer, CFIndex bufferSize,
                                CFStringEncoding encoding) {
    const __CFString *s = cf::checkString(theString, "CFStringGetPascalString");
    if (buffer == nullptr || bufferSize <= 0)
        return false;
    CFIndex room = bufferSize - 1 < 255 ? bufferSize - 1 : 255;
    CFIndex n = static_cast<CFIndex>(s->chars.size()), used = 0;
    CFIndex done = cf::encode(s->chars.data(), n, encoding, 0, false, buffer + 1, room, &used);
    if (done != n) {
        buffer[0] = 0;
        return false;
    }
    buffer[0] = static_cast<unsigned char>(used);
    return true;
}

ConstStringPtr CFStringGetPascalStringPtr(CFStringRef theString, CFStringEncoding) {
    cf::checkString(theString, "CFStringGetPascalStringPtr");
    return nullptr; // allowed: callers fall back to CFStringGetPascalString
}

const char *CFStringGetCStringPtr(CFStringRef theString, CFStringEncoding encoding) {
    const __CFString *s = cf::checkString(theString, "CFStringGetCStringPtr");
    // Only constant ASCII strings have their text at hand; NULL otherwise, as
    // the platform allows.
    if (s->constantCString != nullptr &&
        (encoding == kCFStringEncodingASCII || encoding == kCFStringEncodingUTF8 ||
         encoding == kCFStringEncodingMacRoman))
        return s->constantCString;
    return nullptr;
}

const UniChar *CFStringGetCharactersPtr(CFStringRef theString) {
    const __CFString *s = cf::checkString(theString, "CFStringGetCharactersPtr");
    return s->chars.empty() ? nullptr : s->chars.data();
}

SInt32 CFStringGetIntValue(CFStringRef str) {
    const __CFString *s = cf::checkString(str, "CFStringGetIntValue");
    size_t i = 0, n = s->chars.size();
    while (i < n && (s->chars[i] == ' ' || s->chars[i] == '\t' || s->chars[i] == '\n'))
        ++i;
    bool negative = false;
    if (i < n && (s->chars[i] == '-' || s->chars[i] == '+'))
        negative = s->chars[i++] == '-';
    long long value = 0;
    for (; i < n && isDigit(s->chars[i]); ++i) {
        value = value * 10 + (s->chars[i] - '0');
        if (value > 2147483648LL)
            return negative ? INT32_MIN : INT32_MAX;
    }
    value = negative ? -value : value;
    if (value > INT32_MAX)
        return INT32_MAX;
    return static_cast<SInt32>(value);
}

double CFStringGetDoubleValue(CFStringRef str) {
    const __CFString *s = cf::checkString(str, "CFStringGetDoubleValue");
    char text[128];
    size_t n = 0;
    for (UniChar u : s->chars) {
        if (u >= 0x80 || n + 1 >= sizeof text)
            break;
        text[n++] = static_cast<char>(u);
    }
    text[n] = '\0';
    return std::strtod(text, nullptr);
}

CFStringEncoding CFStringGetSystemEncoding(void) {
    return kCFStringEncodingMacRoman;
}

CFStringEncoding CFStringGetFastestEncoding(CFStringRef theString) {
    cf::checkString(theString, "CFStringGetFastestEncoding");
    return kCFStringEncodingUnicode;
}

CFStringEncoding CFStringGetSmallestEncoding(CFStringRef theString) {
    const __CFString *s = cf::checkString(theString, "CFStringGetSmallestEncoding");
    for (UniChar u : s->chars)
        if (u >= 0x80)
            return kCFStringEncodingUnicode;
    return kCFStringEncodingASCII;
}

CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding) {
    CFIndex factor;
    switch (encoding) {
    case kCFStringEncodingUTF8:
        factor = 3;
        break;
    case kCFStringEncodingUTF16:
    case kCFStringEncodingUTF16BE:
    case kCFStringEncodingUTF16LE:
        factor = 2;
        break;
    case kCFStringEncodingUTF32:
    case kCFStringEncodingUTF32BE:
    case kCFStringEncodingUTF32LE:
        factor = 4;
        break;
    default:
        factor = 1;
        break;
    }
    if (length < 0 || length > LONG_MAX / factor)
        return kCFNotFound;
    return length * factor;
}

Boolean CFStringIsEncodingAvailable(CFStringEncoding encoding) {
    return cf::encodingSupported(encoding);
}

CFStringRef CFStringGetNameOfEncoding(CFStringEncoding encoding) {
    switch (encoding) {
    case kCFStringEncodingMacRoman:
        return CFSTR("Western (Mac OS Roman)");
    case kCFStringEncodingWindowsLatin1:
        return CFSTR("Western (Windows Latin 1)");
    case kCFStringEncodingISOLatin1:
        return CFSTR("Western (ISO Latin 1)");
    case kCFStringEncodingASCII:
        return CFSTR("Western (ASCII)");
    case kCFStringEncodingUTF8:
        return CFSTR("Unicode (UTF-8)");
    case kCFStringEncodingUTF16:
        return CFSTR("Unicode (UTF-16)");
    case kCFStringEncodingUTF16BE:
        return CFSTR("Unicode (UTF-16BE)");
    case kCFStringEncodingUTF16LE:
        return CFSTR("Unicode (UTF-16LE)");
    case kCFStringEncodingUTF32:
        return CFSTR("Unicode (UTF-32)");
    case kCFStringEncodingUTF32BE:
        return CFSTR("Unicode (UTF-32BE)");
    case kCFStringEncodingUTF32LE:
        return CFSTR("Unicode (UTF-32LE)");
    default:
        return nullptr;
    }
}

CFComparisonResult CFStringCompareWithOptions(CFStringRef theString1, CFStringRef theString2,
                                              CFRange rangeToCompare,
                                              CFStringCompareFlags compareOptions) {
    const __CFString *a = cf::checkString(theString1, "CFStringCompare");
    const __CFString *b = cf::checkString(theString2, "CFStringCompare");
    cf::checkRange("CFStringCompare", rangeToCompare, static_cast<CFIndex>(a->chars.size()));
    return compareUnits(a->chars.data() + rangeToCompare.location, rangeToCompare.length,
                        b->chars.data(), static_cast<CFIndex>(b->chars.size()), compareOptions);
}

CFComparisonResult CFStringCompare(CFStringRef theString1, CFStringRef theString2,
                                   CFStringCompareFlags compareOptions) {
    const __CFString *a = cf::checkString(theString1, "CFStringCompare");
    return CFStringCompareWithOptions(theString1, theString2,
                                      CFRangeMake(0, static_cast<CFIndex>(a->chars.size())),
                                      compareOptions);
}

Boolean CFStringFindWithOptions(CFStringRef theString, CFStringRef stringToFind,
                                CFRange rangeToSearch, CFStringCompareFlags searchOptions,
                                CFRange *result) {
    const __CFString *s = cf::checkString(theString, "CFStringFindWithOptions");
    const __CFString *f = cf::checkString(stringToFind, "CFStringFindWithOptions");
    cf::checkRange("CFStringFindWithOptions", rangeToSearch, static_cast<CFIndex>(s->chars.size()));
    const CFIndex n = static_cast<CFIndex>(f->chars.size());
    if (n == 0 || n > rangeToSearch.length)
        return false;
    const bool fold = (searchOptions & kCFCompareCaseInsensitive) != 0;
    const bool backwards = (searchOptions & kCFCompareBackwards) != 0;
    const bool anchored = (searchOptions & kCFCompareAnchored) != 0;
    const CFIndex first = rangeToSearch.location;
    const CFIndex last = rangeToSearch.location + rangeToSearch.length - n;
    for (CFIndex k = 0; k <= last - first; ++k) {
        CFIndex at = backwards ? last - k : first + k;
        if (unitsEqualAt(s->chars.data() + at, f->chars.data(), n, fold)) {
            if (result != nullptr)
                *result = CFRangeMake(at, n);
            return true;
        }
        if (anchored)
            break;
    }
    return false;
}

CFRange CFStringFind(CFStringRef theString, CFStringRef stringToFind,
                     CFStringCompareFlags compareOptions) {
    CFRange result = CFRangeMake(kCFNotFound, 0);
    if (!CFStringFindWithOptions(theString, stringToFind,
                                 CFRangeMake(0, CFStringGetLength(theString)), compareOptions,
                                 &result))
        return CFRangeMake(kCFNotFound, 0);
    return result;
}

Boolean CFStringHasPrefix(CFStringRef theString, CFStringRef prefix) {
    return CFStringFindWithOptions(theString, prefix, CFRangeMake(0, CFStringGetLength(theString)),
                                   kCFCompareAnchored, nullptr);
}

Boolean CFStringHasSuffix(CFStringRef theString, CFStringRef suffix) {
    return CFStringFindWithOptions(theString, suffix, CFRangeMake(0, CFStringGetLength(theString)),
                                   kCFCompareAnchored | kCFCompareBackwards, nullptr);
}

void CFStringAppend(CFMutableStringRef theString, CFStringRef appendedString) {
    __CFString *s = checkMutable(theString, "CFStringAppend");
    const __CFString *a = cf::checkString(appendedString, "CFStringAppend");
    editString(s, CFRangeMake(static_cast<CFIndex>(s->chars.size()), 0), a->chars.data(),
               a->chars.size(), "CFStringAppend");
}

void CFStringAppendCharacters(CFMutableStringRef theString, const UniChar *chars,
                              CFIndex numChars) {
    __CFString *s = checkMutable(theString, "CFStringAppendCharacters");
    if (numChars < 0 || (chars == nullptr && numChars > 0))
        cf::misuse("CFStringAppendCharacters", "bad character buffer (%p, %ld)", chars, numChars);
    editString(s, CFRangeMake(static_cast<CFIndex>(s->chars.size()), 0), chars,
               static_cast<size_t>(numChars), "CFStringAppendCharacters");
}

static void appendBytes(const char *call, CFMutableStringRef theString, const UInt8 *bytes,
                        size_t count, CFStringEncoding encoding) {
    __CFString *s = checkMutable(theString, call);
    try {
        cf::UniVec chars;
        if (!cf::decode(bytes, count, encoding, false, chars))
            return; // text not valid in the encoding: nothing is appended
        editString(s, CFRangeMake(static_cast<CFIndex>(s->chars.size()), 0), chars.data(),
                   chars.size(), call);
    } catch (const std::bad_alloc &) {
    }
}

void CFStringAppendPascalString(CFMutableStringRef theString, ConstStr255Param pStr,
                                CFStringEncoding encoding) {
    if (pStr == nullptr)
        cf::misuse("CFStringAppendPascalString", "NULL Pascal string");
    appendBytes("CFStringAppendPascalString", theString, pStr + 1, pStr[0], encoding);
}

void CFStringAppendCString(CFMutableStringRef theString, const char *cStr,
                           CFStringEncoding encoding) {
    if (cStr == nullptr)
        cf::misuse("CFStringAppendCString", "NULL C string");
    appendBytes("CFStringAppendCString", theString, reinterpret_cast<const UInt8 *>(cStr),
                std::strlen(cStr), encoding);
}

void CFStringInsert(CFMutableStringRef str, CFIndex idx, CFStringRef insertedStr) {
    __CFString *s = checkMutable(str, "CFStringInsert");
    const __CFString *a = cf::checkString(insertedStr, "CFStringInsert");
    if (idx < 0 || idx > static_cast<CFIndex>(s->chars.size()))
        cf::misuse("CFStringInsert", "index %ld out of bounds (length %zu)", idx, s->chars.size());
    editString(s, CFRangeMake(idx, 0), a->chars.data(), a->chars.size(), "CFStringInsert");
}

void CFStringDelete(CFMutableStringRef theString, CFRange range) {
    __CFString *s = checkMutable(theString, "CFStringDelete");
    editString(s, range, nullptr, 0, "CFStringDelete");
}

void CFStringReplace(CFMutableStringRef theString, CFRange range, CFStringRef replacement) {
    __CFString *s = checkMutable(theString, "CFStringReplace");
    const __CFString *r = cf::checkString(replacement, "CFStringReplace");
    editString(s, range, r->chars.data(), r->chars.size(), "CFStringReplace");
}

void CFStringReplaceAll(CFMutableStringRef theString, CFStringRef replacement) {
    __CFString *s = checkMutable(theString, "CFStringReplaceAll");
    const __CFString *r = cf::checkString(replacement, "CFStringReplaceAll");
    editString(s, CFRangeMake(0, static_cast<CFIndex>(s->chars.size())), r->chars.data(),
               r->chars.size(), "CFStringReplaceAll");
}

} // extern "C"
