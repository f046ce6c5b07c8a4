/*
 * MacWindows.h
 *
 * Windows: creation and disposal, bounds by region, visibility and title.
 * Every window has a root control (see Controls.h) and its own event target.
 */
#ifndef __MACWINDOWS__
#define __MACWINDOWS__

#include <CoreFoundation/CoreFoundation.h>
#include <CarbonCore/MacErrors.h>
#include <HIToolbox/CarbonEvents.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef WindowRef WindowPtr;
typedef UInt32 WindowClass;
typedef OptionBits WindowAttributes;
typedef UInt16 WindowRegionCode;
typedef UInt16 WindowPositionMethod;

enum {
    kAlertWindowClass = 1,
    kMovableAlertWindowClass = 2,
    kModalWindowClass = 3,
    kMovableModalWindowClass = 4,
    kFloatingWindowClass = 5,
    kDocumentWindowClass = 6,
    kUtilityWindowClass = 8,
    kHelpWindowClass = 10,
    kSheetWindowClass = 11,
    kToolbarWindowClass = 12,
    kPlainWindowClass = 13,
    kOverlayWindowClass = 14,
    kSheetAlertWindowClass = 15,
    kAltPlainWindowClass = 16,
    kDrawerWindowClass = 20,
    kAllWindowClasses = 0xFFFFFFFF
};

enum {
    kWindowNoAttributes = 0L,
    kWindowCloseBoxAttribute = 1L << 0,
    kWindowHorizontalZoomAttribute = 1L << 1,
    kWindowVerticalZoomAttribute = 1L << 2,
    kWindowFullZoomAttribute = (1L << 1) | (1L << 2),
    kWindowCollapseBoxAttribute = 1L << 3,
    kWindowResizableAttribute = 1L << 4,
    kWindowSideTitlebarAttribute = 1L << 5,
    kWindowToolbarButtonAttribute = 1L << 6,
    kWindowNoUpdatesAttribute = 1L << 16,
    kWindowNoActivatesAttribute = 1L << 17,
    kWindowCompositingAttribute = 1L << 19,
    kWindowStandardHandlerAttribute = 1L << 25,
    kWindowStandardDocumentAttributes = (1L << 0) | (1L << 1) | (1L << 2) | (1L << 3) | (1L << 4)
};

enum {
    kWindowTitleBarRgn = 0,
    kWindowTitleTextRgn = 1,
    kWindowCloseBoxRgn = 2,
    kWindowZoomBoxRgn = 3,
    kWindowDragRgn = 5,
    kWindowGrowRgn = 6,
    kWindowCollapseBoxRgn = 7,
    kWindowTitleProxyIconRgn = 8,
    kWindowStructureRgn = 32,
    kWindowContentRgn = 33,
    kWindowUpdateRgn = 34,
    kWindowOpaqueRgn = 35,
    kWindowGlobalPortRgn = 40
};

enum {
    kWindowDefaultPosition = 0x0000,
    kWindowCenterMainScreen = 0x280A,
    kWindowAlertPositionMainScreen = 0x300A,
    kWindowStaggerMainScreen = 0x380A,
    kWindowCenterParentWindow = 0xA80A,
    kWindowAlertPositionParentWindow = 0xB00A,
    kWindowStaggerParentWindow = 0xB80A,
    kWindowCenterParentWindowScreen = 0x680A,
    kWindowAlertPositionParentWindowScreen = 0x700A,
    kWindowStaggerParentWindowScreen = 0x780A
};

/* A window whose content region is contentBounds (global coordinates). */
OSStatus CreateNewWindow(WindowClass windowClass, WindowAttributes attributes,
                         const Rect *contentBounds, WindowRef *outWindow);
/* Disposes of the window, its controls and every handler installed on them. */
void DisposeWindow(WindowRef window);

OSStatus GetWindowBounds(WindowRef window, WindowRegionCode regionCode, Rect *globalBounds);
OSStatus SetWindowBounds(WindowRef window, WindowRegionCode regionCode, const Rect *globalBounds);
OSStatus GetWindowClass(WindowRef window, WindowClass *outClass);
OSStatus GetWindowAttributes(WindowRef window, WindowAttributes *outAttributes);

void ShowWindow(WindowRef window);
void HideWindow(WindowRef window);
Boolean IsWindowVisible(WindowRef window);
void SelectWindow(WindowRef window);
WindowRef ActiveNonFloatingWindow(void);

OSStatus SetWindowTitleWithCFString(WindowRef inWindow, CFStringRef inString);
OSStatus CopyWindowTitleAsCFString(WindowRef inWindow, CFStringRef *outString);

void SetWRefCon(WindowRef window, long data);
long GetWRefCon(WindowRef window);

#ifdef __cplusplus
}
#endif

#endif /* __MACWINDOWS__ */
