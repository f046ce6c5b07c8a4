/*
 * CPluginData.h
 *
 * The plug-in's per-model data: the bundle resource "PluginData.plist", a
 * dictionary whose "Models" array holds one dictionary per printer model,
 * found by its "ModelName".
 */
#ifndef CPLUGINDATA_H
#define CPLUGINDATA_H

#include <CoreFoundation/CoreFoundation.h>

class CPluginData {
public:
    explicit CPluginData(CFBundleRef pluginBundleRef);
    virtual ~CPluginData();

    /* The first model entry named exactly modelNameRef, or null. Borrowed:
       valid while this object lives; not to be released. */
    CFDictionaryRef GetModelInfo(CFStringRef modelNameRef);

    CPluginData(const CPluginData &) = delete;
    CPluginData &operator=(const CPluginData &) = delete;

protected:
    CFDictionaryRef mDataDictRef; /* owned; null when the file is missing or unusable */
};

#endif /* CPLUGINDATA_H */
