/*
 * ApplicationServices.h
 *
 * Umbrella header of the application services: CoreFoundation and the
 * printing framework.
 */
#ifndef __APPLICATIONSERVICES__
#define __APPLICATIONSERVICES__

#include <CoreFoundation/CoreFoundation.h>
#include <CarbonCore/CarbonCore.h>
#include <PrintCore/PrintCore.h>

#endif /* __APPLICATIONSERVICES__ */
