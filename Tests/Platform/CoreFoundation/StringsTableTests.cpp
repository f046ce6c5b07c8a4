/*
 * StringsTableTests.cpp
 *
 * The strings-table reader behind CFBundleCopyLocalizedString: escapes,
 * both comment forms, unquoted strings, a key standing for its own value,
 * braces, byte-order marks, property-list tables, and malformed tables,
 * which yield no entries at all. Mutated tables must never crash it.
 */
#include "TestSupport.h"

#include <random>

using namespace cftest;

namespace {

class StringsTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.clearLanguage();
        writeFile(
            dir / "T.bundle/Contents/Info.plist",
            "<plist><dict><key>CFBundleIdentifier</key><string>t.strings</string></dict></plist>");
        CFURLRef u = fileURL(dir / "T.bundle", true);
        bundle = CFBundleCreate(nullptr, u);
        CFRelease(u);
        ASSERT_NE(bundle, nullptr);
    }
    void TearDown() override { CFRelease(bundle); }

    // Writes a table under a fresh name (tables are loaded once per file).
    std::string table(const std::string &bytes) {
        std::string name = "Table" + std::to_string(next++);
        writeFile(dir / ("T.bundle/Contents/Resources/" + name + ".strings"), bytes);
        return name;
    }

    std::string lookup(const std::string &tableName, const char *key) {
        CFStringRef t = str(tableName.c_str()), k = str(key);
        std::string result =
            consume(CFBundleCopyLocalizedString(bundle, k, CFSTR("<fallback>"), t));
        CFRelease(t);
        CFRelease(k);
        return result;
    }

    TempDir dir;
    EnvOverride env;
    CFBundleRef bundle = nullptr;
    int next = 0;
};

} // namespace

TEST_F(StringsTableTest, EscapesInQuotedStrings) {
    std::string t = table(R"("esc" = "a\nb\t\"q\" \\ \U00e9\u20AC \101 \'";)");
    EXPECT_EQ(lookup(t, "esc"), "a\nb\t\"q\" \\ \xC3\xA9\xE2\x82\xAC A '");
}

TEST_F(StringsTableTest, CommentsUnquotedStringsAndKeyOnlyEntries) {
    std::string t = table("/* block\n comment */ \"a\" /* inline */ = \"1\"; // line comment\n"
                          "plain_key = value.with-dots;\n"
                          "\"Solo\";\n"
                          "\"a\" = \"2\";\n");
    EXPECT_EQ(lookup(t, "a"), "2") << "a later entry replaces an earlier one";
    EXPECT_EQ(lookup(t, "plain_key"), "value.with-dots");
    EXPECT_EQ(lookup(t, "Solo"), "Solo");
    EXPECT_EQ(lookup(t, "missing"), "<fallback>");
}

TEST_F(StringsTableTest, BracesByteOrderMarksAndAMissingFinalSemicolon) {
    EXPECT_EQ(lookup(table("{ \"k\" = \"braced\"; }"), "k"), "braced");
    EXPECT_EQ(lookup(table("\xEF\xBB\xBF\"k\" = \"bom\";"), "k"), "bom");
    EXPECT_EQ(lookup(table("\"k\" = \"last\""), "k"), "last");
    EXPECT_EQ(lookup(table(""), "k"), "<fallback>") << "an empty table has no entries";
    EXPECT_EQ(lookup(table(utf16(u"\"k\" = \"wide\";", true)), "k"), "wide");
}

TEST_F(StringsTableTest, PropertyListTables) {
    EXPECT_EQ(lookup(table("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>k</key>"
                           "<string>from xml</string></dict></plist>"),
                     "k"),
              "from xml");
    EXPECT_EQ(
        lookup(table("<plist version=\"1.0\"><array><string>k</string></array></plist>"), "k"),
        "<fallback>");
}

TEST_F(StringsTableTest, MalformedTablesYieldNoEntries) {
    for (const char *bad :
         {"\"k\" = \"unterminated;", "\"k\" \"v\";", "\"k\" = ;", "\"ok\" = \"1\"; /* never closed",
          "\"k\" = \"v\" \"x\";", "= \"v\";", "{ \"k\" = \"v\";", "\"k\" = \"v\"; }",
          "\"k\" = \"\\U\";", "k = @;", "\xFF\xFF\xFF", "\"k\" = \"v\\"}) {
        std::string t = table(bad);
        EXPECT_EQ(lookup(t, "k"), "<fallback>") << bad;
        EXPECT_EQ(lookup(t, "ok"), "<fallback>") << bad;
    }
}

TEST_F(StringsTableTest, MutatedTablesNeverCrashTheReader) {
    const std::string seed = "/* c */ \"User ID\" = \"Benutzer\\n\\U00e9\";\n// x\nk = v;\n"
                             "{ \"a\" = \"b\"; }\n\"q\";";
    const char alphabet[] = "\"\\/*;={}\n Uu0123456789abcdef\xFF\xFE\xC3";
    std::mt19937 rng(12345);
    for (int round = 0; round < 300; ++round) {
        std::string bytes = seed;
        int edits = 1 + static_cast<int>(rng() % 6);
        for (int e = 0; e < edits && !bytes.empty(); ++e) {
            size_t at = rng() % bytes.size();
            switch (rng() % 3) {
            case 0:
                bytes.erase(at, 1 + rng() % 4);
                break;
            case 1:
                bytes.insert(at, 1, alphabet[rng() % (sizeof alphabet - 1)]);
                break;
            default:
                bytes[at] = alphabet[rng() % (sizeof alphabet - 1)];
                break;
            }
        }
        if (round % 7 == 0)
            bytes.resize(rng() % (bytes.size() + 1)); // truncated anywhere
        std::string t = table(bytes);
        std::string got = lookup(t, "User ID");
        EXPECT_NE(got, "<null>") << "every lookup gives a string";
    }
}
