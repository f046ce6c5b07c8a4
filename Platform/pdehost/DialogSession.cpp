/*
 * DialogSession.cpp
 *
 * The print dialog's side of the dialog-extension protocol, and the user's
 * actions on the pane.
 */
#include "DialogSession.h"

#include "HostText.h"
#include "PrintTickets.h"

#include <StandIn/CFStandIn.h>
#include <StandIn/HIStandIn.h>
#include <StandIn/PMStandIn.h>
#include <StandIn/PPDStandIn.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <memory>

namespace {

/* The counters of live platform objects, in the order of LiveObjects::counts */
const struct {
    const char *name;
    CFIndex (*count)(void);
} kCounters[] = {{"plug-in instances", CFStandInGetTotalPlugInInstanceCount},
                 {"CF objects", CFStandInGetLiveObjectCount},
                 {"windows", HIStandInGetLiveWindowCount},
                 {"controls", HIStandInGetLiveControlCount},
                 {"events", HIStandInGetLiveEventCount},
                 {"event handlers", HIStandInGetLiveHandlerCount},
                 {"nib references", HIStandInGetLiveNibCount},
                 {"print sessions", PMStandInGetLiveSessionCount},
                 {"tickets", PMStandInGetLiveTicketCount},
                 {"PPD contexts", PPDStandInGetLiveContextCount}};
static_assert(std::size(kCounters) == std::tuple_size_v<decltype(LiveObjects::counts)>);

/* The status the dialog hands Terminate when the user cancels. */
const OSStatus kDialogCancelled = 128;

/* Where the pane area sits in the dialog's window, and the window's place
   on the screen. */
const SInt16 kPaneTop = 40;
const SInt16 kPaneLeft = 20;
const SInt16 kWindowTop = 60;
const SInt16 kWindowLeft = 80;

std::string controlName(const Action &action) {
    return FourCharCodeText(action.signature) + " " + std::to_string(action.id);
}

/* The text a control shows: an edit field's or static text's content, or a
   check box's title. */
std::string controlText(ControlRef control, const std::string &kind) {
    CFStringRef text = nullptr;
    ControlPartCode part = kind == "edittext" ? ControlPartCode(kControlEditTextPart)
                                              : ControlPartCode(kControlEntireControl);
    OSStatus status = kind == "checkbox" ? CopyControlTitleAsCFString(control, &text)
                      : kind == "statictext" || kind == "edittext"
                          ? GetControlData(control, part, kControlEditTextCFStringTag, sizeof text,
                                           &text, nullptr)
                          : static_cast<OSStatus>(errUnknownControl);
    if (status != noErr)
        text = nullptr;
    std::string result = TextOrEmpty(text);
    ReleaseIfAny(text);
    return result;
}

/* The bundle at `path` as a plug-in, and an instance of the dialog-extension
   type from the first factory that makes one. */
void *createInstance(std::string path, CFPlugInFactoryFunction linkedFactory, CFPlugInRef &plugIn,
                     std::string &error) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(
        kCFAllocatorDefault, reinterpret_cast<const UInt8 *>(path.c_str()),
        static_cast<CFIndex>(path.size()), true);
    plugIn = url != nullptr ? CFPlugInCreate(kCFAllocatorDefault, url) : nullptr;
    ReleaseIfAny(url);
    if (plugIn == nullptr) {
        error = "no bundle at " + path;
        return nullptr;
    }
    CFUUIDRef type =
        CFUUIDCreateFromString(kCFAllocatorDefault, CFSTR(kPMPrintingDialogExtensionsPlugInType));
    CFArrayRef factories = type != nullptr ? CFPlugInFindFactoriesForPlugInType(type) : nullptr;
    void *instance = nullptr;
    for (CFIndex i = 0; factories != nullptr && i < CFArrayGetCount(factories) && !instance; i++) {
        auto factory = static_cast<CFUUIDRef>(CFArrayGetValueAtIndex(factories, i));
        instance = linkedFactory != nullptr
                       ? linkedFactory(kCFAllocatorDefault, type)
                       : CFPlugInInstanceCreate(kCFAllocatorDefault, factory, type);
    }
    if (factories == nullptr || CFArrayGetCount(factories) == 0)
        error = "the bundle's Info.plist names no factory for the dialog-extension plug-in "
                "type " kPMPrintingDialogExtensionsPlugInType;
    else if (instance == nullptr)
        error = "the factory made no instance of the dialog-extension type";
    ReleaseIfAny(factories);
    ReleaseIfAny(type);
    return instance;
}

/* Performs the actions until a print succeeds, the script ends or a line
   is wrong; reading them from the terminal when there is no script, where
   wrong lines are reported and skipped. */
int runActions(DialogSession &dialog, const std::vector<Action> *actions, bool &printed) {
    std::string line;
    for (size_t next = 0; dialog.IsOpen() && (!actions || next < actions->size()); next++) {
        ParsedLine parsed;
        if (actions != nullptr) {
            parsed.action = (*actions)[next];
        } else {
            std::fputs("pdehost> ", stderr);
            std::fflush(stderr);
            if (!std::getline(std::cin, line))
                break;
            parsed = ParseScriptLine(line, static_cast<int>(next) + 1);
        }
        DialogSession::Outcome outcome = DialogSession::Outcome::Continue;
        if (parsed.action)
            outcome = dialog.Perform(*parsed.action, parsed.error);
        if (!parsed.error.empty())
            Complain(parsed.error, parsed.action ? parsed.action->line : int(next) + 1);
        if (actions != nullptr && outcome == DialogSession::Outcome::BadArgument)
            return kExitUsage;
        printed = outcome == DialogSession::Outcome::Printed;
    }
    if (actions == nullptr)
        std::fputs("\n", stderr);
    return kExitDone;
}

} // namespace

DialogSession::~DialogSession() {
    closeDialog(kDialogCancelled);
}

void DialogSession::writePicture(const std::string &path) {
    if (!path.empty() && mWindow != nullptr &&
        HIStandInWriteWindowPicture(mWindow, path.c_str()) != noErr)
        Complain("cannot write the picture " + path);
}

bool DialogSession::Start(void *instance, PMPrintSession session, std::string &error) {
    mSession = session;
    mInstance = instance;
    CFUUIDRef interfaceID =
        CFUUIDCreateFromString(kCFAllocatorDefault, CFSTR(kPMPrintingDialogExtensionsIntfIDStr));
    IUnknownVTbl *unknown = *static_cast<IUnknownVTbl **>(mInstance);
    void *interface = nullptr;
    HRESULT result = E_OUTOFMEMORY;
    if (interfaceID != nullptr) {
        result = unknown->QueryInterface(mInstance, CFUUIDGetUUIDBytes(interfaceID), &interface);
        CFRelease(interfaceID);
    }
    if (result != S_OK || interface == nullptr) {
        unknown->Release(mInstance);
        mInstance = nullptr;
        error = "the instance offers no dialog-extension interface";
        return false;
    }
    mInterface = static_cast<PlugInIntf *>(interface);

    // The toolbox's reports of a beep and of an alert; the default button
    // answers an alert.
    HIStandInObserver observer = {
        this,
        [](void *refcon, short) { static_cast<DialogSession *>(refcon)->mEvents.Line("beep"); },
        [](void *refcon, AlertType type, CFStringRef message, CFStringRef explanation) {
            auto *dialog = static_cast<DialogSession *>(refcon);
            static const char *const kKinds[] = {"stop", "note", "caution", "plain"}; // kAlert...
            std::string line = "alert " +
                               std::string(type >= 0 && type < 4 ? kKinds[type] : "unknown") + " " +
                               QuoteEventText(TextOrEmpty(message));
            if (explanation != nullptr)
                line += " " + QuoteEventText(TextOrEmpty(explanation));
            dialog->mEvents.Line(line);
            dialog->writePicture(dialog->mAlertPicture);
            dialog->mAlertPicture.clear();
            if (dialog->mPresentAlert != nullptr)
                dialog->mPresentAlert(TextOrEmpty(message));
            return DialogItemIndex(kAlertStdAlertOKButton);
        }};
    HIStandInSetObserver(&observer); // copied
    mOpen = true;

    auto *headerInterface = reinterpret_cast<PMPlugInHeaderInterface *>(mInterface);
    mInterface->vtable->plugInHeader.Retain(headerInterface);
    PMPlugInAPIVersion version = {};
    mInterface->vtable->plugInHeader.GetAPIVersion(headerInterface, &version);

    OSType creator = 0;
    CFStringRef kind = nullptr;
    CFStringRef title = nullptr;
    UInt32 maxH = 0;
    UInt32 maxV = 0;
    OSStatus status =
        mInterface->vtable->Prologue(&mContext, &creator, &kind, &title, &maxH, &maxV);
    mEvents.Status("prologue", status);
    ReleaseIfAny(title); // handed to the dialog with ownership
    if (status != noErr)
        return true; // no pane, and no context to terminate
    mHasContext = true;

    // The window, and in it the pane area, which shows only while the pane
    // is open.
    const UInt32 kLargest = 30000;
    auto width = static_cast<SInt16>(std::min(maxH, kLargest));
    auto height = static_cast<SInt16>(std::min(maxV, kLargest));
    Rect content = {kWindowTop, kWindowLeft, SInt16(kWindowTop + kPaneTop + height + kPaneTop),
                    SInt16(kWindowLeft + kPaneLeft + width + kPaneLeft)};
    Rect pane = {kPaneTop, kPaneLeft, SInt16(kPaneTop + height), SInt16(kPaneLeft + width)};
    status = CreateNewWindow(kMovableModalWindowClass, kWindowNoAttributes, &content, &mWindow);
    if (status == noErr)
        status = CreateUserPaneControl(mWindow, &pane, kControlSupportsEmbedding, &mUserPane);
    if (status != noErr) {
        if (mWindow != nullptr)
            DisposeWindow(mWindow);
        mWindow = nullptr;
        mUserPane = nullptr;
        Complain("cannot make the pane area: status " + std::to_string(status));
        return true;
    }
    SetControlVisibility(mUserPane, false, false);
    PMPDEFlags flags = kPMPDENoFlags;
    status = mInterface->vtable->Initialize(mContext, &flags, 0, mUserPane, mSession);
    mEvents.Status("initialize", status);
    mPaneBuilt = status == noErr;
    return true;
}

void DialogSession::closeDialog(OSStatus dialogStatus) {
    if (!mOpen)
        return;
    mOpen = false;
    writePicture(mClosingPicture);
    // The pane area goes first, with the controls and every handler
    // installed on them; the pane relies on that happening no later than
    // Terminate deletes it.
    if (mWindow != nullptr)
        DisposeWindow(mWindow);
    mWindow = nullptr;
    mUserPane = nullptr;
    mPaneBuilt = false;

    if (mHasContext) {
        OSStatus status = mInterface->vtable->Terminate(mContext, dialogStatus);
        mEvents.Status("terminate", status);
        mHasContext = false;
        mContext = nullptr;
    }
    // One release for the reference taken with Retain, one for the
    // reference QueryInterface handed out; Release clears the pointer.
    auto release = mInterface->vtable->plugInHeader.Release;
    PlugInIntf *retained = mInterface;
    release(reinterpret_cast<PMPlugInHeaderInterface **>(&retained));
    release(reinterpret_cast<PMPlugInHeaderInterface **>(&mInterface));
    IUnknownVTbl *unknown = *static_cast<IUnknownVTbl **>(mInstance);
    unknown->Release(mInstance);
    mInstance = nullptr;
    HIStandInSetObserver(nullptr);
}

OSStatus DialogSession::callSync(Boolean direction) {
    OSStatus status = mInterface->vtable->Sync(mContext, mSession, direction);
    mEvents.Status(direction == kSyncDirectionSetTickets ? "sync-tickets" : "sync-ui", status);
    return status;
}

bool DialogSession::findControl(const Action &action, ControlRef &control, std::string &error) {
    ControlID id = {action.signature, action.id};
    control = nullptr;
    if (mWindow == nullptr || GetControlByID(mWindow, &id, &control) != noErr ||
        control == nullptr) {
        error = "there is no control " + controlName(action) + " in the pane";
        return false;
    }
    return true;
}

void DialogSession::summary() {
    CFArrayRef titles = nullptr;
    CFArrayRef texts = nullptr;
    OSStatus status = mInterface->vtable->GetSummaryText(mContext, &titles, &texts);
    mEvents.Status("summary", status);
    if (status == noErr) {
        CFIndex titleCount = titles != nullptr ? CFArrayGetCount(titles) : 0;
        CFIndex textCount = texts != nullptr ? CFArrayGetCount(texts) : 0;
        for (CFIndex i = 0; i < std::max(titleCount, textCount); i++) {
            auto at = [i](CFArrayRef array, CFIndex count) {
                CFTypeRef value = i < count ? CFArrayGetValueAtIndex(array, i) : nullptr;
                if (value == nullptr || CFGetTypeID(value) != CFStringGetTypeID())
                    return std::string();
                return TextOrEmpty(static_cast<CFStringRef>(value));
            };
            mEvents.Line("summary " + QuoteEventText(at(titles, titleCount)) + " " +
                         QuoteEventText(at(texts, textCount)));
        }
    }
    ReleaseIfAny(titles);
    ReleaseIfAny(texts);
}

/* The `control` line of every control embedded in `parent`, each followed
   by those embedded in it. */
void DialogSession::showChildren(ControlRef parent) {
    UInt16 count = 0;
    if (parent == nullptr || CountSubControls(parent, &count) != noErr)
        return;
    for (UInt16 index = 1; index <= count; index++) {
        ControlRef control = nullptr;
        if (GetIndexedSubControl(parent, index, &control) != noErr || control == nullptr)
            continue;
        ControlID id = {0, 0};
        if (GetControlID(control, &id) != noErr)
            id = {0, 0};
        const char *kindName = HIStandInGetControlKindName(control);
        std::string kind = kindName != nullptr ? kindName : "unknown";
        ControlRef focused = nullptr;
        bool hasFocus = GetKeyboardFocus(mWindow, &focused) == noErr && focused == control;
        Rect bounds = {0, 0, 0, 0};
        GetControlBounds(control, &bounds);
        auto yesNo = [](bool flag) { return flag ? std::string("yes") : std::string("no"); };
        mEvents.Line("control " + FourCharCodeText(id.signature) + " " + std::to_string(id.id) +
                     " " + kind + " value=" + std::to_string(GetControl32BitValue(control)) +
                     " enabled=" + yesNo(IsControlEnabled(control)) +
                     " visible=" + yesNo(IsControlVisible(control)) + " focus=" + yesNo(hasFocus) +
                     " bounds=" + std::to_string(bounds.top) + "," + std::to_string(bounds.left) +
                     "," + std::to_string(bounds.bottom) + "," + std::to_string(bounds.right) +
                     " text=" + QuoteEventText(controlText(control, kind)));
        showChildren(control);
    }
}

DialogSession::Outcome DialogSession::Perform(const Action &action, std::string &error) {
    if (!mOpen)
        return Outcome::Continue;

    CFStringRef text = nullptr;
    if (action.kind == ActionKind::Type || action.kind == ActionKind::Drop ||
        action.kind == ActionKind::Clipboard || action.kind == ActionKind::CommandKey) {
        text = CreateCFStringFromText(action.text);
        if (text == nullptr) {
            error = "the text is not UTF-8";
            return Outcome::BadArgument;
        }
    }
    std::unique_ptr<const __CFString, void (*)(CFTypeRef)> releaser(text, CFRelease);

    OSStatus status = noErr;
    std::string what; /* the action, for a note when it is refused */
    ControlRef control = nullptr;
    switch (action.kind) {
    case ActionKind::Open:
        if (mPaneBuilt) {
            ShowControl(mUserPane);
            mEvents.Status("open", mInterface->vtable->Open(mContext));
        }
        break;
    case ActionKind::Close:
        if (mPaneBuilt) {
            mEvents.Status("close", mInterface->vtable->Close(mContext));
            HideControl(mUserPane);
        }
        break;
    case ActionKind::Focus: {
        if (!findControl(action, control, error))
            return Outcome::BadArgument;
        const char *kindName = HIStandInGetControlKindName(control);
        std::string kind = kindName != nullptr ? kindName : "";
        status = SetKeyboardFocus(mWindow, control,
                                  kind == "edittext"
                                      ? static_cast<ControlFocusPart>(kControlEditTextPart)
                                      : static_cast<ControlFocusPart>(kControlFocusNextPart));
        what = "focus " + controlName(action);
        break;
    }
    case ActionKind::Type:
        status = HIStandInTypeText(text);
        what = "type";
        break;
    case ActionKind::Key: {
        static const UniChar kKeys[] = {
            kBackspaceCharCode,  kDeleteCharCode, kLeftArrowCharCode,
            kRightArrowCharCode, kHomeCharCode,   kEndCharCode,
            kTabCharCode,        kReturnCharCode, kEscapeCharCode}; // KeyName's order
        status = HIStandInTypeCharacter(kKeys[static_cast<int>(action.key)], 0);
        what = "key";
        break;
    }
    case ActionKind::CommandKey:
        if (CFStringGetLength(text) != 1) {
            error = "key cmd- needs a character of one UTF-16 unit";
            return Outcome::BadArgument;
        }
        status = HIStandInTypeCharacter(CFStringGetCharacterAtIndex(text, 0), cmdKey);
        what = "key";
        break;
    case ActionKind::Select: {
        ControlEditTextSelectionRec selection;
        selection.selStart = static_cast<SInt16>(action.selectionStart);
        selection.selEnd = static_cast<SInt16>(action.selectionEnd);
        control = HIStandInGetFocusedControl();
        status = control == nullptr
                     ? static_cast<OSStatus>(errUnknownControl)
                     : SetControlData(control, kControlEditTextPart, kControlEditTextSelectionTag,
                                      sizeof selection, &selection);
        what = "select";
        break;
    }
    case ActionKind::Clipboard:
    case ActionKind::ClipboardEmpty:
        status = HIStandInSetClipboardText(text);
        what = "clipboard";
        break;
    case ActionKind::Paste:
        status = HIStandInPaste();
        what = "paste";
        break;
    case ActionKind::Drop:
        status = HIStandInDropText(text);
        what = "drop";
        break;
    case ActionKind::Click:
        if (!findControl(action, control, error))
            return Outcome::BadArgument;
        status = HIStandInClickControl(control);
        what = "click " + controlName(action);
        break;
    case ActionKind::SyncUI:
        if (mPaneBuilt)
            callSync(kSyncDirectionSetUserInterface);
        break;
    case ActionKind::SyncTickets:
        if (mPaneBuilt)
            callSync(kSyncDirectionSetTickets);
        break;
    case ActionKind::Summary:
        if (mPaneBuilt)
            summary();
        break;
    case ActionKind::Show:
        showChildren(mUserPane);
        break;
    case ActionKind::Print:
        // The Print button: the pane must take the settings first; a pane
        // that refuses keeps the dialog open.
        if (mPaneBuilt && callSync(kSyncDirectionSetTickets) != noErr)
            break;
        closeDialog(noErr);
        return Outcome::Printed;
    case ActionKind::Snapshot:
        status = mWindow != nullptr ? HIStandInWriteWindowPicture(mWindow, action.text.c_str())
                                    : static_cast<OSStatus>(errInvalidWindowRef);
        what = "snapshot " + action.text;
        break;
    case ActionKind::SnapshotAlert:
        mAlertPicture = action.text;
        break;
    }
    // What the user's action runs into without being wrong is only noted;
    // keys the focused control turns down are no news.
    bool typing = action.kind == ActionKind::Type || action.kind == ActionKind::Key ||
                  action.kind == ActionKind::CommandKey || action.kind == ActionKind::Paste;
    if ((typing || action.kind == ActionKind::Select) && status == errUnknownControl)
        Complain(what + ": no control has the keyboard focus", action.line);
    else if (!typing && status != noErr && !what.empty())
        Complain(what + " refused: status " + std::to_string(status), action.line);
    return Outcome::Continue;
}

LiveObjects LiveObjects::Now() {
    LiveObjects now;
    for (size_t i = 0; i < std::size(kCounters); i++)
        now.counts[i] = kCounters[i].count();
    return now;
}

std::string LiveObjects::Differences(const LiveObjects &earlier, const LiveObjects &later) {
    std::string differences;
    for (size_t i = 0; i < std::size(kCounters); i++)
        if (earlier.counts[i] != later.counts[i])
            differences += (differences.empty() ? "" : ", ") + std::string(kCounters[i].name) +
                           " " + std::to_string(earlier.counts[i]) + " -> " +
                           std::to_string(later.counts[i]);
    return differences;
}

int RunDialog(const HostOptions &options, const std::vector<Action> *actions, EventWriter &events,
              CFPlugInFactoryFunction linkedFactory, DialogDriver driver) {
    if (!options.language.empty())
        setenv("LANGUAGE", options.language.c_str(), 1); /* read by the bundle's lookups */
    LiveObjects before = LiveObjects::Now();
    PrintTickets tickets;
    CFPlugInRef plugIn = nullptr;
    std::string error;
    int status = kExitFailed;
    bool printed = false;
    if (CreatePrintTickets(options.ppd, options.settings, tickets, error)) {
        std::string path = options.plugin;
        if (path.empty())
            path = ReadDialogExtensionPath(tickets.printerInfo, error);
        void *instance =
            path.empty() ? nullptr : createInstance(path, linkedFactory, plugIn, error);
        DialogSession dialog(events, options.snapshot); // cancelled here when still open
        if (instance != nullptr && dialog.Start(instance, tickets.session, error))
            status =
                driver != nullptr ? driver(dialog, printed) : runActions(dialog, actions, printed);
    }
    if (!error.empty())
        Complain(error);
    if (printed)
        status = PrintJob(options, tickets.printSettings, events);
    if (!events.Good()) {
        Complain("cannot write the events to standard output");
        status = kExitFailed;
    }
    ReleasePrintTickets(tickets);
    ReleaseIfAny(plugIn); // the executable stays loaded, as on the platform
    std::string leftOver = LiveObjects::Differences(before, LiveObjects::Now());
    if (!leftOver.empty()) {
        Complain("the dialog left platform objects behind: " + leftOver);
        return kExitLeaked;
    }
    return status;
}
