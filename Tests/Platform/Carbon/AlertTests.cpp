/*
 * AlertTests.cpp
 *
 * Standard alerts and beeps as the user would meet them: default
 * parameters, the observer seeing each alert with its type and texts and
 * answering it, the alert gone after running, beeps with their duration,
 * and the refusals of bad alert arguments.
 */
#include "ToolboxTest.h"

namespace {

struct Seen {
    std::vector<std::string> events;
    DialogItemIndex answer = kAlertStdAlertOKButton;
};

void OnBeep(void *refcon, short duration) {
    static_cast<Seen *>(refcon)->events.push_back("beep " + std::to_string(duration));
}

DialogItemIndex OnAlert(void *refcon, AlertType type, CFStringRef message,
                        CFStringRef explanation) {
    Seen *seen = static_cast<Seen *>(refcon);
    seen->events.push_back("alert " + std::to_string(type) + " " + Str(message) + " / " +
                           Str(explanation));
    return seen->answer;
}

class Alerts : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        HIStandInObserver observer = {&mSeen, OnBeep, OnAlert};
        HIStandInSetObserver(&observer);
    }
    Seen mSeen;
};

TEST_F(Alerts, DefaultParametersAreThePlatformsDefaults) {
    AlertStdCFStringAlertParamRec param;
    memset(&param, 0x55, sizeof(param));
    ASSERT_EQ(noErr, GetStandardAlertDefaultParams(&param, kStdCFStringAlertVersionOne));
    EXPECT_EQ((UInt32)kStdCFStringAlertVersionOne, param.version);
    EXPECT_FALSE(param.movable);
    EXPECT_FALSE(param.helpButton);
    EXPECT_EQ((CFStringRef)(intptr_t)kAlertDefaultOKText, param.defaultText);
    EXPECT_EQ(nullptr, param.cancelText);
    EXPECT_EQ(nullptr, param.otherText);
    EXPECT_EQ(kAlertStdAlertOKButton, param.defaultButton);
    EXPECT_EQ(0, param.cancelButton);
    EXPECT_EQ(kWindowDefaultPosition, param.position);
    EXPECT_EQ(0u, param.flags);
    EXPECT_EQ(paramErr, GetStandardAlertDefaultParams(&param, 7));
    EXPECT_EQ(paramErr, GetStandardAlertDefaultParams(nullptr, kStdCFStringAlertVersionOne));
}

TEST_F(Alerts, RunningShowsTheAlertToTheObserverAndDisposesOfIt) {
    AlertStdCFStringAlertParamRec param;
    GetStandardAlertDefaultParams(&param, kStdCFStringAlertVersionOne);
    param.movable = true;
    param.position = kWindowAlertPositionParentWindow;
    CFIndex windows = HIStandInGetLiveWindowCount();
    DialogRef alert = nullptr;
    ASSERT_EQ(noErr, CreateStandardAlert(kAlertCautionAlert, CFSTR("Enter a valid User ID"),
                                         nullptr, &param, &alert));
    EXPECT_EQ(windows + 1, HIStandInGetLiveWindowCount());
    WindowClass windowClass = 0;
    EXPECT_EQ(noErr, GetWindowClass(GetDialogWindow(alert), &windowClass));
    EXPECT_EQ((WindowClass)kMovableAlertWindowClass, windowClass);
    SysBeep(1);
    mSeen.answer = kAlertStdAlertCancelButton;
    DialogItemIndex item = 0;
    EXPECT_EQ(noErr, RunStandardAlert(alert, nullptr, &item));
    EXPECT_EQ(kAlertStdAlertCancelButton, item);
    EXPECT_EQ((std::vector<std::string>{"beep 1", "alert 2 Enter a valid User ID / (null)"}),
              mSeen.events);
    EXPECT_EQ(windows, HIStandInGetLiveWindowCount());
    EXPECT_EQ(paramErr, RunStandardAlert(alert, nullptr, &item)); // it is gone
    EXPECT_EQ(1, HIStandInGetAlertCount());
    EXPECT_EQ(1, HIStandInGetBeepCount());
}

TEST_F(Alerts, WithoutObserverTheDefaultButtonAnswersAndEverythingIsCounted) {
    HIStandInSetObserver(nullptr);
    DialogRef alert = nullptr;
    ASSERT_EQ(noErr,
              CreateStandardAlert(kAlertStopAlert, CFSTR("Stop"), CFSTR("Why"), nullptr, &alert));
    DialogItemIndex item = 0;
    EXPECT_EQ(noErr, RunStandardAlert(alert, nullptr, &item));
    EXPECT_EQ(kAlertStdAlertOKButton, item);
    SysBeep(30);
    EXPECT_TRUE(mSeen.events.empty());
    EXPECT_EQ(1, HIStandInGetAlertCount());
    EXPECT_EQ(1, HIStandInGetBeepCount());
    HIStandInResetCounts();
    EXPECT_EQ(0, HIStandInGetAlertCount());
}

TEST_F(Alerts, TwoAlertsAreSeenInOrder) {
    for (const char *text : {"first", "second"}) {
        CFStringRef message = CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
        DialogRef alert = nullptr;
        ASSERT_EQ(noErr, CreateStandardAlert(kAlertNoteAlert, message, nullptr, nullptr, &alert));
        CFRelease(message); // the alert keeps its own reference
        EXPECT_EQ(noErr, RunStandardAlert(alert, nullptr, nullptr));
    }
    EXPECT_EQ((std::vector<std::string>{"alert 1 first / (null)", "alert 1 second / (null)"}),
              mSeen.events);
}

TEST_F(Alerts, BadArgumentsAreRefused) {
    DialogRef alert = (DialogRef)1;
    EXPECT_EQ(paramErr, CreateStandardAlert(4, CFSTR("x"), nullptr, nullptr, &alert));
    EXPECT_EQ(nullptr, alert);
    EXPECT_EQ(paramErr, CreateStandardAlert(kAlertNoteAlert, nullptr, nullptr, nullptr, &alert));
    EXPECT_EQ(paramErr, CreateStandardAlert(kAlertNoteAlert, (CFStringRef)kCFBooleanTrue, nullptr,
                                            nullptr, &alert));
    AlertStdCFStringAlertParamRec param;
    GetStandardAlertDefaultParams(&param, kStdCFStringAlertVersionOne);
    param.version = 9;
    EXPECT_EQ(paramErr, CreateStandardAlert(kAlertNoteAlert, CFSTR("x"), nullptr, &param, &alert));
    EXPECT_EQ(paramErr,
              CreateStandardAlert(kAlertNoteAlert, CFSTR("x"), nullptr, nullptr, nullptr));
    EXPECT_EQ(paramErr, RunStandardAlert(nullptr, nullptr, nullptr));
    EXPECT_TRUE(mSeen.events.empty());
    // allocation failure leaves nothing behind
    CFStandInSetAllocationFailure(1, true);
    EXPECT_EQ(memFullErr,
              CreateStandardAlert(kAlertNoteAlert, CFSTR("x"), nullptr, nullptr, &alert));
    CFStandInSetAllocationFailure(0, false);
    EXPECT_EQ(nullptr, alert);
}

} // namespace
