/*
 * DialogRun.h
 *
 * One whole print dialog, as pdehost and the in-process tests run it: from
 * the tickets and the loading of the bundle to the print system's part and
 * the count of live platform objects before and after.
 */
#ifndef PDEHOST_DIALOG_RUN_H
#define PDEHOST_DIALOG_RUN_H

#include "CommandLine.h"
#include "EventOutput.h"
#include "Script.h"

#include <CoreFoundation/CoreFoundation.h>

#include <vector>

class DialogSession;

/* Works an open dialog in place of a script: the exit status, with
   `printed` set when a print succeeded. */
using DialogDriver = int (*)(DialogSession &dialog, bool &printed);

enum { kExitDone = 0, kExitFailed = 1, kExitUsage = 2, kExitLeaked = 3 };

/* Runs the dialog for `options` with `actions` (null: read from the
   terminal, one at a time) and returns pdehost's exit status; what fails is
   said on standard error. `linkedFactory`, when given, makes the pane's
   instance in place of the bundle's own factory (the bundle is still
   registered, so the pane finds its resources): the tests link the pane's
   code so that they can reach its glue. */
int RunDialog(const HostOptions &options, const std::vector<Action> *actions, EventWriter &events,
              CFPlugInFactoryFunction linkedFactory = nullptr, DialogDriver driver = nullptr);

#endif /* PDEHOST_DIALOG_RUN_H */
