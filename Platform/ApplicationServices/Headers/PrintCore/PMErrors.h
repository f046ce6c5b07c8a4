/*
 * PMErrors.h
 *
 * Result codes of the printing framework's modules: tickets, dialog
 * extensions and the job machinery.
 */
#ifndef __PMERRORS__
#define __PMERRORS__

#include <PrintCore/PMDefinitions.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    kPMAllocationFailure = memFullErr,
    kPMInternalError = kPMGeneralError,
    kPMInvalidIndex = -30882,
    kPMStringConversionFailure = -30883,
    kPMXMLParseError = -30884,
    kPMInvalidJobTemplate = -30885,
    kPMInvalidPrinterInfo = -30886,
    kPMInvalidConnection = -30887,
    kPMInvalidKey = -30888,
    kPMInvalidValue = -30889,
    kPMInvalidAllocator = -30890,
    kPMInvalidTicket = -30891,
    kPMInvalidItem = -30892,
    kPMInvalidType = -30893,
    kPMInvalidReply = -30894,
    kPMInvalidFileType = -30895,
    kPMInvalidObject = -30896,
    kPMInvalidPaper = -30897,
    kPMInvalidCalibrationTarget = -30898
};

/* Print job creator and dialog extensions */
enum {
    kPMNoDefaultItem = -9500,
    kPMNoDefaultSettings = -9501,
    kPMInvalidPDEContext = -9530,
    kPMDontSwitchPDEError = -9531,
    kPMUnableToFindProcess = -9532,
    kPMFeatureNotInstalled = -9533
};

/* Job tickets */
enum {
    kPMTicketTypeNotFound = -9580,
    kPMUpdateTicketFailed = -9581,
    kPMValidateTicketFailed = -9582,
    kPMSubTicketNotFound = -9583,
    kPMInvalidSubTicket = -9584,
    kPMDeleteSubTicketFailed = -9585,
    kPMItemIsLocked = -9586,
    kPMTicketIsLocked = -9587,
    kPMTemplateIsLocked = -9588,
    kPMKeyNotFound = -9589,
    kPMKeyNotUnique = -9590,
    kPMUnknownDataType = -9591
};

/* Client printing library */
enum {
    kPMCreateMessageFailed = -9620,
    kPMServerCommunicationFailed = -9621,
    kPMKeyOrValueNotFound = -9623,
    kPMMessagingError = -9624
};

#ifdef __cplusplus
}
#endif

#endif /* __PMERRORS__ */
