/*
 * CheckBoxTests.cpp
 *
 * Clicks: a check box toggles and sends its command, which reaches a
 * handler installed on the user pane it is embedded in; no command ID, no
 * command; a disabled or hidden control ignores the click; a push button
 * sends its command without a value change; an edit text takes the focus.
 */
#include "ToolboxTest.h"

namespace {

struct Received {
    int count = 0;
    HICommandExtended command;
    SInt16 valueSeen = -1;
};

OSStatus PaneHandler(EventHandlerCallRef call, EventRef event, void *userData) {
    Received *received = static_cast<Received *>(userData);
    received->count++;
    EXPECT_EQ(noErr, GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr,
                                       sizeof(received->command), nullptr, &received->command));
    received->valueSeen = GetControlValue(received->command.source.control);
    return CallNextEventHandler(call, event);
}

class CheckBox : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        mWindow = NewWindow();
        mPane = NewPane(mWindow, {10, 20, 310, 420});
        Rect r = {30, 28, 48, 200};
        ASSERT_EQ(noErr, CreateCheckBoxControl(mWindow, &r, CFSTR("Use"), 0, true, &mBox));
        ASSERT_EQ(noErr, EmbedControl(mBox, mPane));
        ASSERT_EQ(noErr, SetControlCommandID(mBox, FourCC("jlcb")));
        EventTypeSpec eventType = {kEventClassCommand, kEventCommandProcess};
        ASSERT_EQ(noErr, InstallControlEventHandler(mPane, PaneHandler, 1, &eventType, &mReceived,
                                                    nullptr));
    }
    void TearDown() override {
        DisposeWindow(mWindow);
        ToolboxTest::TearDown();
    }
    WindowRef mWindow = nullptr;
    ControlRef mPane = nullptr, mBox = nullptr;
    Received mReceived;
};

TEST_F(CheckBox, ClickTogglesAndTheCommandReachesTheEmbedder) {
    EXPECT_EQ(noErr, HIStandInClickControl(mBox));
    EXPECT_EQ(1, GetControlValue(mBox));
    ASSERT_EQ(1, mReceived.count);
    EXPECT_EQ(FourCC("jlcb"), mReceived.command.commandID);
    EXPECT_EQ((UInt32)kHICommandFromControl, mReceived.command.attributes);
    EXPECT_EQ(mBox, mReceived.command.source.control);
    EXPECT_EQ(1, mReceived.valueSeen); // the value changes before the command is sent

    EXPECT_EQ(noErr, HIStandInClickControl(mBox));
    EXPECT_EQ(0, GetControlValue(mBox));
    EXPECT_EQ(2, mReceived.count);
    SetControlValue(mBox, kControlCheckBoxMixedValue);
    HIStandInClickControl(mBox);
    EXPECT_EQ(0, GetControlValue(mBox));
}

TEST_F(CheckBox, WithoutCommandIDNoCommandIsSent) {
    ASSERT_EQ(noErr, SetControlCommandID(mBox, 0));
    EXPECT_EQ(noErr, HIStandInClickControl(mBox));
    EXPECT_EQ(1, GetControlValue(mBox));
    EXPECT_EQ(0, mReceived.count);
}

TEST_F(CheckBox, DisabledOrHiddenControlsIgnoreClicks) {
    DisableControl(mPane); // disabled through its embedder
    EXPECT_EQ(errControlHiddenOrDisabled, HIStandInClickControl(mBox));
    EnableControl(mPane);
    HideControl(mBox);
    EXPECT_EQ(errControlHiddenOrDisabled, HIStandInClickControl(mBox));
    EXPECT_EQ(0, GetControlValue(mBox));
    EXPECT_EQ(0, mReceived.count);
    EXPECT_EQ(errUnknownControl, HIStandInClickControl((ControlRef)mWindow));
}

TEST_F(CheckBox, WithoutAutoToggleOnlyTheCommandIsSent) {
    Rect r = {0, 0, 20, 100};
    ControlRef manual = nullptr, button = nullptr;
    ASSERT_EQ(noErr, CreateCheckBoxControl(mWindow, &r, CFSTR("Manual"), 0, false, &manual));
    ASSERT_EQ(noErr, CreatePushButtonControl(mWindow, &r, CFSTR("OK"), &button));
    ASSERT_EQ(noErr, EmbedControl(manual, mPane));
    ASSERT_EQ(noErr, EmbedControl(button, mPane));
    SetControlCommandID(manual, FourCC("man "));
    SetControlCommandID(button, kHICommandOK);
    EXPECT_EQ(noErr, HIStandInClickControl(manual));
    EXPECT_EQ(0, GetControlValue(manual));
    EXPECT_EQ(FourCC("man "), mReceived.command.commandID);
    EXPECT_EQ(noErr, HIStandInClickControl(button));
    EXPECT_EQ((UInt32)kHICommandOK, mReceived.command.commandID);
    EXPECT_EQ(2, mReceived.count);
}

TEST_F(CheckBox, ClickingAnEditTextGivesItTheFocus) {
    ControlRef field = NewEditText(mWindow);
    EXPECT_EQ(noErr, HIStandInClickControl(field));
    EXPECT_EQ(field, HIStandInGetFocusedControl());
}

} // namespace
