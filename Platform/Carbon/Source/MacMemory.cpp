/*
 * MacMemory.cpp
 *
 * Nonrelocatable blocks (NewPtr and friends). Each block carries a small
 * header that links it into the list of live blocks, so that DisposePtr
 * recognises pointers that did not come from NewPtr.
 */
#include "HIInternal.h"

namespace {

struct BlockHeader {
    BlockHeader *allNext;
    Size size;
    Size reserved; /* keeps the block 16-byte aligned */
};

HILiveList<BlockHeader> gBlocks;

Ptr Allocate(Size byteCount, bool clear) {
    if (byteCount < 0)
        return nullptr;
    BlockHeader *block =
        static_cast<BlockHeader *>(CFStandInAllocate(sizeof(BlockHeader) + (size_t)byteCount));
    if (block == nullptr)
        return nullptr;
    block->size = byteCount;
    gBlocks.add(block);
    Ptr p = reinterpret_cast<Ptr>(block + 1);
    if (clear && byteCount > 0)
        memset(p, 0, (size_t)byteCount);
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
    if (p == nullptr)
        return;
    BlockHeader *block = gBlocks.head;
    while (block != nullptr && reinterpret_cast<Ptr>(block + 1) != p)
        block = block->allNext;
    if (block == nullptr)
        CFStandInMisuse("DisposePtr", "%p is not a block from NewPtr (or was disposed of)",
                        (void *)p);
    gBlocks.remove(block);
    CFStandInDeallocate(block);
}
