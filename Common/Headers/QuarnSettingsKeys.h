/*
 * QuarnSettingsKeys.h
 *
 * The print-settings keys that the Job Log pane writes into the job's
 * print-settings ticket, and the CUPS job options under which the filter
 * finds them. This header is the one place where both deliverables take
 * these names from.
 *
 * The keys are string literals so that the plug-in can wrap them in CFSTR()
 * and the filter can use them as C strings.
 *
 * The print system turns a string item into an option of the same name, and
 * a boolean item into an option whose name is the key followed by
 * kQuarnBooleanOptionSuffix, with the value "True" or "False".
 */
#ifndef QUARN_SETTINGS_KEYS_H
#define QUARN_SETTINGS_KEYS_H

#define kQuarnUserIDKey "com.quarn.pm.UserID"
#define kQuarnEnableUserCodeKey "com.quarn.pm.EnableUserCode"
#define kQuarnUserCodeKey "com.quarn.pm.UserCode"
#define kQuarnJobTypeKey "com.quarn.pm.JobType"
#define kQuarnTimeZoneKey "com.quarn.pm.TimeZone"
#define kQuarnPasswordKey "com.quarn.pm.Password"
#define kQuarnFileNameKey "com.quarn.pm.FileName"

/* Suffix that marks a boolean item in the job options. */
#define kQuarnBooleanOptionSuffix "..b."

/* Option name of the boolean EnableUserCode item as the filter reads it. */
#define kQuarnEnableUserCodeOption kQuarnEnableUserCodeKey kQuarnBooleanOptionSuffix

/* Client identifier under which the pane writes its ticket items. */
#define kQuarnTicketClientID "com.quarn.printingmanager"

/* Job type names (values of kQuarnJobTypeKey). */
#define kQuarnJobTypeNormal "Normal"
#define kQuarnJobTypeGuardedPrint "Guarded Print"
#define kQuarnJobTypeTrialPrint "Trial Print"
#define kQuarnJobTypeBoxStorage "Box Storage"
#define kQuarnJobTypeHaltedPrint "Halted Print"
#define kQuarnJobTypeKeptPrint "Kept Print"
#define kQuarnJobTypeKeepBoxPrint "Keep Box Print"

#endif /* QUARN_SETTINGS_KEYS_H */
