/*
 * CFStringEncoding.cpp
 *
 * Conversion between the UTF-16 held by strings and the encodings the
 * layer carries: MacRoman and UTF-8 through iconv, ASCII directly.
 * Encoding works one character at a time so that CFStringGetBytes can stop
 * exactly at the first character that the target encoding cannot
 * represent, or at the first that does not fit.
 */
#include "CFInternal.h"

#include <cstring>
#include <iconv.h>

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// Conversion descriptors, opened once per encoding and direction and kept;
// kNoConverter for an encoding the layer does not carry.
iconv_t converter(CFStringEncoding encoding, bool toUnicode) {
    static iconv_t table[2][2] = {{kNoConverter, kNoConverter}, {kNoConverter, kNoConverter}};
    int which;
    const char *name;
    if (encoding == kCFStringEncodingMacRoman) {
        which = 0;
        name = "MACINTOSH";
    } else if (encoding == kCFStringEncodingUTF8) {
        which = 1;
        name = "UTF-8";
    } else {
        return kNoConverter;
    }
    iconv_t &cd = table[which][toUnicode ? 1 : 0];
    if (cd == kNoConverter)
        cd = toUnicode ? iconv_open("UTF-16LE", name) : iconv_open(name, "UTF-16LE");
    else
        iconv(cd, nullptr, nullptr, nullptr, nullptr); // reset the shift state
    return cd;
}

} // namespace

namespace cf {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "UTF-16LE is the host's order");

bool decode(const UInt8 *bytes, size_t count, CFStringEncoding encoding, bool external,
            UniVec &out) {
    out.clear();
    if (encoding == kCFStringEncodingASCII) {
        for (size_t i = 0; i < count; ++i) {
            if (bytes[i] >= 0x80)
                return false;
            out.push_back(bytes[i]);
        }
        return true;
    }
    if (encoding == kCFStringEncodingUTF8 && external && count >= 3 &&
        std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0) {
        bytes += 3;
        count -= 3;
    }
    iconv_t cd = converter(encoding, true);
    if (cd == kNoConverter)
        return false;
    if (count == 0)
        return true;
    out.resize(count); // neither encoding yields more UTF-16 units than bytes
    char *in = const_cast<char *>(reinterpret_cast<const char *>(bytes));
    size_t inLeft = count;
    char *outp = reinterpret_cast<char *>(out.data());
    size_t outLeft = out.size() * sizeof(UniChar);
    if (iconv(cd, &in, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) {
        out.clear();
        return false;
    }
    out.resize(out.size() - outLeft / sizeof(UniChar));
    return true;
}

CFIndex encode(const UniChar *chars, CFIndex count, CFStringEncoding encoding, UInt8 lossByte,
               UInt8 *buffer, CFIndex maxBufLen, CFIndex *used) {
    CFIndex written = 0, converted = 0;
    iconv_t cd = encoding == kCFStringEncodingASCII ? kNoConverter : converter(encoding, false);
    if (encoding == kCFStringEncodingASCII || cd != kNoConverter) {
        while (converted < count) {
            UniChar u = chars[converted];
            CFIndex units = 1;
            if (u >= 0xD800 && u <= 0xDBFF && converted + 1 < count &&
                chars[converted + 1] >= 0xDC00 && chars[converted + 1] <= 0xDFFF)
                units = 2;
            UInt8 tmp[8];
            size_t produced = 1;
            bool ok = u < 0x80; // ASCII is the same in all three
            tmp[0] = static_cast<UInt8>(u);
            if (!ok && cd != kNoConverter) {
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
            if (buffer != nullptr && written + static_cast<CFIndex>(produced) > maxBufLen)
                break;
            if (buffer != nullptr)
                std::memcpy(buffer + written, tmp, produced);
            written += static_cast<CFIndex>(produced);
            converted += units;
        }
    }
    if (used != nullptr)
        *used = written;
    return converted;
}

} // namespace cf
