/*
 * DialogExtension.h
 *
 * The print dialog's view of a dialog-extension plug-in: the IUnknown
 * instance a factory returns and the dialog-extension interface, whose
 * table begins with the printing plug-in header (Retain, Release,
 * GetAPIVersion) and goes on with the pane operations in their fixed order.
 */
#ifndef PDEHOST_DIALOG_EXTENSION_H
#define PDEHOST_DIALOG_EXTENSION_H

#include <ApplicationServices/ApplicationServices.h>
#include <Carbon/Carbon.h>
#include <CoreFoundation/CoreFoundation.h>
#include <PrintCore/PMPrintingDialogExtensions.h>

extern "C" {

struct DialogExtensionTable {
    PMPlugInHeader plugInHeader;
    OSStatus (*Prologue)(PMPDEContext *context, OSType *creator, CFStringRef *userOptionKind,
                         CFStringRef *title, UInt32 *maxH, UInt32 *maxV);
    OSStatus (*Initialize)(PMPDEContext context, PMPDEFlags *flags, PMPDERef ref,
                           ControlRef parentUserPane, PMPrintSession printSession);
    OSStatus (*Sync)(PMPDEContext context, PMPrintSession printSession, Boolean syncDirection);
    OSStatus (*GetSummaryText)(PMPDEContext context, CFArrayRef *titleArray,
                               CFArrayRef *summaryArray);
    OSStatus (*Open)(PMPDEContext context);
    OSStatus (*Close)(PMPDEContext context);
    OSStatus (*Terminate)(PMPDEContext context, OSStatus status);
};

/* Seen by the header functions as a PMPlugInHeaderInterface. */
struct DialogExtensionInterface {
    const DialogExtensionTable *vtable;
};

} // extern "C"

#endif /* PDEHOST_DIALOG_EXTENSION_H */
