/*
 * BundleLoader.h
 *
 * Loads a dialog-extension bundle the way the platform's print dialog does:
 * the bundle's Contents/Info.plist names, under CFPlugInTypes, the factories
 * for the dialog-extension plug-in type, and under CFPlugInFactories the
 * function of each factory; the bundle's executable (Contents/MacOS/<the
 * CFBundleExecutable name>) is loaded with dlopen and the factory function
 * found by its plain name. Creating the bundle object registers the bundle,
 * so that the plug-in finds itself with CFBundleGetBundleWithIdentifier.
 */
#ifndef PDEHOST_BUNDLE_LOADER_H
#define PDEHOST_BUNDLE_LOADER_H

#include <CoreFoundation/CoreFoundation.h>

#include <string>

/* A plug-in factory: makes an instance for the requested type, or NULL. */
typedef void *(*PlugInFactoryFunction)(CFAllocatorRef allocator, CFUUIDRef typeID);

struct LoadedBundle {
    CFBundleRef bundle = nullptr; /* owned */
    void *library = nullptr;      /* the executable, from dlopen */
    PlugInFactoryFunction factory = nullptr;
    std::string factoryName;
    std::string executablePath;
};

/* Loads the bundle at `path` and finds the factory for the dialog-extension
   plug-in type (`typeID`, a UUID string). False with `error` set when the
   bundle, its property list, a factory or the executable is missing. */
bool LoadPlugInBundle(const std::string &path, CFStringRef typeID, LoadedBundle &loaded,
                      std::string &error);

/* Releases the bundle object. The executable stays loaded: code of the
   plug-in may still be referenced (as on the platform, where a loaded
   dialog extension stays loaded for the life of the process). */
void ReleasePlugInBundle(LoadedBundle &loaded);

#endif /* PDEHOST_BUNDLE_LOADER_H */
