/*
 * CFURLAccess.h
 *
 * Reading and writing the resource that a file URL names.
 */
#ifndef __COREFOUNDATION_CFURLACCESS__
#define __COREFOUNDATION_CFURLACCESS__

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFURL.h>

CF_EXTERN_C_BEGIN

/* Properties that can be asked for; file URLs answer the first three */
CF_EXPORT const CFStringRef kCFURLFileExists;               /* CFBoolean */
CF_EXPORT const CFStringRef kCFURLFileDirectoryContents;    /* CFArray of CFURLs */
CF_EXPORT const CFStringRef kCFURLFileLength;               /* CFNumber */
CF_EXPORT const CFStringRef kCFURLFileLastModificationTime; /* CFDate */
CF_EXPORT const CFStringRef kCFURLFilePOSIXMode;            /* CFNumber */
CF_EXPORT const CFStringRef kCFURLFileOwnerID;              /* CFNumber */

typedef enum {
    kCFURLUnknownError = -10L,
    kCFURLUnknownSchemeError = -11L,
    kCFURLResourceNotFoundError = -12L,
    kCFURLResourceAccessViolationError = -13L,
    kCFURLRemoteHostUnavailableError = -14L,
    kCFURLImproperArgumentsError = -15L,
    kCFURLUnknownPropertyKeyError = -16L,
    kCFURLPropertyKeyUnavailableError = -17L,
    kCFURLTimeoutError = -18L
} CFURLError;

CF_EXPORT Boolean CFURLCreateDataAndPropertiesFromResource(CFAllocatorRef alloc, CFURLRef url,
                                                           CFDataRef *resourceData,
                                                           CFDictionaryRef *properties,
                                                           CFArrayRef desiredProperties,
                                                           SInt32 *errorCode);
CF_EXPORT Boolean CFURLWriteDataAndPropertiesToResource(CFURLRef url, CFDataRef dataToWrite,
                                                        CFDictionaryRef propertiesToWrite,
                                                        SInt32 *errorCode);
CF_EXPORT Boolean CFURLDestroyResource(CFURLRef url, SInt32 *errorCode);

CF_EXTERN_C_END

#endif /* __COREFOUNDATION_CFURLACCESS__ */
