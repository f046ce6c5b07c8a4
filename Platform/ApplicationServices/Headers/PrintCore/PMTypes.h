/*
 * PMTypes.h
 *
 * The printing framework's object types (defined in PMDefinitions.h).
 */
#ifndef __PMTYPES__
#define __PMTYPES__

#include <PrintCore/PMDefinitions.h>

#endif /* __PMTYPES__ */
