/*
 * IBCarbonRuntime.h
 *
 * Nib references and windows made from nib files. A nib "<name>.nib" is
 * looked up in a bundle's resources; the file format this layer reads is
 * described in Platform/Carbon/README.md.
 */
#ifndef __IBCARBONRUNTIME__
#define __IBCARBONRUNTIME__

#include <CoreFoundation/CoreFoundation.h>
#include <CarbonCore/MacErrors.h>
#include <HIToolbox/MacWindows.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct OpaqueIBNibRef *IBNibRef;

/* The nib inNibName in inBundle's resources. kIBCarbonRuntimeCantFindNibFile
 * when there is none; kIBCarbonRuntimeObjectNotOfRequestedType when the file
 * is not a nib. */
OSStatus CreateNibReferenceWithCFBundle(CFBundleRef inBundle, CFStringRef inNibName,
                                        IBNibRef *outNibRef);
void DisposeNibReference(IBNibRef inNibRef);
/* A new window built from the nib's window inName, with its controls.
 * kIBCarbonRuntimeCantFindObject when the nib has no such window,
 * kIBCarbonRuntimeObjectNotOfRequestedType when its description is malformed. */
OSStatus CreateWindowFromNib(IBNibRef inNibRef, CFStringRef inName, WindowRef *outWindow);

#ifdef __cplusplus
}
#endif

#endif /* __IBCARBONRUNTIME__ */
