/*
 * CEditTextTests.cpp
 *
 * Filtered edit fields driven as a user drives them: keystrokes and pastes
 * through the toolbox's edit-text handling, at and around the length limit,
 * with and without a selection, with refused characters and bytes of 0x80
 * and above, and the two standard filters at their edges.
 */
#include "CEditText.h"
#include "PlugInTestSupport.h"

#include <gtest/gtest.h>

#include <locale.h>

namespace {

class EditFieldTest : public ::testing::Test {
protected:
    void SetUp() override {
        start = LiveCounts::Now();
        Rect content = {50, 50, 250, 350};
        ASSERT_EQ(noErr, CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute,
                                         &content, &window));
        Rect bounds = {10, 10, 32, 140};
        ASSERT_EQ(noErr,
                  CreateEditUnicodeTextControl(window, &bounds, CFSTR(""), false, NULL, &control));
        ControlID id = {0x6A6C6F67, 5};
        SetControlID(control, &id);
        ASSERT_TRUE(field.Attach(window, id));
        field.SetKeyFilter(CEditText::NumericFilter);
        field.SetMaxChars(8);
        ASSERT_EQ(noErr, SetKeyboardFocus(window, control, kControlEditTextPart));
        HIStandInResetCounts();
    }
    void TearDown() override {
        HIStandInSetClipboardText(NULL);
        DisposeWindow(window);
        EXPECT_EQ(start, LiveCounts::Now());
    }
    /* Replaces the text and selects [selStart, selEnd) (the end when -1). */
    void Prepare(const std::string &text, SInt16 selStart = -1, SInt16 selEnd = -1) {
        SetControlText(control, text);
        SInt16 end = (SInt16)text.size();
        SetSelection(control, selStart < 0 ? end : selStart, selEnd < 0 ? end : selEnd);
    }
    std::string Type(UniChar ch, EventModifiers modifiers = 0) {
        HIStandInTypeCharacter(ch, modifiers);
        return ControlText(control);
    }
    std::string Paste(const char *clipboard) {
        CFOwned<CFStringRef> text(clipboard ? CreateString(clipboard) : NULL);
        HIStandInSetClipboardText(text.get());
        HIStandInPaste();
        return ControlText(control);
    }
    ControlKeyFilterResult Glue(UniChar ch, EventModifiers modifiers) {
        SInt16 keyCode = 0, charCode = (SInt16)ch;
        return CEditText::KeyFilterGlue(control, &keyCode, &charCode, &modifiers);
    }
    LiveCounts start;
    WindowRef window = NULL;
    ControlRef control = NULL;
    CEditText field;
};

TEST_F(EditFieldTest, TypingStopsAtTheLimitUnlessTheSelectionMakesRoom) {
    Prepare("1234567");
    EXPECT_EQ("12345678", Type('8'));
    EXPECT_EQ("12345678", Type('9'));
    Prepare("12345678", 2, 4); /* "34" selected: the typed digit replaces it */
    EXPECT_EQ("1295678", Type('9'));
    Prepare("12345678", 0, 1);
    EXPECT_EQ("92345678", Type('9'));
    Prepare("12345678", 0, 8);
    EXPECT_EQ("12345678", Type('x')); /* room, but the filter refuses it */
    EXPECT_EQ("5", Type('5'));
    EXPECT_EQ(0, HIStandInGetBeepCount());
}

TEST_F(EditFieldTest, EditingKeysWorkAtTheLimit) {
    Prepare("12345678");
    for (HIStandInKey key : {kHIStandInKeyLeft, kHIStandInKeyTab, kHIStandInKeyReturn,
                             kHIStandInKeyHome, kHIStandInKeyEnd, kHIStandInKeyRight})
        HIStandInPressKey(key, 0);
    EXPECT_EQ("12345678", ControlText(control));
    HIStandInPressKey(kHIStandInKeyBackspace, 0);
    EXPECT_EQ("1234567", ControlText(control));
    HIStandInPressKey(kHIStandInKeyHome, 0);
    HIStandInPressKey(kHIStandInKeyDelete, 0);
    EXPECT_EQ("234567", ControlText(control));
}

TEST_F(EditFieldTest, CommandKeyAndControlCharactersAlwaysPass) {
    Prepare("12345678");
    EXPECT_EQ(kControlKeyFilterPassKey, Glue('v', cmdKey));
    EXPECT_EQ(kControlKeyFilterPassKey, Glue('1', cmdKey | shiftKey));
    EXPECT_EQ(kControlKeyFilterBlockKey, Glue('1', shiftKey));
    EXPECT_EQ(kControlKeyFilterPassKey, Glue(0x08, 0));
    EXPECT_EQ(kControlKeyFilterPassKey, Glue(0x7F, 0));
    /* Command-V at the limit passes the key filter and reaches the paste
       check: refused with a beep when too long, pasted when it fits. */
    HIStandInSetClipboardText(CFSTR("90"));
    HIStandInTypeCharacter('v', cmdKey);
    EXPECT_EQ("12345678", ControlText(control));
    EXPECT_EQ(1, HIStandInGetBeepCount());
    SetSelection(control, 0, 2);
    HIStandInTypeCharacter('v', cmdKey);
    EXPECT_EQ("90345678", ControlText(control));
    field.SetMaxChars(0); /* a limit of 0 refuses every printable key */
    Prepare("");
    EXPECT_EQ("", Type('1'));
    EXPECT_EQ(kControlKeyFilterPassKey, Glue(0x1C, 0));
}

TEST_F(EditFieldTest, RefusedCharactersAndHighBytesAreIgnoredSilently) {
    field.SetMaxChars(-1);
    field.SetKeyFilter(CEditText::AlphaNumericFilter);
    Prepare("ab");
    for (UniChar ch : {(UniChar)' ', (UniChar)'-', (UniChar)'_', (UniChar)'.', (UniChar)0xE9,
                       (UniChar)0xC4, (UniChar)0x3042, (UniChar)0xFFFF})
        EXPECT_EQ("ab", Type(ch)) << std::hex << ch;
    EXPECT_EQ("abZ", Type('Z'));
    EXPECT_EQ("abZ0", Type('0'));
    EXPECT_EQ(0, HIStandInGetBeepCount());
}

TEST_F(EditFieldTest, PasteIsMeasuredAgainstTheLimitAndTheSelection) {
    Prepare("12345");
    EXPECT_EQ("12345123", Paste("123"));
    Prepare("12345");
    EXPECT_EQ("12345", Paste("1234"));
    EXPECT_EQ(1, HIStandInGetBeepCount());
    Prepare("12345678", 3, 5);
    EXPECT_EQ("12390678", Paste("90"));
    Prepare("12345678", 3, 4);
    EXPECT_EQ("12345678", Paste("90"));
    EXPECT_EQ(2, HIStandInGetBeepCount());
}

TEST_F(EditFieldTest, PasteIsRefusedForAnyByteTheFilterRefuses) {
    Prepare("1");
    EXPECT_EQ("1", Paste("12a"));
    EXPECT_EQ("1", Paste("1\xC3\xA9")); /* é, MacRoman 0x8E */
    field.SetKeyFilter(CEditText::AlphaNumericFilter);
    EXPECT_EQ("1", Paste("a\xC3\xA9"));
    EXPECT_EQ("1", Paste("a b"));
    EXPECT_EQ(4, HIStandInGetBeepCount());
    EXPECT_EQ("1aB", Paste("aB"));
}

TEST_F(EditFieldTest, PasteWithoutTextOrWithoutChecksGoesThrough) {
    Prepare("12");
    EXPECT_EQ("12", Paste(NULL)); /* nothing on the clipboard: handled as usual */
    field.SetMaxChars(-1);        /* a filter and no limit still tests the bytes */
    EXPECT_EQ("12123456789012", Paste("123456789012"));
    EXPECT_EQ("12123456789012", Paste("1x"));
    EXPECT_EQ(1, HIStandInGetBeepCount());
    field.SetKeyFilter(NULL); /* neither: everything passes */
    Prepare("");
    EXPECT_EQ("a-b c", Paste("a-b c"));
    EXPECT_EQ("a-b c!", Type('!'));
}

TEST_F(EditFieldTest, ACommandEventWithoutItsCommandIsRefused) {
    EventRef event = NULL;
    ASSERT_EQ(noErr, CreateEvent(NULL, kEventClassCommand, kEventCommandProcess, 0,
                                 kEventAttributeNone, &event));
    OSStatus status = SendEventToEventTarget(event, GetControlEventTarget(control));
    ReleaseEvent(event);
    EXPECT_EQ(eventParameterNotFoundErr, status);
}

TEST(StandardFilters, PassExactlyLettersAndDigits) {
    for (int ch = -200; ch < 0x3100; ch++) {
        bool digit = ch >= '0' && ch <= '9';
        bool letter = (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
        EXPECT_EQ(digit ? 1 : 0, CEditText::NumericFilter((SInt16)ch)) << ch;
        EXPECT_EQ(digit || letter ? 1 : 0, CEditText::AlphaNumericFilter((SInt16)ch)) << ch;
    }
}

TEST(StandardFilters, LettersAbove127FollowTheCurrentLocale) {
    ASSERT_NE(nullptr, setlocale(LC_CTYPE, "C.UTF-8"));
    ControlKeyFilterResult eAcute = CEditText::AlphaNumericFilter(0xE9);
    ControlKeyFilterResult hiragana = CEditText::AlphaNumericFilter(0x3042);
    ControlKeyFilterResult superscriptTwo = CEditText::NumericFilter(0xB2);
    setlocale(LC_CTYPE, "C");
    EXPECT_EQ(kControlKeyFilterPassKey, eAcute);
    EXPECT_EQ(kControlKeyFilterPassKey, hiragana);
    EXPECT_EQ(kControlKeyFilterBlockKey, superscriptTwo);
    EXPECT_EQ(kControlKeyFilterBlockKey, CEditText::AlphaNumericFilter(0xE9));
}

TEST(CEditTextBinding, UnattachedFieldsAndMissingControls) {
    LiveCounts start = LiveCounts::Now();
    CEditText field;
    CPasswordEditText password;
    EXPECT_EQ(nullptr, field.CopyTextAsCFString());
    field.SetText(CFSTR("ignored"));
    EXPECT_EQ(nullptr, field.GetControlRef());

    Rect content = {0, 0, 100, 100}, bounds = {5, 5, 25, 95};
    WindowRef window = NULL;
    ASSERT_EQ(noErr, CreateNewWindow(kDocumentWindowClass, 0, &content, &window));
    ControlRef plain = NULL, secret = NULL;
    CreateEditUnicodeTextControl(window, &bounds, CFSTR("id"), false, NULL, &plain);
    CreateEditUnicodeTextControl(window, &bounds, CFSTR(""), true, NULL, &secret);
    ControlID plainID = {0x74657374, 1}, secretID = {0x74657374, 2}, missingID = {0x74657374, 3};
    SetControlID(plain, &plainID);
    SetControlID(secret, &secretID);
    EXPECT_FALSE(field.Attach(window, missingID));
    EXPECT_EQ(nullptr, field.GetControlRef());
    EXPECT_TRUE(field.Attach(window, plainID));
    EXPECT_EQ(field.GetControlRef(), plain);
    EXPECT_EQ((void *)&field, GetControlReference(plain));
    CFStringRef text = field.CopyTextAsCFString();
    EXPECT_EQ("id", StdString(text));
    CFRelease(text);

    ASSERT_TRUE(password.Attach(window, secretID));
    password.SetText(CFSTR("s3cret"));
    text = password.CopyTextAsCFString();
    EXPECT_EQ("s3cret", StdString(text));
    CFRelease(text);
    DisposeWindow(window);
    EXPECT_EQ(start, LiveCounts::Now());
}

} // namespace
