/*
 * CFStandIn.h
 *
 * Extensions of the CoreFoundation layer that are not platform API: object
 * accounting, the plug-in registry counts, misuse reporting, the allocator
 * through which the whole layer allocates (with fault injection for tests),
 * and a small class registry through which other frameworks of the layer
 * can make their own reference types CF objects.
 */
#ifndef __STANDIN_CFSTANDIN__
#define __STANDIN_CFSTANDIN__

#include <CoreFoundation/CoreFoundation.h>
#include <stddef.h>

CF_EXTERN_C_BEGIN

/* ---- Accounting --------------------------------------------------------- */

/* Live (non-immortal) objects of every type. Constant strings (CFSTR), the
 * booleans, the allocators, the main bundle and constant UUIDs
 * (CFUUIDGetConstantUUIDWithBytes) are never freed and are not counted. */
CF_EXPORT CFIndex CFStandInGetLiveObjectCount(void);
/* Live objects of one type */
CF_EXPORT CFIndex CFStandInGetLiveObjectCountOfType(CFTypeID typeID);

/* Live instances registered with CFPlugInAddInstanceForFactory, minus those
 * removed, for one factory and for all factories. */
CF_EXPORT CFIndex CFStandInGetPlugInInstanceCount(CFUUIDRef factoryID);
CF_EXPORT CFIndex CFStandInGetTotalPlugInInstanceCount(void);

/* ---- Misuse -------------------------------------------------------------- */

/* Writes "<call>: misuse: <message>" to standard error and aborts. Called
 * wherever the platform would crash or corrupt memory: CFRelease(NULL), a
 * release beyond the last reference, a reference of the wrong type. */
CF_EXPORT void CFStandInMisuse(const char *call, const char *fmt, ...)
    __attribute__((noreturn, format(printf, 2, 3)));

/* ---- Allocation and fault injection -------------------------------------- */

/* Every heap allocation of the layer goes through these two calls.
 * CFStandInAllocate returns NULL when the allocation fails (really or by
 * injection); CFStandInDeallocate(NULL) does nothing. */
CF_EXPORT void *CFStandInAllocate(size_t size);
CF_EXPORT void CFStandInDeallocate(void *ptr);

/* Makes the nth allocation from now on fail (1: the next one); with
 * persistent, every later one fails too. 0 disables injection. */
CF_EXPORT void CFStandInSetAllocationFailure(long nth, Boolean persistent);
/* Allocations refused by injection so far */
CF_EXPORT long CFStandInGetFailedAllocationCount(void);
/* Blocks allocated and not yet deallocated */
CF_EXPORT long CFStandInGetOutstandingAllocationCount(void);

/* ---- Classes for other frameworks of the layer --------------------------- */

typedef struct CFStandInClass {
    const char *className;                          /* e.g. "PMTicket" */
    void (*finalize)(CFTypeRef cf);                 /* may be NULL */
    Boolean (*equal)(CFTypeRef cf1, CFTypeRef cf2); /* NULL: identity */
} CFStandInClass;

/* Registers a class (the record must stay valid) and returns its type id,
 * or 0 (_kCFRuntimeNotATypeID) when the table is full. */
CF_EXPORT CFTypeID CFStandInRegisterClass(const CFStandInClass *cls);
/* Makes an object of a registered class with extraBytes of zero-filled
 * instance data, retain count 1, counted as live; NULL when memory runs out. */
CF_EXPORT CFTypeRef CFStandInCreateInstance(CFAllocatorRef allocator, CFTypeID typeID,
                                            CFIndex extraBytes);
/* The instance data of an object made by CFStandInCreateInstance */
CF_EXPORT void *CFStandInGetInstanceData(CFTypeRef cf);
/* True for a live or immortal object of this runtime */
CF_EXPORT Boolean CFStandInIsValidObject(CFTypeRef cf);

CF_EXTERN_C_END

#endif /* __STANDIN_CFSTANDIN__ */
