/*
 * NibTests.cpp
 *
 * Windows from nib files in a bundle's resources: a well-formed nib, and
 * missing, unreadable and malformed ones, which must fail with the
 * platform's status and leave nothing behind.
 */
#include "ToolboxTest.h"

#include <filesystem>
#include <fstream>
#include <utility>

namespace {

std::string Plist(const std::string &body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + body +
           "</dict></plist>\n";
}

std::string Bounds(int top, int left, int bottom, int right) {
    return "<key>Bounds</key><array><integer>" + std::to_string(top) + "</integer><integer>" +
           std::to_string(left) + "</integer><integer>" + std::to_string(bottom) +
           "</integer><integer>" + std::to_string(right) + "</integer></array>";
}

std::string Window(const std::string &controls) {
    return Plist("<key>Windows</key><dict><key>Window</key><dict>" + Bounds(0, 0, 200, 300) +
                 "<key>Class</key><string>plain</string><key>Controls</key><array>" + controls +
                 "</array></dict></dict>");
}

std::string ID(int id) {
    return "<key>ID</key><dict><key>Signature</key><string>jlog</string><key>ID</key><integer>" +
           std::to_string(id) + "</integer></dict>";
}

std::string Control(const std::string &kind, const std::string &rest) {
    return "<dict><key>Kind</key><string>" + kind + "</string>" + Bounds(5, 8, 25, 108) + rest +
           "</dict>";
}

/* A temporary folder of bundles, removed at exit. */
struct Bundles {
    std::string path;
    int count = 0;
    Bundles() {
        char pattern[] = "/tmp/carbon-nib-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~Bundles() { std::filesystem::remove_all(path); }
} gBundles;

} // namespace

/* The field, the check box 'ucod' (value 1) and a pane holding a disabled static text. */
extern const char *const kTestNib;
const char *const kTestNib = "field, check box, pane";

/* A new bundle whose Test.nib holds nib (kTestNib: the window above). */
CFBundleRef MakeNibBundle(const std::string &nib) {
    std::string contents = nib;
    if (nib == kTestNib)
        contents = Window(
            Control("edittext", ID(1)) +
            Control("checkbox", ID(4) + "<key>Title</key><string>Use</string>"
                                        "<key>Value</key><integer>1</integer>"
                                        "<key>Command</key><string>ucod</string>") +
            Control("userpane", "<key>Controls</key><array>" +
                                    Control("statictext", ID(105) + "<key>Text</key><string>Code"
                                                                    "</string><key>Enabled</key>"
                                                                    "<false/>") +
                                    "</array>"));
    std::string bundle = gBundles.path + "/b" + std::to_string(gBundles.count++) + ".bundle";
    std::filesystem::create_directories(bundle + "/Contents/Resources");
    std::ofstream(bundle + "/Contents/Info.plist")
        << Plist("<key>CFBundleIdentifier</key><string>com.quarn.test.nib" +
                 std::to_string(gBundles.count) + "</string>");
    if (nib == "directory")
        std::filesystem::create_directories(bundle + "/Contents/Resources/Test.nib");
    else if (nib != "missing")
        std::ofstream(bundle + "/Contents/Resources/Test.nib", std::ios::binary) << contents;
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(
        kCFAllocatorDefault, (const UInt8 *)bundle.c_str(), (CFIndex)bundle.size(), true);
    CFBundleRef result = CFBundleCreate(kCFAllocatorDefault, url);
    CFRelease(url);
    return result;
}

namespace {

/* The status of making window "Window" from Test.nib holding nib. */
OSStatus LoadStatus(const std::string &nib) {
    CFBundleRef bundle = MakeNibBundle(nib);
    IBNibRef ref = nullptr;
    OSStatus status = CreateNibReferenceWithCFBundle(bundle, CFSTR("Test"), &ref);
    EXPECT_EQ(status == noErr, ref != nullptr);
    if (status == noErr) {
        WindowRef window = nullptr;
        status = CreateWindowFromNib(ref, CFSTR("Window"), &window);
        EXPECT_EQ(status == noErr, window != nullptr);
        DisposeWindow(window);
        DisposeNibReference(ref);
    }
    CFRelease(bundle);
    return status;
}

TEST_F(ToolboxTest, ANibWindowHasItsControlsInOrderWithTheirValues) {
    CFBundleRef bundle = MakeNibBundle(kTestNib);
    IBNibRef nib = nullptr;
    ASSERT_EQ(noErr, CreateNibReferenceWithCFBundle(bundle, CFSTR("Test"), &nib));
    WindowRef window = nullptr;
    EXPECT_EQ(kIBCarbonRuntimeCantFindObject, CreateWindowFromNib(nib, CFSTR("Other"), &window));
    ASSERT_EQ(noErr, CreateWindowFromNib(nib, CFSTR("Window"), &window));
    DisposeNibReference(nib);
    ControlRef root = nullptr, pane = nullptr, control = nullptr;
    ASSERT_EQ(noErr, GetRootControl(window, &root));
    UInt16 count = 0;
    ASSERT_EQ(noErr, CountSubControls(root, &count));
    EXPECT_EQ(3, count);
    const char *kinds[] = {"edittext", "checkbox", "userpane"};
    for (UInt16 i = 1; i <= count; i++) {
        ASSERT_EQ(noErr, GetIndexedSubControl(root, i, &control));
        EXPECT_STREQ(kinds[i - 1], HIStandInGetControlKindName(control));
    }
    pane = control;
    ControlID id = {'jlog', 105};
    ASSERT_EQ(noErr, GetControlByID(window, &id, &control));
    ControlRef text = control, super = nullptr;
    EXPECT_EQ(noErr, GetSuperControl(text, &super));
    EXPECT_EQ(pane, super);
    EXPECT_EQ("Code", TextOf(control));
    EXPECT_FALSE(IsControlEnabled(control));
    id.id = 4;
    ASSERT_EQ(noErr, GetControlByID(window, &id, &control));
    EXPECT_EQ(1, GetControlValue(control));
    SetControlValue(control, 7);
    EXPECT_EQ(2, GetControlValue(control)) << "a check box's range is 0..2";
    CFStringRef title = nullptr;
    ASSERT_EQ(noErr, CopyControlTitleAsCFString(control, &title));
    EXPECT_EQ(kCFCompareEqualTo, CFStringCompare(title, CFSTR("Use"), 0));
    CFRelease(title);
    Rect bounds;
    ASSERT_EQ(noErr, GetWindowBounds(window, kWindowContentRgn, &bounds));
    EXPECT_EQ(300, bounds.right);
    EXPECT_EQ(errControlIsNotEmbedder, EmbedControl(pane, control));
    EXPECT_EQ(errCantEmbedIntoSelf, EmbedControl(pane, text));
    EXPECT_EQ(errCantEmbedRoot, EmbedControl(root, pane));
    DisposeWindow(window);
    CFRelease(bundle);
}

TEST_F(ToolboxTest, DamagedNibsFailWithTheirStatusAndLeaveNothing) {
    const OSStatus kCantFind = kIBCarbonRuntimeCantFindNibFile;
    const OSStatus kMalformed = kIBCarbonRuntimeObjectNotOfRequestedType;
    std::string deep = Control("edittext", "");
    for (int i = 0; i < 18; i++)
        deep = Control("userpane", "<key>Controls</key><array>" + deep + "</array>");
    const std::pair<std::string, OSStatus> kCases[] = {
        {"missing", kCantFind},
        {"directory", kCantFind},
        {"not a property list", kMalformed},
        {Plist("<key>Windows</key><array/>"), kMalformed},
        {Plist("<key>Windows</key><dict/>"), kIBCarbonRuntimeCantFindObject},
        {Plist("<key>Windows</key><dict><key>Window</key><string/></dict>"), kMalformed},
        {Plist("<key>Windows</key><dict><key>Window</key><dict/></dict>"), kMalformed},
        {Window(Control("slider", "")), kMalformed},
        {Window("<dict><key>Kind</key><string>edittext</string></dict>"), kMalformed},
        {Window(Control("edittext", "<key>ID</key><dict><key>Signature</key><string>toolong"
                                    "</string><key>ID</key><integer>1</integer></dict>")),
         kMalformed},
        {Window(Control("edittext", "<key>Text</key><integer>3</integer>")), kMalformed},
        {Window(Control("checkbox", "<key>Value</key><real>1.5</real>")), kMalformed},
        {Window(Control("checkbox", "<key>Command</key><string>abc</string>")), kMalformed},
        {Window(Control("edittext", "<key>Controls</key><array/>")), kMalformed},
        {Window(Control("userpane", "<key>Features</key><integer>0</integer><key>Controls"
                                    "</key><array>" +
                                        Control("edittext", "") + "</array>")),
         kMalformed},
        {Window("<dict><key>Kind</key><string>edittext</string>" + Bounds(10, 0, 5, 0) + "</dict>"),
         kMalformed},
        {Window("<dict><key>Kind</key><string>edittext</string>" + Bounds(0, 0, 5, 40000) +
                "</dict>"),
         kMalformed},
        {Window(deep), kMalformed},
        {Window(Control("password", "<key>Unknown</key><true/>")), noErr},
    };
    for (const auto &c : kCases)
        EXPECT_EQ(c.second, LoadStatus(c.first)) << c.first;
    EXPECT_EQ(paramErr, CreateNibReferenceWithCFBundle(nullptr, CFSTR("Test"), nullptr));
}

} // namespace
