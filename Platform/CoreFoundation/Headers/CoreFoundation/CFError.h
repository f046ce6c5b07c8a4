/*
 * CFError.h
 *
 * Error objects, as the property-list calls report failures.
 */
#ifndef __COREFOUNDATION_CFERROR__
#define __COREFOUNDATION_CFERROR__

#include <CoreFoundation/CFBase.h>

CF_EXTERN_C_BEGIN

typedef struct __CFError *CFErrorRef;

/* Errors come out of property-list calls; their domain is the Cocoa one */
CF_EXPORT CFIndex CFErrorGetCode(CFErrorRef err);

CF_EXTERN_C_END

#endif /* __COREFOUNDATION_CFERROR__ */
