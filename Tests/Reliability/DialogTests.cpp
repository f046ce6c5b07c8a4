/*
 * DialogTests.cpp
 *
 * The whole dialog as pdehost runs it (RunDialog), the Job Log pane linked
 * in: under the layer's allocation failures, and worked by the pane's
 * monkey.
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
#include <cstring>
#include <random>

namespace {

using K = TicketItem::Kind;

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

/* A whole dialog (the ticket's values shown, editing with filters, limits,
   pastes and a drop, a refused print, both syncs, the summary, show, a second
   opening and a print) while for N = 1, 2, ... the Nth allocation of the
   layer (the glue's records included) fails, once or from then on, until a
   run goes through without a failure: every run ends with status 0, 1 or 2,
   the pane terminated exactly when its prologue succeeded, and every
   platform object and block given back; the run past the last allocation is
   the clean run. */
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
    options.settings = {{"com.example.Other", K::String, "kept as it is", false, ""},
                        {"com.quarn.pm.UserID", K::String, "Carol", false, ""},
                        {"com.quarn.pm.EnableUserCode", K::Boolean, "", true, ""},
                        {"com.quarn.pm.UserCode", K::String, "4242", false, ""}};
    DialogRun clean = RunDialogInProcess(options, &script.actions, JobLogPluginFactory);
    ASSERT_EQ(0, clean.status) << clean.errors;
    ASSERT_EQ(1, count(clean.events, "\noptions ")) << clean.events;
    long last = 0;
    for (bool persistent : {false, true}) {
        for (long nth = 1; (persistent ? nth < last : last == 0) && !HasFailure(); nth++) {
            DialogRun run = RunDialogInProcess(options, &script.actions, JobLogPluginFactory,
                                               nullptr, nth, persistent);
            std::string where = "allocation " + std::to_string(nth) +
                                (persistent ? " and on" : "") + " fails\n" + run.errors +
                                run.events;
            EXPECT_TRUE(run.status >= 0 && run.status <= 2) << where;
            EXPECT_EQ("", run.leftOver) << where;
            EXPECT_TRUE(persistent ? run.injected > 0 : run.injected <= 1) << where;
            EXPECT_EQ(count(run.events, "status prologue 0\n"),
                      count(run.events, "status terminate "))
                << where;
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
const SInt32 kCheckBox = 4, kUserCodeLabel = 105;
using Outcome = DialogSession::Outcome;

/* The User ID and the User Code: control, ticket item, summary row. */
const struct {
    SInt32 id;
    const char *key, *title;
} kFields[] = {{1, kQuarnUserIDKey, "User ID"}, {5, kQuarnUserCodeKey, "User Code"}};

/* At most 8 letters and digits; the User Code (field 1) digits only. */
bool valid(const std::string &text, int field) {
    return text.size() <= 8 && std::all_of(text.begin(), text.end(), [&](char c) {
               return isdigit(static_cast<unsigned char>(c)) ||
                      (field == 0 && isalpha(static_cast<unsigned char>(c)));
           });
}

/* Valid characters often, and now and then every kind of trouble:
   punctuation, control characters, letters beyond ASCII (with and without
   a MacRoman form), wide digits, a character beyond the BMP, blanks. */
// clang-format off
const char *const kPieces[] = {"a", "Z", "q", "0", "7", "9", "-", "\"", "\\", "\x7f", " ", "\t",
    "\xc3\xa9", "\xd0\x96", "\xef\xbc\x91", "\xc2\xa0", "\xf0\x9f\x98\x80"};
// clang-format on

/* The fields' texts and the check box as the pane shows them. */
struct Shown {
    std::string text[2];
    bool on = false;
    bool operator==(const Shown &) const = default;
};

/* Whole dialogs from tickets with random values, each worked by random
   actions from the script's list and checked after each against a model
   of the pane's promises, each said once (in `open` and `step`). */
class Monkey {
public:
    explicit Monkey(unsigned seed) : mDice(seed) {}
    long dialogs = 0, prints = 0, refusals = 0, drops = 0;

    /* Runs dialogs until `actions` actions are done; the first broken
       promise, or "". */
    std::string Run(long actions) {
        for (mLeft = actions; mLeft > 0 && mBroken.empty();) {
            HostOptions options;
            options.ppd = QUARN_FIXTURES "/joblog.ppd";
            options.plugin = QUARN_PLUGIN_BUNDLE_DIR;
            for (const char *key : {kQuarnUserIDKey, kQuarnEnableUserCodeKey, kQuarnUserCodeKey})
                if (below(2) == 0)
                    options.settings.push_back(
                        {key, key == std::string(kQuarnEnableUserCodeKey) ? K::Boolean : K::String,
                         randomText(), below(2) == 0, ""});
            auto drive = [this](DialogSession &dialog, bool &printed) {
                for (open(dialog); mLeft > 0 && mBroken.empty() && !printed; mLeft--)
                    printed = step(dialog);
                return 0;
            };
            DialogRun run = RunDialogInProcess(options, nullptr, JobLogPluginFactory, drive);
            expect(run.status == 0 && run.leftOver.empty(),
                   "status " + std::to_string(run.status) + ", left behind: " + run.leftOver,
                   run.errors);
        }
        return mBroken;
    }

private:
    unsigned below(size_t n) { return mDice() % n; }

    std::string randomText() {
        std::string text;
        bool digits = below(5) == 0;
        for (unsigned i = below(11); i > 0; i--)
            text += digits ? std::string(1, char('0' + below(10))) : kPieces[below(17)];
        return text;
    }

    /* Any action a script can name but a picture, typing, focus and clicks
       more often; the fields, the check box and the label as targets. */
    Action randomAction() {
        static const ActionKind kOften[] = {ActionKind::Type, ActionKind::Focus, ActionKind::Click};
        static const SInt32 kIDs[] = {kFields[0].id, kFields[1].id, kCheckBox, kUserCodeLabel};
        Action action;
        action.kind = below(3) == 0 ? kOften[below(3)] : ActionKind(below(17));
        action.signature = kSig;
        action.id = action.kind == ActionKind::Click && below(3) != 0 ? kCheckBox : kIDs[below(4)];
        action.key = KeyName(below(9));
        action.text = action.kind == ActionKind::CommandKey
                          ? std::string(1, "vVcCxXaAzq"[below(10)])
                          : randomText();
        action.selectionStart = int(below(12));
        action.selectionEnd = below(4) == 0 ? 32767 : int(below(12));
        return action;
    }

    void expect(bool kept, const std::string &promise, const std::string &events) {
        if (!kept && mBroken.empty())
            mBroken = promise + "\nafter: " + mLast + "\nevents:\n" + events;
    }

    ControlRef control(SInt32 id) {
        ControlID controlID = {kSig, id};
        ControlRef found = nullptr;
        GetControlByID(mWindow, &controlID, &found);
        return found;
    }

    Shown shown() {
        Shown now;
        for (int f : {0, 1}) {
            CFStringRef text = nullptr;
            GetControlData(control(kFields[f].id), kControlEditTextPart,
                           kControlEditTextCFStringTag, sizeof text, &text, nullptr);
            // A lone surrogate left by editing has no UTF-8 form: never valid.
            now.text[f] = TextFromCFString(CFOwned<CFStringRef>(text).get()).value_or(kNoUTF8);
        }
        now.on = GetControlValue(control(kCheckBox)) != 0;
        return now;
    }

    /* What the pane shows after reading the ticket: its values, an invalid
       one (a code written while the box was off) as empty, and `kept`
       where it has none. */
    Shown fromTicket(Shown kept) {
        for (const TicketItem &it : ReadTicketItems(mTicket)) {
            for (int f : {0, 1})
                if (it.key == kFields[f].key)
                    kept.text[f] = valid(it.text, f) ? it.text : "";
            if (it.key == kQuarnEnableUserCodeKey)
                kept.on = it.boolean;
        }
        return kept;
    }

    /* The dialog's print-settings ticket, and the pane opened on its values. */
    void open(DialogSession &dialog) {
        CFTypeRef number = nullptr;
        SInt64 ticket = 0;
        PMSessionGetDataFromSession(dialog.Session(), CFSTR(kPDE_PMPrintSettingsRef), &number);
        CFNumberGetValue(static_cast<CFNumberRef>(number), kCFNumberSInt64Type, &ticket);
        mTicket = reinterpret_cast<PMTicketRef>(ticket);
        mWindow = dialog.Window();
        mLast = "the opening";
        mDropped[0] = mDropped[1] = false;
        std::string error;
        bool opened = dialog.HasPane() && dialog.Perform(Action{}, error) == Outcome::Continue;
        dialogs += opened;
        expect(opened && shown() == fromTicket(Shown()), "the pane does not open on the ticket",
               NewDialogEvents());
    }

    /* One action and the promises it must keep; true when it printed. */
    bool step(DialogSession &dialog) {
        Shown was = shown();
        std::vector<TicketItem> before = ReadTicketItems(mTicket);
        Action action = randomAction();
        ControlRef focus = HIStandInGetFocusedControl();
        mLast = std::to_string(int(action.kind)) + " \"" + action.text + "\" " +
                std::to_string(action.id);
        std::string error;
        Outcome outcome = dialog.Perform(action, error);
        std::string events = NewDialogEvents();
        expect(outcome != Outcome::BadArgument, "the host refused the action: " + error, events);
        // A sync towards the tickets (and Print) writes the five items with
        // the fields' values if they are valid, else nothing but one alert
        // for each invalid field; nothing else changes the ticket.
        bool syncs = action.kind == ActionKind::SyncTickets || action.kind == ActionKind::Print;
        int invalid = syncs ? !valid(was.text[0], 0) + (was.on && !valid(was.text[1], 1)) : 0;
        refusals += invalid != 0;
        std::vector<TicketItem> items = ReadTicketItems(mTicket);
        expect(items == (syncs && invalid == 0 ? written(before, was, items) : before) &&
                   count(events, "alert caution ") == invalid &&
                   (!syncs || count(events, invalid ? "status sync-tickets -9531\n"
                                                    : "status sync-tickets 0\n") == 1),
               "the ticket, alerts and status for " + std::to_string(invalid) + " invalid fields",
               events);
        for (const TicketItem &it : syncs ? items : std::vector<TicketItem>()) // unlocked
            expect(it.client != kQuarnTicketClientID ||
                       WriteTicketItem(mTicket, it, error) == noErr,
                   "the pane locked " + it.key + " against the printer's other panes", events);
        if (outcome == Outcome::Printed) {
            prints++;
            return true;
        }
        // A sync towards the pane shows the ticket's values.
        Shown now = shown();
        expect(action.kind != ActionKind::SyncUI || now == fromTicket(was),
               "the pane does not show the ticket's values", events);
        // The summary lists the fields' texts, the code's with the box on.
        std::string summary = "status summary 0\n";
        for (int f = 0; f < (now.on ? 2 : 1); f++)
            summary += "summary " + QuoteEventText(kFields[f].title) + " " +
                       QuoteEventText(now.text[f] == kNoUTF8 ? "" : now.text[f]) + "\n";
        expect(action.kind != ActionKind::Summary || events == summary,
               "the summary is not the fields' texts", events);
        // The filters keep each field valid, unless a drop left it otherwise.
        drops += action.kind == ActionKind::Drop && focus != nullptr;
        for (int f : {0, 1}) {
            mDropped[f] = (mDropped[f] ||
                           (action.kind == ActionKind::Drop && focus == control(kFields[f].id))) &&
                          !valid(now.text[f], f);
            expect(mDropped[f] || valid(now.text[f], f), "a field holds " + now.text[f], events);
        }
        // The User Code and its label are enabled with the check box.
        expect(IsControlEnabled(control(kFields[1].id)) == now.on &&
                   IsControlEnabled(control(kUserCodeLabel)) == now.on,
               "the User Code's state does not follow the check box", events);
        return false;
    }

    /* `items` with the pane's five written over them, each in its place or
       else appended; the time zone as `after` holds it, if not empty. */
    static std::vector<TicketItem> written(std::vector<TicketItem> items, const Shown &f,
                                           const std::vector<TicketItem> &after) {
        const char *const pane = kQuarnTicketClientID;
        std::vector<TicketItem> five = {
            {kQuarnUserIDKey, K::String, f.text[0], false, pane},
            {kQuarnEnableUserCodeKey, K::Boolean, "", f.on, pane},
            {kQuarnUserCodeKey, K::String, f.text[1], false, pane},
            {kQuarnJobTypeKey, K::String, kQuarnJobTypeNormal, false, pane},
            {kQuarnTimeZoneKey, K::String, "(a time zone)", false, pane}};
        for (const TicketItem &it : after)
            if (it.key == kQuarnTimeZoneKey && !it.text.empty())
                five[4].text = it.text;
        for (const TicketItem &wanted : five) {
            auto at = std::find_if(items.begin(), items.end(),
                                   [&](const TicketItem &it) { return it.key == wanted.key; });
            if (at == items.end())
                items.push_back(wanted);
            else
                *at = wanted;
        }
        return items;
    }

    std::mt19937 mDice;
    long mLeft = 0;                /* actions still to do */
    PMTicketRef mTicket = nullptr; /* the dialog's print-settings ticket */
    WindowRef mWindow = nullptr;
    bool mDropped[2] = {}; /* a drop may have left the field invalid */
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
