/*
 * PPDLibTests.cpp
 *
 * The compiled-PPD library on small PPD files (fixtures/), its exact
 * results: keyword values as Pascal strings in file order, cut to the
 * buffer; the statuses of opening that fails, leaving no context behind.
 * (Its fuzz target checks that nothing is written after a value or by a
 * failed call, on any PPD.)
 */
#include "TestSupport.h"

#include <PPDLib/PPDLib.h>
#include <StandIn/CFStandIn.h>
#include <StandIn/PMStandIn.h>
#include <StandIn/PPDStandIn.h>

#include <gtest/gtest.h>

#include <tuple>

namespace {

const std::string kOurs = "/Library/Printers/QUARN/PDEs/quarnJobLogTQX.plugin"; /* 50 bytes */
const unsigned char kKeyword[] = "\021APDialogExtension";

std::string Pascal(const unsigned char *p) {
    return std::string((const char *)p + 1, p[0]);
}

TEST(PPDLib, ValuesComeAsPascalStringsInFileOrderWithinTheBufferAndFailuresLeaveNothingOpen) {
    PMTicketRef ticket = nullptr;
    ASSERT_EQ(noErr, PMTicketCreate(nullptr, kPMPrinterInfoTicket, &ticket));
    auto usePPD = [ticket](const std::string &path) {
        CFOwned<CFStringRef> text(CreateCFStringFromText(path));
        return PMTicketSetCFString(ticket, nullptr, kPMStandInPPDPathKey, text.get(), false);
    };
    PPDContext context = (PPDContext)1;
    FSSpec ppdFile;
    EXPECT_EQ(kPMKeyNotFound, ppdOpenCompiledPPDFromTicket(ticket, &ppdFile, &context)) << "no PPD";
    EXPECT_EQ(nullptr, context);
    EXPECT_EQ(kPMInvalidTicket,
              ppdOpenCompiledPPDFromTicket((PMTicketRef)CFSTR("x"), &ppdFile, &context));
    usePPD("/nonexistent/missing.ppd");
    EXPECT_EQ(fnfErr, ppdOpenCompiledPPDFromTicket(ticket, &ppdFile, &context));
    usePPD(LAYER_TESTS "/PPDLib/fixtures/bad.ppd");
    EXPECT_EQ(kPMInvalidValue, ppdOpenCompiledPPDFromTicket(ticket, &ppdFile, &context));
    ASSERT_EQ(noErr, usePPD(LAYER_TESTS "/PPDLib/fixtures/Q.ppd"));
    CFStandInSetAllocationFailure(1, false);
    EXPECT_EQ(memFullErr, ppdOpenCompiledPPDFromTicket(ticket, &ppdFile, &context));
    CFStandInSetAllocationFailure(0, false);
    EXPECT_EQ(0, PPDStandInGetLiveContextCount());

    ASSERT_EQ(noErr, ppdOpenCompiledPPDFromTicket(ticket, &ppdFile, &context));
    EXPECT_EQ("Q.ppd", Pascal(ppdFile.name));
    SInt16 main = -5, again = -5, other = -5;
    ASSERT_EQ(noErr, ppdGetMainIndex(context, kKeyword, &main));
    ASSERT_EQ(noErr, ppdGetMainIndex(context, (const unsigned char *)"\011QuarnLong", &other));
    ASSERT_EQ(noErr,
              ppdGetMainIndex(context, (const unsigned char *)"\021apdialogextension", &again));
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
        EXPECT_EQ(noErr, ppdGetInvocationString(context, index, option, buffer, length));
        EXPECT_EQ(value, Pascal(buffer));
    }
    EXPECT_EQ(kPMInvalidIndex, ppdGetInvocationString(context, main, 2, buffer, 64));
    EXPECT_EQ(kPMInvalidIndex, ppdGetInvocationString(context, -1, 0, buffer, 64));
    EXPECT_EQ(paramErr, ppdGetInvocationString(context, main, 0, buffer, 0));
    EXPECT_EQ(kPMKeyNotFound, ppdGetMainIndex(context, (const unsigned char *)"\005Other", &main));
    EXPECT_EQ(noErr, ppdCloseCompiledPPDFromTicket(context, &ppdFile));
    EXPECT_EQ(paramErr, ppdCloseCompiledPPDFromTicket(context, &ppdFile)) << "closed";
    EXPECT_EQ(paramErr, ppdGetMainIndex(context, kKeyword, &main));
    EXPECT_EQ(paramErr, ppdCloseCompiledPPDFromTicket((PPDContext)&ppdFile, nullptr))
        << "no context";
    EXPECT_EQ(0, PPDStandInGetLiveContextCount());
    PMTicketRelease(ticket);
}

} // namespace
