/*
 * PDEInterface.cpp
 *
 * The dialog-extension glue: the generic factory and its IUnknown instance,
 * the interface record with its own table, the header functions, and the
 * dispatchers that check the dialog's arguments and forward to the pane.
 * Nothing here throws; every failure is a returned status or a null result.
 */
#include "PDEInterface.h"
#include "CPDEPlugin.h"

#include <stdint.h>
#include <stdlib.h>

static PDEInterfaceAllocateProcPtr sAllocate = calloc;
static PDEInterfaceFreeProcPtr sFree = free;

void PDEInterfaceSetAllocator(PDEInterfaceAllocateProcPtr allocate, PDEInterfaceFreeProcPtr free) {
    if (allocate != NULL && free != NULL) {
        sAllocate = allocate;
        sFree = free;
    } else {
        sAllocate = calloc;
        sFree = ::free;
    }
}

/* The pane that a context carries, and back; the context is pointer-wide. */
static CPDEPlugin *PaneFromContext(PMPDEContext context) {
    return (CPDEPlugin *)(uintptr_t)context;
}

static HRESULT QueryInterface(void *obj, REFIID iID, LPVOID *intfPtr);
static ULONG IUnknownAddRef(void *obj);
static ULONG IUnknownRelease(void *obj);
static OSStatus Retain(PMPlugInHeaderInterface *obj);
static OSStatus Release(PMPlugInHeaderInterface **objPtr);
static OSStatus GetAPIVersion(PMPlugInHeaderInterface *obj, PMPlugInAPIVersion *versionPtr);
static OSStatus Initialize(PMPDEContext context, PMPDEFlags *flags, PMPDERef ref,
                           ControlRef parentUserPane, PMPrintSession printSession);
static OSStatus Sync(PMPDEContext context, PMPrintSession printSession, Boolean syncDirection);
static OSStatus GetSummaryText(PMPDEContext context, CFArrayRef *titleArray,
                               CFArrayRef *summaryArray);
static OSStatus Open(PMPDEContext context);
static OSStatus Close(PMPDEContext context);
static OSStatus Terminate(PMPDEContext context, OSStatus status);

void *PluginFactory(CFAllocatorRef allocator, CFUUIDRef reqTypeID, CFStringRef factoryID,
                    PrologueProcPtr prologueProc) {
    (void)allocator; /* the records come from the process heap */

    CFUUIDRef myInstID =
        CFUUIDCreateFromString(kCFAllocatorDefault, CFSTR(kPMPrintingDialogExtensionsPlugInType));
    if (myInstID == NULL)
        return NULL;
    CFUUIDRef myFactoryID = CFUUIDCreateFromString(kCFAllocatorDefault, factoryID);
    if (myFactoryID == NULL) {
        CFRelease(myInstID);
        return NULL;
    }

    IUnknownInstance *instance = NULL;
    if (reqTypeID != NULL && CFEqual(reqTypeID, myInstID)) {
        instance = (IUnknownInstance *)sAllocate(1, sizeof(IUnknownInstance));
        if (instance != NULL) {
            instance->vtable = &instance->vtableStorage;
            instance->vtableStorage._reserved = NULL;
            instance->vtableStorage.QueryInterface = QueryInterface;
            instance->vtableStorage.AddRef = IUnknownAddRef;
            instance->vtableStorage.Release = IUnknownRelease;
            instance->factoryID = myFactoryID;
            instance->prologueProc = prologueProc;
            instance->refCount = 1;
            CFPlugInAddInstanceForFactory(myFactoryID);
        }
    }

    CFRelease(myInstID);
    if (instance == NULL)
        CFRelease(myFactoryID);
    return instance;
}

static ULONG IUnknownAddRef(void *obj) {
    IUnknownInstance *instance = (IUnknownInstance *)obj;
    if (instance == NULL)
        return 0;
    return ++instance->refCount;
}

static ULONG IUnknownRelease(void *obj) {
    IUnknownInstance *instance = (IUnknownInstance *)obj;
    if (instance == NULL || instance->refCount == 0)
        return 0;
    if (--instance->refCount > 0)
        return instance->refCount;

    try {
        CFPlugInRemoveInstanceForFactory(instance->factoryID);
        CFRelease(instance->factoryID);
        instance->factoryID = NULL;
    } catch (...) {
        if (instance->factoryID != NULL)
            CFRelease(instance->factoryID);
    }
    sFree(instance);
    return 0;
}

/* A fresh interface record with its own table, or null without memory. */
static JobLogPlugInInterface *CreatePlugInInterface(PrologueProcPtr prologueProc) {
    JobLogPlugInInterface *intf =
        (JobLogPlugInInterface *)sAllocate(1, sizeof(JobLogPlugInInterface));
    if (intf == NULL)
        return NULL;
    intf->vtable = NULL;
    intf->refCount = 1;

    PlugInIntfVTable *table = (PlugInIntfVTable *)sAllocate(1, sizeof(PlugInIntfVTable));
    if (table == NULL) {
        sFree(intf);
        return NULL;
    }
    intf->vtable = table;
    table->plugInHeader.Retain = Retain;
    table->plugInHeader.Release = Release;
    table->plugInHeader.GetAPIVersion = GetAPIVersion;
    table->Prologue = prologueProc;
    table->Initialize = Initialize;
    table->Sync = Sync;
    table->GetSummaryText = GetSummaryText;
    table->Open = Open;
    table->Close = Close;
    table->Terminate = Terminate;
    return intf;
}

static HRESULT QueryInterface(void *obj, REFIID iID, LPVOID *intfPtr) {
    IUnknownInstance *instance = (IUnknownInstance *)obj;
    CFUUIDRef reqIntfID = CFUUIDCreateFromUUIDBytes(kCFAllocatorDefault, iID);
    CFUUIDRef myIntfID =
        CFUUIDCreateFromString(kCFAllocatorDefault, CFSTR(kPMPrintingDialogExtensionsIntfIDStr));

    HRESULT result = E_NOINTERFACE;
    if (intfPtr != NULL)
        *intfPtr = NULL;
    if (reqIntfID != NULL && myIntfID != NULL && instance != NULL && intfPtr != NULL) {
        if (CFEqual(reqIntfID, IUnknownUUID)) {
            instance->vtable->AddRef(instance);
            *intfPtr = instance;
            result = S_OK;
        } else if (CFEqual(reqIntfID, myIntfID)) {
            /* Without memory no interface is handed out, yet the query is
               answered as understood. */
            *intfPtr = CreatePlugInInterface(instance->prologueProc);
            result = S_OK;
        }
    }

    if (reqIntfID != NULL)
        CFRelease(reqIntfID);
    if (myIntfID != NULL)
        CFRelease(myIntfID);
    return result;
}

static OSStatus Retain(PMPlugInHeaderInterface *obj) {
    if (obj != NULL)
        ((JobLogPlugInInterface *)obj)->refCount++;
    return noErr;
}

static OSStatus Release(PMPlugInHeaderInterface **objPtr) {
    if (objPtr == NULL || *objPtr == NULL)
        return noErr;
    JobLogPlugInInterface *intf = (JobLogPlugInInterface *)*objPtr;
    *objPtr = NULL;
    if (intf->refCount > 0 && --intf->refCount == 0) {
        sFree(intf->vtable);
        sFree(intf);
    }
    return noErr;
}

static OSStatus GetAPIVersion(PMPlugInHeaderInterface *obj, PMPlugInAPIVersion *versionPtr) {
    (void)obj;
    if (versionPtr != NULL) {
        versionPtr->buildVersionMajor = 1;
        versionPtr->buildVersionMinor = 0;
        versionPtr->baseVersionMajor = 1;
        versionPtr->baseVersionMinor = 0;
    }
    return noErr;
}

static OSStatus Initialize(PMPDEContext context, PMPDEFlags *flags, PMPDERef ref,
                           ControlRef parentUserPane, PMPrintSession printSession) {
    CPDEPlugin *pane = PaneFromContext(context);
    if (pane == NULL || printSession == NULL)
        return kPMInvalidPDEContext;
    return pane->CreateUI(flags, ref, parentUserPane, printSession);
}

static OSStatus Sync(PMPDEContext context, PMPrintSession printSession, Boolean syncDirection) {
    CPDEPlugin *pane = PaneFromContext(context);
    if (pane == NULL || printSession == NULL)
        return kPMInvalidPrintSession;
    switch (syncDirection) {
    case kSyncDirectionSetTickets:
        return pane->UIToTicket(printSession);
    case kSyncDirectionSetUserInterface:
        return pane->TicketToUI(printSession);
    default:
        return noErr;
    }
}

static OSStatus GetSummaryText(PMPDEContext context, CFArrayRef *titleArray,
                               CFArrayRef *summaryArray) {
    CPDEPlugin *pane = PaneFromContext(context);
    if (pane == NULL)
        return kPMInvalidPDEContext;
    if (titleArray != NULL)
        *titleArray = NULL;
    if (summaryArray != NULL)
        *summaryArray = NULL;

    CFMutableArrayRef theTitleArray =
        CFArrayCreateMutable(kCFAllocatorDefault, 0, &kCFTypeArrayCallBacks);
    CFMutableArrayRef theSummaryArray =
        CFArrayCreateMutable(kCFAllocatorDefault, 0, &kCFTypeArrayCallBacks);
    if (theTitleArray == NULL || theSummaryArray == NULL) {
        if (theTitleArray != NULL)
            CFRelease(theTitleArray);
        if (theSummaryArray != NULL)
            CFRelease(theSummaryArray);
        return memFullErr;
    }

    OSStatus status = pane->GetSummaryText(theTitleArray, theSummaryArray);
    if (status != noErr || titleArray == NULL || summaryArray == NULL) {
        CFRelease(theTitleArray);
        CFRelease(theSummaryArray);
        return status;
    }
    *titleArray = theTitleArray;
    *summaryArray = theSummaryArray;
    return noErr;
}

static OSStatus Open(PMPDEContext context) {
    CPDEPlugin *pane = PaneFromContext(context);
    if (pane == NULL)
        return kPMInvalidPDEContext;
    return pane->OnOpenUI();
}

static OSStatus Close(PMPDEContext context) {
    CPDEPlugin *pane = PaneFromContext(context);
    if (pane == NULL)
        return kPMInvalidPDEContext;
    return pane->OnCloseUI();
}

static OSStatus Terminate(PMPDEContext context, OSStatus status) {
    (void)status;
    delete PaneFromContext(context);
    return noErr;
}
