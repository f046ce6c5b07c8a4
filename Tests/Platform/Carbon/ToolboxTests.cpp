/*
 * ToolboxTests.cpp
 *
 * The toolbox at its own level: the order in which an event reaches
 * handlers, standard handlers and containing targets; references checked
 * by every call; the edit text's keys, filter, clipboard and focus; a
 * check box's command; alerts; and calls failing cleanly wherever memory
 * runs out.
 */
#include "ToolboxTest.h"

#include <vector>

namespace {

struct Trace {
    std::vector<std::string> calls;
    OSStatus result = eventNotHandledErr;
    bool callNext = false;
};

struct Recorder {
    Trace *trace;
    std::string name;
    OSStatus result;
    bool callNext;
};

OSStatus Record(EventHandlerCallRef call, EventRef event, void *userData) {
    Recorder *r = static_cast<Recorder *>(userData);
    r->trace->calls.push_back(r->name);
    if (r->callNext) {
        OSStatus next = CallNextEventHandler(call, event);
        r->trace->calls.push_back(r->name + " after next " + std::to_string(next));
    }
    return r->result;
}

const EventTypeSpec kCommandEvent = {kEventClassCommand, kEventCommandProcess};

OSStatus SendCommand(EventTargetRef target, UInt32 commandID) {
    EventRef event = nullptr;
    EXPECT_EQ(noErr, CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, 0,
                                 kEventAttributeNone, &event));
    HICommand command = {0, commandID, {nullptr, 0}};
    EXPECT_EQ(noErr, SetEventParameter(event, kEventParamDirectObject, typeHICommand,
                                       sizeof(command), &command));
    OSStatus status = SendEventToEventTarget(event, target);
    ReleaseEvent(event);
    return status;
}

TEST_F(ToolboxTest, EventsRunNewestHandlerFirstThenGoUpToTheEmbedders) {
    WindowRef window = NewWindow();
    Rect bounds = {0, 0, 100, 100};
    ControlRef pane = nullptr;
    ASSERT_EQ(noErr, CreateUserPaneControl(window, &bounds, kControlSupportsEmbedding, &pane));
    ControlRef field = NewField(window, CFSTR(""));
    ASSERT_EQ(noErr, EmbedControl(field, pane));
    Trace trace;
    Recorder older = {&trace, "field older", eventNotHandledErr, false};
    Recorder newer = {&trace, "field newer", noErr, true};
    Recorder onPane = {&trace, "pane", noErr, false};
    EventHandlerUPP upp = NewEventHandlerUPP(Record);
    ASSERT_EQ(noErr, InstallEventHandler(GetControlEventTarget(pane), upp, 1, &kCommandEvent,
                                         &onPane, nullptr));
    ASSERT_EQ(noErr, InstallEventHandler(GetControlEventTarget(field), upp, 1, &kCommandEvent,
                                         &older, nullptr));
    ASSERT_EQ(noErr, InstallEventHandler(GetControlEventTarget(field), upp, 1, &kCommandEvent,
                                         &newer, nullptr));
    EXPECT_EQ(noErr, SendCommand(GetControlEventTarget(field), 'zzzz'));
    std::vector<std::string> expected = {"field newer", "field older", "pane",
                                         "field newer after next 0"};
    EXPECT_EQ(expected, trace.calls);

    /* unhandled everywhere: the sender gets eventNotHandledErr */
    onPane.result = newer.result = eventNotHandledErr;
    trace.calls.clear();
    EXPECT_EQ(eventNotHandledErr, SendCommand(GetControlEventTarget(field), 'zzzz'));
    EXPECT_EQ("field newer after next -9874", trace.calls.back());
    EXPECT_EQ(paramErr, CallNextEventHandler(nullptr, nullptr)) << "outside any handler";

    /* handlers go with their control */
    CFIndex handlers = HIStandInGetLiveHandlerCount();
    DisposeWindow(window);
    EXPECT_EQ(handlers - 3, HIStandInGetLiveHandlerCount());
    DisposeEventHandlerUPP(upp);
}

TEST_F(ToolboxTest, EveryCallChecksItsReferences) {
    WindowRef window = NewWindow();
    ControlRef field = NewField(window, CFSTR("x"));
    WindowRef goneWindow = NewWindow();
    DisposeWindow(goneWindow);
    ControlRef wrong = reinterpret_cast<ControlRef>(window); /* a window passed as a control */
    for (ControlRef bad : {static_cast<ControlRef>(nullptr), wrong}) {
        Rect r = {1, 2, 3, 4};
        ControlRef out = field;
        ControlID id = {'jlog', 1};
        UInt16 count = 7;
        CFStringRef text = nullptr;
        EXPECT_EQ(errUnknownControl, EmbedControl(bad, field));
        EXPECT_EQ(errUnknownControl, GetSuperControl(bad, &out));
        EXPECT_EQ(nullptr, out);
        EXPECT_EQ(errUnknownControl, CountSubControls(bad, &count));
        EXPECT_EQ(0, count);
        EXPECT_EQ(errUnknownControl, SetControlID(bad, &id));
        EXPECT_EQ(errUnknownControl, SetControlVisibility(bad, false, false));
        EXPECT_EQ(errUnknownControl, EnableControl(bad));
        EXPECT_EQ(errUnknownControl, CopyControlTitleAsCFString(bad, &text));
        EXPECT_EQ(errUnknownControl,
                  SetControlData(bad, 0, kControlEditTextCFStringTag, sizeof(text), &text));
        EXPECT_EQ(nullptr, GetControlEventTarget(bad));
        EXPECT_EQ(nullptr, GetControlOwner(bad));
        EXPECT_FALSE(IsControlVisible(bad));
        EXPECT_EQ(0, GetControlValue(bad));
        GetControlBounds(bad, &r);
        EXPECT_EQ(0, r.bottom);
        SetControlValue(bad, 1);
        SetControlBounds(bad, &r);
        Draw1Control(bad);
    }
    for (WindowRef bad : {static_cast<WindowRef>(nullptr), goneWindow}) {
        ControlRef out = field;
        ControlID id = {'jlog', 1};
        Rect r;
        EXPECT_EQ(errInvalidWindowRef, GetRootControl(bad, &out));
        EXPECT_EQ(errInvalidWindowRef, GetControlByID(bad, &id, &out));
        EXPECT_EQ(nullptr, out);
        EXPECT_EQ(errInvalidWindowRef, GetWindowBounds(bad, kWindowContentRgn, &r));
        EXPECT_EQ(errInvalidWindowRef, SetKeyboardFocus(bad, field, kControlEditTextPart));
        EXPECT_EQ(errInvalidWindowRef, CreateUserPaneControl(bad, &r, 0, &out));
        DisposeWindow(bad);
    }
    EventRef goneEvent = nullptr;
    ASSERT_EQ(noErr, CreateEvent(nullptr, kEventClassCommand, 1, 0, 0, &goneEvent));
    ReleaseEvent(goneEvent);
    UInt32 datum = 0;
    EXPECT_EQ(paramErr, SetEventParameter(goneEvent, 'abcd', typeUInt32, 4, &datum));
    EXPECT_EQ(paramErr,
              GetEventParameter(goneEvent, 'abcd', typeUInt32, nullptr, 4, nullptr, &datum));
    EXPECT_EQ(paramErr, SendEventToEventTarget(goneEvent, GetControlEventTarget(field)));
    ReleaseEvent(goneEvent);
    EXPECT_EQ(paramErr, RunStandardAlert(nullptr, nullptr, nullptr));
    DisposePtr(nullptr);
    DisposeWindow(window);
}

TEST(ToolboxDeathTest, DisposingAPointerThatIsNotABlockAborts) {
    Ptr block = NewPtrClear(8);
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(0, block[7]);
    EXPECT_DEATH(DisposePtr(block + 1), "DisposePtr: misuse");
    DisposePtr(block);
    EXPECT_DEATH(DisposePtr(block), "DisposePtr: misuse");
}

TEST_F(ToolboxTest, ControlDataChecksPartTagAndSize) {
    WindowRef window = NewWindow();
    ControlRef field = NewField(window, CFSTR("abc"));
    ControlRef secret = NewField(window, CFSTR("pw"), true);
    ControlEditTextSelectionRec selection = {5, -1};
    EXPECT_EQ(errInvalidPartCode, SetControlData(field, kControlCheckBoxPart,
                                                 kControlEditTextSelectionTag, 4, &selection));
    EXPECT_EQ(errDataNotSupported,
              SetControlData(field, kControlEditTextPart, 'zzzz', 4, &selection));
    EXPECT_EQ(errDataNotSupported,
              GetControlData(field, kControlEditTextPart, kControlEditTextPasswordCFStringTag, 8,
                             &selection, nullptr));
    EXPECT_EQ(errDataSizeMismatch, SetControlData(field, kControlEditTextPart,
                                                  kControlEditTextSelectionTag, 3, &selection));
    EXPECT_EQ(paramErr, GetControlData(field, kControlEditTextPart, kControlEditTextSelectionTag, 4,
                                       nullptr, nullptr));
    /* a selection out of range is clamped and put in order */
    ASSERT_EQ(noErr, SetControlData(field, kControlEditTextPart, kControlEditTextSelectionTag, 4,
                                    &selection));
    ASSERT_EQ(noErr, GetControlData(field, kControlEditTextPart, kControlEditTextSelectionTag, 4,
                                    &selection, nullptr));
    EXPECT_EQ(3, selection.selStart);
    EXPECT_EQ(3, selection.selEnd);
    /* a password reads as bullets, its clear text through 'pwcf' */
    EXPECT_EQ("\u2022\u2022", TextOf(secret));
    EXPECT_EQ("pw", TextOf(secret, kControlEditTextPasswordCFStringTag));
    DisposeWindow(window);
}

ControlKeyFilterResult NoDigits(ControlRef, SInt16 *, SInt16 *charCode, EventModifiers *) {
    return *charCode >= '0' && *charCode <= '9' ? kControlKeyFilterBlockKey
                                                : kControlKeyFilterPassKey;
}

TEST_F(ToolboxTest, TypingEditsAtTheSelectionThroughTheKeyFilter) {
    WindowRef window = NewWindow();
    ControlRef field = NewField(window, CFSTR("ab"));
    ControlRef other = NewField(window, CFSTR("xyz"));
    EXPECT_EQ(errUnknownControl, HIStandInTypeText(CFSTR("q"))) << "no focus yet";
    ASSERT_EQ(noErr, SetKeyboardFocus(window, field, kControlEditTextPart));
    ControlKeyFilterUPP filter = NewControlKeyFilterUPP(NoDigits);
    ASSERT_EQ(noErr, SetControlData(field, kControlEditTextPart, kControlEditTextKeyFilterTag,
                                    sizeof(filter), &filter));
    EXPECT_EQ(noErr, HIStandInTypeText(CFSTR("c1d")));
    EXPECT_EQ("abcd", TextOf(field));
    EXPECT_EQ(noErr, HIStandInPressKey(kHIStandInKeyLeft, 0));
    EXPECT_EQ(noErr, HIStandInPressKey(kHIStandInKeyBackspace, 0));
    EXPECT_EQ(noErr, HIStandInPressKey(kHIStandInKeyHome, 0));
    EXPECT_EQ(noErr, HIStandInPressKey(kHIStandInKeyDelete, 0));
    EXPECT_EQ(noErr, HIStandInPressKey(kHIStandInKeyEnd, 0));
    EXPECT_EQ(noErr, HIStandInPressKey(kHIStandInKeyBackspace, 0));
    EXPECT_EQ("b", TextOf(field));
    EXPECT_EQ(eventNotHandledErr, HIStandInPressKey(kHIStandInKeyReturn, 0));

    /* Command-A, -X and -V through the clipboard */
    EXPECT_EQ(noErr, HIStandInTypeCharacter(0x00E9, 0));
    EXPECT_EQ(noErr, HIStandInTypeCharacter('a', cmdKey));
    EXPECT_EQ(noErr, HIStandInTypeCharacter('x', cmdKey));
    EXPECT_EQ("", TextOf(field));
    ScrapRef scrap = nullptr;
    Size size = 0;
    ASSERT_EQ(noErr, GetCurrentScrap(&scrap));
    ASSERT_EQ(noErr, GetScrapFlavorSize(scrap, kScrapFlavorTypeText, &size));
    char bytes[8] = "";
    ASSERT_EQ(2, size);
    ASSERT_EQ(noErr, GetScrapFlavorData(scrap, kScrapFlavorTypeText, &size, bytes));
    EXPECT_EQ(std::string("b\x8E", 2), std::string(bytes, 2)) << "MacRoman";
    EXPECT_EQ(noErr, HIStandInTypeCharacter('v', cmdKey));
    EXPECT_EQ(noErr, HIStandInPaste());
    EXPECT_EQ("bébé", TextOf(field));

    /* Tab goes to the next field and selects its text; a hidden one loses the focus */
    EXPECT_EQ(noErr, HIStandInPressKey(kHIStandInKeyTab, 0));
    EXPECT_EQ(other, HIStandInGetFocusedControl());
    EXPECT_EQ(noErr, HIStandInTypeText(CFSTR("w")));
    EXPECT_EQ("w", TextOf(other));
    EXPECT_EQ(noErr, HIStandInPressKey(kHIStandInKeyTab, shiftKey));
    EXPECT_EQ(field, HIStandInGetFocusedControl());
    HideControl(field);
    EXPECT_EQ(nullptr, HIStandInGetFocusedControl());
    EXPECT_EQ(errControlHiddenOrDisabled, SetKeyboardFocus(window, field, kControlEditTextPart));
    EXPECT_EQ(errControlHiddenOrDisabled, HIStandInClickControl(field));
    DisposeWindow(window);
    EXPECT_EQ(nullptr, HIStandInGetFocusedControl());
}

struct Alerts {
    std::vector<std::string> seen;
    int beeps = 0;
};

DialogItemIndex Answer(void *refcon, AlertType type, CFStringRef message, CFStringRef) {
    char text[64] = "";
    CFStringGetCString(message, text, sizeof(text), kCFStringEncodingUTF8);
    static_cast<Alerts *>(refcon)->seen.push_back(std::to_string(type) + " " + text);
    return kAlertStdAlertCancelButton;
}

TEST_F(ToolboxTest, AlertsAreAnsweredByTheObserverAndDisposedOfByRunning) {
    Alerts alerts;
    HIStandInObserver observer = {
        &alerts, [](void *r, short) { static_cast<Alerts *>(r)->beeps++; }, Answer};
    DialogRef alert = nullptr;
    ASSERT_EQ(noErr,
              CreateStandardAlert(kAlertCautionAlert, CFSTR("one"), nullptr, nullptr, &alert));
    DialogItemIndex item = 0;
    ASSERT_EQ(noErr, RunStandardAlert(alert, nullptr, &item));
    EXPECT_EQ(kAlertStdAlertOKButton, item) << "without an observer the default button answers";
    HIStandInSetObserver(&observer);
    ASSERT_EQ(noErr,
              CreateStandardAlert(kAlertNoteAlert, CFSTR("two"), CFSTR("why"), nullptr, &alert));
    EXPECT_EQ(mLive + 1, Live()) << "the alert counts until it has run";
    ASSERT_EQ(noErr, RunStandardAlert(alert, nullptr, &item));
    EXPECT_EQ(kAlertStdAlertCancelButton, item);
    EXPECT_EQ(paramErr, RunStandardAlert(alert, nullptr, &item)) << "already disposed of";
    SysBeep(1);
    EXPECT_EQ(std::vector<std::string>{"1 two"}, alerts.seen);
    EXPECT_EQ(1, alerts.beeps);
    EXPECT_EQ(paramErr, CreateStandardAlert(kAlertNoteAlert, nullptr, nullptr, nullptr, &alert));
    EXPECT_EQ(nullptr, alert);
}

OSStatus TakeCommand(EventHandlerCallRef, EventRef event, void *userData) {
    HICommandExtended command;
    OSStatus status = GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr,
                                        sizeof(command), nullptr, &command);
    if (status == noErr)
        *static_cast<HICommandExtended *>(userData) = command;
    return status;
}

/* A window from a nib, typed into, clicked and pasted into, and an alert,
 * with each allocation in turn failing: every call fails with a status and
 * nothing is left behind. */
OSStatus Scenario(CFBundleRef bundle) {
    IBNibRef nib = nullptr;
    OSStatus status = CreateNibReferenceWithCFBundle(bundle, CFSTR("Test"), &nib);
    if (status != noErr)
        return status;
    WindowRef window = nullptr;
    status = CreateWindowFromNib(nib, CFSTR("Window"), &window);
    DisposeNibReference(nib);
    if (status != noErr)
        return status;
    ControlRef root = nullptr, box = nullptr, field = nullptr;
    GetRootControl(window, &root);
    GetIndexedSubControl(root, 1, &field);
    GetIndexedSubControl(root, 2, &box);
    HICommandExtended command = {0, 0, {nullptr}};
    if ((status = InstallEventHandler(GetControlEventTarget(root), TakeCommand, 1, &kCommandEvent,
                                      &command, nullptr)) == noErr &&
        (status = SetKeyboardFocus(window, field, kControlEditTextPart)) == noErr &&
        (status = HIStandInTypeText(CFSTR("typed"))) == noErr &&
        (status = HIStandInSetClipboardText(CFSTR("pasted"))) == noErr &&
        (status = HIStandInPaste()) == noErr)
        status = HIStandInClickControl(box);
    if (status == noErr && (command.commandID != 'ucod' || command.source.control != box ||
                            command.attributes != kHICommandFromControl ||
                            GetControlValue(box) != 0 || TextOf(field) != "typedpasted"))
        status = -1;
    DisposeWindow(window);
    DialogRef alert = nullptr;
    if (status == noErr && (status = CreateStandardAlert(kAlertStopAlert, CFSTR("m"), CFSTR("e"),
                                                         nullptr, &alert)) == noErr)
        status = RunStandardAlert(alert, nullptr, nullptr);
    HIStandInSetClipboardText(nullptr);
    return status;
}

} // namespace

CFBundleRef MakeNibBundle(const std::string &nib); /* NibTests.cpp */
extern const char *const kTestNib;

TEST_F(ToolboxTest, EveryAllocationFailureFailsCleanly) {
    CFBundleRef bundle = MakeNibBundle(kTestNib);
    ASSERT_NE(nullptr, bundle);
    ASSERT_EQ(noErr, Scenario(bundle));
    long baseline = Live();
    int failures = 0;
    for (long n = 1;; n++) {
        long failed = CFStandInGetFailedAllocationCount();
        CFStandInSetAllocationFailure(n, false);
        OSStatus status = Scenario(bundle);
        bool injected = CFStandInGetFailedAllocationCount() > failed;
        CFStandInSetAllocationFailure(0, false);
        ASSERT_EQ(baseline, Live()) << "allocation " << n;
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
