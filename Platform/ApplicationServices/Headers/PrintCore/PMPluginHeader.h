/*
 * PMPluginHeader.h
 *
 * The header that every printing plug-in interface starts with: reference
 * counting and the API version.
 */
#ifndef __PMPLUGINHEADER__
#define __PMPLUGINHEADER__

#include <PrintCore/PMDefinitions.h>

#ifdef __cplusplus
extern "C" {
#endif

struct PMPlugInAPIVersion {
    UInt32 buildVersionMajor;
    UInt32 buildVersionMinor;
    UInt32 baseVersionMajor;
    UInt32 baseVersionMinor;
};
typedef struct PMPlugInAPIVersion PMPlugInAPIVersion;

typedef struct PMPlugInHeaderInterface PMPlugInHeaderInterface;

struct PMPlugInHeader {
    OSStatus (*Retain)(PMPlugInHeaderInterface *obj);
    OSStatus (*Release)(PMPlugInHeaderInterface **objPtr);
    OSStatus (*GetAPIVersion)(PMPlugInHeaderInterface *obj, PMPlugInAPIVersion *versionPtr);
};
typedef struct PMPlugInHeader PMPlugInHeader;

struct PMPlugInHeaderInterface {
    const PMPlugInHeader *vtable;
};

#ifdef __cplusplus
}
#endif

#endif /* __PMPLUGINHEADER__ */
