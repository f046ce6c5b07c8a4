/*
 * KeyboardFocusTests.cpp
 *
 * Keyboard focus: which controls can take it, refusal for hidden and
 * disabled controls, losing it when the control is hidden, disabled,
 * disposed of or moved away, Tab order, and typing without a focus.
 */
#include "ToolboxTest.h"

namespace {

class KeyboardFocus : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        mWindow = NewWindow();
        mFirst = NewEditText(mWindow, CFSTR("one"));
        mSecond = NewEditText(mWindow, CFSTR("two"));
    }
    void TearDown() override {
        DisposeWindow(mWindow);
        ToolboxTest::TearDown();
    }
    ControlRef Focus() {
        ControlRef focus = (ControlRef)1;
        EXPECT_EQ(noErr, GetKeyboardFocus(mWindow, &focus));
        return focus;
    }
    WindowRef mWindow = nullptr;
    ControlRef mFirst = nullptr, mSecond = nullptr;
};

TEST_F(KeyboardFocus, OnlyVisibleEnabledEditTextsTakeTheFocus) {
    EXPECT_EQ(nullptr, Focus());
    Rect r = {0, 0, 20, 100};
    ControlRef label = nullptr;
    ASSERT_EQ(noErr, CreateStaticTextControl(mWindow, &r, CFSTR("x"), nullptr, &label));
    EXPECT_EQ(errControlDoesntSupportFocus,
              SetKeyboardFocus(mWindow, label, kControlFocusNextPart));
    DisableControl(mFirst);
    EXPECT_EQ(errControlHiddenOrDisabled, SetKeyboardFocus(mWindow, mFirst, kControlEditTextPart));
    HideControl(mSecond);
    EXPECT_EQ(errControlHiddenOrDisabled, SetKeyboardFocus(mWindow, mSecond, kControlEditTextPart));
    EXPECT_EQ(nullptr, Focus());
    ShowControl(mSecond);
    EXPECT_EQ(noErr, SetKeyboardFocus(mWindow, mSecond, kControlEditTextPart));
    EXPECT_EQ(mSecond, Focus());
    EXPECT_EQ(mSecond, HIStandInGetFocusedControl());

    WindowRef other = NewWindow();
    EXPECT_EQ(paramErr, SetKeyboardFocus(other, mSecond, kControlEditTextPart));
    DisposeWindow(other);
}

TEST_F(KeyboardFocus, TheFocusIsLostWhenItsControlCannotHoldIt) {
    ASSERT_EQ(noErr, SetKeyboardFocus(mWindow, mFirst, kControlEditTextPart));
    HideControl(mFirst);
    EXPECT_EQ(nullptr, Focus());
    ShowControl(mFirst);
    EXPECT_EQ(nullptr, Focus()); // it does not come back by itself

    ASSERT_EQ(noErr, SetKeyboardFocus(mWindow, mFirst, kControlEditTextPart));
    DisableControl(mFirst);
    EXPECT_EQ(nullptr, Focus());
    EnableControl(mFirst);

    ASSERT_EQ(noErr, SetKeyboardFocus(mWindow, mFirst, kControlEditTextPart));
    DisposeControl(mFirst);
    EXPECT_EQ(nullptr, Focus());
    EXPECT_EQ(nullptr, HIStandInGetFocusedControl());

    WindowRef other = NewWindow();
    ControlRef pane = NewPane(other, {0, 0, 100, 100});
    ASSERT_EQ(noErr, SetKeyboardFocus(mWindow, mSecond, kControlEditTextPart));
    ASSERT_EQ(noErr, EmbedControl(mSecond, pane));
    EXPECT_EQ(nullptr, Focus());
    DisposeWindow(other);
}

TEST_F(KeyboardFocus, ClearingAndPartNoneRemoveTheFocus) {
    ASSERT_EQ(noErr, SetKeyboardFocus(mWindow, mFirst, kControlEditTextPart));
    EXPECT_EQ(noErr, SetKeyboardFocus(mWindow, mFirst, kControlFocusNoPart));
    EXPECT_EQ(nullptr, Focus());
    ASSERT_EQ(noErr, SetKeyboardFocus(mWindow, mFirst, kControlEditTextPart));
    EXPECT_EQ(noErr, ClearKeyboardFocus(mWindow));
    EXPECT_EQ(nullptr, Focus());
}

TEST_F(KeyboardFocus, TabMovesThroughTheFieldsAndSelectsTheirText) {
    ASSERT_EQ(noErr, SetKeyboardFocus(mWindow, mFirst, kControlEditTextPart));
    EXPECT_EQ(noErr, HIStandInPressKey(kHIStandInKeyTab, 0));
    EXPECT_EQ(mSecond, Focus());
    EXPECT_EQ(0, SelectionOf(mSecond).selStart);
    EXPECT_EQ(3, SelectionOf(mSecond).selEnd);
    EXPECT_EQ(noErr, HIStandInPressKey(kHIStandInKeyTab, 0)); // wraps around
    EXPECT_EQ(mFirst, Focus());
    EXPECT_EQ(noErr, HIStandInPressKey(kHIStandInKeyTab, shiftKey)); // and back
    EXPECT_EQ(mSecond, Focus());
    DisableControl(mFirst);
    EXPECT_EQ(noErr, HIStandInPressKey(kHIStandInKeyTab, 0)); // skips the disabled field
    EXPECT_EQ(mSecond, Focus());
}

TEST_F(KeyboardFocus, TypingWithoutAFocusFails) {
    EXPECT_EQ(errUnknownControl, HIStandInTypeCharacter('a', 0));
    EXPECT_EQ(errUnknownControl, HIStandInPressKey(kHIStandInKeyBackspace, 0));
    EXPECT_EQ(errUnknownControl, HIStandInPaste());
    EXPECT_EQ(errUnknownControl, HIStandInDropText(CFSTR("a")));
    EXPECT_EQ("one", TextOf(mFirst));
    EXPECT_EQ(noErr, HIStandInSetControlCallFailure(mFirst, "SetKeyboardFocus", -1));
    EXPECT_EQ(-1, SetKeyboardFocus(mWindow, mFirst, kControlEditTextPart));
}

} // namespace
