/*
 * CFData.h
 *
 * Byte buffer objects: made here, or read from a file
 * (CFURLCreateDataAndPropertiesFromResource), for property lists.
 */
#ifndef __COREFOUNDATION_CFDATA__
#define __COREFOUNDATION_CFDATA__

#include <CoreFoundation/CFBase.h>

CF_EXTERN_C_BEGIN

typedef const struct __CFData *CFDataRef;

CF_EXPORT CFDataRef CFDataCreate(CFAllocatorRef allocator, const UInt8 *bytes, CFIndex length);

CF_EXTERN_C_END

#endif /* __COREFOUNDATION_CFDATA__ */
