/*
 * MacWindows.h
 *
 * Windows: creation and disposal, and the content bounds. Every window has
 * a root control (see Controls.h).
 */
#ifndef __MACWINDOWS__
#define __MACWINDOWS__

#include <CoreFoundation/CoreFoundation.h>
#include <CarbonCore/MacErrors.h>
#include <HIToolbox/CarbonEvents.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef UInt32 WindowClass;
typedef OptionBits WindowAttributes;
typedef UInt16 WindowRegionCode;

/* The classes of the windows here: the host's dialog and the nibs' windows */
enum { kMovableModalWindowClass = 4, kPlainWindowClass = 13 };
enum { kWindowNoAttributes = 0L };
enum { kWindowContentRgn = 33 };
enum { kWindowDefaultPosition = 0x0000, kWindowAlertPositionParentWindow = 0xB00A };

/* A window whose content region is contentBounds (global coordinates). */
OSStatus CreateNewWindow(WindowClass windowClass, WindowAttributes attributes,
                         const Rect *contentBounds, WindowRef *outWindow);
/* Disposes of the window, its controls and every handler installed on them. */
void DisposeWindow(WindowRef window);
/* Only kWindowContentRgn: errWindowRegionCodeInvalid for other regions. */
OSStatus GetWindowBounds(WindowRef window, WindowRegionCode regionCode, Rect *globalBounds);

#ifdef __cplusplus
}
#endif

#endif /* __MACWINDOWS__ */
