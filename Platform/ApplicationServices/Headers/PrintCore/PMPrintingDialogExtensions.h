/*
 * PMPrintingDialogExtensions.h
 *
 * Types and identifiers of print-dialog extension (PDE) plug-ins. A PDE
 * bundle names a factory for the plug-in type below; the dialog asks the
 * instance for the dialog-extension interface and drives the pane through
 * its table (PlugInIntfVTable), handing the pane's context back on every
 * call.
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

/* Sync directions */
#define kSyncDirectionSetTickets false
#define kSyncDirectionSetUserInterface true

/* Flags the dialog passes to a pane */
enum { kPMPDENoFlags = 0x00000000 };

/* The pane's user-pane control (the toolbox declares it too). */
typedef struct OpaqueControlRef *ControlRef;

/* The operations of a dialog-extension interface, in their slot order. */
typedef OSStatus (*PrologueProcPtr)(PMPDEContext *context, OSType *creator,
                                    CFStringRef *userOptionKind, CFStringRef *title, UInt32 *maxH,
                                    UInt32 *maxV);
typedef OSStatus (*InitializeProcPtr)(PMPDEContext context, PMPDEFlags *flags, PMPDERef ref,
                                      ControlRef parentUserPane, PMPrintSession printSession);
typedef OSStatus (*SyncProcPtr)(PMPDEContext context, PMPrintSession printSession,
                                Boolean syncDirection);
typedef OSStatus (*GetSummaryTextProcPtr)(PMPDEContext context, CFArrayRef *titleArray,
                                          CFArrayRef *summaryArray);
typedef OSStatus (*OpenProcPtr)(PMPDEContext context);
typedef OSStatus (*CloseProcPtr)(PMPDEContext context);
typedef OSStatus (*TerminateProcPtr)(PMPDEContext context, OSStatus status);

/* The dialog-extension interface's table: the printing plug-in header
 * (Retain, Release, GetAPIVersion), then the pane operations. */
typedef struct PlugInIntfVTable {
    PMPlugInHeader plugInHeader;
    PrologueProcPtr Prologue;
    InitializeProcPtr Initialize;
    SyncProcPtr Sync;
    GetSummaryTextProcPtr GetSummaryText;
    OpenProcPtr Open;
    CloseProcPtr Close;
    TerminateProcPtr Terminate;
} PlugInIntfVTable;

/* The interface as the dialog sees it; the header functions see it as a
 * PMPlugInHeaderInterface, since its table begins with the header. */
typedef struct PlugInIntf {
    PlugInIntfVTable *vtable;
} PlugInIntf;

#ifdef __cplusplus
}
#endif

#endif /* __PMPRINTINGDIALOGEXTENSIONS__ */
