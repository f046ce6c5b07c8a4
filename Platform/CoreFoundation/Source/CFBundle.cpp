/*
 * CFBundle.cpp
 *
 * Directory bundles (layout and resource search order: see the README),
 * their localized strings and executables. Live bundles are registered by
 * location and identifier: one bundle per location.
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
    if (b->info != nullptr)
        CFRelease(b->info);
    if (b->tables != nullptr)
        CFRelease(b->tables);
    // Loaded code stays loaded, as on the platform.
    cf::destroyObject<__CFBundle>(cf);
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
        cf::Owned<CFPropertyListRef> plist(
            cf::createPropertyList(bytes.data(), bytes.size(), &outOfMemory));
        if (outOfMemory)
            return nullptr;
        if (plist && CFGetTypeID(plist.get()) == CFDictionaryGetTypeID())
            return static_cast<CFDictionaryRef>(plist.release());
    }
    // No usable Info.plist: the bundle has an empty information dictionary.
    return cf::makeTypeDictionary(false);
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
        b->info = loadInfo(b->support);
        b->tables = cf::makeTypeDictionary(true);
        if (b->info == nullptr || b->tables == nullptr) {
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
    CFStringRef region = infoString(b, CFSTR("CFBundleDevelopmentRegion"));
    return region != nullptr ? cf::toUTF8(region) : cf::String8();
}

// The folders searched for a resource, in order (see the file comment).
cf::Vec<cf::String8> searchFolders(const __CFBundle *b) {
    cf::Vec<cf::String8> folders;
    folders.push_back(b->resources);
    cf::Vec<cf::String8> available = localizations(b);
    if (available.empty())
        return folders;
    // The chosen localization (de_AT), its language alone (de), the development region.
    cf::String8 dev = developmentRegion(b);
    cf::String8 best = cf::chooseLocalization(available, dev);
    cf::Vec<cf::String8> chosen;
    for (const cf::String8 &name : {best, best.substr(0, best.find_first_of("_-")), dev})
        for (const cf::String8 &have : available)
            if (strcasecmp(have.c_str(), name.c_str()) == 0 &&
                std::find(chosen.begin(), chosen.end(), have) == chosen.end())
                chosen.push_back(have);
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

// Finds a resource's path, or an empty string. Throws bad_alloc.
cf::String8 findResource(CFStringRef name, CFStringRef type, const cf::Vec<cf::String8> &folders) {
    for (const cf::String8 &folder : folders) {
        cf::String8 path = join(folder, resourceFileName(name, type));
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
    cf::String8 path = findResource(tableName, CFSTR("strings"), searchFolders(b));
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
    CFStringRef name = infoString(b, CFSTR("CFBundleExecutable"));
    if (name == nullptr)
        return cf::String8();
    cf::String8 path = join(b->executableDir, cf::toUTF8(name));
    return isFile(path) ? path : cf::String8();
}

} // namespace

namespace cf {
const CFStandInClass kBundleClass = {"CFBundle", finalizeBundle, nullptr, nullptr, nullptr};
const std::vector<__CFBundle *> &registeredBundles() {
    return registered();
}
} // namespace cf

extern "C" {

CFTypeID CFBundleGetTypeID(void) {
    return cf::kBundleTypeID;
}

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID) {
    cf::checkString(bundleID, "CFBundleGetBundleWithIdentifier");
    for (__CFBundle *b : registered()) {
        CFStringRef id = infoString(b, CFSTR("CFBundleIdentifier"));
        if (id != nullptr && CFEqual(id, bundleID))
            return b;
    }
    return nullptr;
}

CFBundleRef CFBundleCreate(CFAllocatorRef, CFURLRef bundleURL) {
    const cf::String8 &path = cf::fileURLPath(bundleURL, "CFBundleCreate");
    try {
        return makeBundle(path);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

CFDictionaryRef CFBundleGetInfoDictionary(CFBundleRef bundle) {
    return checkBundle(bundle, "CFBundleGetInfoDictionary")->info;
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName,
                                 CFStringRef resourceType, CFStringRef subDirName) {
    __CFBundle *b = checkBundle(bundle, "CFBundleCopyResourceURL");
    if (subDirName != nullptr)
        cf::checkString(subDirName, "CFBundleCopyResourceURL");
    // Neither the first resource of a type nor subfolders are looked in.
    if (resourceName == nullptr || (subDirName != nullptr && CFStringGetLength(subDirName) > 0))
        return nullptr;
    cf::checkString(resourceName, "CFBundleCopyResourceURL");
    if (resourceType != nullptr)
        cf::checkString(resourceType, "CFBundleCopyResourceURL");
    try {
        return urlForPath(findResource(resourceName, resourceType, searchFolders(b)));
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
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

void *CFBundleGetFunctionPointerForName(CFBundleRef bundle, CFStringRef functionName) {
    __CFBundle *b = checkBundle(bundle, "CFBundleGetFunctionPointerForName");
    cf::checkString(functionName, "CFBundleGetFunctionPointerForName");
    if (!CFBundleLoadExecutable(bundle))
        return nullptr;
    try {
        cf::String8 symbol = cf::toUTF8(functionName);
        return dlsym(b->handle, symbol.c_str());
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

} // extern "C"
