/*
 * NumberTests.cpp
 *
 * Numbers and booleans: canonical types, conversions that lose nothing,
 * conversions that lose something (false, with the truncated value
 * stored), comparison and equality across types.
 */
#include "TestSupport.h"

#include <cmath>
#include <cstdint>

TEST(Number, CanonicalTypesAndSizes) {
    int i = 1;
    long l = 2;
    double d = 3.0;
    float f = 4.0f;
    CFNumberRef ni = CFNumberCreate(nullptr, kCFNumberIntType, &i);
    CFNumberRef nl = CFNumberCreate(nullptr, kCFNumberLongType, &l);
    CFNumberRef nd = CFNumberCreate(nullptr, kCFNumberDoubleType, &d);
    CFNumberRef nf = CFNumberCreate(nullptr, kCFNumberFloatType, &f);
    EXPECT_EQ(CFNumberGetType(ni), kCFNumberSInt32Type);
    EXPECT_EQ(CFNumberGetType(nl), kCFNumberSInt64Type);
    EXPECT_EQ(CFNumberGetType(nd), kCFNumberFloat64Type);
    EXPECT_EQ(CFNumberGetType(nf), kCFNumberFloat32Type);
    EXPECT_EQ(CFNumberGetByteSize(ni), 4);
    EXPECT_FALSE(CFNumberIsFloatType(nl));
    EXPECT_TRUE(CFNumberIsFloatType(nf));
    for (CFNumberRef n : {ni, nl, nd, nf})
        CFRelease(n);
}

TEST(Number, PointerWideValuesSurviveOnlyAsSInt64) {
    SInt64 wide = static_cast<SInt64>(0x00007F1234567890LL);
    CFNumberRef n = CFNumberCreate(nullptr, kCFNumberSInt64Type, &wide);
    SInt64 back = 0;
    EXPECT_TRUE(CFNumberGetValue(n, kCFNumberSInt64Type, &back));
    EXPECT_EQ(back, wide);
    SInt32 narrow = 0;
    EXPECT_FALSE(CFNumberGetValue(n, kCFNumberSInt32Type, &narrow)) << "lossy: reported";
    EXPECT_EQ(narrow, static_cast<SInt32>(0x34567890)) << "the truncated value is stored";
    CFRelease(n);

    SInt64 small = -5;
    n = CFNumberCreate(nullptr, kCFNumberSInt64Type, &small);
    EXPECT_TRUE(CFNumberGetValue(n, kCFNumberSInt32Type, &narrow));
    EXPECT_EQ(narrow, -5);
    SInt8 tiny = 0;
    EXPECT_TRUE(CFNumberGetValue(n, kCFNumberSInt8Type, &tiny));
    EXPECT_EQ(tiny, -5);
    CFRelease(n);
}

TEST(Number, FloatingToIntegerAndBack) {
    double frac = 3.75;
    CFNumberRef n = CFNumberCreate(nullptr, kCFNumberFloat64Type, &frac);
    int i = 0;
    EXPECT_FALSE(CFNumberGetValue(n, kCFNumberIntType, &i));
    EXPECT_EQ(i, 3);
    float f = 0;
    EXPECT_TRUE(CFNumberGetValue(n, kCFNumberFloatType, &f)) << "3.75 is exact in a float";
    CFRelease(n);

    double big = 1e20;
    n = CFNumberCreate(nullptr, kCFNumberDoubleType, &big);
    SInt64 v = 0;
    EXPECT_FALSE(CFNumberGetValue(n, kCFNumberSInt64Type, &v));
    EXPECT_EQ(v, INT64_MAX) << "out of range saturates";
    CFRelease(n);

    SInt64 odd = (1LL << 53) + 1;
    n = CFNumberCreate(nullptr, kCFNumberSInt64Type, &odd);
    double d = 0;
    EXPECT_FALSE(CFNumberGetValue(n, kCFNumberDoubleType, &d)) << "2^53+1 has no exact double";
    CFRelease(n);

    double tenth = 0.1;
    n = CFNumberCreate(nullptr, kCFNumberDoubleType, &tenth);
    EXPECT_FALSE(CFNumberGetValue(n, kCFNumberFloat32Type, &f));
    CFRelease(n);
}

TEST(Number, EqualityAndComparisonAcrossTypes) {
    int three = 3;
    double threeD = 3.0, nan = NAN;
    CFNumberRef a = CFNumberCreate(nullptr, kCFNumberIntType, &three);
    CFNumberRef b = CFNumberCreate(nullptr, kCFNumberDoubleType, &threeD);
    CFNumberRef c = CFNumberCreate(nullptr, kCFNumberDoubleType, &nan);
    EXPECT_TRUE(CFEqual(a, b));
    EXPECT_EQ(CFHash(a), CFHash(b));
    EXPECT_EQ(CFNumberCompare(c, a, nullptr), kCFCompareLessThan);
    EXPECT_EQ(CFNumberCompare(a, kCFNumberPositiveInfinity, nullptr), kCFCompareLessThan);
    EXPECT_FALSE(CFEqual(a, CFSTR("3"))) << "different types are never equal";
    for (CFNumberRef n : {a, b, c})
        CFRelease(n);
}

TEST(Boolean, SingletonsAndTypes) {
    EXPECT_TRUE(CFBooleanGetValue(kCFBooleanTrue));
    EXPECT_FALSE(CFBooleanGetValue(kCFBooleanFalse));
    EXPECT_EQ(CFGetTypeID(kCFBooleanTrue), CFBooleanGetTypeID());
    EXPECT_NE(CFBooleanGetTypeID(), CFNumberGetTypeID());
    EXPECT_FALSE(CFEqual(kCFBooleanTrue, kCFBooleanFalse));
}
