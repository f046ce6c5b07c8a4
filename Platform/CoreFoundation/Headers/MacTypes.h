/*
 * MacTypes.h
 *
 * The basic scalar types, string types, geometry records and result codes
 * shared by every framework of the platform layer. Sizes follow the 64-bit
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
typedef unsigned long long UInt64;
typedef signed long long SInt64;

typedef SInt32 Fixed;
typedef Fixed *FixedPtr;
typedef SInt32 Fract;
typedef Fract *FractPtr;
typedef UInt32 UnsignedFixed;
typedef short ShortFixed;

typedef float Float32;
typedef double Float64;

/* Memory */
typedef char *Ptr;
typedef Ptr *Handle;
typedef long Size;
typedef void *LogicalAddress;
typedef const void *ConstLogicalAddress;
typedef unsigned long ByteCount;
typedef unsigned long ByteOffset;
typedef unsigned long ItemCount;
typedef UInt32 OptionBits;
typedef SInt32 Duration;
typedef unsigned char Byte;
typedef signed char SignedByte;

/* Results and codes */
typedef SInt16 OSErr;
typedef SInt32 OSStatus;
typedef UInt32 FourCharCode;
typedef FourCharCode OSType;
typedef FourCharCode ResType;
typedef OSType *OSTypePtr;
typedef ResType *ResTypePtr;
typedef SInt16 ScriptCode;
typedef SInt16 LangCode;
typedef SInt16 RegionCode;

typedef unsigned char Boolean;

/* Procedure pointers */
typedef long (*ProcPtr)(void);
typedef ProcPtr *ProcHandle;
typedef ProcPtr UniversalProcPtr;
typedef ProcHandle UniversalProcHandle;

/* Text */
typedef UInt16 UniChar;
typedef UniChar *UniCharPtr;
typedef unsigned long UniCharCount;
typedef UniCharCount *UniCharCountPtr;
typedef UInt32 UTF32Char;
typedef UInt16 UTF16Char;
typedef UInt8 UTF8Char;
typedef UInt32 TextEncoding;

typedef unsigned char Str255[256];
typedef unsigned char Str63[64];
typedef unsigned char Str32[33];
typedef unsigned char Str31[32];
typedef unsigned char Str27[28];
typedef unsigned char Str15[16];
typedef unsigned char *StringPtr;
typedef StringPtr *StringHandle;
typedef const unsigned char *ConstStringPtr;
typedef const unsigned char *ConstStr255Param;
typedef const unsigned char *ConstStr63Param;
typedef const unsigned char *ConstStr32Param;
typedef const unsigned char *ConstStr31Param;
typedef const unsigned char *ConstStr27Param;
typedef const unsigned char *ConstStr15Param;

typedef unsigned char Style;
typedef short StyleParameter;
typedef Style StyleField;

/* Geometry */
struct Point {
    short v;
    short h;
};
typedef struct Point Point;
typedef Point *PointPtr;

struct Rect {
    short top;
    short left;
    short bottom;
    short right;
};
typedef struct Rect Rect;
typedef Rect *RectPtr;

struct FixedPoint {
    Fixed x;
    Fixed y;
};
typedef struct FixedPoint FixedPoint;

struct FixedRect {
    Fixed left;
    Fixed top;
    Fixed right;
    Fixed bottom;
};
typedef struct FixedRect FixedRect;

/* Version record */
struct NumVersion {
    UInt8 nonRelRev;
    UInt8 stage;
    UInt8 minorAndBugRev;
    UInt8 majorRev;
};
typedef struct NumVersion NumVersion;

enum { noErr = 0 };

enum { kNilOptions = 0 };

enum { kVariableLengthArray = 1 };

enum {
    kUnknownType = 0x3F3F3F3F /* '????' */
};

#ifdef __cplusplus
}
#endif

#endif /* __MACTYPES__ */
