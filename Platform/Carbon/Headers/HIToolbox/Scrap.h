/*
 * Scrap.h
 *
 * The Scrap Manager: the clipboard as a set of typed flavours.
 */
#ifndef __SCRAP__
#define __SCRAP__

#include <MacTypes.h>
#include <CarbonCore/MacErrors.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct OpaqueScrapRef *ScrapRef;
typedef FourCharCode ScrapFlavorType;
typedef UInt32 ScrapFlavorFlags;

enum {
    kScrapFlavorTypePicture = 0x50494354 /* 'PICT' */,
    kScrapFlavorTypeText = 0x54455854 /* 'TEXT' */,
    kScrapFlavorTypeTextStyle = 0x7374796C /* 'styl' */,
    kScrapFlavorTypeMovie = 0x6D6F6F76 /* 'moov' */,
    kScrapFlavorTypeSound = 0x736E6420 /* 'snd ' */,
    kScrapFlavorTypeUnicode = 0x75747874 /* 'utxt' */,
    kScrapFlavorTypeUTF16External = 0x75743136 /* 'ut16' */,
    kScrapFlavorTypeUnicodeStyle = 0x7573746C /* 'ustl' */
};

enum {
    kScrapFlavorMaskNone = 0x00000000,
    kScrapFlavorMaskSenderOnly = 0x00000001,
    kScrapFlavorMaskTranslated = 0x00000002
};

#define kScrapRefNone ((ScrapRef)NULL)

/* The current clipboard. */
OSStatus GetCurrentScrap(ScrapRef *scrap);
OSStatus GetScrapFlavorFlags(ScrapRef scrap, ScrapFlavorType flavorType,
                             ScrapFlavorFlags *flavorFlags);
/* noTypeErr when the scrap holds no data of that flavour. */
OSStatus GetScrapFlavorSize(ScrapRef scrap, ScrapFlavorType flavorType, Size *byteCount);
/* byteCount: in, the room at destination; out, the bytes copied. */
OSStatus GetScrapFlavorData(ScrapRef scrap, ScrapFlavorType flavorType, Size *byteCount,
                            void *destination);
OSStatus PutScrapFlavor(ScrapRef scrap, ScrapFlavorType flavorType, ScrapFlavorFlags flavorFlags,
                        Size flavorSize, const void *flavorData);
/* Empties the clipboard. */
OSStatus ClearCurrentScrap(void);
OSStatus GetScrapFlavorCount(ScrapRef scrap, UInt32 *infoCount);

#ifdef __cplusplus
}
#endif

#endif /* __SCRAP__ */
