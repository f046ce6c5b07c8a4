/*
 * PMPrintingDialogExtensions.h
 *
 * Types and identifiers of print-dialog extension (PDE) plug-ins. A PDE
 * bundle names a factory for the plug-in type below; the dialog asks the
 * instance for the dialog-extension interface and drives the pane through
 * it, handing the pane's context back on every call.
 */
#ifndef __PMPRINTINGDIALOGEXTENSIONS__
#define __PMPRINTINGDIALOGEXTENSIONS__

#include <PrintCore/PMDefinitions.h>
#include <PrintCore/PMErrors.h>
#include <PrintCore/PMPluginHeader.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The value a pane hands the dialog in its prologue and gets back on every
 * call: wide enough to carry the pane object's address. */
typedef void *PMPDEContext;
typedef UInt32 PMPDEFlags;
typedef SInt32 PMPDERef;

/* Plug-in type and interface identifiers (UUID strings) */
#define kPMPrintingDialogExtensionsPlugInType "BDB091F4-E57F-11D3-B5CC-0050E4603277"
#define kPMPrintingDialogExtensionsIntfIDStr "A996FD7E-B738-11D3-8519-0050E4603277"
#define kPMPrintingDialogExtensionsPlugInIntfID kPMPrintingDialogExtensionsIntfIDStr
#define kDialogExtensionIntfIDStr kPMPrintingDialogExtensionsIntfIDStr

/* Sync directions */
#define kSyncDirectionSetTickets false
#define kSyncDirectionSetUserInterface true

/* Flags the dialog passes to a pane */
enum { kPMPDENoFlags = 0x00000000, kPMPDENoSummary = 0x00000001, kPMPDEAllFlags = (UInt32)-1 };

/* Pane kinds of the standard panes */
#define kPMPageAttributesKindID CFSTR("com.apple.print.pde.PageAttributesKind")
#define kPMCopiesAndPagesPDEKindID CFSTR("com.apple.print.pde.CopiesAndPagesKind")
#define kPMLayoutPDEKindID CFSTR("com.apple.print.pde.LayoutUserOptionKind")
#define kPMOutputOptionsPDEKindID CFSTR("com.apple.print.pde.OutputOptionsKind")

#ifdef __cplusplus
}
#endif

#endif /* __PMPRINTINGDIALOGEXTENSIONS__ */
