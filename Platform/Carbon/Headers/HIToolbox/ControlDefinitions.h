/*
 * ControlDefinitions.h
 *
 * The standard control kinds this layer provides (user pane, Unicode edit
 * text, static text; check boxes come from nibs), their creation calls,
 * part codes and control data tags.
 */
#ifndef __CONTROLDEFINITIONS__
#define __CONTROLDEFINITIONS__

#include <HIToolbox/Controls.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Part codes */
enum { kControlLabelPart = 1, kControlEditTextPart = 5, kControlCheckBoxPart = 11 };

/* User pane features given to CreateUserPaneControl */
enum { kControlSupportsEmbedding = 1 << 1 };

/* Edit text data tags ('cfst' also reads a static text; no control here
   keeps 'pwcf': there are no password fields) */
enum {
    kControlEditTextKeyFilterTag = 0x666C7472 /* 'fltr' */,
    kControlEditTextSelectionTag = 0x73656C65 /* 'sele' */,
    kControlEditTextCFStringTag = 0x63667374 /* 'cfst' */,
    kControlEditTextPasswordCFStringTag = 0x70776366 /* 'pwcf' */
};

/* The selection of an edit text, in UTF-16 units */
struct ControlEditTextSelectionRec {
    SInt16 selStart;
    SInt16 selEnd;
};
typedef struct ControlEditTextSelectionRec ControlEditTextSelectionRec;

OSStatus CreateUserPaneControl(WindowRef window, const Rect *boundsRect, UInt32 features,
                               ControlRef *outControl);

#ifdef __cplusplus
}
#endif

#endif /* __CONTROLDEFINITIONS__ */
