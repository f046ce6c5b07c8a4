/*
 * CPluginData.cpp
 *
 * Loads the bundle's "PluginData" property list once and looks model
 * entries up by name. Every failure (no resource, unreadable data, no
 * property list, a root that is no dictionary) leaves the object empty, and
 * every query of an empty object yields null.
 */
#include "CPluginData.h"

CPluginData::CPluginData(CFBundleRef pluginBundleRef) : mDataDictRef(NULL) {
    if (pluginBundleRef == NULL)
        return;
    CFURLRef dataURL =
        CFBundleCopyResourceURL(pluginBundleRef, CFSTR("PluginData"), CFSTR("plist"), NULL);
    if (dataURL == NULL)
        return;

    CFDataRef pluginDataRef = NULL;
    Boolean read = CFURLCreateDataAndPropertiesFromResource(kCFAllocatorDefault, dataURL,
                                                            &pluginDataRef, NULL, NULL, NULL);
    CFRelease(dataURL);
    if (!read || pluginDataRef == NULL) {
        if (pluginDataRef != NULL)
            CFRelease(pluginDataRef);
        return;
    }

    CFPropertyListRef propertyList = CFPropertyListCreateFromXMLData(
        kCFAllocatorDefault, pluginDataRef, kCFPropertyListImmutable, NULL);
    CFRelease(pluginDataRef);
    if (propertyList == NULL)
        return;
    if (CFGetTypeID(propertyList) == CFDictionaryGetTypeID())
        mDataDictRef = (CFDictionaryRef)propertyList;
    else
        CFRelease(propertyList);
}

CPluginData::~CPluginData() {
    if (mDataDictRef != NULL)
        CFRelease(mDataDictRef);
}

CFDictionaryRef CPluginData::GetModelInfo(CFStringRef modelNameRef) {
    if (mDataDictRef == NULL || modelNameRef == NULL)
        return NULL;
    CFTypeRef models = CFDictionaryGetValue(mDataDictRef, CFSTR("Models"));
    if (models == NULL || CFGetTypeID(models) != CFArrayGetTypeID())
        return NULL;
    CFArrayRef modelArrayRef = (CFArrayRef)models;

    CFIndex numItems = CFArrayGetCount(modelArrayRef);
    for (CFIndex i = 0; i < numItems; i++) {
        CFTypeRef item = CFArrayGetValueAtIndex(modelArrayRef, i);
        if (item == NULL || CFGetTypeID(item) != CFDictionaryGetTypeID())
            continue;
        CFTypeRef name = CFDictionaryGetValue((CFDictionaryRef)item, CFSTR("ModelName"));
        if (name == NULL || CFGetTypeID(name) != CFStringGetTypeID())
            continue;
        if (CFStringCompare((CFStringRef)name, modelNameRef, 0) == kCFCompareEqualTo)
            return (CFDictionaryRef)item;
    }
    return NULL;
}
