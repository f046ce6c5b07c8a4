/*
 * HIToolbox.h
 *
 * Umbrella header of the user-interface toolbox.
 */
#ifndef __HITOOLBOX__
#define __HITOOLBOX__

#include <HIToolbox/Events.h>
#include <HIToolbox/Menus.h>
#include <HIToolbox/CarbonEvents.h>
#include <HIToolbox/MacWindows.h>
#include <HIToolbox/Controls.h>
#include <HIToolbox/ControlDefinitions.h>
#include <HIToolbox/IBCarbonRuntime.h>
#include <HIToolbox/Dialogs.h>
#include <HIToolbox/Scrap.h>

#endif /* __HITOOLBOX__ */
