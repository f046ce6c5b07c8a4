/*
 * CFStringsTable.cpp
 *
 * Reads a localized strings table (the text form the README describes).
 * Anything malformed rejects the whole table; every step checks the end of
 * the buffer.
 */
#include "CFInternal.h"

#include <cstring>

namespace {

// The value of a hexadecimal digit (either case), or -1 for any other character.
int hexDigitValue(UniChar c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class Tokenizer {
public:
    explicit Tokenizer(const cf::UniVec &text) : mText(text) {}

    bool atEnd() const { return mPos >= mText.size(); }
    UniChar peek() const { return mText[mPos]; }
    void advance() { ++mPos; }

    // Skips white space and comments; false on an unterminated comment.
    bool skipSpace() {
        while (!atEnd()) {
            UniChar c = peek();
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v' ||
                c == 0xFEFF || c == 0x2028 || c == 0x2029) {
                advance();
            } else if (c == '/' && mPos + 1 < mText.size() && mText[mPos + 1] == '*') {
                mPos += 2;
                bool closed = false;
                while (mPos + 1 < mText.size()) {
                    if (mText[mPos] == '*' && mText[mPos + 1] == '/') {
                        mPos += 2;
                        closed = true;
                        break;
                    }
                    ++mPos;
                }
                if (!closed)
                    return false;
            } else if (c == '/' && mPos + 1 < mText.size() && mText[mPos + 1] == '/') {
                while (!atEnd() && peek() != '\n' && peek() != '\r')
                    advance();
            } else {
                break;
            }
        }
        return true;
    }

    // Reads a quoted or unquoted string into out; false if there is none or
    // it is malformed.
    bool readString(cf::UniVec &out) {
        out.clear();
        if (atEnd())
            return false;
        if (peek() == '"')
            return readQuoted(out);
        while (!atEnd() && isUnquotedChar(peek())) {
            out.push_back(peek());
            advance();
        }
        return !out.empty();
    }

private:
    static bool isUnquotedChar(UniChar c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '$' || c == '+' || c == '/' || c == ':' || c == '.' || c == '-';
    }

    bool readQuoted(cf::UniVec &out) {
        advance(); // opening quote
        while (!atEnd()) {
            UniChar c = peek();
            advance();
            if (c == '"')
                return true;
            if (c != '\\') {
                out.push_back(c);
                continue;
            }
            if (atEnd())
                return false;
            UniChar e = peek();
            advance();
            static const char kNamed[] = "n\nt\tr\ra\ab\bf\fv\v";
            const char *named = e < 0x80 ? std::strchr(kNamed, static_cast<char>(e)) : nullptr;
            if (named != nullptr && e != 0 && (named - kNamed) % 2 == 0) {
                out.push_back(static_cast<UniChar>(named[1]));
            } else if (e == 'U' || e == 'u' || (e >= '0' && e <= '7')) {
                // \Uxxxx: up to four hex digits; \ooo: up to three octal digits (a byte)
                const unsigned base = e >= '0' && e <= '7' ? 8 : 16;
                unsigned value = base == 8 ? e - '0' : 0;
                int digits = base == 8 ? 1 : 0;
                for (; digits < (base == 8 ? 3 : 4) && !atEnd(); ++digits) {
                    int d = hexDigitValue(peek());
                    if (d < 0 || d >= static_cast<int>(base))
                        break;
                    value = value * base + static_cast<unsigned>(d);
                    advance();
                }
                if (digits == 0)
                    return false;
                out.push_back(static_cast<UniChar>(base == 8 ? value & 0xFF : value));
            } else {
                out.push_back(e); // \" \' \\ and any other character stand for themselves
            }
        }
        return false; // no closing quote
    }

    const cf::UniVec &mText;
    size_t mPos = 0;
};

// Parses the text form; false when it is malformed. Throws bad_alloc.
bool parseText(const cf::UniVec &text, CFMutableDictionaryRef table) {
    Tokenizer tok(text);
    if (!tok.skipSpace())
        return false;
    bool braced = !tok.atEnd() && tok.peek() == '{';
    if (braced) {
        tok.advance();
        if (!tok.skipSpace())
            return false;
    }
    cf::UniVec key, value;
    for (;;) {
        if (tok.atEnd())
            return !braced;
        if (braced && tok.peek() == '}') {
            tok.advance();
            return tok.skipSpace() && tok.atEnd();
        }
        if (!tok.readString(key))
            return false;
        if (!tok.skipSpace())
            return false;
        bool last = false;
        if (!tok.atEnd() && tok.peek() == ';') {
            value = key;
            tok.advance();
        } else {
            if (tok.atEnd() || tok.peek() != '=')
                return false;
            tok.advance();
            if (!tok.skipSpace() || !tok.readString(value))
                return false;
            if (!tok.skipSpace())
                return false;
            if (!tok.atEnd() && tok.peek() == ';')
                tok.advance();
            else if (tok.atEnd() && !braced)
                last = true; // a missing final semicolon is forgiven
            else
                return false;
        }
        CFStringRef k = cf::makeString(key.data(), key.size());
        CFStringRef v = cf::makeString(value.data(), value.size());
        bool ok = k != nullptr && v != nullptr;
        if (ok) {
            CFDictionarySetValue(table, k, v);
            ok = CFDictionaryGetValue(table, k) == v;
        }
        if (k != nullptr)
            CFRelease(k);
        if (v != nullptr)
            CFRelease(v);
        if (!ok)
            throw std::bad_alloc();
        if (last)
            return true;
        if (!tok.skipSpace())
            return false;
    }
}

} // namespace

namespace cf {

CFDictionaryRef parseStringsTable(const UInt8 *bytes, size_t count) {
    CFMutableDictionaryRef table = nullptr;
    try {
        UniVec text;
        if (!decode(bytes, count, kCFStringEncodingUTF8, true, text))
            return nullptr;
        table = makeTypeDictionary(true);
        if (table == nullptr)
            return nullptr;
        if (!parseText(text, table)) {
            CFRelease(table);
            return nullptr;
        }
    } catch (const std::bad_alloc &) {
        if (table != nullptr)
            CFRelease(table);
        return nullptr;
    }
    setDictionaryMutable(table, false);
    return table;
}

} // namespace cf
