/*
 * CPDEPlugin.cpp
 *
 * The pane base class: default operations that do nothing, the plug-in's
 * own bundle and strings, ticket lookup in a print session, and the move of
 * a nib window's controls into the print dialog's pane area, centred.
 */
#include "CPDEPlugin.h"

#include <string.h>

CPDEPlugin::CPDEPlugin(CFStringRef pluginBundleID)
    : mMainBundleRef(CFBundleGetBundleWithIdentifier(pluginBundleID)) {}

CPDEPlugin::~CPDEPlugin() {}

OSStatus CPDEPlugin::CreateUI(PMPDEFlags *, PMPDERef, ControlRef, PMPrintSession) {
    return noErr;
}

OSStatus CPDEPlugin::OnOpenUI() {
    return noErr;
}

OSStatus CPDEPlugin::OnCloseUI() {
    return noErr;
}

OSStatus CPDEPlugin::GetSummaryText(CFMutableArrayRef, CFMutableArrayRef) {
    return noErr;
}

OSStatus CPDEPlugin::TicketToUI(PMPrintSession) {
    return noErr;
}

OSStatus CPDEPlugin::UIToTicket(PMPrintSession) {
    return noErr;
}

/*
 * The entry for `key` in the bundle's default strings table, or the key
 * itself when the table has none. `comment` only documents the key at the
 * call site. Without its bundle the pane has no strings: null.
 */
CFStringRef CPDEPlugin::CopyLocalizedString(CFStringRef key, CFStringRef comment) {
    (void)comment;
    if (mMainBundleRef == NULL || key == NULL)
        return NULL;
    return CFBundleCopyLocalizedString(mMainBundleRef, key, key, NULL);
}

/*
 * The print dialog keeps each ticket under a name in the session, as a
 * number that carries the ticket's reference at pointer width.
 */
OSStatus CPDEPlugin::GetTicketFromSession(PMPrintSession printSession, CFStringRef ticket,
                                          void *container) {
    CFTypeRef cfTicketRef = NULL;
    OSStatus status = PMSessionGetDataFromSession(printSession, ticket, &cfTicketRef);
    if (status != noErr || cfTicketRef == NULL)
        return kPMInvalidTicket;
    if (CFGetTypeID(cfTicketRef) != CFNumberGetTypeID())
        return kPMInvalidTicket;

    SInt64 value = 0;
    if (!CFNumberGetValue((CFNumberRef)cfTicketRef, kCFNumberSInt64Type, &value))
        return kPMInvalidTicket;
    PMTicketRef ticketRef = (PMTicketRef)(intptr_t)value;
    memcpy(container, &ticketRef, sizeof ticketRef);
    return noErr;
}

static inline void OffsetRect16(Rect *r, SInt16 dh, SInt16 dv) {
    r->left = (SInt16)(r->left + dh);
    r->right = (SInt16)(r->right + dh);
    r->top = (SInt16)(r->top + dv);
    r->bottom = (SInt16)(r->bottom + dv);
}

/*
 * Moves the nib window's controls into userPane, keeping their layout, as a
 * block centred in each dimension in which the pane is larger than the nib
 * window's content and at the pane's left or top edge otherwise. A control
 * that cannot be made visible is left in the nib window with the bounds it
 * had, and the move goes on with the controls behind it.
 */
Boolean CPDEPlugin::EmbedControlsFromNib(WindowRef nibWindow, ControlRef userPane) {
    ControlRef rootControl = NULL;
    if (GetRootControl(nibWindow, &rootControl) != noErr || rootControl == NULL)
        return false;

    Rect nibFrame = {0, 0, 0, 0};
    GetWindowBounds(nibWindow, kWindowContentRgn, &nibFrame);
    Rect paneFrame = {0, 0, 0, 0};
    GetControlBounds(userPane, &paneFrame);

    UInt16 numControls = 0;
    CountSubControls(rootControl, &numControls);

    SInt16 dh =
        (SInt16)(((paneFrame.right - paneFrame.left) - (nibFrame.right - nibFrame.left)) / 2);
    SInt16 dv =
        (SInt16)(((paneFrame.bottom - paneFrame.top) - (nibFrame.bottom - nibFrame.top)) / 2);
    if (dh < 0)
        dh = 0;
    if (dv < 0)
        dv = 0;

    UInt16 skipped = 0; /* controls left behind, still first in the root */
    for (UInt16 i = 1; i <= numControls; i++) {
        ControlRef control = NULL;
        if (GetIndexedSubControl(rootControl, (UInt16)(1 + skipped), &control) != noErr ||
            control == NULL)
            continue;

        Rect originalFrame = {0, 0, 0, 0};
        GetControlBounds(control, &originalFrame);
        Rect controlFrame = originalFrame;
        OffsetRect16(&controlFrame, (SInt16)(paneFrame.left + dh), (SInt16)(paneFrame.top + dv));
        SetControlBounds(control, &controlFrame);

        if (SetControlVisibility(control, true, false) != noErr) {
            SetControlBounds(control, &originalFrame);
            skipped++;
            continue;
        }
        ShowControl(control);
        EmbedControl(control, userPane);
    }
    return true;
}
