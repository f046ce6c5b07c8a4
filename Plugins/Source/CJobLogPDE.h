/*
 * CJobLogPDE.h
 *
 * The Job Log pane: a User ID field, a check box that enables a User Code,
 * and the User Code field with its label. It builds itself only for a
 * printer whose PPD names this plug-in, validates what the user typed, and
 * writes the job-log settings into the print-settings ticket.
 */
#ifndef CJOBLOGPDE_H
#define CJOBLOGPDE_H

#include "CEditText.h"
#include "CPDEPlugin.h"
#include "PDEInterface.h"

#define kJobLogBundleID "com.quarn.print.pde.JobLogTQX"
#define kJobLogFactoryIDString "7D3E21A9-4C5B-4E8F-A1D2-6B9C0E4F3A57"
#define kJobLogPaneKind "com.quarn.print.pde.JobLogKindTQX"

/* The pane's size as the prologue hands it to the dialog. */
enum { kJobLogPaneMaxH = 150, kJobLogPaneMaxV = 270 };

/* The nib's control IDs, signature 'jlog'. */
enum {
    kJobLogControlSignature = 0x6A6C6F67, /* 'jlog' */
    kJobLogUserIDControlID = 1,
    kJobLogEnableUserCodeControlID = 4,
    kJobLogUserCodeControlID = 5,
    kJobLogUserCodeLabelControlID = 105
};

/* The longest User ID and User Code. */
enum { kJobLogMaxCodeLength = 8 };

class CJobLogPDE : public CPDEPlugin {
public:
    CJobLogPDE();
    ~CJobLogPDE() override;

    OSStatus CreateUI(PMPDEFlags *flags, PMPDERef ref, ControlRef parentUserPane,
                      PMPrintSession printSession) override;
    OSStatus OnOpenUI() override;
    OSStatus OnCloseUI() override;
    OSStatus GetSummaryText(CFMutableArrayRef titleArray, CFMutableArrayRef summaryArray) override;
    OSStatus TicketToUI(PMPrintSession session) override;
    OSStatus UIToTicket(PMPrintSession session) override;

    void UpdateUIState();
    Boolean IsValidCode(CFStringRef codeStringRef, CFIndex minChars, CFIndex maxChars,
                        KeyFilterProcPtr filterProcPtr);

    static OSStatus CommandHandler(EventHandlerCallRef inHandlerCallRef, EventRef inEvent,
                                   void *inUserData);

private:
    Boolean IsUserCodeEnabled() const;
    void ShowCautionAlert(const AlertStdCFStringAlertParamRec *alertParam, CFStringRef key,
                          CFStringRef comment);

    CEditText mUserIDEditText;
    CEditText mUserCodeEditText;
    ControlRef mEnableUserCodeCtrl;
    [[maybe_unused]] ControlRef mJobTypeCtrl; /* reserved; kept null */
    ControlRef mUserCodeLabelCtrl;
    [[maybe_unused]] MenuRef mJobTypeMenuCtrl; /* reserved; kept null */
    EventHandlerUPP mCommandHandlerUPP;
};

/* The plug-in's entry points: the exported factory and the pane's prologue. */
extern "C" __attribute__((visibility("default"))) void *
JobLogPluginFactory(CFAllocatorRef allocator, CFUUIDRef reqTypeID);
OSStatus JobLogPrologue(PMPDEContext *context, OSType *creator, CFStringRef *userOptionKind,
                        CFStringRef *title, UInt32 *maxH, UInt32 *maxV);

#endif /* CJOBLOGPDE_H */
