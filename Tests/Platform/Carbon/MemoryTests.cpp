/*
 * MemoryTests.cpp
 *
 * Pointer memory: NewPtr, NewPtrClear, GetPtrSize, DisposePtr and
 * MemError, including allocation failure, and the overlapping block moves.
 */
#include "ToolboxTest.h"

namespace {

TEST(Memory, BlocksKnowTheirSizeAndClearBlocksAreZero) {
    Ptr p = NewPtrClear(100);
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(noErr, MemError());
    EXPECT_EQ(100, GetPtrSize(p));
    EXPECT_EQ(std::string(100, '\0'), std::string(p, 100));
    EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(p) % 16);
    DisposePtr(p);
    Ptr empty = NewPtr(0);
    ASSERT_NE(nullptr, empty);
    EXPECT_EQ(0, GetPtrSize(empty));
    DisposePtr(empty);
    DisposePtr(nullptr);
    EXPECT_EQ(noErr, MemError());
}

TEST(Memory, FailuresAreReportedThroughMemError) {
    EXPECT_EQ(nullptr, NewPtr(-1));
    EXPECT_EQ(paramErr, MemError());
    CFStandInSetAllocationFailure(1, false);
    EXPECT_EQ(nullptr, NewPtr(10));
    EXPECT_EQ(memFullErr, MemError());
    CFStandInSetAllocationFailure(0, false);
    char local[8];
    EXPECT_EQ(0, GetPtrSize(local));
    EXPECT_EQ(memWZErr, MemError());
}

TEST(Memory, BlockMoveHandlesOverlap) {
    char buffer[] = "abcdefgh";
    BlockMove(buffer, buffer + 2, 5); // forwards over itself
    EXPECT_EQ("ababcdeh", std::string(buffer));
    BlockMoveData(buffer + 2, buffer, 5); // backwards
    EXPECT_EQ("abcdedeh", std::string(buffer));
    BlockMove(nullptr, buffer, 0); // nothing to move
    BlockZero(buffer, 3);
    EXPECT_EQ('\0', buffer[2]);
    EXPECT_EQ('d', buffer[3]);
}

TEST(MemoryDeathTest, DisposingAForeignPointerIsMisuse) {
    char local[8];
    EXPECT_DEATH(DisposePtr(local), "DisposePtr: misuse");
    EXPECT_DEATH(
        {
            Ptr p = NewPtr(4);
            DisposePtr(p);
            DisposePtr(p);
        },
        "DisposePtr: misuse");
    EXPECT_DEATH(BlockMove(nullptr, local, 4), "BlockMove: misuse");
}

} // namespace
