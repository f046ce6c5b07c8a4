/* TestSupport.cpp: the temporary directory, a bundle by its path, the layer's state and the whole
   dialog run in this process, its events and standard error captured. */
#include "TestSupport.h"

#include <StandIn/CFStandIn.h>
#include <StandIn/HIStandIn.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

TempDir::TempDir() {
    mPath = (std::filesystem::temp_directory_path() / "quarn-test-XXXXXX").string();
    if (mkdtemp(mPath.data()) == nullptr)
        throw std::runtime_error("cannot make a temporary directory");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(mPath, ignored);
}

std::string TempDir::Write(const std::string &relativePath, const std::string &contents) const {
    std::filesystem::path path = std::filesystem::path(mPath) / relativePath;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << contents;
    return path.string();
}

CFBundleRef CreateBundleAtPath(const std::string &path) {
    CFOwned<CFURLRef> url(CFURLCreateFromFileSystemRepresentation(
        nullptr, reinterpret_cast<const UInt8 *>(path.c_str()), (CFIndex)path.size(), true));
    return url != nullptr ? CFBundleCreate(nullptr, url.get()) : nullptr;
}

LayerState LayerState::Now() {
    return {LiveObjects::Now(), CFStandInGetOutstandingAllocationCount()};
}

std::string LayerState::Differences(const LayerState &later) const {
    std::string differences = LiveObjects::Differences(objects, later.objects);
    if (blocks != later.blocks)
        differences += (differences.empty() ? "blocks " : ", blocks ") + std::to_string(blocks) +
                       " -> " + std::to_string(later.blocks);
    return differences;
}

/* The running dialog's event lines, and how much of them was taken. */
static char *gEvents;
static size_t gSize, gTaken;
static FILE *gStream;

DialogRun RunDialogInProcess(const HostOptions &options, const std::vector<Action> *actions,
                             CFPlugInFactoryFunction factory, DialogDriver driver, long failAt,
                             bool persistent) {
    DialogRun run;
    HIStandInSetClipboardText(nullptr);
    LayerState before = LayerState::Now();
    long failed = CFStandInGetFailedAllocationCount();
    gStream = open_memstream(&gEvents, &gSize);
    gTaken = 0;
    testing::internal::CaptureStderr();
    EventWriter events(gStream);
    CFStandInSetAllocationFailure(failAt, persistent);
    run.status = RunDialog(options, actions, events, factory, driver);
    CFStandInSetAllocationFailure(0, false);
    run.errors = testing::internal::GetCapturedStderr();
    std::fclose(gStream);
    gStream = nullptr;
    run.events.assign(gEvents, gSize);
    std::free(gEvents);
    HIStandInSetClipboardText(nullptr);
    run.injected = CFStandInGetFailedAllocationCount() - failed;
    run.leftOver = before.Differences(LayerState::Now());
    return run;
}

std::string NewDialogEvents() {
    std::fflush(gStream);
    std::string events(gEvents + gTaken, gSize - gTaken);
    gTaken = gSize;
    return events;
}
