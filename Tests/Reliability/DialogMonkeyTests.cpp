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
#include <sstream>

namespace {

const UInt32 kSig = 0x6A6C6F67;               // 'jlog'
const char *const kNoUTF8 = "\xff(no UTF-8)"; /* a field's text that has none */
const SInt32 kUserID = 1, kCheckBox = 4, kUserCode = 5, kUserCodeLabel = 105;

bool valid(const std::string &text, bool digitsOnly) {
    if (text.size() > 8)
        return false;
    for (char c : text)
        if (!(c >= '0' && c <= '9') &&
            (digitsOnly || !((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))))
            return false;
    return true;
}

class Monkey {
public:
    explicit Monkey(unsigned seed) : mDice(seed) {}
    long dialogs = 0, prints = 0, refusals = 0, drops = 0;

    /* Runs `actions` actions; the first broken promise, or "". From action
       `corruptAfter` on (0: never), the User ID field is set behind the
       pane's back to a text it must refuse, as a fault of its filter would. */
    std::string Run(long actions, long corruptAfter = 0) {
        HIStandInSetClipboardText(nullptr);
        LayerState before = LayerState::Now();
        std::string error;
        CFURLRef url = CFURLCreateFromFileSystemRepresentation(
            nullptr, reinterpret_cast<const UInt8 *>(QUARN_PLUGIN_BUNDLE_DIR),
            static_cast<CFIndex>(std::strlen(QUARN_PLUGIN_BUNDLE_DIR)), true);
        CFPlugInRef plugIn = CFPlugInCreate(nullptr, url);
        CFRelease(url);
        mStream = open_memstream(&mBuffer, &mSize);
        mEvents = std::make_unique<EventWriter>(mStream);
        if (!CreatePrintTickets(QUARN_FIXTURES "/joblog.ppd", {}, mTickets, error))
            mBroken = error;
        for (long n = 1; n <= actions && mBroken.empty(); n++) {
            if (mDialog == nullptr && !start())
                break;
            step(corruptAfter != 0 && n >= corruptAfter);
        }
        mDialog.reset();
        ReleasePrintTickets(mTickets);
        CFRelease(plugIn);
        mEvents.reset();
        std::fclose(mStream);
        std::free(mBuffer);
        HIStandInSetClipboardText(nullptr);
        std::string leftOver = before.Differences(LayerState::Now());
        if (mBroken.empty() && !leftOver.empty())
            mBroken = "left behind: " + leftOver;
        return mBroken;
    }

private:
    unsigned below(unsigned n) { return mDice() % n; }

    std::string randomText(unsigned longest) {
        // Valid characters often, and now and then every kind of trouble:
        // punctuation, control characters, letters beyond ASCII (with and
        // without a MacRoman form), wide digits, a character beyond the BMP.
        static const std::vector<std::string> kPieces = [] {
            std::vector<std::string> pieces;
            std::istringstream all("a Z q 0 7 9 - \" \\ \x7f \xc3\xa9 \xd0\x96 \xef\xbc\x91 "
                                   "\xf0\x9f\x98\x80 \xc2\xa0");
            for (std::string piece; all >> piece;)
                pieces.push_back(piece);
            pieces.insert(pieces.end(), {" ", "\t"});
            return pieces;
        }();
        std::string text;
        bool digits = below(5) == 0;
        for (unsigned i = below(longest + 1); i > 0; i--)
            text += digits ? std::string(1, char('0' + below(10)))
                           : kPieces[below(static_cast<unsigned>(kPieces.size()))];
        return text;
    }

    ControlRef control(SInt32 id) {
        ControlID controlID = {kSig, id};
        ControlRef found = nullptr;
        GetControlByID(mWindow, &controlID, &found);
        return found;
    }

    std::string text(SInt32 id) {
        CFStringRef string = nullptr;
        GetControlData(control(id), kControlEditTextPart, kControlEditTextCFStringTag,
                       sizeof string, &string, nullptr);
        // A lone surrogate left by editing has no UTF-8 form: never valid.
        std::optional<std::string> result = TextFromCFString(string);
        if (string != nullptr)
            CFRelease(string);
        return result.value_or(kNoUTF8);
    }

    std::string summaryLine(const char *title, SInt32 id) {
        std::string shown = text(id) == kNoUTF8 ? "" : text(id);
        return "summary \"" + std::string(title) + "\" " + QuoteEventText(shown) + "\n";
    }

    std::string newEvents() {
        std::fflush(mStream);
        std::string events(mBuffer + mTaken, mSize - mTaken);
        mTaken = mSize;
        return events;
    }

    void broken(const std::string &what, const std::string &events) {
        if (mBroken.empty())
            mBroken = what + "\nafter: " + mLast + "\nevents:\n" + events;
    }

    const TicketItem *item(const std::vector<TicketItem> &items, const char *key) {
        for (const TicketItem &candidate : items)
            if (candidate.key == key)
                return &candidate;
        return nullptr;
    }

    /* What the fields must show after the ticket was shown in them. */
    void expectTicketShown(std::string &id, std::string &code, bool &box) {
        std::vector<TicketItem> items = ReadTicketItems(mTickets.printSettings);
        if (auto it = item(items, kQuarnUserIDKey); it && it->kind == TicketItem::Kind::String)
            id = valid(it->text, false) ? it->text : "", mTaintedID = false;
        if (auto it = item(items, kQuarnUserCodeKey); it && it->kind == TicketItem::Kind::String)
            code = valid(it->text, true) ? it->text : "", mTaintedCode = false;
        if (auto it = item(items, kQuarnEnableUserCodeKey);
            it && it->kind == TicketItem::Kind::Boolean)
            box = it->boolean;
    }

    void checkShown(std::string id, std::string code, bool box, const std::string &events) {
        expectTicketShown(id, code, box);
        if (text(kUserID) != id || text(kUserCode) != code ||
            (GetControlValue(control(kCheckBox)) != 0) != box)
            broken("the pane does not show the ticket's values", events);
    }

    bool start() {
        mDialog = std::make_unique<DialogSession>(*mEvents);
        CFUUIDRef type =
            CFUUIDCreateFromString(nullptr, CFSTR(kPMPrintingDialogExtensionsPlugInType));
        std::string error;
        bool started = mDialog->Start(JobLogPluginFactory(nullptr, type), mTickets.session, error);
        CFRelease(type);
        Action open;
        open.kind = ActionKind::Open;
        if (!started || !mDialog->HasPane() ||
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

    /* Another pane or a preset writes one of the pane's items. */
    void rewriteTicket() {
        static const char *const kKeys[] = {kQuarnUserIDKey, kQuarnUserCodeKey};
        CFOwned<CFStringRef> key(CreateCFStringFromText(kKeys[below(2)]));
        CFOwned<CFStringRef> value(CreateCFStringFromText(randomText(11)));
        mLast = "(the ticket rewritten)";
        if (value.get() != nullptr)
            PMTicketSetCFString(mTickets.printSettings, CFSTR("com.example.presets"), key.get(),
                                value.get(), false);
    }

    void step(bool corrupt) {
        if (below(100) == 0)
            return rewriteTicket();
        Action action = randomAction();
        std::string id = text(kUserID), code = text(kUserCode), error;
        bool box = GetControlValue(control(kCheckBox)) != 0;
        ControlRef focus = HIStandInGetFocusedControl();
        std::vector<TicketItem> itemsBefore = ReadTicketItems(mTickets.printSettings);
        mLast = std::to_string(int(action.kind)) + " \"" + action.text + "\" " +
                std::to_string(action.id);
        DialogSession::Outcome outcome = mDialog->Perform(action, error);
        std::string events = newEvents();
        if (outcome == DialogSession::Outcome::BadArgument)
            return broken("the host refused the action: " + error, events);
        if (action.kind == ActionKind::Drop && focus != nullptr && focus == control(kUserID))
            mTaintedID = true, drops++;
        if (action.kind == ActionKind::Drop && focus != nullptr && focus == control(kUserCode))
            mTaintedCode = true, drops++;

        std::vector<TicketItem> items = ReadTicketItems(mTickets.printSettings);
        if (action.kind == ActionKind::SyncTickets || action.kind == ActionKind::Print) {
            int invalid = !valid(id, false) + (box && !valid(code, true));
            int alerts = 0;
            for (size_t at = events.find("alert caution "); at != std::string::npos;
                 at = events.find("alert caution ", at + 1))
                alerts++;
            if (alerts != invalid)
                broken(std::to_string(alerts) + " alerts for " + std::to_string(invalid) +
                           " invalid of \"" + id + "\", \"" + code + "\"" + " invalid fields",
                       events);
            if (invalid != 0) {
                refusals++;
                if (items != itemsBefore ||
                    events.find("status sync-tickets -9531\n") == std::string::npos)
                    broken("a refused sync changed the ticket or did not fail", events);
            } else {
                const TicketItem *zone = item(items, kQuarnTimeZoneKey);
                std::vector<TicketItem> expected = itemsBefore;
                auto set = [&expected](const char *key, TicketItem::Kind kind,
                                       const std::string &text, bool boolean = false) {
                    TicketItem wanted;
                    wanted.key = key, wanted.kind = kind, wanted.text = text;
                    wanted.boolean = boolean, wanted.client = kQuarnTicketClientID;
                    for (TicketItem &existing : expected)
                        if (existing.key == wanted.key)
                            return void(existing = wanted);
                    expected.push_back(wanted);
                };
                set(kQuarnUserIDKey, TicketItem::Kind::String, id);
                set(kQuarnEnableUserCodeKey, TicketItem::Kind::Boolean, "", box);
                set(kQuarnUserCodeKey, TicketItem::Kind::String, code);
                set(kQuarnJobTypeKey, TicketItem::Kind::String, kQuarnJobTypeNormal);
                set(kQuarnTimeZoneKey, TicketItem::Kind::String,
                    zone != nullptr ? zone->text : "?");
                if (items != expected || zone == nullptr || zone->text.empty())
                    broken("the ticket does not hold the five items with the fields' values",
                           events);
            }
        } else if (items != itemsBefore) {
            broken("the ticket changed without a sync", events);
        }
        if (outcome == DialogSession::Outcome::Printed) {
            prints++;
            mDialog.reset();
            return;
        }
        if (action.kind == ActionKind::SyncUI)
            checkShown(id, code, box, events);
        if (action.kind == ActionKind::Summary &&
            events != "status summary 0\n" + summaryLine("User ID", kUserID) +
                          (box ? summaryLine("User Code", kUserCode) : ""))
            broken("the summary is not the fields' texts", events);
        if (corrupt)
            SetControlData(control(kUserID), kControlEditTextPart, kControlEditTextCFStringTag,
                           sizeof(CFStringRef), &kBadID);
        // The promises that hold after every action.
        mTaintedID = mTaintedID && !valid(text(kUserID), false);
        mTaintedCode = mTaintedCode && !valid(text(kUserCode), true);
        if (!mTaintedID && !valid(text(kUserID), false))
            broken("the User ID field holds \"" + text(kUserID) + "\" without a drop", events);
        if (!mTaintedCode && !valid(text(kUserCode), true))
            broken("the User Code field holds \"" + text(kUserCode) + "\" without a drop", events);
        bool on = GetControlValue(control(kCheckBox)) != 0;
        if (IsControlEnabled(control(kUserCode)) != on ||
            IsControlEnabled(control(kUserCodeLabel)) != on)
            broken("the User Code field's state does not follow the check box", events);
    }

    static const CFStringRef kBadID;
    std::mt19937 mDice;
    PrintTickets mTickets;
    std::unique_ptr<DialogSession> mDialog;
    WindowRef mWindow = nullptr;
    bool mTaintedID = false, mTaintedCode = false;
    char *mBuffer = nullptr;
    size_t mSize = 0, mTaken = 0;
    FILE *mStream = nullptr;
    std::unique_ptr<EventWriter> mEvents;
    std::string mBroken, mLast;
};

const CFStringRef Monkey::kBadID = CFSTR("bad-id!");

TEST(DialogMonkey, KeepsEveryPromiseOverThousandsOfRandomActions) {
    for (unsigned seed : {20261206u, 7u}) {
        Monkey monkey(seed);
        EXPECT_EQ("", monkey.Run(12000)) << "seed " << seed;
        // The run reached every kind of outcome, not only the easy ones.
        EXPECT_GT(monkey.dialogs, 1);
        EXPECT_GT(monkey.prints, 0);
        EXPECT_GT(monkey.refusals, 0);
        EXPECT_GT(monkey.drops, 0);
    }
}

/* A field holding a text its filter refuses is caught at once. */
TEST(DialogMonkey, NoticesAFieldHoldingWhatItsFilterRefuses) {
    std::string broken = Monkey(20261206u).Run(200, 40);
    EXPECT_NE(std::string::npos, broken.find("the User ID field holds \"bad-id!\" without a drop"))
        << broken;
}

} // namespace
