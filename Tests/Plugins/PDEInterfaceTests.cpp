/*
 * PDEInterfaceTests.cpp
 *
 * The dialog-extension glue: the factory's type check and registration,
 * reference counting of the instance and of each interface record, the
 * header functions, and every dispatcher's argument checks, forwarding and
 * status values, driven through the tables the dialog receives.
 */
#include "CPDEPlugin.h"
#include "PDEInterface.h"
#include "PlugInTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

#define kTestFactoryID "5A1C2E4B-0D3F-4A6B-8C9D-1E2F3A4B5C6D"

/* A pane that records which operation ran and answers with a set status. */
struct RecordingPane : CPDEPlugin {
    RecordingPane() : CPDEPlugin(CFSTR("com.quarn.test.none")) {}
    ~RecordingPane() override { sLog.push_back("destroyed"); }
    OSStatus CreateUI(PMPDEFlags *, PMPDERef ref, ControlRef, PMPrintSession) override {
        return Record("CreateUI " + std::to_string(ref));
    }
    OSStatus OnOpenUI() override { return Record("OnOpenUI"); }
    OSStatus OnCloseUI() override { return Record("OnCloseUI"); }
    OSStatus GetSummaryText(CFMutableArrayRef titles, CFMutableArrayRef summaries) override {
        CFArrayAppendValue(titles, CFSTR("Title"));
        CFArrayAppendValue(summaries, CFSTR("Summary"));
        return Record("GetSummaryText");
    }
    OSStatus TicketToUI(PMPrintSession) override { return Record("TicketToUI"); }
    OSStatus UIToTicket(PMPrintSession) override { return Record("UIToTicket"); }
    OSStatus Record(const std::string &call) {
        sLog.push_back(call);
        return sResult;
    }
    static std::vector<std::string> sLog;
    static OSStatus sResult;
};
std::vector<std::string> RecordingPane::sLog;
OSStatus RecordingPane::sResult = noErr;

OSStatus RecordingPrologue(PMPDEContext *context, OSType *, CFStringRef *, CFStringRef *, UInt32 *,
                           UInt32 *) {
    *context = static_cast<CPDEPlugin *>(new RecordingPane);
    return noErr;
}

/* Counts the glue's own heap blocks; fails the allocations named by number. */
struct HeapLog {
    static int allocations, frees, failAt;
    static void *Allocate(size_t count, size_t size) {
        if (++allocations == failAt)
            return NULL;
        return calloc(count, size);
    }
    static void Free(void *ptr) {
        if (ptr != NULL)
            frees++;
        free(ptr);
    }
};
int HeapLog::allocations, HeapLog::frees, HeapLog::failAt;

CFUUIDBytes UUIDBytes(const char *text) {
    CFOwned<CFStringRef> string(CreateString(text));
    CFOwned<CFUUIDRef> uuid(CFUUIDCreateFromString(kCFAllocatorDefault, string.get()));
    return CFUUIDGetUUIDBytes(uuid.get());
}

class PDEInterfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeapLog::allocations = HeapLog::frees = HeapLog::failAt = 0;
        PDEInterfaceSetAllocator(HeapLog::Allocate, HeapLog::Free);
        RecordingPane::sLog.clear();
        RecordingPane::sResult = noErr;
        start = LiveCounts::Now();
        factoryID = CFUUIDCreateFromString(kCFAllocatorDefault, CFSTR(kTestFactoryID));
    }
    void TearDown() override {
        CFRelease(factoryID);
        PDEInterfaceSetAllocator(NULL, NULL);
        EXPECT_EQ(start, LiveCounts::Now());
        EXPECT_EQ(HeapLog::allocations - (HeapLog::failAt > 0 ? 1 : 0), HeapLog::frees);
    }
    IUnknownInstance *MakeInstance() {
        CFOwned<CFUUIDRef> type(CFUUIDCreateFromString(
            kCFAllocatorDefault, CFSTR(kPMPrintingDialogExtensionsPlugInType)));
        return (IUnknownInstance *)PluginFactory(kCFAllocatorDefault, type.get(),
                                                 CFSTR(kTestFactoryID), RecordingPrologue);
    }
    JobLogPlugInInterface *Query(IUnknownInstance *instance, const char *iid, HRESULT *result) {
        LPVOID intf = (LPVOID)0x1;
        *result = instance->vtable->QueryInterface(instance, UUIDBytes(iid), &intf);
        return (JobLogPlugInInterface *)intf;
    }
    static void ReleaseInterface(JobLogPlugInInterface *intf) {
        PMPlugInHeaderInterface *header = (PMPlugInHeaderInterface *)intf;
        intf->vtable->plugInHeader.Release(&header);
    }
    LiveCounts start;
    CFUUIDRef factoryID = NULL;
};

TEST_F(PDEInterfaceTest, FactoryRefusesOtherTypesAndRegistersNothing) {
    CFOwned<CFUUIDRef> other(CFUUIDCreateFromString(kCFAllocatorDefault, CFSTR(kTestFactoryID)));
    EXPECT_EQ(nullptr, PluginFactory(kCFAllocatorDefault, other.get(), CFSTR(kTestFactoryID),
                                     RecordingPrologue));
    EXPECT_EQ(nullptr,
              PluginFactory(kCFAllocatorDefault, NULL, CFSTR(kTestFactoryID), RecordingPrologue));
    EXPECT_EQ(0, CFStandInGetPlugInInstanceCount(factoryID));
    EXPECT_EQ(0, HeapLog::allocations);
}

TEST_F(PDEInterfaceTest, FactoryWithoutMemoryOrValidFactoryIDMakesNothing) {
    HeapLog::failAt = 1;
    EXPECT_EQ(nullptr, MakeInstance());
    EXPECT_EQ(0, CFStandInGetPlugInInstanceCount(factoryID));

    CFOwned<CFUUIDRef> type(
        CFUUIDCreateFromString(kCFAllocatorDefault, CFSTR(kPMPrintingDialogExtensionsPlugInType)));
    EXPECT_EQ(nullptr, PluginFactory(kCFAllocatorDefault, type.get(), CFSTR("not a uuid"),
                                     RecordingPrologue));
}

TEST_F(PDEInterfaceTest, InstanceCountsReferencesAndUnregistersAtZero) {
    IUnknownInstance *instance = MakeInstance();
    ASSERT_NE(nullptr, instance);
    EXPECT_EQ(&instance->vtableStorage, instance->vtable);
    EXPECT_EQ(nullptr, instance->vtable->_reserved);
    EXPECT_EQ(1, CFStandInGetPlugInInstanceCount(factoryID));

    EXPECT_EQ(2u, instance->vtable->AddRef(instance));
    HRESULT result;
    EXPECT_EQ((void *)instance, Query(instance, "00000000-0000-0000-C000-000000000046", &result));
    EXPECT_EQ(S_OK, result);
    EXPECT_EQ(3u, instance->refCount);

    ULONG (*release)(void *) = instance->vtable->Release;
    EXPECT_EQ(2u, release(instance));
    EXPECT_EQ(1u, release(instance));
    EXPECT_EQ(1, CFStandInGetPlugInInstanceCount(factoryID));
    EXPECT_EQ(0u, release(instance));
    EXPECT_EQ(0, CFStandInGetPlugInInstanceCount(factoryID));
    EXPECT_EQ(1, HeapLog::frees);

    /* A record already at zero is left alone, and null is ignored. */
    IUnknownInstance spent = {};
    EXPECT_EQ(0u, release(&spent));
    EXPECT_EQ(0u, release(NULL));
    EXPECT_EQ(1, HeapLog::frees);
}

TEST_F(PDEInterfaceTest, EachDialogExtensionQueryMakesItsOwnRecordAndTable) {
    IUnknownInstance *instance = MakeInstance();
    ASSERT_NE(nullptr, instance);
    HRESULT result1, result2, result3;
    JobLogPlugInInterface *first = Query(instance, kPMPrintingDialogExtensionsIntfIDStr, &result1);
    JobLogPlugInInterface *second = Query(instance, kPMPrintingDialogExtensionsIntfIDStr, &result2);
    EXPECT_EQ(nullptr, Query(instance, kTestFactoryID, &result3));
    EXPECT_EQ(S_OK, result1);
    EXPECT_EQ(S_OK, result2);
    EXPECT_EQ(E_NOINTERFACE, result3);
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    EXPECT_NE(first, second);
    EXPECT_NE(first->vtable, second->vtable);
    EXPECT_EQ(1u, first->refCount);
    EXPECT_EQ(1u, instance->refCount);
    EXPECT_EQ((PrologueProcPtr)RecordingPrologue, first->vtable->Prologue);

    /* Retain and Release count; Release always clears the caller's pointer. */
    PMPlugInHeaderInterface *header = (PMPlugInHeaderInterface *)first;
    const PMPlugInHeader &h = first->vtable->plugInHeader;
    EXPECT_EQ(noErr, h.Retain(header));
    EXPECT_EQ(noErr, h.Retain(NULL));
    EXPECT_EQ(2u, first->refCount);
    PMPlugInHeaderInterface *copy = header;
    EXPECT_EQ(noErr, h.Release(&copy));
    EXPECT_EQ(nullptr, copy);
    EXPECT_EQ(1u, first->refCount);
    EXPECT_EQ(noErr, h.Release(&copy));
    int freesBefore = HeapLog::frees;
    ReleaseInterface(first);
    EXPECT_EQ(freesBefore + 2, HeapLog::frees); /* the table and the record */

    PMPlugInAPIVersion version = {9, 9, 9, 9};
    EXPECT_EQ(noErr, second->vtable->plugInHeader.GetAPIVersion((PMPlugInHeaderInterface *)second,
                                                                &version));
    EXPECT_EQ(1u, version.buildVersionMajor);
    EXPECT_EQ(0u, version.buildVersionMinor);
    EXPECT_EQ(1u, version.baseVersionMajor);
    EXPECT_EQ(0u, version.baseVersionMinor);
    ReleaseInterface(second);
    instance->vtable->Release(instance);
}

TEST_F(PDEInterfaceTest, QueryWithoutMemoryHandsOutNothing) {
    IUnknownInstance *instance = MakeInstance();
    ASSERT_NE(nullptr, instance);
    for (int failAt : {2, 3}) { /* the record, then its table */
        HeapLog::allocations = 1;
        HeapLog::frees = 0;
        HeapLog::failAt = failAt;
        HRESULT result;
        EXPECT_EQ(nullptr, Query(instance, kPMPrintingDialogExtensionsIntfIDStr, &result));
        EXPECT_EQ(S_OK, result);
        EXPECT_EQ(failAt - 2, HeapLog::frees);
    }
    HeapLog::failAt = 0;
    HeapLog::allocations = 1; /* the instance, freed below */
    HeapLog::frees = 0;
    instance->vtable->Release(instance);
}

TEST_F(PDEInterfaceTest, PlatformAllocationFailureMakesNothingAndKeepsNothing) {
    CFOwned<CFUUIDRef> type(
        CFUUIDCreateFromString(kCFAllocatorDefault, CFSTR(kPMPrintingDialogExtensionsPlugInType)));
    IUnknownInstance *instance = MakeInstance();
    ASSERT_NE(nullptr, instance);
    CFUUIDBytes dialogExtension = UUIDBytes(kPMPrintingDialogExtensionsIntfIDStr);
    bool sawRefusal = false;
    for (long nth = 1; nth <= 6; nth++) {
        LiveCounts before = LiveCounts::Now();
        CFStandInSetAllocationFailure(nth, false);
        void *made = PluginFactory(kCFAllocatorDefault, type.get(), CFSTR(kTestFactoryID),
                                   RecordingPrologue);
        LPVOID intfPtr = NULL;
        HRESULT result = instance->vtable->QueryInterface(instance, dialogExtension, &intfPtr);
        JobLogPlugInInterface *intf = (JobLogPlugInInterface *)intfPtr;
        CFStandInSetAllocationFailure(0, false);
        sawRefusal |= made == NULL || intf == NULL;
        EXPECT_EQ(intf != NULL, result == S_OK) << nth;
        if (intf != NULL)
            ReleaseInterface(intf);
        if (made != NULL)
            ((IUnknownInstance *)made)->vtable->Release(made);
        EXPECT_EQ(before, LiveCounts::Now()) << nth;
    }
    EXPECT_TRUE(sawRefusal);
    instance->vtable->Release(instance);
}

class DispatcherTest : public PDEInterfaceTest {
protected:
    void SetUp() override {
        PDEInterfaceTest::SetUp();
        instance = MakeInstance();
        ASSERT_NE(nullptr, instance);
        HRESULT result;
        intf = Query(instance, kPMPrintingDialogExtensionsIntfIDStr, &result);
        ASSERT_NE(nullptr, intf);
        table = intf->vtable;
        ASSERT_EQ(noErr, table->Prologue(&context, NULL, NULL, NULL, NULL, NULL));
        session = new PrintSession();
    }
    void TearDown() override {
        delete session;
        ReleaseInterface(intf);
        instance->vtable->Release(instance);
        PDEInterfaceTest::TearDown();
    }
    IUnknownInstance *instance = NULL;
    JobLogPlugInInterface *intf = NULL;
    PlugInIntfVTable *table = NULL;
    PMPDEContext context = NULL;
    PrintSession *session = NULL;
};

TEST_F(DispatcherTest, ChecksContextAndSessionBeforeForwarding) {
    PMPrintSession s = session->session;
    PMPDEFlags flags = 0;
    EXPECT_EQ(kPMInvalidPDEContext, table->Initialize(NULL, &flags, 7, NULL, s));
    EXPECT_EQ(kPMInvalidPDEContext, table->Initialize(context, &flags, 7, NULL, NULL));
    EXPECT_EQ(kPMInvalidPDEContext, table->Open(NULL));
    EXPECT_EQ(kPMInvalidPDEContext, table->Close(NULL));
    for (Boolean direction : {0, 1, 2}) {
        EXPECT_EQ(kPMInvalidPrintSession, table->Sync(NULL, s, direction));
        EXPECT_EQ(kPMInvalidPrintSession, table->Sync(context, NULL, direction));
    }
    CFArrayRef titles = (CFArrayRef)0x1, summaries = (CFArrayRef)0x1;
    EXPECT_EQ(kPMInvalidPDEContext, table->GetSummaryText(NULL, &titles, &summaries));
    EXPECT_EQ((CFArrayRef)0x1, titles);
    EXPECT_EQ(noErr, table->Terminate(NULL, noErr));
    EXPECT_TRUE(RecordingPane::sLog.empty());

    RecordingPane::sResult = -42; /* a pane's status passes through unchanged */
    EXPECT_EQ(-42, table->Initialize(context, &flags, 7, NULL, s));
    EXPECT_EQ(-42, table->Open(context));
    EXPECT_EQ(-42, table->Close(context));
    EXPECT_EQ(-42, table->Sync(context, s, kSyncDirectionSetTickets));
    EXPECT_EQ(-42, table->Sync(context, s, kSyncDirectionSetUserInterface));
    EXPECT_EQ(noErr, table->Sync(context, s, 2));
    EXPECT_EQ(noErr, table->Terminate(context, -1));
    std::vector<std::string> expected = {"CreateUI 7", "OnOpenUI",   "OnCloseUI",
                                         "UIToTicket", "TicketToUI", "destroyed"};
    EXPECT_EQ(expected, RecordingPane::sLog);
}

TEST_F(DispatcherTest, SummaryArraysGoToTheCallerOnlyOnSuccess) {
    CFArrayRef titles = NULL, summaries = NULL;
    ASSERT_EQ(noErr, table->GetSummaryText(context, &titles, &summaries));
    ASSERT_NE(nullptr, titles);
    EXPECT_EQ(1, CFArrayGetCount(titles));
    EXPECT_EQ(1, CFArrayGetCount(summaries));
    CFRelease(titles);
    CFRelease(summaries);

    RecordingPane::sResult = -7;
    titles = summaries = (CFArrayRef)0x1;
    EXPECT_EQ(-7, table->GetSummaryText(context, &titles, &summaries));
    EXPECT_EQ(nullptr, titles);
    EXPECT_EQ(nullptr, summaries);

    /* Without memory for the arrays: memFullErr, nothing kept. */
    RecordingPane::sResult = noErr;
    bool sawMemFull = false;
    for (long nth = 1; nth <= 8; nth++) {
        LiveCounts before = LiveCounts::Now();
        CFStandInSetAllocationFailure(nth, false);
        OSStatus status = table->GetSummaryText(context, &titles, &summaries);
        CFStandInSetAllocationFailure(0, false);
        if (status == noErr) {
            CFRelease(titles);
            CFRelease(summaries);
        } else {
            EXPECT_EQ(memFullErr, status);
            EXPECT_EQ(nullptr, titles);
            sawMemFull = true;
        }
        EXPECT_EQ(before, LiveCounts::Now());
    }
    EXPECT_TRUE(sawMemFull);
    table->Terminate(context, noErr);
}

} // namespace
