/*
 * MacTypes.h
 *
 * The basic scalar types, string types, geometry records and the no-error
 * result shared by every framework of the platform layer. Sizes follow the 64-bit
 * Linux build: 32-bit UInt32/SInt32/OSStatus, 16-bit OSErr, 64-bit Size.
 */
#ifndef __MACTYPES__
#define __MACTYPES__

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Integer types */
typedef unsigned char UInt8;
typedef signed char SInt8;
typedef unsigned short UInt16;
typedef signed short SInt16;
typedef unsigned int UInt32;
typedef signed int SInt32;
typedef signed long long SInt64;

/* Memory */
typedef char *Ptr;
typedef long Size;
typedef unsigned long ByteCount;
typedef unsigned long ItemCount;
typedef UInt32 OptionBits;
typedef unsigned char Byte;

/* Results and codes */
typedef SInt16 OSErr;
typedef SInt32 OSStatus;
typedef UInt32 FourCharCode;
typedef FourCharCode OSType;
typedef FourCharCode ResType;

typedef unsigned char Boolean;

/* Text */
typedef UInt16 UniChar;

typedef unsigned char Str255[256];
typedef unsigned char Str63[64];
typedef unsigned char *StringPtr;
typedef const unsigned char *ConstStr255Param;

/* Geometry */
struct Point {
    short v;
    short h;
};
typedef struct Point Point;

struct Rect {
    short top;
    short left;
    short bottom;
    short right;
};
typedef struct Rect Rect;

enum { noErr = 0 };

#ifdef __cplusplus
}
#endif

#endif /* __MACTYPES__ */
