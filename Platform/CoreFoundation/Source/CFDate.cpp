/*
 * CFDate.cpp
 *
 * Absolute time and date objects (seconds since 1 January 2001 GMT).
 */
#include "CFInternal.h"

#include <cmath>
#include <cstring>
#include <sys/time.h>

namespace {

Boolean equalDates(CFTypeRef a, CFTypeRef b) {
    return static_cast<const __CFDate *>(a)->time == static_cast<const __CFDate *>(b)->time;
}

CFHashCode hashDate(CFTypeRef cf) {
    return static_cast<CFHashCode>(static_cast<long long>(static_cast<const __CFDate *>(cf)->time));
}

CFStringRef describeDate(CFTypeRef cf) {
    return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("<CFDate %p [%.3f]>"), cf,
                                    static_cast<const __CFDate *>(cf)->time);
}

void finalizeDate(CFTypeRef cf) {
    cf::destroyObject<__CFDate>(cf);
}

const __CFDate *checkDate(CFTypeRef cf, const char *call) {
    return cf::check<__CFDate>(cf, cf::kDateTypeID, call);
}

} // namespace

namespace cf {
const CFStandInClass kDateClass = {"CFDate", finalizeDate, equalDates, hashDate, describeDate};
}

extern "C" {

const CFTimeInterval kCFAbsoluteTimeIntervalSince1970 = 978307200.0;

CFAbsoluteTime CFAbsoluteTimeGetCurrent(void) {
    struct timeval tv;
    gettimeofday(&tv, nullptr);
    return static_cast<double>(tv.tv_sec) - kCFAbsoluteTimeIntervalSince1970 +
           static_cast<double>(tv.tv_usec) / 1e6;
}

CFTypeID CFDateGetTypeID(void) {
    return cf::kDateTypeID;
}

CFDateRef CFDateCreate(CFAllocatorRef, CFAbsoluteTime at) {
    __CFDate *d = cf::newObject<__CFDate>(cf::kDateTypeID);
    if (d != nullptr)
        d->time = at;
    return d;
}

CFAbsoluteTime CFDateGetAbsoluteTime(CFDateRef theDate) {
    return checkDate(theDate, "CFDateGetAbsoluteTime")->time;
}

CFTimeInterval CFDateGetTimeIntervalSinceDate(CFDateRef theDate, CFDateRef otherDate) {
    return checkDate(theDate, "CFDateGetTimeIntervalSinceDate")->time -
           checkDate(otherDate, "CFDateGetTimeIntervalSinceDate")->time;
}

CFComparisonResult CFDateCompare(CFDateRef theDate, CFDateRef otherDate, void *) {
    double a = checkDate(theDate, "CFDateCompare")->time;
    double b = checkDate(otherDate, "CFDateCompare")->time;
    return a < b ? kCFCompareLessThan : a > b ? kCFCompareGreaterThan : kCFCompareEqualTo;
}

} // extern "C"
