/*
 * StandInFuzzSupport.h
 *
 * The one harness of the stand-in layer's fuzz targets, included by each
 * target's one source file. It defines libFuzzer's entry, which runs the
 * target's FuzzOne on each input and then requires the layer back where it
 * was (Tests/Support: every object and block given back); a scratch folder,
 * laid out as a bundle, that an input is written into; and the way out that
 * libFuzzer reports as a finding.
 */
#ifndef STANDIN_FUZZ_SUPPORT_H
#define STANDIN_FUZZ_SUPPORT_H

#include "TestSupport.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

/* The target's checks on one input. */
void FuzzOne(const uint8_t *data, size_t size);

/* libcups (2.4) leaks the copies of repeated "*NickName" lines: not ours. */
extern "C" const char *__lsan_default_suppressions() {
    return "leak:_ppdOpen\n";
}

/* Stops the run with the message (printf's arguments); libFuzzer saves
   the input as a crash. */
#define FuzzFail(...) (std::fprintf(stderr, __VA_ARGS__), std::fputc('\n', stderr), std::abort())

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const LayerState before = LayerState::Now();
    FuzzOne(data, size);
    std::string differences = before.Differences(LayerState::Now());
    if (!differences.empty())
        FuzzFail("the input left objects behind: %s", differences.c_str());
    return 0;
}

/* Replaces one file of the scratch folder (made once per process, removed
   at exit); returns its path. */
inline std::string WriteScratchFile(const std::string &relativePath, const uint8_t *data,
                                    size_t size) {
    static const TempDir scratch;
    return scratch.Write(relativePath, std::string(reinterpret_cast<const char *>(data), size));
}

/* The scratch folder as a bundle, with the input as its file `relativePath`. */
inline CFBundleRef CreateScratchBundle(const std::string &relativePath, const uint8_t *data,
                                       size_t size) {
    std::string folder = WriteScratchFile(relativePath, data, size);
    folder.erase(folder.size() - relativePath.size() - 1); // the folder itself
    CFBundleRef bundle = CreateBundleAtPath(folder);
    if (bundle == nullptr)
        FuzzFail("no bundle for the scratch folder");
    return bundle;
}

#endif /* STANDIN_FUZZ_SUPPORT_H */
