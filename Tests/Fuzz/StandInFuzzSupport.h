/*
 * StandInFuzzSupport.h
 *
 * The one harness of the stand-in layer's fuzz targets. It defines
 * libFuzzer's entry, which runs the target's FuzzOne on each input and then
 * requires the layer back where it was (Tests/Support: every object and
 * block given back); a scratch folder, laid out as a bundle, that an input
 * can be written into; and the way out that libFuzzer reports as a finding.
 */
#ifndef STANDIN_FUZZ_SUPPORT_H
#define STANDIN_FUZZ_SUPPORT_H

#include "TestSupport.h"

#include <cstddef>
#include <cstdint>

/* The target's checks on one input. */
void FuzzOne(const uint8_t *data, size_t size);

/* Stops the run with the message; libFuzzer saves the input as a crash. */
[[noreturn]] void FuzzFail(const char *format, ...) __attribute__((format(printf, 1, 2)));

/* Replaces one file of the scratch folder (made once per process, removed
   at exit); returns its path. */
std::string WriteScratchFile(const std::string &relativePath, const uint8_t *data, size_t size);

/* The scratch folder as a bundle, with the input as its file `relativePath`. */
CFBundleRef CreateScratchBundle(const std::string &relativePath, const uint8_t *data, size_t size);

#endif /* STANDIN_FUZZ_SUPPORT_H */
