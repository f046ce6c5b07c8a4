/*
 * MacMemory.h
 *
 * Pointer-based memory of the Memory Manager: NewPtr, NewPtrClear and
 * DisposePtr.
 */
#ifndef __MACMEMORY__
#define __MACMEMORY__

#include <MacTypes.h>
#include <CarbonCore/MacErrors.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A nonrelocatable block of byteCount bytes, or NULL when memory runs out. */
Ptr NewPtr(Size byteCount);
/* As NewPtr, with the block zero-filled. */
Ptr NewPtrClear(Size byteCount);
/* Frees a block from NewPtr/NewPtrClear; NULL is ignored. Any other pointer
 * is a misuse (the layer stops). */
void DisposePtr(Ptr p);

#ifdef __cplusplus
}
#endif

#endif /* __MACMEMORY__ */
