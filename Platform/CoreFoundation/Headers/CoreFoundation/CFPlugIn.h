/*
 * CFPlugIn.h
 *
 * Plug-ins: bundles whose Info.plist names factories (CFPlugInFactories)
 * for plug-in types (CFPlugInTypes), and the registry of live instances
 * per factory.
 */
#ifndef __COREFOUNDATION_CFPLUGIN__
#define __COREFOUNDATION_CFPLUGIN__

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFBundle.h>
#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFURL.h>
#include <CoreFoundation/CFUUID.h>

CF_EXTERN_C_BEGIN

typedef void *(*CFPlugInFactoryFunction)(CFAllocatorRef allocator, CFUUIDRef typeUUID);

CF_EXPORT CFPlugInRef CFPlugInCreate(CFAllocatorRef allocator, CFURLRef plugInURL);

/* Factories (CFUUIDs) of every registered plug-in bundle that make typeUUID */
CF_EXPORT CFArrayRef CFPlugInFindFactoriesForPlugInType(CFUUIDRef typeUUID);
/* Loads the factory's bundle (dlopen; loaded code stays loaded) and calls
 * its factory function */
CF_EXPORT void *CFPlugInInstanceCreate(CFAllocatorRef allocator, CFUUIDRef factoryUUID,
                                       CFUUIDRef typeUUID);

/* Called by a factory when it makes an instance, and by the instance when it
 * goes away. Removing more instances than were added stops the program. */
CF_EXPORT void CFPlugInAddInstanceForFactory(CFUUIDRef factoryID);
CF_EXPORT void CFPlugInRemoveInstanceForFactory(CFUUIDRef factoryID);

CF_EXTERN_C_END

#include <CoreFoundation/CFPlugInCOM.h>

#endif /* __COREFOUNDATION_CFPLUGIN__ */
