/*
 * ControlDataTests.cpp
 *
 * Control data by tag: the text of edit, password and static texts as a
 * string and as MacRoman bytes, the selection, the key filter routine, the
 * sizes each tag requires, and the refusals for tags and parts a control
 * does not have.
 */
#include "ToolboxTest.h"

namespace {

class ControlData : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        mWindow = NewWindow();
    }
    void TearDown() override {
        DisposeWindow(mWindow);
        ToolboxTest::TearDown();
    }
    WindowRef mWindow = nullptr;
};

ControlKeyFilterResult BlockAll(ControlRef, SInt16 *, SInt16 *, EventModifiers *) {
    return kControlKeyFilterBlockKey;
}

TEST_F(ControlData, EditTextStringRoundTripsAndPutsTheCaretAtTheEnd) {
    ControlRef field = NewEditText(mWindow, CFSTR("abc"));
    EXPECT_EQ("abc", TextOf(field));
    CFStringRef text = CFSTR("Grüße");
    EXPECT_EQ(noErr, SetControlData(field, kControlEditTextPart, kControlEditTextCFStringTag,
                                    sizeof(text), &text));
    EXPECT_EQ("Grüße", TextOf(field));
    ControlEditTextSelectionRec selection = SelectionOf(field);
    EXPECT_EQ(5, selection.selStart);
    EXPECT_EQ(5, selection.selEnd);

    // 'text' is MacRoman: ü is 0x9F, ß is 0xA7; the size is asked first
    Size size = 0;
    EXPECT_EQ(noErr,
              GetControlDataSize(field, kControlEditTextPart, kControlEditTextTextTag, &size));
    ASSERT_EQ(5, size);
    unsigned char bytes[8] = {0};
    Size actual = 0;
    EXPECT_EQ(noErr, GetControlData(field, kControlEditTextPart, kControlEditTextTextTag, 3, bytes,
                                    &actual));
    EXPECT_EQ(5, actual); // the full size is reported, only 3 bytes are copied
    EXPECT_EQ((std::vector<unsigned char>{'G', 'r', 0x9F, 0}),
              std::vector<unsigned char>(bytes, bytes + 4));
    const char macRoman[] = "caf\x8E";
    EXPECT_EQ(noErr,
              SetControlData(field, kControlEditTextPart, kControlEditTextTextTag, 4, macRoman));
    EXPECT_EQ("café", TextOf(field));
}

TEST_F(ControlData, SelectionIsClampedAndOrdered) {
    ControlRef field = NewEditText(mWindow, CFSTR("12345"));
    Select(field, 4, 1);
    EXPECT_EQ(1, SelectionOf(field).selStart);
    EXPECT_EQ(4, SelectionOf(field).selEnd);
    Select(field, 2, 99);
    EXPECT_EQ(2, SelectionOf(field).selStart);
    EXPECT_EQ(5, SelectionOf(field).selEnd);
    ControlEditTextSelectionRec selection = {0, 0};
    EXPECT_EQ(errDataSizeMismatch, SetControlData(field, kControlEditTextPart,
                                                  kControlEditTextSelectionTag, 2, &selection));
    EXPECT_EQ(errDataSizeMismatch,
              GetControlData(field, kControlEditTextPart, kControlEditTextSelectionTag, 8,
                             &selection, nullptr));
}

TEST_F(ControlData, KeyFilterIsStoredAndReadBack) {
    ControlRef field = NewEditText(mWindow);
    ControlKeyFilterUPP filter = NewControlKeyFilterUPP(BlockAll);
    EXPECT_EQ(noErr, SetControlData(field, kControlEntireControl, kControlEditTextKeyFilterTag,
                                    sizeof(filter), &filter));
    ControlKeyFilterUPP read = nullptr;
    EXPECT_EQ(noErr, GetControlData(field, kControlEntireControl, kControlEditTextKeyFilterTag,
                                    sizeof(read), &read, nullptr));
    EXPECT_EQ(filter, read);
    EXPECT_EQ(errDataSizeMismatch, SetControlData(field, kControlEntireControl,
                                                  kControlEditTextKeyFilterTag, 4, &filter));
    DisposeControlKeyFilterUPP(filter);
}

TEST_F(ControlData, PasswordTextReadsAsBulletsExceptThroughItsOwnTags) {
    Rect r = {0, 0, 20, 100};
    ControlRef password = nullptr;
    ASSERT_EQ(noErr,
              CreateEditUnicodeTextControl(mWindow, &r, CFSTR("1234"), true, nullptr, &password));
    EXPECT_EQ("edittext", std::string(HIStandInGetControlKindName(NewEditText(mWindow))));
    EXPECT_EQ("password", std::string(HIStandInGetControlKindName(password)));
    EXPECT_EQ("\u2022\u2022\u2022\u2022", TextOf(password));
    CFStringRef clear = nullptr;
    EXPECT_EQ(noErr,
              GetControlData(password, kControlEditTextPart, kControlEditTextPasswordCFStringTag,
                             sizeof(clear), &clear, nullptr));
    EXPECT_EQ("1234", Str(clear));
    CFRelease(clear);
    // a plain edit text has no password text
    ControlRef field = NewEditText(mWindow);
    EXPECT_EQ(errDataNotSupported,
              GetControlData(field, kControlEditTextPart, kControlEditTextPasswordCFStringTag,
                             sizeof(clear), &clear, nullptr));
}

TEST_F(ControlData, TagsAndPartsAControlDoesNotHaveAreRefused) {
    Rect r = {0, 0, 20, 100};
    ControlRef box = nullptr, label = nullptr;
    ASSERT_EQ(noErr, CreateCheckBoxControl(mWindow, &r, CFSTR("Box"), 0, true, &box));
    ASSERT_EQ(noErr, CreateStaticTextControl(mWindow, &r, CFSTR("Label"), nullptr, &label));
    ControlRef field = NewEditText(mWindow);
    CFStringRef text = CFSTR("x");
    EXPECT_EQ(errDataNotSupported,
              SetControlData(box, kControlEntireControl, kControlEditTextCFStringTag, sizeof(text),
                             &text));
    EXPECT_EQ(errDataNotSupported,
              SetControlData(label, kControlEntireControl, kControlEditTextSelectionTag, 4, &r));
    EXPECT_EQ(errDataNotSupported,
              SetControlData(field, kControlEntireControl, FourCC("zzzz"), sizeof(text), &text));
    EXPECT_EQ(errInvalidPartCode, SetControlData(field, kControlCheckBoxPart,
                                                 kControlEditTextCFStringTag, sizeof(text), &text));
    EXPECT_EQ(errDataSizeMismatch,
              SetControlData(field, kControlEditTextPart, kControlEditTextCFStringTag, 2, &text));
    CFStringRef notAString = (CFStringRef)kCFBooleanTrue;
    EXPECT_EQ(paramErr, SetControlData(field, kControlEditTextPart, kControlEditTextCFStringTag,
                                       sizeof(notAString), &notAString));
    EXPECT_EQ(paramErr, SetControlData(field, kControlEditTextPart, kControlEditTextCFStringTag,
                                       sizeof(text), nullptr));
    // the static text's own string tag works
    EXPECT_EQ(noErr, SetControlData(label, kControlEntireControl, kControlStaticTextCFStringTag,
                                    sizeof(text), &text));
    EXPECT_EQ("x", TextOf(label));
}

TEST_F(ControlData, InjectedFailuresHitOnlyTheirControlUntilReset) {
    ControlRef a = NewEditText(mWindow, CFSTR("a"));
    ControlRef b = NewEditText(mWindow, CFSTR("b"));
    EXPECT_EQ(noErr, HIStandInSetControlCallFailure(a, "GetControlData", errDataNotSupported));
    EXPECT_EQ("error " + std::to_string(errDataNotSupported), TextOf(a));
    EXPECT_EQ("b", TextOf(b));
    EXPECT_EQ(noErr, HIStandInSetControlCallFailure(a, "SetControlVisibility", -1));
    EXPECT_EQ(-1, SetControlVisibility(a, true, false));
    EXPECT_EQ(noErr, HIStandInSetControlCallFailure(a, "GetControlData", noErr));
    EXPECT_EQ("a", TextOf(a));
    EXPECT_EQ(paramErr, HIStandInSetControlCallFailure(a, "DrawControl", -1));
    EXPECT_EQ(errUnknownControl,
              HIStandInSetControlCallFailure((ControlRef)mWindow, "EmbedControl", -1));
}

} // namespace
