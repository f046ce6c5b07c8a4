/*
 * PPDLibTests.cpp
 *
 * The compiled-PPD library on small PPD files: keyword values as Pascal
 * strings in file order, truncated without writing beyond the buffer; and
 * the failures of opening and of bad arguments.
 */
#include <PPDLib/PPDLib.h>
#include <StandIn/CFStandIn.h>
#include <StandIn/PMStandIn.h>
#include <StandIn/PPDStandIn.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

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
        std::filesystem::remove(mPath);
        EXPECT_EQ(0, PPDStandInGetLiveContextCount()) << "contexts left open";
    }
    /* Makes the printer-info ticket name a PPD with these lines after the header. */
    void UsePPD(const std::string &lines) {
        std::ofstream(mPath) << "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: "
                                "\"1.0\"\n*LanguageVersion: English\n*LanguageEncoding: "
                                "ISOLatin1\n*PCFileName: \"Q.PPD\"\n*Manufacturer: \"Q\"\n"
                                "*Product: \"(Q)\"\n*ModelName: \"Q\"\n*ShortNickName: \"Q\"\n"
                                "*NickName: \"Q\"\n*PSVersion: \"(3010.000) 0\"\n"
                             << lines;
        ASSERT_EQ(noErr, PMStandInTicketSetPPDPath(mPrinterInfo, mPath.c_str()));
    }
    std::string mPath =
        std::filesystem::temp_directory_path() / ("ppdlib-" + std::to_string(getpid()) + ".ppd");
    PMTicketRef mPrinterInfo = nullptr;
    FSSpec mSpec;
};

std::string Pascal(const unsigned char *p) {
    return std::string((const char *)p + 1, p[0]);
}

TEST_F(PPD, ValuesComeAsPascalStringsInFileOrderWithinTheBuffer) {
    std::string longValue = std::string(150, 'v') + "\n" + std::string(150, 'w');
    UsePPD("*APDialogExtension: \"/other\"\n*APDialogExtension: \"" + kOurs + "\"\n*QuarnLong: \"" +
           longValue + "\"\n");
    PPDContext context = nullptr;
    ASSERT_EQ(noErr, ppdOpenCompiledPPDFromTicket(mPrinterInfo, &mSpec, &context));
    EXPECT_EQ(mPath.substr(mPath.rfind('/') + 1), Pascal(mSpec.name));
    SInt16 mainIndex = -5, again = -5, longIndex = -5;
    ASSERT_EQ(noErr, ppdGetMainIndex(context, kKeyword, &mainIndex));
    ASSERT_EQ(noErr, ppdGetMainIndex(context, (const unsigned char *)"\011QuarnLong", &longIndex));
    ASSERT_EQ(noErr,
              ppdGetMainIndex(context, (const unsigned char *)"\021apdialogextension", &again));
    EXPECT_EQ(mainIndex, again) << "keywords match without regard to case";
    EXPECT_NE(mainIndex, longIndex);
    unsigned char buffer[300];
    memset(buffer, 0xAA, sizeof(buffer));
    EXPECT_EQ(noErr, ppdGetInvocationString(context, mainIndex, 1, buffer, 51));
    EXPECT_EQ(kOurs, Pascal(buffer));
    EXPECT_EQ(0xAA, buffer[51]);
    EXPECT_EQ(noErr, ppdGetInvocationString(context, mainIndex, 0, buffer, 10));
    EXPECT_EQ("/other", Pascal(buffer));
    memset(buffer, 0xAA, sizeof(buffer));
    EXPECT_EQ(noErr, ppdGetInvocationString(context, mainIndex, 1, buffer, 10));
    EXPECT_EQ(kOurs.substr(0, 9), Pascal(buffer));
    EXPECT_EQ(0xAA, buffer[10]) << "the 11th byte is not touched";
    EXPECT_EQ(noErr, ppdGetInvocationString(context, longIndex, 0, buffer, 300));
    EXPECT_EQ(255, buffer[0]) << "a Pascal string holds at most 255 bytes";
    EXPECT_EQ(0xAA, buffer[256]);
    memset(buffer, 0xAA, sizeof(buffer));
    EXPECT_EQ(kPMInvalidIndex, ppdGetInvocationString(context, mainIndex, 2, buffer, 64));
    EXPECT_EQ(kPMInvalidIndex, ppdGetInvocationString(context, -1, 0, buffer, 64));
    EXPECT_EQ(paramErr, ppdGetInvocationString(context, mainIndex, 0, buffer, 0));
    EXPECT_EQ(0xAA, buffer[0]) << "a failed call writes nothing";
    EXPECT_EQ(kPMKeyNotFound,
              ppdGetMainIndex(context, (const unsigned char *)"\005Other", &mainIndex));
    EXPECT_EQ(-1, mainIndex);
    EXPECT_EQ(paramErr, ppdGetMainIndex(context, (const unsigned char *)"\000", &mainIndex));
    EXPECT_EQ(noErr, ppdCloseCompiledPPDFromTicket(context, &mSpec));
    EXPECT_EQ(paramErr, ppdCloseCompiledPPDFromTicket(context, &mSpec)) << "closed";
    EXPECT_EQ(paramErr, ppdGetMainIndex(context, kKeyword, &mainIndex));
}

TEST_F(PPD, OpeningFailsWithTheStatusOfWhatIsWrong) {
    PPDContext context = (PPDContext)1;
    EXPECT_EQ(kPMKeyNotFound, ppdOpenCompiledPPDFromTicket(mPrinterInfo, &mSpec, &context));
    EXPECT_EQ(nullptr, context);
    PMStandInTicketSetPPDPath(mPrinterInfo, "/nonexistent/missing.ppd");
    EXPECT_EQ(fnfErr, ppdOpenCompiledPPDFromTicket(mPrinterInfo, &mSpec, &context));
    UsePPD("");
    std::ofstream(mPath) << "this is not a PPD\n";
    EXPECT_EQ(kPMInvalidValue, ppdOpenCompiledPPDFromTicket(mPrinterInfo, &mSpec, &context));
    EXPECT_EQ(kPMInvalidTicket, ppdOpenCompiledPPDFromTicket(nullptr, &mSpec, &context));
    EXPECT_EQ(kPMInvalidTicket,
              ppdOpenCompiledPPDFromTicket((PMTicketRef)CFSTR("x"), &mSpec, &context));
    EXPECT_EQ(paramErr, ppdOpenCompiledPPDFromTicket(mPrinterInfo, &mSpec, nullptr));
    UsePPD("*APDialogExtension: \"" + kOurs + "\"\n");
    CFStandInSetAllocationFailure(1, false);
    EXPECT_EQ(memFullErr, ppdOpenCompiledPPDFromTicket(mPrinterInfo, &mSpec, &context));
    EXPECT_EQ(nullptr, context);
    int junk = 0;
    EXPECT_EQ(paramErr, ppdCloseCompiledPPDFromTicket((PPDContext)&junk, nullptr));
}

} // namespace
