/*
 * CFLocalization.cpp
 *
 * The user's preferred languages from the environment (LANGUAGE, then
 * LC_ALL, LC_MESSAGES, LANG; "C" and "POSIX" name none), matched in order
 * against a bundle's .lproj folders (see the README).
 */
#include "CFInternal.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

// Lower case, '-' as '_': "pt-BR" and "pt_br" compare equal.
cf::String8 normalized(const cf::String8 &name) {
    cf::String8 out = name;
    for (char &c : out)
        c = c == '-' ? '_' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

void addLanguage(cf::Vec<cf::String8> &out, const char *begin, size_t length) {
    cf::String8 entry(begin, length);
    size_t cut = entry.find_first_of(".@");
    if (cut != cf::String8::npos)
        entry.resize(cut);
    if (entry.empty() || entry == "C" || entry == "POSIX")
        return;
    auto push = [&out](const cf::String8 &name) {
        for (const cf::String8 &have : out)
            if (have == name)
                return;
        out.push_back(name);
    };
    push(entry);
    size_t sep = entry.find_first_of("_-");
    if (sep != cf::String8::npos && sep > 0)
        push(entry.substr(0, sep));
}

} // namespace

namespace cf {

// The user's preferred languages, most preferred first ("de_DE" followed by
// "de"). Throws bad_alloc.
static Vec<String8> preferredLanguages() {
    Vec<String8> out;
    const char *list = std::getenv("LANGUAGE");
    if (list != nullptr) {
        const char *p = list;
        while (*p != '\0') {
            const char *end = std::strchr(p, ':');
            size_t len = end != nullptr ? static_cast<size_t>(end - p) : std::strlen(p);
            addLanguage(out, p, len);
            p += len;
            if (*p == ':')
                ++p;
        }
    }
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char *value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            addLanguage(out, value, std::strlen(value));
            break;
        }
    }
    return out;
}

String8 chooseLocalization(const Vec<String8> &available, const String8 &developmentRegion) {
    auto find = [&available](const String8 &wanted) -> const String8 * {
        for (const String8 &have : available)
            if (normalized(have) == normalized(wanted))
                return &have;
        return nullptr;
    };
    for (const String8 &wanted : preferredLanguages())
        if (const String8 *found = find(wanted))
            return *found;
    if (!developmentRegion.empty())
        if (const String8 *found = find(developmentRegion))
            return *found;
    if (const String8 *found = find("en"))
        return *found;
    return available.empty() ? String8() : available.front();
}

} // namespace cf
