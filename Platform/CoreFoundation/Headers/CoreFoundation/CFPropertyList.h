/*
 * CFPropertyList.h
 *
 * Property lists: trees of strings, integers, booleans, arrays and
 * dictionaries, read as immutable objects.
 */
#ifndef __COREFOUNDATION_CFPROPERTYLIST__
#define __COREFOUNDATION_CFPROPERTYLIST__

#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFString.h>

CF_EXTERN_C_BEGIN

typedef enum { kCFPropertyListImmutable = 0 } CFPropertyListMutabilityOptions;

/* Reads XML data; on failure (or for a mutability option other than
 * kCFPropertyListImmutable, which is not supported) returns NULL and, if
 * errorString is given, a description that the caller releases. */
CF_EXPORT CFPropertyListRef CFPropertyListCreateFromXMLData(CFAllocatorRef allocator,
                                                            CFDataRef xmlData,
                                                            CFOptionFlags mutabilityOption,
                                                            CFStringRef *errorString);
CF_EXTERN_C_END

#endif /* __COREFOUNDATION_CFPROPERTYLIST__ */
