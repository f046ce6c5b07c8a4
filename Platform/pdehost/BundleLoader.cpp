/*
 * BundleLoader.cpp
 *
 * Finding and loading a dialog-extension plug-in's factory from its bundle.
 */
#include "BundleLoader.h"

#include "HostText.h"

#include <dlfcn.h>

#include <vector>

namespace {

/* The value in `dictionary` whose key, read as a UUID string, equals
   `uuid`; keys are compared as UUIDs, so letter case does not matter. */
CFTypeRef valueForUUIDKey(CFDictionaryRef dictionary, CFUUIDRef uuid) {
    CFIndex count = CFDictionaryGetCount(dictionary);
    std::vector<const void *> keys(static_cast<size_t>(count));
    std::vector<const void *> values(static_cast<size_t>(count));
    CFDictionaryGetKeysAndValues(dictionary, keys.data(), values.data());
    for (CFIndex i = 0; i < count; i++) {
        CFTypeRef key = keys[static_cast<size_t>(i)];
        if (key == nullptr || CFGetTypeID(key) != CFStringGetTypeID())
            continue;
        CFUUIDRef keyUUID =
            CFUUIDCreateFromString(kCFAllocatorDefault, static_cast<CFStringRef>(key));
        if (keyUUID == nullptr)
            continue;
        bool same = CFEqual(keyUUID, uuid);
        CFRelease(keyUUID);
        if (same)
            return values[static_cast<size_t>(i)];
    }
    return nullptr;
}

CFDictionaryRef dictionaryValue(CFDictionaryRef dictionary, CFStringRef key) {
    CFTypeRef value = CFDictionaryGetValue(dictionary, key);
    if (value == nullptr || CFGetTypeID(value) != CFDictionaryGetTypeID())
        return nullptr;
    return static_cast<CFDictionaryRef>(value);
}

/* The function name of the first factory in `factoryIDs` that
   CFPlugInFactories names. */
std::string findFactoryName(CFDictionaryRef factories, CFArrayRef factoryIDs) {
    for (CFIndex i = 0; i < CFArrayGetCount(factoryIDs); i++) {
        CFTypeRef idString = CFArrayGetValueAtIndex(factoryIDs, i);
        if (idString == nullptr || CFGetTypeID(idString) != CFStringGetTypeID())
            continue;
        CFUUIDRef factoryID =
            CFUUIDCreateFromString(kCFAllocatorDefault, static_cast<CFStringRef>(idString));
        if (factoryID == nullptr)
            continue;
        CFTypeRef name = valueForUUIDKey(factories, factoryID);
        CFRelease(factoryID);
        if (name != nullptr && CFGetTypeID(name) == CFStringGetTypeID()) {
            std::string text = TextOrEmpty(static_cast<CFStringRef>(name));
            if (!text.empty())
                return text;
        }
    }
    return std::string();
}

/* Reads the bundle's property list: the executable's name and the factory
   function for the plug-in type. */
bool findFactory(CFBundleRef bundle, CFStringRef typeID, std::string &executable,
                 std::string &factoryName, std::string &error) {
    CFDictionaryRef info = CFBundleGetInfoDictionary(bundle);
    if (info == nullptr || CFDictionaryGetCount(info) == 0) {
        error = "the bundle has no Contents/Info.plist";
        return false;
    }
    CFTypeRef executableName = CFDictionaryGetValue(info, CFSTR("CFBundleExecutable"));
    if (executableName == nullptr || CFGetTypeID(executableName) != CFStringGetTypeID()) {
        error = "Info.plist names no CFBundleExecutable";
        return false;
    }
    executable = TextOrEmpty(static_cast<CFStringRef>(executableName));

    CFDictionaryRef types = dictionaryValue(info, kCFPlugInTypesKey);
    CFDictionaryRef factories = dictionaryValue(info, kCFPlugInFactoriesKey);
    if (types == nullptr || factories == nullptr) {
        error = "Info.plist has no CFPlugInTypes and CFPlugInFactories dictionaries";
        return false;
    }
    CFUUIDRef type = CFUUIDCreateFromString(kCFAllocatorDefault, typeID);
    if (type == nullptr) {
        error = "out of memory";
        return false;
    }
    CFTypeRef factoryIDs = valueForUUIDKey(types, type);
    CFRelease(type);
    if (factoryIDs == nullptr || CFGetTypeID(factoryIDs) != CFArrayGetTypeID()) {
        error = "Info.plist names no factory for the dialog-extension plug-in type " +
                TextOrEmpty(typeID);
        return false;
    }
    factoryName = findFactoryName(factories, static_cast<CFArrayRef>(factoryIDs));
    if (factoryName.empty()) {
        error = "CFPlugInFactories names no function for the type's factories";
        return false;
    }
    return true;
}

} // namespace

bool LoadPlugInBundle(const std::string &path, CFStringRef typeID, LoadedBundle &loaded,
                      std::string &error) {
    loaded = LoadedBundle();
    std::string directory = path;
    while (directory.size() > 1 && directory.back() == '/')
        directory.pop_back();

    CFURLRef url = CFURLCreateFromFileSystemRepresentation(
        kCFAllocatorDefault, reinterpret_cast<const UInt8 *>(directory.c_str()),
        static_cast<CFIndex>(directory.size()), true);
    if (url == nullptr) {
        error = "out of memory";
        return false;
    }
    loaded.bundle = CFBundleCreate(kCFAllocatorDefault, url);
    CFRelease(url);
    if (loaded.bundle == nullptr) {
        error = "no bundle at " + directory;
        return false;
    }

    std::string executable;
    if (!findFactory(loaded.bundle, typeID, executable, loaded.factoryName, error)) {
        ReleasePlugInBundle(loaded);
        return false;
    }
    if (executable.empty() || executable.find('/') != std::string::npos) {
        error = "CFBundleExecutable \"" + executable + "\" is no file name";
        ReleasePlugInBundle(loaded);
        return false;
    }
    loaded.executablePath = directory + "/Contents/MacOS/" + executable;
    loaded.library = dlopen(loaded.executablePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (loaded.library == nullptr) {
        const char *why = dlerror();
        error = "cannot load " + loaded.executablePath + ": " + (why ? why : "unknown error");
        ReleasePlugInBundle(loaded);
        return false;
    }
    void *symbol = dlsym(loaded.library, loaded.factoryName.c_str());
    if (symbol == nullptr) {
        error = "the executable exports no factory function " + loaded.factoryName;
        dlclose(loaded.library);
        loaded.library = nullptr;
        ReleasePlugInBundle(loaded);
        return false;
    }
    loaded.factory = reinterpret_cast<PlugInFactoryFunction>(symbol);
    return true;
}

void ReleasePlugInBundle(LoadedBundle &loaded) {
    if (loaded.bundle != nullptr)
        CFRelease(loaded.bundle);
    loaded.bundle = nullptr;
    loaded.factory = nullptr;
}
