/*
 * CFAllocation.cpp
 *
 * The one allocator of the platform layer, with fault injection: tests make
 * the nth allocation from now on fail (and optionally every later one) to
 * show that each call fails cleanly, the platform's way, when memory runs out.
 */
#include "CFInternal.h"

#include <cstdlib>

namespace {

long gFailed = 0;      // requests refused by injection
long gOutstanding = 0; // blocks handed out and not yet returned
long gCountdown = 0;   // requests until the injected failure; 0: none armed
bool gPersistent = false;
bool gFailing = false; // a persistent failure has started
int gPaused = 0;       // > 0 while never-freed constants are being made

bool injectFailure() {
    if (gFailing)
        return true;
    if (gCountdown <= 0)
        return false;
    if (--gCountdown > 0)
        return false;
    if (gPersistent)
        gFailing = true;
    return true;
}

} // namespace

namespace cf {
InjectionPause::InjectionPause() {
    ++gPaused;
}
InjectionPause::~InjectionPause() {
    --gPaused;
}
} // namespace cf

extern "C" void *CFStandInAllocate(size_t size) {
    if (gPaused > 0)
        return std::malloc(size == 0 ? 1 : size);
    if (injectFailure()) {
        ++gFailed;
        return nullptr;
    }
    void *ptr = std::malloc(size == 0 ? 1 : size);
    if (ptr != nullptr)
        ++gOutstanding;
    return ptr;
}

extern "C" void CFStandInDeallocate(void *ptr) {
    if (ptr == nullptr)
        return;
    if (gPaused == 0)
        --gOutstanding;
    std::free(ptr);
}

extern "C" void CFStandInSetAllocationFailure(long nth, Boolean persistent) {
    gCountdown = nth > 0 ? nth : 0;
    gPersistent = persistent != 0;
    gFailing = false;
}

extern "C" long CFStandInGetFailedAllocationCount(void) {
    return gFailed;
}

extern "C" long CFStandInGetOutstandingAllocationCount(void) {
    return gOutstanding;
}
