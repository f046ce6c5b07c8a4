/*
 * CFDictionary.h
 *
 * Key-value collections of CF objects, as property lists and strings tables
 * are read: immutable.
 */
#ifndef __COREFOUNDATION_CFDICTIONARY__
#define __COREFOUNDATION_CFDICTIONARY__

#include <CoreFoundation/CFBase.h>

CF_EXTERN_C_BEGIN

typedef const struct __CFDictionary *CFDictionaryRef;

CF_EXPORT CFTypeID CFDictionaryGetTypeID(void);
/* The value under key (compared with CFEqual), borrowed; NULL when none. */
CF_EXPORT const void *CFDictionaryGetValue(CFDictionaryRef theDict, const void *key);

CF_EXTERN_C_END

#endif /* __COREFOUNDATION_CFDICTIONARY__ */
