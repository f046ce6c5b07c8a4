/*
 * CFString.cpp
 *
 * Strings: UTF-16 held in the object, immutable; constant strings (CFSTR)
 * uniqued by their text and never freed; conversion from and to the
 * encodings the layer carries (MacRoman, ASCII, UTF-8, through iconv);
 * literal comparison. Encoding works one character at a time so that
 * CFStringGetBytes stops exactly at the first character that the target
 * encoding cannot represent, or at the first that does not fit.
 */
#include "CFInternal.h"

#include <algorithm>
#include <cstring>
#include <iconv.h>
#include <map>
#include <string>

namespace {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "UTF-16LE is the host's order");

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// Conversion descriptors, opened once per encoding and direction and kept,
// reset for each use; kNoConverter for an encoding the layer does not carry.
iconv_t converter(CFStringEncoding encoding, bool toUnicode) {
    struct Slot {
        iconv_t cd = kNoConverter;
    };
    static Slot table[3][2];
    const char *const names[] = {"MACINTOSH", "ASCII", "UTF-8"};
    int which = encoding == kCFStringEncodingMacRoman ? 0
                : encoding == kCFStringEncodingASCII  ? 1
                : encoding == kCFStringEncodingUTF8   ? 2
                                                      : -1;
    if (which < 0)
        return kNoConverter;
    iconv_t &cd = table[which][toUnicode].cd;
    if (cd == kNoConverter)
        cd =
            toUnicode ? iconv_open("UTF-16LE", names[which]) : iconv_open(names[which], "UTF-16LE");
    else
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    return cd;
}

// Decodes bytes into UTF-16; false for bytes invalid in the encoding or an
// encoding the layer does not carry.
bool decode(const UInt8 *bytes, size_t count, CFStringEncoding encoding, cf::UniVec &out) {
    iconv_t cd = converter(encoding, true);
    if (cd == kNoConverter)
        return false;
    out.resize(count); // no encoding carried yields more UTF-16 units than bytes
    char *in = const_cast<char *>(reinterpret_cast<const char *>(bytes));
    char *outp = reinterpret_cast<char *>(out.data());
    size_t inLeft = count, outLeft = count * sizeof(UniChar);
    if (count > 0 && iconv(cd, &in, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1))
        return false;
    out.resize(count - outLeft / sizeof(UniChar));
    return inLeft == 0;
}

// Encodes chars as CFStringGetBytes does: as many characters as fit, stopping
// at one that cannot be encoded unless lossByte is given. Returns the number
// of UTF-16 units converted; *used gets the bytes written (or needed).
CFIndex encode(const UniChar *chars, CFIndex count, CFStringEncoding encoding, UInt8 lossByte,
               UInt8 *buffer, CFIndex maxBufLen, CFIndex *used) {
    CFIndex written = 0, converted = 0;
    iconv_t cd = converter(encoding, false);
    while (cd != kNoConverter && converted < count) {
        UniChar u = chars[converted];
        CFIndex units = u >= 0xD800 && u <= 0xDBFF && converted + 1 < count &&
                                chars[converted + 1] >= 0xDC00 && chars[converted + 1] <= 0xDFFF
                            ? 2
                            : 1;
        UInt8 tmp[8] = {static_cast<UInt8>(u)};
        size_t produced = 1;
        bool ok = u < 0x80; // ASCII is the same in all three
        if (!ok) {
            char *in = reinterpret_cast<char *>(const_cast<UniChar *>(chars + converted));
            char *outp = reinterpret_cast<char *>(tmp);
            size_t inLeft = static_cast<size_t>(units) * sizeof(UniChar), outLeft = sizeof tmp;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            ok = iconv(cd, &in, &inLeft, &outp, &outLeft) != static_cast<size_t>(-1) && inLeft == 0;
            produced = sizeof tmp - outLeft;
        }
        if (!ok && lossByte == 0)
            break;
        if (!ok) {
            tmp[0] = lossByte;
            produced = 1;
        }
        if (buffer != nullptr && written + static_cast<CFIndex>(produced) > maxBufLen)
            break;
        if (buffer != nullptr)
            std::memcpy(buffer + written, tmp, produced);
        written += static_cast<CFIndex>(produced);
        converted += units;
    }
    if (used != nullptr)
        *used = written;
    return converted;
}

// The whole string encoded into buffer (at most room bytes): the bytes
// written, or -1 when it does not all convert or fit.
CFIndex encodeWhole(const __CFString *s, CFStringEncoding encoding, UInt8 *buffer, CFIndex room) {
    CFIndex n = static_cast<CFIndex>(s->chars.size()), used = 0;
    return encode(s->chars.data(), n, encoding, 0, buffer, room, &used) == n ? used : -1;
}

void checkRange(const char *call, CFRange range, CFIndex length) {
    if (range.location < 0 || range.length < 0 || range.location > length ||
        range.length > length - range.location)
        CFStandInMisuse(call, "range {%ld, %ld} out of bounds (length %ld)", range.location,
                        range.length, length);
}

// A new string from UTF-16.
CFStringRef makeString(const UniChar *chars, size_t count) {
    cf::Owned<__CFString *> s(cf::newObject<__CFString>(cf::kStringTypeID));
    s.get()->chars.assign(chars, chars + count);
    return s.release();
}

Boolean equalStrings(CFTypeRef a, CFTypeRef b) {
    return static_cast<const __CFString *>(a)->chars == static_cast<const __CFString *>(b)->chars;
}

} // namespace

namespace cf {

const CFStandInClass kStringClass = {"CFString", destroyObject<__CFString>, equalStrings};

const __CFString *checkString(CFTypeRef cf, const char *call) {
    return check<__CFString>(cf, kStringTypeID, call);
}

CFStringRef decodeString(const void *bytes, size_t count, CFStringEncoding encoding,
                         bool external) {
    auto *p = static_cast<const UInt8 *>(bytes);
    if (encoding == kCFStringEncodingUTF8 && external && count >= 3 &&
        std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) {
        p += 3;
        count -= 3;
    }
    UniVec chars;
    return decode(p, count, encoding, chars) ? makeString(chars.data(), chars.size()) : nullptr;
}

String8 toUTF8(CFStringRef str) {
    const __CFString *s = checkString(str, "CFStringGetBytes");
    CFIndex n = static_cast<CFIndex>(s->chars.size()), used = 0;
    String8 out(static_cast<size_t>(n) * 3, '\0');
    encode(s->chars.data(), n, kCFStringEncodingUTF8, '?', reinterpret_cast<UInt8 *>(out.data()),
           n * 3, &used);
    out.resize(static_cast<size_t>(used));
    return out;
}

} // namespace cf

extern "C" {

CFStringRef __CFStringMakeConstantString(const char *cStr) {
    if (cStr == nullptr)
        CFStandInMisuse("CFSTR", "NULL text");
    static auto *constants = new std::map<std::string, __CFString *>();
    auto found = constants->find(cStr);
    if (found != constants->end())
        return found->second;
    cf::InjectionPause pause;
    auto *s = new __CFString();
    size_t n = std::strlen(cStr);
    auto *bytes = reinterpret_cast<const UInt8 *>(cStr);
    if (!decode(bytes, n, kCFStringEncodingUTF8, s->chars))
        decode(bytes, n, kCFStringEncodingMacRoman, s->chars);
    cf::registerObject(s, cf::kStringTypeID);
    cf::makeImmortal(s);
    constants->emplace(cStr, s);
    return s;
}

CFTypeID CFStringGetTypeID(void) {
    return cf::kStringTypeID;
}

CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const UInt8 *bytes, CFIndex numBytes,
                                    CFStringEncoding encoding, Boolean isExternalRepresentation) {
    if (numBytes < 0 || (bytes == nullptr && numBytes > 0))
        CFStandInMisuse("CFStringCreateWithBytes", "bad byte buffer (%p, %ld)", bytes, numBytes);
    return cf::orNull([&] {
        return cf::decodeString(bytes, static_cast<size_t>(numBytes), encoding,
                                isExternalRepresentation);
    });
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char *cStr,
                                      CFStringEncoding encoding) {
    if (cStr == nullptr)
        CFStandInMisuse("CFStringCreateWithCString", "NULL C string");
    return CFStringCreateWithBytes(alloc, reinterpret_cast<const UInt8 *>(cStr),
                                   static_cast<CFIndex>(std::strlen(cStr)), encoding, false);
}

CFStringRef CFStringCreateWithCharacters(CFAllocatorRef, const UniChar *chars, CFIndex numChars) {
    if (numChars < 0 || (chars == nullptr && numChars > 0))
        CFStandInMisuse("CFStringCreateWithCharacters", "bad character buffer (%p, %ld)", chars,
                        numChars);
    return cf::orNull([&] { return makeString(chars, static_cast<size_t>(numChars)); });
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
    checkRange("CFStringGetCharacters", range, static_cast<CFIndex>(s->chars.size()));
    if (buffer == nullptr && range.length > 0)
        CFStandInMisuse("CFStringGetCharacters", "NULL buffer");
    std::copy_n(s->chars.data() + range.location, range.length, buffer);
}

CFIndex CFStringGetBytes(CFStringRef theString, CFRange range, CFStringEncoding encoding,
                         UInt8 lossByte, Boolean, UInt8 *buffer, CFIndex maxBufLen,
                         CFIndex *usedBufLen) {
    const __CFString *s = cf::checkString(theString, "CFStringGetBytes");
    checkRange("CFStringGetBytes", range, static_cast<CFIndex>(s->chars.size()));
    return encode(s->chars.data() + range.location, range.length, encoding, lossByte, buffer,
                  maxBufLen, usedBufLen);
}

Boolean CFStringGetCString(CFStringRef theString, char *buffer, CFIndex bufferSize,
                           CFStringEncoding encoding) {
    const __CFString *s = cf::checkString(theString, "CFStringGetCString");
    if (buffer == nullptr || bufferSize <= 0)
        return false;
    CFIndex used = encodeWhole(s, encoding, reinterpret_cast<UInt8 *>(buffer), bufferSize - 1);
    buffer[used < 0 ? 0 : used] = '\0';
    return used >= 0;
}

Boolean CFStringGetPascalString(CFStringRef theString, StringPtr buffer, CFIndex bufferSize,
                                CFStringEncoding encoding) {
    const __CFString *s = cf::checkString(theString, "CFStringGetPascalString");
    if (buffer == nullptr || bufferSize <= 0)
        return false;
    CFIndex used = encodeWhole(s, encoding, buffer + 1, std::min<CFIndex>(bufferSize - 1, 255));
    buffer[0] = static_cast<unsigned char>(used < 0 ? 0 : used);
    return used >= 0;
}

// Literal comparison of the UTF-16 units. The compare options are not
// reproduced: asking for any is misuse rather than a silently literal answer.
CFComparisonResult CFStringCompare(CFStringRef theString1, CFStringRef theString2,
                                   CFStringCompareFlags compareOptions) {
    if (compareOptions != 0)
        CFStandInMisuse("CFStringCompare", "compare options 0x%lx are not supported",
                        (unsigned long)compareOptions);
    const cf::UniVec &a = cf::checkString(theString1, "CFStringCompare")->chars;
    const cf::UniVec &b = cf::checkString(theString2, "CFStringCompare")->chars;
    if (a == b)
        return kCFCompareEqualTo;
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end())
               ? kCFCompareLessThan
               : kCFCompareGreaterThan;
}

} // extern "C"
