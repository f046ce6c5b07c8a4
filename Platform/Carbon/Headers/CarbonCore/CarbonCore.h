/*
 * CarbonCore.h
 *
 * Umbrella header of the core services used by the toolbox: result codes,
 * pointer memory, file references (FSSpec) and the alert sound.
 */
#ifndef __CARBONCORE__
#define __CARBONCORE__

#include <MacTypes.h>
#include <CarbonCore/MacErrors.h>
#include <CarbonCore/MacMemory.h>
#include <CarbonCore/Files.h>
#include <CarbonCore/Sound.h>

#endif /* __CARBONCORE__ */
