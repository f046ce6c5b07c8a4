/*
 * DialogMonkeyTests.cpp
 *
 * The Job Log pane's monkey: random user actions from a seed through
 * pdehost's dialog session, and after each one the pane's promises:
 *   - the User ID field holds at most 8 letters and digits, the User Code
 *     field at most 8 digits, unless text was dropped into the field (a drop
 *     bypasses the filters) and it has not been valid since;
 *   - the User Code field and its label are enabled exactly when the check
 *     box is on;
 *   - a sync towards the tickets (and Print) succeeds exactly when the
 *     fields are valid and then writes the five items with their values;
 *     otherwise it writes nothing and shows one alert per invalid field;
 *   - a sync towards the pane and a new dialog show the ticket's values (an
 *     invalid value empties its field); the summary lists the fields;
 *   - nothing else changes the ticket, and at the end no platform object and
 *     no block of the layer is left.
 */
#include "DialogSession.h"
#include "PrintTickets.h"
#include "TestSupport.h"

#include <CJobLogPDE.h>
#include <QuarnSettingsKeys.h>
#include <StandIn/HIStandIn.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>

namespace {

const UInt32 kSig = 0x6A6C6F67;               // 'jlog'
const char *const kNoUTF8 = "\xff(no UTF-8)"; /* a field's text that has none */
const SInt32 kUserID = 1, kCheckBox = 4, kUserCode = 5, kUserCodeLabel = 105;

bool valid(const std::string &text, bool digitsOnly) {
    return text.size() <= 8 && std::all_of(text.begin(), text.end(), [&](char c) {
               return (c >= '0' && c <= '9') ||
                      (!digitsOnly && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')));
           });
}

/* Valid characters often, and now and then every kind of trouble:
   punctuation, control characters, letters beyond ASCII (with and without
   a MacRoman form), wide digits, a character beyond the BMP, blanks. */
const char *const kPieces[] = {"a",
                               "Z",
                               "q",
                               "0",
                               "7",
                               "9",
                               "-",
                               "\"",
                               "\\",
                               "\x7f",
                               "\xc3\xa9",
                               "\xd0\x96",
                               "\xef\xbc\x91",
                               "\xf0\x9f\x98\x80",
                               "\xc2\xa0",
                               " ",
                               "\t"};

class Monkey {
public:
    explicit Monkey(unsigned seed) : mDice(seed) {}
    long dialogs = 0, prints = 0, refusals = 0, drops = 0;

    /* Runs `actions` actions; the first broken promise, or "". */
    std::string Run(long actions) {
        HIStandInSetClipboardText(nullptr);
        LayerState before = LayerState::Now();
        CFURLRef url = CFURLCreateFromFileSystemRepresentation(
            nullptr, reinterpret_cast<const UInt8 *>(QUARN_PLUGIN_BUNDLE_DIR),
            static_cast<CFIndex>(std::strlen(QUARN_PLUGIN_BUNDLE_DIR)), true);
        CFPlugInRef plugIn = CFPlugInCreate(nullptr, url); /* the pane's texts */
        CFRelease(url);
        char *buffer = nullptr;
        FILE *stream = open_memstream(&buffer, &mSize);
        mBuffer = &buffer;
        mStream = stream;
        EventWriter events(stream);
        mEvents = &events;
        std::string error;
        if (!CreatePrintTickets(QUARN_FIXTURES "/joblog.ppd", {}, mTickets, error))
            mBroken = error;
        for (long n = 1; n <= actions && mBroken.empty(); n++)
            if (mDialog != nullptr || start())
                step();
        mDialog.reset();
        ReleasePrintTickets(mTickets);
        std::fclose(stream);
        std::free(buffer);
        HIStandInSetClipboardText(nullptr);
        CFRelease(plugIn);
        std::string leftOver = before.Differences(LayerState::Now());
        if (mBroken.empty() && !leftOver.empty())
            mBroken = "left behind: " + leftOver;
        return mBroken;
    }

private:
    unsigned below(size_t n) { return mDice() % n; }

    std::string randomText(unsigned longest) {
        std::string text;
        bool digits = below(5) == 0;
        for (unsigned i = below(longest + 1); i > 0; i--)
            text += digits ? std::string(1, char('0' + below(10))) : kPieces[below(17)];
        return text;
    }

    ControlRef control(SInt32 id) {
        ControlID controlID = {kSig, id};
        ControlRef found = nullptr;
        GetControlByID(mWindow, &controlID, &found);
        return found;
    }

    std::string text(SInt32 id) {
        CFOwned<CFStringRef> string;
        GetControlData(control(id), kControlEditTextPart, kControlEditTextCFStringTag,
                       sizeof(CFStringRef), string.out(), nullptr);
        // A lone surrogate left by editing has no UTF-8 form: never valid.
        return TextFromCFString(string.get()).value_or(kNoUTF8);
    }
    bool box() { return GetControlValue(control(kCheckBox)) != 0; }

    std::string newEvents() {
        std::fflush(mStream);
        std::string events(*mBuffer + mTaken, mSize - mTaken);
        mTaken = mSize;
        return events;
    }

    void broken(const std::string &what, const std::string &events) {
        if (mBroken.empty())
            mBroken = what + "\nafter: " + mLast + "\nevents:\n" + events;
    }

    /* The ticket's items with the pane's five set to these values. */
    std::vector<TicketItem> withPaneItems(std::vector<TicketItem> items, const std::string &id,
                                          const std::string &code, bool on,
                                          const std::string &zone) {
        auto set = [&items](const char *key, TicketItem::Kind kind, const std::string &text,
                            bool boolean = false) {
            TicketItem wanted{key, kind, text, boolean, kQuarnTicketClientID};
            for (TicketItem &existing : items)
                if (existing.key == wanted.key)
                    return void(existing = wanted);
            items.push_back(wanted);
        };
        set(kQuarnUserIDKey, TicketItem::Kind::String, id);
        set(kQuarnEnableUserCodeKey, TicketItem::Kind::Boolean, "", on);
        set(kQuarnUserCodeKey, TicketItem::Kind::String, code);
        set(kQuarnJobTypeKey, TicketItem::Kind::String, kQuarnJobTypeNormal);
        set(kQuarnTimeZoneKey, TicketItem::Kind::String, zone);
        return items;
    }

    /* The fields show the ticket's values; `id`, `code` and `on` where it has none. */
    void checkShown(std::string id, std::string code, bool on, const std::string &events) {
        for (const TicketItem &it : ReadTicketItems(mTickets.printSettings)) {
            if (it.key == kQuarnUserIDKey && it.kind == TicketItem::Kind::String)
                id = valid(it.text, false) ? it.text : "", mTaintedID = false;
            if (it.key == kQuarnUserCodeKey && it.kind == TicketItem::Kind::String)
                code = valid(it.text, true) ? it.text : "", mTaintedCode = false;
            if (it.key == kQuarnEnableUserCodeKey && it.kind == TicketItem::Kind::Boolean)
                on = it.boolean;
        }
        if (text(kUserID) != id || text(kUserCode) != code || box() != on)
            broken("the pane does not show the ticket's values", events);
    }

    bool start() {
        mDialog = std::make_unique<DialogSession>(*mEvents);
        CFOwned<CFUUIDRef> type(
            CFUUIDCreateFromString(nullptr, CFSTR(kPMPrintingDialogExtensionsPlugInType)));
        std::string error;
        Action open;
        if (!mDialog->Start(JobLogPluginFactory(nullptr, type.get()), mTickets.session, error) ||
            !mDialog->HasPane() ||
            mDialog->Perform(open, error) != DialogSession::Outcome::Continue) {
            broken("the dialog did not open with its pane " + error, newEvents());
            return false;
        }
        dialogs++;
        mWindow = GetControlOwner(HIStandInGetFocusedControl());
        mTaintedID = mTaintedCode = false;
        checkShown("", "", false, newEvents());
        return true;
    }

    Action randomAction() {
        static const ActionKind kKinds[] = {
            ActionKind::Type,        ActionKind::Type,      ActionKind::Type,
            ActionKind::Key,         ActionKind::Key,       ActionKind::CommandKey,
            ActionKind::Select,      ActionKind::Clipboard, ActionKind::Paste,
            ActionKind::Drop,        ActionKind::Focus,     ActionKind::Focus,
            ActionKind::Click,       ActionKind::Click,     ActionKind::SyncUI,
            ActionKind::SyncTickets, ActionKind::Summary,   ActionKind::Open,
            ActionKind::Close,       ActionKind::Print};
        static const SInt32 kIDs[] = {kUserID, kUserCode, kCheckBox, kUserCodeLabel};
        Action action;
        action.kind = kKinds[below(20)];
        action.signature = kSig;
        action.id = action.kind == ActionKind::Click && below(3) != 0 ? kCheckBox : kIDs[below(4)];
        action.key = static_cast<KeyName>(below(9));
        action.text = action.kind == ActionKind::CommandKey
                          ? std::string(1, "vVcCxXaAzq"[below(10)])
                          : randomText(10);
        action.selectionStart = static_cast<int>(below(12));
        action.selectionEnd = below(4) == 0 ? 32767 : static_cast<int>(below(12));
        return action;
    }

    void step() {
        std::string id = text(kUserID), code = text(kUserCode), error;
        bool on = box();
        std::vector<TicketItem> itemsBefore = ReadTicketItems(mTickets.printSettings);
        if (below(100) == 0) { /* another pane or a preset writes one of the pane's items */
            CFOwned<CFStringRef> value(CreateCFStringFromText(randomText(11)));
            mLast = "(the ticket rewritten)";
            if (value.get() != nullptr)
                PMTicketSetCFString(mTickets.printSettings, CFSTR("com.example.presets"),
                                    below(2) ? CFSTR(kQuarnUserIDKey) : CFSTR(kQuarnUserCodeKey),
                                    value.get(), false);
            return;
        }
        Action action = randomAction();
        ControlRef focus = HIStandInGetFocusedControl();
        mLast = std::to_string(int(action.kind)) + " \"" + action.text + "\" " +
                std::to_string(action.id);
        DialogSession::Outcome outcome = mDialog->Perform(action, error);
        std::string events = newEvents();
        if (outcome == DialogSession::Outcome::BadArgument)
            return broken("the host refused the action: " + error, events);
        if (action.kind == ActionKind::Drop && focus != nullptr) {
            drops++;
            mTaintedID = mTaintedID || focus == control(kUserID);
            mTaintedCode = mTaintedCode || focus == control(kUserCode);
        }
        std::vector<TicketItem> items = ReadTicketItems(mTickets.printSettings);
        if (action.kind == ActionKind::SyncTickets || action.kind == ActionKind::Print) {
            int invalid = !valid(id, false) + (on && !valid(code, true)), alerts = 0;
            for (size_t at = events.find("alert caution "); at != std::string::npos;
                 at = events.find("alert caution ", at + 1))
                alerts++;
            if (alerts != invalid)
                broken(std::to_string(alerts) + " alerts for " + std::to_string(invalid) +
                           " invalid fields",
                       events);
            std::string zone = "?";
            for (const TicketItem &it : items)
                if (it.key == kQuarnTimeZoneKey && !it.text.empty())
                    zone = it.text;
            if (invalid != 0 &&
                (refusals++, items != itemsBefore ||
                                 events.find("status sync-tickets -9531\n") == std::string::npos))
                broken("a refused sync changed the ticket or did not fail", events);
            if (invalid == 0 && items != withPaneItems(itemsBefore, id, code, on, zone))
                broken("the ticket does not hold the five items with the fields' values", events);
        } else if (items != itemsBefore) {
            broken("the ticket changed without a sync", events);
        }
        if (outcome == DialogSession::Outcome::Printed)
            return prints++, mDialog.reset();
        if (action.kind == ActionKind::SyncUI)
            checkShown(id, code, on, events);
        auto row = [this](const char *title, SInt32 field) {
            return "summary \"" + std::string(title) + "\" " +
                   QuoteEventText(text(field) == kNoUTF8 ? "" : text(field)) + "\n";
        };
        if (action.kind == ActionKind::Summary &&
            events != "status summary 0\n" + row("User ID", kUserID) +
                          (on ? row("User Code", kUserCode) : ""))
            broken("the summary is not the fields' texts", events);
        // The promises that hold after every action.
        mTaintedID = mTaintedID && !valid(text(kUserID), false);
        mTaintedCode = mTaintedCode && !valid(text(kUserCode), true);
        if (!mTaintedID && !valid(text(kUserID), false))
            broken("the User ID field holds \"" + text(kUserID) + "\" without a drop", events);
        if (!mTaintedCode && !valid(text(kUserCode), true))
            broken("the User Code field holds \"" + text(kUserCode) + "\" without a drop", events);
        if (IsControlEnabled(control(kUserCode)) != box() ||
            IsControlEnabled(control(kUserCodeLabel)) != box())
            broken("the User Code field's state does not follow the check box", events);
    }

    std::mt19937 mDice;
    PrintTickets mTickets;
    std::unique_ptr<DialogSession> mDialog;
    WindowRef mWindow = nullptr;
    bool mTaintedID = false, mTaintedCode = false;
    char **mBuffer = nullptr;
    size_t mSize = 0, mTaken = 0;
    FILE *mStream = nullptr;
    EventWriter *mEvents = nullptr;
    std::string mBroken, mLast;
};

TEST(DialogMonkey, KeepsEveryPromiseOverThousandsOfRandomActions) {
    for (unsigned seed : {20261206u, 7u}) {
        Monkey monkey(seed);
        EXPECT_EQ("", monkey.Run(12000)) << "seed " << seed;
        // The run reached every kind of outcome, not only the easy ones.
        EXPECT_TRUE(monkey.dialogs > 1 && monkey.prints > 0 && monkey.refusals > 0 &&
                    monkey.drops > 0);
    }
}

} // namespace
