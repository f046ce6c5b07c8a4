/*
 * CFPlugInCOM.h
 *
 * The COM-style glue of plug-ins: result codes, the IUnknown interface
 * table and its UUID.
 */
#ifndef __COREFOUNDATION_CFPLUGINCOM__
#define __COREFOUNDATION_CFPLUGINCOM__

#include <CoreFoundation/CFPlugIn.h>

CF_EXTERN_C_BEGIN

typedef SInt32 HRESULT;
typedef UInt32 ULONG;
typedef void *LPVOID;
typedef CFUUIDBytes REFIID;

#define S_OK ((HRESULT)0x00000000L)
#define E_OUTOFMEMORY ((HRESULT)0x80000002L)
#define E_NOINTERFACE ((HRESULT)0x80000004L)

/* 00000000-0000-0000-C000-000000000046 */
#define IUnknownUUID                                                                               \
    CFUUIDGetConstantUUIDWithBytes(kCFAllocatorSystemDefault, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  \
                                   0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46)

#define IUNKNOWN_C_GUTS                                                                            \
    void *_reserved;                                                                               \
    HRESULT (*QueryInterface)(void *thisPointer, REFIID iid, LPVOID *ppv);                         \
    ULONG (*AddRef)(void *thisPointer);                                                            \
    ULONG (*Release)(void *thisPointer)

typedef struct IUnknownVTbl {
    IUNKNOWN_C_GUTS;
} IUnknownVTbl;

CF_EXTERN_C_END

#endif /* __COREFOUNDATION_CFPLUGINCOM__ */
