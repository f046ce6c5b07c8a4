/*
 * CJobLogPDE.cpp
 *
 * The Job Log pane and the plug-in's two entry points. The pane checks that
 * the printer's PPD names this plug-in, loads its controls from the nib
 * "JobLog" into the dialog's pane area, keeps the User Code field enabled
 * with its check box, validates the User ID and User Code with a caution
 * alert, writes them with the job type and the client's time zone into the
 * print-settings ticket, and supplies the summary rows.
 */
#include "CJobLogPDE.h"
#include "TimeZoneText.h"

#include <PPDLib/PPDLib.h>
#include <QuarnSettingsKeys.h>

#include <new>
#include <stdint.h>
#include <string.h>
#include <time.h>

static const KeyFilterProcPtr kAlphaNumericFilter = CEditText::AlphaNumericFilter;
static const KeyFilterProcPtr kNumericFilter = CEditText::NumericFilter;

/* The PPD main keyword that lists the printer's dialog extensions, and the
   installed path of this plug-in that must be its first value; both
   length-prefixed, the path with a terminating zero (52 bytes). */
static const unsigned char kDialogExtensionKeyword[] = "\x11"
                                                       "APDialogExtension";
static const unsigned char kPlugInInstalledPath[] = "\x32"
                                                    "/Library/Printers/QUARN/PDEs/"
                                                    "quarnJobLogTQX.plugin";
static_assert(sizeof kPlugInInstalledPath == 52, "length byte, 50 characters, zero");

enum { kPPDValueBufferSize = 255, kPPDValueMaxLength = 64 };

#define kPrinterInfoTicketName CFSTR("PMPrinterInfoTicket")
#define kPrintSettingsTicketName CFSTR("PMPrintSettingsTicket")

/* How a printer's PPD stands to this plug-in. */
enum PPDDeclaration { kPPDNamesThisPlugIn, kPPDNamesOtherOrNone, kPPDUnreadable };

/*
 * Compares the first value of "APDialogExtension" in the printer's compiled
 * PPD with this plug-in's installed path, the length bytes included. A PPD
 * without the keyword leaves the value buffer empty and so does not match.
 */
static PPDDeclaration CheckPPDDeclaration(PMTicketRef printerInfo) {
    FSSpec tempFSSpec;
    memset(&tempFSSpec, 0, sizeof tempFSSpec);
    PPDContext ppdContext = NULL;
    if (ppdOpenCompiledPPDFromTicket(printerInfo, &tempFSSpec, &ppdContext) != noErr)
        return kPPDUnreadable;

    SInt16 mIndex0 = 0;
    ppdGetMainIndex(ppdContext, kDialogExtensionKeyword, &mIndex0);

    PPDDeclaration result = kPPDNamesOtherOrNone;
    Ptr expected = NewPtrClear(kPPDValueBufferSize);
    Ptr value = NewPtrClear(kPPDValueBufferSize);
    if (expected != NULL && value != NULL) {
        memcpy(expected, kPlugInInstalledPath, sizeof kPlugInInstalledPath);
        ppdGetInvocationString(ppdContext, mIndex0, 0, (StringPtr)value, kPPDValueMaxLength);
        value[kPPDValueBufferSize - 1] = '\0';
        if (strcmp(value, expected) == 0)
            result = kPPDNamesThisPlugIn;
    }
    if (expected != NULL)
        DisposePtr(expected);
    if (value != NULL)
        DisposePtr(value);
    ppdCloseCompiledPPDFromTicket(ppdContext, &tempFSSpec);
    return result;
}

CJobLogPDE::CJobLogPDE()
    : CPDEPlugin(CFSTR(kJobLogBundleID)), mEnableUserCodeCtrl(NULL), mJobTypeCtrl(NULL),
      mUserCodeLabelCtrl(NULL), mJobTypeMenuCtrl(NULL),
      mCommandHandlerUPP(NewEventHandlerUPP(CommandHandler)) {}

/* The handler installed on the pane area goes away with the pane area. */
CJobLogPDE::~CJobLogPDE() {
    if (mCommandHandlerUPP != NULL)
        DisposeEventHandlerUPP(mCommandHandlerUPP);
}

OSStatus CJobLogPDE::CreateUI(PMPDEFlags *flags, PMPDERef ref, ControlRef parentUserPane,
                              PMPrintSession printSession) {
    (void)flags;
    (void)ref;
    PMTicketRef printerInfo = NULL;
    if (GetTicketFromSession(printSession, kPrinterInfoTicketName, &printerInfo) != noErr)
        return kPMInvalidPDEContext;

    switch (CheckPPDDeclaration(printerInfo)) {
    case kPPDNamesThisPlugIn:
        break;
    case kPPDNamesOtherOrNone:
        return kPMInvalidPDEContext;
    case kPPDUnreadable:
        /* Without the PPD the printer cannot be shown to use this plug-in:
           no pane, as for a printer that names none. */
        return noErr;
    }

    IBNibRef nibRef = NULL;
    if (GetMainBundle() == NULL ||
        CreateNibReferenceWithCFBundle(GetMainBundle(), CFSTR("JobLog"), &nibRef) != noErr ||
        nibRef == NULL)
        return noErr;
    WindowRef nibWindow = NULL;
    if (CreateWindowFromNib(nibRef, CFSTR("Window"), &nibWindow) != noErr || nibWindow == NULL) {
        DisposeNibReference(nibRef);
        return noErr;
    }

    ControlID controlID = {kJobLogControlSignature, kJobLogUserIDControlID};
    mUserIDEditText.Attach(nibWindow, controlID);
    mUserIDEditText.SetKeyFilter(kAlphaNumericFilter);
    mUserIDEditText.SetMaxChars(kJobLogMaxCodeLength);

    ControlRef control = NULL;
    controlID.id = kJobLogEnableUserCodeControlID;
    if (GetControlByID(nibWindow, &controlID, &control) == noErr)
        mEnableUserCodeCtrl = control;

    controlID.id = kJobLogUserCodeControlID;
    mUserCodeEditText.Attach(nibWindow, controlID);
    mUserCodeEditText.SetKeyFilter(kNumericFilter);
    mUserCodeEditText.SetMaxChars(kJobLogMaxCodeLength);

    control = NULL;
    controlID.id = kJobLogUserCodeLabelControlID;
    if (GetControlByID(nibWindow, &controlID, &control) == noErr)
        mUserCodeLabelCtrl = control;

    EmbedControlsFromNib(nibWindow, parentUserPane);

    /* A control that could not be moved goes with the nib window: the pane
       treats it as unbound from here on. */
    if (mUserIDEditText.GetControlRef() != NULL &&
        GetControlOwner(mUserIDEditText.GetControlRef()) == nibWindow)
        mUserIDEditText.Detach();
    if (mUserCodeEditText.GetControlRef() != NULL &&
        GetControlOwner(mUserCodeEditText.GetControlRef()) == nibWindow)
        mUserCodeEditText.Detach();
    if (mEnableUserCodeCtrl != NULL && GetControlOwner(mEnableUserCodeCtrl) == nibWindow)
        mEnableUserCodeCtrl = NULL;
    if (mUserCodeLabelCtrl != NULL && GetControlOwner(mUserCodeLabelCtrl) == nibWindow)
        mUserCodeLabelCtrl = NULL;

    EventTypeSpec commandEvent = {kEventClassCommand, kEventCommandProcess};
    InstallEventHandler(GetControlEventTarget(parentUserPane), mCommandHandlerUPP, 1, &commandEvent,
                        this, NULL);

    DisposeWindow(nibWindow);
    DisposeNibReference(nibRef);

    TicketToUI(printSession);
    return noErr;
}

/* An unbound check box reads as off. */
Boolean CJobLogPDE::IsUserCodeEnabled() const {
    return mEnableUserCodeCtrl != NULL && (SInt16)GetControlValue(mEnableUserCodeCtrl) != 0;
}

void CJobLogPDE::UpdateUIState() {
    ControlRef userCodeCtrl = mUserCodeEditText.GetControlRef();
    if (IsUserCodeEnabled()) {
        if (userCodeCtrl != NULL)
            EnableControl(userCodeCtrl);
        if (mUserCodeLabelCtrl != NULL)
            EnableControl(mUserCodeLabelCtrl);
    } else {
        if (userCodeCtrl != NULL)
            DisableControl(userCodeCtrl);
        if (mUserCodeLabelCtrl != NULL)
            DisableControl(mUserCodeLabelCtrl);
    }
    if (mUserIDEditText.GetControlRef() != NULL)
        Draw1Control(mUserIDEditText.GetControlRef());
}

OSStatus CJobLogPDE::OnOpenUI() {
    UpdateUIState();
    ControlRef userIDCtrl = mUserIDEditText.GetControlRef();
    if (userIDCtrl != NULL)
        SetKeyboardFocus(GetControlOwner(userIDCtrl), userIDCtrl, kControlEditTextPart);
    return noErr;
}

OSStatus CJobLogPDE::OnCloseUI() {
    return noErr;
}

/* Appends the title of a summary row and, if there is one, its text. */
static void AppendSummaryRow(CJobLogPDE *pane, CFStringRef key, CFStringRef comment,
                             CEditText &field, CFMutableArrayRef titleArray,
                             CFMutableArrayRef summaryArray) {
    CFStringRef titleStringRef = pane->CopyLocalizedString(key, comment);
    if (titleStringRef == NULL)
        return;
    CFArrayAppendValue(titleArray, titleStringRef);
    CFRelease(titleStringRef);
    CFStringRef summaryStringRef = field.CopyTextAsCFString();
    if (summaryStringRef != NULL) {
        CFArrayAppendValue(summaryArray, summaryStringRef);
        CFRelease(summaryStringRef);
    }
}

OSStatus CJobLogPDE::GetSummaryText(CFMutableArrayRef titleArray, CFMutableArrayRef summaryArray) {
    AppendSummaryRow(this, CFSTR("User ID"), CFSTR("Summary-User ID"), mUserIDEditText, titleArray,
                     summaryArray);
    if (IsUserCodeEnabled())
        AppendSummaryRow(this, CFSTR("User Code"), CFSTR("Summary-User Code"), mUserCodeEditText,
                         titleArray, summaryArray);
    return noErr;
}

OSStatus CJobLogPDE::TicketToUI(PMPrintSession session) {
    PMTicketRef settingsRef = NULL;
    OSStatus status = GetTicketFromSession(session, kPrintSettingsTicketName, &settingsRef);
    if (status != noErr)
        return status;

    CFStringRef userIDRef = NULL;
    if (PMTicketGetCFString(settingsRef, kPMTopLevel, kPMTopLevel, CFSTR(kQuarnUserIDKey),
                            &userIDRef) == noErr &&
        userIDRef != NULL)
        mUserIDEditText.SetText(
            IsValidCode(userIDRef, -1, kJobLogMaxCodeLength, kAlphaNumericFilter) ? userIDRef
                                                                                  : CFSTR(""));

    Boolean enableUserCode = false;
    if (PMTicketGetBoolean(settingsRef, kPMTopLevel, kPMTopLevel, CFSTR(kQuarnEnableUserCodeKey),
                           &enableUserCode) == noErr &&
        mEnableUserCodeCtrl != NULL)
        SetControlValue(mEnableUserCodeCtrl, enableUserCode ? 1 : 0);

    CFStringRef userCodeRef = NULL;
    if (PMTicketGetCFString(settingsRef, kPMTopLevel, kPMTopLevel, CFSTR(kQuarnUserCodeKey),
                            &userCodeRef) == noErr &&
        userCodeRef != NULL)
        mUserCodeEditText.SetText(IsValidCode(userCodeRef, -1, kJobLogMaxCodeLength, kNumericFilter)
                                      ? userCodeRef
                                      : CFSTR(""));

    UpdateUIState();
    return noErr;
}

/* Beep, then a movable caution alert over the dialog, run until dismissed. */
void CJobLogPDE::ShowCautionAlert(const AlertStdCFStringAlertParamRec *alertParam, CFStringRef key,
                                  CFStringRef comment) {
    CFStringRef alertMsgRef = CopyLocalizedString(key, comment);
    DialogRef alertRef = NULL;
    OSStatus created =
        CreateStandardAlert(kAlertCautionAlert, alertMsgRef, NULL, alertParam, &alertRef);
    SysBeep(1);
    if (created == noErr && alertRef != NULL)
        RunStandardAlert(alertRef, NULL, NULL);
    if (alertMsgRef != NULL)
        CFRelease(alertMsgRef);
}

OSStatus CJobLogPDE::UIToTicket(PMPrintSession session) {
    PMTicketRef settingsRef = NULL;
    OSStatus status = GetTicketFromSession(session, kPrintSettingsTicketName, &settingsRef);
    if (status != noErr)
        return status;

    AlertStdCFStringAlertParamRec alertParam;
    memset(&alertParam, 0, sizeof alertParam);
    GetStandardAlertDefaultParams(&alertParam, kStdCFStringAlertVersionOne);
    alertParam.movable = true;
    alertParam.position = kWindowAlertPositionParentWindow;

    CFStringRef userIDRef = mUserIDEditText.CopyTextAsCFString();
    Boolean valid = IsValidCode(userIDRef, 0, kJobLogMaxCodeLength, kAlphaNumericFilter);
    if (!valid) {
        ShowCautionAlert(&alertParam, CFSTR("Enter a valid User ID"),
                         CFSTR("Alert-Displayed when user code is invalid."));
        status = kPMDontSwitchPDEError;
    }

    Boolean enableUserCode = IsUserCodeEnabled();
    CFStringRef userCodeRef = mUserCodeEditText.CopyTextAsCFString();
    if (enableUserCode && !IsValidCode(userCodeRef, 0, kJobLogMaxCodeLength, kNumericFilter)) {
        ShowCautionAlert(&alertParam, CFSTR("Enter a valid User Code"),
                         CFSTR("Alert-Displayed when password is invalid."));
        status = kPMDontSwitchPDEError;
    } else if (valid) {
        CFStringRef client = CFSTR(kQuarnTicketClientID);
        PMTicketSetCFString(settingsRef, client, CFSTR(kQuarnUserIDKey), userIDRef, false);
        PMTicketSetBoolean(settingsRef, client, CFSTR(kQuarnEnableUserCodeKey), enableUserCode,
                           false);
        if (userCodeRef != NULL)
            PMTicketSetCFString(settingsRef, client, CFSTR(kQuarnUserCodeKey), userCodeRef, false);
        PMTicketSetCFString(settingsRef, client, CFSTR(kQuarnJobTypeKey),
                            CFSTR(kQuarnJobTypeNormal), false);
        CFStringRef timeZoneRef = CopyTimeZoneText(time(NULL));
        if (timeZoneRef != NULL) {
            PMTicketSetCFString(settingsRef, client, CFSTR(kQuarnTimeZoneKey), timeZoneRef, false);
            CFRelease(timeZoneRef);
        }
    }

    if (userIDRef != NULL)
        CFRelease(userIDRef);
    if (userCodeRef != NULL)
        CFRelease(userCodeRef);
    return status;
}

/*
 * Whether a text has between minChars and maxChars UTF-16 units (-1 leaves
 * a bound unchecked; with a maximum, never more than 255) and, with a
 * filter, every one of its MacRoman bytes passes the filter.
 */
Boolean CJobLogPDE::IsValidCode(CFStringRef codeStringRef, CFIndex minChars, CFIndex maxChars,
                                KeyFilterProcPtr filterProcPtr) {
    if (codeStringRef == NULL)
        return false;
    CFIndex length = CFStringGetLength(codeStringRef);
    if (minChars != -1 && length < minChars)
        return false;
    if (maxChars != -1 && (length > maxChars || length > 255))
        return false;
    if (filterProcPtr == NULL)
        return true;

    Str255 pascalStr;
    if (!CFStringGetPascalString(codeStringRef, pascalStr, sizeof pascalStr,
                                 kCFStringEncodingMacRoman))
        return false;
    for (int i = 1; i <= pascalStr[0]; i++)
        if (filterProcPtr((SInt16)pascalStr[i]) != kControlKeyFilterPassKey)
            return false;
    return true;
}

/* Every command in the pane area, the check box's among them, refreshes the
   enabled states and then goes on to be handled further up. */
OSStatus CJobLogPDE::CommandHandler(EventHandlerCallRef inHandlerCallRef, EventRef inEvent,
                                    void *inUserData) {
    CJobLogPDE *pane = (CJobLogPDE *)inUserData;
    if (pane != NULL)
        pane->UpdateUIState();
    return CallNextEventHandler(inHandlerCallRef, inEvent);
}

extern "C" void *JobLogPluginFactory(CFAllocatorRef allocator, CFUUIDRef reqTypeID) {
    return PluginFactory(allocator, reqTypeID, CFSTR(kJobLogFactoryIDString), JobLogPrologue);
}

OSStatus JobLogPrologue(PMPDEContext *context, OSType *creator, CFStringRef *userOptionKind,
                        CFStringRef *title, UInt32 *maxH, UInt32 *maxV) {
    CJobLogPDE *pane = new (std::nothrow) CJobLogPDE();
    if (pane == NULL)
        return kPMInvalidPDEContext;

    if (creator != NULL)
        *creator = 0;
    if (userOptionKind != NULL)
        *userOptionKind = CFSTR(kJobLogPaneKind);
    if (maxH != NULL)
        *maxH = kJobLogPaneMaxH;
    if (maxV != NULL)
        *maxV = kJobLogPaneMaxV;

    CFStringRef titleRef =
        pane->CopyLocalizedString(CFSTR("Job Log"), CFSTR("The text of the popup menu"));
    if (titleRef == NULL || title == NULL || context == NULL) {
        if (titleRef != NULL)
            CFRelease(titleRef);
        delete static_cast<CPDEPlugin *>(pane);
        return kPMInvalidPDEContext;
    }
    *title = titleRef;
    *context = (PMPDEContext)(uintptr_t) static_cast<CPDEPlugin *>(pane);
    return noErr;
}
