/*
 * DialogSession.cpp
 *
 * The print dialog's side of the dialog-extension protocol, and the user's
 * actions on the pane.
 */
#include "DialogSession.h"

#include "HostText.h"

#include <StandIn/HIStandIn.h>

#include <algorithm>
#include <memory>

namespace {

/* The status the dialog hands Terminate when the user cancels. */
const OSStatus kDialogCancelled = 128;

/* Where the pane area sits in the dialog's window, and the window's place
   on the screen. */
const SInt16 kPaneTop = 40;
const SInt16 kPaneLeft = 20;
const SInt16 kWindowTop = 60;
const SInt16 kWindowLeft = 80;

const char *alertKindName(AlertType type) {
    static const char *const kNames[] = {"stop", "note", "caution", "plain"}; // kAlert...Alert
    return type >= 0 && type < 4 ? kNames[type] : "unknown";
}

void observeBeep(void *refcon, short) {
    static_cast<DialogSession *>(refcon)->Events().Beep();
}

const PMPlugInHeader &header(PlugInIntf *interface) {
    return interface->vtable->plugInHeader;
}

HIStandInKey standInKey(KeyName key) {
    static const HIStandInKey kKeys[] = {
        kHIStandInKeyBackspace, kHIStandInKeyDelete, kHIStandInKeyLeft,
        kHIStandInKeyRight,     kHIStandInKeyHome,   kHIStandInKeyEnd,
        kHIStandInKeyTab,       kHIStandInKeyReturn, kHIStandInKeyEscape}; // in KeyName's order
    return kKeys[static_cast<int>(key)];
}

std::string controlName(const Action &action) {
    return FourCharCodeText(action.signature) + " " + std::to_string(action.id);
}

/* The text a control shows: an edit field's or static text's content, or a
   check box's title. */
std::string controlText(ControlRef control, const char *kind) {
    std::string name = kind != nullptr ? kind : "";
    CFStringRef text = nullptr;
    if (name == "edittext" || name == "password" || name == "statictext") {
        ControlPartCode part = kControlEditTextPart;
        if (name == "statictext")
            part = kControlEntireControl;
        ResType tag =
            name == "password" ? kControlEditTextPasswordCFStringTag : kControlEditTextCFStringTag;
        if (GetControlData(control, part, tag, sizeof text, &text, nullptr) != noErr)
            text = nullptr;
    } else if (name == "checkbox") {
        if (CopyControlTitleAsCFString(control, &text) != noErr)
            text = nullptr;
    }
    std::string result = TextOrEmpty(text);
    if (text != nullptr)
        CFRelease(text);
    return result;
}

} // namespace

DialogItemIndex observeAlert(void *refcon, AlertType type, CFStringRef message,
                             CFStringRef explanation) {
    auto *dialog = static_cast<DialogSession *>(refcon);
    std::optional<std::string> explanationText;
    if (explanation != nullptr)
        explanationText = TextOrEmpty(explanation);
    dialog->mEvents.Alert(alertKindName(type), TextOrEmpty(message), explanationText);
    if (!dialog->mAlertPicture.empty() && dialog->mWindow != nullptr &&
        HIStandInWriteWindowPicture(dialog->mWindow, dialog->mAlertPicture.c_str()) != noErr)
        Complain("cannot write the picture " + dialog->mAlertPicture);
    dialog->mAlertPicture.clear();
    if (dialog->mPresentAlert != nullptr)
        dialog->mPresentAlert(dialog->mPresentRefcon, TextOrEmpty(message));
    return kAlertStdAlertOKButton; // the default button answers
}

DialogSession::DialogSession(EventWriter &events) : mEvents(events) {}

DialogSession::~DialogSession() {
    Cancel();
}

void DialogSession::note(const std::string &text) {
    Complain("line " + std::to_string(mLine) + ": " + text);
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

    static HIStandInObserver observer;
    observer.refcon = this;
    observer.beep = observeBeep;
    observer.alert = observeAlert;
    HIStandInSetObserver(&observer);
    mOpen = true;

    auto *headerInterface = reinterpret_cast<PMPlugInHeaderInterface *>(mInterface);
    header(mInterface).Retain(headerInterface);
    mRetained = mInterface;
    PMPlugInAPIVersion version = {};
    header(mInterface).GetAPIVersion(headerInterface, &version);

    OSType creator = 0;
    CFStringRef kind = nullptr;
    CFStringRef title = nullptr;
    UInt32 maxH = 0;
    UInt32 maxV = 0;
    OSStatus status =
        mInterface->vtable->Prologue(&mContext, &creator, &kind, &title, &maxH, &maxV);
    mEvents.Status("prologue", status);
    if (title != nullptr)
        CFRelease(title); // handed to the dialog with ownership
    if (status != noErr)
        return true; // no pane, and no context to terminate
    mHasContext = true;

    status = createPaneArea(maxH, maxV);
    if (status != noErr) {
        Complain("cannot make the pane area: status " + std::to_string(status));
        return true;
    }
    PMPDEFlags flags = kPMPDENoFlags;
    status = mInterface->vtable->Initialize(mContext, &flags, 0, mUserPane, mSession);
    mEvents.Status("initialize", status);
    mPaneBuilt = status == noErr;
    return true;
}

OSStatus DialogSession::createPaneArea(UInt32 width, UInt32 height) {
    const UInt32 kLargest = 30000;
    SInt16 paneWidth = static_cast<SInt16>(std::min(width, kLargest));
    SInt16 paneHeight = static_cast<SInt16>(std::min(height, kLargest));
    Rect content = {kWindowTop, kWindowLeft,
                    static_cast<SInt16>(kWindowTop + kPaneTop + paneHeight + kPaneTop),
                    static_cast<SInt16>(kWindowLeft + kPaneLeft + paneWidth + kPaneLeft)};
    OSStatus status =
        CreateNewWindow(kMovableModalWindowClass, kWindowNoAttributes, &content, &mWindow);
    if (status != noErr) {
        mWindow = nullptr;
        return status;
    }
    Rect pane = {kPaneTop, kPaneLeft, static_cast<SInt16>(kPaneTop + paneHeight),
                 static_cast<SInt16>(kPaneLeft + paneWidth)};
    status = CreateUserPaneControl(mWindow, &pane, kControlSupportsEmbedding, &mUserPane);
    if (status != noErr) {
        DisposeWindow(mWindow);
        mWindow = nullptr;
        mUserPane = nullptr;
        return status;
    }
    // The pane area shows only while the pane is open.
    SetControlVisibility(mUserPane, false, false);
    return noErr;
}

void DialogSession::closeDialog(OSStatus dialogStatus) {
    if (!mOpen)
        return;
    mOpen = false;
    if (!mClosingPicture.empty() && mWindow != nullptr &&
        HIStandInWriteWindowPicture(mWindow, mClosingPicture.c_str()) != noErr)
        Complain("cannot write the picture " + mClosingPicture);
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
    auto release = header(mInterface).Release;
    release(reinterpret_cast<PMPlugInHeaderInterface **>(&mRetained));
    release(reinterpret_cast<PMPlugInHeaderInterface **>(&mInterface));
    IUnknownVTbl *unknown = *static_cast<IUnknownVTbl **>(mInstance);
    unknown->Release(mInstance);
    mInstance = nullptr;
    HIStandInSetObserver(nullptr);
}

void DialogSession::Cancel() {
    closeDialog(kDialogCancelled);
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
            mEvents.Summary(at(titles, titleCount), at(texts, textCount));
        }
    }
    if (titles != nullptr)
        CFRelease(titles);
    if (texts != nullptr)
        CFRelease(texts);
}

void DialogSession::showControl(ControlRef control) {
    ControlState state;
    ControlID id = {0, 0};
    if (GetControlID(control, &id) == noErr) {
        state.signature = id.signature;
        state.id = id.id;
    }
    const char *kind = HIStandInGetControlKindName(control);
    state.kind = kind != nullptr ? kind : "unknown";
    state.value = GetControl32BitValue(control);
    state.enabled = IsControlEnabled(control);
    state.visible = IsControlVisible(control);
    ControlRef focused = nullptr;
    state.focused = GetKeyboardFocus(mWindow, &focused) == noErr && focused == control;
    Rect bounds = {0, 0, 0, 0};
    GetControlBounds(control, &bounds);
    state.top = bounds.top;
    state.left = bounds.left;
    state.bottom = bounds.bottom;
    state.right = bounds.right;
    state.text = controlText(control, kind);
    mEvents.Control(state);

    showChildren(control);
}

void DialogSession::showChildren(ControlRef parent) {
    UInt16 count = 0;
    if (parent == nullptr || CountSubControls(parent, &count) != noErr)
        return;
    for (UInt16 index = 1; index <= count; index++) {
        ControlRef child = nullptr;
        if (GetIndexedSubControl(parent, index, &child) == noErr && child != nullptr)
            showControl(child);
    }
}

DialogSession::Outcome DialogSession::Perform(const Action &action, std::string &error) {
    mLine = action.line;
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
                                  kind == "edittext" || kind == "password"
                                      ? static_cast<ControlFocusPart>(kControlEditTextPart)
                                      : static_cast<ControlFocusPart>(kControlFocusNextPart));
        what = "focus " + controlName(action);
        break;
    }
    case ActionKind::Type:
        status = HIStandInTypeText(text);
        what = "type";
        break;
    case ActionKind::Key:
        status = HIStandInPressKey(standInKey(action.key), 0);
        what = "key";
        break;
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
        note(what + ": no control has the keyboard focus");
    else if (!typing && status != noErr && !what.empty())
        note(what + " refused: status " + std::to_string(status));
    return Outcome::Continue;
}
