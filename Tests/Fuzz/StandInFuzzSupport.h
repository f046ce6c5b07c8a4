/*
 * StandInFuzzSupport.h
 *
 * Shared parts of the stand-in layer's fuzz targets: a scratch bundle
 * folder that each input is written into, the layer's state (Tests/Support)
 * taken before and after an input (every object and block must be given
 * back), and a way out that libFuzzer reports as a finding.
 */
#ifndef STANDIN_FUZZ_SUPPORT_H
#define STANDIN_FUZZ_SUPPORT_H

#include "TestSupport.h"

#include <CoreFoundation/CoreFoundation.h>

#include <cstddef>
#include <cstdint>
#include <string>

/* Stops the run with the message on standard error; libFuzzer saves the
   input as a crash. */
[[noreturn]] void FuzzFail(const char *format, ...) __attribute__((format(printf, 1, 2)));

using LayerCounts = LayerState;

/* Fails unless the layer is back at `before`. */
void ExpectNothingLeft(const LayerCounts &before, const char *what);

/* A folder made once per process (removed at exit) in which the targets
   lay out a bundle; `WriteScratchFile` replaces one file in it. */
const std::string &ScratchFolder();
void WriteScratchFile(const std::string &relativePath, const uint8_t *data, size_t size);

/* The scratch folder as a bundle; NULL when it cannot be made. */
CFBundleRef CreateScratchBundle();

#endif /* STANDIN_FUZZ_SUPPORT_H */
