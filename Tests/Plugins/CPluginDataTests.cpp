/*
 * CPluginDataTests.cpp
 *
 * The per-model data file: missing, unreadable and wrongly shaped files
 * give an empty object; lookups skip malformed entries, match names exactly
 * and return the first of equal names; the shipped file loads.
 */
#include "CPluginData.h"
#include "PlugInTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *kPlistHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                         "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                         "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                         "<plist version=\"1.0\">\n";

std::string Plist(const std::string &body) {
    return kPlistHead + body + "</plist>\n";
}

std::string Model(const std::string &name, const std::string &mark) {
    return "<dict><key>ModelName</key><string>" + name + "</string><key>Mark</key><string>" + mark +
           "</string></dict>";
}

/* A bundle in a temporary directory with the given PluginData.plist text
   (none when null); each gets its own identifier. */
class DataBundle {
public:
    explicit DataBundle(const char *pluginData) {
        static int serial;
        std::string id = "com.quarn.test.plugindata." + std::to_string(++serial);
        dir.Write("Data.plugin/Contents/Info.plist",
                  Plist("<dict><key>CFBundleIdentifier</key><string>" + id +
                        "</string><key>CFBundleDevelopmentRegion</key><string>en</string></dict>"));
        if (pluginData != NULL)
            dataPath = dir.Write("Data.plugin/Contents/Resources/PluginData.plist", pluginData);
        std::string path = dir.path() + "/Data.plugin";
        CFOwned<CFURLRef> url(CFURLCreateFromFileSystemRepresentation(
            NULL, (const UInt8 *)path.c_str(), (CFIndex)path.size(), true));
        bundle = CFBundleCreate(NULL, url.get());
    }
    ~DataBundle() {
        if (bundle != NULL)
            CFRelease(bundle);
    }
    TempDir dir;
    std::string dataPath;
    CFBundleRef bundle = NULL;
};

std::string Mark(CFDictionaryRef model) {
    if (model == NULL)
        return "<none>";
    return StdString((CFStringRef)CFDictionaryGetValue(model, CFSTR("Mark")));
}

TEST(CPluginData, UnusableFilesGiveAnEmptyObject) {
    std::string good =
        Plist("<dict><key>Models</key><array>" + Model("M", "1") + "</array></dict>");
    const std::string files[] = {"", "not a property list <<<",
                                 Plist("<array>" + Model("M", "1") + "</array>"),
                                 Plist("<string>M</string>")};
    DataBundle missing(NULL);
    ASSERT_NE(nullptr, missing.bundle);
    CPluginData noFile(missing.bundle);
    EXPECT_EQ(nullptr, noFile.GetModelInfo(CFSTR("M")));
    for (const std::string &file : files) {
        DataBundle data(file.c_str());
        ASSERT_NE(nullptr, data.bundle);
        CPluginData pluginData(data.bundle);
        EXPECT_EQ(nullptr, pluginData.GetModelInfo(CFSTR("M"))) << file;
    }
    DataBundle unreadable(good.c_str());
    chmod(unreadable.dataPath.c_str(), 0);
    if (access(unreadable.dataPath.c_str(), R_OK) != 0) { /* root reads anything */
        CPluginData pluginData(unreadable.bundle);
        EXPECT_EQ(nullptr, pluginData.GetModelInfo(CFSTR("M")));
    }
    CPluginData noBundle(NULL);
    EXPECT_EQ(nullptr, noBundle.GetModelInfo(CFSTR("M")));
}

TEST(CPluginData, LookupSkipsMalformedEntriesAndMatchesExactly) {
    LiveCounts start = LiveCounts::Now();
    {
        DataBundle data(Plist("<dict><key>Models</key><array>"
                              "<string>M</string>"
                              "<dict><key>Mark</key><string>no name</string></dict>"
                              "<dict><key>ModelName</key><integer>4</integer></dict>" +
                              Model("QUARN Office", "first") + Model("QUARN Office", "second") +
                              Model("Other", "other") + "</array></dict>")
                            .c_str());
        CPluginData pluginData(data.bundle);
        EXPECT_EQ("first", Mark(pluginData.GetModelInfo(CFSTR("QUARN Office"))));
        EXPECT_EQ("other", Mark(pluginData.GetModelInfo(CFSTR("Other"))));
        EXPECT_EQ("<none>", Mark(pluginData.GetModelInfo(CFSTR("quarn office"))));
        EXPECT_EQ("<none>", Mark(pluginData.GetModelInfo(CFSTR("QUARN Office "))));
        EXPECT_EQ("<none>", Mark(pluginData.GetModelInfo(CFSTR("4"))));
        EXPECT_EQ("<none>", Mark(pluginData.GetModelInfo(NULL)));
    }
    EXPECT_EQ(start, LiveCounts::Now());
}

TEST(CPluginData, MissingOrMistypedModelsKeepsTheDataForLaterQueries) {
    for (const char *models :
         {"", "<key>Models</key><dict><key>ModelName</key><string>M</string></dict>",
          "<key>Models</key><array/>"}) {
        DataBundle data(Plist(std::string("<dict>") + models + "</dict>").c_str());
        CPluginData pluginData(data.bundle);
        EXPECT_EQ(nullptr, pluginData.GetModelInfo(CFSTR("M"))) << models;
        EXPECT_EQ(nullptr, pluginData.GetModelInfo(CFSTR("M"))) << models;
    }
}

TEST(CPluginData, ShippedFileListsItsModels) {
    CPluginData pluginData(JobLogBundle());
    CFDictionaryRef model = pluginData.GetModelInfo(CFSTR("QUARN Office 4500"));
    ASSERT_NE(nullptr, model);
    EXPECT_EQ("QUARN Office 4500",
              StdString((CFStringRef)CFDictionaryGetValue(model, CFSTR("ModelName"))));
}

} // namespace
