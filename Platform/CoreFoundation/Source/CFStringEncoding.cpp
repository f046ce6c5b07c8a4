/*
 * CFStringEncoding.cpp
 *
 * Conversion between the UTF-16 held by strings and external encodings.
 * 8-bit and multi-byte encodings go through iconv; UTF-16 is copied with
 * its byte order applied. Encoding works one character at a time so that
 * CFStringGetBytes can stop exactly at the first character that the target
 * encoding cannot represent, or at the first that does not fit.
 */
#include "CFInternal.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace {

bool hostIsLittleEndian() {
    const uint16_t probe = 1;
    return *reinterpret_cast<const uint8_t *>(&probe) == 1;
}

// The iconv name of an encoding, or nullptr when iconv does not carry it.
const char *iconvName(CFStringEncoding encoding) {
    switch (encoding) {
    case kCFStringEncodingMacRoman:
        return "MACINTOSH";
    case kCFStringEncodingWindowsLatin1:
        return "CP1252";
    case kCFStringEncodingISOLatin1:
        return "ISO-8859-1";
    case kCFStringEncodingASCII:
        return "ASCII";
    case kCFStringEncodingUTF8:
        return "UTF-8";
    case kCFStringEncodingUTF32:
        return hostIsLittleEndian() ? "UTF-32LE" : "UTF-32BE";
    case kCFStringEncodingUTF32BE:
        return "UTF-32BE";
    case kCFStringEncodingUTF32LE:
        return "UTF-32LE";
    default:
        return nullptr;
    }
}

bool isUTF16(CFStringEncoding e) {
    return e == kCFStringEncodingUTF16 || e == kCFStringEncodingUTF16BE ||
           e == kCFStringEncodingUTF16LE;
}

bool isASCIICompatible(CFStringEncoding e) {
    return e == kCFStringEncodingMacRoman || e == kCFStringEncodingASCII ||
           e == kCFStringEncodingUTF8 || e == kCFStringEncodingISOLatin1 ||
           e == kCFStringEncodingWindowsLatin1;
}

// Conversion descriptors, opened once per encoding and direction and kept.
struct Converter {
    CFStringEncoding encoding;
    bool toUnicode;
    iconv_t cd;
};

iconv_t converter(CFStringEncoding encoding, bool toUnicode) {
    static Converter table[32];
    static int used = 0;
    for (int i = 0; i < used; ++i)
        if (table[i].encoding == encoding && table[i].toUnicode == toUnicode) {
            iconv(table[i].cd, nullptr, nullptr, nullptr, nullptr); // reset shift state
            return table[i].cd;
        }
    const char *name = iconvName(encoding);
    if (name == nullptr || used == 32)
        return reinterpret_cast<iconv_t>(-1);
    const char *host = hostIsLittleEndian() ? "UTF-16LE" : "UTF-16BE";
    iconv_t cd = toUnicode ? iconv_open(host, name) : iconv_open(name, host);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return cd;
    table[used++] = {encoding, toUnicode, cd};
    return cd;
}

} // namespace

namespace cf {

bool encodingSupported(CFStringEncoding encoding) {
    if (isUTF16(encoding))
        return true;
    return converter(encoding, true) != reinterpret_cast<iconv_t>(-1);
}

bool decode(const UInt8 *bytes, size_t count, CFStringEncoding encoding, bool external,
            UniVec &out) {
    out.clear();
    if (isUTF16(encoding)) {
        if (count % 2 != 0)
            return false;
        bool big = !hostIsLittleEndian();
        if (encoding == kCFStringEncodingUTF16BE)
            big = true;
        else if (encoding == kCFStringEncodingUTF16LE)
            big = false;
        else if (count >= 2 && ((bytes[0] == 0xFE && bytes[1] == 0xFF) ||
                                (bytes[0] == 0xFF && bytes[1] == 0xFE))) {
            big = bytes[0] == 0xFE;
            bytes += 2;
            count -= 2;
        }
        out.reserve(count / 2);
        for (size_t i = 0; i + 1 < count; i += 2)
            out.push_back(big ? static_cast<UniChar>(bytes[i] << 8 | bytes[i + 1])
                              : static_cast<UniChar>(bytes[i + 1] << 8 | bytes[i]));
        return true;
    }
    if (encoding == kCFStringEncodingASCII) {
        out.reserve(count);
        for (size_t i = 0; i < count; ++i) {
            if (bytes[i] >= 0x80)
                return false;
            out.push_back(bytes[i]);
        }
        return true;
    }
    if (encoding == kCFStringEncodingUTF8 && external && count >= 3 && bytes[0] == 0xEF &&
        bytes[1] == 0xBB && bytes[2] == 0xBF) {
        bytes += 3;
        count -= 3;
    }
    if (encoding == kCFStringEncodingUTF32 && count >= 4) {
        // A byte-order mark decides; without one the host's order applies.
        static const UInt8 be[4] = {0, 0, 0xFE, 0xFF}, le[4] = {0xFF, 0xFE, 0, 0};
        if (std::memcmp(bytes, be, 4) == 0 || std::memcmp(bytes, le, 4) == 0) {
            encoding = bytes[0] == 0 ? kCFStringEncodingUTF32BE : kCFStringEncodingUTF32LE;
            bytes += 4;
            count -= 4;
        }
    }
    iconv_t cd = converter(encoding, true);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    if (count == 0)
        return true;
    out.resize(count + 2); // no supported encoding yields more units than bytes
    char *in = const_cast<char *>(reinterpret_cast<const char *>(bytes));
    size_t inLeft = count;
    char *outp = reinterpret_cast<char *>(out.data());
    size_t outLeft = out.size() * sizeof(UniChar);
    size_t rc = iconv(cd, &in, &inLeft, &outp, &outLeft);
    if (rc == static_cast<size_t>(-1) || inLeft != 0) {
        out.clear();
        return false;
    }
    out.resize(out.size() - outLeft / sizeof(UniChar));
    return true;
}

CFIndex encode(const UniChar *chars, CFIndex count, CFStringEncoding encoding, UInt8 lossByte,
               bool external, UInt8 *buffer, CFIndex maxBufLen, CFIndex *used) {
    CFIndex written = 0;
    CFIndex converted = 0;
    const bool measureOnly = buffer == nullptr;
    auto room = [&](CFIndex n) { return measureOnly || written + n <= maxBufLen; };

    if (isUTF16(encoding)) {
        bool big = encoding == kCFStringEncodingUTF16BE ||
                   (encoding == kCFStringEncodingUTF16 && !hostIsLittleEndian());
        auto put = [&](UniChar u) {
            if (!measureOnly) {
                buffer[written] = big ? u >> 8 : u & 0xFF;
                buffer[written + 1] = big ? u & 0xFF : u >> 8;
            }
            written += 2;
        };
        if (external && encoding == kCFStringEncodingUTF16) {
            if (!room(2))
                goto done;
            put(0xFEFF);
        }
        for (; converted < count && room(2); ++converted)
            put(chars[converted]);
        goto done;
    }

    {
        iconv_t cd = reinterpret_cast<iconv_t>(-1);
        if (encoding != kCFStringEncodingASCII) {
            cd = converter(encoding, false);
            if (cd == reinterpret_cast<iconv_t>(-1))
                goto done;
        }
        if (external && encoding == kCFStringEncodingUTF32) {
            static const UniChar bom = 0xFEFF;
            char *in = reinterpret_cast<char *>(const_cast<UniChar *>(&bom));
            size_t inLeft = 2, outLeft = 4;
            UInt8 tmp[4];
            char *outp = reinterpret_cast<char *>(tmp);
            if (iconv(cd, &in, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1) || !room(4))
                goto done;
            if (!measureOnly)
                std::memcpy(buffer, tmp, 4);
            written = 4;
        }
        while (converted < count) {
            UniChar u = chars[converted];
            CFIndex units = 1;
            if (u >= 0xD800 && u <= 0xDBFF && converted + 1 < count &&
                chars[converted + 1] >= 0xDC00 && chars[converted + 1] <= 0xDFFF)
                units = 2;
            UInt8 tmp[16];
            size_t produced = 0;
            bool ok;
            if (u < 0x80 && isASCIICompatible(encoding)) {
                tmp[0] = static_cast<UInt8>(u);
                produced = 1;
                ok = true;
            } else if (encoding == kCFStringEncodingASCII) {
                ok = false;
            } else {
                char *in = reinterpret_cast<char *>(const_cast<UniChar *>(chars + converted));
                size_t inLeft = static_cast<size_t>(units) * sizeof(UniChar);
                char *outp = reinterpret_cast<char *>(tmp);
                size_t outLeft = sizeof tmp;
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
                ok = iconv(cd, &in, &inLeft, &outp, &outLeft) != static_cast<size_t>(-1) &&
                     inLeft == 0;
                produced = sizeof tmp - outLeft;
            }
            if (!ok) {
                if (lossByte == 0)
                    break;
                tmp[0] = lossByte;
                produced = 1;
            }
            if (!room(static_cast<CFIndex>(produced)))
                break;
            if (!measureOnly)
                std::memcpy(buffer + written, tmp, produced);
            written += static_cast<CFIndex>(produced);
            converted += units;
        }
    }
done:
    if (used != nullptr)
        *used = written;
    return converted;
}

} // namespace cf
