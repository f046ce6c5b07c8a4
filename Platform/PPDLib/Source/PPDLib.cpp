/*
 * PPDLib.cpp
 *
 * The compiled-PPD library over libcups's PPD reader: a context holds the
 * ppd_file_t of the printer's PPD (named by the printer-info ticket); a main
 * index is the place of a keyword's first attribute in the PPD's attribute
 * list. The values of a repeated keyword are its attributes in file order
 * (ppdFindAttr / ppdFindNextAttr).
 */
#include <PPDLib/PPDLib.h>
#include <StandIn/CFStandIn.h>
#include <StandIn/PMStandIn.h>
#include <StandIn/PPDStandIn.h>

#include <algorithm>
#include <limits.h>
#include <stdint.h>
#include <string.h>

/* The PPD reader is deprecated in favour of the IPP destination API, which
 * has no access to a PPD's own keywords. */
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <cups/ppd.h>

struct OpaquePPDContext {
    OpaquePPDContext *next;
    ppd_file_t *ppd;
};

namespace {

OpaquePPDContext *gContexts = nullptr;

/* The link to context in the list of open contexts, or the null link at its end. */
OpaquePPDContext **LinkTo(PPDContext context) {
    OpaquePPDContext **link = &gContexts;
    while (*link != nullptr && *link != context)
        link = &(*link)->next;
    return link;
}

bool IsContext(PPDContext context) {
    return context != nullptr && *LinkTo(context) != nullptr;
}

/* The keyword of a Pascal string as a C string; false if it cannot name a keyword. */
bool KeywordFromPascal(ConstStr255Param keyword, char name[PPD_MAX_NAME]) {
    if (keyword == nullptr || keyword[0] == 0 || keyword[0] >= PPD_MAX_NAME)
        return false;
    memcpy(name, keyword + 1, keyword[0]);
    name[keyword[0]] = '\0';
    return strlen(name) == keyword[0]; /* no embedded NUL */
}

void FillFileSpec(FSSpec *fileRecord, const char *path) {
    memset(fileRecord, 0, sizeof(*fileRecord));
    const char *base = strrchr(path, '/');
    base = base != nullptr ? base + 1 : path;
    size_t length = strnlen(base, 63);
    fileRecord->name[0] = (unsigned char)length;
    memcpy(fileRecord->name + 1, base, length);
}

} // namespace

OSStatus ppdOpenCompiledPPDFromTicket(PMTicketRef ticket, FSSpec *fileSpec, PPDContext *context) {
    if (context == nullptr)
        return paramErr;
    *context = nullptr;
    CFStringRef pathString = nullptr;
    OSStatus status =
        PMTicketGetCFString(ticket, kPMTopLevel, kPMTopLevel, kPMStandInPPDPathKey, &pathString);
    if (status != noErr)
        return status;
    char path[PATH_MAX];
    if (!CFStringGetCString(pathString, path, sizeof path, kCFStringEncodingUTF8))
        return fnfErr;
    PPDContext result = static_cast<PPDContext>(CFStandInAllocate(sizeof(OpaquePPDContext)));
    if (result == nullptr)
        return memFullErr;
    memset(result, 0, sizeof(*result));
    result->ppd = ppdOpenFile(path);
    if (result->ppd == nullptr) {
        int line = 0;
        ppd_status_t why = ppdLastError(&line);
        CFStandInDeallocate(result);
        if (why == PPD_FILE_OPEN_ERROR)
            return fnfErr;
        if (why == PPD_ALLOC_ERROR)
            return memFullErr;
        return kPMInvalidValue;
    }
    result->next = gContexts;
    gContexts = result;
    if (fileSpec != nullptr)
        FillFileSpec(fileSpec, path);
    *context = result;
    return noErr;
}

OSStatus ppdGetMainIndex(PPDContext context, ConstStr255Param keyword, SInt16 *mainIndex) {
    if (mainIndex == nullptr)
        return paramErr;
    *mainIndex = -1;
    if (!IsContext(context))
        return paramErr;
    char name[PPD_MAX_NAME];
    if (!KeywordFromPascal(keyword, name))
        return paramErr;
    ppd_attr_t *first = ppdFindAttr(context->ppd, name, nullptr);
    if (first == nullptr)
        return kPMKeyNotFound;
    for (int i = 0; i < context->ppd->num_attrs && i <= INT16_MAX; i++) {
        if (context->ppd->attrs[i] == first) {
            *mainIndex = static_cast<SInt16>(i);
            return noErr;
        }
    }
    return kPMValueOutOfRange; /* beyond what an SInt16 index can name */
}

OSStatus ppdGetInvocationString(PPDContext context, SInt16 mainIndex, SInt16 optionIndex,
                                StringPtr invocation, SInt16 maxLength) {
    if (!IsContext(context) || invocation == nullptr || maxLength < 1)
        return paramErr;
    ppd_file_t *ppd = context->ppd;
    if (mainIndex < 0 || mainIndex >= ppd->num_attrs || optionIndex < 0)
        return kPMInvalidIndex;
    const char *name = ppd->attrs[mainIndex]->name;
    ppd_attr_t *attr = ppdFindAttr(ppd, name, nullptr);
    for (SInt16 i = 0; attr != nullptr && i < optionIndex; i++)
        attr = ppdFindNextAttr(ppd, name, nullptr);
    if (attr == nullptr)
        return kPMInvalidIndex;
    const char *value = attr->value != nullptr ? attr->value : "";
    size_t length = std::min({strlen(value), (size_t)maxLength - 1, (size_t)255});
    invocation[0] = (unsigned char)length;
    memcpy(invocation + 1, value, length);
    return noErr;
}

OSStatus ppdCloseCompiledPPDFromTicket(PPDContext context, FSSpec *) {
    if (!IsContext(context))
        return paramErr;
    *LinkTo(context) = context->next;
    ppdClose(context->ppd);
    CFStandInDeallocate(context);
    return noErr;
}

CFIndex PPDStandInGetLiveContextCount(void) {
    CFIndex count = 0;
    for (OpaquePPDContext *c = gContexts; c != nullptr; c = c->next)
        count++;
    return count;
}

#pragma GCC diagnostic pop
