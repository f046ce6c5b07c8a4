/*
 * CFStringsTable.cpp
 *
 * Reads a localized strings table (the text form the README describes).
 * Anything malformed rejects the whole table; every step checks the end of
 * the buffer.
 */
#include "CFInternal.h"

namespace {

class Tokenizer {
public:
    explicit Tokenizer(const cf::UniVec &text) : mText(text) {}

    bool atEnd() const { return mPos >= mText.size(); }
    // The next character, or 0 at the end.
    UniChar peek(size_t ahead = 0) const {
        return mPos + ahead < mText.size() ? mText[mPos + ahead] : 0;
    }

    // Skips white space and comments; false on an unterminated comment.
    bool skipSpace() {
        for (;;) {
            UniChar c = peek();
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                ++mPos;
            } else if (c == '/' && peek(1) == '*') {
                mPos += 2;
                while (!atEnd() && !(peek() == '*' && peek(1) == '/'))
                    ++mPos;
                if (atEnd())
                    return false;
                mPos += 2;
            } else if (c == '/' && peek(1) == '/') {
                while (!atEnd() && peek() != '\n')
                    ++mPos;
            } else {
                return true;
            }
        }
    }

    // Skips the character c, with the space and comments after it; false
    // when c is not next.
    bool expect(UniChar c) {
        if (atEnd() || peek() != c)
            return false;
        ++mPos;
        return skipSpace();
    }

    // Reads a quoted string into out, with the space after it; false if
    // there is none or it is not closed. \n and \t stand for a new line
    // and a tab, a backslash before any other character for that character.
    bool readQuoted(cf::UniVec &out) {
        out.clear();
        if (atEnd() || peek() != '"')
            return false;
        for (++mPos; !atEnd(); ++mPos) {
            UniChar c = peek();
            if (c == '"') {
                ++mPos;
                return skipSpace();
            }
            if (c == '\\') {
                if (++mPos == mText.size())
                    return false;
                c = peek() == 'n' ? '\n' : peek() == 't' ? '\t' : peek();
            }
            out.push_back(c);
        }
        return false;
    }

private:
    const cf::UniVec &mText;
    size_t mPos = 0;
};

// Parses the text form; false when it is malformed. Throws bad_alloc.
bool parseText(const cf::UniVec &text, CFMutableDictionaryRef table) {
    Tokenizer tok(text);
    if (!tok.skipSpace())
        return false;
    cf::UniVec key, value;
    while (!tok.atEnd()) {
        if (!tok.readQuoted(key) || !tok.expect('=') || !tok.readQuoted(value) || !tok.expect(';'))
            return false;
        cf::Owned<CFStringRef> k(cf::makeString(key.data(), key.size()));
        cf::Owned<CFStringRef> v(cf::makeString(value.data(), value.size()));
        if (k && v)
            CFDictionarySetValue(table, k.get(), v.get());
        if (!k || !v || CFDictionaryGetValue(table, k.get()) != v.get())
            throw std::bad_alloc();
    }
    return true;
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
