/*
 * ArgumentTests.cpp
 *
 * Every toolbox call given a NULL, disposed or wrong-typed reference (a
 * window where a control belongs, a control where a window belongs, a CF
 * object, a stack address) answers with the platform's error status or a
 * neutral value and never touches the memory behind it. Creation under
 * allocation failure fails with memFullErr and leaves nothing behind.
 */
#include "ToolboxTest.h"

namespace {

class Arguments : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        mWindow = NewWindow();
        mField = NewEditText(mWindow, CFSTR("text"));
        mStale = NewWindow();
        DisposeWindow(mStale);
    }
    void TearDown() override {
        DisposeWindow(mWindow);
        ToolboxTest::TearDown();
    }
    WindowRef mWindow = nullptr, mStale = nullptr;
    ControlRef mField = nullptr;
    char mJunk[64] = {0};
};

TEST_F(Arguments, ControlCallsRejectWhatIsNoLiveControl) {
    const ControlRef bad[] = {nullptr, (ControlRef)mWindow, (ControlRef)(void *)kCFBooleanTrue,
                              (ControlRef)mJunk};
    for (ControlRef c : bad) {
        ControlRef out = mField;
        UInt16 count = 1;
        Rect r = {1, 2, 3, 4};
        ControlID id = {1, 1};
        CFStringRef s = nullptr;
        EXPECT_EQ(errUnknownControl, EmbedControl(c, mField));
        EXPECT_EQ(errUnknownControl, EmbedControl(mField, c));
        EXPECT_EQ(errUnknownControl, GetSuperControl(c, &out));
        EXPECT_EQ(nullptr, out);
        EXPECT_EQ(errUnknownControl, CountSubControls(c, &count));
        EXPECT_EQ(errUnknownControl, GetIndexedSubControl(c, 1, &out));
        EXPECT_EQ(errUnknownControl, SetControlID(c, &id));
        EXPECT_EQ(errUnknownControl, GetControlID(c, &id));
        EXPECT_EQ(errUnknownControl, SetControlVisibility(c, true, true));
        EXPECT_EQ(errUnknownControl, EnableControl(c));
        EXPECT_EQ(errUnknownControl, DisableControl(c));
        EXPECT_EQ(errUnknownControl, SetControlTitleWithCFString(c, CFSTR("t")));
        EXPECT_EQ(errUnknownControl, CopyControlTitleAsCFString(c, &s));
        EXPECT_EQ(errUnknownControl, SetControlData(c, 0, kControlEditTextCFStringTag, 8, &s));
        EXPECT_EQ(errUnknownControl,
                  GetControlData(c, 0, kControlEditTextCFStringTag, 8, &s, nullptr));
        EXPECT_EQ(errUnknownControl, SetControlCommandID(c, 1));
        EXPECT_EQ(&r, GetControlBounds(c, &r));
        EXPECT_EQ(0, r.top + r.left + r.bottom + r.right);
        EXPECT_EQ(0, GetControlValue(c));
        EXPECT_EQ(nullptr, GetControlReference(c));
        EXPECT_EQ(nullptr, GetControlOwner(c));
        EXPECT_EQ(nullptr, GetControlEventTarget(c));
        EXPECT_FALSE(IsControlVisible(c));
        EXPECT_FALSE(IsControlEnabled(c));
        EXPECT_EQ(nullptr, HIStandInGetControlKindName(c));
        SetControlValue(c, 1);
        SetControlBounds(c, &r);
        MoveControl(c, 1, 1);
        SetControlReference(c, mJunk);
        Draw1Control(c);
        ShowControl(c);
        DisposeControl(c);
    }
    EXPECT_EQ(std::string(64, '\0'), std::string(mJunk, 64)); // never written to
    EXPECT_EQ("text", TextOf(mField));
}

TEST_F(Arguments, WindowCallsRejectWhatIsNoLiveWindow) {
    const WindowRef bad[] = {nullptr, mStale, (WindowRef)mField, (WindowRef)mJunk};
    for (WindowRef w : bad) {
        ControlRef out = mField;
        Rect r;
        ControlID id = {1, 1};
        EXPECT_EQ(errInvalidWindowRef, GetRootControl(w, &out));
        EXPECT_EQ(nullptr, out);
        EXPECT_EQ(errInvalidWindowRef, GetControlByID(w, &id, &out));
        EXPECT_EQ(errInvalidWindowRef, GetWindowBounds(w, kWindowContentRgn, &r));
        EXPECT_EQ(errInvalidWindowRef, SetKeyboardFocus(w, mField, kControlEditTextPart));
        EXPECT_EQ(errInvalidWindowRef, GetKeyboardFocus(w, &out));
        EXPECT_EQ(errInvalidWindowRef, ClearKeyboardFocus(w));
        if (w != nullptr) { // NULL makes a control that belongs to no window
            EXPECT_EQ(errInvalidWindowRef,
                      CreateEditUnicodeTextControl(w, &r, nullptr, false, nullptr, &out));
            EXPECT_EQ(nullptr, out);
        }
        EXPECT_EQ(nullptr, GetWindowEventTarget(w));
        EXPECT_FALSE(IsWindowVisible(w));
        ShowWindow(w);
        DisposeWindow(w);
    }
    EXPECT_EQ(std::string(64, '\0'), std::string(mJunk, 64));
}

TEST_F(Arguments, AControlWithoutWindowPropagatesToTheApplication) {
    Rect r = {0, 0, 10, 10};
    ControlRef loose = nullptr;
    ASSERT_EQ(noErr, CreateEditUnicodeTextControl(nullptr, &r, CFSTR("x"), false, nullptr, &loose));
    EXPECT_EQ(nullptr, GetControlOwner(loose));
    EXPECT_EQ(paramErr, SetKeyboardFocus(mWindow, loose, kControlEditTextPart));
    EventRef event = nullptr;
    ASSERT_EQ(noErr, CreateEvent(nullptr, FourCC("test"), 1, 0, 0, &event));
    EXPECT_EQ(eventNotHandledErr, SendEventToEventTarget(event, GetControlEventTarget(loose)));
    ReleaseEvent(event);
    ASSERT_EQ(noErr, AutoEmbedControl(loose, mWindow));
    EXPECT_EQ(mWindow, GetControlOwner(loose));
}

TEST_F(Arguments, MissingOutParametersAndBadOtherReferences) {
    Rect r = {0, 0, 10, 10};
    EXPECT_EQ(paramErr, CreateNewWindow(kDocumentWindowClass, 0, &r, nullptr));
    WindowRef w = (WindowRef)1;
    EXPECT_EQ(paramErr, CreateNewWindow(kDocumentWindowClass, 0, nullptr, &w));
    EXPECT_EQ(nullptr, w);
    EXPECT_EQ(paramErr, CreateUserPaneControl(mWindow, nullptr, 0, nullptr));
    ControlRef c = (ControlRef)1;
    EXPECT_EQ(paramErr, CreateEditUnicodeTextControl(mWindow, &r, (CFStringRef)kCFBooleanTrue,
                                                     false, nullptr, &c));
    EXPECT_EQ(nullptr, c);
    EXPECT_EQ(paramErr, GetKeyboardFocus(mWindow, nullptr));
    EXPECT_EQ(paramErr, GetControlByID(mWindow, nullptr, &c));
    EXPECT_EQ(paramErr, InstallEventHandler(GetControlEventTarget(mField), nullptr, 0, nullptr,
                                            nullptr, nullptr));
    EXPECT_EQ(paramErr, InstallEventHandler(
                            (EventTargetRef)mJunk,
                            [](EventHandlerCallRef, EventRef, void *) -> OSStatus { return noErr; },
                            0, nullptr, nullptr, nullptr));
    EXPECT_EQ(paramErr, SendEventToEventTarget((EventRef)mJunk, GetApplicationEventTarget()));
    EXPECT_EQ(paramErr, RemoveEventHandler((EventHandlerRef)mJunk));
    EXPECT_EQ(paramErr, GetEventParameter(nullptr, kEventParamDirectObject, typeWildCard, nullptr,
                                          0, nullptr, nullptr));
    IBNibRef nib = (IBNibRef)1;
    EXPECT_EQ(paramErr, CreateNibReferenceWithCFBundle(nullptr, CFSTR("JobLog"), &nib));
    EXPECT_EQ(nullptr, nib);
    EXPECT_EQ(paramErr,
              CreateNibReferenceWithCFBundle((CFBundleRef)CFSTR("x"), CFSTR("JobLog"), &nib));
    EXPECT_EQ(paramErr, CreateWindowFromNib((IBNibRef)mJunk, CFSTR("Window"), &w));
    DisposeNibReference((IBNibRef)mJunk);
    ReleaseEvent((EventRef)mJunk);
    EXPECT_EQ(std::string(64, '\0'), std::string(mJunk, 64));
}

TEST_F(Arguments, CreationUnderAllocationFailureLeavesNothingBehind) {
    long outstanding = CFStandInGetOutstandingAllocationCount();
    for (long nth = 1; nth <= 4; nth++) {
        CFStandInSetAllocationFailure(nth, true);
        WindowRef w = nullptr;
        OSStatus status = noErr;
        Rect r = {0, 0, 10, 10};
        status = CreateNewWindow(kDocumentWindowClass, 0, &r, &w);
        ControlRef c = nullptr;
        OSStatus fieldStatus =
            CreateEditUnicodeTextControl(mWindow, &r, CFSTR("abc"), false, nullptr, &c);
        EventHandlerRef h = nullptr;
        EventTypeSpec eventType = {1, 1};
        OSStatus handlerStatus = InstallEventHandler(
            GetApplicationEventTarget(),
            [](EventHandlerCallRef, EventRef, void *) -> OSStatus { return noErr; }, 1, &eventType,
            nullptr, &h);
        CFStandInSetAllocationFailure(0, false);
        EXPECT_TRUE(status == memFullErr || status == noErr);
        EXPECT_EQ(status == noErr, w != nullptr);
        EXPECT_TRUE(fieldStatus == memFullErr || fieldStatus == noErr);
        EXPECT_EQ(fieldStatus == noErr, c != nullptr);
        EXPECT_TRUE(handlerStatus == memFullErr || handlerStatus == noErr);
        DisposeWindow(w);
        DisposeControl(c);
        RemoveEventHandler(h);
        EXPECT_EQ(outstanding, CFStandInGetOutstandingAllocationCount()) << "failure at " << nth;
    }
}

} // namespace
