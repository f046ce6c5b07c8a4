/*
 * PPDStandIn.h
 *
 * Observation of the compiled-PPD library for tests and the host; not part
 * of the library's API.
 */
#ifndef __PPDSTANDIN__
#define __PPDSTANDIN__

#include <PPDLib/PPDLib.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Contexts opened and not yet closed. */
CFIndex PPDStandInGetLiveContextCount(void);

#ifdef __cplusplus
}
#endif

#endif /* __PPDSTANDIN__ */
