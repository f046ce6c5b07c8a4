/*
 * Scrap.h
 *
 * The Scrap Manager: the clipboard as a set of typed flavours, here its
 * text as 'TEXT' (MacRoman).
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

enum { kScrapFlavorTypeText = 0x54455854 /* 'TEXT' */ };

/* The current clipboard. */
OSStatus GetCurrentScrap(ScrapRef *scrap);
/* noTypeErr when the scrap holds no data of that flavour. */
OSStatus GetScrapFlavorSize(ScrapRef scrap, ScrapFlavorType flavorType, Size *byteCount);
/* byteCount: in, the room at destination; out, the bytes copied. */
OSStatus GetScrapFlavorData(ScrapRef scrap, ScrapFlavorType flavorType, Size *byteCount,
                            void *destination);

#ifdef __cplusplus
}
#endif

#endif /* __SCRAP__ */
