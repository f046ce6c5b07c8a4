/*
 * StandInFuzzSupport.cpp
 *
 * The scratch bundle and the leak check of the stand-in layer's fuzz
 * targets.
 */
#include "StandInFuzzSupport.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

void FuzzFail(const char *format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stderr, format, arguments);
    va_end(arguments);
    std::fputc('\n', stderr);
    std::abort();
}

void ExpectNothingLeft(const LayerCounts &before, const char *what) {
    std::string differences = before.Differences(LayerCounts::Now());
    if (!differences.empty())
        FuzzFail("%s left objects behind: %s", what, differences.c_str());
}

static const TempDir gScratch;

const std::string &ScratchFolder() {
    return gScratch.path();
}

void WriteScratchFile(const std::string &relativePath, const uint8_t *data, size_t size) {
    gScratch.Write(relativePath, std::string(reinterpret_cast<const char *>(data), size));
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
