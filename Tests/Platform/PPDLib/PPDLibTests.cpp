/*
 * PPDLibTests.cpp
 *
 * The compiled-PPD library on small PPD files: the "APDialogExtension"
 * keyword present, absent and repeated; Pascal strings truncated to the
 * maximum length without writing beyond it; and the failures of opening
 * (missing file, no PPD named, not a PPD, no ticket) and of bad arguments.
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

const char *const kHeader = "*PPD-Adobe: \"4.3\"\n"
                            "*FormatVersion: \"4.3\"\n"
                            "*FileVersion: \"1.0\"\n"
                            "*LanguageVersion: English\n"
                            "*LanguageEncoding: ISOLatin1\n"
                            "*PCFileName: \"QTEST.PPD\"\n"
                            "*Manufacturer: \"Quarn\"\n"
                            "*Product: \"(Office)\"\n"
                            "*ModelName: \"Quarn Office\"\n"
                            "*ShortNickName: \"Quarn Office\"\n"
                            "*NickName: \"Quarn Office\"\n"
                            "*PSVersion: \"(3010.000) 0\"\n";
const std::string kOurs = "/Library/Printers/QUARN/PDEs/quarnJobLogTQX.plugin";
const std::string kTheirs = "/Library/Printers/Other/PDEs/Other.plugin";
const unsigned char kKeyword[] = "\021APDialogExtension";

class PPD : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/ppdlib-test-XXXXXX";
        mDir = mkdtemp(pattern);
        mContexts = PPDStandInGetLiveContextCount();
        ASSERT_EQ(noErr, PMTicketCreate(nullptr, kPMPrinterInfoTicket, &mPrinterInfo));
    }
    void TearDown() override {
        CFStandInSetAllocationFailure(0, false);
        PMTicketRelease(mPrinterInfo);
        std::filesystem::remove_all(mDir);
        EXPECT_EQ(mContexts, PPDStandInGetLiveContextCount()) << "contexts left open";
    }
    /* Writes a PPD with the extra lines and makes the printer-info ticket name it. */
    std::string UsePPD(const std::string &lines, const std::string &name = "printer.ppd") {
        std::string path = mDir + "/" + name;
        std::ofstream(path) << kHeader << lines;
        EXPECT_EQ(noErr, PMStandInTicketSetPPDPath(mPrinterInfo, path.c_str()));
        return path;
    }
    PPDContext Open() {
        PPDContext context = nullptr;
        EXPECT_EQ(noErr, ppdOpenCompiledPPDFromTicket(mPrinterInfo, &mSpec, &context));
        return context;
    }
    std::string mDir;
    CFIndex mContexts = 0;
    PMTicketRef mPrinterInfo = nullptr;
    FSSpec mSpec;
};

std::string Pascal(const unsigned char *p) {
    return std::string((const char *)p + 1, p[0]);
}

TEST_F(PPD, TheFirstValueOfTheKeywordComesAsAPascalString) {
    UsePPD("*APDialogExtension: \"" + kOurs + "\"\n");
    PPDContext context = Open();
    ASSERT_NE(nullptr, context);
    EXPECT_EQ("printer.ppd", Pascal(mSpec.name));
    SInt16 mainIndex = -5;
    EXPECT_EQ(noErr, ppdGetMainIndex(context, kKeyword, &mainIndex));
    EXPECT_GE(mainIndex, 0);
    unsigned char buffer[255] = {0};
    EXPECT_EQ(noErr, ppdGetInvocationString(context, mainIndex, 0, buffer, 64));
    EXPECT_EQ(50, buffer[0]);
    EXPECT_EQ(kOurs, Pascal(buffer));
    // compared the way the pane does: as zero-terminated bytes with the length byte
    unsigned char expected[255] = {50};
    memcpy(expected + 1, kOurs.data(), 50);
    EXPECT_EQ(0, strcmp((const char *)expected, (const char *)buffer));
    SInt16 again = -1;
    EXPECT_EQ(noErr, ppdGetMainIndex(context, kKeyword, &again));
    EXPECT_EQ(mainIndex, again);
    EXPECT_EQ(noErr, ppdCloseCompiledPPDFromTicket(context, &mSpec));
}

TEST_F(PPD, ARepeatedKeywordGivesItsValuesInFileOrder) {
    UsePPD("*APDialogExtension: \"" + kTheirs + "\"\n*APDialogExtension: \"" + kOurs + "\"\n");
    PPDContext context = Open();
    SInt16 mainIndex = -1;
    ASSERT_EQ(noErr, ppdGetMainIndex(context, kKeyword, &mainIndex));
    unsigned char first[255] = {0}, second[255] = {0}, third[255] = {0};
    EXPECT_EQ(noErr, ppdGetInvocationString(context, mainIndex, 0, first, 64));
    EXPECT_EQ(noErr, ppdGetInvocationString(context, mainIndex, 1, second, 64));
    EXPECT_EQ(kPMInvalidIndex, ppdGetInvocationString(context, mainIndex, 2, third, 64));
    EXPECT_EQ(kTheirs, Pascal(first)); // another plug-in comes first
    EXPECT_EQ(kOurs, Pascal(second));
    EXPECT_EQ(0, third[0]);
    ppdCloseCompiledPPDFromTicket(context, &mSpec);
}

TEST_F(PPD, WithoutTheKeywordNothingIsWritten) {
    UsePPD("*OtherKeyword: \"x\"\n");
    PPDContext context = Open();
    SInt16 mainIndex = 3;
    EXPECT_EQ(kPMKeyNotFound, ppdGetMainIndex(context, kKeyword, &mainIndex));
    EXPECT_EQ(-1, mainIndex);
    unsigned char buffer[255] = {0};
    EXPECT_EQ(kPMInvalidIndex, ppdGetInvocationString(context, mainIndex, 0, buffer, 64));
    EXPECT_EQ(kPMInvalidIndex, ppdGetInvocationString(context, 0, 0, buffer, 64));
    EXPECT_EQ(std::string(255, '\0'), std::string((const char *)buffer, 255));
    ppdCloseCompiledPPDFromTicket(context, &mSpec);
}

TEST_F(PPD, ValuesAreTruncatedToTheMaximumLengthAndNoFurther) {
    // a quoted value may span lines; this one is 303 bytes long
    std::string longValue =
        std::string(100, 'v') + "\n" + std::string(100, 'w') + "\n" + std::string(100, 'x');
    UsePPD("*APDialogExtension: \"" + kOurs + "\"\n*QuarnLong: \"" + longValue + "\"\n");
    PPDContext context = Open();
    SInt16 mainIndex = -1;
    ASSERT_EQ(noErr, ppdGetMainIndex(context, kKeyword, &mainIndex));
    unsigned char buffer[300];
    memset(buffer, 0xAA, sizeof(buffer));
    EXPECT_EQ(noErr, ppdGetInvocationString(context, mainIndex, 0, buffer, 10));
    EXPECT_EQ(9, buffer[0]);
    EXPECT_EQ(kOurs.substr(0, 9), Pascal(buffer));
    EXPECT_EQ(0xAA, buffer[10]); // the 11th byte is not touched
    EXPECT_EQ(noErr, ppdGetInvocationString(context, mainIndex, 0, buffer, 1));
    EXPECT_EQ(0, buffer[0]);
    EXPECT_EQ(paramErr, ppdGetInvocationString(context, mainIndex, 0, buffer, 0));
    EXPECT_EQ(paramErr, ppdGetInvocationString(context, mainIndex, 0, nullptr, 64));

    const unsigned char longKeyword[] = "\011QuarnLong";
    ASSERT_EQ(noErr, ppdGetMainIndex(context, longKeyword, &mainIndex));
    memset(buffer, 0xAA, sizeof(buffer));
    EXPECT_EQ(noErr, ppdGetInvocationString(context, mainIndex, 0, buffer, 300));
    EXPECT_EQ(255, buffer[0]); // a Pascal string holds at most 255 bytes
    EXPECT_EQ(0xAA, buffer[256]);
    ppdCloseCompiledPPDFromTicket(context, &mSpec);
}

TEST_F(PPD, OpeningFailsWithoutAReadablePPD) {
    PPDContext context = (PPDContext)1;
    EXPECT_EQ(kPMKeyNotFound, ppdOpenCompiledPPDFromTicket(mPrinterInfo, &mSpec, &context));
    EXPECT_EQ(nullptr, context);
    PMStandInTicketSetPPDPath(mPrinterInfo, (mDir + "/missing.ppd").c_str());
    EXPECT_EQ(fnfErr, ppdOpenCompiledPPDFromTicket(mPrinterInfo, &mSpec, &context));
    std::string garbage = mDir + "/garbage.ppd";
    std::ofstream(garbage) << "this is not a PPD\n";
    PMStandInTicketSetPPDPath(mPrinterInfo, garbage.c_str());
    EXPECT_EQ(kPMInvalidValue, ppdOpenCompiledPPDFromTicket(mPrinterInfo, &mSpec, &context));
    EXPECT_EQ(nullptr, context);
    EXPECT_EQ(kPMInvalidTicket, ppdOpenCompiledPPDFromTicket(nullptr, &mSpec, &context));
    EXPECT_EQ(kPMInvalidTicket,
              ppdOpenCompiledPPDFromTicket((PMTicketRef)CFSTR("x"), &mSpec, &context));
    EXPECT_EQ(paramErr, ppdOpenCompiledPPDFromTicket(mPrinterInfo, &mSpec, nullptr));

    UsePPD("*APDialogExtension: \"" + kOurs + "\"\n");
    CFStandInSetAllocationFailure(1, false);
    EXPECT_EQ(memFullErr, ppdOpenCompiledPPDFromTicket(mPrinterInfo, &mSpec, &context));
    EXPECT_EQ(nullptr, context);
}

TEST_F(PPD, ClosedAndForeignContextsAreRefused) {
    UsePPD("*APDialogExtension: \"" + kOurs + "\"\n");
    PPDContext context = Open();
    EXPECT_EQ(mContexts + 1, PPDStandInGetLiveContextCount());
    const unsigned char empty[] = "\000";
    SInt16 mainIndex = 0;
    EXPECT_EQ(paramErr, ppdGetMainIndex(context, empty, &mainIndex));
    EXPECT_EQ(paramErr, ppdGetMainIndex(context, nullptr, &mainIndex));
    EXPECT_EQ(paramErr, ppdGetMainIndex(context, kKeyword, nullptr));
    EXPECT_EQ(noErr, ppdCloseCompiledPPDFromTicket(context, nullptr));
    EXPECT_EQ(paramErr, ppdCloseCompiledPPDFromTicket(context, &mSpec));
    EXPECT_EQ(paramErr, ppdGetMainIndex(context, kKeyword, &mainIndex));
    unsigned char buffer[64] = {0};
    EXPECT_EQ(paramErr, ppdGetInvocationString(context, 0, 0, buffer, 64));
    int junk = 0;
    EXPECT_EQ(paramErr, ppdCloseCompiledPPDFromTicket((PPDContext)&junk, nullptr));
    EXPECT_EQ(0, junk);
}

} // namespace
