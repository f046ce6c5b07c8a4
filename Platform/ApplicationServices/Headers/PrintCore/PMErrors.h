/*
 * PMErrors.h
 *
 * Result codes of the printing framework's modules that this layer and
 * dialog extensions return: tickets and dialog extensions.
 */
#ifndef __PMERRORS__
#define __PMERRORS__

#include <PrintCore/PMDefinitions.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    kPMAllocationFailure = memFullErr,
    kPMInvalidIndex = -30882,
    kPMInvalidKey = -30888,
    kPMInvalidValue = -30889,
    kPMInvalidTicket = -30891,
    kPMInvalidType = -30893
};

/* Dialog extensions */
enum { kPMInvalidPDEContext = -9530, kPMDontSwitchPDEError = -9531 };

/* Job tickets */
enum { kPMSubTicketNotFound = -9583, kPMItemIsLocked = -9586, kPMKeyNotFound = -9589 };

#ifdef __cplusplus
}
#endif

#endif /* __PMERRORS__ */
