/*
 * PictureTests.cpp
 *
 * The Job Log pane as the user sees it, in each localization and state:
 * the dialog runs as pdehost runs it, with the pane linked in, writes a
 * picture, and the picture is checked against the controls the dialog
 * reports (`show`) for what only a picture shows: nothing drawn outside
 * the controls (a title longer than its control shows up here), disabled
 * controls dimmed and enabled ones not, the check mark exactly when the
 * check box is on, the focus ring on the focused field only, the
 * selection, and the alert. The controls' texts and places are the dialog
 * scripts' (pane-german, pane-japanese, ...).
 */
#include "TestSupport.h"

#include <CJobLogPDE.h>

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <vector>

namespace {

/* The pane area where the host puts it: top 40, left 20, the prologue's 150 x 270. */
const int kPaneTop = 40, kPaneLeft = 20, kPaneBottom = 310, kPaneRight = 170;

struct Shown {
    std::string kind;
    int value = 0;
    bool enabled = false, focused = false;
    int top = 0, left = 0, bottom = 0, right = 0;
};

const auto Red = [](uint32_t p) { return int(p >> 16 & 0xFF); };
const auto Green = [](uint32_t p) { return int(p >> 8 & 0xFF); };
const auto Blue = [](uint32_t p) { return int(p & 0xFF); };
const auto DarkerThan = [](int luminance) {
    return [luminance](uint32_t p) {
        return (Red(p) * 30 + Green(p) * 59 + Blue(p) * 11) / 100 < luminance;
    };
};
const auto IsFocusBlue = [](uint32_t p) { return Blue(p) > Red(p) + 100; };
const auto IsSelection = [](uint32_t p) { return Blue(p) > 240 && Red(p) > 150 && Red(p) < 200; };
const auto IsCaution = [](uint32_t p) { return Red(p) > 230 && Green(p) > 180 && Blue(p) < 100; };

struct Scene {
    const char *name;
    const char *script; /* @ is the picture's path */
    bool selection;     /* the focused field has a selection */
    bool alert;         /* the picture is taken while an alert is up */
};

const Scene kScenes[] = {
    {"off", "open\nshow\nsnapshot @\n", false, false},
    {"on", "open\nclick jlog 4\nshow\nsnapshot @\n", false, false},
    {"selection", "open\nclick jlog 4\nfocus jlog 5\ntype 12345\nselect 1 3\nshow\nsnapshot @\n",
     true, false},
    {"alert", "open\ndrop Bob!\nsnapshot-alert @\nprint\n", false, true},
};

/* One language in one scene: the controls shown and the picture (0xRRGGBB) */
struct SceneRun {
    std::vector<Shown> shown;
    std::shared_ptr<cairo_surface_t> picture;
    int width = 0, height = 0; /* 0 without a picture */
    uint32_t At(int x, int y) const {
        const unsigned char *data = cairo_image_surface_get_data(picture.get());
        return reinterpret_cast<const uint32_t *>(
                   data + y * cairo_image_surface_get_stride(picture.get()))[x] &
               0xFFFFFF;
    }

    /* How many pixels within the rectangle pass the test */
    template <class Test> int Count(int top, int left, int bottom, int right, Test test) const {
        int n = 0;
        for (int y = top; y < bottom; y++)
            for (int x = left; x < right; x++)
                n += test(At(x, y)) ? 1 : 0;
        return n;
    }
};

SceneRun RunScene(const char *language, const Scene &scene) {
    TempDir dir;
    std::string path = dir.path() + "/picture.png", script = scene.script;
    script.replace(script.find('@'), 1, path);
    HostOptions options;
    options.ppd = QUARN_FIXTURES "/joblog.ppd";
    options.plugin = QUARN_PLUGIN_BUNDLE_DIR;
    options.language = language;
    ParsedScript parsed = ParseScript(script);
    DialogRun dialog = RunDialogInProcess(options, &parsed.actions, JobLogPluginFactory);
    EXPECT_EQ(0, dialog.status) << dialog.errors;
    EXPECT_EQ("", dialog.leftOver);
    SceneRun run;
    std::istringstream lines(dialog.events);
    for (std::string line; std::getline(lines, line);) {
        char kind[16], enabled[4], focused[4];
        Shown c;
        if (std::sscanf(line.c_str(),
                        "control %*s %*d %15s value=%d enabled=%3s visible=%*s focus=%3s "
                        "bounds=%d,%d,%d,%d",
                        kind, &c.value, enabled, focused, &c.top, &c.left, &c.bottom,
                        &c.right) != 8)
            continue;
        c.kind = kind;
        c.enabled = std::string(enabled) == "yes";
        c.focused = std::string(focused) == "yes";
        run.shown.push_back(c);
    }
    run.picture.reset(cairo_image_surface_create_from_png(path.c_str()), cairo_surface_destroy);
    run.width = cairo_image_surface_get_width(run.picture.get());
    run.height = cairo_image_surface_get_height(run.picture.get());
    return run;
}

/* Nothing drawn outside the controls but the pane area's frame: every
   drawn pixel is either on the frame or in one control (they do not overlap) */
void ExpectNothingOutsideTheControls(const SceneRun &run) {
    const uint32_t background = run.At(0, 0);
    auto drawn = [&](int top, int left, int bottom, int right) {
        return run.Count(top, left, bottom, right, [&](uint32_t p) { return p != background; });
    };
    int inControls = 0;
    for (const Shown &c : run.shown)
        inControls += drawn(c.top, c.left, c.bottom, c.right);
    int onFrame = drawn(kPaneTop, kPaneLeft, kPaneBottom, kPaneRight) -
                  drawn(kPaneTop + 1, kPaneLeft + 1, kPaneBottom - 1, kPaneRight - 1);
    EXPECT_EQ(drawn(0, 0, run.height, run.width), onFrame + inControls);
}

/* Dimming, the check mark, the focus ring and the selection, each exactly
   when the dialog reports its control so */
void ExpectEachControlShowsItsState(const SceneRun &run, const Scene &scene) {
    int focused = 0;
    for (const Shown &c : run.shown) {
        SCOPED_TRACE(c.kind + " at " + std::to_string(c.top) + "," + std::to_string(c.left));
        /* Enabled: black text or the field's dark frame; dimmed: nothing darker than grey */
        int dark = run.Count(c.top, c.left, c.bottom, c.right, DarkerThan(140));
        EXPECT_EQ(c.enabled, dark > 0) << dark << " dark";
        if (c.kind == "checkbox") {
            int mark = run.Count(c.top, c.left + 2, c.bottom, c.left + 12, DarkerThan(100));
            EXPECT_EQ(c.value == 1, mark > 0) << "value " << c.value << ", " << mark << " dark";
        }
        if (c.kind == "edittext") {
            int ring = run.Count(c.top + 1, c.left, c.top + 2, c.right, IsFocusBlue);
            EXPECT_EQ(c.focused, ring > (c.right - c.left) / 2) << "ring " << ring;
            int selected = run.Count(c.top, c.left, c.bottom, c.right, IsSelection);
            EXPECT_EQ(c.focused && scene.selection, selected > 0) << selected << " selected";
            focused += c.focused ? 1 : 0;
        }
    }
    EXPECT_EQ(1, focused);
}

TEST(Pictures, EveryLocalizationInEveryStateShowsWhatTheDialogReports) {
    for (const char *language : {"en", "de", "ja"}) {
        for (const Scene &scene : kScenes) {
            SCOPED_TRACE(std::string(language) + " " + scene.name);
            SceneRun run = RunScene(language, scene);
            ASSERT_EQ(kPaneRight + 20, run.width) << "no picture";
            ASSERT_EQ(kPaneBottom + 40, run.height);
            /* The alert, drawn only while it is up, covers the dialog */
            int caution = run.Count(0, 0, run.height, run.width, IsCaution);
            EXPECT_EQ(scene.alert, caution > 20) << caution << " caution-coloured pixels";
            if (!scene.alert) {
                ExpectNothingOutsideTheControls(run);
                ExpectEachControlShowsItsState(run, scene);
            }
        }
    }
}

} // namespace
