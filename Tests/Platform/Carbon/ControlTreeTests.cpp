/*
 * ControlTreeTests.cpp
 *
 * Control hierarchies: ordered subcontrols, re-embedding (also across
 * windows), the embedding refusals, window-relative bounds, control IDs
 * anywhere in a window, disposal of subtrees, latent state and value ranges.
 */
#include "ToolboxTest.h"

namespace {

class ControlTree : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        mWindow = NewWindow();
        ASSERT_EQ(noErr, GetRootControl(mWindow, &mRoot));
    }
    void TearDown() override {
        DisposeWindow(mWindow);
        ToolboxTest::TearDown();
    }
    std::vector<ControlRef> Children(ControlRef container) {
        UInt16 count = 0;
        EXPECT_EQ(noErr, CountSubControls(container, &count));
        std::vector<ControlRef> children;
        for (UInt16 i = 1; i <= count; i++) {
            ControlRef child = nullptr;
            EXPECT_EQ(noErr, GetIndexedSubControl(container, i, &child));
            children.push_back(child);
        }
        return children;
    }
    WindowRef mWindow = nullptr;
    ControlRef mRoot = nullptr;
};

TEST_F(ControlTree, SubcontrolsKeepOrderAndEmbeddingAppendsAtTheEnd) {
    ControlRef a = NewEditText(mWindow), b = NewEditText(mWindow), c = NewEditText(mWindow);
    ControlRef pane = NewPane(mWindow, {0, 0, 100, 100});
    EXPECT_EQ((std::vector<ControlRef>{a, b, c, pane}), Children(mRoot));

    ControlRef out = a;
    EXPECT_EQ(paramErr, GetIndexedSubControl(mRoot, 0, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(paramErr, GetIndexedSubControl(mRoot, 5, &out));

    EXPECT_EQ(noErr, EmbedControl(c, pane));
    EXPECT_EQ(noErr, EmbedControl(a, pane));
    EXPECT_EQ((std::vector<ControlRef>{b, pane}), Children(mRoot));
    EXPECT_EQ((std::vector<ControlRef>{c, a}), Children(pane));
    ControlRef parent = nullptr;
    EXPECT_EQ(noErr, GetSuperControl(a, &parent));
    EXPECT_EQ(pane, parent);

    // embedding again in the same container moves the control to the end
    EXPECT_EQ(noErr, EmbedControl(c, pane));
    EXPECT_EQ((std::vector<ControlRef>{a, c}), Children(pane));
}

TEST_F(ControlTree, EmbeddingInAnotherWindowMovesTheSubtreeWithItsHandlers) {
    WindowRef other = NewWindow(300, 200);
    ControlRef otherRoot = nullptr;
    ASSERT_EQ(noErr, GetRootControl(other, &otherRoot));
    ControlRef group = NewPane(other, {0, 0, 50, 50});
    ControlRef field = NewEditText(other);
    ASSERT_EQ(noErr, EmbedControl(field, group));
    static int calls;
    calls = 0;
    EventTypeSpec eventType = {kEventClassCommand, kEventCommandProcess};
    auto counter = [](EventHandlerCallRef, EventRef, void *) -> OSStatus {
        calls++;
        return noErr;
    };
    ASSERT_EQ(noErr, InstallEventHandler(GetControlEventTarget(field), counter, 1, &eventType,
                                         nullptr, nullptr));
    ControlRef pane = NewPane(mWindow, {10, 20, 310, 420});

    EXPECT_EQ(noErr, EmbedControl(group, pane));
    EXPECT_EQ(mWindow, GetControlOwner(group));
    EXPECT_EQ(mWindow, GetControlOwner(field));
    EXPECT_TRUE(Children(otherRoot).empty());
    ControlID id = {FourCC("test"), 7};
    ASSERT_EQ(noErr, SetControlID(field, &id));
    ControlRef found = nullptr;
    EXPECT_EQ(noErr, GetControlByID(mWindow, &id, &found));
    EXPECT_EQ(field, found);
    EXPECT_EQ(errUnknownControl, GetControlByID(other, &id, &found));

    DisposeWindow(other); // the moved controls now belong to mWindow and survive
    EXPECT_TRUE(IsValidControlHandle(field));
    HICommand command = {0, FourCC("abcd"), {nullptr, 0}};
    EventRef event = nullptr;
    ASSERT_EQ(noErr, CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, 0, 0, &event));
    SetEventParameter(event, kEventParamDirectObject, typeHICommand, sizeof(command), &command);
    EXPECT_EQ(noErr, SendEventToEventTarget(event, GetControlEventTarget(field)));
    ReleaseEvent(event);
    EXPECT_EQ(1, calls);
}

TEST_F(ControlTree, EmbeddingRefusesCyclesRootsAndNonEmbedders) {
    ControlRef outer = NewPane(mWindow, {0, 0, 100, 100});
    ControlRef inner = NewPane(mWindow, {0, 0, 50, 50});
    ControlRef field = NewEditText(mWindow);
    ControlRef plain = NewPane(mWindow, {0, 0, 10, 10}, 0);
    ASSERT_EQ(noErr, EmbedControl(inner, outer));

    EXPECT_EQ(errCantEmbedIntoSelf, EmbedControl(outer, outer));
    EXPECT_EQ(errCantEmbedIntoSelf, EmbedControl(outer, inner));
    EXPECT_EQ(errCantEmbedRoot, EmbedControl(mRoot, outer));
    EXPECT_EQ(errControlIsNotEmbedder, EmbedControl(inner, field));
    EXPECT_EQ(errControlIsNotEmbedder, EmbedControl(inner, plain));
    UInt16 count = 9;
    EXPECT_EQ(errControlIsNotEmbedder, CountSubControls(field, &count));
    EXPECT_EQ(0, count);
    // nothing moved
    ControlRef parent = nullptr;
    EXPECT_EQ(noErr, GetSuperControl(inner, &parent));
    EXPECT_EQ(outer, parent);
    EXPECT_EQ(errControlIsNotEmbedder, GetSuperControl(mRoot, &parent));
}

TEST_F(ControlTree, BoundsAreWindowRelativeAndEmbeddingLeavesThemAlone) {
    ControlRef pane = NewPane(mWindow, {10, 20, 310, 420});
    ControlRef field = NewEditText(mWindow, nullptr, {5, 8, 25, 108});
    ASSERT_EQ(noErr, EmbedControl(field, pane));
    Rect r;
    EXPECT_EQ(&r, GetControlBounds(field, &r));
    EXPECT_EQ((std::vector<SInt16>{5, 8, 25, 108}),
              (std::vector<SInt16>{r.top, r.left, r.bottom, r.right}));

    MoveControl(pane, 30, 40); // top left to (h 30, v 40): moved by +10, +30 with its field
    GetControlBounds(pane, &r);
    EXPECT_EQ((std::vector<SInt16>{40, 30, 340, 430}),
              (std::vector<SInt16>{r.top, r.left, r.bottom, r.right}));
    GetControlBounds(field, &r);
    EXPECT_EQ((std::vector<SInt16>{35, 18, 55, 118}),
              (std::vector<SInt16>{r.top, r.left, r.bottom, r.right}));

    SizeControl(field, 50, 10);
    Rect moved = {-5, -8, 20, 40};
    SetControlBounds(pane, &moved); // the pane alone
    GetControlBounds(field, &r);
    EXPECT_EQ((std::vector<SInt16>{35, 18, 45, 68}),
              (std::vector<SInt16>{r.top, r.left, r.bottom, r.right}));

    Rect content, structure;
    EXPECT_EQ(noErr, GetWindowBounds(mWindow, kWindowContentRgn, &content));
    EXPECT_EQ((std::vector<SInt16>{50, 100, 350, 500}),
              (std::vector<SInt16>{content.top, content.left, content.bottom, content.right}));
    EXPECT_EQ(noErr, GetWindowBounds(mWindow, kWindowStructureRgn, &structure));
    EXPECT_LT(structure.top, content.top);
    EXPECT_EQ(errWindowRegionCodeInvalid, GetWindowBounds(mWindow, 99, &content));
}

TEST_F(ControlTree, ControlIDsAreFoundAnywhereInTheWindowFirstInTreeOrder) {
    ControlRef outer = NewPane(mWindow, {0, 0, 100, 100});
    ControlRef inner = NewPane(mWindow, {0, 0, 50, 50});
    ControlRef deep = NewEditText(mWindow);
    ControlRef later = NewEditText(mWindow);
    ASSERT_EQ(noErr, EmbedControl(inner, outer));
    ASSERT_EQ(noErr, EmbedControl(deep, inner));
    ControlID id = {FourCC("jlog"), 5};
    ASSERT_EQ(noErr, SetControlID(later, &id));
    ASSERT_EQ(noErr, SetControlID(deep, &id));

    ControlRef found = nullptr;
    EXPECT_EQ(noErr, GetControlByID(mWindow, &id, &found));
    EXPECT_EQ(deep, found); // outer comes before later in the root

    ControlID missing = {FourCC("jlog"), 6};
    EXPECT_EQ(errUnknownControl, GetControlByID(mWindow, &missing, &found));
    EXPECT_EQ(nullptr, found);
    ControlID other = {FourCC("jlOg"), 5};
    EXPECT_EQ(errUnknownControl, GetControlByID(mWindow, &other, &found));
    ControlID read;
    EXPECT_EQ(noErr, GetControlID(deep, &read));
    EXPECT_EQ(FourCC("jlog"), read.signature);
    EXPECT_EQ(5, read.id);
}

TEST_F(ControlTree, DisposingAControlDisposesItsSubtreeAndTheirHandlers) {
    ControlRef pane = NewPane(mWindow, {0, 0, 100, 100});
    ControlRef field = NewEditText(mWindow);
    ControlRef keep = NewEditText(mWindow);
    ASSERT_EQ(noErr, EmbedControl(field, pane));
    EventTypeSpec eventType = {kEventClassCommand, kEventCommandProcess};
    auto handler = [](EventHandlerCallRef, EventRef, void *) -> OSStatus { return noErr; };
    ASSERT_EQ(noErr, InstallControlEventHandler(field, handler, 1, &eventType, nullptr, nullptr));
    CFIndex controls = HIStandInGetLiveControlCount();
    CFIndex handlers = HIStandInGetLiveHandlerCount();

    DisposeControl(pane);
    EXPECT_EQ(controls - 2, HIStandInGetLiveControlCount());
    EXPECT_EQ(handlers - 1, HIStandInGetLiveHandlerCount());
    EXPECT_FALSE(IsValidControlHandle(field));
    EXPECT_TRUE(IsValidControlHandle(keep));
    EXPECT_EQ((std::vector<ControlRef>{keep}), Children(mRoot));
    DisposeControl(pane); // a stale reference is ignored
}

TEST_F(ControlTree, VisibilityEnablingAndActivationAreInheritedFromEmbedders) {
    ControlRef pane = NewPane(mWindow, {0, 0, 100, 100});
    ControlRef field = NewEditText(mWindow);
    ASSERT_EQ(noErr, EmbedControl(field, pane));
    EXPECT_TRUE(IsControlVisible(field));
    HideControl(pane);
    EXPECT_FALSE(IsControlVisible(field));
    ShowControl(pane);
    EXPECT_EQ(noErr, SetControlVisibility(field, false, false));
    EXPECT_FALSE(IsControlVisible(field));
    EXPECT_TRUE(IsControlVisible(pane));

    EXPECT_EQ(noErr, DisableControl(pane));
    EXPECT_FALSE(IsControlEnabled(field));
    EXPECT_EQ(noErr, EnableControl(pane));
    EXPECT_TRUE(IsControlEnabled(field));
    EXPECT_EQ(noErr, DeactivateControl(pane));
    EXPECT_FALSE(IsControlActive(field));
    EXPECT_EQ(noErr, ActivateControl(pane));
    EXPECT_TRUE(IsControlActive(field));
}

TEST_F(ControlTree, ValuesStayWithinTheirRange) {
    Rect r = {0, 0, 20, 100};
    ControlRef box = nullptr;
    ASSERT_EQ(noErr, CreateCheckBoxControl(mWindow, &r, CFSTR("Box"), 7, true, &box));
    EXPECT_EQ(kControlCheckBoxMixedValue, GetControlValue(box)); // clamped to 0..2
    SetControlValue(box, -3);
    EXPECT_EQ(0, GetControlValue(box));
    SetControlValue(box, 1);
    SetControlMaximum(box, 0);
    EXPECT_EQ(0, GetControlValue(box));

    SetControl32BitMaximum(box, 100000);
    SetControl32BitValue(box, 70000);
    EXPECT_EQ(70000, GetControl32BitValue(box));
    EXPECT_EQ(32767, GetControlValue(box)); // the 16-bit view saturates
    SetControl32BitMinimum(box, 80000);
    EXPECT_EQ(80000, GetControl32BitValue(box));
}

TEST_F(ControlTree, TitlesAreCopiedAndCopiesBelongToTheCaller) {
    Rect r = {0, 0, 20, 100};
    ControlRef button = nullptr, label = nullptr;
    ASSERT_EQ(noErr, CreatePushButtonControl(mWindow, &r, CFSTR("Print"), &button));
    ASSERT_EQ(noErr, CreateStaticTextControl(mWindow, &r, CFSTR("User Code"), nullptr, &label));
    CFMutableStringRef title = CFStringCreateMutable(nullptr, 0);
    CFStringAppendCString(title, "Cancel", kCFStringEncodingUTF8);
    EXPECT_EQ(noErr, SetControlTitleWithCFString(button, title));
    CFStringAppendCString(title, "!", kCFStringEncodingUTF8); // the control kept a copy
    CFRelease(title);
    CFStringRef copy = nullptr;
    EXPECT_EQ(noErr, CopyControlTitleAsCFString(button, &copy));
    EXPECT_EQ("Cancel", Str(copy));
    CFRelease(copy);
    // a static text's title is its text
    EXPECT_EQ(noErr, CopyControlTitleAsCFString(label, &copy));
    EXPECT_EQ("User Code", Str(copy));
    CFRelease(copy);
    EXPECT_EQ(noErr, SetControlTitleWithCFString(label, CFSTR("Code")));
    EXPECT_EQ("Code", TextOf(label));
    EXPECT_EQ(paramErr, SetControlTitleWithCFString(button, nullptr));
}

} // namespace
