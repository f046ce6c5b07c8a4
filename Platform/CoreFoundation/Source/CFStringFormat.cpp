/*
 * CFStringFormat.cpp
 *
 * printf-style formatting of strings: the C conversions (d i o u x X c s p
 * f F e E g G a A %) with their flags, width, precision and length
 * modifiers, plus %@ (an object's description), %C (a UniChar) and %S (a
 * NUL-terminated UniChar array). Numeric conversions are done by snprintf
 * from the flags and sizes given; %s takes UTF-8 text, and bytes that are
 * not valid UTF-8 are read as MacRoman.
 */
#include "CFInternal.h"

#include <cstdio>
#include <cstring>
#include <cwchar>

namespace {

enum class Length { None, hh, h, l, ll, z, t, j, L };

// Pads to the field width, left- or right-aligned, with spaces.
void appendPadded(cf::UniVec &out, const UniChar *text, size_t count, long width, bool left) {
    size_t pad =
        width > 0 && static_cast<size_t>(width) > count ? static_cast<size_t>(width) - count : 0;
    if (!left)
        out.insert(out.end(), pad, ' ');
    out.insert(out.end(), text, text + count);
    if (left)
        out.insert(out.end(), pad, ' ');
}

void appendNarrow(cf::UniVec &out, const char *text) {
    for (const char *p = text; *p != '\0'; ++p)
        out.push_back(static_cast<unsigned char>(*p));
}

} // namespace

namespace cf {

CFStringRef copyFormattingDescription(CFTypeRef obj) {
    if (CFGetTypeID(obj) == kStringTypeID)
        return CFStringCreateCopy(nullptr, static_cast<CFStringRef>(obj));
    return CFCopyDescription(obj);
}

bool formatAppend(UniVec &out, const UniVec &format, va_list args) {
    va_list ap;
    va_copy(ap, args);
    const size_t n = format.size();
    size_t i = 0;
    bool ok = true;
    while (i < n) {
        UniChar c = format[i];
        if (c != '%') {
            out.push_back(c);
            ++i;
            continue;
        }
        size_t start = i++;
        // flags
        char flags[8];
        size_t nflags = 0;
        bool left = false;
        auto isFlag = [](UniChar u) {
            return u == '-' || u == '+' || u == ' ' || u == '#' || u == '0' || u == '\'';
        };
        while (i < n && isFlag(format[i])) {
            if (format[i] == '-')
                left = true;
            if (nflags < sizeof flags - 1)
                flags[nflags++] = static_cast<char>(format[i]);
            ++i;
        }
        flags[nflags] = '\0';
        // width
        long width = -1;
        if (i < n && format[i] == '*') {
            int w = va_arg(ap, int);
            if (w < 0) {
                left = true;
                if (nflags < sizeof flags - 1)
                    flags[nflags++] = '-', flags[nflags] = '\0';
                w = -w;
            }
            width = w;
            ++i;
        } else {
            while (i < n && format[i] >= '0' && format[i] <= '9') {
                width = (width < 0 ? 0 : width) * 10 + (format[i] - '0');
                if (width > 100000)
                    width = 100000;
                ++i;
            }
        }
        // precision
        long precision = -1;
        if (i < n && format[i] == '.') {
            ++i;
            precision = 0;
            if (i < n && format[i] == '*') {
                int p = va_arg(ap, int);
                precision = p < 0 ? -1 : p;
                ++i;
            } else {
                while (i < n && format[i] >= '0' && format[i] <= '9') {
                    precision = precision * 10 + (format[i] - '0');
                    if (precision > 100000)
                        precision = 100000;
                    ++i;
                }
            }
        }
        // length
        Length length = Length::None;
        if (i < n) {
            switch (format[i]) {
            case 'h':
                length = (i + 1 < n && format[i + 1] == 'h') ? Length::hh : Length::h;
                i += length == Length::hh ? 2 : 1;
                break;
            case 'l':
                length = (i + 1 < n && format[i + 1] == 'l') ? Length::ll : Length::l;
                i += length == Length::ll ? 2 : 1;
                break;
            case 'q':
                length = Length::ll;
                ++i;
                break;
            case 'z':
                length = Length::z;
                ++i;
                break;
            case 't':
                length = Length::t;
                ++i;
                break;
            case 'j':
                length = Length::j;
                ++i;
                break;
            case 'L':
                length = Length::L;
                ++i;
                break;
            default:
                break;
            }
        }
        if (i >= n) {
            ok = false; // a conversion cut off at the end of the format
            break;
        }
        UniChar conv = format[i++];

        // The C format for snprintf: flags, width and precision as given.
        char conversionText[64];
        auto makeSpec = [&](const char *lengthText, char conversion) {
            char w[24] = "", p[24] = "";
            if (width >= 0)
                std::snprintf(w, sizeof w, "%ld", width);
            if (precision >= 0)
                std::snprintf(p, sizeof p, ".%ld", precision);
            std::snprintf(conversionText, sizeof conversionText, "%%%s%s%s%s%c", flags, w, p,
                          lengthText, conversion);
        };
        auto emit = [&](auto value) {
            int size = std::snprintf(nullptr, 0, conversionText, value);
            if (size < 0)
                return;
            Vec<char> buf(static_cast<size_t>(size) + 1);
            std::snprintf(buf.data(), buf.size(), conversionText, value);
            appendNarrow(out, buf.data());
        };

        switch (conv) {
        case '%':
            out.push_back('%');
            break;
        case 'd':
        case 'i':
            switch (length) {
            case Length::hh:
                makeSpec("hh", 'd');
                emit(static_cast<signed char>(va_arg(ap, int)));
                break;
            case Length::h:
                makeSpec("h", 'd');
                emit(static_cast<short>(va_arg(ap, int)));
                break;
            case Length::l:
                makeSpec("l", 'd');
                emit(va_arg(ap, long));
                break;
            case Length::ll:
            case Length::L:
                makeSpec("ll", 'd');
                emit(va_arg(ap, long long));
                break;
            case Length::z:
            case Length::t:
                makeSpec("l", 'd');
                emit(static_cast<long>(va_arg(ap, ptrdiff_t)));
                break;
            case Length::j:
                makeSpec("j", 'd');
                emit(va_arg(ap, intmax_t));
                break;
            default:
                makeSpec("", 'd');
                emit(va_arg(ap, int));
                break;
            }
            break;
        case 'o':
        case 'u':
        case 'x':
        case 'X': {
            char cc = static_cast<char>(conv);
            switch (length) {
            case Length::hh:
                makeSpec("hh", cc);
                emit(static_cast<unsigned char>(va_arg(ap, unsigned int)));
                break;
            case Length::h:
                makeSpec("h", cc);
                emit(static_cast<unsigned short>(va_arg(ap, unsigned int)));
                break;
            case Length::l:
                makeSpec("l", cc);
                emit(va_arg(ap, unsigned long));
                break;
            case Length::ll:
            case Length::L:
                makeSpec("ll", cc);
                emit(va_arg(ap, unsigned long long));
                break;
            case Length::z:
            case Length::t:
                makeSpec("l", cc);
                emit(static_cast<unsigned long>(va_arg(ap, size_t)));
                break;
            case Length::j:
                makeSpec("j", cc);
                emit(va_arg(ap, uintmax_t));
                break;
            default:
                makeSpec("", cc);
                emit(va_arg(ap, unsigned int));
                break;
            }
            break;
        }
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
            if (length == Length::L) {
                makeSpec("L", static_cast<char>(conv));
                emit(va_arg(ap, long double));
            } else {
                makeSpec("", static_cast<char>(conv));
                emit(va_arg(ap, double));
            }
            break;
        case 'p':
            makeSpec("", 'p');
            emit(va_arg(ap, void *));
            break;
        case 'c': {
            char byte[2] = {static_cast<char>(va_arg(ap, int)), '\0'};
            UniVec text;
            appendUTF8(text, byte);
            appendPadded(out, text.data(), text.size(), width, left);
            break;
        }
        case 'C': {
            UniChar u = static_cast<UniChar>(va_arg(ap, int));
            appendPadded(out, &u, 1, width, left);
            break;
        }
        case 's': {
            const char *text = va_arg(ap, const char *);
            if (text == nullptr)
                text = "(null)";
            size_t len = std::strlen(text);
            if (precision >= 0 && static_cast<size_t>(precision) < len)
                len = static_cast<size_t>(precision);
            String8 bytes(text, len);
            UniVec chars;
            appendUTF8(chars, bytes.c_str());
            appendPadded(out, chars.data(), chars.size(), width, left);
            break;
        }
        case 'S': {
            const UniChar *text = va_arg(ap, const UniChar *);
            if (text == nullptr) {
                UniVec chars;
                appendUTF8(chars, "(null)");
                appendPadded(out, chars.data(), chars.size(), width, left);
                break;
            }
            size_t len = 0;
            while (text[len] != 0 && (precision < 0 || len < static_cast<size_t>(precision)))
                ++len;
            appendPadded(out, text, len, width, left);
            break;
        }
        case '@': {
            CFTypeRef obj = va_arg(ap, CFTypeRef);
            if (obj == nullptr) {
                UniVec chars;
                appendUTF8(chars, "(null)");
                appendPadded(out, chars.data(), chars.size(), width, left);
                break;
            }
            CFStringRef desc = copyFormattingDescription(obj);
            if (desc == nullptr)
                throw std::bad_alloc();
            const __CFString *d = checkString(desc, "CFStringCreateWithFormat");
            size_t len = d->chars.size();
            if (precision >= 0 && static_cast<size_t>(precision) < len)
                len = static_cast<size_t>(precision);
            try {
                appendPadded(out, d->chars.data(), len, width, left);
            } catch (...) {
                CFRelease(desc);
                throw;
            }
            CFRelease(desc);
            break;
        }
        default:
            // Unknown conversions (and %n, which would write through an
            // argument) are copied to the output as they stand.
            out.insert(out.end(), format.begin() + static_cast<long>(start),
                       format.begin() + static_cast<long>(i));
            break;
        }
    }
    va_end(ap);
    return ok;
}

} // namespace cf

extern "C" {

CFStringRef CFStringCreateWithFormatAndArguments(CFAllocatorRef, CFDictionaryRef,
                                                 CFStringRef format, va_list arguments) {
    const __CFString *f = cf::checkString(format, "CFStringCreateWithFormat");
    try {
        cf::UniVec out;
        if (!cf::formatAppend(out, f->chars, arguments))
            return nullptr;
        return cf::makeString(out.data(), out.size());
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

CFStringRef CFStringCreateWithFormat(CFAllocatorRef alloc, CFDictionaryRef formatOptions,
                                     CFStringRef format, ...) {
    va_list args;
    va_start(args, format);
    CFStringRef result = CFStringCreateWithFormatAndArguments(alloc, formatOptions, format, args);
    va_end(args);
    return result;
}

void CFStringAppendFormatAndArguments(CFMutableStringRef theString, CFDictionaryRef,
                                      CFStringRef format, va_list arguments) {
    cf::checkString(theString, "CFStringAppendFormat");
    const __CFString *f = cf::checkString(format, "CFStringAppendFormat");
    try {
        cf::UniVec out;
        if (!cf::formatAppend(out, f->chars, arguments))
            return;
        CFStringAppendCharacters(theString, out.data(), static_cast<CFIndex>(out.size()));
    } catch (const std::bad_alloc &) {
    }
}

void CFStringAppendFormat(CFMutableStringRef theString, CFDictionaryRef formatOptions,
                          CFStringRef format, ...) {
    va_list args;
    va_start(args, format);
    CFStringAppendFormatAndArguments(theString, formatOptions, format, args);
    va_end(args);
}

} // extern "C"
