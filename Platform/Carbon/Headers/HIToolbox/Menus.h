/*
 * Menus.h
 *
 * The menu reference types that command records carry. Menus themselves
 * are not provided by this layer.
 */
#ifndef __MENUS__
#define __MENUS__

#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct OpaqueMenuRef *MenuRef;
typedef UInt16 MenuItemIndex;

#ifdef __cplusplus
}
#endif

#endif /* __MENUS__ */
