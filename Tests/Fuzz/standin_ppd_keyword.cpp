/*
 * standin_ppd_keyword.cpp
 *
 * libFuzzer target for the compiled-PPD library stand-in. The input: a main
 * keyword line, a buffer-length byte, then a PPD file named by a
 * printer-info ticket (made as pdehost makes it). Every value of the keyword and of
 * "APDialogExtension" is read into buffers of that length and of 256 bytes. Checks: only the
 * documented statuses; a value keeps within its buffer and is a prefix of
 * the whole value; nothing is written after a value or by a failed call.
 */
#include "StandInFuzzSupport.h"

#include "PrintTickets.h"

#include <PPDLib/PPDLib.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

const unsigned char kGuard = 0xA5;

/* Reads one value into a buffer of `length` bytes with guard bytes after
   it: nothing may be written after the value, nor anything on failure. */
std::string readValue(PPDContext context, SInt16 mainIndex, SInt16 option, SInt16 length,
                      OSStatus &status) {
    unsigned char buffer[256 + 16];
    std::memset(buffer, kGuard, sizeof buffer);
    status = ppdGetInvocationString(context, mainIndex, option, buffer, length);
    if (status != noErr && status != kPMInvalidIndex && status != paramErr)
        FuzzFail("ppdGetInvocationString: status %d", (int)status);
    if (status == noErr && (length < 1 || buffer[0] > length - 1))
        FuzzFail("a value of %u bytes in a buffer of %d", buffer[0], (int)length);
    size_t used = status == noErr ? buffer[0] + 1u : 0; /* the Pascal string */
    for (size_t i = used; i < sizeof buffer; i++)
        if (buffer[i] != kGuard)
            FuzzFail("ppdGetInvocationString (status %d) wrote after its value", (int)status);
    return std::string(reinterpret_cast<char *>(buffer + 1), used > 0 ? used - 1 : 0);
}

void readKeyword(PPDContext context, const unsigned char *keyword, SInt16 shortLength) {
    SInt16 mainIndex = 0;
    OSStatus status = ppdGetMainIndex(context, keyword, &mainIndex);
    // paramErr: an empty keyword, one too long for a PPD or holding a zero
    if (status != noErr && (mainIndex != -1 || (status != kPMKeyNotFound && status != paramErr)))
        FuzzFail("ppdGetMainIndex: status %d, index %d", (int)status, (int)mainIndex);
    if (status != noErr)
        return;
    bool ended = false; /* the values run out once and for all */
    for (SInt16 option = 0; option < 64; option++) {
        OSStatus full = noErr, shortened = noErr;
        std::string value = readValue(context, mainIndex, option, 256, full);
        std::string prefix = readValue(context, mainIndex, option, shortLength, shortened);
        if (full != noErr && option == 0)
            FuzzFail("a keyword found has no value");
        if (full == noErr && ended)
            FuzzFail("value %d follows a missing one", (int)option);
        ended = full != noErr;
        if (shortLength >= 1 && full != shortened)
            FuzzFail("the buffer's length changes the status");
        if (value.compare(0, prefix.size(), prefix) != 0)
            FuzzFail("a shortened value is no prefix of the value");
    }
}

} // namespace

void FuzzOne(const uint8_t *data, size_t size) {
    const uint8_t *lineEnd = static_cast<const uint8_t *>(std::memchr(data, '\n', size));
    if (lineEnd == nullptr || lineEnd + 1 >= data + size || lineEnd - data > 255)
        return;
    size_t keywordLength = static_cast<size_t>(lineEnd - data);
    unsigned char keyword[256];
    keyword[0] = static_cast<unsigned char>(keywordLength);
    std::memcpy(keyword + 1, data, keywordLength);
    SInt16 shortLength = static_cast<SInt16>(lineEnd[1]) - 8; // -8 .. 247
    const uint8_t *ppd = lineEnd + 2;
    std::string path = WriteScratchFile("printer.ppd", ppd, size - static_cast<size_t>(ppd - data));

    PrintTickets tickets; /* as the host makes them */
    std::string error;
    if (!CreatePrintTickets(path, {}, tickets, error))
        FuzzFail("%s", error.c_str());
    FSSpec fileRecord;
    PPDContext context = nullptr;
    OSStatus status = ppdOpenCompiledPPDFromTicket(tickets.printerInfo, &fileRecord, &context);
    if (status != noErr && (context != nullptr || (status != kPMInvalidValue && status != fnfErr)))
        FuzzFail("ppdOpenCompiledPPDFromTicket: status %d, context %p", (int)status, context);
    if (status == noErr) {
        readKeyword(context, keyword, shortLength);
        static const unsigned char kDialogExtension[] = "\021APDialogExtension";
        readKeyword(context, kDialogExtension, shortLength);
        if (ppdCloseCompiledPPDFromTicket(context, &fileRecord) != noErr)
            FuzzFail("ppdCloseCompiledPPDFromTicket failed");
    }
    ReleasePrintTickets(tickets);
}
