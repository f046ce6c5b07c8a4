/*
 * NibTests.cpp
 *
 * Nib files in a bundle's resources (Nibs.bundle, each named for its
 * status): missing, unreadable and malformed ones must fail with the
 * platform's status and leave nothing of the layer behind; a sound one with
 * an unknown key loads. (The nib fuzz target checks that nothing is handed
 * out on failure.)
 */
#include "TestSupport.h"

#include <Carbon/Carbon.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

namespace {

/* The status of making window "Window" from the bundle's nib `name`. */
OSStatus LoadStatus(CFBundleRef bundle, const std::string &name) {
    CFOwned<CFStringRef> nibName(CreateCFStringFromText(name));
    IBNibRef ref = nullptr;
    OSStatus status = CreateNibReferenceWithCFBundle(bundle, nibName.get(), &ref);
    if (status != noErr)
        return status;
    WindowRef window = nullptr;
    status = CreateWindowFromNib(ref, CFSTR("Window"), &window);
    DisposeWindow(window);
    DisposeNibReference(ref);
    return status;
}

TEST(Nib, DamagedNibsFailWithTheirStatusAndLeaveNothing) {
    const std::string path = LAYER_TESTS "/Carbon/Nibs.bundle";
    CFOwned<CFBundleRef> bundle(CreateBundleAtPath(path));
    const LayerState before = LayerState::Now();
    EXPECT_EQ(kIBCarbonRuntimeCantFindNibFile, LoadStatus(bundle.get(), "absent"));
    /* The status of each nib of the bundle by the first word of its name. */
    const std::map<std::string, OSStatus> kStatuses = {
        {"cant-find", kIBCarbonRuntimeCantFindNibFile},
        {"malformed", kIBCarbonRuntimeObjectNotOfRequestedType},
        {"no-object", kIBCarbonRuntimeCantFindObject},
        {"loads", noErr}};
    std::set<std::string> seen;
    for (const auto &entry : std::filesystem::directory_iterator(path + "/Contents/Resources")) {
        const std::string name = entry.path().stem().string();
        EXPECT_EQ(kStatuses.at(*seen.insert(name.substr(0, name.find('.'))).first),
                  LoadStatus(bundle.get(), name))
            << name;
    }
    EXPECT_EQ(kStatuses.size(), seen.size()) << "a nib of each status";
    EXPECT_EQ(paramErr, CreateNibReferenceWithCFBundle(nullptr, CFSTR("Test"), nullptr));
    EXPECT_EQ("", before.Differences(LayerState::Now()));
}

} // namespace
