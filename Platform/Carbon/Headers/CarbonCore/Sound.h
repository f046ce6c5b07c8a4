/*
 * Sound.h
 *
 * The system alert sound.
 */
#ifndef __SOUND__
#define __SOUND__

#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Plays the system alert sound; duration is ignored on Mac OS X. */
void SysBeep(short duration);

#ifdef __cplusplus
}
#endif

#endif /* __SOUND__ */
