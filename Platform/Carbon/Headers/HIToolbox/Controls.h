/*
 * Controls.h
 *
 * The Control Manager: control references, embedding hierarchies, bounds,
 * value, visibility, enabling and activation, titles, control IDs,
 * reference values, control data by tag, command IDs and keyboard focus.
 *
 * Bounds are window-relative: embedding a control does not change them.
 */
#ifndef __CONTROLS__
#define __CONTROLS__

#include <CoreFoundation/CoreFoundation.h>
#include <CarbonCore/MacErrors.h>
#include <HIToolbox/Events.h>
#include <HIToolbox/CarbonEvents.h>
#include <HIToolbox/MacWindows.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef ControlRef ControlHandle;
typedef ControlRef HIViewRef;
typedef SInt16 ControlPartCode;
typedef ControlPartCode ControlFocusPart;
typedef SInt16 ControlKeyFilterResult;
typedef void *SRefCon;

struct ControlID {
    OSType signature;
    SInt32 id;
};
typedef struct ControlID ControlID;

struct ControlKind {
    OSType signature;
    OSType kind;
};
typedef struct ControlKind ControlKind;

struct RGBColor {
    unsigned short red;
    unsigned short green;
    unsigned short blue;
};
typedef struct RGBColor RGBColor;

struct ControlFontStyleRec {
    SInt16 flags;
    SInt16 font;
    SInt16 size;
    SInt16 style;
    SInt16 mode;
    SInt16 just;
    RGBColor foreColor;
    RGBColor backColor;
};
typedef struct ControlFontStyleRec ControlFontStyleRec;
typedef ControlFontStyleRec *ControlFontStylePtr;

enum {
    kControlNoPart = 0,
    kControlIndicatorPart = 129,
    kControlDisabledPart = 254,
    kControlInactivePart = 255
};

enum { kControlEntireControl = 0 };

enum { kControlFocusNoPart = 0, kControlFocusNextPart = -1, kControlFocusPrevPart = -2 };

/* Key filters: consulted by an edit text before it acts on a keystroke. */
enum { kControlKeyFilterBlockKey = 0, kControlKeyFilterPassKey = 1 };

typedef ControlKeyFilterResult (*ControlKeyFilterProcPtr)(ControlRef theControl, SInt16 *keyCode,
                                                          SInt16 *charCode,
                                                          EventModifiers *modifiers);
typedef ControlKeyFilterProcPtr ControlKeyFilterUPP;

ControlKeyFilterUPP NewControlKeyFilterUPP(ControlKeyFilterProcPtr userRoutine);
void DisposeControlKeyFilterUPP(ControlKeyFilterUPP userUPP);
ControlKeyFilterResult InvokeControlKeyFilterUPP(ControlRef theControl, SInt16 *keyCode,
                                                 SInt16 *charCode, EventModifiers *modifiers,
                                                 ControlKeyFilterUPP userUPP);

/* Tags understood by every control */
enum {
    kControlFontStyleTag = 0x666F6E74 /* 'font' */,
    kControlKeyFilterTag = 0x666C7472 /* 'fltr' */,
    kControlKindTag = 0x6B696E64 /* 'kind' */
};

/* Disposal and hierarchy */
void DisposeControl(ControlRef theControl);
void KillControls(WindowRef theWindow);
OSErr CreateRootControl(WindowRef inWindow, ControlRef *outControl);
OSErr GetRootControl(WindowRef inWindow, ControlRef *outControl);
OSErr EmbedControl(ControlRef inControl, ControlRef inContainer);
OSErr AutoEmbedControl(ControlRef inControl, WindowRef inWindow);
OSErr GetSuperControl(ControlRef inControl, ControlRef *outParent);
OSErr CountSubControls(ControlRef inControl, UInt16 *outNumChildren);
/* inIndex counts from 1. */
OSErr GetIndexedSubControl(ControlRef inControl, UInt16 inIndex, ControlRef *outSubControl);
WindowRef GetControlOwner(ControlRef control);

/* IDs, kinds and reference values */
OSStatus SetControlID(ControlRef inControl, const ControlID *inID);
OSStatus GetControlID(ControlRef inControl, ControlID *outID);
/* Searches the window's whole control hierarchy. */
OSStatus GetControlByID(WindowRef inWindow, const ControlID *inID, ControlRef *outControl);
OSStatus GetControlKind(ControlRef inControl, ControlKind *outControlKind);
void SetControlReference(ControlRef theControl, SRefCon data);
SRefCon GetControlReference(ControlRef theControl);
OSStatus SetControlCommandID(ControlRef inControl, UInt32 inCommandID);
OSStatus GetControlCommandID(ControlRef inControl, UInt32 *outCommandID);

/* Bounds (window-relative) */
Rect *GetControlBounds(ControlRef control, Rect *bounds);
void SetControlBounds(ControlRef control, const Rect *bounds);
/* Moves the control, and the controls embedded in it, so that its top left is (h, v). */
void MoveControl(ControlRef theControl, SInt16 h, SInt16 v);
void SizeControl(ControlRef theControl, SInt16 w, SInt16 h);

/* Visibility, enabling and activation. A control counts as visible (enabled,
 * active) only when it and all its embedders are. */
OSErr SetControlVisibility(ControlRef inControl, Boolean inIsVisible, Boolean inDoDraw);
void ShowControl(ControlRef theControl);
void HideControl(ControlRef theControl);
Boolean IsControlVisible(ControlRef inControl);
OSStatus EnableControl(ControlRef inControl);
OSStatus DisableControl(ControlRef inControl);
Boolean IsControlEnabled(ControlRef inControl);
OSErr ActivateControl(ControlRef inControl);
OSErr DeactivateControl(ControlRef inControl);
Boolean IsControlActive(ControlRef inControl);
Boolean IsValidControlHandle(ControlRef theControl);

/* Drawing (nothing is rendered by this layer; the calls check their argument) */
void Draw1Control(ControlRef theControl);
void DrawControls(WindowRef theWindow);
OSErr DrawControlInCurrentPort(ControlRef inControl);

/* Value */
SInt16 GetControlValue(ControlRef theControl);
void SetControlValue(ControlRef theControl, SInt16 newValue);
SInt16 GetControlMinimum(ControlRef theControl);
void SetControlMinimum(ControlRef theControl, SInt16 newMinimum);
SInt16 GetControlMaximum(ControlRef theControl);
void SetControlMaximum(ControlRef theControl, SInt16 newMaximum);
SInt32 GetControl32BitValue(ControlRef theControl);
void SetControl32BitValue(ControlRef theControl, SInt32 newValue);
SInt32 GetControl32BitMinimum(ControlRef theControl);
void SetControl32BitMinimum(ControlRef theControl, SInt32 newMinimum);
SInt32 GetControl32BitMaximum(ControlRef theControl);
void SetControl32BitMaximum(ControlRef theControl, SInt32 newMaximum);

/* Title */
OSStatus SetControlTitleWithCFString(ControlRef inControl, CFStringRef inString);
OSStatus CopyControlTitleAsCFString(ControlRef inControl, CFStringRef *outString);

/* Control data by tag (see ControlDefinitions.h for the tags of each kind) */
OSErr SetControlData(ControlRef inControl, ControlPartCode inPart, ResType inTagName, Size inSize,
                     const void *inData);
OSErr GetControlData(ControlRef inControl, ControlPartCode inPart, ResType inTagName,
                     Size inBufferSize, void *inBuffer, Size *outActualSize);
OSErr GetControlDataSize(ControlRef inControl, ControlPartCode inPart, ResType inTagName,
                         Size *outMaxSize);

/* Keyboard focus, per window. A hidden or disabled control cannot take it. */
OSErr SetKeyboardFocus(WindowRef inWindow, ControlRef inControl, ControlFocusPart inPart);
OSErr GetKeyboardFocus(WindowRef inWindow, ControlRef *outControl);
OSErr AdvanceKeyboardFocus(WindowRef inWindow);
OSErr ReverseKeyboardFocus(WindowRef inWindow);
OSErr ClearKeyboardFocus(WindowRef inWindow);

#ifdef __cplusplus
}
#endif

#endif /* __CONTROLS__ */
