/*
 * CFURLAccess.h
 *
 * Reading the resource that a file URL names.
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

typedef enum {
    kCFURLUnknownError = -10L,
    kCFURLResourceNotFoundError = -12L,
    kCFURLResourceAccessViolationError = -13L,
    kCFURLPropertyKeyUnavailableError = -17L
} CFURLError;

/* Reads the file's bytes. Properties are not reproduced: asking for them
 * fails with kCFURLPropertyKeyUnavailableError. */
CF_EXPORT Boolean CFURLCreateDataAndPropertiesFromResource(CFAllocatorRef alloc, CFURLRef url,
                                                           CFDataRef *resourceData,
                                                           CFDictionaryRef *properties,
                                                           CFArrayRef desiredProperties,
                                                           SInt32 *errorCode);

CF_EXTERN_C_END

#endif /* __COREFOUNDATION_CFURLACCESS__ */
