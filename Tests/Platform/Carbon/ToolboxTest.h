/*
 * ToolboxTest.h
 *
 * Fixture of the toolbox tests: a clean observer and clipboard before each
 * test, and no live object of the layer left behind after it.
 */
#ifndef TOOLBOXTEST_H
#define TOOLBOXTEST_H

#include "TestSupport.h"

#include <Carbon/Carbon.h>
#include <StandIn/CFStandIn.h>
#include <StandIn/HIStandIn.h>

#include <gtest/gtest.h>

class ToolboxTest : public ::testing::Test {
protected:
    void SetUp() override {
        HIStandInSetObserver(nullptr);
        HIStandInSetClipboardText(nullptr);
        mLive = LiveObjects::Now();
    }
    void TearDown() override { EXPECT_EQ("", LiveObjects::Differences(mLive, LiveObjects::Now())); }
    LiveObjects mLive;
};

/* A new bundle whose Resources hold Test.nib with these contents (NibTests.cpp) */
CFBundleRef MakeNibBundle(const std::string &nib);
/* The pane's nib: a field, a check box 'ucod' (value 1) and a user pane
 * holding a disabled static text */
std::string TestNib();

#endif /* TOOLBOXTEST_H */
