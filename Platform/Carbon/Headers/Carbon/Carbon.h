/*
 * Carbon.h
 *
 * Umbrella header of the Carbon framework: CoreFoundation, the core services
 * (memory, errors, files, sound), the printing framework and the
 * user-interface toolbox.
 */
#ifndef __CARBON__
#define __CARBON__

#include <CoreFoundation/CoreFoundation.h>
#include <CarbonCore/CarbonCore.h>
#include <ApplicationServices/ApplicationServices.h>
#include <HIToolbox/HIToolbox.h>

#endif /* __CARBON__ */
