/*
 * StandInFuzzSupport.h
 *
 * Shared parts of the stand-in layer's fuzz targets: a scratch bundle
 * folder that each input is written into, the layer's live objects and
 * blocks taken before and after an input (every one of them must be given
 * back), and a way out that libFuzzer reports as a finding.
 */
#ifndef STANDIN_FUZZ_SUPPORT_H
#define STANDIN_FUZZ_SUPPORT_H

#include <CoreFoundation/CoreFoundation.h>

#include <cstddef>
#include <cstdint>
#include <string>

/* Stops the run with the message on standard error; libFuzzer saves the
   input as a crash. */
[[noreturn]] void FuzzFail(const char *format, ...) __attribute__((format(printf, 1, 2)));

/* Every kind of object and block the layer counts. */
struct LayerCounts {
    long cf = 0, blocks = 0, windows = 0, controls = 0, events = 0, handlers = 0, nibs = 0,
         sessions = 0, tickets = 0, ppdContexts = 0;
    static LayerCounts Now();
    bool operator==(const LayerCounts &) const = default;
};

/* Fails unless the counts are back at `before`. */
void ExpectNothingLeft(const LayerCounts &before, const char *what);

/* A folder made once per process (removed at exit) in which the targets
   lay out a bundle; `Write` replaces one file in it. */
const std::string &ScratchFolder();
void WriteScratchFile(const std::string &relativePath, const uint8_t *data, size_t size);

/* The scratch folder as a bundle; NULL when it cannot be made. */
CFBundleRef CreateScratchBundle();

#endif /* STANDIN_FUZZ_SUPPORT_H */
