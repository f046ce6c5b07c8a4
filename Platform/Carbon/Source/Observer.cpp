/*
 * Observer.cpp
 *
 * What the user would hear and see: the system beep and standard alerts,
 * counted and reported to the observer that the host or a test installs
 * (HIStandInSetObserver), which also answers the alerts.
 */
#include "HIInternal.h"

namespace {

HIStandInObserver gObserver = {nullptr, nullptr, nullptr};
CFIndex gBeepCount = 0;
CFIndex gAlertCount = 0;

} // namespace

void SysBeep(short duration) {
    gBeepCount++;
    if (gObserver.beep != nullptr)
        gObserver.beep(gObserver.refcon, duration);
}

DialogItemIndex HIObserverAlert(AlertType type, CFStringRef message, CFStringRef explanation,
                                DialogItemIndex defaultButton) {
    gAlertCount++;
    if (gObserver.alert != nullptr)
        return gObserver.alert(gObserver.refcon, type, message, explanation);
    return defaultButton;
}

void HIStandInSetObserver(const HIStandInObserver *observer) {
    if (observer != nullptr)
        gObserver = *observer;
    else
        gObserver = HIStandInObserver{nullptr, nullptr, nullptr};
}

CFIndex HIStandInGetBeepCount(void) {
    return gBeepCount;
}
CFIndex HIStandInGetAlertCount(void) {
    return gAlertCount;
}

void HIStandInResetCounts(void) {
    gBeepCount = 0;
    gAlertCount = 0;
}
