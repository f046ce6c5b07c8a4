/*
 * DialogTests.cpp
 *
 * The whole dialog as pdehost runs it (RunDialog), the Job Log pane linked
 * in. Under the layer's fault injection: for N = 1, 2, ... the Nth
 * allocation of the layer (the glue's records included) fails, once or
 * from then on, until a run goes through without a failure; every run must
 * end with status 0, 1 or 2, the pane terminated exactly when its prologue
 * succeeded, and every platform object and block given back; the run past
 * the last allocation must be the clean run. And the pane's monkey: whole
 * dialogs from tickets with random values, worked by random actions.
 */
#include "PDEInterface.h"
#include "PrintTickets.h"
#include "TestSupport.h"

#include <CJobLogPDE.h>
#include <QuarnSettingsKeys.h>
#include <StandIn/CFStandIn.h>
#include <StandIn/HIStandIn.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <random>

namespace {

void *glueAllocate(size_t count, size_t size) {
    void *block = size != 0 && count > SIZE_MAX / size ? nullptr : CFStandInAllocate(count * size);
    return block != nullptr ? std::memset(block, 0, count * size) : nullptr;
}

int count(const std::string &text, const std::string &what) {
    int n = 0;
    for (size_t at = 0; (at = text.find(what, at)) != std::string::npos; at++)
        n++;
    return n;
}

/* Ticket values shown, editing (filters, limits, pastes, a drop), a refused
   print, both syncs, the summary, show, a second opening and a print. */
TEST(DialogAllocationFailures, AWholeDialogEndsCleanlyWhereverMemoryRunsOut) {
    PDEInterfaceSetAllocator(glueAllocate, CFStandInDeallocate); // the glue's records too
    ParsedScript script = ParseScript(
        "open\nshow\nsummary\nfocus jlog 1\nselect 0 32767\ntype Alice01\nclipboard 9\n"
        "select 0 0\npaste\nkey left\nkey backspace\ndrop X-\nprint\nselect 0 32767\n"
        "key delete\ntype Bob\nkey home\nclick jlog 4\nclick jlog 4\nfocus jlog 5\ntype 123\n"
        "clipboard 45\npaste\nkey cmd-v\nsummary\nsync ui\nshow\nclose\nopen\nsync tickets\n"
        "print\n");
    ASSERT_EQ(0, script.errorLine) << script.error;
    HostOptions options;
    options.ppd = QUARN_FIXTURES "/joblog.ppd";
    options.plugin = QUARN_PLUGIN_BUNDLE_DIR;
    options.settings = {{"com.example.Other", false, "kept as it is", false},
                        {"com.quarn.pm.UserID", false, "Carol", false},
                        {"com.quarn.pm.EnableUserCode", true, "", true},
                        {"com.quarn.pm.UserCode", false, "4242", false}};
    auto runDialog = [&](long nth, bool persistent) {
        return RunDialogInProcess(options, &script.actions, JobLogPluginFactory, nullptr, nth,
                                  persistent);
    };
    DialogRun clean = runDialog(0, false);
    ASSERT_EQ(0, clean.status) << clean.errors;
    ASSERT_EQ(1, count(clean.events, "\noptions ")) << clean.events;
    long last = 0;
    for (bool persistent : {false, true}) {
        for (long nth = 1; (persistent ? nth < last : last == 0) && !HasFailure(); nth++) {
            DialogRun run = runDialog(nth, persistent);
            std::string where = "allocation " + std::to_string(nth) +
                                (persistent ? " and on" : "") + " fails\n" + run.errors +
                                run.events;
            EXPECT_TRUE(run.status >= 0 && run.status <= 2) << where;
            EXPECT_EQ("", run.leftOver) << where;
            EXPECT_LE(run.injected, persistent ? LONG_MAX : 1) << where;
            bool hasContext = run.events.find("status prologue 0\n") != std::string::npos;
            EXPECT_EQ(hasContext ? 1 : 0, count(run.events, "status terminate ")) << where;
            EXPECT_TRUE(!persistent || run.injected > 0) << where;
            if (!persistent && run.injected == 0) {
                EXPECT_EQ(clean.events, run.events) << "the run past the last allocation";
                last = nth;
            }
        }
    }
    EXPECT_GT(last, 100) << "the dialog hardly allocates";
    PDEInterfaceSetAllocator(nullptr, nullptr);
}

const UInt32 kSig = 0x6A6C6F67;               // 'jlog'
const char *const kNoUTF8 = "\xff(no UTF-8)"; /* a field's text that has none */
const SInt32 kUserID = 1, kCheckBox = 4, kUserCode = 5, kUserCodeLabel = 105;

bool valid(const std::string &text, bool digitsOnly) {
    return text.size() <= 8 && std::all_of(text.begin(), text.end(), [&](char c) {
               return isdigit(static_cast<unsigned char>(c)) ||
                      (!digitsOnly && isalpha(static_cast<unsigned char>(c)));
           });
}

/* Valid characters often, and now and then every kind of trouble:
   punctuation, control characters, letters beyond ASCII (with and without
   a MacRoman form), wide digits, a character beyond the BMP, blanks. */
// clang-format off
const char *const kPieces[] = {"a", "Z", "q", "0", "7", "9", "-", "\"", "\\", "\x7f", " ", "\t",
    "\xc3\xa9", "\xd0\x96", "\xef\xbc\x91", "\xc2\xa0", "\xf0\x9f\x98\x80"};
// clang-format on

/* The dialog's print-settings ticket, which the pane is given as its
   interface is built: the dialog shows the monkey no other way to it. */
PMTicketRef gTicket;
struct SeenPane : CJobLogPDE {
    OSStatus CreateUI(PMPDEFlags *flags, PMPDERef ref, ControlRef userPane,
                      PMPrintSession session) override {
        GetTicketFromSession(session, CFSTR("PMPrintSettingsTicket"), &gTicket);
        return CJobLogPDE::CreateUI(flags, ref, userPane, session);
    }
};
OSStatus seenPrologue(PMPDEContext *context, OSType *creator, CFStringRef *kind, CFStringRef *title,
                      UInt32 *maxH, UInt32 *maxV) {
    OSStatus status = JobLogPrologue(context, creator, kind, title, maxH, maxV);
    if (status == noErr) {
        delete static_cast<CPDEPlugin *>(*context);
        *context = static_cast<CPDEPlugin *>(new SeenPane);
    }
    return status;
}
void *seenFactory(CFAllocatorRef allocator, CFUUIDRef type) {
    return PluginFactory(allocator, type, CFSTR(kJobLogFactoryIDString), seenPrologue);
}

/* Random actions from the script's list, checked after each against a
   model: the User ID holds at most 8 letters and digits, the User Code at
   most 8 digits (unless a drop, which bypasses the filters, left it
   invalid); the code and its label are enabled with the check box; a sync
   towards the tickets (and Print) writes the five items unlocked with the
   fields' values if valid, else nothing and one alert per invalid field; a
   sync towards the pane and a new dialog show the ticket's values; the
   summary lists the fields; nothing else changes the ticket. */
class Monkey {
public:
    explicit Monkey(unsigned seed) : mDice(seed) {}
    long dialogs = 0, prints = 0, refusals = 0, drops = 0;

    /* Runs dialogs until `actions` actions are done; the first broken
       promise, or "". */
    std::string Run(long actions) {
        current = this;
        for (mLeft = actions; mLeft > 0 && mBroken.empty();) {
            HostOptions options;
            options.ppd = QUARN_FIXTURES "/joblog.ppd";
            options.plugin = QUARN_PLUGIN_BUNDLE_DIR;
            for (const char *key : {kQuarnUserIDKey, kQuarnEnableUserCodeKey, kQuarnUserCodeKey})
                if (below(2) == 0)
                    options.settings.push_back({key, key == std::string(kQuarnEnableUserCodeKey),
                                                randomText(10), below(2) == 0});
            gTicket = nullptr;
            DialogRun run = RunDialogInProcess(options, nullptr, seenFactory, drive);
            if (run.status != 0 || !run.leftOver.empty())
                broken("status " + std::to_string(run.status) + " " + run.leftOver, run.errors);
        }
        return mBroken;
    }

private:
    /* Opens the pane, which shows the ticket's values, then works it until
       a print closes the dialog, the actions run out or a promise breaks. */
    static int drive(DialogSession &dialog, bool &printed) {
        Monkey &m = *current;
        std::string error;
        m.mLast = "the opening";
        if (!dialog.HasPane() || gTicket == nullptr ||
            dialog.Perform(Action{}, error) != DialogSession::Outcome::Continue)
            return m.broken("the dialog did not open with its pane " + error, NewDialogEvents()), 0;
        m.dialogs++;
        m.mTaintedID = m.mTaintedCode = false;
        m.mWindow = dialog.Window();
        m.checkShown("", "", false, NewDialogEvents());
        while (m.mLeft-- > 0 && m.mBroken.empty() && !printed)
            printed = m.step(dialog);
        return 0;
    }

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

    void broken(const std::string &what, const std::string &events) {
        if (mBroken.empty())
            mBroken = what + "\nafter: " + mLast + "\nevents:\n" + events;
    }

    /* The ticket's items with the pane's five set to these values, each in
       its place or else appended. */
    std::vector<TicketItem> withPaneItems(std::vector<TicketItem> items, const std::string &id,
                                          const std::string &code, bool on,
                                          const std::string &zone) {
        using K = TicketItem::Kind;
        auto item = [](const char *key, K kind, const std::string &text, bool boolean = false) {
            return TicketItem{key, kind, text, boolean, kQuarnTicketClientID};
        };
        for (const TicketItem &wanted : {item(kQuarnUserIDKey, K::String, id),
                                         item(kQuarnEnableUserCodeKey, K::Boolean, "", on),
                                         item(kQuarnUserCodeKey, K::String, code),
                                         item(kQuarnJobTypeKey, K::String, kQuarnJobTypeNormal),
                                         item(kQuarnTimeZoneKey, K::String, zone)}) {
            auto at = std::find_if(items.begin(), items.end(),
                                   [&](const TicketItem &it) { return it.key == wanted.key; });
            at == items.end() ? items.push_back(wanted) : void(*at = wanted);
        }
        return items;
    }

    /* Whether the item can be written again as it is: nothing the pane
       writes may be locked. */
    bool rewritable(const TicketItem &it) {
        CFOwned<CFStringRef> key(CreateCFStringFromText(it.key)),
            client(CreateCFStringFromText(it.client)), text(CreateCFStringFromText(it.text));
        return (it.kind == TicketItem::Kind::Boolean
                    ? PMTicketSetBoolean(gTicket, client.get(), key.get(), it.boolean, false)
                    : PMTicketSetCFString(gTicket, client.get(), key.get(), text.get(), false)) ==
               noErr;
    }

    /* The fields show the ticket's values, an invalid one (a code written
       while the box was off) as empty; `id`, `code` and `on` where it has none. */
    void checkShown(std::string id, std::string code, bool on, const std::string &events) {
        for (const TicketItem &it : ReadTicketItems(gTicket)) {
            if (it.key == kQuarnUserIDKey)
                id = valid(it.text, false) ? it.text : "", mTaintedID = false;
            if (it.key == kQuarnUserCodeKey)
                code = valid(it.text, true) ? it.text : "", mTaintedCode = false;
            on = it.key == kQuarnEnableUserCodeKey ? it.boolean : on;
        }
        if (text(kUserID) != id || text(kUserCode) != code || box() != on)
            broken("the pane does not show the ticket's values", events);
    }

    /* Any action a script can name but a picture, typing, focus and clicks
       more often; the fields, the check box and the label as targets. */
    Action randomAction() {
        static const ActionKind kOften[] = {ActionKind::Type, ActionKind::Focus, ActionKind::Click};
        static const SInt32 kIDs[] = {kUserID, kUserCode, kCheckBox, kUserCodeLabel};
        Action action;
        action.kind = below(3) == 0 ? kOften[below(3)] : ActionKind(below(17));
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

    /* One action and the promises it must keep; true when it printed. */
    bool step(DialogSession &dialog) {
        std::string id = text(kUserID), code = text(kUserCode), error;
        bool on = box();
        std::vector<TicketItem> itemsBefore = ReadTicketItems(gTicket);
        Action action = randomAction();
        ControlRef focus = HIStandInGetFocusedControl();
        mLast = std::to_string(int(action.kind)) + " \"" + action.text + "\" " +
                std::to_string(action.id);
        DialogSession::Outcome outcome = dialog.Perform(action, error);
        std::string events = NewDialogEvents();
        if (outcome == DialogSession::Outcome::BadArgument)
            return broken("the host refused the action: " + error, events), false;
        if (action.kind == ActionKind::Drop && focus != nullptr) {
            drops++;
            mTaintedID = mTaintedID || focus == control(kUserID);
            mTaintedCode = mTaintedCode || focus == control(kUserCode);
        }
        std::vector<TicketItem> items = ReadTicketItems(gTicket);
        if (action.kind == ActionKind::SyncTickets || action.kind == ActionKind::Print) {
            int invalid = !valid(id, false) + (on && !valid(code, true));
            int alerts = count(events, "alert caution ");
            if (alerts != invalid)
                broken(std::to_string(alerts) + " alerts for " + std::to_string(invalid) +
                           " invalid fields",
                       events);
            auto zone = std::find_if(items.begin(), items.end(), [](const TicketItem &it) {
                return it.key == kQuarnTimeZoneKey && !it.text.empty();
            });
            if (invalid != 0 &&
                (refusals++, items != itemsBefore ||
                                 events.find("status sync-tickets -9531\n") == std::string::npos))
                broken("a refused sync changed the ticket or did not fail", events);
            if (invalid == 0 && (zone == items.end() ||
                                 items != withPaneItems(itemsBefore, id, code, on, zone->text)))
                broken("the ticket does not hold the five items with the fields' values", events);
            for (const TicketItem &it : invalid == 0 ? items : std::vector<TicketItem>())
                if (it.client == kQuarnTicketClientID && !rewritable(it))
                    broken("the pane locked " + it.key + " against the printer's other panes",
                           events);
        } else if (items != itemsBefore) {
            broken("the ticket changed without a sync", events);
        }
        if (outcome == DialogSession::Outcome::Printed)
            return prints++, true;
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
        return false;
    }

    static inline Monkey *current; /* the one driving the dialog */
    std::mt19937 mDice;
    long mLeft = 0; /* actions still to do */
    WindowRef mWindow = nullptr;
    bool mTaintedID = false, mTaintedCode = false;
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
