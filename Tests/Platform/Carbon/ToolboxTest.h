/*
 * ToolboxTest.h
 *
 * Fixture of the toolbox tests: a clean observer and clipboard before each
 * test, and a check afterwards, through the layer's own counters, that the
 * test left no window, control, handler, event, nib or CF object behind.
 */
#ifndef TOOLBOXTEST_H
#define TOOLBOXTEST_H

#include <Carbon/Carbon.h>
#include <StandIn/CFStandIn.h>
#include <StandIn/HIStandIn.h>

#include <gtest/gtest.h>

#include <string>

class ToolboxTest : public ::testing::Test {
protected:
    static long Live() {
        return HIStandInGetLiveWindowCount() + HIStandInGetLiveControlCount() +
               HIStandInGetLiveHandlerCount() + HIStandInGetLiveEventCount() +
               HIStandInGetLiveNibCount() + CFStandInGetLiveObjectCount();
    }
    void SetUp() override {
        HIStandInSetObserver(nullptr);
        HIStandInSetClipboardText(nullptr);
        mLive = Live();
    }
    void TearDown() override { EXPECT_EQ(mLive, Live()) << "objects left behind"; }
    long mLive = 0;
};

/* A new bundle whose Resources hold Test.nib with these contents (NibTests.cpp) */
CFBundleRef MakeNibBundle(const std::string &nib);
/* The pane's nib: a field, a check box 'ucod' (value 1) and a user pane
 * holding a disabled static text */
std::string TestNib();

#endif /* TOOLBOXTEST_H */
