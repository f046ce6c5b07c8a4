/*
 * Events.h
 *
 * Classic event records, the keyboard modifier bits and the character
 * codes of the special keys.
 */
#ifndef __EVENTS__
#define __EVENTS__

#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef UInt16 EventKind;
typedef UInt16 EventModifiers;

/* Modifier bits of EventModifiers */
enum { cmdKey = 1 << 8 };

/* Character codes of the special keys */
enum {
    kHomeCharCode = 1,
    kEndCharCode = 4,
    kBackspaceCharCode = 8,
    kTabCharCode = 9,
    kReturnCharCode = 13,
    kEscapeCharCode = 27,
    kLeftArrowCharCode = 28,
    kRightArrowCharCode = 29,
    kDeleteCharCode = 127
};

struct EventRecord {
    EventKind what;
    unsigned long message;
    UInt32 when;
    Point where;
    EventModifiers modifiers;
};
typedef struct EventRecord EventRecord;

#ifdef __cplusplus
}
#endif

#endif /* __EVENTS__ */
