/*
 * Window.h
 *
 * The dialog in a window on the desktop (GTK 3), worked by hand with the
 * keyboard and the mouse (README.md, "The window").
 */
#ifndef PDEHOST_WINDOW_H
#define PDEHOST_WINDOW_H

#include "CommandLine.h"
#include "HostText.h"

/* Runs the dialog for `options` in a window until the user prints or
   cancels; pdehost's exit status. */
int RunWindow(const HostOptions &options, EventWriter &events);

#endif /* PDEHOST_WINDOW_H */
