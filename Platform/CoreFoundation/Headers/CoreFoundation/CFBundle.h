/*
 * CFBundle.h
 *
 * Directory bundles: Contents/Info.plist, Contents/MacOS/<executable>,
 * Contents/Resources/ with non-localized resources and <language>.lproj
 * folders. Bundles are registered by identifier and by location while they
 * live, so that CFBundleGetBundleWithIdentifier finds them and creating a
 * bundle for the same location again returns the registered one.
 */
#ifndef __COREFOUNDATION_CFBUNDLE__
#define __COREFOUNDATION_CFBUNDLE__

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFURL.h>

CF_EXTERN_C_BEGIN

typedef struct __CFBundle *CFBundleRef;
typedef struct __CFBundle *CFPlugInRef;

CF_EXPORT CFTypeID CFBundleGetTypeID(void);

/* A registered (created and still live) bundle; not retained for the caller */
CF_EXPORT CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID);

CF_EXPORT CFBundleRef CFBundleCreate(CFAllocatorRef allocator, CFURLRef bundleURL);

/* Resources */
CF_EXPORT CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName,
                                           CFStringRef resourceType, CFStringRef subDirName);
CF_EXPORT CFStringRef CFBundleCopyLocalizedString(CFBundleRef bundle, CFStringRef key,
                                                  CFStringRef value, CFStringRef tableName);

CF_EXTERN_C_END

#endif /* __COREFOUNDATION_CFBUNDLE__ */
