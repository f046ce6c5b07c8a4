/*
 * EventTests.cpp
 *
 * Carbon events: handler order on a target (newest first), propagation of
 * unhandled events from a control through its embedders to the window and
 * the application, CallNextEventHandler running the rest of the chain
 * exactly once, event type filtering, handler removal, and the typed event
 * parameters.
 */
#include "ToolboxTest.h"

namespace {

const UInt32 kTestClass = FourCC("test");
const UInt32 kTestKind = 1;
const EventTypeSpec kTestType = {kTestClass, kTestKind};

/* Records the order in which handlers run; each handler's user data says
 * what it answers with. */
std::vector<std::string> gTrace;

struct Answer {
    const char *name;
    enum { Handled, NotHandled, CallNext, CallNextTwice } what;
    OSStatus nextResult = 0;
};

OSStatus Recorder(EventHandlerCallRef call, EventRef event, void *userData) {
    Answer *answer = static_cast<Answer *>(userData);
    gTrace.push_back(answer->name);
    switch (answer->what) {
    case Answer::Handled:
        return noErr;
    case Answer::NotHandled:
        return eventNotHandledErr;
    case Answer::CallNext:
        answer->nextResult = CallNextEventHandler(call, event);
        gTrace.push_back(std::string(answer->name) + " after next");
        return noErr;
    case Answer::CallNextTwice:
        CallNextEventHandler(call, event);
        answer->nextResult = CallNextEventHandler(call, event);
        return noErr;
    }
    return noErr;
}

class Events : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        gTrace.clear();
        mWindow = NewWindow();
        mPane = NewPane(mWindow, {0, 0, 100, 100});
        mField = NewEditText(mWindow);
        ASSERT_EQ(noErr, EmbedControl(mField, mPane));
    }
    void TearDown() override {
        for (EventHandlerRef h : mAppHandlers)
            RemoveEventHandler(h);
        DisposeWindow(mWindow);
        ToolboxTest::TearDown();
    }
    void Install(EventTargetRef target, Answer *answer, EventTypeSpec type = kTestType) {
        EventHandlerRef ref = nullptr;
        ASSERT_EQ(noErr, InstallEventHandler(target, NewEventHandlerUPP(Recorder), 1, &type, answer,
                                             &ref));
        if (target == GetApplicationEventTarget())
            mAppHandlers.push_back(ref);
    }
    OSStatus Send(EventTargetRef target, UInt32 eventClass = kTestClass) {
        EventRef event = nullptr;
        EXPECT_EQ(noErr, CreateEvent(nullptr, eventClass, kTestKind, 0, 0, &event));
        OSStatus status = SendEventToEventTarget(event, target);
        ReleaseEvent(event);
        return status;
    }
    WindowRef mWindow = nullptr;
    ControlRef mPane = nullptr, mField = nullptr;
    std::vector<EventHandlerRef> mAppHandlers;
};

TEST_F(Events, NewestHandlerRunsFirstAndAHandledEventStops) {
    Answer older = {"older", Answer::Handled}, newer = {"newer", Answer::NotHandled};
    Answer pane = {"pane", Answer::Handled};
    Install(GetControlEventTarget(mField), &older);
    Install(GetControlEventTarget(mField), &newer);
    Install(GetControlEventTarget(mPane), &pane);
    EXPECT_EQ(noErr, Send(GetControlEventTarget(mField)));
    EXPECT_EQ((std::vector<std::string>{"newer", "older"}), gTrace);
}

TEST_F(Events, UnhandledEventsPropagateToEmbeddersWindowAndApplication) {
    Answer field = {"field", Answer::NotHandled}, pane = {"pane", Answer::NotHandled};
    Answer window = {"window", Answer::NotHandled}, app = {"app", Answer::NotHandled};
    Install(GetControlEventTarget(mField), &field);
    Install(GetControlEventTarget(mPane), &pane);
    Install(GetWindowEventTarget(mWindow), &window);
    Install(GetApplicationEventTarget(), &app);
    EXPECT_EQ(eventNotHandledErr, Send(GetControlEventTarget(mField)));
    EXPECT_EQ((std::vector<std::string>{"field", "pane", "window", "app"}), gTrace);

    // an event sent to the window does not go down to the controls
    gTrace.clear();
    EXPECT_EQ(eventNotHandledErr, Send(GetWindowEventTarget(mWindow)));
    EXPECT_EQ((std::vector<std::string>{"window", "app"}), gTrace);
}

TEST_F(Events, CallNextEventHandlerRunsTheRestOfTheChainOnce) {
    Answer first = {"first", Answer::CallNext}, second = {"second", Answer::NotHandled};
    Answer pane = {"pane", Answer::Handled}, window = {"window", Answer::Handled};
    Install(GetControlEventTarget(mField), &second);
    Install(GetControlEventTarget(mField), &first);
    Install(GetControlEventTarget(mPane), &pane);
    Install(GetWindowEventTarget(mWindow), &window);
    EXPECT_EQ(noErr, Send(GetControlEventTarget(mField)));
    EXPECT_EQ((std::vector<std::string>{"first", "second", "pane", "first after next"}), gTrace);
    EXPECT_EQ(noErr, first.nextResult); // the pane handled it

    // a second call from the same handler runs nothing more
    gTrace.clear();
    Answer twice = {"twice", Answer::CallNextTwice};
    Install(GetControlEventTarget(mField), &twice);
    Send(GetControlEventTarget(mField));
    EXPECT_EQ(eventNotHandledErr, twice.nextResult);
    EXPECT_EQ(1, std::count(gTrace.begin(), gTrace.end(), "pane"));
}

TEST_F(Events, CallNextEventHandlerReportsAnUnhandledRest) {
    Answer only = {"only", Answer::CallNext};
    Install(GetControlEventTarget(mField), &only);
    EXPECT_EQ(noErr, Send(GetControlEventTarget(mField))); // what the handler returns
    EXPECT_EQ(eventNotHandledErr, only.nextResult);
    EventRef event = nullptr;
    ASSERT_EQ(noErr, CreateEvent(nullptr, kTestClass, kTestKind, 0, 0, &event));
    int notACall = 0;
    EXPECT_EQ(paramErr, CallNextEventHandler((EventHandlerCallRef)&notACall, event));
    ReleaseEvent(event);
}

TEST_F(Events, HandlersSeeOnlyTheirEventTypesAndCanBeRemoved) {
    Answer commands = {"commands", Answer::Handled}, tests = {"tests", Answer::Handled};
    Install(GetControlEventTarget(mField), &commands, {kEventClassCommand, kEventCommandProcess});
    EventHandlerRef ref = nullptr;
    ASSERT_EQ(noErr, InstallEventHandler(GetControlEventTarget(mField), Recorder, 1, &kTestType,
                                         &tests, &ref));
    EXPECT_EQ(noErr, Send(GetControlEventTarget(mField)));
    EXPECT_EQ((std::vector<std::string>{"tests"}), gTrace);
    EXPECT_EQ(noErr, RemoveEventHandler(ref));
    EXPECT_EQ(paramErr, RemoveEventHandler(ref));
    gTrace.clear();
    EXPECT_EQ(eventNotHandledErr, Send(GetControlEventTarget(mField)));
    EXPECT_TRUE(gTrace.empty());

    EXPECT_EQ(noErr, InstallEventHandler(GetControlEventTarget(mField), Recorder, 0, nullptr,
                                         &tests, &ref));
    EXPECT_EQ(noErr, AddEventTypesToHandler(ref, 1, &kTestType));
    EXPECT_EQ(noErr, Send(GetControlEventTarget(mField)));
    EXPECT_EQ((std::vector<std::string>{"tests"}), gTrace);
    EXPECT_EQ(noErr, RemoveEventTypesFromHandler(ref, 1, &kTestType));
    EXPECT_EQ(eventNotHandledErr, Send(GetControlEventTarget(mField)));
}

TEST_F(Events, AHandlerMayDisposeOfItsOwnTarget) {
    static ControlRef victim;
    victim = mField;
    auto disposer = [](EventHandlerCallRef, EventRef, void *) -> OSStatus {
        DisposeControl(victim);
        return eventNotHandledErr;
    };
    EventHandlerRef ref = nullptr;
    ASSERT_EQ(noErr, InstallEventHandler(GetControlEventTarget(mField), disposer, 1, &kTestType,
                                         nullptr, &ref));
    EXPECT_EQ(eventNotHandledErr, Send(GetControlEventTarget(mField)));
    EXPECT_FALSE(IsValidControlHandle(mField));
    EXPECT_EQ(paramErr, RemoveEventHandler(ref)); // it went with the control
}

TEST_F(Events, ParametersAreTypedAndCopied) {
    EventRef event = nullptr;
    ASSERT_EQ(noErr, CreateEvent(nullptr, kTestClass, kTestKind, 0, 0, &event));
    EXPECT_EQ(kTestClass, GetEventClass(event));
    EXPECT_EQ(kTestKind, GetEventKind(event));
    EXPECT_GT(GetEventTime(event), 0.0);
    HICommand command = {kHICommandFromControl, kHICommandPaste, {nullptr, 3}};
    ASSERT_EQ(noErr, SetEventParameter(event, kEventParamDirectObject, typeHICommand,
                                       sizeof(command), &command));
    HICommand read;
    memset(&read, 0, sizeof(read));
    EventParamType type = 0;
    ByteCount size = 0;
    EXPECT_EQ(noErr, GetEventParameter(event, kEventParamDirectObject, typeHICommand, &type,
                                       sizeof(read), &size, &read));
    EXPECT_EQ(typeHICommand, type);
    EXPECT_EQ(sizeof(command), size);
    EXPECT_EQ(kHICommandPaste, read.commandID);
    EXPECT_EQ(3, read.menu.menuItemIndex);

    UInt32 small = 0;
    EXPECT_EQ(noErr, GetEventParameter(event, kEventParamDirectObject, typeWildCard, nullptr,
                                       sizeof(small), &size, &small));
    EXPECT_EQ(kHICommandFromControl, small); // only as much as fits is copied
    EXPECT_EQ(errAECoercionFail, GetEventParameter(event, kEventParamDirectObject, typeUInt32,
                                                   nullptr, sizeof(small), nullptr, &small));
    EXPECT_EQ(eventParameterNotFoundErr,
              GetEventParameter(event, kEventParamKeyCode, typeUInt32, nullptr, sizeof(small),
                                nullptr, &small));
    EXPECT_EQ(paramErr, SetEventParameter(event, kEventParamKeyCode, typeUInt32, 4, nullptr));

    EventRef copy = CopyEvent(event);
    ASSERT_NE(nullptr, copy);
    EXPECT_EQ(noErr, GetEventParameter(copy, kEventParamDirectObject, typeHICommand, nullptr,
                                       sizeof(read), nullptr, &read));
    EXPECT_EQ(event, RetainEvent(event));
    EXPECT_EQ(2u, GetEventRetainCount(event));
    ReleaseEvent(event);
    ReleaseEvent(event);
    ReleaseEvent(copy);
    EXPECT_EQ(0u, GetEventRetainCount(event)); // gone
    EXPECT_EQ(0u, GetEventClass(event));
}

} // namespace
