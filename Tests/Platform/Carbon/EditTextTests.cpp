/*
 * EditTextTests.cpp
 *
 * The edit text's standard handling of keystrokes and commands: the key
 * filter sees every key first and can refuse it; passed keys edit at the
 * selection; the paste command inserts the clipboard's text unless a
 * handler on the control swallows it; Command-V becomes that command;
 * dropped text bypasses both.
 */
#include "ToolboxTest.h"

namespace {

struct FilterCall {
    SInt16 charCode;
    EventModifiers modifiers;
};
std::vector<FilterCall> gFilterCalls;

/* Passes digits and every key with Command or below 0x20; refuses the rest. */
ControlKeyFilterResult DigitsFilter(ControlRef, SInt16 *, SInt16 *charCode,
                                    EventModifiers *modifiers) {
    gFilterCalls.push_back({*charCode, *modifiers});
    if ((*modifiers & cmdKey) != 0 || *charCode < 0x20 || *charCode == 0x7F)
        return kControlKeyFilterPassKey;
    return (*charCode >= '0' && *charCode <= '9') ? kControlKeyFilterPassKey
                                                  : kControlKeyFilterBlockKey;
}

/* A paste handler on the control: swallows the paste when its user data
 * says so, otherwise lets the standard handling go ahead. */
OSStatus PasteGate(EventHandlerCallRef call, EventRef event, void *userData) {
    HICommand command;
    if (GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof(command),
                          nullptr, &command) != noErr)
        return eventNotHandledErr;
    if (command.commandID == kHICommandPaste && *static_cast<bool *>(userData)) {
        SysBeep(1);
        return noErr;
    }
    return CallNextEventHandler(call, event);
}

class EditText : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        gFilterCalls.clear();
        mWindow = NewWindow();
        mField = NewEditText(mWindow, CFSTR("12"));
        ASSERT_EQ(noErr, SetKeyboardFocus(mWindow, mField, kControlEditTextPart));
    }
    void TearDown() override {
        DisposeWindow(mWindow);
        ToolboxTest::TearDown();
    }
    void SetFilter(ControlKeyFilterUPP filter) {
        ASSERT_EQ(noErr, SetControlData(mField, kControlEntireControl, kControlEditTextKeyFilterTag,
                                        sizeof(filter), &filter));
    }
    WindowRef mWindow = nullptr;
    ControlRef mField = nullptr;
};

TEST_F(EditText, TypedCharactersAreInsertedAtTheSelection) {
    EXPECT_EQ(noErr, HIStandInTypeText(CFSTR("34")));
    EXPECT_EQ("1234", TextOf(mField));
    Select(mField, 1, 3);
    EXPECT_EQ(noErr, HIStandInTypeCharacter(0x00E9, 0)); // é replaces "23"
    EXPECT_EQ("1é4", TextOf(mField));
    EXPECT_EQ(2, SelectionOf(mField).selStart);
    EXPECT_EQ(2, SelectionOf(mField).selEnd);
}

TEST_F(EditText, EditingKeysDeleteAndMoveTheCaret) {
    HIStandInTypeText(CFSTR("345")); // "12345", caret at 5
    HIStandInPressKey(kHIStandInKeyLeft, 0);
    HIStandInPressKey(kHIStandInKeyLeft, 0);
    HIStandInPressKey(kHIStandInKeyBackspace, 0); // removes "3"
    EXPECT_EQ("1245", TextOf(mField));
    HIStandInPressKey(kHIStandInKeyDelete, 0); // removes "4"
    EXPECT_EQ("125", TextOf(mField));
    HIStandInPressKey(kHIStandInKeyHome, 0);
    HIStandInPressKey(kHIStandInKeyBackspace, 0); // nothing before the caret
    HIStandInPressKey(kHIStandInKeyRight, 0);
    HIStandInTypeCharacter('x', 0);
    EXPECT_EQ("1x25", TextOf(mField));
    HIStandInPressKey(kHIStandInKeyEnd, 0);
    HIStandInPressKey(kHIStandInKeyDelete, 0); // nothing after the caret
    HIStandInPressKey(kHIStandInKeyRight, 0);
    EXPECT_EQ(4, SelectionOf(mField).selStart);
    Select(mField, 1, 3);
    HIStandInPressKey(kHIStandInKeyRight, 0); // collapses to the selection's end
    EXPECT_EQ(3, SelectionOf(mField).selStart);
    EXPECT_EQ(3, SelectionOf(mField).selEnd);
    Select(mField, 0, 2);
    HIStandInPressKey(kHIStandInKeyBackspace, 0); // deletes the selection only
    EXPECT_EQ("25", TextOf(mField));
}

TEST_F(EditText, TabReturnAndEscapeAreNotInsertedAndPassOn) {
    EXPECT_EQ(eventNotHandledErr, HIStandInPressKey(kHIStandInKeyReturn, 0));
    EXPECT_EQ(eventNotHandledErr, HIStandInPressKey(kHIStandInKeyEscape, 0));
    EXPECT_EQ(eventNotHandledErr, HIStandInTypeCharacter(0x01B, 0));
    // Tab goes to the window, which moves the focus on (here: back to the only field)
    EXPECT_EQ(noErr, HIStandInPressKey(kHIStandInKeyTab, 0));
    EXPECT_EQ("12", TextOf(mField));
}

TEST_F(EditText, KeyFilterSeesEveryKeyAndItsRefusalIsSilent) {
    SetFilter(DigitsFilter);
    EXPECT_EQ(noErr, HIStandInTypeText(CFSTR("3a4")));
    EXPECT_EQ("1234", TextOf(mField));
    HIStandInPressKey(kHIStandInKeyBackspace, 0);
    HIStandInPressKey(kHIStandInKeyLeft, shiftKey);
    ASSERT_EQ(5u, gFilterCalls.size());
    EXPECT_EQ('a', gFilterCalls[1].charCode);
    EXPECT_EQ(kBackspaceCharCode, gFilterCalls[3].charCode);
    EXPECT_EQ(kLeftArrowCharCode, gFilterCalls[4].charCode);
    EXPECT_EQ(shiftKey, gFilterCalls[4].modifiers);
    EXPECT_EQ(0, HIStandInGetBeepCount());
    EXPECT_EQ("123", TextOf(mField));
}

TEST_F(EditText, PasteInsertsTheClipboardTextAtTheSelection) {
    ASSERT_EQ(noErr, HIStandInSetClipboardText(CFSTR("abc")));
    Select(mField, 0, 1);
    EXPECT_EQ(noErr, HIStandInPaste());
    EXPECT_EQ("abc2", TextOf(mField));
    EXPECT_EQ(3, SelectionOf(mField).selStart);

    // the filter does not apply to a paste, and an empty clipboard pastes nothing
    SetFilter(DigitsFilter);
    EXPECT_EQ(noErr, HIStandInPaste());
    EXPECT_EQ("abcabc2", TextOf(mField));
    HIStandInSetClipboardText(nullptr);
    EXPECT_EQ(noErr, HIStandInPaste());
    EXPECT_EQ("abcabc2", TextOf(mField));
}

TEST_F(EditText, AHandlerOnTheControlDecidesWhetherThePasteHappens) {
    static bool swallow;
    swallow = true;
    EventTypeSpec eventType = {kEventClassCommand, kEventCommandProcess};
    ASSERT_EQ(noErr, InstallControlEventHandler(mField, NewEventHandlerUPP(PasteGate), 1,
                                                &eventType, &swallow, nullptr));
    HIStandInSetClipboardText(CFSTR("99"));
    EXPECT_EQ(noErr, HIStandInPaste());
    EXPECT_EQ("12", TextOf(mField));
    EXPECT_EQ(1, HIStandInGetBeepCount());
    swallow = false;
    EXPECT_EQ(noErr, HIStandInPaste());
    EXPECT_EQ("1299", TextOf(mField));
}

TEST_F(EditText, CommandKeysPassTheFilterAndBecomeCommands) {
    SetFilter(DigitsFilter);
    HIStandInSetClipboardText(CFSTR("7"));
    EXPECT_EQ(noErr, HIStandInTypeCharacter('v', cmdKey));
    EXPECT_EQ("127", TextOf(mField));
    ASSERT_EQ(1u, gFilterCalls.size());
    EXPECT_EQ(cmdKey, gFilterCalls[0].modifiers);

    EXPECT_EQ(noErr, HIStandInTypeCharacter('a', cmdKey)); // select all
    EXPECT_EQ(noErr, HIStandInTypeCharacter('x', cmdKey)); // cut
    EXPECT_EQ("", TextOf(mField));
    ScrapRef scrap = nullptr;
    GetCurrentScrap(&scrap);
    Size size = 0;
    EXPECT_EQ(noErr, GetScrapFlavorSize(scrap, kScrapFlavorTypeText, &size));
    EXPECT_EQ(3, size);
    EXPECT_EQ(eventNotHandledErr, HIStandInTypeCharacter('q', cmdKey));
}

TEST_F(EditText, DroppedTextBypassesFilterAndHandlers) {
    static bool swallow;
    swallow = true;
    SetFilter(DigitsFilter);
    EventTypeSpec eventType = {kEventClassCommand, kEventCommandProcess};
    ASSERT_EQ(noErr,
              InstallControlEventHandler(mField, PasteGate, 1, &eventType, &swallow, nullptr));
    Select(mField, 1, 1);
    EXPECT_EQ(noErr, HIStandInDropText(CFSTR("a-b")));
    EXPECT_EQ("1a-b2", TextOf(mField));
    EXPECT_TRUE(gFilterCalls.empty());
}

TEST_F(EditText, LockedFieldsIgnoreEditsButMoveTheCaret) {
    Boolean locked = true;
    ASSERT_EQ(noErr, SetControlData(mField, kControlEditTextPart, kControlEditTextLockedTag,
                                    sizeof(locked), &locked));
    HIStandInTypeText(CFSTR("3"));
    HIStandInPressKey(kHIStandInKeyBackspace, 0);
    HIStandInPressKey(kHIStandInKeyHome, 0);
    HIStandInSetClipboardText(CFSTR("x"));
    HIStandInPaste();
    EXPECT_EQ("12", TextOf(mField));
    EXPECT_EQ(0, SelectionOf(mField).selStart);
}

} // namespace
