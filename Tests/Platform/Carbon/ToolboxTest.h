/*
 * ToolboxTest.h
 *
 * Fixture of the toolbox tests: a clean observer, clipboard and allocator
 * before each test, and a check afterwards, through the layer's own
 * counters, that the test left no window, control, handler, event or nib.
 */
#ifndef TOOLBOXTEST_H
#define TOOLBOXTEST_H

#include <Carbon/Carbon.h>
#include <StandIn/CFStandIn.h>
#include <StandIn/HIStandIn.h>

#include <gtest/gtest.h>

#include <string>

class ToolboxTest : public ::testing::Test {
protected:
    static long Live() {
        return HIStandInGetLiveWindowCount() + HIStandInGetLiveControlCount() +
               HIStandInGetLiveHandlerCount() + HIStandInGetLiveEventCount() +
               HIStandInGetLiveNibCount() + CFStandInGetLiveObjectCount();
    }
    void SetUp() override {
        HIStandInSetObserver(nullptr);
        HIStandInSetClipboardText(nullptr);
        mLive = Live();
    }
    void TearDown() override {
        CFStandInSetAllocationFailure(0, false);
        HIStandInSetObserver(nullptr);
        EXPECT_EQ(mLive, Live()) << "toolbox or CF objects left behind";
    }
    static WindowRef NewWindow() {
        Rect content = {50, 100, 350, 500};
        WindowRef window = nullptr;
        EXPECT_EQ(noErr, CreateNewWindow(kDocumentWindowClass, 0, &content, &window));
        return window;
    }
    static ControlRef NewField(WindowRef window, CFStringRef text, bool password = false) {
        Rect bounds = {10, 10, 30, 110};
        ControlRef field = nullptr;
        EXPECT_EQ(noErr,
                  CreateEditUnicodeTextControl(window, &bounds, text, password, nullptr, &field));
        return field;
    }
    long mLive = 0;
};

/* The text of a control read through a CFString tag, as UTF-8 */
inline std::string TextOf(ControlRef control, ResType tag = kControlEditTextCFStringTag) {
    CFStringRef text = nullptr;
    OSErr err = GetControlData(control, kControlEntireControl, tag, sizeof(text), &text, nullptr);
    if (err != noErr)
        return "error " + std::to_string(err);
    char buffer[256] = "";
    CFStringGetCString(text, buffer, sizeof(buffer), kCFStringEncodingUTF8);
    CFRelease(text);
    return buffer;
}

#endif /* TOOLBOXTEST_H */
