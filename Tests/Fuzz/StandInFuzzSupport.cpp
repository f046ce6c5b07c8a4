/*
 * StandInFuzzSupport.cpp
 *
 * The scratch bundle and the leak check of the stand-in layer's fuzz
 * targets.
 */
#include "StandInFuzzSupport.h"

#include <StandIn/CFStandIn.h>
#include <StandIn/HIStandIn.h>
#include <StandIn/PMStandIn.h>
#include <StandIn/PPDStandIn.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

void FuzzFail(const char *format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stderr, format, arguments);
    va_end(arguments);
    std::fputc('\n', stderr);
    std::abort();
}

LayerCounts LayerCounts::Now() {
    LayerCounts counts;
    counts.cf = CFStandInGetLiveObjectCount();
    counts.blocks = CFStandInGetOutstandingAllocationCount();
    counts.windows = HIStandInGetLiveWindowCount();
    counts.controls = HIStandInGetLiveControlCount();
    counts.events = HIStandInGetLiveEventCount();
    counts.handlers = HIStandInGetLiveHandlerCount();
    counts.nibs = HIStandInGetLiveNibCount();
    counts.sessions = PMStandInGetLiveSessionCount();
    counts.tickets = PMStandInGetLiveTicketCount();
    counts.ppdContexts = PPDStandInGetLiveContextCount();
    return counts;
}

void ExpectNothingLeft(const LayerCounts &before, const char *what) {
    LayerCounts after = LayerCounts::Now();
    if (after == before)
        return;
    FuzzFail("%s left objects behind: CF %ld -> %ld, blocks %ld -> %ld, windows %ld -> %ld, "
             "controls %ld -> %ld, events %ld -> %ld, handlers %ld -> %ld, nibs %ld -> %ld, "
             "sessions %ld -> %ld, tickets %ld -> %ld, PPD contexts %ld -> %ld",
             what, before.cf, after.cf, before.blocks, after.blocks, before.windows, after.windows,
             before.controls, after.controls, before.events, after.events, before.handlers,
             after.handlers, before.nibs, after.nibs, before.sessions, after.sessions,
             before.tickets, after.tickets, before.ppdContexts, after.ppdContexts);
}

namespace {

struct Scratch {
    std::string path;
    Scratch() {
        char pattern[] = "/tmp/standin-fuzz-XXXXXX";
        if (mkdtemp(pattern) == nullptr)
            FuzzFail("cannot make a scratch folder");
        path = pattern;
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

} // namespace

const std::string &ScratchFolder() {
    static Scratch scratch;
    return scratch.path;
}

void WriteScratchFile(const std::string &relativePath, const uint8_t *data, size_t size) {
    std::filesystem::path file = std::filesystem::path(ScratchFolder()) / relativePath;
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
    if (!out)
        FuzzFail("cannot write %s", file.c_str());
}

CFBundleRef CreateScratchBundle() {
    const std::string &folder = ScratchFolder();
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(
        kCFAllocatorDefault, reinterpret_cast<const UInt8 *>(folder.c_str()),
        static_cast<CFIndex>(folder.size()), true);
    if (url == nullptr)
        return nullptr;
    CFBundleRef bundle = CFBundleCreate(kCFAllocatorDefault, url);
    CFRelease(url);
    return bundle;
}
