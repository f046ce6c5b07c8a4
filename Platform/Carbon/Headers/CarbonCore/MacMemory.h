/*
 * MacMemory.h
 *
 * Pointer-based memory of the Memory Manager: NewPtr, NewPtrClear,
 * DisposePtr, GetPtrSize, MemError and the block moves.
 */
#ifndef __MACMEMORY__
#define __MACMEMORY__

#include <MacTypes.h>
#include <CarbonCore/MacErrors.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A nonrelocatable block of byteCount bytes, or NULL with MemError() memFullErr. */
Ptr NewPtr(Size byteCount);
/* As NewPtr, with the block zero-filled. */
Ptr NewPtrClear(Size byteCount);
/* Frees a block from NewPtr/NewPtrClear; NULL is ignored (MemError() nilHandleErr). */
void DisposePtr(Ptr p);
/* Logical size of a block from NewPtr, or 0 with MemError() memWZErr for other pointers. */
Size GetPtrSize(Ptr p);
/* Result of the most recent Memory Manager call. */
OSErr MemError(void);

/* Copy byteCount bytes; source and destination may overlap. */
void BlockMove(const void *srcPtr, void *destPtr, Size byteCount);
void BlockMoveData(const void *srcPtr, void *destPtr, Size byteCount);
void BlockZero(void *destPtr, Size byteCount);

#ifdef __cplusplus
}
#endif

#endif /* __MACMEMORY__ */
