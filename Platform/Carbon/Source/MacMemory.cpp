/*
 * MacMemory.cpp
 *
 * Nonrelocatable blocks (NewPtr and friends) and the block moves. Each
 * block carries a small header that links it into the list of live blocks,
 * so that GetPtrSize and DisposePtr recognise pointers that did not come
 * from NewPtr.
 */
#include "HIInternal.h"

namespace {

struct BlockHeader {
    BlockHeader *next, *prev;
    Size size;
    Size reserved; /* keeps the block 16-byte aligned */
};

BlockHeader *gBlocks = nullptr;
OSErr gMemError = noErr;

BlockHeader *FindBlock(Ptr p) {
    for (BlockHeader *b = gBlocks; b != nullptr; b = b->next)
        if (reinterpret_cast<Ptr>(b + 1) == p)
            return b;
    return nullptr;
}

Ptr Allocate(Size byteCount, bool clear) {
    if (byteCount < 0) {
        gMemError = paramErr;
        return nullptr;
    }
    BlockHeader *block =
        static_cast<BlockHeader *>(CFStandInAllocate(sizeof(BlockHeader) + (size_t)byteCount));
    if (block == nullptr) {
        gMemError = memFullErr;
        return nullptr;
    }
    block->size = byteCount;
    block->prev = nullptr;
    block->next = gBlocks;
    if (gBlocks != nullptr)
        gBlocks->prev = block;
    gBlocks = block;
    Ptr p = reinterpret_cast<Ptr>(block + 1);
    if (clear && byteCount > 0)
        memset(p, 0, (size_t)byteCount);
    gMemError = noErr;
    return p;
}

} // namespace

Ptr NewPtr(Size byteCount) {
    return Allocate(byteCount, false);
}
Ptr NewPtrClear(Size byteCount) {
    return Allocate(byteCount, true);
}

void DisposePtr(Ptr p) {
    if (p == nullptr) {
        gMemError = noErr;
        return;
    }
    BlockHeader *block = FindBlock(p);
    if (block == nullptr)
        CFStandInMisuse("DisposePtr", "%p is not a block from NewPtr (or was disposed of)",
                        (void *)p);
    if (block->prev != nullptr)
        block->prev->next = block->next;
    else
        gBlocks = block->next;
    if (block->next != nullptr)
        block->next->prev = block->prev;
    CFStandInDeallocate(block);
    gMemError = noErr;
}

Size GetPtrSize(Ptr p) {
    BlockHeader *block = p != nullptr ? FindBlock(p) : nullptr;
    if (block == nullptr) {
        gMemError = p == nullptr ? nilHandleErr : memWZErr;
        return 0;
    }
    gMemError = noErr;
    return block->size;
}

OSErr MemError(void) {
    return gMemError;
}

void BlockMove(const void *srcPtr, void *destPtr, Size byteCount) {
    BlockMoveData(srcPtr, destPtr, byteCount);
}

void BlockMoveData(const void *srcPtr, void *destPtr, Size byteCount) {
    if (byteCount <= 0)
        return;
    if (srcPtr == nullptr || destPtr == nullptr)
        CFStandInMisuse("BlockMove", "NULL pointer with a byte count of %ld", (long)byteCount);
    memmove(destPtr, srcPtr, (size_t)byteCount);
}

void BlockZero(void *destPtr, Size byteCount) {
    if (byteCount <= 0)
        return;
    if (destPtr == nullptr)
        CFStandInMisuse("BlockZero", "NULL pointer with a byte count of %ld", (long)byteCount);
    memset(destPtr, 0, (size_t)byteCount);
}
