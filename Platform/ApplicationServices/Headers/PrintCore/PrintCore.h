/*
 * PrintCore.h
 *
 * Umbrella header of the printing framework.
 */
#ifndef __PRINTCORE__
#define __PRINTCORE__

#include <PrintCore/PMDefinitions.h>
#include <PrintCore/PMErrors.h>
#include <PrintCore/PMCore.h>
#include <PrintCore/PMTicket.h>
#include <PrintCore/PMPluginHeader.h>
#include <PrintCore/PMPrintingDialogExtensions.h>

#endif /* __PRINTCORE__ */
