/*
 * StandInFuzzSupport.cpp
 *
 * libFuzzer's entry for the stand-in layer's targets, their scratch bundle
 * and their leak suppressions.
 */
#include "StandInFuzzSupport.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

/* libcups (2.4) leaks the copies of repeated "*NickName" lines: not ours. */
extern "C" const char *__lsan_default_suppressions() {
    return "leak:_ppdOpen\n";
}

void FuzzFail(const char *format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stderr, format, arguments);
    va_end(arguments);
    std::fputc('\n', stderr);
    std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const LayerState before = LayerState::Now();
    FuzzOne(data, size);
    std::string differences = before.Differences(LayerState::Now());
    if (!differences.empty())
        FuzzFail("the input left objects behind: %s", differences.c_str());
    return 0;
}

static const TempDir gScratch;

std::string WriteScratchFile(const std::string &relativePath, const uint8_t *data, size_t size) {
    return gScratch.Write(relativePath, std::string(reinterpret_cast<const char *>(data), size));
}

CFBundleRef CreateScratchBundle(const std::string &relativePath, const uint8_t *data, size_t size) {
    WriteScratchFile(relativePath, data, size);
    const std::string &folder = gScratch.path();
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(
        nullptr, reinterpret_cast<const UInt8 *>(folder.c_str()), (CFIndex)folder.size(), true);
    CFBundleRef bundle = url != nullptr ? CFBundleCreate(nullptr, url) : nullptr;
    if (bundle == nullptr)
        FuzzFail("no bundle for the scratch folder");
    CFRelease(url);
    return bundle;
}
