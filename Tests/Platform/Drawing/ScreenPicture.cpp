/*
 * ScreenPicture.cpp
 *
 * screen-picture OUT.png: the X screen as it shows now, as a PNG.
 * screen-picture SCREEN.png PART.png: exit 0 when PART appears in SCREEN
 * pixel for pixel somewhere, 1 when it does not or either cannot be read.
 */
#include <cairo-xlib.h>
#include <cairo.h>

#include <X11/Xlib.h>

#include <cstring>

/* Row y of a picture from column x on; a PNG's pixels read back opaque. */
static const unsigned char *row(cairo_surface_t *s, int x, int y) {
    return cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s) + 4 * x;
}

static bool found(cairo_surface_t *screen, cairo_surface_t *part) {
    int w = cairo_image_surface_get_width(part), h = cairo_image_surface_get_height(part);
    for (int top = 0; top <= cairo_image_surface_get_height(screen) - h; top++)
        for (int left = 0; left <= cairo_image_surface_get_width(screen) - w; left++) {
            int y = 0;
            while (y < h && std::memcmp(row(screen, left, top + y), row(part, 0, y), 4 * w) == 0)
                y++;
            if (y == h)
                return true;
        }
    return false;
}

int main(int argc, char *argv[]) {
    Display *display = argc == 2 ? XOpenDisplay(nullptr) : nullptr;
    if (display != nullptr) {
        int screen = DefaultScreen(display);
        cairo_surface_t *surface = cairo_xlib_surface_create(
            display, RootWindow(display, screen), DefaultVisual(display, screen),
            DisplayWidth(display, screen), DisplayHeight(display, screen));
        cairo_status_t status = cairo_surface_write_to_png(surface, argv[1]);
        cairo_surface_destroy(surface);
        XCloseDisplay(display);
        return status == CAIRO_STATUS_SUCCESS ? 0 : 1;
    }
    if (argc != 3)
        return 2;
    cairo_surface_t *screen = cairo_image_surface_create_from_png(argv[1]);
    cairo_surface_t *part = cairo_image_surface_create_from_png(argv[2]);
    // A part that cannot be read has no pixels: it would be found anywhere.
    bool shown = cairo_surface_status(part) == CAIRO_STATUS_SUCCESS && found(screen, part);
    cairo_surface_destroy(screen);
    cairo_surface_destroy(part);
    return shown ? 0 : 1;
}
