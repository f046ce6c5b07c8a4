/*
 * PDEInterface.h
 *
 * The glue between the print dialog and a pane: the generic plug-in
 * factory, the IUnknown instance it returns, and the dialog-extension
 * interface record whose table of plain functions forwards every call of
 * the dialog to the pane's virtual operations (CPDEPlugin).
 *
 * The records are laid out here so that the dialog (and tests) can call
 * through their tables; everything else stays inside PDEInterface.cpp.
 */
#ifndef PDEINTERFACE_H
#define PDEINTERFACE_H

#include <ApplicationServices/ApplicationServices.h>
#include <Carbon/Carbon.h>
#include <CoreFoundation/CoreFoundation.h>

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

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

typedef struct PlugInIntfVTable {
    PMPlugInHeader plugInHeader; /* Retain, Release, GetAPIVersion */
    PrologueProcPtr Prologue;
    InitializeProcPtr Initialize;
    SyncProcPtr Sync;
    GetSummaryTextProcPtr GetSummaryText;
    OpenProcPtr Open;
    CloseProcPtr Close;
    TerminateProcPtr Terminate;
} PlugInIntfVTable;

/* The dialog-extension interface; seen by the header functions as a
   PMPlugInHeaderInterface, since its table begins with the header. */
typedef struct JobLogPlugInInterface {
    PlugInIntfVTable *vtable; /* owned: each record has its own table */
    UInt32 refCount;
} JobLogPlugInInterface;

/* The object the factory returns. */
typedef struct IUnknownInstance {
    IUnknownVTbl *vtable; /* points at vtableStorage */
    IUnknownVTbl vtableStorage;
    CFUUIDRef factoryID; /* owned */
    PrologueProcPtr prologueProc;
    ULONG refCount;
} IUnknownInstance;

#ifdef __cplusplus
}
#endif

/*
 * Makes an IUnknownInstance for the dialog-extension type, registered as a
 * live instance of the factory `factoryID` (a UUID string); null for any
 * other type or on failure.
 */
void *PluginFactory(CFAllocatorRef allocator, CFUUIDRef reqTypeID, CFStringRef factoryID,
                    PrologueProcPtr prologueProc);

/*
 * Fault injection for the glue's own records, which come from the process
 * heap: a non-null pair replaces calloc and free; null restores them.
 */
typedef void *(*PDEInterfaceAllocateProcPtr)(size_t count, size_t size);
typedef void (*PDEInterfaceFreeProcPtr)(void *ptr);
void PDEInterfaceSetAllocator(PDEInterfaceAllocateProcPtr allocate, PDEInterfaceFreeProcPtr free);

#endif /* PDEINTERFACE_H */
