/*
 * NibTests.cpp
 *
 * Windows from nib files in a bundle's resources: a well-formed nib in XML
 * and binary form, a missing nib, a missing window, missing control IDs,
 * and malformed nibs of many kinds, which must fail with a status and
 * leave nothing behind.
 */
#include "ToolboxTest.h"

namespace {

const char *const kJobLogWindow =
    "<key>Windows</key><dict><key>Window</key><dict>"
    "<key>Bounds</key><array><integer>0</integer><integer>0</integer>"
    "<integer>200</integer><integer>300</integer></array>"
    "<key>Title</key><string>Job Log</string>"
    "<key>Controls</key><array>"
    "<dict><key>Kind</key><string>edittext</string>"
    "<key>Bounds</key><array><integer>5</integer><integer>8</integer>"
    "<integer>25</integer><integer>108</integer></array>"
    "<key>ID</key><dict><key>Signature</key><string>jlog</string><key>ID</key>"
    "<integer>1</integer></dict></dict>"
    "<dict><key>Kind</key><string>checkbox</string>"
    "<key>Bounds</key><array><integer>30</integer><integer>8</integer>"
    "<integer>48</integer><integer>200</integer></array>"
    "<key>Title</key><string>Use User Code</string><key>Value</key><integer>1</integer>"
    "<key>Command</key><string>jlcb</string>"
    "<key>ID</key><dict><key>Signature</key><string>jlog</string><key>ID</key>"
    "<integer>4</integer></dict></dict>"
    "<dict><key>Kind</key><string>userpane</string>"
    "<key>Bounds</key><array><integer>50</integer><integer>0</integer>"
    "<integer>100</integer><integer>300</integer></array>"
    "<key>Controls</key><array>"
    "<dict><key>Kind</key><string>statictext</string>"
    "<key>Bounds</key><array><integer>55</integer><integer>8</integer>"
    "<integer>70</integer><integer>100</integer></array>"
    "<key>Text</key><string>User Code</string><key>Enabled</key><false/>"
    "<key>ID</key><dict><key>Signature</key><string>jlog</string><key>ID</key>"
    "<integer>105</integer></dict></dict>"
    "</array></dict>"
    "</array></dict></dict>";

class Nib : public ToolboxTest {
protected:
    /* The status of loading window "Window" from a nib with this content. */
    OSStatus LoadStatus(const std::string &nibContents) {
        CFBundleRef bundle = MakeBundle(mDir, NextID(), {{"Test.nib", nibContents}});
        EXPECT_NE(nullptr, bundle);
        IBNibRef nib = nullptr;
        OSStatus status = CreateNibReferenceWithCFBundle(bundle, CFSTR("Test"), &nib);
        if (status == noErr) {
            WindowRef window = nullptr;
            status = CreateWindowFromNib(nib, CFSTR("Window"), &window);
            EXPECT_EQ(status == noErr, window != nullptr);
            DisposeWindow(window);
            DisposeNibReference(nib);
        } else {
            EXPECT_EQ(nullptr, nib);
        }
        CFRelease(bundle);
        return status;
    }
    /* A window description with one control whose dictionary body is given */
    static std::string WithControl(const std::string &control) {
        return Plist("<key>Windows</key><dict><key>Window</key><dict><key>Bounds</key><array>"
                     "<integer>0</integer><integer>0</integer><integer>100</integer>"
                     "<integer>100</integer></array><key>Controls</key><array><dict>" +
                     control + "</dict></array></dict></dict>");
    }
    std::string NextID() { return "com.quarn.test.nib" + std::to_string(mCount++); }
    TempDir mDir;
    int mCount = 0;
};

TEST_F(Nib, WindowIsBuiltWithItsControlsInOrder) {
    CFBundleRef bundle = MakeBundle(mDir, NextID(), {{"JobLog.nib", Plist(kJobLogWindow)}});
    ASSERT_NE(nullptr, bundle);
    IBNibRef nib = nullptr;
    ASSERT_EQ(noErr, CreateNibReferenceWithCFBundle(bundle, CFSTR("JobLog"), &nib));
    WindowRef window = nullptr;
    ASSERT_EQ(noErr, CreateWindowFromNib(nib, CFSTR("Window"), &window));
    DisposeNibReference(nib); // the window does not depend on the nib

    Rect content;
    ASSERT_EQ(noErr, GetWindowBounds(window, kWindowContentRgn, &content));
    EXPECT_EQ(300, content.right - content.left);
    EXPECT_EQ(200, content.bottom - content.top);
    ControlRef root = nullptr;
    UInt16 count = 0;
    ASSERT_EQ(noErr, GetRootControl(window, &root));
    ASSERT_EQ(noErr, CountSubControls(root, &count));
    EXPECT_EQ(3, count);

    ControlRef field = nullptr, box = nullptr, label = nullptr, first = nullptr;
    ControlID id = {FourCC("jlog"), 1};
    ASSERT_EQ(noErr, GetControlByID(window, &id, &field));
    ASSERT_EQ(noErr, GetIndexedSubControl(root, 1, &first));
    EXPECT_EQ(field, first);
    EXPECT_EQ("edittext", std::string(HIStandInGetControlKindName(field)));
    Rect r;
    GetControlBounds(field, &r);
    EXPECT_EQ((std::vector<SInt16>{5, 8, 25, 108}),
              (std::vector<SInt16>{r.top, r.left, r.bottom, r.right}));

    id.id = 4;
    ASSERT_EQ(noErr, GetControlByID(window, &id, &box));
    EXPECT_EQ(1, GetControlValue(box));
    UInt32 command = 0;
    EXPECT_EQ(noErr, GetControlCommandID(box, &command));
    EXPECT_EQ(FourCC("jlcb"), command);
    CFStringRef title = nullptr;
    EXPECT_EQ(noErr, CopyControlTitleAsCFString(box, &title));
    EXPECT_EQ("Use User Code", Str(title));
    CFRelease(title);

    id.id = 105; // nested in the user pane
    ASSERT_EQ(noErr, GetControlByID(window, &id, &label));
    EXPECT_EQ("User Code", TextOf(label));
    EXPECT_FALSE(IsControlEnabled(label));

    id.id = 2; // not in the nib
    EXPECT_EQ(errUnknownControl, GetControlByID(window, &id, &label));
    EXPECT_EQ(nullptr, label);
    DisposeWindow(window);
    CFRelease(bundle);
}

TEST_F(Nib, BinaryPropertyListsAreReadToo) {
    CFDataRef xml = CFDataCreate(nullptr, (const UInt8 *)Plist(kJobLogWindow).data(),
                                 (CFIndex)Plist(kJobLogWindow).size());
    CFPropertyListRef plist = CFPropertyListCreateWithData(nullptr, xml, 0, nullptr, nullptr);
    ASSERT_NE(nullptr, plist);
    CFDataRef binary =
        CFPropertyListCreateData(nullptr, plist, kCFPropertyListBinaryFormat_v1_0, 0, nullptr);
    ASSERT_NE(nullptr, binary);
    std::string bytes((const char *)CFDataGetBytePtr(binary), CFDataGetLength(binary));
    EXPECT_EQ(0u, bytes.find("bplist"));
    EXPECT_EQ(noErr, LoadStatus(bytes));
    CFRelease(binary);
    CFRelease(plist);
    CFRelease(xml);
}

TEST_F(Nib, MissingNibAndMissingWindowFailWithTheRuntimesStatus) {
    CFBundleRef bundle = MakeBundle(mDir, NextID(), {{"JobLog.nib", Plist(kJobLogWindow)}});
    ASSERT_NE(nullptr, bundle);
    IBNibRef nib = (IBNibRef)1;
    EXPECT_EQ(kIBCarbonRuntimeCantFindNibFile,
              CreateNibReferenceWithCFBundle(bundle, CFSTR("Other"), &nib));
    EXPECT_EQ(nullptr, nib);
    ASSERT_EQ(noErr, CreateNibReferenceWithCFBundle(bundle, CFSTR("JobLog"), &nib));
    WindowRef window = (WindowRef)1;
    EXPECT_EQ(kIBCarbonRuntimeCantFindObject, CreateWindowFromNib(nib, CFSTR("Dialog"), &window));
    EXPECT_EQ(nullptr, window);
    DisposeNibReference(nib);
    EXPECT_EQ(paramErr, CreateWindowFromNib(nib, CFSTR("Window"), &window)); // disposed of
    CFRelease(bundle);
}

TEST_F(Nib, FilesThatAreNoNibAreRefused) {
    EXPECT_EQ(kIBCarbonRuntimeObjectNotOfRequestedType, LoadStatus("this is no property list"));
    EXPECT_EQ(kIBCarbonRuntimeObjectNotOfRequestedType, LoadStatus(""));
    EXPECT_EQ(kIBCarbonRuntimeObjectNotOfRequestedType,
              LoadStatus("<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>"));
    EXPECT_EQ(kIBCarbonRuntimeObjectNotOfRequestedType,
              LoadStatus(Plist("<key>Windows</key><array/>")));
    EXPECT_EQ(kIBCarbonRuntimeObjectNotOfRequestedType,
              LoadStatus(Plist("<key>Windows</key><dict><key>Window</key><string>x</string>"
                               "</dict>")));
    // a nib that is a directory cannot be read
    CFBundleRef bundle = MakeBundle(mDir, NextID(), {{"Dir.nib/objects.xib", "x"}});
    IBNibRef nib = nullptr;
    EXPECT_EQ(kIBCarbonRuntimeCantFindNibFile,
              CreateNibReferenceWithCFBundle(bundle, CFSTR("Dir"), &nib));
    CFRelease(bundle);
}

TEST_F(Nib, MalformedWindowDescriptionsFailAndLeaveNothingBehind) {
    const std::string bounds = "<key>Bounds</key><array><integer>0</integer><integer>0</integer>"
                               "<integer>10</integer><integer>10</integer></array>";
    const std::string malformed[] = {
        "<key>Kind</key><string>slider</string>" + bounds,
        "<key>Kind</key><integer>1</integer>" + bounds,
        "<key>Kind</key><string>edittext</string>",
        "<key>Kind</key><string>edittext</string><key>Bounds</key><array><integer>0</integer>"
        "<integer>0</integer><integer>10</integer></array>",
        "<key>Kind</key><string>edittext</string><key>Bounds</key><array><integer>0</integer>"
        "<integer>0</integer><integer>40000</integer><integer>10</integer></array>",
        "<key>Kind</key><string>edittext</string><key>Bounds</key><array><integer>10</integer>"
        "<integer>0</integer><integer>0</integer><integer>10</integer></array>",
        "<key>Kind</key><string>edittext</string><key>Bounds</key><array><real>1.5</real>"
        "<integer>0</integer><integer>0</integer><integer>10</integer></array>",
        "<key>Kind</key><string>edittext</string>" + bounds +
            "<key>ID</key><dict><key>Signature</key><string>jlo</string><key>ID</key>"
            "<integer>1</integer></dict>",
        "<key>Kind</key><string>edittext</string>" + bounds +
            "<key>ID</key><dict><key>Signature</key><string>jlog</string></dict>",
        "<key>Kind</key><string>edittext</string>" + bounds +
            "<key>ID</key><dict><key>Signature</key><string>jlog</string><key>ID</key>"
            "<integer>4294967296</integer></dict>",
        "<key>Kind</key><string>checkbox</string>" + bounds + "<key>Value</key><string>1</string>",
        "<key>Kind</key><string>checkbox</string>" + bounds +
            "<key>Enabled</key><integer>1</integer>",
        "<key>Kind</key><string>checkbox</string>" + bounds +
            "<key>Command</key><string>toolong</string>",
        "<key>Kind</key><string>checkbox</string>" + bounds +
            "<key>Command</key><integer>-1</integer>",
        "<key>Kind</key><string>checkbox</string>" + bounds + "<key>Title</key><data>AA==</data>",
        "<key>Kind</key><string>checkbox</string>" + bounds +
            "<key>Minimum</key><integer>5</integer><key>Maximum</key><integer>1</integer>",
        "<key>Kind</key><string>edittext</string>" + bounds + "<key>Controls</key><array/>",
        "<key>Kind</key><string>userpane</string>" + bounds + "<key>Controls</key><dict/>",
        "<key>Kind</key><string>userpane</string>" + bounds +
            "<key>Features</key><integer>0</integer><key>Controls</key><array><dict>"
            "<key>Kind</key><string>edittext</string>" +
            bounds + "</dict></array>",
    };
    CFIndex cfObjects = CFStandInGetLiveObjectCount();
    for (const std::string &control : malformed)
        EXPECT_EQ(kIBCarbonRuntimeObjectNotOfRequestedType, LoadStatus(WithControl(control)))
            << control;
    // too deep nesting of user panes
    std::string nested = "<key>Kind</key><string>edittext</string>" + bounds;
    for (int i = 0; i < 20; i++)
        nested = "<key>Kind</key><string>userpane</string>" + bounds +
                 "<key>Controls</key><array><dict>" + nested + "</dict></array>";
    EXPECT_EQ(kIBCarbonRuntimeObjectNotOfRequestedType, LoadStatus(WithControl(nested)));
    EXPECT_EQ(noErr, LoadStatus(WithControl("<key>Kind</key><string>edittext</string>" + bounds +
                                            "<key>Unknown</key><string>ignored</string>")));
    EXPECT_EQ(cfObjects, CFStandInGetLiveObjectCount());
}

TEST_F(Nib, DamagedNibsFailCleanly) {
    // a fixed set of byte-level damages to the binary form of a good nib
    CFDataRef xml = CFDataCreate(nullptr, (const UInt8 *)Plist(kJobLogWindow).data(),
                                 (CFIndex)Plist(kJobLogWindow).size());
    CFPropertyListRef plist = CFPropertyListCreateWithData(nullptr, xml, 0, nullptr, nullptr);
    CFDataRef binary =
        CFPropertyListCreateData(nullptr, plist, kCFPropertyListBinaryFormat_v1_0, 0, nullptr);
    ASSERT_NE(nullptr, binary);
    const std::string good((const char *)CFDataGetBytePtr(binary), CFDataGetLength(binary));
    CFRelease(binary);
    CFRelease(plist);
    CFRelease(xml);
    unsigned seed = 12345;
    for (int round = 0; round < 150; round++) {
        std::string damaged = good;
        for (int flips = 1 + round % 4; flips > 0; flips--) {
            seed = seed * 1103515245u + 12345u;
            damaged[(seed >> 8) % damaged.size()] = (char)(seed >> 20);
        }
        OSStatus status = LoadStatus(damaged);
        EXPECT_TRUE(status == noErr || status == kIBCarbonRuntimeObjectNotOfRequestedType ||
                    status == kIBCarbonRuntimeCantFindObject)
            << "round " << round << ": " << status;
    }
}

TEST_F(Nib, EveryAllocationFailureIsReportedCleanly) {
    CFBundleRef bundle = MakeBundle(mDir, NextID(), {{"JobLog.nib", Plist(kJobLogWindow)}});
    ASSERT_NE(nullptr, bundle);
    IBNibRef nib = nullptr;
    ASSERT_EQ(noErr, CreateNibReferenceWithCFBundle(bundle, CFSTR("JobLog"), &nib));
    long outstanding = CFStandInGetOutstandingAllocationCount();
    bool succeeded = false;
    for (long nth = 1; nth < 1000 && !succeeded; nth++) {
        WindowRef window = nullptr;
        CFStandInSetAllocationFailure(nth, false);
        OSStatus status = CreateWindowFromNib(nib, CFSTR("Window"), &window);
        CFStandInSetAllocationFailure(0, false);
        if (status == noErr) {
            succeeded = true;
            DisposeWindow(window);
        } else {
            EXPECT_EQ(memFullErr, status) << "allocation " << nth;
            EXPECT_EQ(nullptr, window);
        }
        EXPECT_EQ(outstanding, CFStandInGetOutstandingAllocationCount()) << "allocation " << nth;
    }
    EXPECT_TRUE(succeeded);
    DisposeNibReference(nib);
    CFRelease(bundle);
}

} // namespace
