/*
 * CFBundle.cpp
 *
 * Directory bundles. A bundle at <root> has Contents/Info.plist,
 * Contents/MacOS/<CFBundleExecutable> and Contents/Resources/; a folder
 * without Contents/ is a flat bundle with all of these at its top.
 *
 * Resources are looked up in this order, the platform's documented bundle
 * search pattern: the non-localized Resources/ folder first, then the
 * .lproj folder of the localization chosen for the user's preferred
 * languages (region-specific, e.g. de_DE.lproj, then the language alone,
 * de.lproj or German.lproj), then the development region's .lproj.
 * Localized strings come from the first <table>.strings found that way; a
 * missing key gives the value argument, or the key itself when the value
 * is NULL or empty.
 *
 * Created bundles are registered by location and identifier while they
 * live: creating a bundle for a registered location returns that bundle
 * retained, and CFBundleGetBundleWithIdentifier finds registered bundles.
 */
#include "CFInternal.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

struct __CFBundle : cf::Base {
    cf::String8 root;      // the bundle folder
    cf::String8 support;   // Contents/, or the root of a flat bundle
    cf::String8 resources; // Contents/Resources/, or the root of a flat bundle
    cf::String8 executableDir;
    CFURLRef url = nullptr;
    CFDictionaryRef info = nullptr;          // never NULL once made
    CFMutableDictionaryRef tables = nullptr; // loaded strings tables by path
    void *handle = nullptr;                  // the loaded executable
};

namespace {

// Bundles registered while they live: bookkeeping on the ordinary heap.
std::vector<__CFBundle *> &registered() {
    static auto *r = new std::vector<__CFBundle *>();
    return *r;
}

void unregister(const __CFBundle *b) {
    auto &r = registered();
    r.erase(std::remove(r.begin(), r.end(), b), r.end());
}

void finalizeBundle(CFTypeRef cf) {
    const auto *b = static_cast<const __CFBundle *>(cf);
    unregister(b);
    if (b->url != nullptr)
        CFRelease(b->url);
    if (b->info != nullptr)
        CFRelease(b->info);
    if (b->tables != nullptr)
        CFRelease(b->tables);
    // Loaded code stays loaded: functions and data of the executable may
    // still be referenced after the last release, as with the platform's
    // bundles, which never unload code on their own.
    cf::destroyObject<__CFBundle>(cf);
}

CFStringRef describeBundle(CFTypeRef cf) {
    const auto *b = static_cast<const __CFBundle *>(cf);
    return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("CFBundle %p <%s>"), cf,
                                    b->root.c_str());
}

__CFBundle *checkBundle(CFTypeRef cf, const char *call) {
    return cf::check<__CFBundle>(cf, cf::kBundleTypeID, call);
}

bool isDirectory(const cf::String8 &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isFile(const cf::String8 &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

cf::String8 join(const cf::String8 &dir, const cf::String8 &name) {
    if (dir.empty())
        return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

// The information dictionary; nullptr only when memory runs out.
CFDictionaryRef loadInfo(const cf::String8 &support) {
    cf::Vec<UInt8> bytes;
    if (cf::readFile(join(support, "Info.plist").c_str(), bytes) && !bytes.empty()) {
        bool outOfMemory = false;
        cf::Owned<CFPropertyListRef> plist(cf::createPropertyList(
            bytes.data(), bytes.size(), kCFPropertyListImmutable, nullptr, &outOfMemory));
        if (outOfMemory)
            return nullptr;
        if (plist && CFGetTypeID(plist.get()) == CFDictionaryGetTypeID())
            return static_cast<CFDictionaryRef>(plist.release());
    }
    // No usable Info.plist: the bundle has an empty information dictionary.
    return CFDictionaryCreate(nullptr, nullptr, nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                              &kCFTypeDictionaryValueCallBacks);
}

CFStringRef infoString(const __CFBundle *b, CFStringRef key) {
    CFTypeRef value = CFDictionaryGetValue(b->info, key);
    return value != nullptr && CFGetTypeID(value) == CFStringGetTypeID()
               ? static_cast<CFStringRef>(value)
               : nullptr;
}

__CFBundle *makeBundle(const cf::String8 &root) {
    for (__CFBundle *b : registered())
        if (b->root == root)
            return static_cast<__CFBundle *>(const_cast<void *>(CFRetain(b)));
    if (!isDirectory(root))
        return nullptr;
    __CFBundle *b = cf::newObject<__CFBundle>(cf::kBundleTypeID);
    if (b == nullptr)
        return nullptr;
    try {
        b->root = root;
        cf::String8 contents = join(root, "Contents");
        if (isDirectory(contents)) {
            b->support = contents;
            b->resources = join(contents, "Resources");
            b->executableDir = join(contents, "MacOS");
        } else {
            b->support = root;
            b->resources = root;
            b->executableDir = root;
        }
        b->url = cf::makeFileURL(root, true);
        b->info = b->url != nullptr ? loadInfo(b->support) : nullptr;
        b->tables = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                              &kCFTypeDictionaryValueCallBacks);
        if (b->url == nullptr || b->info == nullptr || b->tables == nullptr) {
            CFRelease(b);
            return nullptr;
        }
        registered().push_back(b);
    } catch (const std::bad_alloc &) {
        CFRelease(b);
        return nullptr;
    }
    return b;
}

// The .lproj folders of the bundle, by name without the extension, sorted.
cf::Vec<cf::String8> localizations(const __CFBundle *b) {
    cf::Vec<cf::String8> names;
    DIR *dir = opendir(b->resources.c_str());
    if (dir == nullptr)
        return names;
    try {
        while (struct dirent *entry = readdir(dir)) {
            size_t len = std::strlen(entry->d_name);
            if (len > 6 && std::strcmp(entry->d_name + len - 6, ".lproj") == 0 &&
                isDirectory(join(b->resources, entry->d_name)))
                names.emplace_back(entry->d_name, len - 6);
        }
    } catch (...) {
        closedir(dir);
        throw;
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

cf::String8 developmentRegion(const __CFBundle *b) {
    CFStringRef region = infoString(b, kCFBundleDevelopmentRegionKey);
    return region != nullptr ? cf::toUTF8(region) : cf::String8();
}

// The folders searched for a resource, in order (see the file comment).
cf::Vec<cf::String8> searchFolders(const __CFBundle *b) {
    cf::Vec<cf::String8> folders;
    folders.push_back(b->resources);
    cf::Vec<cf::String8> available = localizations(b);
    if (available.empty())
        return folders;
    cf::Vec<cf::String8> chosen;
    auto add = [&chosen](const cf::String8 &name) {
        if (!name.empty() && std::find(chosen.begin(), chosen.end(), name) == chosen.end())
            chosen.push_back(name);
    };
    cf::String8 dev = developmentRegion(b);
    cf::String8 best = cf::chooseLocalization(available, dev);
    add(best);
    // The language alone after a region-specific choice: de_DE, then de or German.
    size_t sep = best.find_first_of("_-");
    if (sep != cf::String8::npos) {
        cf::String8 language = best.substr(0, sep);
        const char *legacy = cf::legacyLanguageName(language);
        for (const cf::String8 &have : available)
            if (strcasecmp(have.c_str(), language.c_str()) == 0 ||
                (legacy != nullptr && strcasecmp(have.c_str(), legacy) == 0))
                add(have);
    }
    if (!dev.empty()) {
        const char *legacy = cf::legacyLanguageName(dev);
        for (const cf::String8 &have : available)
            if (strcasecmp(have.c_str(), dev.c_str()) == 0)
                add(have);
        for (const cf::String8 &have : available)
            if (legacy != nullptr && strcasecmp(have.c_str(), legacy) == 0)
                add(have);
    }
    for (const cf::String8 &name : chosen)
        folders.push_back(join(b->resources, name + ".lproj"));
    return folders;
}

cf::String8 resourceFileName(CFStringRef name, CFStringRef type) {
    cf::String8 file = cf::toUTF8(name);
    if (type != nullptr && CFStringGetLength(type) > 0) {
        cf::String8 ext = cf::toUTF8(type);
        if (ext[0] != '.')
            file += '.';
        file += ext;
    }
    return file;
}

// The first file of the given extension in a folder (sorted by name), or empty.
cf::String8 firstOfType(const cf::String8 &folder, const cf::String8 &ext) {
    cf::Vec<cf::String8> matches;
    DIR *dir = opendir(folder.c_str());
    if (dir == nullptr)
        return cf::String8();
    try {
        while (struct dirent *entry = readdir(dir)) {
            cf::String8 name = entry->d_name;
            if (name.size() > ext.size() + 1 &&
                name.compare(name.size() - ext.size(), ext.size(), ext) == 0 &&
                name[name.size() - ext.size() - 1] == '.')
                matches.push_back(name);
        }
    } catch (...) {
        closedir(dir);
        throw;
    }
    closedir(dir);
    if (matches.empty())
        return cf::String8();
    std::sort(matches.begin(), matches.end());
    return join(folder, matches.front());
}

// Finds a resource's path, or an empty string. Throws bad_alloc.
cf::String8 findResource(CFStringRef name, CFStringRef type, CFStringRef subDir,
                         const cf::Vec<cf::String8> &folders) {
    for (const cf::String8 &folder : folders) {
        cf::String8 dir = folder;
        if (subDir != nullptr && CFStringGetLength(subDir) > 0)
            dir = join(dir, cf::toUTF8(subDir));
        if (name == nullptr) {
            if (type == nullptr)
                return cf::String8();
            cf::String8 found = firstOfType(dir, cf::toUTF8(type));
            if (!found.empty())
                return found;
            continue;
        }
        cf::String8 path = join(dir, resourceFileName(name, type));
        struct stat st;
        if (stat(path.c_str(), &st) == 0)
            return path;
    }
    return cf::String8();
}

CFURLRef urlForPath(const cf::String8 &path) {
    if (path.empty())
        return nullptr;
    return cf::makeFileURL(path, isDirectory(path));
}

// A strings table of the bundle, loaded once per file; borrowed, or nullptr
// when there is none or it cannot be read.
CFDictionaryRef loadTable(__CFBundle *b, CFStringRef tableName) {
    cf::String8 path = findResource(tableName, CFSTR("strings"), nullptr, searchFolders(b));
    if (path.empty())
        return nullptr;
    cf::Owned<CFStringRef> key(cf::makeStringFromUTF8(path.data(), path.size()));
    if (!key)
        return nullptr;
    auto table = static_cast<CFDictionaryRef>(CFDictionaryGetValue(b->tables, key.get()));
    if (table != nullptr)
        return table;
    cf::Vec<UInt8> bytes;
    if (!cf::readFile(path.c_str(), bytes))
        return nullptr;
    cf::Owned<CFDictionaryRef> parsed(cf::parseStringsTable(bytes.data(), bytes.size()));
    if (!parsed)
        return nullptr;
    CFDictionarySetValue(b->tables, key.get(), parsed.get());
    return static_cast<CFDictionaryRef>(CFDictionaryGetValue(b->tables, key.get()));
}

cf::String8 executablePath(const __CFBundle *b) {
    CFStringRef name = infoString(b, kCFBundleExecutableKey);
    if (name == nullptr)
        return cf::String8();
    cf::String8 path = join(b->executableDir, cf::toUTF8(name));
    return isFile(path) ? path : cf::String8();
}

CFArrayRef arrayOfStrings(const cf::Vec<cf::String8> &names) {
    CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    if (array == nullptr)
        return nullptr;
    for (const cf::String8 &name : names) {
        CFStringRef s = cf::makeStringFromUTF8(name.data(), name.size());
        if (s != nullptr)
            CFArrayAppendValue(array, s);
        bool ok = s != nullptr && CFArrayGetValueAtIndex(array, CFArrayGetCount(array) - 1) == s;
        if (s != nullptr)
            CFRelease(s);
        if (!ok) {
            CFRelease(array);
            return nullptr;
        }
    }
    cf::setArrayMutable(array, false);
    return array;
}

cf::Vec<cf::String8> stringsOf(CFArrayRef array, const char *call) {
    cf::Vec<cf::String8> out;
    cf::checkType(array, cf::kArrayTypeID, call);
    for (CFIndex i = 0; i < CFArrayGetCount(array); ++i) {
        CFTypeRef item = CFArrayGetValueAtIndex(array, i);
        if (cf::isObject(item) && CFGetTypeID(item) == cf::kStringTypeID)
            out.push_back(cf::toUTF8(static_cast<CFStringRef>(item)));
    }
    return out;
}

} // namespace

namespace cf {
const CFStandInClass kBundleClass = {"CFBundle", finalizeBundle, nullptr, nullptr, describeBundle};
void forgetBundles() {
    registered().clear();
}
const std::vector<__CFBundle *> &registeredBundles() {
    return registered();
}
} // namespace cf

extern "C" {

const CFStringRef kCFBundleInfoDictionaryVersionKey = CFSTR("CFBundleInfoDictionaryVersion");
const CFStringRef kCFBundleExecutableKey = CFSTR("CFBundleExecutable");
const CFStringRef kCFBundleIdentifierKey = CFSTR("CFBundleIdentifier");
const CFStringRef kCFBundleVersionKey = CFSTR("CFBundleVersion");
const CFStringRef kCFBundleDevelopmentRegionKey = CFSTR("CFBundleDevelopmentRegion");
const CFStringRef kCFBundleNameKey = CFSTR("CFBundleName");
const CFStringRef kCFBundleLocalizationsKey = CFSTR("CFBundleLocalizations");

CFTypeID CFBundleGetTypeID(void) {
    return cf::kBundleTypeID;
}

CFBundleRef CFBundleGetMainBundle(void) {
    static __CFBundle *main = nullptr;
    if (main != nullptr)
        return main;
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0)
        return nullptr;
    exe[n] = '\0';
    try {
        cf::String8 dir(exe);
        dir.resize(dir.rfind('/') == 0 ? 1 : dir.rfind('/'));
        const char *macos = "/Contents/MacOS";
        size_t tail = std::strlen(macos);
        if (dir.size() > tail && dir.compare(dir.size() - tail, tail, macos) == 0)
            dir.resize(dir.size() - tail);
        main = makeBundle(dir);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
    if (main != nullptr) {
        // The main bundle lives as long as the program and owns what it holds.
        cf::makeImmortal(main);
        cf::makeImmortal(cf::checkAny(main->url, "CFBundleGetMainBundle"));
        cf::makeImmortal(cf::checkAny(main->info, "CFBundleGetMainBundle"));
        cf::makeImmortal(cf::checkAny(main->tables, "CFBundleGetMainBundle"));
    }
    return main;
}

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID) {
    cf::checkString(bundleID, "CFBundleGetBundleWithIdentifier");
    for (__CFBundle *b : registered()) {
        CFStringRef id = infoString(b, kCFBundleIdentifierKey);
        if (id != nullptr && CFEqual(id, bundleID))
            return b;
    }
    return nullptr;
}

CFArrayRef CFBundleGetAllBundles(void) {
    // One array for the life of the program, refilled on every call: the
    // caller does not own it, so it must not count as a live object.
    static CFMutableArrayRef all = nullptr;
    if (all == nullptr) {
        all = CFArrayCreateMutable(nullptr, 0, nullptr);
        if (all == nullptr)
            return nullptr;
        cf::makeImmortal(cf::checkAny(all, "CFBundleGetAllBundles"));
    }
    CFArrayRemoveAllValues(all);
    for (__CFBundle *b : registered())
        CFArrayAppendValue(all, b);
    return all;
}

CFBundleRef CFBundleCreate(CFAllocatorRef, CFURLRef bundleURL) {
    const cf::String8 *path = cf::fileURLPath(bundleURL, "CFBundleCreate");
    if (path == nullptr)
        return nullptr;
    try {
        return makeBundle(*path);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle) {
    return static_cast<CFURLRef>(CFRetain(checkBundle(bundle, "CFBundleCopyBundleURL")->url));
}

CFDictionaryRef CFBundleGetInfoDictionary(CFBundleRef bundle) {
    return checkBundle(bundle, "CFBundleGetInfoDictionary")->info;
}

CFDictionaryRef CFBundleGetLocalInfoDictionary(CFBundleRef bundle) {
    __CFBundle *b = checkBundle(bundle, "CFBundleGetLocalInfoDictionary");
    try {
        return loadTable(b, CFSTR("InfoPlist"));
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key) {
    __CFBundle *b = checkBundle(bundle, "CFBundleGetValueForInfoDictionaryKey");
    cf::checkString(key, "CFBundleGetValueForInfoDictionaryKey");
    CFDictionaryRef local = CFBundleGetLocalInfoDictionary(bundle);
    if (local != nullptr) {
        CFTypeRef value = CFDictionaryGetValue(local, key);
        if (value != nullptr)
            return value;
    }
    return CFDictionaryGetValue(b->info, key);
}

CFStringRef CFBundleGetIdentifier(CFBundleRef bundle) {
    return infoString(checkBundle(bundle, "CFBundleGetIdentifier"), kCFBundleIdentifierKey);
}

UInt32 CFBundleGetVersionNumber(CFBundleRef bundle) {
    __CFBundle *b = checkBundle(bundle, "CFBundleGetVersionNumber");
    CFStringRef version = infoString(b, kCFBundleVersionKey);
    if (version == nullptr)
        return 0;
    // "major.minor.bug": major in BCD in the top byte, minor and bug in the
    // next two nibbles, 0x80 (final release) in the stage byte.
    unsigned major = 0, minor = 0, bug = 0;
    char text[64];
    if (!CFStringGetCString(version, text, sizeof text, kCFStringEncodingASCII) ||
        std::sscanf(text, "%u.%u.%u", &major, &minor, &bug) < 1 || major > 99 || minor > 9 ||
        bug > 9)
        return 0;
    return ((major / 10) << 28) | ((major % 10) << 24) | (minor << 20) | (bug << 16) | 0x8000;
}

CFStringRef CFBundleGetDevelopmentRegion(CFBundleRef bundle) {
    return infoString(checkBundle(bundle, "CFBundleGetDevelopmentRegion"),
                      kCFBundleDevelopmentRegionKey);
}

CFURLRef CFBundleCopySupportFilesDirectoryURL(CFBundleRef bundle) {
    __CFBundle *b = checkBundle(bundle, "CFBundleCopySupportFilesDirectoryURL");
    return cf::makeFileURL(b->support, true);
}

CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle) {
    __CFBundle *b = checkBundle(bundle, "CFBundleCopyResourcesDirectoryURL");
    return cf::makeFileURL(b->resources, true);
}

CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle) {
    __CFBundle *b = checkBundle(bundle, "CFBundleCopyExecutableURL");
    try {
        cf::String8 path = executablePath(b);
        return path.empty() ? nullptr : cf::makeFileURL(path, false);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName,
                                 CFStringRef resourceType, CFStringRef subDirName) {
    __CFBundle *b = checkBundle(bundle, "CFBundleCopyResourceURL");
    if (resourceName != nullptr)
        cf::checkString(resourceName, "CFBundleCopyResourceURL");
    if (resourceType != nullptr)
        cf::checkString(resourceType, "CFBundleCopyResourceURL");
    if (subDirName != nullptr)
        cf::checkString(subDirName, "CFBundleCopyResourceURL");
    try {
        return urlForPath(findResource(resourceName, resourceType, subDirName, searchFolders(b)));
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

CFURLRef CFBundleCopyResourceURLForLocalization(CFBundleRef bundle, CFStringRef resourceName,
                                                CFStringRef resourceType, CFStringRef subDirName,
                                                CFStringRef localizationName) {
    __CFBundle *b = checkBundle(bundle, "CFBundleCopyResourceURLForLocalization");
    if (localizationName == nullptr)
        return CFBundleCopyResourceURL(bundle, resourceName, resourceType, subDirName);
    cf::checkString(localizationName, "CFBundleCopyResourceURLForLocalization");
    try {
        cf::Vec<cf::String8> folders;
        folders.push_back(join(b->resources, cf::toUTF8(localizationName) + ".lproj"));
        folders.push_back(b->resources);
        return urlForPath(findResource(resourceName, resourceType, subDirName, folders));
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

CFArrayRef CFBundleCopyResourceURLsOfType(CFBundleRef bundle, CFStringRef resourceType,
                                          CFStringRef subDirName) {
    __CFBundle *b = checkBundle(bundle, "CFBundleCopyResourceURLsOfType");
    CFMutableArrayRef urls = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    if (urls == nullptr)
        return nullptr;
    try {
        cf::String8 ext = resourceType != nullptr ? cf::toUTF8(resourceType) : cf::String8();
        cf::Vec<cf::String8> seen;
        for (const cf::String8 &folder : searchFolders(b)) {
            cf::String8 dir = folder;
            if (subDirName != nullptr && CFStringGetLength(subDirName) > 0)
                dir = join(dir, cf::toUTF8(subDirName));
            DIR *d = opendir(dir.c_str());
            if (d == nullptr)
                continue;
            cf::Vec<cf::String8> names;
            while (struct dirent *entry = readdir(d)) {
                cf::String8 name = entry->d_name;
                if (name == "." || name == ".." ||
                    std::find(seen.begin(), seen.end(), name) != seen.end())
                    continue;
                if (!ext.empty() &&
                    !(name.size() > ext.size() + 1 &&
                      name.compare(name.size() - ext.size(), ext.size(), ext) == 0 &&
                      name[name.size() - ext.size() - 1] == '.'))
                    continue;
                if (ext.empty() && name.size() > 6 &&
                    name.compare(name.size() - 6, 6, ".lproj") == 0)
                    continue;
                names.push_back(name);
            }
            closedir(d);
            std::sort(names.begin(), names.end());
            for (const cf::String8 &name : names) {
                seen.push_back(name);
                CFURLRef url = urlForPath(join(dir, name));
                if (url == nullptr)
                    throw std::bad_alloc();
                CFArrayAppendValue(urls, url);
                CFRelease(url);
            }
        }
    } catch (const std::bad_alloc &) {
        CFRelease(urls);
        return nullptr;
    }
    cf::setArrayMutable(urls, false);
    return urls;
}

CFStringRef CFBundleCopyLocalizedString(CFBundleRef bundle, CFStringRef key, CFStringRef value,
                                        CFStringRef tableName) {
    __CFBundle *b = checkBundle(bundle, "CFBundleCopyLocalizedString");
    if (value != nullptr)
        cf::checkString(value, "CFBundleCopyLocalizedString");
    if (key == nullptr)
        return value != nullptr ? CFStringCreateCopy(nullptr, value)
                                : static_cast<CFStringRef>(CFRetain(CFSTR("")));
    cf::checkString(key, "CFBundleCopyLocalizedString");
    if (tableName != nullptr)
        cf::checkString(tableName, "CFBundleCopyLocalizedString");
    if (tableName == nullptr || CFStringGetLength(tableName) == 0)
        tableName = CFSTR("Localizable");
    CFDictionaryRef table = nullptr;
    try {
        table = loadTable(b, tableName);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
    if (table != nullptr) {
        CFTypeRef found = CFDictionaryGetValue(table, key);
        if (found != nullptr && CFGetTypeID(found) == CFStringGetTypeID())
            return CFStringCreateCopy(nullptr, static_cast<CFStringRef>(found));
    }
    if (value != nullptr && CFStringGetLength(value) > 0)
        return CFStringCreateCopy(nullptr, value);
    return CFStringCreateCopy(nullptr, key);
}

CFArrayRef CFBundleCopyBundleLocalizations(CFBundleRef bundle) {
    __CFBundle *b = checkBundle(bundle, "CFBundleCopyBundleLocalizations");
    try {
        return arrayOfStrings(localizations(b));
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

CFArrayRef CFBundleCopyLocalizationsForPreferences(CFArrayRef locArray, CFArrayRef prefArray) {
    try {
        cf::Vec<cf::String8> available =
            stringsOf(locArray, "CFBundleCopyLocalizationsForPreferences");
        cf::Vec<cf::String8> result;
        if (available.empty())
            return arrayOfStrings(result);
        if (prefArray == nullptr) {
            // The user's languages from the environment.
            result.push_back(cf::chooseLocalization(available, cf::String8()));
            return arrayOfStrings(result);
        }
        // The first preference that one of the localizations serves, by
        // name or by its legacy English name ("de" and "German").
        for (const cf::String8 &wanted :
             stringsOf(prefArray, "CFBundleCopyLocalizationsForPreferences")) {
            const char *legacy = cf::legacyLanguageName(wanted);
            for (const cf::String8 &have : available)
                if (strcasecmp(have.c_str(), wanted.c_str()) == 0 ||
                    (legacy != nullptr && strcasecmp(have.c_str(), legacy) == 0)) {
                    result.push_back(have);
                    return arrayOfStrings(result);
                }
        }
        result.push_back(available.front());
        return arrayOfStrings(result);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

CFArrayRef CFBundleCopyPreferredLocalizationsFromArray(CFArrayRef locArray) {
    return CFBundleCopyLocalizationsForPreferences(locArray, nullptr);
}

Boolean CFBundleLoadExecutable(CFBundleRef bundle) {
    __CFBundle *b = checkBundle(bundle, "CFBundleLoadExecutable");
    if (b->handle != nullptr)
        return true;
    try {
        cf::String8 path = executablePath(b);
        if (path.empty())
            return false;
        b->handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (b->handle == nullptr) {
            const char *why = dlerror();
            std::fprintf(stderr, "CFBundleLoadExecutable: cannot load %s: %s\n", path.c_str(),
                         why != nullptr ? why : "unknown error");
        }
    } catch (const std::bad_alloc &) {
        return false;
    }
    return b->handle != nullptr;
}

Boolean CFBundleIsExecutableLoaded(CFBundleRef bundle) {
    return checkBundle(bundle, "CFBundleIsExecutableLoaded")->handle != nullptr;
}

void CFBundleUnloadExecutable(CFBundleRef bundle) {
    __CFBundle *b = checkBundle(bundle, "CFBundleUnloadExecutable");
    if (b->handle != nullptr) {
        dlclose(b->handle);
        b->handle = nullptr;
    }
}

static void *lookupSymbol(CFBundleRef bundle, CFStringRef name, const char *call) {
    __CFBundle *b = checkBundle(bundle, call);
    cf::checkString(name, call);
    if (!CFBundleLoadExecutable(bundle))
        return nullptr;
    try {
        cf::String8 symbol = cf::toUTF8(name);
        return dlsym(b->handle, symbol.c_str());
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

void *CFBundleGetFunctionPointerForName(CFBundleRef bundle, CFStringRef functionName) {
    return lookupSymbol(bundle, functionName, "CFBundleGetFunctionPointerForName");
}

void *CFBundleGetDataPointerForName(CFBundleRef bundle, CFStringRef symbolName) {
    return lookupSymbol(bundle, symbolName, "CFBundleGetDataPointerForName");
}

} // extern "C"
