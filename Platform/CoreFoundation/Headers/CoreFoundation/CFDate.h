/*
 * CFDate.h
 *
 * Absolute time (seconds since 1 January 2001, 00:00:00 GMT) and date
 * objects, as property lists carry them.
 */
#ifndef __COREFOUNDATION_CFDATE__
#define __COREFOUNDATION_CFDATE__

#include <CoreFoundation/CFBase.h>

CF_EXTERN_C_BEGIN

typedef double CFTimeInterval;
typedef CFTimeInterval CFAbsoluteTime;

/* Dates come out of property lists */
typedef const struct __CFDate *CFDateRef;

CF_EXPORT CFAbsoluteTime CFDateGetAbsoluteTime(CFDateRef theDate);

CF_EXTERN_C_END

#endif /* __COREFOUNDATION_CFDATE__ */
