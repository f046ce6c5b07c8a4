/*
 * FormatTests.cpp
 *
 * CFStringCreateWithFormat: the C conversions with flags, width and
 * precision, %@ with objects and NULL, %s in UTF-8 and MacRoman, %C, %%,
 * the time-zone text form "%s%ld", and formats cut off in the middle.
 */
#include "TestSupport.h"

using namespace cftest;

namespace {
std::string fmt(CFStringRef format, ...) {
    va_list args;
    va_start(args, format);
    CFStringRef s = CFStringCreateWithFormatAndArguments(nullptr, nullptr, format, args);
    va_end(args);
    return consume(s);
}
} // namespace

TEST(Format, IntegerConversionsWithFlagsWidthAndPrecision) {
    EXPECT_EQ(fmt(CFSTR("%d|%i|%u"), -7, 42, 4000000000U), "-7|42|4000000000");
    EXPECT_EQ(fmt(CFSTR("%ld|%lu"), -9000000000L, 18000000000UL), "-9000000000|18000000000");
    EXPECT_EQ(fmt(CFSTR("%lld|%qd"), -1LL, 2LL), "-1|2");
    EXPECT_EQ(fmt(CFSTR("%x|%X|%#x|%o"), 255U, 255U, 255U, 8U), "ff|FF|0xff|10");
    EXPECT_EQ(fmt(CFSTR("[%5d][%-5d][%05d][%+d]"), 42, 42, 42, 42), "[   42][42   ][00042][+42]");
    EXPECT_EQ(fmt(CFSTR("[%*d][%.3d]"), 4, 7, 7), "[   7][007]");
    EXPECT_EQ(fmt(CFSTR("%hd|%hhu"), 70000, 300), "4464|44");
    EXPECT_EQ(fmt(CFSTR("%zu|%ld"), static_cast<size_t>(12), static_cast<long>(-3)), "12|-3");
}

TEST(Format, FloatingPointAndPointers) {
    EXPECT_EQ(fmt(CFSTR("%.2f|%5.1f|%e|%g"), 3.14159, 2.25, 1500.0, 0.5),
              "3.14|  2.2|1.500000e+03|0.5");
    std::string p = fmt(CFSTR("%p"), reinterpret_cast<void *>(0x1234));
    EXPECT_EQ(p, "0x1234");
}

TEST(Format, TextConversions) {
    EXPECT_EQ(fmt(CFSTR("%s-%s"), "abc", "caf\xC3\xA9"), "abc-caf\xC3\xA9");
    EXPECT_EQ(fmt(CFSTR("%s"), "caf\x8E"), "caf\xC3\xA9")
        << "bytes that are no UTF-8 read as MacRoman";
    EXPECT_EQ(fmt(CFSTR("[%6s][%-6s][%.2s]"), "ab", "ab", "abcdef"), "[    ab][ab    ][ab]");
    EXPECT_EQ(fmt(CFSTR("%s"), static_cast<const char *>(nullptr)), "(null)");
    EXPECT_EQ(fmt(CFSTR("%c%c%%"), 'o', 'k'), "ok%");
    EXPECT_EQ(fmt(CFSTR("%C"), 0x20AC), "\xE2\x82\xAC");
    const UniChar wide[] = {'h', 'i', 0};
    EXPECT_EQ(fmt(CFSTR("%S"), wide), "hi");
}

TEST(Format, ObjectConversionUsesTheDescriptionAndTakesNull) {
    int n = 5;
    CFNumberRef num = CFNumberCreate(nullptr, kCFNumberIntType, &n);
    CFStringRef s = str("User ID");
    CFIndex before = CFGetRetainCount(s);
    EXPECT_EQ(fmt(CFSTR("%@: %@ (%@)"), s, num, kCFBooleanTrue), "User ID: 5 (true)");
    EXPECT_EQ(fmt(CFSTR("[%@]"), static_cast<CFTypeRef>(nullptr)), "[(null)]");
    EXPECT_EQ(fmt(CFSTR("[%8@][%.4@]"), s, s), "[ User ID][User]");
    EXPECT_EQ(CFGetRetainCount(s), before) << "formatting borrows its arguments";
    CFRelease(num);
    CFRelease(s);
}

TEST(Format, TimeZoneTextForm) {
    EXPECT_EQ(fmt(CFSTR("%s%ld"), "JST", 32400L), "JST32400");
    EXPECT_EQ(fmt(CFSTR("%s%ld"), "EST", -18000L), "EST-18000");
    EXPECT_EQ(fmt(CFSTR("%s%ld"), "+0545", 20700L), "+054520700");
}

TEST(Format, UnknownAndCutOffConversions) {
    EXPECT_EQ(fmt(CFSTR("100%y")), "100%y") << "an unknown conversion is copied";
    EXPECT_EQ(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("trailing %")), nullptr)
        << "a conversion cut off at the end makes no string";
    EXPECT_EQ(fmt(CFSTR("no conversions")), "no conversions");
    CFMutableStringRef m = CFStringCreateMutable(nullptr, 0);
    CFStringAppendFormat(m, nullptr, CFSTR("%d+%d"), 1, 2);
    CFStringAppendFormat(m, nullptr, CFSTR("=%s"), "3");
    EXPECT_EQ(text(m), "1+2=3");
    CFRelease(m);
}
