/*
 * Scrap.cpp
 *
 * The clipboard: one current scrap that holds a text or nothing (kept as
 * UTF-16, not as a CF object). Its text reads as the flavour 'TEXT'
 * (MacRoman bytes, '?' for characters without a MacRoman form).
 */
#include "HIInternal.h"

struct OpaqueScrapRef {
    bool full;
    HIText text;
};

namespace {

OpaqueScrapRef gScrap = {false, {nullptr, 0, 0}};

/* The flavour's bytes, at most room of them, copied to buffer, and their
 * number (without a buffer, the number of them all); noTypeErr when the
 * scrap holds no such flavour. */
OSStatus ReadFlavor(ScrapRef scrap, ScrapFlavorType type, UInt8 *buffer, Size room, Size *outSize) {
    if (scrap != &gScrap)
        return paramErr;
    if (!gScrap.full || type != kScrapFlavorTypeText)
        return noTypeErr;
    CFStringRef text = HITextCopyString(&gScrap.text);
    if (text == nullptr)
        return memFullErr;
    CFIndex size = 0;
    CFStringGetBytes(text, CFRangeMake(0, CFStringGetLength(text)), kCFStringEncodingMacRoman, '?',
                     false, buffer, room, &size);
    CFRelease(text);
    *outSize = size;
    return noErr;
}

} // namespace

OSStatus GetCurrentScrap(ScrapRef *scrap) {
    if (scrap == nullptr)
        return paramErr;
    *scrap = &gScrap;
    return noErr;
}

OSStatus GetScrapFlavorSize(ScrapRef scrap, ScrapFlavorType flavorType, Size *byteCount) {
    if (byteCount == nullptr)
        return paramErr;
    *byteCount = 0;
    return ReadFlavor(scrap, flavorType, nullptr, 0, byteCount);
}

OSStatus GetScrapFlavorData(ScrapRef scrap, ScrapFlavorType flavorType, Size *byteCount,
                            void *destination) {
    if (byteCount == nullptr || *byteCount < 0 || (destination == nullptr && *byteCount > 0))
        return paramErr;
    UInt8 none; /* where no bytes go when there is no room */
    UInt8 *buffer = destination != nullptr ? static_cast<UInt8 *>(destination) : &none;
    return ReadFlavor(scrap, flavorType, buffer, *byteCount, byteCount);
}

CFStringRef HIScrapCopyText(void) {
    return gScrap.full ? HITextCopyString(&gScrap.text) : nullptr;
}

OSStatus HIStandInSetClipboardText(CFStringRef text) {
    if (text != nullptr && !HIIsString(text))
        return paramErr;
    gScrap.full = text != nullptr && HITextSetString(&gScrap.text, text);
    if (!gScrap.full)
        HITextFree(&gScrap.text);
    return text != nullptr && !gScrap.full ? (OSStatus)memFullErr : (OSStatus)noErr;
}
