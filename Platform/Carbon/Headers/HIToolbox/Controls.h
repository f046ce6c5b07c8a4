/*
 * Controls.h
 *
 * The Control Manager: control references, embedding hierarchies, bounds,
 * value, visibility and enabling, titles, control IDs, reference values,
 * control data by tag and keyboard focus.
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

typedef SInt16 ControlPartCode;
typedef ControlPartCode ControlFocusPart;
typedef SInt16 ControlKeyFilterResult;
typedef void *SRefCon;

struct ControlID {
    OSType signature;
    SInt32 id;
};
typedef struct ControlID ControlID;

/* Font styles are not applied; creation calls take NULL. */

enum { kControlNoPart = 0, kControlEntireControl = 0 };
enum { kControlFocusNoPart = 0, kControlFocusNextPart = -1 };

/* Key filters: consulted by an edit text before it acts on a keystroke. */
enum { kControlKeyFilterBlockKey = 0, kControlKeyFilterPassKey = 1 };
typedef ControlKeyFilterResult (*ControlKeyFilterProcPtr)(ControlRef theControl, SInt16 *keyCode,
                                                          SInt16 *charCode,
                                                          EventModifiers *modifiers);
typedef ControlKeyFilterProcPtr ControlKeyFilterUPP;
ControlKeyFilterUPP NewControlKeyFilterUPP(ControlKeyFilterProcPtr userRoutine);
void DisposeControlKeyFilterUPP(ControlKeyFilterUPP userUPP);

/* Hierarchy. inIndex counts from 1. */
OSErr GetRootControl(WindowRef inWindow, ControlRef *outControl);
OSErr EmbedControl(ControlRef inControl, ControlRef inContainer);
OSErr CountSubControls(ControlRef inControl, UInt16 *outNumChildren);
OSErr GetIndexedSubControl(ControlRef inControl, UInt16 inIndex, ControlRef *outSubControl);
WindowRef GetControlOwner(ControlRef control);

/* IDs and reference values. GetControlByID searches the whole hierarchy. */
OSStatus GetControlID(ControlRef inControl, ControlID *outID);
OSStatus GetControlByID(WindowRef inWindow, const ControlID *inID, ControlRef *outControl);
void SetControlReference(ControlRef theControl, SRefCon data);
SRefCon GetControlReference(ControlRef theControl);

/* Bounds (window-relative) */
Rect *GetControlBounds(ControlRef control, Rect *bounds);
void SetControlBounds(ControlRef control, const Rect *bounds);

/* Visibility and enabling. A control counts as visible (enabled) only when
 * it and all its embedders are. */
OSErr SetControlVisibility(ControlRef inControl, Boolean inIsVisible, Boolean inDoDraw);
void ShowControl(ControlRef theControl);
void HideControl(ControlRef theControl);
Boolean IsControlVisible(ControlRef inControl);
OSStatus EnableControl(ControlRef inControl);
OSStatus DisableControl(ControlRef inControl);
Boolean IsControlEnabled(ControlRef inControl);

/* Drawing: a window's picture is drawn from its controls whenever it is
   asked for (HIStandInDrawWindow), so Draw1Control has nothing left to do. */
void Draw1Control(ControlRef theControl);
/* The visible control on top at a point in window coordinates, or NULL */
ControlRef FindControlUnderMouse(Point inWhere, WindowRef inWindow, ControlPartCode *outPart);

/* Value, clamped to the control's range */
SInt16 GetControlValue(ControlRef theControl);
void SetControlValue(ControlRef theControl, SInt16 newValue);
SInt32 GetControl32BitValue(ControlRef theControl);

/* Title of a check box; a new string the caller releases. */
OSStatus CopyControlTitleAsCFString(ControlRef inControl, CFStringRef *outString);

/* Control data by tag (see ControlDefinitions.h for the tags of each kind) */
OSErr SetControlData(ControlRef inControl, ControlPartCode inPart, ResType inTagName, Size inSize,
                     const void *inData);
OSErr GetControlData(ControlRef inControl, ControlPartCode inPart, ResType inTagName,
                     Size inBufferSize, void *inBuffer, Size *outActualSize);

/* Keyboard focus, per window. A hidden or disabled control cannot take it. */
OSErr SetKeyboardFocus(WindowRef inWindow, ControlRef inControl, ControlFocusPart inPart);
OSErr GetKeyboardFocus(WindowRef inWindow, ControlRef *outControl);

#ifdef __cplusplus
}
#endif

#endif /* __CONTROLS__ */
