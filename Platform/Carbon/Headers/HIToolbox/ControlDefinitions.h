/*
 * ControlDefinitions.h
 *
 * The standard control kinds this layer provides (user pane, Unicode edit
 * text and its password variant, check box, static text, push button), their
 * creation calls, part codes and control data tags.
 */
#ifndef __CONTROLDEFINITIONS__
#define __CONTROLDEFINITIONS__

#include <HIToolbox/Controls.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    kControlKindSignatureApple = 0x6170706C /* 'appl' */,
    kControlKindUserPane = 0x7570616E /* 'upan' */,
    kControlKindEditUnicodeText = 0x65757478 /* 'eutx' */,
    kControlKindCheckBox = 0x63626F78 /* 'cbox' */,
    kControlKindStaticText = 0x73747874 /* 'stxt' */,
    kControlKindPushButton = 0x70757368 /* 'push' */
};

/* Part codes */
enum {
    kControlLabelPart = 1,
    kControlMenuPart = 2,
    kControlTrianglePart = 4,
    kControlEditTextPart = 5,
    kControlPicturePart = 6,
    kControlIconPart = 7,
    kControlClockPart = 8,
    kControlListBoxPart = 24,
    kControlButtonPart = 10,
    kControlCheckBoxPart = 11,
    kControlRadioButtonPart = 12
};

/* User pane: features given to CreateUserPaneControl */
enum {
    kControlSupportsGhosting = 1 << 0,
    kControlSupportsEmbedding = 1 << 1,
    kControlSupportsFocus = 1 << 2,
    kControlWantsIdle = 1 << 3,
    kControlWantsActivate = 1 << 4,
    kControlHandlesTracking = 1 << 5,
    kControlSupportsDataAccess = 1 << 6,
    kControlHasSpecialBackground = 1 << 7,
    kControlGetsFocusOnClick = 1 << 8,
    kControlSupportsCalcBestRect = 1 << 9,
    kControlSupportsLiveFeedback = 1 << 10,
    kControlHasRadioBehavior = 1 << 11,
    kControlSupportsDragAndDrop = 1 << 12,
    kControlAutoToggles = 1 << 14,
    kControlSupportsGetRegion = 1 << 17,
    kControlSupportsFlattening = 1 << 19,
    kControlSupportsSetCursor = 1 << 20,
    kControlSupportsContextualMenus = 1 << 21,
    kControlSupportsClickActivation = 1 << 22,
    kControlIdlesWithTimer = 1 << 23,
    kControlInvertsUpDownValueMeaning = 1 << 24
};

/* Edit text data tags */
enum {
    kControlEditTextStyleTag = 0x666F6E74 /* 'font' */,
    kControlEditTextTextTag = 0x74657874 /* 'text' */,
    kControlEditTextKeyFilterTag = 0x666C7472 /* 'fltr' */,
    kControlEditTextSelectionTag = 0x73656C65 /* 'sele' */,
    kControlEditTextPasswordTag = 0x70617373 /* 'pass' */,
    kControlEditTextLockedTag = 0x6C6F636B /* 'lock' */,
    kControlEditTextCFStringTag = 0x63667374 /* 'cfst' */,
    kControlEditTextPasswordCFStringTag = 0x70776366 /* 'pwcf' */,
    kControlEditTextSingleLineTag = 0x73676C63 /* 'sglc' */
};

/* Static text data tags */
enum {
    kControlStaticTextStyleTag = 0x666F6E74 /* 'font' */,
    kControlStaticTextTextTag = 0x74657874 /* 'text' */,
    kControlStaticTextTextHeightTag = 0x74686569 /* 'thei' */,
    kControlStaticTextTruncTag = 0x7472756E /* 'trun' */,
    kControlStaticTextCFStringTag = 0x63667374 /* 'cfst' */
};

/* Push button data tags */
enum {
    kControlPushButtonDefaultTag = 0x64666C74 /* 'dflt' */,
    kControlPushButtonCancelTag = 0x636E636C /* 'cncl' */
};

/* Check box values */
enum {
    kControlCheckBoxUncheckedValue = 0,
    kControlCheckBoxCheckedValue = 1,
    kControlCheckBoxMixedValue = 2
};

/* The selection of an edit text, in UTF-16 units */
struct ControlEditTextSelectionRec {
    SInt16 selStart;
    SInt16 selEnd;
};
typedef struct ControlEditTextSelectionRec ControlEditTextSelectionRec;
typedef ControlEditTextSelectionRec *ControlEditTextSelectionPtr;

OSStatus CreateUserPaneControl(WindowRef window, const Rect *boundsRect, UInt32 features,
                               ControlRef *outControl);
OSStatus CreateEditUnicodeTextControl(WindowRef window, const Rect *boundsRect, CFStringRef text,
                                      Boolean isPassword, const ControlFontStyleRec *style,
                                      ControlRef *outControl);
OSStatus CreateCheckBoxControl(WindowRef window, const Rect *boundsRect, CFStringRef title,
                               SInt32 initialValue, Boolean autoToggle, ControlRef *outControl);
OSStatus CreateStaticTextControl(WindowRef window, const Rect *boundsRect, CFStringRef text,
                                 const ControlFontStyleRec *style, ControlRef *outControl);
OSStatus CreatePushButtonControl(WindowRef window, const Rect *boundsRect, CFStringRef title,
                                 ControlRef *outControl);

#ifdef __cplusplus
}
#endif

#endif /* __CONTROLDEFINITIONS__ */
