/*
 * DialogMonkey.cpp
 *
 * The Job Log pane's monkey: random actions through pdehost's dialog
 * session, a model of what the pane promises, and a check after every
 * action. The state is read from the controls with the toolbox's own
 * calls; the ticket with the printing framework's.
 */
#include "DialogMonkey.h"

#include "BundleLoader.h"
#include "CJobLogPDE.h"
#include "HostRoad.h"
#include "HostText.h"

#include <QuarnSettingsKeys.h>
#include <StandIn/CFStandIn.h>
#include <StandIn/HIStandIn.h>
#include <StandIn/PMStandIn.h>

#include <deque>
#include <memory>
#include <random>
#include <sstream>

namespace {

const UInt32 kSignature = 0x6A6C6F67; // 'jlog'
const SInt32 kUserIDField = 1, kCheckBox = 4, kUserCodeField = 5, kUserCodeLabel = 105;
const char *const kOtherClient = "com.example.presets";

/* ---- Random input ------------------------------------------------------ */

class Dice {
public:
    explicit Dice(unsigned long seed) : mEngine(static_cast<std::mt19937::result_type>(seed)) {}
    /* 0 .. n-1; the same sequence on every platform for a seed. */
    unsigned Below(unsigned n) { return static_cast<unsigned>(mEngine() % n); }
    bool Chance(unsigned percent) { return Below(100) < percent; }
    template <typename T, size_t N> const T &Pick(const T (&items)[N]) { return items[Below(N)]; }

private:
    std::mt19937 mEngine;
};

void appendUTF8(std::string &text, char32_t code) {
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | (code >> 6));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (code >> 18));
        text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}

/* One character, drawn so that the valid ones come often and every kind of
   trouble comes now and then: ASCII punctuation and control characters
   (which the edit text treats as keys), letters with a MacRoman form,
   characters without one (wide digits, Cyrillic, CJK, the replacement
   character, a byte-order mark), characters beyond the BMP (surrogate
   pairs), and the zero character. */
char32_t randomCharacter(Dice &dice) {
    static const char32_t kPunctuation[] = {' ', '-', '_', '.', '@', '"',  '\\', '/', '%', '(',
                                            ')', '{', '}', '=', '~', '\'', '#',  '+', '*', '!'};
    static const char32_t kControl[] = {0x01, 0x08, 0x09, 0x0A, 0x0D, 0x1B,
                                        0x1C, 0x1D, 0x1E, 0x1F, 0x7F, 0x03};
    static const char32_t kMacRoman[] = {0xE9,  0xDF,   0xFC, 0xC5, 0xF1,
                                         0x3A9, 0x2022, 0xB5, 0xB2, 0xA0};
    static const char32_t kOtherBMP[] = {0xFF11, 0xFF21, 0x0416, 0x6F22, 0xFFFD,
                                         0xFEFF, 0x0661, 0x00BD, 0x2167, 0xD55C};
    static const char32_t kBeyondBMP[] = {0x1F600, 0x1D7D9, 0x2000B, 0x10FFFD, 0x1D400};
    unsigned roll = dice.Below(100);
    if (roll < 25)
        return dice.Below(2) ? U'a' + dice.Below(26) : U'A' + dice.Below(26);
    if (roll < 50)
        return U'0' + dice.Below(10);
    if (roll < 60)
        return dice.Pick(kPunctuation);
    if (roll < 66)
        return dice.Pick(kControl);
    if (roll < 76)
        return dice.Pick(kMacRoman);
    if (roll < 88)
        return dice.Pick(kOtherBMP);
    if (roll < 98)
        return dice.Pick(kBeyondBMP);
    return 0;
}

/* A text of up to `longest` characters: one in five all digits and one in
   five all letters and digits (each with a rare stray character), so that
   pastes reach the limits; the rest drawn from every kind. */
std::string randomText(Dice &dice, unsigned longest) {
    std::string text;
    unsigned length = dice.Below(longest + 1);
    unsigned kind = dice.Below(5);
    for (unsigned i = 0; i < length; i++) {
        char32_t c = randomCharacter(dice);
        if (kind == 0 && !dice.Chance(3))
            c = U'0' + dice.Below(10);
        else if (kind == 1 && !dice.Chance(3))
            c = dice.Below(3) == 0 ? U'0' + dice.Below(10) : U'a' + dice.Below(26);
        appendUTF8(text, c);
    }
    return text;
}

/* A script-like line for the report; bytes outside printable ASCII as \xNN. */
std::string describe(const Action &action) {
    static const char *const kKinds[] = {
        "open",    "close",        "focus",     "type",  "key",  "key cmd-",
        "select",  "clipboard",    "clipboard", "paste", "drop", "click",
        "sync ui", "sync tickets", "summary",   "show",  "print"};
    static const char *const kKeys[] = {"backspace", "delete", "left",   "right", "home",
                                        "end",       "tab",    "return", "escape"};
    std::ostringstream line;
    line << kKinds[static_cast<int>(action.kind)];
    switch (action.kind) {
    case ActionKind::Focus:
    case ActionKind::Click:
        line << " jlog " << action.id;
        break;
    case ActionKind::Key:
        line << " " << kKeys[static_cast<int>(action.key)];
        break;
    case ActionKind::Select:
        line << " " << action.selectionStart << " " << action.selectionEnd;
        break;
    default:
        break;
    }
    if (!action.text.empty()) {
        line << (action.kind == ActionKind::CommandKey ? "" : " ");
        for (unsigned char c : action.text) {
            if (c >= 0x20 && c < 0x7F && c != '\\') {
                line << c;
            } else {
                static const char kHex[] = "0123456789abcdef";
                line << "\\x" << kHex[c >> 4] << kHex[c & 15];
            }
        }
    }
    return line.str();
}

/* ---- What the pane promises --------------------------------------------- */

bool validText(const std::u16string &text, bool digitsOnly) {
    if (text.size() > 8)
        return false;
    for (char16_t c : text) {
        bool digit = c >= u'0' && c <= u'9';
        bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        if (!digit && (digitsOnly || !letter))
            return false;
    }
    return true;
}

std::u16string units(CFStringRef string) {
    std::u16string text;
    if (string == nullptr)
        return text;
    text.resize(static_cast<size_t>(CFStringGetLength(string)));
    CFStringGetCharacters(string, CFRangeMake(0, CFStringGetLength(string)),
                          reinterpret_cast<UniChar *>(text.data()));
    return text;
}

CFStringRef createString(const std::u16string &text) {
    return CFStringCreateWithCharacters(kCFAllocatorDefault,
                                        reinterpret_cast<const UniChar *>(text.data()),
                                        static_cast<CFIndex>(text.size()));
}

/* The state of the pane's controls. */
struct PaneState {
    std::u16string userID, userCode;
    bool userIDReadable = false, userCodeReadable = false;
    bool checkBox = false;
    bool codeEnabled = false, labelEnabled = false;
    ControlRef focus = nullptr;
};

/* One ticket item. */
struct Item {
    std::string key, client;
    bool locked = false;
    bool isString = false, isBoolean = false;
    std::u16string text;
    bool boolean = false;
    bool operator==(const Item &) const = default;
};

std::vector<Item> snapshot(PMTicketRef ticket) {
    std::vector<Item> items;
    CFIndex count = PMStandInTicketGetItemCount(ticket);
    for (CFIndex i = 0; i < count; i++) {
        CFStringRef key = nullptr, client = nullptr;
        CFTypeRef value = nullptr;
        Boolean locked = false;
        Item item;
        if (PMStandInTicketGetItemAtIndex(ticket, i, &key, &value, &client, &locked) != noErr) {
            item.key = "<unreadable>";
        } else {
            item.key = TextOrEmpty(key);
            item.client = TextOrEmpty(client);
            item.locked = locked;
            if (value != nullptr && CFGetTypeID(value) == CFStringGetTypeID()) {
                item.isString = true;
                item.text = units(static_cast<CFStringRef>(value));
            } else if (value != nullptr && CFGetTypeID(value) == CFBooleanGetTypeID()) {
                item.isBoolean = true;
                item.boolean = CFBooleanGetValue(static_cast<CFBooleanRef>(value));
            }
        }
        items.push_back(item);
    }
    return items;
}

const Item *findItem(const std::vector<Item> &items, const std::string &key) {
    for (const Item &item : items)
        if (item.key == key)
            return &item;
    return nullptr;
}

void setItem(std::vector<Item> &items, const Item &item) {
    for (Item &existing : items)
        if (existing.key == item.key) {
            existing = item;
            return;
        }
    items.push_back(item);
}

std::string utf8(const std::u16string &text) {
    CFStringRef string = createString(text);
    std::string result = TextOrEmpty(string);
    if (string != nullptr)
        CFRelease(string);
    return result;
}

std::string quoted(const std::u16string &text) {
    return QuoteEventText(utf8(text));
}

int countLines(const std::string &events, const std::string &prefix) {
    int n = 0;
    std::istringstream lines(events);
    for (std::string line; std::getline(lines, line);)
        if (line.compare(0, prefix.size(), prefix) == 0)
            n++;
    return n;
}

/* ---- The monkey --------------------------------------------------------- */

class Monkey {
public:
    explicit Monkey(const MonkeyOptions &options) : mOptions(options), mDice(options.seed) {}

    MonkeyReport Run() {
        HIStandInSetClipboardText(nullptr); // the clipboard outlives dialogs
        LiveObjects before = LiveObjects::Now();
        long outstanding = CFStandInGetOutstandingAllocationCount();
        std::string error;
        if (!CreatePrintTickets(QUARN_FIXTURES "/joblog.ppd", {}, mTickets, error) ||
            !LoadPlugInBundle(QUARN_PLUGIN_BUNDLE_DIR, CFSTR(kPMPrintingDialogExtensionsPlugInType),
                              mBundle, error)) {
            violation("the road cannot start: " + error);
        }
        for (long n = 1; n <= mOptions.actions && mReport.violations.empty(); n++) {
            if (!mDialog && !startDialog())
                break;
            step(n);
        }
        mDialog.reset();
        ReleasePrintTickets(mTickets);
        ReleasePlugInBundle(mBundle);
        HIStandInSetClipboardText(nullptr);
        std::string leftOver = LiveObjects::Differences(before, LiveObjects::Now());
        if (!leftOver.empty())
            violation("platform objects left behind: " + leftOver);
        if (CFStandInGetOutstandingAllocationCount() != outstanding)
            violation("blocks of the layer not given back: " + std::to_string(outstanding) +
                      " -> " + std::to_string(CFStandInGetOutstandingAllocationCount()));
        return mReport;
    }

private:
    void violation(const std::string &what) {
        if (!mReport.violations.empty())
            return;
        std::string text = "after action " + std::to_string(mReport.actions) + " (seed " +
                           std::to_string(mOptions.seed) + "): " + what + "\nlast actions:";
        for (const std::string &line : mHistory)
            text += "\n  " + line;
        text += "\nevents of the last action:\n" + mLastEvents;
        mReport.violations.push_back(text);
    }

    ControlRef control(SInt32 id) {
        ControlID controlID = {kSignature, id};
        ControlRef found = nullptr;
        if (mWindow == nullptr || GetControlByID(mWindow, &controlID, &found) != noErr)
            return nullptr;
        return found;
    }

    static bool readText(ControlRef field, std::u16string &text) {
        CFStringRef string = nullptr;
        if (field == nullptr ||
            GetControlData(field, kControlEditTextPart, kControlEditTextCFStringTag, sizeof string,
                           &string, nullptr) != noErr)
            return false;
        text = units(string);
        if (string != nullptr)
            CFRelease(string);
        return true;
    }

    PaneState state() {
        PaneState s;
        s.userIDReadable = readText(control(kUserIDField), s.userID);
        s.userCodeReadable = readText(control(kUserCodeField), s.userCode);
        ControlRef box = control(kCheckBox);
        s.checkBox = box != nullptr && GetControlValue(box) != 0;
        s.codeEnabled =
            control(kUserCodeField) != nullptr && IsControlEnabled(control(kUserCodeField));
        s.labelEnabled =
            control(kUserCodeLabel) != nullptr && IsControlEnabled(control(kUserCodeLabel));
        s.focus = HIStandInGetFocusedControl();
        return s;
    }

    DialogSession::Outcome perform(const Action &action) {
        mHistory.push_back(describe(action));
        if (mHistory.size() > 16)
            mHistory.pop_front();
        std::string error;
        DialogSession::Outcome outcome = mDialog->Perform(action, error);
        mLastEvents = mCapture.TakeNew();
        if (outcome == DialogSession::Outcome::BadArgument)
            violation("the host refused the action: " + error);
        return outcome;
    }

    /* A new dialog on the same tickets, opened: the fields show the
       ticket's values and the User ID field has the focus. */
    bool startDialog() {
        mDialog = std::make_unique<DialogSession>(mCapture.Writer());
        mWindow = nullptr;
        mTaintedID = mTaintedCode = false;
        std::string error;
        mHistory.push_back("(a new dialog)");
        if (!mDialog->Start(JobLogPluginFactory, mTickets.session, error) || !mDialog->HasPane()) {
            mLastEvents = mCapture.TakeNew();
            violation("the dialog did not start with its pane: " + error);
            return false;
        }
        mReport.dialogs++;
        Action open;
        open.kind = ActionKind::Open;
        perform(open);
        ControlRef focus = HIStandInGetFocusedControl();
        if (focus != nullptr)
            mWindow = GetControlOwner(focus);
        if (mWindow == nullptr || focus != control(kUserIDField)) {
            violation("opening the pane gave the User ID field no focus");
            return false;
        }
        // The nib's fields start empty and the box off; the ticket's valid
        // values replace them.
        PaneState fresh;
        fresh.userIDReadable = fresh.userCodeReadable = true;
        expectTicketShown(fresh, fresh);
        check(fresh, state());
        return true;
    }

    /* What TicketToUI makes of the fields: each item present replaces its
       control's value, an invalid text as the empty string. */
    void expectTicketShown(const PaneState &before, PaneState &expected) {
        std::vector<Item> items = snapshot(mTickets.printSettings);
        expected = before;
        if (const Item *item = findItem(items, kQuarnUserIDKey); item && item->isString) {
            expected.userID = validText(item->text, false) ? item->text : u"";
            mTaintedID = false;
        }
        if (const Item *item = findItem(items, kQuarnEnableUserCodeKey); item && item->isBoolean)
            expected.checkBox = item->boolean;
        if (const Item *item = findItem(items, kQuarnUserCodeKey); item && item->isString) {
            expected.userCode = validText(item->text, true) ? item->text : u"";
            mTaintedCode = false;
        }
    }

    void check(const PaneState &expected, const PaneState &now) {
        if (now.userID != expected.userID)
            violation("the User ID field holds \"" + utf8(now.userID) + "\", not \"" +
                      utf8(expected.userID) + "\"");
        if (now.userCode != expected.userCode)
            violation("the User Code field holds \"" + utf8(now.userCode) + "\", not \"" +
                      utf8(expected.userCode) + "\"");
        if (now.checkBox != expected.checkBox)
            violation("the check box is not as the ticket says");
    }

    /* The invariants that hold after every action. */
    void checkInvariants(const PaneState &now) {
        if (!now.userIDReadable || !now.userCodeReadable)
            violation("a field's text cannot be read");
        if (validText(now.userID, false))
            mTaintedID = false;
        else if (!mTaintedID)
            violation("the User ID field holds \"" + utf8(now.userID) + "\" without a drop");
        if (validText(now.userCode, true))
            mTaintedCode = false;
        else if (!mTaintedCode)
            violation("the User Code field holds \"" + utf8(now.userCode) + "\" without a drop");
        if (now.codeEnabled != now.checkBox || now.labelEnabled != now.checkBox)
            violation(std::string("the check box is ") + (now.checkBox ? "on" : "off") +
                      " but the User Code field is " + (now.codeEnabled ? "enabled" : "disabled") +
                      " and its label " + (now.labelEnabled ? "enabled" : "disabled"));
    }

    /* A sync towards the tickets (or the Print button): all five items with
       the fields' values when both fields are valid, else nothing and one
       alert per invalid field. */
    void checkTicketsWritten(const PaneState &before, const std::vector<Item> &itemsBefore,
                             const char *statusLine) {
        bool idValid = validText(before.userID, false);
        bool codeValid = !before.checkBox || validText(before.userCode, true);
        std::vector<Item> itemsAfter = snapshot(mTickets.printSettings);
        int alerts = countLines(mLastEvents, "alert caution ");
        int expectedAlerts = (idValid ? 0 : 1) + (codeValid ? 0 : 1);
        if (alerts != expectedAlerts)
            violation(std::to_string(alerts) + " alerts instead of " +
                      std::to_string(expectedAlerts));
        if (!idValid || !codeValid) {
            mReport.refusedSyncs++;
            if (mLastEvents.find(std::string(statusLine) + " -9531\n") == std::string::npos)
                violation("an invalid field did not make the sync fail with -9531");
            if (itemsAfter != itemsBefore)
                violation("a refused sync changed the ticket");
            return;
        }
        if (mLastEvents.find(std::string(statusLine) + " 0\n") == std::string::npos)
            violation("valid fields did not sync");
        std::vector<Item> expected = itemsBefore;
        const std::string client = kQuarnTicketClientID;
        Item item{kQuarnUserIDKey, client, false, true, false, before.userID, false};
        setItem(expected, item);
        item = Item{kQuarnEnableUserCodeKey, client, false, false, true, u"", before.checkBox};
        setItem(expected, item);
        item = Item{kQuarnUserCodeKey, client, false, true, false, before.userCode, false};
        setItem(expected, item);
        item = Item{kQuarnJobTypeKey, client, false, true, false, u"" kQuarnJobTypeNormal, false};
        setItem(expected, item);
        const Item *zone = findItem(itemsAfter, kQuarnTimeZoneKey);
        if (zone == nullptr || !zone->isString || zone->text.empty()) {
            violation("no time-zone item");
            return;
        }
        item = Item{kQuarnTimeZoneKey, client, false, true, false, zone->text, false};
        setItem(expected, item);
        if (itemsAfter != expected)
            violation("the ticket does not hold the five items with the fields' values");
    }

    void checkSummary(const PaneState &now) {
        std::string expected = "summary \"User ID\" " + quoted(now.userID) + "\n";
        if (now.checkBox)
            expected += "summary \"User Code\" " + quoted(now.userCode) + "\n";
        if (mLastEvents != "status summary 0\n" + expected)
            violation("the summary is not the fields' texts");
    }

    void checkShown(const PaneState &now) {
        if (countLines(mLastEvents, "control ") != 5)
            violation("show does not list the pane's five controls");
        std::string id = "control jlog 1 edittext ";
        std::string code = "control jlog 5 edittext ";
        // The text is the end of the control's line (it may itself hold a
        // line break or a zero character).
        auto lineWith = [this](const std::string &prefix, const std::u16string &text) {
            size_t at = mLastEvents.find(prefix);
            size_t textAt = at == std::string::npos ? at : mLastEvents.find(" text=\"", at);
            std::string expected = " text=" + quoted(text) + "\n";
            return textAt != std::string::npos && mLastEvents.find('\n', at) >= textAt &&
                   mLastEvents.compare(textAt, expected.size(), expected) == 0;
        };
        if (!lineWith(id, now.userID) || !lineWith(code, now.userCode))
            violation("show does not give the fields' texts");
    }

    /* Another pane or a preset writes or removes a Job Log item. */
    void rewriteTicket() {
        static const char *const kKeys[] = {kQuarnUserIDKey, kQuarnUserCodeKey,
                                            kQuarnEnableUserCodeKey};
        const char *key = mDice.Pick(kKeys);
        CFStringRef keyRef = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
        CFStringRef client =
            CFStringCreateWithCString(nullptr, kOtherClient, kCFStringEncodingUTF8);
        std::string line = "(the ticket: ";
        if (mDice.Chance(15)) {
            PMTicketDeleteItem(mTickets.printSettings, keyRef);
            line += std::string("remove ") + key;
        } else if (key == std::string(kQuarnEnableUserCodeKey)) {
            bool value = mDice.Chance(50);
            PMTicketSetBoolean(mTickets.printSettings, client, keyRef, value, false);
            line += std::string(key) + (value ? " true" : " false");
        } else {
            std::string text = randomText(mDice, 11);
            CFStringRef value = CreateCFStringFromText(text);
            if (value != nullptr) {
                PMTicketSetCFString(mTickets.printSettings, client, keyRef, value, false);
                CFRelease(value);
            }
            line += std::string(key) + " = " + describe(Action{ActionKind::Type, 0, 0, 0, text});
        }
        CFRelease(keyRef);
        CFRelease(client);
        mHistory.push_back(line + ")");
    }

    Action randomAction() {
        static const SInt32 kIDs[] = {kUserIDField, kUserCodeField, kCheckBox, kUserCodeLabel};
        Action action;
        unsigned roll = mDice.Below(1000);
        if (roll < 250) {
            action.kind = ActionKind::Type;
            action.text = randomText(mDice, 10);
        } else if (roll < 350) {
            action.kind = ActionKind::Key;
            action.key = static_cast<KeyName>(mDice.Below(9));
        } else if (roll < 380) {
            static const char kCommandKeys[] = "vVcCxXaAzq1";
            action.kind = ActionKind::CommandKey;
            action.text = std::string(1, kCommandKeys[mDice.Below(sizeof kCommandKeys - 1)]);
        } else if (roll < 460) {
            static const int kEdges[] = {-32768, -1, 0, 1, 7, 8, 9, 12, 32767};
            action.kind = ActionKind::Select;
            action.selectionStart =
                mDice.Chance(30) ? mDice.Pick(kEdges) : static_cast<int>(mDice.Below(12));
            action.selectionEnd =
                mDice.Chance(30) ? mDice.Pick(kEdges) : static_cast<int>(mDice.Below(12));
        } else if (roll < 530) {
            action.kind = mDice.Chance(10) ? ActionKind::ClipboardEmpty : ActionKind::Clipboard;
            if (action.kind == ActionKind::Clipboard)
                action.text = randomText(mDice, 11);
        } else if (roll < 620) {
            action.kind = ActionKind::Paste;
        } else if (roll < 650) {
            action.kind = ActionKind::Drop;
            action.text = randomText(mDice, 12);
        } else if (roll < 720) {
            action.kind = ActionKind::Focus;
            action.signature = kSignature;
            action.id = mDice.Pick(kIDs);
        } else if (roll < 790) {
            action.kind = ActionKind::Click;
            action.signature = kSignature;
            action.id = mDice.Chance(70) ? kCheckBox : mDice.Pick(kIDs);
        } else if (roll < 820) {
            action.kind = ActionKind::SyncUI;
        } else if (roll < 860) {
            action.kind = ActionKind::SyncTickets;
        } else if (roll < 890) {
            action.kind = ActionKind::Summary;
        } else if (roll < 910) {
            action.kind = ActionKind::Show;
        } else if (roll < 950) {
            action.kind = mDice.Chance(50) ? ActionKind::Open : ActionKind::Close;
        } else {
            action.kind = ActionKind::Print;
        }
        return action;
    }

    void step(long n) {
        mReport.actions++;
        unsigned special = mDice.Below(1000);
        if (special < 15) {
            rewriteTicket();
            return;
        }
        if (special < 20) {
            mHistory.push_back("(cancel the dialog)");
            mDialog.reset();
            mLastEvents = mCapture.TakeNew();
            if (mLastEvents != "status terminate 0\n")
                violation("cancelling did not terminate the pane once");
            return;
        }
        Action action = randomAction();
        PaneState before = state();
        std::vector<Item> itemsBefore = snapshot(mTickets.printSettings);
        DialogSession::Outcome outcome = perform(action);
        if (!mReport.violations.empty())
            return;

        if (outcome == DialogSession::Outcome::Printed) {
            mReport.prints++;
            checkTicketsWritten(before, itemsBefore, "status sync-tickets");
            if (mLastEvents.find("status terminate 0\n") == std::string::npos)
                violation("the print did not terminate the pane with status 0");
            mDialog.reset();
            return;
        }
        if (mOptions.corruptUserIDAfter == n) {
            CFStringRef bad = CFSTR("bad-id!");
            SetControlData(control(kUserIDField), kControlEditTextPart, kControlEditTextCFStringTag,
                           sizeof bad, &bad);
        }
        PaneState now = state();
        switch (action.kind) {
        case ActionKind::Drop:
            if (before.focus != nullptr && before.focus == control(kUserIDField)) {
                mTaintedID = true;
                mReport.drops++;
            } else if (before.focus != nullptr && before.focus == control(kUserCodeField)) {
                mTaintedCode = true;
                mReport.drops++;
            }
            break;
        case ActionKind::Paste:
            if (countLines(mLastEvents, "beep") > 0)
                mReport.pastesRefused++;
            else if (now.userID != before.userID || now.userCode != before.userCode)
                mReport.pastesTaken++;
            if (countLines(mLastEvents, "beep") > 0 &&
                (now.userID != before.userID || now.userCode != before.userCode))
                violation("a paste refused with a beep changed a field");
            break;
        case ActionKind::SyncTickets:
        case ActionKind::Print: // refused: the dialog stays open
            checkTicketsWritten(before, itemsBefore, "status sync-tickets");
            break;
        case ActionKind::SyncUI: {
            PaneState expected;
            expectTicketShown(before, expected);
            check(expected, now);
            break;
        }
        case ActionKind::Summary:
            checkSummary(now);
            break;
        case ActionKind::Show:
            checkShown(now);
            break;
        case ActionKind::Open:
            if (now.focus != control(kUserIDField))
                violation("opening the pane gave the User ID field no focus");
            break;
        default:
            if (snapshot(mTickets.printSettings) != itemsBefore)
                violation("the ticket changed without a sync");
            break;
        }
        checkInvariants(now);
    }

    MonkeyOptions mOptions;
    Dice mDice;
    MonkeyReport mReport;
    PrintTickets mTickets;
    LoadedBundle mBundle;
    EventCapture mCapture;
    std::unique_ptr<DialogSession> mDialog;
    WindowRef mWindow = nullptr;
    bool mTaintedID = false, mTaintedCode = false;
    std::deque<std::string> mHistory;
    std::string mLastEvents;
};

} // namespace

MonkeyReport RunDialogMonkey(const MonkeyOptions &options) {
    return Monkey(options).Run();
}
