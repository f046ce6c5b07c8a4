/*
 * GlueTests.cpp
 *
 * The dialog-extension glue (PDEInterface) where no dialog reaches it: the
 * factory's type check and registration, reference counts of the instance
 * and of each interface record, and every dispatcher's argument checks,
 * through the tables the dialog receives (the dialog scripts show the
 * forwarding to the pane).
 */
#include "CPDEPlugin.h"
#include "PDEInterface.h"
#include "PrintTickets.h"
#include "TestSupport.h"

#include <StandIn/CFStandIn.h>

#include <gtest/gtest.h>

namespace {

#define kTestFactoryID "5A1C2E4B-0D3F-4A6B-8C9D-1E2F3A4B5C6D"

OSStatus plainPrologue(PMPDEContext *context, OSType *, CFStringRef *, CFStringRef *, UInt32 *,
                       UInt32 *) {
    *context = new CPDEPlugin(CFSTR("com.quarn.test.none"));
    return noErr;
}

/* Counts the glue's heap blocks. */
int gAllocations, gFrees;
void *countedAllocate(size_t count, size_t size) {
    gAllocations++;
    return calloc(count, size);
}
void countedFree(void *block) {
    gFrees += block != nullptr;
    free(block);
}

/* An instance of a plain pane's factory; the glue's blocks and the layer's
   objects counted. */
class GlueTest : public testing::Test {
protected:
    void SetUp() override {
        gAllocations = gFrees = 0;
        PDEInterfaceSetAllocator(countedAllocate, countedFree);
    }
    void TearDown() override {
        PDEInterfaceSetAllocator(nullptr, nullptr);
        EXPECT_EQ("", LiveObjects::Differences(start, LiveObjects::Now()));
        EXPECT_EQ(gAllocations, gFrees);
    }
    IUnknownInstance *makeInstance(CFUUIDRef type) {
        return static_cast<IUnknownInstance *>(
            PluginFactory(nullptr, type, CFSTR(kTestFactoryID), plainPrologue));
    }
    JobLogPlugInInterface *query(IUnknownInstance *instance, CFStringRef iid, HRESULT &result) {
        CFOwned<CFUUIDRef> uuid(CFUUIDCreateFromString(nullptr, iid));
        LPVOID interface = reinterpret_cast<LPVOID>(1);
        result =
            instance->vtable->QueryInterface(instance, CFUUIDGetUUIDBytes(uuid.get()), &interface);
        return static_cast<JobLogPlugInInterface *>(interface);
    }
    static void release(JobLogPlugInInterface *interface) {
        auto *header = reinterpret_cast<PMPlugInHeaderInterface *>(interface);
        interface->vtable->plugInHeader.Release(&header);
    }
    CFOwned<CFUUIDRef> type{
        CFUUIDCreateFromString(nullptr, CFSTR(kPMPrintingDialogExtensionsPlugInType))};
    CFOwned<CFUUIDRef> factoryID{CFUUIDCreateFromString(nullptr, CFSTR(kTestFactoryID))};
    LiveObjects start = LiveObjects::Now();
};

/* A factory ID that is no UUID makes nothing and keeps nothing (no UUID is
   alive here that could hide one kept). */
TEST(Glue, AFactoryIDThatIsNoUUIDMakesNothing) {
    LiveObjects start = LiveObjects::Now();
    EXPECT_EQ(nullptr, PluginFactory(nullptr, nullptr, CFSTR("not a uuid"), plainPrologue));
    EXPECT_EQ("", LiveObjects::Differences(start, LiveObjects::Now()));
}

TEST_F(GlueTest, InstanceOfTheTypeOnlyCountsReferencesAndUnregistersAtZero) {
    EXPECT_EQ(nullptr, makeInstance(factoryID.get()));
    EXPECT_EQ(nullptr, makeInstance(nullptr));
    EXPECT_EQ(0, CFStandInGetPlugInInstanceCount(factoryID.get()));

    IUnknownInstance *instance = makeInstance(type.get());
    ASSERT_NE(nullptr, instance);
    EXPECT_EQ(1, CFStandInGetPlugInInstanceCount(factoryID.get()));
    EXPECT_EQ(2u, instance->vtable->AddRef(instance));
    HRESULT result;
    EXPECT_EQ(static_cast<void *>(instance),
              query(instance, CFSTR("00000000-0000-0000-C000-000000000046"), result));
    EXPECT_EQ(S_OK, result);
    ULONG (*releaseInstance)(void *) = instance->vtable->Release;
    EXPECT_EQ(2u, releaseInstance(instance));
    EXPECT_EQ(1u, releaseInstance(instance));
    EXPECT_EQ(1, CFStandInGetPlugInInstanceCount(factoryID.get()));
    EXPECT_EQ(0u, releaseInstance(instance));
    EXPECT_EQ(0, CFStandInGetPlugInInstanceCount(factoryID.get()));
    IUnknownInstance spent = {}; // a record already at zero is left alone, and null is ignored
    EXPECT_EQ(0u, releaseInstance(&spent));
    EXPECT_EQ(0u, releaseInstance(nullptr));
}

TEST_F(GlueTest, EachDialogExtensionQueryMakesItsOwnRecordAndTable) {
    IUnknownInstance *instance = makeInstance(type.get());
    ASSERT_NE(nullptr, instance);
    HRESULT result1, result2, result3;
    JobLogPlugInInterface *first =
        query(instance, CFSTR(kPMPrintingDialogExtensionsIntfIDStr), result1);
    JobLogPlugInInterface *second =
        query(instance, CFSTR(kPMPrintingDialogExtensionsIntfIDStr), result2);
    EXPECT_EQ(nullptr, query(instance, CFSTR(kTestFactoryID), result3));
    EXPECT_EQ(E_NOINTERFACE, result3);
    CFOwned<CFUUIDRef> iid(
        CFUUIDCreateFromString(nullptr, CFSTR(kPMPrintingDialogExtensionsIntfIDStr)));
    EXPECT_EQ(E_NOINTERFACE,
              instance->vtable->QueryInterface(instance, CFUUIDGetUUIDBytes(iid.get()), nullptr));
    ASSERT_TRUE(first != nullptr && second != nullptr && result1 == S_OK && result2 == S_OK);
    EXPECT_NE(first->vtable, second->vtable);
    EXPECT_TRUE(first->refCount == 1 && instance->refCount == 1);
    EXPECT_EQ(plainPrologue, first->vtable->Prologue);

    // Retain and Release count; Release always clears the caller's pointer.
    auto *header = reinterpret_cast<PMPlugInHeaderInterface *>(first);
    const PMPlugInHeader &h = first->vtable->plugInHeader;
    EXPECT_TRUE(h.Retain(header) == noErr && h.Retain(nullptr) == noErr);
    EXPECT_EQ(2u, first->refCount);
    PMPlugInHeaderInterface *copy = header;
    EXPECT_EQ(noErr, h.Release(&copy));
    EXPECT_EQ(nullptr, copy);
    EXPECT_EQ(noErr, h.Release(&copy));
    EXPECT_EQ(1u, first->refCount);
    int frees = gFrees;
    release(first);
    EXPECT_EQ(frees + 2, gFrees); // the table and the record

    // The dialog accepts extensions of API version 1.0.
    PMPlugInAPIVersion version = {9, 9, 9, 9};
    second->vtable->plugInHeader.GetAPIVersion(nullptr, &version);
    EXPECT_TRUE(version.buildVersionMajor == 1 && version.buildVersionMinor == 0 &&
                version.baseVersionMajor == 1 && version.baseVersionMinor == 0);
    release(second);
    instance->vtable->Release(instance);
}

TEST_F(GlueTest, DispatchersCheckContextAndSession) {
    IUnknownInstance *instance = makeInstance(type.get());
    ASSERT_NE(nullptr, instance);
    HRESULT result;
    JobLogPlugInInterface *interface =
        query(instance, CFSTR(kPMPrintingDialogExtensionsIntfIDStr), result);
    PlugInIntfVTable *table = interface->vtable;
    PMPDEContext context = nullptr;
    ASSERT_EQ(noErr, table->Prologue(&context, nullptr, nullptr, nullptr, nullptr, nullptr));
    PrintTickets tickets;
    std::string error;
    ASSERT_TRUE(CreatePrintTickets(QUARN_FIXTURES "/joblog.ppd", {}, tickets, error)) << error;
    PMPrintSession s = tickets.session;

    PMPDEFlags flags = 0;
    EXPECT_EQ(kPMInvalidPDEContext, table->Initialize(nullptr, &flags, 7, nullptr, s));
    EXPECT_EQ(kPMInvalidPDEContext, table->Initialize(context, &flags, 7, nullptr, nullptr));
    EXPECT_EQ(kPMInvalidPDEContext, table->Open(nullptr));
    EXPECT_EQ(kPMInvalidPDEContext, table->Close(nullptr));
    for (Boolean direction : {0, 1, 2}) {
        EXPECT_EQ(kPMInvalidPrintSession, table->Sync(nullptr, s, direction));
        EXPECT_EQ(kPMInvalidPrintSession, table->Sync(context, nullptr, direction));
    }
    CFArrayRef titles = reinterpret_cast<CFArrayRef>(1), summaries = titles;
    EXPECT_EQ(kPMInvalidPDEContext, table->GetSummaryText(nullptr, &titles, &summaries));
    EXPECT_EQ(reinterpret_cast<CFArrayRef>(1), titles);
    EXPECT_EQ(noErr, table->Terminate(nullptr, noErr));
    // The dialog may ask for the titles or the summaries only: then neither.
    EXPECT_EQ(noErr, table->GetSummaryText(context, &titles, nullptr));
    EXPECT_EQ(noErr, table->GetSummaryText(context, nullptr, &summaries));
    EXPECT_TRUE(titles == nullptr && summaries == nullptr);
    EXPECT_EQ(noErr, table->Sync(context, s, 2)); // a direction of no meaning
    EXPECT_EQ(noErr, table->Terminate(context, -1));
    ReleasePrintTickets(tickets);
    release(interface);
    instance->vtable->Release(instance);
}

} // namespace
