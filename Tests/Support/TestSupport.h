/*
 * TestSupport.h
 *
 * What every test of the dialog side needs: owned CF references, UTF-8
 * texts of CF strings (the host's own conversions), a temporary directory,
 * and the state of the stand-in layer (its live objects, the host's
 * snapshot, and its outstanding blocks) to compare before and after.
 */
#ifndef TEST_SUPPORT_H
#define TEST_SUPPORT_H

#include "HostText.h"
#include "LiveObjects.h"

#include <CoreFoundation/CoreFoundation.h>

#include <string>

/* Releases the reference it holds when it goes out of scope. */
template <typename T> class CFOwned {
public:
    explicit CFOwned(T ref = nullptr) : mRef(ref) {}
    ~CFOwned() {
        if (mRef != nullptr)
            CFRelease(mRef);
    }
    CFOwned(const CFOwned &) = delete;
    CFOwned &operator=(const CFOwned &) = delete;
    T get() const { return mRef; }
    T *out() { return &mRef; }

private:
    T mRef;
};

/* A fresh directory, removed with its contents at the end. */
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string &path() const { return mPath; }
    /* Writes a file (its folders made as needed); returns its path. */
    std::string Write(const std::string &relativePath, const std::string &contents) const;

private:
    std::string mPath;
};

/* The layer's live objects and unfreed blocks at one moment. */
struct LayerState {
    LiveObjects objects;
    long blocks = 0;
    static LayerState Now();
    /* "" when `later` is the same, else what differs. */
    std::string Differences(const LayerState &later) const;
};

#endif /* TEST_SUPPORT_H */
