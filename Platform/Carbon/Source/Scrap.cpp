/*
 * Scrap.cpp
 *
 * The clipboard: one current scrap holding typed flavours. Text goes on it
 * as 'TEXT' (MacRoman bytes) and 'utxt' (UTF-16); reading text prefers
 * 'utxt' and falls back to 'TEXT'.
 */
#include "HIInternal.h"

struct HIScrapFlavor {
    HIScrapFlavor *next;
    ScrapFlavorType type;
    ScrapFlavorFlags flags;
    Size size;
    UInt8 *data;
};

struct OpaqueScrapRef {
    HIScrapFlavor *flavors;
};

namespace {

OpaqueScrapRef gScrap = {nullptr};

HIScrapFlavor *Find(ScrapFlavorType type) {
    for (HIScrapFlavor *f = gScrap.flavors; f != nullptr; f = f->next)
        if (f->type == type)
            return f;
    return nullptr;
}

void Remove(ScrapFlavorType type) {
    for (HIScrapFlavor **link = &gScrap.flavors; *link != nullptr; link = &(*link)->next) {
        if ((*link)->type == type) {
            HIScrapFlavor *gone = *link;
            *link = gone->next;
            CFStandInDeallocate(gone->data);
            CFStandInDeallocate(gone);
            return;
        }
    }
}

} // namespace

OSStatus GetCurrentScrap(ScrapRef *scrap) {
    if (scrap == nullptr)
        return paramErr;
    *scrap = &gScrap;
    return noErr;
}

OSStatus ClearCurrentScrap(void) {
    while (gScrap.flavors != nullptr)
        Remove(gScrap.flavors->type);
    return noErr;
}

OSStatus GetScrapFlavorFlags(ScrapRef scrap, ScrapFlavorType flavorType,
                             ScrapFlavorFlags *flavorFlags) {
    if (scrap != &gScrap || flavorFlags == nullptr)
        return paramErr;
    HIScrapFlavor *flavor = Find(flavorType);
    if (flavor == nullptr)
        return noTypeErr;
    *flavorFlags = flavor->flags;
    return noErr;
}

OSStatus GetScrapFlavorSize(ScrapRef scrap, ScrapFlavorType flavorType, Size *byteCount) {
    if (scrap != &gScrap || byteCount == nullptr)
        return paramErr;
    HIScrapFlavor *flavor = Find(flavorType);
    if (flavor == nullptr)
        return noTypeErr;
    *byteCount = flavor->size;
    return noErr;
}

OSStatus GetScrapFlavorData(ScrapRef scrap, ScrapFlavorType flavorType, Size *byteCount,
                            void *destination) {
    if (scrap != &gScrap || byteCount == nullptr || *byteCount < 0 ||
        (destination == nullptr && *byteCount > 0))
        return paramErr;
    HIScrapFlavor *flavor = Find(flavorType);
    if (flavor == nullptr)
        return noTypeErr;
    Size n = *byteCount < flavor->size ? *byteCount : flavor->size;
    if (n > 0)
        memcpy(destination, flavor->data, n);
    *byteCount = n;
    return noErr;
}

OSStatus PutScrapFlavor(ScrapRef scrap, ScrapFlavorType flavorType, ScrapFlavorFlags flavorFlags,
                        Size flavorSize, const void *flavorData) {
    if (scrap != &gScrap || flavorSize < 0 || (flavorData == nullptr && flavorSize > 0))
        return paramErr;
    HIScrapFlavor *flavor = HIAllocate<HIScrapFlavor>();
    if (flavor == nullptr)
        return memFullErr;
    if (flavorSize > 0) {
        flavor->data = static_cast<UInt8 *>(CFStandInAllocate(flavorSize));
        if (flavor->data == nullptr) {
            CFStandInDeallocate(flavor);
            return memFullErr;
        }
        memcpy(flavor->data, flavorData, flavorSize);
    }
    Remove(flavorType); /* a flavour put again replaces the old data */
    flavor->type = flavorType;
    flavor->flags = flavorFlags;
    flavor->size = flavorSize;
    flavor->next = gScrap.flavors;
    gScrap.flavors = flavor;
    return noErr;
}

OSStatus GetScrapFlavorCount(ScrapRef scrap, UInt32 *infoCount) {
    if (scrap != &gScrap || infoCount == nullptr)
        return paramErr;
    UInt32 count = 0;
    for (HIScrapFlavor *f = gScrap.flavors; f != nullptr; f = f->next)
        count++;
    *infoCount = count;
    return noErr;
}

CFStringRef HIScrapCopyText(void) {
    HIScrapFlavor *flavor = Find(kScrapFlavorTypeUnicode);
    if (flavor != nullptr)
        return CFStringCreateWithCharacters(kCFAllocatorDefault, (const UniChar *)flavor->data,
                                            flavor->size / (Size)sizeof(UniChar));
    flavor = Find(kScrapFlavorTypeText);
    if (flavor != nullptr)
        return CFStringCreateWithBytes(kCFAllocatorDefault, flavor->data, flavor->size,
                                       kCFStringEncodingMacRoman, false);
    return nullptr;
}

OSStatus HIScrapSetText(CFStringRef text) {
    ClearCurrentScrap();
    if (text == nullptr)
        return noErr;
    if (!HIIsString(text))
        return paramErr;
    CFIndex length = CFStringGetLength(text);
    CFIndex macRomanSize = 0;
    CFStringGetBytes(text, CFRangeMake(0, length), kCFStringEncodingMacRoman, '?', false, nullptr,
                     0, &macRomanSize);
    Size utf16Size = length * (Size)sizeof(UniChar);
    UInt8 *macRoman = static_cast<UInt8 *>(CFStandInAllocate(macRomanSize + 1));
    UniChar *utf16 = static_cast<UniChar *>(CFStandInAllocate(utf16Size + sizeof(UniChar)));
    OSStatus status = memFullErr;
    if (macRoman != nullptr && utf16 != nullptr) {
        CFStringGetBytes(text, CFRangeMake(0, length), kCFStringEncodingMacRoman, '?', false,
                         macRoman, macRomanSize, &macRomanSize);
        CFStringGetCharacters(text, CFRangeMake(0, length), utf16);
        status = PutScrapFlavor(&gScrap, kScrapFlavorTypeText, kScrapFlavorMaskNone, macRomanSize,
                                macRoman);
        if (status == noErr)
            status = PutScrapFlavor(&gScrap, kScrapFlavorTypeUnicode, kScrapFlavorMaskNone,
                                    utf16Size, utf16);
        if (status != noErr)
            ClearCurrentScrap();
    }
    CFStandInDeallocate(macRoman);
    CFStandInDeallocate(utf16);
    return status;
}
