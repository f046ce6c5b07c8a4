/*
 * main.cpp
 *
 * pdehost: the print dialog for one printer and one dialog-extension
 * pane, worked by a script (README.md). Reads the command line and the
 * script, then runs the dialog (DialogSession.h); with --window, in a GTK
 * window instead (README.md, "The window"): the toolbox's picture of the
 * dialog's window above Print and Cancel buttons. Every key and click
 * there becomes the action a script would name, performed by the same
 * dialog: keys go to the focused control through the toolbox's key path
 * (Ctrl plays the Command key), a click hits the control under the pointer
 * by its bounds, the desktop's clipboard is copied to the toolbox's before
 * a paste and back after a copy or cut, and an alert is also shown as a
 * modal message dialog.
 */
#include "CommandLine.h"
#include "DialogSession.h"
#include "HostText.h"

#include <StandIn/HIStandIn.h>

#include <gtk/gtk.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

namespace {

const char kUsage[] =
    "usage: pdehost --ppd FILE [--plugin DIR] [--set KEY=VALUE]... [--set-bool KEY=true|false]...\n"
    "               [--job FILE (--printer NAME | --filter PATH)] [--language LANG]\n"
    "               [--snapshot PNG] (--window | [SCRIPT | -])\n"
    "  --ppd FILE          the printer's PPD\n"
    "  --plugin DIR        the dialog-extension bundle (default: the PPD's APDialogExtension)\n"
    "  --set KEY=VALUE     a string item in the print-settings ticket\n"
    "  --set-bool KEY=B    a boolean item (true or false)\n"
    "  --job FILE          the file a successful print submits\n"
    "  --printer NAME      submit it to this CUPS queue\n"
    "  --filter PATH       or run this CUPS filter on it and show its output\n"
    "  --language LANG     the user's preferred language (en, de, ja...)\n"
    "  --snapshot PNG      a picture of the dialog as it is when it closes\n"
    "  --window            the dialog in a window on the desktop, worked by hand\n"
    "  SCRIPT              the dialog actions; standard input when absent or \"-\"\n";

struct WindowState {
    DialogSession *dialog = nullptr;
    GtkWidget *top = nullptr;
    GtkWidget *area = nullptr;
    bool printed = false;
    int actions = 0; /* numbers the actions as lines in notes */
};

WindowState gState;

void perform(Action action) {
    if (gState.printed)
        return;
    action.line = ++gState.actions;
    std::string error;
    DialogSession::Outcome outcome = gState.dialog->Perform(action, error);
    if (outcome == DialogSession::Outcome::BadArgument)
        Complain(error);
    if (outcome == DialogSession::Outcome::Printed) {
        gState.printed = true;
        gtk_main_quit();
        return;
    }
    gtk_widget_queue_draw(gState.area);
}

/* The desktop's clipboard onto the toolbox's, as plain text */
void clipboardToScrap() {
    gchar *text = gtk_clipboard_wait_for_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
    perform(text != nullptr ? Action{.kind = ActionKind::Clipboard, .text = text}
                            : Action{.kind = ActionKind::ClipboardEmpty});
    g_free(text);
}

/* The toolbox's clipboard onto the desktop's */
void scrapToClipboard() {
    ScrapRef scrap = nullptr;
    Size size = 0;
    if (GetCurrentScrap(&scrap) != noErr ||
        GetScrapFlavorSize(scrap, kScrapFlavorTypeText, &size) != noErr || size <= 0)
        return;
    std::vector<UInt8> bytes(static_cast<size_t>(size));
    if (GetScrapFlavorData(scrap, kScrapFlavorTypeText, &size, bytes.data()) != noErr)
        return;
    CFStringRef string = CFStringCreateWithBytes(kCFAllocatorDefault, bytes.data(), size,
                                                 kCFStringEncodingMacRoman, false);
    std::string text = TextOrEmpty(string);
    ReleaseIfAny(string);
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), text.c_str(), -1);
}

gboolean onKey(GtkWidget *, GdkEventKey *event, gpointer) {
    static const struct {
        guint keyval;
        KeyName key;
    } kKeys[] = {{GDK_KEY_BackSpace, KeyName::Backspace}, {GDK_KEY_Delete, KeyName::Delete},
                 {GDK_KEY_KP_Delete, KeyName::Delete},    {GDK_KEY_Left, KeyName::Left},
                 {GDK_KEY_KP_Left, KeyName::Left},        {GDK_KEY_Right, KeyName::Right},
                 {GDK_KEY_KP_Right, KeyName::Right},      {GDK_KEY_Home, KeyName::Home},
                 {GDK_KEY_KP_Home, KeyName::Home},        {GDK_KEY_End, KeyName::End},
                 {GDK_KEY_KP_End, KeyName::End},          {GDK_KEY_Tab, KeyName::Tab},
                 {GDK_KEY_ISO_Left_Tab, KeyName::Tab},    {GDK_KEY_Return, KeyName::Return},
                 {GDK_KEY_KP_Enter, KeyName::Return},     {GDK_KEY_Escape, KeyName::Escape}};
    if ((event->state & GDK_MOD1_MASK) != 0)
        return FALSE; /* Alt: the buttons' mnemonics */
    for (const auto &known : kKeys) {
        if (event->keyval == known.keyval) {
            perform({.kind = ActionKind::Key, .key = known.key});
            return TRUE;
        }
    }
    gunichar ch = gdk_keyval_to_unicode(event->keyval);
    if (ch == 0 || ch > 0xFFFF) /* one UTF-16 unit per key event */
        return FALSE;
    char utf8[8] = {};
    g_unichar_to_utf8(ch, utf8);
    if ((event->state & GDK_CONTROL_MASK) == 0) {
        perform({.kind = ActionKind::Type, .text = utf8});
        return TRUE;
    }
    ch = g_unichar_tolower(ch);
    if (ch == 'v')
        clipboardToScrap();
    perform({.kind = ActionKind::CommandKey, .text = utf8});
    if (ch == 'c' || ch == 'x')
        scrapToClipboard();
    return TRUE;
}

gboolean onClick(GtkWidget *area, GdkEventButton *event, gpointer) {
    gtk_widget_grab_focus(area);
    WindowRef window = gState.dialog->Window();
    if (event->type != GDK_BUTTON_PRESS || event->button != 1 || window == nullptr)
        return TRUE;
    Point where;
    where.h = static_cast<short>(event->x);
    where.v = static_cast<short>(event->y);
    ControlRef control = FindControlUnderMouse(where, window, nullptr);
    ControlID id = {0, 0};
    if (control == nullptr || GetControlID(control, &id) != noErr ||
        (id.signature == 0 && id.id == 0))
        return TRUE; /* a control the dialog cannot name does nothing when clicked */
    perform({.kind = ActionKind::Click, .signature = id.signature, .id = id.id});
    return TRUE;
}

gboolean onDraw(GtkWidget *, cairo_t *cr, gpointer) {
    if (gState.dialog->Window() != nullptr)
        HIStandInDrawWindow(gState.dialog->Window(), cr);
    return TRUE;
}

void onPrint(GtkButton *, gpointer) {
    perform({.kind = ActionKind::Print});
}

gboolean onCancel(GtkWidget *, GdkEvent *, gpointer) {
    gtk_main_quit(); /* the dialog is cancelled when the driver returns */
    return TRUE;
}

void presentAlert(const std::string &message) {
    gtk_widget_queue_draw(gState.area);
    GtkWidget *alert =
        gtk_message_dialog_new(GTK_WINDOW(gState.top), GTK_DIALOG_MODAL, GTK_MESSAGE_WARNING,
                               GTK_BUTTONS_OK, "%s", message.c_str());
    gtk_dialog_run(GTK_DIALOG(alert));
    gtk_widget_destroy(alert);
}

GtkWidget *makeButton(const char *label, GCallback callback) {
    GtkWidget *button = gtk_button_new_with_mnemonic(label);
    gtk_widget_set_focus_on_click(button, FALSE); /* the keys stay with the dialog */
    g_signal_connect(button, "clicked", callback, nullptr);
    return button;
}

/* Works the open dialog in a window until the user prints or cancels. */
int workWindow(DialogSession &dialog, bool &printed) {
    gState = WindowState();
    gState.dialog = &dialog;
    Rect bounds = {0, 0, 100, 200};
    if (dialog.Window() != nullptr)
        GetWindowBounds(dialog.Window(), kWindowContentRgn, &bounds);

    gState.top = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(gState.top), "pdehost");
    gtk_window_set_resizable(GTK_WINDOW(gState.top), FALSE);
    g_signal_connect(gState.top, "delete-event", G_CALLBACK(onCancel), nullptr);
    GtkWidget *column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_container_add(GTK_CONTAINER(gState.top), column);

    gState.area = gtk_drawing_area_new();
    gtk_widget_set_size_request(gState.area, bounds.right - bounds.left,
                                bounds.bottom - bounds.top);
    gtk_widget_set_can_focus(gState.area, TRUE);
    gtk_widget_add_events(gState.area, GDK_BUTTON_PRESS_MASK | GDK_KEY_PRESS_MASK);
    g_signal_connect(gState.area, "draw", G_CALLBACK(onDraw), nullptr);
    g_signal_connect(gState.area, "key-press-event", G_CALLBACK(onKey), nullptr);
    g_signal_connect(gState.area, "button-press-event", G_CALLBACK(onClick), nullptr);
    gtk_box_pack_start(GTK_BOX(column), gState.area, FALSE, FALSE, 0);

    GtkWidget *buttons = gtk_button_box_new(GTK_ORIENTATION_HORIZONTAL);
    gtk_button_box_set_layout(GTK_BUTTON_BOX(buttons), GTK_BUTTONBOX_END);
    gtk_box_set_spacing(GTK_BOX(buttons), 6);
    gtk_container_set_border_width(GTK_CONTAINER(buttons), 6);
    gtk_container_add(GTK_CONTAINER(buttons), makeButton("_Cancel", G_CALLBACK(gtk_main_quit)));
    gtk_container_add(GTK_CONTAINER(buttons), makeButton("_Print", G_CALLBACK(onPrint)));
    gtk_box_pack_start(GTK_BOX(column), buttons, FALSE, FALSE, 0);

    dialog.SetAlertPresenter(presentAlert);
    gtk_widget_show_all(gState.top);
    gtk_widget_grab_focus(gState.area);
    perform({.kind = ActionKind::Open}); /* the dialog shows the pane */
    if (!gState.printed)
        gtk_main();
    printed = gState.printed;
    dialog.SetAlertPresenter(nullptr);
    gtk_widget_destroy(gState.top);
    while (gtk_events_pending())
        gtk_main_iteration();
    return kExitDone;
}

/* The script at `path`, or on standard input when `path` is empty. */
bool readScript(const std::string &path, std::string &text) {
    std::ifstream file;
    if (!path.empty()) {
        file.open(path, std::ios::binary);
        if (!file)
            return false;
    }
    std::istream &in = path.empty() ? std::cin : file;
    text.assign(std::istreambuf_iterator<char>(in), {});
    return !in.bad();
}

} // namespace

int main(int argc, char *argv[]) {
    HostOptions options;
    std::string error;
    if (!ParseCommandLine(argc, argv, options, error)) {
        Complain(error);
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return kExitDone;
    }
    for (const auto &[what, path] : {std::pair("PPD ", options.ppd), {"job ", options.job}}) {
        if (!path.empty() && access(path.c_str(), R_OK) != 0) {
            Complain("cannot read the " + std::string(what) + path + ": " + std::strerror(errno));
            return kExitUsage;
        }
    }

    bool interactive = options.window || (options.script.empty() && isatty(STDIN_FILENO));
    std::vector<Action> actions;
    if (!interactive) {
        std::string text;
        if (!readScript(options.script, text)) {
            Complain("cannot read the script " + options.script + ": " + std::strerror(errno));
            return kExitUsage;
        }
        ParsedScript script = ParseScript(text);
        if (script.errorLine != 0) {
            Complain(script.error, script.errorLine);
            return kExitUsage;
        }
        actions = std::move(script.actions);
    }

    EventWriter events(stdout);
    if (options.window && !gtk_init_check(nullptr, nullptr)) {
        Complain("--window: cannot open the display");
        return kExitFailed;
    }
    if (options.window)
        return RunDialog(options, nullptr, events, nullptr, workWindow);
    return RunDialog(options, interactive ? nullptr : &actions, events);
}
