/* TestSupport.h: what the dialog side's tests share: owned CF references, a
   temporary directory, the layer's state (its live objects and outstanding
   blocks) to compare before and after, and the whole dialog run in this
   process. */
#ifndef TEST_SUPPORT_H
#define TEST_SUPPORT_H

#include "DialogSession.h"

#include <CoreFoundation/CoreFoundation.h>

#include <memory>
#include <string>
#include <type_traits>

/* A CF reference released when it goes out of scope. */
struct CFReleaser {
    void operator()(CFTypeRef ref) const { CFRelease(ref); }
};
template <typename T> using CFOwned = std::unique_ptr<std::remove_pointer_t<T>, CFReleaser>;

/* A fresh directory, removed with its contents at the end. */
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string &path() const { return mPath; }
    /* Writes a file, its folders made as needed; returns its path. */
    std::string Write(const std::string &relativePath, const std::string &contents) const;

private:
    std::string mPath;
};

/* The bundle in the folder `path` (the caller releases it), or null. */
CFBundleRef CreateBundleAtPath(const std::string &path);

/* The layer's live objects and unfreed blocks at one moment; Differences
   is "" when `later` is the same, else what differs. */
struct LayerState {
    LiveObjects objects;
    long blocks = 0;
    static LayerState Now();
    std::string Differences(const LayerState &later) const;
};

/* The dialog as pdehost runs it (RunDialog), in this process: the pane's
   instance made by `factory` (the tests link the pane), worked by `actions`
   or by `driver`, with the layer's allocation `failAt` failing (0: none),
   once or, when `persistent`, from then on. The clipboard, which outlives
   a dialog, is emptied before and after. */
struct DialogRun {
    int status = 0;             /* pdehost's exit status */
    long injected = 0;          /* the allocations made to fail */
    std::string events, errors; /* the event lines; standard error */
    std::string leftOver;       /* the layer's state afterwards, where it differs */
};
DialogRun RunDialogInProcess(const HostOptions &options, const std::vector<Action> *actions,
                             CFPlugInFactoryFunction factory, DialogDriver driver = nullptr,
                             long failAt = 0, bool persistent = false);

/* The event lines the running dialog has written since the last call. */
std::string NewDialogEvents();

#endif /* TEST_SUPPORT_H */
