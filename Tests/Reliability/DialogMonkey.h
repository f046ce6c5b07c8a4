/*
 * DialogMonkey.h
 *
 * A monkey for the Job Log pane: random user actions, from a seed, through
 * pdehost's dialog session code and the stand-in layer, with the pane's
 * promises checked after every one of them:
 *
 *   - the User ID field holds at most 8 letters and digits, the User Code
 *     field at most 8 digits, unless text was dropped into the field (a drop
 *     bypasses the filters) and the field has not been valid since;
 *   - the User Code field and its label are enabled exactly when the check
 *     box is on;
 *   - a sync towards the tickets (and the Print button) succeeds exactly
 *     when both fields are valid, then writes all five items with the
 *     fields' values, and otherwise writes nothing and shows one alert per
 *     invalid field;
 *   - a sync towards the pane and a new dialog show the ticket's values
 *     (a value that is not valid for its field empties it);
 *   - the summary lists the fields' texts;
 *   - at the end no platform object and no block of the layer is left.
 */
#ifndef RELIABILITY_DIALOG_MONKEY_H
#define RELIABILITY_DIALOG_MONKEY_H

#include <string>
#include <vector>

struct MonkeyReport {
    long actions = 0;                    /* actions performed */
    long dialogs = 0;                    /* dialogs opened */
    long prints = 0;                     /* prints that went through */
    long refusedSyncs = 0;               /* syncs towards the tickets refused with alerts */
    long drops = 0;                      /* drops into an edit field */
    long pastesTaken = 0;                /* pastes that changed a field */
    long pastesRefused = 0;              /* pastes refused with a beep */
    std::vector<std::string> violations; /* the first violation, with the actions before it */
};

struct MonkeyOptions {
    unsigned long seed = 20261206;
    long actions = 5000;
    /* Test of the monkey itself: after this action (1-based; 0 never) the
       User ID field is set behind the pane's back to a text it must refuse,
       as a fault of the filters would. */
    long corruptUserIDAfter = 0;
};

MonkeyReport RunDialogMonkey(const MonkeyOptions &options);

#endif /* RELIABILITY_DIALOG_MONKEY_H */
