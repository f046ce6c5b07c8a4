/*
 * CFBase.h
 *
 * The object runtime of the CoreFoundation layer: the polymorphic reference
 * types, ranges, comparison results, allocators, and the calls that every
 * object answers (retain, release, type, equality).
 */
#ifndef __COREFOUNDATION_CFBASE__
#define __COREFOUNDATION_CFBASE__

#include <MacTypes.h>
#include <stdarg.h>
#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define CF_EXTERN_C_BEGIN extern "C" {
#define CF_EXTERN_C_END }
#else
#define CF_EXTERN_C_BEGIN
#define CF_EXTERN_C_END
#endif

#define CF_EXPORT extern __attribute__((visibility("default")))
#define CF_INLINE static __inline__

#if !defined(TRUE)
#define TRUE 1
#endif
#if !defined(FALSE)
#define FALSE 0
#endif

CF_EXTERN_C_BEGIN

typedef unsigned long CFTypeID;
typedef unsigned long CFOptionFlags;
typedef signed long CFIndex;

/* Polymorphic reference to any object of the runtime */
typedef const void *CFTypeRef;

typedef const struct __CFString *CFStringRef;

/* A property list is a string, data, number, boolean, date, array or dictionary */
typedef CFTypeRef CFPropertyListRef;

typedef enum {
    kCFCompareLessThan = -1L,
    kCFCompareEqualTo = 0,
    kCFCompareGreaterThan = 1
} CFComparisonResult;

typedef struct {
    CFIndex location;
    CFIndex length;
} CFRange;

CF_INLINE CFRange CFRangeMake(CFIndex loc, CFIndex len) {
    CFRange range;
    range.location = loc;
    range.length = len;
    return range;
}

/* Allocators: every allocation of this layer comes from the one heap of
 * CFStandInAllocate, whatever allocator is named. */
typedef const struct __CFAllocator *CFAllocatorRef;

CF_EXPORT const CFAllocatorRef kCFAllocatorDefault; /* NULL */
CF_EXPORT const CFAllocatorRef kCFAllocatorSystemDefault;

/* Polymorphic functions */
CF_EXPORT CFTypeID CFGetTypeID(CFTypeRef cf);
CF_EXPORT CFTypeRef CFRetain(CFTypeRef cf);
CF_EXPORT void CFRelease(CFTypeRef cf);
CF_EXPORT Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2);

CF_EXTERN_C_END

#endif /* __COREFOUNDATION_CFBASE__ */
