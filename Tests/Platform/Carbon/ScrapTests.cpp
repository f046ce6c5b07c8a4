/*
 * ScrapTests.cpp
 *
 * The clipboard with and without text: flavour sizes and data, partial
 * reads, the MacRoman and UTF-16 text flavours, replacing and clearing.
 */
#include "ToolboxTest.h"

namespace {

class Scrap : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        ASSERT_EQ(noErr, GetCurrentScrap(&mScrap));
    }
    ScrapRef mScrap = nullptr;
};

TEST_F(Scrap, AnEmptyClipboardHasNoText) {
    Size size = 42;
    EXPECT_EQ(noTypeErr, GetScrapFlavorSize(mScrap, kScrapFlavorTypeText, &size));
    char buffer[4];
    size = sizeof(buffer);
    EXPECT_EQ(noTypeErr, GetScrapFlavorData(mScrap, kScrapFlavorTypeText, &size, buffer));
    UInt32 count = 9;
    EXPECT_EQ(noErr, GetScrapFlavorCount(mScrap, &count));
    EXPECT_EQ(0u, count);
}

TEST_F(Scrap, TextGoesOnAsMacRomanAndUTF16) {
    ASSERT_EQ(noErr, HIStandInSetClipboardText(CFSTR("a\u00e9\u4e2d")));
    Size size = 0;
    EXPECT_EQ(noErr, GetScrapFlavorSize(mScrap, kScrapFlavorTypeText, &size));
    ASSERT_EQ(3, size);
    unsigned char bytes[3];
    EXPECT_EQ(noErr, GetScrapFlavorData(mScrap, kScrapFlavorTypeText, &size, bytes));
    EXPECT_EQ((std::vector<unsigned char>{'a', 0x8E, '?'}),
              std::vector<unsigned char>(bytes, bytes + 3));
    EXPECT_EQ(noErr, GetScrapFlavorSize(mScrap, kScrapFlavorTypeUnicode, &size));
    EXPECT_EQ(6, size);
    UniChar chars[3];
    EXPECT_EQ(noErr, GetScrapFlavorData(mScrap, kScrapFlavorTypeUnicode, &size, chars));
    EXPECT_EQ(0x4E2D, chars[2]);
}

TEST_F(Scrap, ReadsCopyAtMostTheRoomGiven) {
    ASSERT_EQ(noErr, PutScrapFlavor(mScrap, kScrapFlavorTypeText, 0, 5, "12345"));
    char buffer[8] = {0};
    Size size = 2;
    EXPECT_EQ(noErr, GetScrapFlavorData(mScrap, kScrapFlavorTypeText, &size, buffer));
    EXPECT_EQ(2, size);
    EXPECT_EQ("12", std::string(buffer));
    size = -1;
    EXPECT_EQ(paramErr, GetScrapFlavorData(mScrap, kScrapFlavorTypeText, &size, buffer));
    EXPECT_EQ(paramErr, GetScrapFlavorData(mScrap, kScrapFlavorTypeText, nullptr, buffer));
}

TEST_F(Scrap, PuttingAFlavourAgainReplacesItAndClearingEmptiesAll) {
    ASSERT_EQ(noErr, PutScrapFlavor(mScrap, kScrapFlavorTypeText, 0, 3, "abc"));
    ASSERT_EQ(noErr, PutScrapFlavor(mScrap, kScrapFlavorTypeText, 0, 1, "z"));
    Size size = 0;
    EXPECT_EQ(noErr, GetScrapFlavorSize(mScrap, kScrapFlavorTypeText, &size));
    EXPECT_EQ(1, size);
    // without 'utxt' the text is read from 'TEXT' as MacRoman
    ASSERT_EQ(noErr, PutScrapFlavor(mScrap, kScrapFlavorTypeText, 0, 1, "\x8E"));
    WindowRef window = NewWindow();
    ControlRef field = NewEditText(window);
    ASSERT_EQ(noErr, SetKeyboardFocus(window, field, kControlEditTextPart));
    EXPECT_EQ(noErr, HIStandInPaste());
    EXPECT_EQ("é", TextOf(field));
    DisposeWindow(window);
    EXPECT_EQ(noErr, ClearCurrentScrap());
    EXPECT_EQ(noTypeErr, GetScrapFlavorSize(mScrap, kScrapFlavorTypeText, &size));
    EXPECT_EQ(paramErr, PutScrapFlavor(mScrap, kScrapFlavorTypeText, 0, -1, "x"));
    EXPECT_EQ(paramErr, PutScrapFlavor(mScrap, kScrapFlavorTypeText, 0, 3, nullptr));
    EXPECT_EQ(paramErr, PutScrapFlavor((ScrapRef)&size, kScrapFlavorTypeText, 0, 1, "x"));
    EXPECT_EQ(paramErr, HIStandInSetClipboardText((CFStringRef)kCFBooleanFalse));
}

TEST_F(Scrap, AFailedPutLeavesTheClipboardAsItWas) {
    ASSERT_EQ(noErr, PutScrapFlavor(mScrap, kScrapFlavorTypeText, 0, 3, "abc"));
    CFStandInSetAllocationFailure(1, false);
    EXPECT_EQ(memFullErr, PutScrapFlavor(mScrap, kScrapFlavorTypeText, 0, 1, "z"));
    Size size = 0;
    EXPECT_EQ(noErr, GetScrapFlavorSize(mScrap, kScrapFlavorTypeText, &size));
    EXPECT_EQ(3, size);
}

} // namespace
