/*
 * ToolboxTests.cpp
 *
 * The toolbox at its own level: the order in which an event reaches
 * handlers, standard handlers and containing targets; references checked
 * by every call; and a dialog's worth of calls failing cleanly wherever
 * memory runs out.
 */
#include "ToolboxTest.h"

#include <vector>

namespace {

struct Recorder {
    std::vector<std::string> *trace;
    std::string name;
    OSStatus result;
    bool callNext;
};

OSStatus Record(EventHandlerCallRef call, EventRef event, void *userData) {
    Recorder *r = static_cast<Recorder *>(userData);
    r->trace->push_back(r->name);
    if (r->callNext)
        r->trace->push_back(r->name + " next " + std::to_string(CallNextEventHandler(call, event)));
    return r->result;
}

TEST_F(ToolboxTest, EventsRunNewestHandlerFirstThenGoUpToTheEmbedders) {
    Rect bounds = {10, 10, 100, 100};
    WindowRef window = nullptr;
    ControlRef pane = nullptr, field = nullptr;
    ASSERT_EQ(noErr, CreateNewWindow(kDocumentWindowClass, 0, &bounds, &window));
    ASSERT_EQ(noErr, CreateUserPaneControl(window, &bounds, kControlSupportsEmbedding, &pane));
    ASSERT_EQ(noErr,
              CreateEditUnicodeTextControl(window, &bounds, nullptr, false, nullptr, &field));
    ASSERT_EQ(noErr, EmbedControl(field, pane));
    ASSERT_EQ(noErr, SetKeyboardFocus(window, field, kControlEditTextPart));
    std::vector<std::string> trace;
    Recorder older = {&trace, "older", eventNotHandledErr, false};
    Recorder newer = {&trace, "newer", noErr, true};
    Recorder onPane = {&trace, "pane", noErr, false};
    const EventTypeSpec key = {kEventClassKeyboard, kEventRawKeyDown};
    for (auto [control, recorder] : {std::pair{pane, &onPane}, {field, &older}, {field, &newer}})
        ASSERT_EQ(noErr, InstallEventHandler(GetControlEventTarget(control), Record, 1, &key,
                                             recorder, nullptr));
    /* Return is not the field's: it goes on to the pane */
    EXPECT_EQ(noErr, HIStandInPressKey(kHIStandInKeyReturn, 0));
    EXPECT_EQ((std::vector<std::string>{"newer", "older", "pane", "newer next 0"}), trace);
    /* handled nowhere: the caller gets eventNotHandledErr, whatever ran after */
    onPane.result = newer.result = eventNotHandledErr;
    trace.clear();
    EXPECT_EQ(eventNotHandledErr, HIStandInPressKey(kHIStandInKeyReturn, 0));
    EXPECT_EQ("newer next -9874", trace.back());
    /* a character the field's standard handler takes stops there */
    trace.clear();
    EXPECT_EQ(eventNotHandledErr, HIStandInTypeCharacter('a', 0)) << "what newer returned";
    EXPECT_EQ((std::vector<std::string>{"newer", "older", "newer next 0"}), trace);
    EXPECT_EQ(paramErr, CallNextEventHandler(nullptr, nullptr)) << "outside any handler";
    DisposeWindow(window); /* the fixture checks that the handlers went with it */
}

TEST_F(ToolboxTest, EveryCallChecksItsReferences) {
    Rect r = {0, 0, 40, 40};
    WindowRef window = nullptr, gone = nullptr;
    ControlRef field = nullptr, root = nullptr;
    ASSERT_EQ(noErr, CreateNewWindow(kDocumentWindowClass, 0, &r, &window));
    ASSERT_EQ(noErr, CreateNewWindow(kDocumentWindowClass, 0, &r, &gone));
    ASSERT_EQ(noErr,
              CreateEditUnicodeTextControl(window, &r, CFSTR("text"), false, nullptr, &field));
    ASSERT_EQ(noErr, GetRootControl(window, &root));
    DisposeWindow(gone);
    CFStringRef text = nullptr;
    ControlEditTextSelectionRec selection = {0, 0};
    for (ControlRef bad :
         {static_cast<ControlRef>(nullptr), reinterpret_cast<ControlRef>(window)}) {
        ControlID id = {'jlog', 1};
        UInt16 count = 7;
        EXPECT_EQ(errUnknownControl, EmbedControl(bad, field));
        EXPECT_EQ(errUnknownControl, CountSubControls(bad, &count));
        EXPECT_EQ(0, count) << "out-parameters are cleared";
        EXPECT_EQ(errUnknownControl, SetControlID(bad, &id));
        EXPECT_EQ(errUnknownControl, SetControlVisibility(bad, false, false));
        EXPECT_EQ(errUnknownControl, DisableControl(bad));
        EXPECT_EQ(errUnknownControl, CopyControlTitleAsCFString(bad, &text));
        EXPECT_EQ(errUnknownControl, GetControlData(bad, 0, kControlEditTextCFStringTag,
                                                    sizeof(text), &text, nullptr));
        EXPECT_EQ(nullptr, GetControlEventTarget(bad));
        EXPECT_EQ(nullptr, GetControlOwner(bad));
        EXPECT_FALSE(IsControlEnabled(bad));
        SetControlValue(bad, 1);
        EXPECT_EQ(0, GetControlValue(bad));
        EXPECT_EQ(0, GetControlBounds(bad, &r)->bottom);
        Draw1Control(bad);
    }
    for (WindowRef bad : {static_cast<WindowRef>(nullptr), gone}) {
        ControlRef out = field;
        EXPECT_EQ(errInvalidWindowRef, GetRootControl(bad, &out));
        EXPECT_EQ(nullptr, out);
        EXPECT_EQ(errInvalidWindowRef, GetWindowBounds(bad, kWindowContentRgn, &r));
        EXPECT_EQ(errInvalidWindowRef, SetKeyboardFocus(bad, field, kControlEditTextPart));
        EXPECT_EQ(errInvalidWindowRef, CreateUserPaneControl(bad, &r, 0, &out));
        DisposeWindow(bad);
    }
    /* the data calls check part, tag and size in that order */
    EXPECT_EQ(errInvalidPartCode, GetControlData(field, kControlLabelPart,
                                                 kControlEditTextCFStringTag, 8, &text, nullptr));
    EXPECT_EQ(errDataNotSupported,
              SetControlData(field, 0, kControlEditTextPasswordCFStringTag, sizeof(text), &text));
    EXPECT_EQ(errDataSizeMismatch,
              SetControlData(field, 0, kControlEditTextCFStringTag, 4, &selection));
    EXPECT_EQ(errControlDoesntSupportFocus, SetKeyboardFocus(window, root, kControlEditTextPart));
    EXPECT_EQ(paramErr, GetEventParameter(nullptr, kEventParamDirectObject, typeWildCard, nullptr,
                                          0, nullptr, nullptr));
    EXPECT_EQ(paramErr, RunStandardAlert(nullptr, nullptr, nullptr));
    DisposePtr(nullptr);
    DisposeWindow(window);
}

TEST(ToolboxDeathTest, DisposingAPointerThatIsNotABlockAborts) {
    Ptr block = NewPtrClear(8);
    ASSERT_TRUE(block != nullptr && block[7] == 0);
    EXPECT_DEATH(DisposePtr(block + 1), "DisposePtr: misuse");
    DisposePtr(block);
    EXPECT_DEATH(DisposePtr(block), "DisposePtr: misuse");
}

OSStatus TakeCommand(EventHandlerCallRef, EventRef event, void *userData) {
    return GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr,
                             sizeof(HICommandExtended), nullptr, userData);
}

DialogItemIndex Answer(void *, AlertType, CFStringRef, CFStringRef) {
    return kAlertStdAlertCancelButton;
}

/* What the pane does with the toolbox, checked as it goes: a window from
 * its nib with its tree, typing, a paste read back through the clipboard's
 * flavours, a check box click and its command, a password field, an alert. */
OSStatus Dialog(CFBundleRef bundle) {
    IBNibRef nib = nullptr;
    OSStatus status = CreateNibReferenceWithCFBundle(bundle, CFSTR("Test"), &nib);
    if (status != noErr)
        return status;
    WindowRef window = nullptr;
    status = CreateWindowFromNib(nib, CFSTR("Window"), &window);
    DisposeNibReference(nib);
    if (status != noErr)
        return status;
    ControlRef root = nullptr, box = nullptr, field = nullptr, secret = nullptr, pane = nullptr;
    ControlRef label = nullptr, inner = nullptr;
    ControlID labelID = {'jlog', 5};
    GetRootControl(window, &root);
    GetIndexedSubControl(root, 1, &field);
    GetIndexedSubControl(root, 2, &box);
    GetIndexedSubControl(root, 3, &pane);
    GetControlByID(window, &labelID, &label);
    GetIndexedSubControl(pane, 1, &inner);
    SetControlValue(box, 7);
    if (inner != label || IsControlEnabled(label) || GetControlValue(box) != 2 /* 0..2 */ ||
        EmbedControl(pane, box) != errControlIsNotEmbedder ||
        EmbedControl(pane, label) != errCantEmbedIntoSelf ||
        EmbedControl(root, pane) != errCantEmbedRoot)
        status = -1;
    HICommandExtended command = {0, 0, {nullptr}};
    const EventTypeSpec commands = {kEventClassCommand, kEventCommandProcess};
    Rect bounds = {0, 0, 20, 20};
    CFStringRef text = nullptr;
    char bytes[16] = "";
    Size size = sizeof(bytes);
    ScrapRef scrap = nullptr;
    if (status == noErr &&
        (status = InstallEventHandler(GetControlEventTarget(root), TakeCommand, 1, &commands,
                                      &command, nullptr)) == noErr &&
        (status = SetKeyboardFocus(window, field, kControlEditTextPart)) == noErr &&
        (status = HIStandInTypeText(CFSTR("ab"))) == noErr &&
        (status = HIStandInPressKey(kHIStandInKeyLeft, 0)) == noErr &&
        (status = HIStandInSetClipboardText(CFSTR("\xC3\xA9"))) == noErr &&
        (status = HIStandInTypeCharacter('v', cmdKey)) == noErr &&
        (status = GetCurrentScrap(&scrap)) == noErr &&
        (status = GetScrapFlavorData(scrap, kScrapFlavorTypeText, &size, bytes)) == noErr &&
        (status = HIStandInClickControl(box)) == noErr &&
        (status = CreateEditUnicodeTextControl(window, &bounds, CFSTR("pw"), true, nullptr,
                                               &secret)) == noErr &&
        (status = GetControlData(secret, 0, kControlEditTextCFStringTag, sizeof(text), &text,
                                 nullptr)) == noErr) {
        if (command.commandID != 'ucod' || command.source.control != box ||
            command.attributes != kHICommandFromControl || GetControlValue(box) != 0 || size != 1 ||
            bytes[0] != '\x8E' /* MacRoman */ ||
            CFStringCompare(text, CFSTR("\xE2\x80\xA2\xE2\x80\xA2"), 0) != kCFCompareEqualTo)
            status = -1;
        CFRelease(text);
        if (status == noErr && (status = GetControlData(field, 0, kControlEditTextCFStringTag,
                                                        sizeof(text), &text, nullptr)) == noErr) {
            status = CFStringCompare(text,
                                     CFSTR("a\xC3\xA9"
                                           "b"),
                                     0) == kCFCompareEqualTo
                         ? 0
                         : -1;
            CFRelease(text);
        }
    }
    DisposeWindow(window);
    DialogRef alert = nullptr;
    DialogItemIndex item = 0;
    HIStandInObserver observer = {nullptr, nullptr, Answer};
    HIStandInSetObserver(&observer);
    if (status == noErr &&
        (status = CreateStandardAlert(kAlertStopAlert, CFSTR("m"), nullptr, nullptr, &alert)) ==
            noErr &&
        (status = RunStandardAlert(alert, nullptr, &item)) == noErr)
        status = item == kAlertStdAlertCancelButton ? noErr : -1;
    HIStandInSetObserver(nullptr);
    HIStandInSetClipboardText(nullptr);
    return status;
}

TEST_F(ToolboxTest, EveryAllocationFailureFailsCleanly) {
    CFBundleRef bundle = MakeNibBundle(TestNib());
    ASSERT_EQ(noErr, Dialog(bundle));
    LayerState baseline = LayerState::Now();
    int failures = 0;
    for (long n = 1;; n++) {
        long failed = CFStandInGetFailedAllocationCount();
        CFStandInSetAllocationFailure(n, false);
        OSStatus status = Dialog(bundle);
        bool injected = CFStandInGetFailedAllocationCount() > failed;
        CFStandInSetAllocationFailure(0, false);
        ASSERT_EQ("", baseline.Differences(LayerState::Now())) << "allocation " << n;
        if (!injected) {
            EXPECT_EQ(noErr, status);
            break;
        }
        EXPECT_NE(noErr, status) << "allocation " << n << " failed unnoticed";
        failures++;
    }
    EXPECT_GT(failures, 20);
    CFRelease(bundle);
}

} // namespace
