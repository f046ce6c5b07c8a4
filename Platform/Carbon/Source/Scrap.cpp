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

/* The flavour's bytes in a new block (NULL for no bytes), or noTypeErr / memFullErr. */
OSStatus CopyFlavor(ScrapRef scrap, ScrapFlavorType type, UInt8 **outBytes, Size *outSize) {
    *outBytes = nullptr;
    *outSize = 0;
    if (scrap != &gScrap)
        return paramErr;
    if (!gScrap.full || type != kScrapFlavorTypeText)
        return noTypeErr;
    CFStringRef text = HITextCopyString(&gScrap.text);
    if (text == nullptr)
        return memFullErr;
    CFRange all = CFRangeMake(0, CFStringGetLength(text));
    CFIndex size = 0;
    CFStringGetBytes(text, all, kCFStringEncodingMacRoman, '?', false, nullptr, 0, &size);
    UInt8 *bytes = size > 0 ? static_cast<UInt8 *>(CFStandInAllocate(size)) : nullptr;
    if (bytes != nullptr)
        CFStringGetBytes(text, all, kCFStringEncodingMacRoman, '?', false, bytes, size, &size);
    CFRelease(text);
    if (size > 0 && bytes == nullptr)
        return memFullErr;
    *outBytes = bytes;
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
    UInt8 *bytes = nullptr;
    OSStatus status = CopyFlavor(scrap, flavorType, &bytes, byteCount);
    CFStandInDeallocate(bytes);
    return status;
}

OSStatus GetScrapFlavorData(ScrapRef scrap, ScrapFlavorType flavorType, Size *byteCount,
                            void *destination) {
    if (byteCount == nullptr || *byteCount < 0 || (destination == nullptr && *byteCount > 0))
        return paramErr;
    UInt8 *bytes = nullptr;
    Size size = 0;
    OSStatus status = CopyFlavor(scrap, flavorType, &bytes, &size);
    if (status == noErr) {
        *byteCount = *byteCount < size ? *byteCount : size;
        if (*byteCount > 0)
            memcpy(destination, bytes, *byteCount);
    }
    CFStandInDeallocate(bytes);
    return status;
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
