/*
 * Drawing.cpp
 *
 * What the user sees of a window: its content drawn from the control
 * records with cairo and pango, the standard alert that is up drawn over
 * it, and the hit-testing of a point against the controls' bounds. The
 * picture is made whenever it is asked for, so every call that changes a
 * control (values, visibility, enabling, focus, text) shows in the next
 * one. The fonts are named (DejaVu Sans, then VL Gothic for what it lacks)
 * and drawn without hinting, so a picture is the same on every machine
 * with those fonts.
 */
#include "HIInternal.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <cmath>
#include <string>

namespace {

const char kFontFamilies[] = "DejaVu Sans,VL Gothic";
const double kFontPixels = 11;
const double kAlertMargin = 10;

struct Color {
    double r, g, b;
};
const Color kWindowColor = {0.93, 0.93, 0.93};
const Color kPaneFrameColor = {0.78, 0.78, 0.78};
const Color kSelectionColor = {0.71, 0.84, 1.0};
const Color kFocusColor = {0.36, 0.6, 0.93};
const Color kDefaultButtonColor = {0.45, 0.65, 0.95};
const Color kCautionColor = {0.98, 0.8, 0.2};

/* The colours of a control: text (and marks), field and frame */
struct Palette {
    Color text, field, frame;
};
const Palette kEnabled = {{0.0, 0.0, 0.0}, {1.0, 1.0, 1.0}, {0.5, 0.5, 0.5}};
const Palette kDimmed = {{0.6, 0.6, 0.6}, {0.96, 0.96, 0.96}, {0.75, 0.75, 0.75}};

void SetColor(cairo_t *cr, const Color &c) {
    cairo_set_source_rgb(cr, c.r, c.g, c.b);
}

void FillRect(cairo_t *cr, double x, double y, double w, double h, const Color &c) {
    SetColor(cr, c);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

/* A frame just inside the rectangle, one pixel wide unless told */
void FrameRect(cairo_t *cr, double x, double y, double w, double h, const Color &c,
               double width = 1) {
    SetColor(cr, c);
    cairo_set_line_width(cr, width);
    cairo_rectangle(cr, x + width / 2, y + width / 2, w - width, h - width);
    cairo_stroke(cr);
}

/* A filled rectangle with its frame: a field, a box, a button, a panel */
void FramedRect(cairo_t *cr, double x, double y, double w, double h, const Color &fill,
                const Color &frame) {
    FillRect(cr, x, y, w, h, fill);
    FrameRect(cr, x, y, w, h, frame);
}

/* The UTF-8 form of the string's first `units` UTF-16 units (all of them
   when negative), through the layer's own conversion; a unit that has none
   (a lone surrogate) becomes '?'. */
std::string UTF8(CFStringRef string, CFIndex units = -1) {
    if (string == nullptr)
        return std::string();
    CFIndex length = CFStringGetLength(string);
    CFRange range = CFRangeMake(0, units < 0 || units > length ? length : units);
    CFIndex size = 0;
    CFStringGetBytes(string, range, kCFStringEncodingUTF8, '?', false, nullptr, 0, &size);
    std::string out(size, '\0');
    CFStringGetBytes(string, range, kCFStringEncodingUTF8, '?', false,
                     reinterpret_cast<UInt8 *>(out.data()), size, nullptr);
    return out;
}

std::string UTF8(const HIText &text, CFIndex units = -1) {
    CFStringRef string = HITextCopyString(&text);
    std::string out = UTF8(string, units);
    if (string != nullptr)
        CFRelease(string);
    return out;
}

PangoLayout *NewLayout(cairo_t *cr, const std::string &text, double wrapWidth = -1) {
    PangoLayout *layout = pango_cairo_create_layout(cr);
    cairo_font_options_t *options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(pango_layout_get_context(layout), options);
    cairo_font_options_destroy(options);
    pango_layout_context_changed(layout);
    PangoFontDescription *font = pango_font_description_from_string(kFontFamilies);
    pango_font_description_set_absolute_size(font, kFontPixels * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    if (wrapWidth > 0) {
        pango_layout_set_width(layout, (int)(wrapWidth * PANGO_SCALE));
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    }
    pango_layout_set_text(layout, text.c_str(), (int)text.size());
    return layout;
}

/* Draws the layout at x (or centred across the width `across` from x, when
   given), vertically centred in the band from top to bottom (with its top at
   `top` when bottom is NAN) */
void ShowLayout(cairo_t *cr, PangoLayout *layout, double x, double top, double bottom,
                const Color &c, double across = 0) {
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    SetColor(cr, c);
    cairo_move_to(cr, across > 0 ? x + (across - width) / 2 : x,
                  std::isnan(bottom) ? top : top + ((bottom - top) - height) / 2);
    pango_cairo_show_layout(cr, layout);
}

/* One line of text, placed as ShowLayout places it */
void ShowLine(cairo_t *cr, const std::string &text, double x, double top, double bottom,
              const Color &c, double across = 0) {
    PangoLayout *layout = NewLayout(cr, text);
    ShowLayout(cr, layout, x, top, bottom, c, across);
    g_object_unref(layout);
}

void DrawEditText(cairo_t *cr, ControlRef c, bool focused, const Palette &p) {
    const Rect &b = c->bounds;
    double x = b.left, y = b.top, w = b.right - b.left, h = b.bottom - b.top;
    if (focused) /* the ring takes the outer two pixels */
        FrameRect(cr, x, y, w, h, kFocusColor, 2);
    FramedRect(cr, x + 2, y + 2, w - 4, h - 4, p.field, p.frame);
    PangoLayout *layout = NewLayout(cr, UTF8(c->text));
    cairo_save(cr);
    cairo_rectangle(cr, x + 3, y + 3, w - 6, h - 6);
    cairo_clip(cr);
    /* Selection and caret positions: the layout's byte offsets of UTF-16 positions */
    auto xAt = [&](CFIndex units) {
        PangoRectangle pos;
        pango_layout_index_to_pos(layout, (int)UTF8(c->text, units).size(), &pos);
        return x + 5 + pos.x / (double)PANGO_SCALE;
    };
    if (focused && c->selStart != c->selEnd) {
        double from = xAt(c->selStart), to = xAt(c->selEnd);
        FillRect(cr, from, y + 3, to - from, h - 6, kSelectionColor);
    }
    ShowLayout(cr, layout, x + 5, y, y + h, p.text);
    if (focused && c->selStart == c->selEnd)
        FillRect(cr, (int)xAt(c->selStart), y + 4, 1, h - 8, kEnabled.text);
    cairo_restore(cr);
    g_object_unref(layout);
}

void DrawCheckBox(cairo_t *cr, ControlRef c, const Palette &p) {
    const Rect &b = c->bounds;
    double box = 12, x = b.left + 1, y = b.top + ((b.bottom - b.top) - box) / 2;
    FramedRect(cr, x, y, box, box, p.field, p.frame);
    if (c->value == 1) {
        SetColor(cr, p.text);
        cairo_set_line_width(cr, 2);
        cairo_move_to(cr, x + 3, y + 6);
        cairo_line_to(cr, x + 5.5, y + 9);
        cairo_line_to(cr, x + 9.5, y + 3);
        cairo_stroke(cr);
    }
    ShowLine(cr, UTF8(c->text), x + box + 5, b.top, b.bottom, p.text);
}

/* The caution icon: a yellow triangle with an exclamation mark */
void DrawCautionIcon(cairo_t *cr, double x, double y, double size) {
    cairo_move_to(cr, x + size / 2, y);
    cairo_line_to(cr, x + size, y + size);
    cairo_line_to(cr, x, y + size);
    cairo_close_path(cr);
    SetColor(cr, kCautionColor);
    cairo_fill_preserve(cr);
    SetColor(cr, kEnabled.frame);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    FillRect(cr, x + size / 2 - 1.5, y + size * 0.35, 3, size * 0.35, kEnabled.text);
    FillRect(cr, x + size / 2 - 1.5, y + size * 0.78, 3, 3, kEnabled.text);
}

/* The alert that is up, at the top of the window across its width, with its
   default button */
void DrawAlert(cairo_t *cr, double windowWidth, CFStringRef message, CFStringRef explanation) {
    const double icon = 24, button = 20, buttonWidth = 60;
    double x = kAlertMargin, w = windowWidth - 2 * kAlertMargin;
    double textX = x + 8 + icon + 8, textWidth = x + w - 8 - textX;
    std::string text = UTF8(message);
    if (explanation != nullptr)
        text += "\n\n" + UTF8(explanation);
    PangoLayout *layout = NewLayout(cr, text, textWidth);
    int tw = 0, th = 0;
    pango_layout_get_pixel_size(layout, &tw, &th);
    double h = 8 + (th > icon ? th : icon) + 10 + button + 8;
    double y = 20;
    cairo_set_source_rgba(cr, 0, 0, 0, 0.15); /* the dialog under it, shaded */
    cairo_paint(cr);
    FramedRect(cr, x, y, w, h, kWindowColor, kEnabled.frame);
    DrawCautionIcon(cr, x + 8, y + 8, icon);
    ShowLayout(cr, layout, textX, y + 8, NAN, kEnabled.text);
    g_object_unref(layout);
    double bx = x + w - 8 - buttonWidth, by = y + h - 8 - button;
    FramedRect(cr, bx, by, buttonWidth, button, kDefaultButtonColor, kEnabled.frame);
    ShowLine(cr, "OK", bx, by, by + button, kEnabled.text, buttonWidth);
}

void DrawTree(cairo_t *cr, ControlRef top, ControlRef focus) {
    /* a hidden control hides everything under it */
    for (ControlRef c = top; c != nullptr; c = HIControlNextInTree(c, top, !c->visible)) {
        const Palette &p = HIControlIsUsable(c) ? kEnabled : kDimmed;
        const Rect &b = c->bounds;
        if (!c->visible || c->kind == HIControlKind::Root)
            continue;
        if (c->kind == HIControlKind::UserPane)
            FrameRect(cr, b.left, b.top, b.right - b.left, b.bottom - b.top, kPaneFrameColor);
        else if (c->kind == HIControlKind::StaticText)
            ShowLine(cr, UTF8(c->text), b.left, b.top, b.bottom, p.text);
        else if (c->kind == HIControlKind::EditText)
            DrawEditText(cr, c, c == focus, p);
        else
            DrawCheckBox(cr, c, p);
    }
}

cairo_surface_t *Render(WindowRef window) {
    const Rect &content = window->contentBounds;
    int width = content.right - content.left, height = content.bottom - content.top;
    cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t *cr = cairo_create(surface);
    FillRect(cr, 0, 0, width, height, kWindowColor);
    HIFocusRevalidate(window);
    DrawTree(cr, window->root, window->focus);
    CFStringRef message, explanation;
    if (HIAlertGetShown(&message, &explanation))
        DrawAlert(cr, width, message, explanation);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return surface;
}

} // namespace

OSStatus HIStandInDrawWindow(WindowRef window, void *cairoContext) {
    if (!gHIWindows.contains(window))
        return errInvalidWindowRef;
    if (cairoContext == nullptr)
        return paramErr;
    /* Drawn into an image first, so that the screen shows the very pixels a picture holds */
    cairo_surface_t *surface = Render(window);
    cairo_t *cr = static_cast<cairo_t *>(cairoContext);
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_paint(cr);
    cairo_surface_destroy(surface);
    return noErr;
}

OSStatus HIStandInWriteWindowPicture(WindowRef window, const char *pngPath) {
    if (!gHIWindows.contains(window))
        return errInvalidWindowRef;
    if (pngPath == nullptr)
        return paramErr;
    cairo_surface_t *surface = Render(window);
    cairo_status_t status = cairo_surface_write_to_png(surface, pngPath);
    cairo_surface_destroy(surface);
    return status == CAIRO_STATUS_SUCCESS ? noErr : (OSStatus)ioErr;
}

ControlRef FindControlUnderMouse(Point inWhere, WindowRef inWindow, ControlPartCode *outPart) {
    if (outPart != nullptr)
        *outPart = kControlNoPart;
    if (!gHIWindows.contains(inWindow))
        return nullptr;
    ControlRef hit = nullptr; /* the last one in drawing order: the one on top */
    ControlRef root = inWindow->root;
    for (ControlRef c = root; c != nullptr; c = HIControlNextInTree(c, root, !c->visible)) {
        const Rect &b = c->bounds;
        if (c != root && c->visible && inWhere.h >= b.left && inWhere.h < b.right &&
            inWhere.v >= b.top && inWhere.v < b.bottom)
            hit = c;
    }
    if (hit != nullptr && outPart != nullptr)
        *outPart = hit->kind == HIControlKind::EditText ? (ControlPartCode)kControlEditTextPart
                                                        : (ControlPartCode)kControlEntireControl;
    return hit;
}

void Draw1Control(ControlRef) {} /* pictures are drawn when asked for (Controls.h) */
