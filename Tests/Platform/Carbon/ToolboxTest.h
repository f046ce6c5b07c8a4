/*
 * ToolboxTest.h
 *
 * Shared fixture of the toolbox tests: a clean observer, clipboard and
 * counts before each test, and a check afterwards that the test left no
 * window, control, handler, event or nib behind. Also temporary bundles
 * holding a nib, and small string helpers.
 */
#ifndef TOOLBOXTEST_H
#define TOOLBOXTEST_H

#include <Carbon/Carbon.h>
#include <StandIn/CFStandIn.h>
#include <StandIn/HIStandIn.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

class ToolboxTest : public ::testing::Test {
protected:
    void SetUp() override {
        HIStandInSetObserver(nullptr);
        HIStandInResetCounts();
        ClearCurrentScrap();
        CFStandInSetAllocationFailure(0, false);
        mWindows = HIStandInGetLiveWindowCount();
        mControls = HIStandInGetLiveControlCount();
        mHandlers = HIStandInGetLiveHandlerCount();
        mEvents = HIStandInGetLiveEventCount();
        mNibs = HIStandInGetLiveNibCount();
    }
    void TearDown() override {
        CFStandInSetAllocationFailure(0, false);
        HIStandInSetObserver(nullptr);
        EXPECT_EQ(mWindows, HIStandInGetLiveWindowCount()) << "windows left behind";
        EXPECT_EQ(mControls, HIStandInGetLiveControlCount()) << "controls left behind";
        EXPECT_EQ(mHandlers, HIStandInGetLiveHandlerCount()) << "handlers left behind";
        EXPECT_EQ(mEvents, HIStandInGetLiveEventCount()) << "events left behind";
        EXPECT_EQ(mNibs, HIStandInGetLiveNibCount()) << "nibs left behind";
    }

    static WindowRef NewWindow(SInt16 width = 400, SInt16 height = 300) {
        Rect content = {50, 100, (SInt16)(50 + height), (SInt16)(100 + width)};
        WindowRef window = nullptr;
        EXPECT_EQ(noErr, CreateNewWindow(kDocumentWindowClass, 0, &content, &window));
        return window;
    }
    static ControlRef NewPane(WindowRef window, Rect bounds,
                              UInt32 features = kControlSupportsEmbedding) {
        ControlRef pane = nullptr;
        EXPECT_EQ(noErr, CreateUserPaneControl(window, &bounds, features, &pane));
        return pane;
    }
    static ControlRef NewEditText(WindowRef window, CFStringRef text = nullptr,
                                  Rect bounds = {10, 10, 30, 110}) {
        ControlRef field = nullptr;
        EXPECT_EQ(noErr,
                  CreateEditUnicodeTextControl(window, &bounds, text, false, nullptr, &field));
        return field;
    }

    CFIndex mWindows = 0, mControls = 0, mHandlers = 0, mEvents = 0, mNibs = 0;
};

/* A four-character code from its four characters */
constexpr UInt32 FourCC(const char (&s)[5]) {
    return ((UInt32)(unsigned char)s[0] << 24) | ((UInt32)(unsigned char)s[1] << 16) |
           ((UInt32)(unsigned char)s[2] << 8) | (UInt32)(unsigned char)s[3];
}

/* The text of a CFString as UTF-8 */
inline std::string Str(CFStringRef s) {
    if (s == nullptr)
        return "(null)";
    char buffer[1024];
    if (!CFStringGetCString(s, buffer, sizeof(buffer), kCFStringEncodingUTF8))
        return "(unconvertible)";
    return buffer;
}

/* The text of an edit or static text control, read through 'cfst' */
inline std::string TextOf(ControlRef control) {
    CFStringRef text = nullptr;
    OSErr err = GetControlData(control, kControlEntireControl, kControlEditTextCFStringTag,
                               sizeof(text), &text, nullptr);
    if (err != noErr)
        return "error " + std::to_string(err);
    std::string result = Str(text);
    CFRelease(text);
    return result;
}

inline ControlEditTextSelectionRec SelectionOf(ControlRef control) {
    ControlEditTextSelectionRec selection = {-1, -1};
    EXPECT_EQ(noErr, GetControlData(control, kControlEditTextPart, kControlEditTextSelectionTag,
                                    sizeof(selection), &selection, nullptr));
    return selection;
}

inline void Select(ControlRef control, SInt16 start, SInt16 end) {
    ControlEditTextSelectionRec selection = {start, end};
    EXPECT_EQ(noErr, SetControlData(control, kControlEditTextPart, kControlEditTextSelectionTag,
                                    sizeof(selection), &selection));
}

/* A temporary directory, removed with everything in it. */
class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/carbon-test-XXXXXX";
        mPath = mkdtemp(pattern);
    }
    ~TempDir() { std::filesystem::remove_all(mPath); }
    const std::string &path() const { return mPath; }

private:
    std::string mPath;
};

inline void WriteFile(const std::string &path, const std::string &contents) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << contents;
}

/* A bundle in dir with identifier id; its Resources get the given files. */
inline CFBundleRef
MakeBundle(const TempDir &dir, const std::string &id,
           std::initializer_list<std::pair<std::string, std::string>> resources) {
    std::string bundlePath = dir.path() + "/" + id + ".bundle";
    WriteFile(bundlePath + "/Contents/Info.plist",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
              "<key>CFBundleIdentifier</key><string>" +
                  id +
                  "</string><key>CFBundleDevelopmentRegion</key><string>en</string>"
                  "</dict></plist>\n");
    for (const auto &resource : resources)
        WriteFile(bundlePath + "/Contents/Resources/" + resource.first, resource.second);
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(
        kCFAllocatorDefault, (const UInt8 *)bundlePath.c_str(), (CFIndex)bundlePath.size(), true);
    CFBundleRef bundle = CFBundleCreate(kCFAllocatorDefault, url);
    CFRelease(url);
    return bundle;
}

/* An XML property list whose root dictionary holds body */
inline std::string Plist(const std::string &body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + body +
           "</dict></plist>\n";
}

#endif /* TOOLBOXTEST_H */
