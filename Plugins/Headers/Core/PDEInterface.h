/*
 * PDEInterface.h
 *
 * The glue between the print dialog and a pane: the generic plug-in
 * factory, the IUnknown instance it returns, and the dialog-extension
 * interface record whose table (PrintCore's PlugInIntfVTable) forwards
 * every call of the dialog to the pane's virtual operations (CPDEPlugin).
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

/* The dialog-extension interface (PlugInIntf, as PrintCore declares it)
   with its reference count. */
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
