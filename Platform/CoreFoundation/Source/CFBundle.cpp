/*
 * CFBundle.cpp
 *
 * Directory bundles (layout, resource search order and localization
 * choice: see the README), their localized strings and executables, and
 * plug-ins: bundles whose Info.plist maps plug-in types to factory UUIDs
 * (CFPlugInTypes) and factory UUIDs to exported function names
 * (CFPlugInFactories), with the count of live instances per factory that
 * factories and instances keep. Live bundles are registered by location:
 * one bundle per location.
 */
#include "CFInternal.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <dlfcn.h>
#include <map>
#include <memory>
#include <sys/stat.h>

struct __CFBundle : cf::Base {
    cf::String8 root;               // the bundle folder
    CFDictionaryRef info = nullptr; // never NULL once made
    void *handle = nullptr;         // the loaded executable
};

namespace {

using cf::String8;
using cf::Vec;

// Bundles registered while they live: bookkeeping on the ordinary heap.
std::vector<__CFBundle *> &registered() {
    static auto *r = new std::vector<__CFBundle *>();
    return *r;
}

void finalizeBundle(CFTypeRef cf) {
    auto &r = registered();
    r.erase(std::remove(r.begin(), r.end(), cf), r.end());
    if (static_cast<const __CFBundle *>(cf)->info != nullptr)
        CFRelease(static_cast<const __CFBundle *>(cf)->info);
    // Loaded code stays loaded, as on the platform.
    cf::destroyObject<__CFBundle>(cf);
}

// The bundle, after checking it and the optional strings a call takes.
__CFBundle *checkArguments(const char *call, CFTypeRef bundle,
                           std::initializer_list<CFStringRef> strings) {
    auto *b = cf::check<__CFBundle>(bundle, cf::kBundleTypeID, call);
    for (CFStringRef s : strings)
        if (s != nullptr)
            cf::checkString(s, call);
    return b;
}

bool isDirectory(const String8 &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A path in the bundle's Contents folder.
String8 inContents(const __CFBundle *b, const char *relative) {
    return b->root + "/Contents/" + relative;
}

// A value of the Info.plist of a given type, or nullptr.
CFTypeRef infoValue(const __CFBundle *b, CFStringRef key, CFTypeID type) {
    CFTypeRef value = CFDictionaryGetValue(b->info, key);
    return value != nullptr && CFGetTypeID(value) == type ? value : nullptr;
}

String8 infoText(const __CFBundle *b, const char *key) {
    auto text = static_cast<CFStringRef>(
        infoValue(b, __CFStringMakeConstantString(key), CFStringGetTypeID()));
    return text != nullptr ? cf::toUTF8(text) : String8();
}

__CFBundle *makeBundle(const String8 &root) {
    for (__CFBundle *b : registered())
        if (b->root == root)
            return static_cast<__CFBundle *>(const_cast<void *>(CFRetain(b)));
    if (!isDirectory(root))
        return nullptr;
    cf::Owned<__CFBundle *> b(cf::newObject<__CFBundle>(cf::kBundleTypeID));
    b.get()->root = root;
    Vec<UInt8> bytes;
    cf::Owned<CFPropertyListRef> plist(
        cf::readFile(inContents(b.get(), "Info.plist").c_str(), bytes)
            ? cf::readPropertyList(bytes.data(), bytes.size())
            : nullptr);
    // Without a usable Info.plist the bundle has an empty information dictionary.
    if (plist && CFGetTypeID(plist.get()) == CFDictionaryGetTypeID())
        b.get()->info = static_cast<CFDictionaryRef>(plist.release());
    else
        b.get()->info = cf::makeDictionary();
    registered().push_back(b.get());
    return b.release();
}

// ---- Localization ----------------------------------------------------------

// Lower case, '-' as '_': "pt-BR" and "pt_br" name one localization.
String8 normalized(String8 name) {
    for (char &c : name)
        c = c == '-' ? '_' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

// The user's languages, most preferred first, normalized: the LANGUAGE
// list, then the first set of LC_ALL, LC_MESSAGES, LANG; each entry without
// its encoding and modifier, followed by its language alone ("de_de", "de").
Vec<String8> preferredLanguages() {
    String8 list = std::getenv("LANGUAGE") != nullptr ? std::getenv("LANGUAGE") : "";
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char *value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            (list += ':') += value;
            break;
        }
    }
    Vec<String8> out;
    for (size_t start = 0; start <= list.size();) {
        size_t end = std::min(list.find(':', start), list.size());
        String8 entry = normalized(list.substr(start, end - start));
        entry.resize(std::min(entry.find_first_of(".@"), entry.size()));
        if (!entry.empty() && entry != "c" && entry != "posix") {
            out.push_back(entry);
            out.push_back(entry.substr(0, entry.find('_')));
        }
        start = end + 1;
    }
    return out;
}

// The .lproj folders of the bundle, by name without the extension, sorted.
Vec<String8> localizations(const String8 &resources) {
    Vec<String8> names;
    DIR *dir = opendir(resources.c_str());
    if (dir == nullptr)
        return names;
    std::unique_ptr<DIR, int (*)(DIR *)> closer(dir, closedir);
    while (struct dirent *entry = readdir(dir)) {
        size_t len = std::strlen(entry->d_name);
        if (len > 6 && std::strcmp(entry->d_name + len - 6, ".lproj") == 0 &&
            isDirectory(resources + "/" + entry->d_name))
            names.emplace_back(entry->d_name, len - 6);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The folders searched for a resource, in order: Resources/, the .lproj of
// the localization that best serves the user's languages (else the
// development region's, else "en", else the first), the development region's.
Vec<String8> searchFolders(const __CFBundle *b) {
    String8 resources = inContents(b, "Resources");
    Vec<String8> available = localizations(resources), folders{resources};
    if (available.empty())
        return folders;
    String8 region = normalized(infoText(b, "CFBundleDevelopmentRegion"));
    Vec<String8> wanted = preferredLanguages();
    wanted.insert(wanted.end(), {region, "en", normalized(available.front())});
    auto pick = [&](const String8 &name) {
        for (const String8 &have : available)
            if (normalized(have) == name) {
                String8 folder = resources + "/" + have + ".lproj";
                if (std::find(folders.begin(), folders.end(), folder) == folders.end())
                    folders.push_back(folder);
                return true;
            }
        return false;
    };
    for (const String8 &name : wanted)
        if (pick(name))
            break;
    pick(region);
    return folders;
}

// The path of a resource, or an empty string.
String8 findResource(const __CFBundle *b, CFStringRef name, CFStringRef type) {
    String8 file = cf::toUTF8(name);
    if (type != nullptr && CFStringGetLength(type) > 0) {
        String8 ext = cf::toUTF8(type);
        (file += ext[0] == '.' ? "" : ".") += ext;
    }
    for (const String8 &folder : searchFolders(b)) {
        struct stat st;
        if (stat((folder + "/" + file).c_str(), &st) == 0)
            return folder + "/" + file;
    }
    return String8();
}

// ---- Plug-ins ----------------------------------------------------------------

// Live instances per factory: bookkeeping on the ordinary heap.
std::map<CFUUIDBytes, CFIndex, cf::UUIDLess> &instances() {
    static auto *m = new std::map<CFUUIDBytes, CFIndex, cf::UUIDLess>();
    return *m;
}

const CFUUIDBytes &keyOf(CFUUIDRef uuid, const char *call) {
    return cf::check<__CFUUID>(uuid, cf::kUUIDTypeID, call)->bytes;
}

// True when text is a string naming uuid (in either letter case).
bool namesUUID(CFTypeRef text, CFUUIDRef uuid) {
    if (CFGetTypeID(text) != CFStringGetTypeID())
        return false;
    CFUUIDRef parsed = CFUUIDCreateFromString(nullptr, static_cast<CFStringRef>(text));
    if (parsed != nullptr)
        CFRelease(parsed);
    return parsed == uuid; // one object per byte pattern
}

// The value of the given type that the Info.plist dictionary `key` holds
// under a UUID string naming uuid, or nullptr.
CFTypeRef valueForUUID(const __CFBundle *b, const char *key, CFUUIDRef uuid, CFTypeID type) {
    auto dict = static_cast<const __CFDictionary *>(
        infoValue(b, __CFStringMakeConstantString(key), CFDictionaryGetTypeID()));
    for (size_t i = 0; dict != nullptr && i < dict->entries.size(); ++i) {
        auto [name, value] = dict->entries[i];
        if (namesUUID(name, uuid) && CFGetTypeID(value) == type)
            return value;
    }
    return nullptr;
}

} // namespace

namespace cf {
const CFStandInClass kBundleClass = {"CFBundle", finalizeBundle, nullptr};
}

extern "C" {

CFTypeID CFBundleGetTypeID(void) {
    return cf::kBundleTypeID;
}

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID) {
    cf::checkString(bundleID, "CFBundleGetBundleWithIdentifier");
    for (__CFBundle *b : registered()) {
        CFTypeRef id = infoValue(b, CFSTR("CFBundleIdentifier"), CFStringGetTypeID());
        if (id != nullptr && CFEqual(id, bundleID))
            return b;
    }
    return nullptr;
}

CFBundleRef CFBundleCreate(CFAllocatorRef, CFURLRef bundleURL) {
    const String8 &path = cf::fileURLPath(bundleURL, "CFBundleCreate");
    return cf::orNull([&] { return makeBundle(path); });
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName,
                                 CFStringRef resourceType, CFStringRef subDirName) {
    __CFBundle *b =
        checkArguments("CFBundleCopyResourceURL", bundle, {resourceName, resourceType, subDirName});
    // Neither the first resource of a type nor subfolders are looked in.
    if (resourceName == nullptr || (subDirName != nullptr && CFStringGetLength(subDirName) > 0))
        return nullptr;
    return cf::orNull([&]() -> CFURLRef {
        String8 path = findResource(b, resourceName, resourceType);
        return path.empty() ? nullptr : cf::makeFileURL(path);
    });
}

CFStringRef CFBundleCopyLocalizedString(CFBundleRef bundle, CFStringRef key, CFStringRef value,
                                        CFStringRef tableName) {
    __CFBundle *b = checkArguments("CFBundleCopyLocalizedString", bundle, {key, value, tableName});
    if (key == nullptr)
        return static_cast<CFStringRef>(CFRetain(value != nullptr ? value : CFSTR("")));
    if (tableName == nullptr || CFStringGetLength(tableName) == 0)
        tableName = CFSTR("Localizable");
    return cf::orNull([&] {
        // The table is read at each call: the user's languages may change.
        String8 path = findResource(b, tableName, CFSTR("strings"));
        Vec<UInt8> bytes;
        cf::Owned<CFDictionaryRef> table(!path.empty() && cf::readFile(path.c_str(), bytes)
                                             ? cf::readStringsTable(bytes.data(), bytes.size())
                                             : nullptr);
        CFTypeRef found = table ? CFDictionaryGetValue(table.get(), key) : nullptr;
        if (found == nullptr)
            found = value != nullptr && CFStringGetLength(value) > 0 ? value : key;
        return static_cast<CFStringRef>(CFRetain(found));
    });
}

CFPlugInRef CFPlugInCreate(CFAllocatorRef allocator, CFURLRef plugInURL) {
    return CFBundleCreate(allocator, plugInURL);
}

CFArrayRef CFPlugInFindFactoriesForPlugInType(CFUUIDRef typeUUID) {
    cf::checkType(typeUUID, cf::kUUIDTypeID, "CFPlugInFindFactoriesForPlugInType");
    return cf::orNull([&] {
        cf::Owned<CFArrayRef> factories(cf::makeArray());
        auto &listed = static_cast<const __CFArray *>(factories.get())->values;
        for (const __CFBundle *b : registered()) {
            auto ids = static_cast<CFArrayRef>(
                valueForUUID(b, "CFPlugInTypes", typeUUID, CFArrayGetTypeID()));
            for (CFIndex j = 0; ids != nullptr && j < CFArrayGetCount(ids); ++j) {
                CFTypeRef id = CFArrayGetValueAtIndex(ids, j);
                cf::Owned<CFUUIDRef> factory(
                    CFGetTypeID(id) == CFStringGetTypeID()
                        ? CFUUIDCreateFromString(nullptr, static_cast<CFStringRef>(id))
                        : nullptr);
                if (factory &&
                    std::find(listed.begin(), listed.end(), factory.get()) == listed.end())
                    cf::arrayAppend(factories.get(), factory.get());
            }
        }
        return factories.release();
    });
}

void *CFPlugInInstanceCreate(CFAllocatorRef allocator, CFUUIDRef factoryUUID, CFUUIDRef typeUUID) {
    cf::checkType(factoryUUID, cf::kUUIDTypeID, "CFPlugInInstanceCreate");
    cf::checkType(typeUUID, cf::kUUIDTypeID, "CFPlugInInstanceCreate");
    CFPlugInFactoryFunction function = cf::orNull([&]() -> CFPlugInFactoryFunction {
        for (__CFBundle *b : registered()) {
            auto name = static_cast<CFStringRef>(
                valueForUUID(b, "CFPlugInFactories", factoryUUID, CFStringGetTypeID()));
            if (name == nullptr)
                continue;
            String8 file = infoText(b, "CFBundleExecutable");
            String8 executable = inContents(b, "MacOS/") + file;
            if (b->handle == nullptr && !file.empty() &&
                (b->handle = dlopen(executable.c_str(), RTLD_NOW | RTLD_LOCAL)) == nullptr)
                std::fprintf(stderr, "CFPlugInInstanceCreate: cannot load %s: %s\n",
                             executable.c_str(), dlerror());
            return b->handle == nullptr ? nullptr
                                        : reinterpret_cast<CFPlugInFactoryFunction>(
                                              dlsym(b->handle, cf::toUTF8(name).c_str()));
        }
        return nullptr;
    });
    // Called outside the loop: the factory may create or release bundles.
    return function != nullptr ? function(allocator, typeUUID) : nullptr;
}

void CFPlugInAddInstanceForFactory(CFUUIDRef factoryID) {
    ++instances()[keyOf(factoryID, "CFPlugInAddInstanceForFactory")];
}

void CFPlugInRemoveInstanceForFactory(CFUUIDRef factoryID) {
    auto found = instances().find(keyOf(factoryID, "CFPlugInRemoveInstanceForFactory"));
    if (found == instances().end())
        CFStandInMisuse("CFPlugInRemoveInstanceForFactory",
                        "more instances removed than were added for this factory");
    if (--found->second == 0)
        instances().erase(found);
}

CFIndex CFStandInGetPlugInInstanceCount(CFUUIDRef factoryID) {
    auto found = instances().find(keyOf(factoryID, "CFStandInGetPlugInInstanceCount"));
    return found == instances().end() ? 0 : found->second;
}

CFIndex CFStandInGetTotalPlugInInstanceCount(void) {
    CFIndex total = 0;
    for (const auto &entry : instances())
        total += entry.second;
    return total;
}

} // extern "C"
