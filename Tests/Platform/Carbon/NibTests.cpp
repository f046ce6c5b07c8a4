/*
 * NibTests.cpp
 *
 * Nib files in a bundle's resources: missing, unreadable and malformed ones
 * must fail with the platform's status and leave nothing of the layer
 * behind; a sound one with an unknown key loads.
 */
#include "TestSupport.h"

#include <Carbon/Carbon.h>
#include <StandIn/CFStandIn.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

namespace {

std::string Plist(const std::string &body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + body +
           "</dict></plist>\n";
}

std::string Bounds(int top, int bottom) {
    return "<key>Bounds</key><array><integer>" + std::to_string(top) +
           "</integer><integer>8</integer><integer>" + std::to_string(bottom) +
           "</integer><integer>108</integer></array>";
}

std::string Window(const std::string &controls) {
    return Plist("<key>Windows</key><dict><key>Window</key><dict>" + Bounds(0, 200) +
                 "<key>Class</key><string>plain</string><key>Controls</key><array>" + controls +
                 "</array></dict></dict>");
}

std::string Control(const std::string &kind, const std::string &rest) {
    return "<dict><key>Kind</key><string>" + kind + "</string>" + Bounds(5, 25) + rest + "</dict>";
}

const TempDir gFolder;
int gBundles = 0;

/* The status of making window "Window" from a new bundle's Test.nib holding nib */
OSStatus LoadStatus(const std::string &nib) {
    const std::string name = "b" + std::to_string(gBundles++), bundle = gFolder.path() + "/" + name;
    gFolder.Write(name + "/Contents/Info.plist", Plist(""));
    if (nib == "directory")
        std::filesystem::create_directories(bundle + "/Contents/Resources/Test.nib");
    else if (nib != "missing")
        gFolder.Write(name + "/Contents/Resources/Test.nib", nib);
    CFOwned<CFURLRef> url(CFURLCreateFromFileSystemRepresentation(
        nullptr, (const UInt8 *)bundle.c_str(), (CFIndex)bundle.size(), true));
    CFOwned<CFBundleRef> owned(CFBundleCreate(nullptr, url.get()));
    IBNibRef ref = nullptr;
    OSStatus status = CreateNibReferenceWithCFBundle(owned.get(), CFSTR("Test"), &ref);
    EXPECT_EQ(status == noErr, ref != nullptr);
    if (status != noErr)
        return status;
    WindowRef window = nullptr;
    status = CreateWindowFromNib(ref, CFSTR("Window"), &window);
    EXPECT_EQ(status == noErr, window != nullptr);
    DisposeWindow(window);
    DisposeNibReference(ref);
    return status;
}

TEST(Nib, DamagedNibsFailWithTheirStatusAndLeaveNothing) {
    const LayerState before = LayerState::Now();
    const OSStatus kMalformed = kIBCarbonRuntimeObjectNotOfRequestedType;
    const std::pair<std::string, OSStatus> kCases[] = {
        {"missing", kIBCarbonRuntimeCantFindNibFile},
        {"directory", kIBCarbonRuntimeCantFindNibFile},
        {"not a property list", kMalformed},
        {Plist("<key>Windows</key><array/>"), kMalformed},
        {Plist("<key>Windows</key><dict/>"), kIBCarbonRuntimeCantFindObject},
        {Plist("<key>Windows</key><dict><key>Window</key><dict/></dict>"), kMalformed},
        {Window(Control("slider", "")), kMalformed},
        {Window("<dict><key>Kind</key><string>edittext</string></dict>"), kMalformed},
        {Window(Control("edittext", "<key>ID</key><dict><key>Signature</key><string>long"
                                    "er</string><key>ID</key><integer>1</integer></dict>")),
         kMalformed},
        {Window(Control("checkbox", "<key>Value</key><real>1.5</real>")), kMalformed},
        {Window(Control("checkbox", "<key>Title</key><integer>1</integer>")), kMalformed},
        {Plist("<key>Windows</key><dict><key>Window</key><dict>" + Bounds(0, 200) +
               "<key>Controls</key><dict/></dict></dict>"),
         kMalformed},
        {Window(Control("checkbox", "<key>Command</key><string>abc</string>")), kMalformed},
        {Window("<dict><key>Kind</key><string>edittext</string>" + Bounds(10, 5) + "</dict>"),
         kMalformed},
        {Window("<dict><key>Kind</key><string>edittext</string>" + Bounds(0, 40000) + "</dict>"),
         kMalformed},
        {Window(Control("statictext", "<key>Unknown</key><true/>")), noErr},
    };
    for (const auto &c : kCases)
        EXPECT_EQ(c.second, LoadStatus(c.first)) << c.first;
    EXPECT_EQ(paramErr, CreateNibReferenceWithCFBundle(nullptr, CFSTR("Test"), nullptr));
    EXPECT_EQ("", before.Differences(LayerState::Now()));
}

} // namespace
