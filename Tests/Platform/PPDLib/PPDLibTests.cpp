/*
 * PPDLibTests.cpp
 *
 * The compiled-PPD library on small PPD files: keyword values as Pascal
 * strings in file order, truncated without writing beyond the buffer; and
 * the failures of opening and of bad arguments.
 */
#include "TestSupport.h"

#include <PPDLib/PPDLib.h>
#include <StandIn/CFStandIn.h>
#include <StandIn/PMStandIn.h>
#include <StandIn/PPDStandIn.h>

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

namespace {

const std::string kOurs = "/Library/Printers/QUARN/PDEs/quarnJobLogTQX.plugin"; /* 50 bytes */
const unsigned char kKeyword[] = "\021APDialogExtension";

class PPD : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(noErr, PMTicketCreate(nullptr, kPMPrinterInfoTicket, &mPrinterInfo));
    }
    void TearDown() override {
        CFStandInSetAllocationFailure(0, false);
        PMTicketRelease(mPrinterInfo);
        EXPECT_EQ(0, PPDStandInGetLiveContextCount()) << "contexts left open";
    }
    /* Makes the printer-info ticket name a PPD holding these lines after the header. */
    void UsePPD(const std::string &lines, const char *header = "*PPD-Adobe: \"4.3\"\n") {
        mPath = mFolder.Write("Q.ppd", header + lines);
        ASSERT_EQ(noErr, PMStandInTicketSetPPDPath(mPrinterInfo, mPath.c_str()));
    }
    TempDir mFolder;
    std::string mPath;
    PMTicketRef mPrinterInfo = nullptr;
    FSSpec mSpec;
    PPDContext mContext = nullptr;
};

std::string Pascal(const unsigned char *p) {
    return std::string((const char *)p + 1, p[0]);
}

TEST_F(PPD, ValuesComeAsPascalStringsInFileOrderWithinTheBuffer) {
    UsePPD("*APDialogExtension: \"/other\"\n*APDialogExtension: \"" + kOurs + "\"\n*QuarnLong: \"" +
           std::string(150, 'v') + "\n" + std::string(150, 'w') + "\"\n");
    ASSERT_EQ(noErr, ppdOpenCompiledPPDFromTicket(mPrinterInfo, &mSpec, &mContext));
    EXPECT_EQ("Q.ppd", Pascal(mSpec.name));
    SInt16 main = -5, again = -5, other = -5;
    ASSERT_EQ(noErr, ppdGetMainIndex(mContext, kKeyword, &main));
    ASSERT_EQ(noErr, ppdGetMainIndex(mContext, (const unsigned char *)"\011QuarnLong", &other));
    ASSERT_EQ(noErr,
              ppdGetMainIndex(mContext, (const unsigned char *)"\021apdialogextension", &again));
    EXPECT_TRUE(main == again && main != other) << "keywords match without regard to case";
    unsigned char buffer[300];
    /* {index, occurrence, maxLength, value}: whole, cut to the buffer, 255 at most */
    const std::tuple<SInt16, SInt16, SInt16, std::string> kReads[] = {
        {main, 1, 51, kOurs},
        {main, 0, 10, "/other"},
        {main, 1, 10, kOurs.substr(0, 9)},
        {other, 0, 300, std::string(150, 'v') + "\n" + std::string(104, 'w')},
    };
    for (const auto &[index, option, length, value] : kReads) {
        memset(buffer, 0xAA, sizeof(buffer));
        EXPECT_EQ(noErr, ppdGetInvocationString(mContext, index, option, buffer, length));
        EXPECT_EQ(value, Pascal(buffer));
        EXPECT_EQ(0xAA, buffer[value.size() + 1]) << "nothing written after the value";
    }
    memset(buffer, 0xAA, sizeof(buffer));
    EXPECT_EQ(kPMInvalidIndex, ppdGetInvocationString(mContext, main, 2, buffer, 64));
    EXPECT_EQ(kPMInvalidIndex, ppdGetInvocationString(mContext, -1, 0, buffer, 64));
    EXPECT_EQ(paramErr, ppdGetInvocationString(mContext, main, 0, buffer, 0));
    EXPECT_EQ(0xAA, buffer[0]) << "a failed call writes nothing";
    EXPECT_EQ(kPMKeyNotFound, ppdGetMainIndex(mContext, (const unsigned char *)"\005Other", &main));
    EXPECT_EQ(-1, main);
    EXPECT_EQ(paramErr, ppdGetMainIndex(mContext, (const unsigned char *)"\000", &main));
    EXPECT_EQ(noErr, ppdCloseCompiledPPDFromTicket(mContext, &mSpec));
    EXPECT_EQ(paramErr, ppdCloseCompiledPPDFromTicket(mContext, &mSpec)) << "closed";
    EXPECT_EQ(paramErr, ppdGetMainIndex(mContext, kKeyword, &main));
}

TEST_F(PPD, OpeningFailsWithTheStatusOfWhatIsWrong) {
    mContext = (PPDContext)1;
    EXPECT_EQ(kPMKeyNotFound, ppdOpenCompiledPPDFromTicket(mPrinterInfo, &mSpec, &mContext));
    EXPECT_EQ(nullptr, mContext);
    PMStandInTicketSetPPDPath(mPrinterInfo, "/nonexistent/missing.ppd");
    EXPECT_EQ(fnfErr, ppdOpenCompiledPPDFromTicket(mPrinterInfo, &mSpec, &mContext));
    UsePPD("", "this is not a PPD\n");
    EXPECT_EQ(kPMInvalidValue, ppdOpenCompiledPPDFromTicket(mPrinterInfo, &mSpec, &mContext));
    EXPECT_EQ(kPMInvalidTicket, ppdOpenCompiledPPDFromTicket(nullptr, &mSpec, &mContext));
    EXPECT_EQ(kPMInvalidTicket,
              ppdOpenCompiledPPDFromTicket((PMTicketRef)CFSTR("x"), &mSpec, &mContext));
    EXPECT_EQ(paramErr, ppdOpenCompiledPPDFromTicket(mPrinterInfo, &mSpec, nullptr));
    UsePPD("*APDialogExtension: \"" + kOurs + "\"\n");
    CFStandInSetAllocationFailure(1, false);
    EXPECT_EQ(memFullErr, ppdOpenCompiledPPDFromTicket(mPrinterInfo, &mSpec, &mContext));
    EXPECT_EQ(nullptr, mContext);
    int junk = 0;
    EXPECT_EQ(paramErr, ppdCloseCompiledPPDFromTicket((PPDContext)&junk, nullptr));
}

} // namespace
