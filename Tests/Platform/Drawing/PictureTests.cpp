/*
 * PictureTests.cpp
 *
 * The Job Log pane as the user sees it, in each localization and state:
 * the dialog runs as pdehost runs it, with the pane linked in, writes a
 * picture, and the picture is checked against the controls the dialog
 * reports (`show`) for what a reviewer would look for: nothing drawn
 * outside the controls (a title longer than its control shows up here),
 * every control inside the pane area, disabled controls dimmed and enabled
 * ones not, the check mark exactly when the check box is on, the focus ring
 * on the focused field only, the selection, and the alert.
 */
#include "DialogRun.h"
#include "TestSupport.h"

#include <CJobLogPDE.h>

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdio>
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
    std::string text;
};

struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels; /* 0xRRGGBB */
    uint32_t At(int x, int y) const { return pixels[y * width + x]; }
};

int Red(uint32_t p) {
    return (p >> 16) & 0xFF;
}
int Green(uint32_t p) {
    return (p >> 8) & 0xFF;
}
int Blue(uint32_t p) {
    return p & 0xFF;
}
int Luminance(uint32_t p) {
    return (Red(p) * 30 + Green(p) * 59 + Blue(p) * 11) / 100;
}

Picture Load(const std::string &path) {
    Picture picture;
    cairo_surface_t *surface = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        picture.width = cairo_image_surface_get_width(surface);
        picture.height = cairo_image_surface_get_height(surface);
        const unsigned char *data = cairo_image_surface_get_data(surface);
        int stride = cairo_image_surface_get_stride(surface);
        for (int y = 0; y < picture.height; y++)
            for (int x = 0; x < picture.width; x++)
                picture.pixels.push_back(reinterpret_cast<const uint32_t *>(data + y * stride)[x] &
                                         0xFFFFFF);
    }
    cairo_surface_destroy(surface);
    return picture;
}

std::vector<Shown> ParseShown(const std::string &events) {
    std::vector<Shown> shown;
    std::istringstream lines(events);
    for (std::string line; std::getline(lines, line);) {
        char kind[16], enabled[4], focused[4];
        Shown c;
        int textAt = 0;
        if (std::sscanf(line.c_str(),
                        "control %*s %*d %15s value=%d enabled=%3s visible=%*s focus=%3s "
                        "bounds=%d,%d,%d,%d text=%n",
                        kind, &c.value, enabled, focused, &c.top, &c.left, &c.bottom, &c.right,
                        &textAt) != 8)
            continue;
        c.kind = kind;
        c.enabled = std::string(enabled) == "yes";
        c.focused = std::string(focused) == "yes";
        c.text = line.substr(textAt);
        shown.push_back(c);
    }
    return shown;
}

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
    {"alert", "open\ndrop Bob!\nshow\nsnapshot-alert @\nprint\n", false, true},
};

class Pictures : public testing::TestWithParam<std::tuple<const char *, Scene>> {
protected:
    void SetUp() override {
        const char *language = std::get<0>(GetParam());
        const Scene &scene = std::get<1>(GetParam());
        std::string path = mDir.path() + "/picture.png";
        std::string script = scene.script;
        script.replace(script.find('@'), 1, path);
        HostOptions options;
        options.ppd = QUARN_FIXTURES "/joblog.ppd";
        options.plugin = QUARN_PLUGIN_BUNDLE_DIR;
        options.language = language;
        ParsedScript parsed = ParseScript(script);
        ASSERT_EQ(0, parsed.errorLine) << parsed.error;
        char *buffer = nullptr;
        size_t size = 0;
        FILE *stream = open_memstream(&buffer, &size);
        {
            EventWriter events(stream);
            ASSERT_EQ(0, RunDialog(options, &parsed.actions, events, JobLogPluginFactory));
        }
        std::fclose(stream);
        mEvents.assign(buffer, size);
        std::free(buffer);
        mShown = ParseShown(mEvents);
        mPicture = Load(path);
        ASSERT_EQ(5u, mShown.size()) << mEvents;
        ASSERT_EQ(kPaneRight + 20, mPicture.width) << "no picture at " << path;
        ASSERT_EQ(kPaneBottom + 40, mPicture.height);
    }

    /* How many pixels within the rectangle pass the test */
    template <class Test> int Count(int top, int left, int bottom, int right, Test test) const {
        int n = 0;
        for (int y = top; y < bottom; y++)
            for (int x = left; x < right; x++)
                n += test(mPicture.At(x, y)) ? 1 : 0;
        return n;
    }
    int Darkest(const Shown &c) const {
        int darkest = 255;
        Count(c.top, c.left, c.bottom, c.right, [&](uint32_t p) {
            darkest = std::min(darkest, Luminance(p));
            return true;
        });
        return darkest;
    }

    TempDir mDir;
    std::string mEvents;
    std::vector<Shown> mShown;
    Picture mPicture;
};

bool IsFocusBlue(uint32_t p) {
    return Blue(p) > Red(p) + 100;
}
bool IsSelection(uint32_t p) {
    return Blue(p) > 240 && Red(p) > 150 && Red(p) < 200;
}
bool IsCaution(uint32_t p) {
    return Red(p) > 230 && Green(p) > 180 && Blue(p) < 100;
}

TEST_P(Pictures, ControlsSitInThePaneAndDrawOnlyWithinTheirBounds) {
    for (const Shown &c : mShown) {
        EXPECT_TRUE(c.top >= kPaneTop && c.left >= kPaneLeft && c.bottom <= kPaneBottom &&
                    c.right <= kPaneRight)
            << c.kind << " " << c.text << " outside the pane area";
    }
    if (std::get<1>(GetParam()).alert)
        return; /* the alert covers the dialog */
    const uint32_t background = mPicture.At(0, 0);
    for (int y = 0; y < mPicture.height; y++) {
        for (int x = 0; x < mPicture.width; x++) {
            bool paneEdge =
                (y == kPaneTop || y == kPaneBottom - 1 || x == kPaneLeft || x == kPaneRight - 1) &&
                y >= kPaneTop && y < kPaneBottom && x >= kPaneLeft && x < kPaneRight;
            const Shown *owner = nullptr;
            for (const Shown &c : mShown)
                if (x >= c.left && x < c.right && y >= c.top && y < c.bottom)
                    owner = &c;
            if (mPicture.At(x, y) != background && !paneEdge && owner == nullptr) {
                ADD_FAILURE() << "drawn outside every control at x=" << x << " y=" << y;
                return;
            }
        }
    }
}

TEST_P(Pictures, DisabledControlsAreDimmedAndEnabledOnesAreNot) {
    if (std::get<1>(GetParam()).alert)
        return;
    for (const Shown &c : mShown) {
        /* Enabled: black text or the field's dark frame; dimmed: nothing darker than grey */
        EXPECT_EQ(c.enabled, Darkest(c) < 140)
            << c.kind << " " << c.text << " darkest " << Darkest(c);
    }
}

TEST_P(Pictures, CheckMarkExactlyWhenOnAndFocusRingOnlyOnTheFocusedField) {
    if (std::get<1>(GetParam()).alert)
        return;
    int focused = 0;
    for (const Shown &c : mShown) {
        if (c.kind == "checkbox") {
            int mark = Count(c.top, c.left + 2, c.bottom, c.left + 12,
                             [](uint32_t p) { return Luminance(p) < 100; });
            EXPECT_EQ(c.value == 1, mark > 0) << "value " << c.value << ", " << mark << " dark";
        }
        if (c.kind == "edittext") {
            int ring = Count(c.top + 1, c.left, c.top + 2, c.right, IsFocusBlue);
            EXPECT_EQ(c.focused, ring > (c.right - c.left) / 2) << c.text << " ring " << ring;
            int selected = Count(c.top, c.left, c.bottom, c.right, IsSelection);
            EXPECT_EQ(c.focused && std::get<1>(GetParam()).selection, selected > 0)
                << c.text << " selection " << selected;
            focused += c.focused ? 1 : 0;
        }
    }
    EXPECT_EQ(1, focused);
}

TEST_P(Pictures, TheAlertIsDrawnOnlyWhileItIsUp) {
    bool alert = std::get<1>(GetParam()).alert;
    EXPECT_EQ(alert, mEvents.find("alert caution") != std::string::npos) << mEvents;
    int caution = Count(0, 0, mPicture.height, mPicture.width, IsCaution);
    EXPECT_EQ(alert, caution > 20) << caution << " caution-coloured pixels";
}

std::string SceneName(const testing::TestParamInfo<std::tuple<const char *, Scene>> &info) {
    return std::string(std::get<0>(info.param)) + "_" + std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(Localizations, Pictures,
                         testing::Combine(testing::Values("en", "de", "ja"),
                                          testing::ValuesIn(kScenes)),
                         SceneName);

} // namespace
