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

namespace {

/* The pane area where the host puts it: top 40, left 20, the prologue's 150 x 270. */
const int kPaneTop = 40, kPaneLeft = 20, kPaneBottom = 310, kPaneRight = 170;

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

/* The check box off, the empty User ID focused; on, a selection in the
   User Code; the alert up over the dialog (the scripts that say so) */
const char *const kScenes[] = {
    "open\nshow\nsnapshot @\n",
    "open\nclick jlog 4\nfocus jlog 5\ntype 12345\nselect 1 3\nshow\nsnapshot @\n",
    "open\ndrop Bob!\nsnapshot-alert @\nprint\n",
};

/* 0xRRGGBB at x, y */
uint32_t At(cairo_surface_t *picture, int x, int y) {
    const unsigned char *row =
        cairo_image_surface_get_data(picture) + y * cairo_image_surface_get_stride(picture);
    return reinterpret_cast<const uint32_t *>(row)[x] & 0xFFFFFF;
}

TEST(Pictures, EveryLocalizationInEveryStateShowsWhatTheDialogReports) {
    for (const char *language : {"en", "de", "ja"}) {
        for (const std::string scene : kScenes) {
            SCOPED_TRACE(std::string(language) + " " + scene);
            const bool alert = scene.find("alert") != std::string::npos,
                       selection = scene.find("select") != std::string::npos;
            TempDir dir;
            std::string path = dir.path() + "/picture.png", script = scene;
            script.replace(script.find('@'), 1, path);
            HostOptions options;
            options.ppd = QUARN_FIXTURES "/joblog.ppd";
            options.plugin = QUARN_PLUGIN_BUNDLE_DIR;
            options.language = language;
            ParsedScript parsed = ParseScript(script);
            DialogRun dialog = RunDialogInProcess(options, &parsed.actions, JobLogPluginFactory);
            EXPECT_TRUE(dialog.status == 0 && dialog.leftOver.empty())
                << dialog.errors << dialog.leftOver;
            std::shared_ptr<cairo_surface_t> picture(
                cairo_image_surface_create_from_png(path.c_str()), cairo_surface_destroy);
            int width = cairo_image_surface_get_width(picture.get()),
                height = cairo_image_surface_get_height(picture.get());
            ASSERT_EQ(kPaneRight + 20, width) << "no picture";
            ASSERT_EQ(kPaneBottom + 40, height);
            /* How many pixels within the rectangle pass the test */
            auto count = [&](int top, int left, int bottom, int right, auto test) {
                int n = 0;
                for (int y = top; y < bottom; y++)
                    for (int x = left; x < right; x++)
                        n += test(At(picture.get(), x, y)) ? 1 : 0;
                return n;
            };
            /* The alert, drawn only while it is up, covers the dialog */
            int caution = count(0, 0, height, width, IsCaution);
            EXPECT_EQ(alert, caution > 20) << caution << " caution-coloured pixels";
            if (alert)
                continue;

            /* Every drawn pixel is on the pane area's frame or in one
               control (they do not overlap): nothing outside the controls */
            const uint32_t background = At(picture.get(), 0, 0);
            auto drawn = [&](int top, int left, int bottom, int right) {
                return count(top, left, bottom, right, [&](uint32_t p) { return p != background; });
            };
            int onFrame = drawn(kPaneTop, kPaneLeft, kPaneBottom, kPaneRight) -
                          drawn(kPaneTop + 1, kPaneLeft + 1, kPaneBottom - 1, kPaneRight - 1);
            int inControls = 0, focused = 0;

            /* Dimming, the check mark, the focus ring and the selection,
               each exactly when the dialog reports its control so */
            std::istringstream lines(dialog.events);
            for (std::string line; std::getline(lines, line);) {
                char kind[16], enabled[4], focus[4];
                int value, top, left, bottom, right;
                if (std::sscanf(line.c_str(),
                                "control %*s %*d %15s value=%d enabled=%3s visible=%*s focus=%3s "
                                "bounds=%d,%d,%d,%d",
                                kind, &value, enabled, focus, &top, &left, &bottom, &right) != 8)
                    continue;
                SCOPED_TRACE(line);
                inControls += drawn(top, left, bottom, right);
                // Enabled: black text or the field's dark frame; dimmed: nothing darker than grey
                int dark = count(top, left, bottom, right, DarkerThan(140));
                EXPECT_EQ(std::string(enabled) == "yes", dark > 0) << dark << " dark";
                if (std::string(kind) == "checkbox") {
                    int mark = count(top, left + 2, bottom, left + 12, DarkerThan(100));
                    EXPECT_EQ(value == 1, mark > 0) << mark << " dark in the box";
                }
                if (std::string(kind) == "edittext") {
                    bool hasFocus = std::string(focus) == "yes";
                    int ring = count(top + 1, left, top + 2, right, IsFocusBlue);
                    EXPECT_EQ(hasFocus, ring > (right - left) / 2) << "ring " << ring;
                    int selected = count(top, left, bottom, right, IsSelection);
                    EXPECT_EQ(hasFocus && selection, selected > 0) << selected << " selected";
                    focused += hasFocus ? 1 : 0;
                }
            }
            EXPECT_EQ(1, focused);
            EXPECT_EQ(drawn(0, 0, height, width), onFrame + inControls);
        }
    }
}

} // namespace
