/*
 * NibTests.cpp
 *
 * Nib files in a bundle's resources: missing, unreadable and malformed ones
 * (nibs/, each named for its status) must fail with the platform's status
 * and leave nothing of the layer behind; a sound one with an unknown key
 * loads.
 */
#include "TestSupport.h"

#include <Carbon/Carbon.h>
#include <StandIn/CFStandIn.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

namespace {

const TempDir gFolder;
int gBundles = 0;

/* The status of making window "Window" from a new bundle's Test.nib holding nib */
OSStatus LoadStatus(const std::string &nib) {
    const std::string name = "b" + std::to_string(gBundles++), bundle = gFolder.path() + "/" + name;
    gFolder.Write(name + "/Contents/Info.plist", "<plist><dict/></plist>");
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
    EXPECT_EQ(kIBCarbonRuntimeCantFindNibFile, LoadStatus("missing"));
    EXPECT_EQ(kIBCarbonRuntimeCantFindNibFile, LoadStatus("directory"));
    /* The status of each nib in nibs/ by the first word of its name. */
    const std::map<std::string, OSStatus> kStatuses = {
        {"malformed", kIBCarbonRuntimeObjectNotOfRequestedType},
        {"no-object", kIBCarbonRuntimeCantFindObject},
        {"loads", noErr}};
    std::set<std::string> seen;
    for (const auto &entry : std::filesystem::directory_iterator(NIB_DIR)) {
        const std::string name = entry.path().filename().string();
        std::ifstream file(entry.path(), std::ios::binary);
        const std::string nib{std::istreambuf_iterator<char>(file), {}};
        EXPECT_EQ(kStatuses.at(*seen.insert(name.substr(0, name.find('.'))).first), LoadStatus(nib))
            << name;
    }
    EXPECT_EQ(kStatuses.size(), seen.size()) << "a nib of each status";
    EXPECT_EQ(paramErr, CreateNibReferenceWithCFBundle(nullptr, CFSTR("Test"), nullptr));
    EXPECT_EQ("", before.Differences(LayerState::Now()));
}

} // namespace
