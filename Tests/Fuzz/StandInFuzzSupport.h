/*
 * StandInFuzzSupport.h
 *
 * The one harness of the stand-in layer's fuzz targets: a scratch folder,
 * laid out as a bundle, that each input is written into; the check that
 * the layer is back where it was (Tests/Support: every object and block
 * given back); and the way out that libFuzzer reports as a finding.
 */
#ifndef STANDIN_FUZZ_SUPPORT_H
#define STANDIN_FUZZ_SUPPORT_H

#include "TestSupport.h"

#include <cstddef>
#include <cstdint>

/* Stops the run with the message; libFuzzer saves the input as a crash. */
[[noreturn]] void FuzzFail(const char *format, ...) __attribute__((format(printf, 1, 2)));

/* Fails unless the layer is back at `before`. */
void ExpectNothingLeft(const LayerState &before, const char *what);

/* Replaces one file of the scratch folder (made once per process, removed
   at exit); returns its path. */
std::string WriteScratchFile(const std::string &relativePath, const uint8_t *data, size_t size);

/* The scratch folder as a bundle. */
CFBundleRef CreateScratchBundle();

#endif /* STANDIN_FUZZ_SUPPORT_H */
