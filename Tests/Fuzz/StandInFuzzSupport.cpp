/*
 * StandInFuzzSupport.cpp
 *
 * The scratch bundle, the leak check and the leak suppressions of the
 * stand-in layer's fuzz targets.
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

void ExpectNothingLeft(const LayerState &before, const char *what) {
    std::string differences = before.Differences(LayerState::Now());
    if (!differences.empty())
        FuzzFail("%s left objects behind: %s", what, differences.c_str());
}

static const TempDir gScratch;

std::string WriteScratchFile(const std::string &relativePath, const uint8_t *data, size_t size) {
    return gScratch.Write(relativePath, std::string(reinterpret_cast<const char *>(data), size));
}

CFBundleRef CreateScratchBundle() {
    const std::string &folder = gScratch.path();
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(
        nullptr, reinterpret_cast<const UInt8 *>(folder.c_str()), (CFIndex)folder.size(), true);
    CFBundleRef bundle = url != nullptr ? CFBundleCreate(nullptr, url) : nullptr;
    if (bundle == nullptr)
        FuzzFail("no bundle for the scratch folder");
    CFRelease(url);
    return bundle;
}
