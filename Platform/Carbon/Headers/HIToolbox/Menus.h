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
typedef MenuRef MenuHandle;
typedef UInt16 MenuItemIndex;
typedef SInt16 MenuID;
typedef UInt32 MenuCommand;

#ifdef __cplusplus
}
#endif

#endif /* __MENUS__ */
