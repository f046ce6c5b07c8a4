/*
 * Files.h
 *
 * The classic FSSpec file record, as the compiled-PPD library hands
 * it to its callers.
 */
#ifndef __FILES__
#define __FILES__

#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef SInt16 FSVolumeRefNum;
typedef unsigned char Str63[64];
typedef Str63 StrFileName;

struct FSSpec {
    FSVolumeRefNum vRefNum;
    SInt32 parID;
    StrFileName name; /* a Str63 file name */
};
typedef struct FSSpec FSSpec;

#ifdef __cplusplus
}
#endif

#endif /* __FILES__ */
