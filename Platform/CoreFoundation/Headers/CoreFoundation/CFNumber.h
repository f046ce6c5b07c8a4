/*
 * CFNumber.h
 *
 * Number objects holding one integer value, and the two boolean
 * singletons. The types are the platform's by value (those the product
 * names are declared); the floating-point ones are not carried:
 * CFNumberCreate gives NULL and CFNumberGetValue false for them.
 */
#ifndef __COREFOUNDATION_CFNUMBER__
#define __COREFOUNDATION_CFNUMBER__

#include <CoreFoundation/CFBase.h>

CF_EXTERN_C_BEGIN

typedef const struct __CFBoolean *CFBooleanRef;

CF_EXPORT const CFBooleanRef kCFBooleanTrue;
CF_EXPORT const CFBooleanRef kCFBooleanFalse;

CF_EXPORT CFTypeID CFBooleanGetTypeID(void);
CF_EXPORT Boolean CFBooleanGetValue(CFBooleanRef boolean);

typedef enum {
    kCFNumberSInt8Type = 1,
    kCFNumberSInt32Type = 3,
    kCFNumberSInt64Type = 4,
    kCFNumberIntType = 9,
    kCFNumberDoubleType = 13,
    kCFNumberMaxType = 16
} CFNumberType;

typedef const struct __CFNumber *CFNumberRef;

CF_EXPORT CFTypeID CFNumberGetTypeID(void);
CF_EXPORT CFNumberRef CFNumberCreate(CFAllocatorRef allocator, CFNumberType theType,
                                     const void *valuePtr);
/* Returns false when the value cannot be stored in theType without loss;
 * the converted (truncated) value is stored all the same. */
CF_EXPORT Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void *valuePtr);

CF_EXTERN_C_END

#endif /* __COREFOUNDATION_CFNUMBER__ */
