/*
 * ScreenPicture.cpp
 *
 * screen-picture grab OUT.png: the X screen as it shows now, as a PNG.
 * screen-picture find SCREEN.png PART.png: exit 0 when PART appears in
 * SCREEN pixel for pixel somewhere, 1 when it does not.
 */
#include <cairo-xlib.h>
#include <cairo.h>

#include <X11/Xlib.h>

#include <cstdio>
#include <cstring>

namespace {

int grab(const char *out) {
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return 2;
    int screen = DefaultScreen(display);
    cairo_surface_t *surface = cairo_xlib_surface_create(
        display, RootWindow(display, screen), DefaultVisual(display, screen),
        DisplayWidth(display, screen), DisplayHeight(display, screen));
    cairo_status_t status = cairo_surface_write_to_png(surface, out);
    cairo_surface_destroy(surface);
    XCloseDisplay(display);
    return status == CAIRO_STATUS_SUCCESS ? 0 : 2;
}

/* The pixel without alpha */
unsigned at(cairo_surface_t *s, int x, int y) {
    const unsigned char *row =
        cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
    return reinterpret_cast<const unsigned *>(row)[x] & 0xFFFFFF;
}

int find(const char *screenPath, const char *partPath) {
    cairo_surface_t *screen = cairo_image_surface_create_from_png(screenPath);
    cairo_surface_t *part = cairo_image_surface_create_from_png(partPath);
    bool found = false;
    int w = cairo_image_surface_get_width(part), h = cairo_image_surface_get_height(part);
    for (int top = 0; top <= cairo_image_surface_get_height(screen) - h && !found; top++)
        for (int left = 0; left <= cairo_image_surface_get_width(screen) - w && !found; left++) {
            found = true;
            for (int y = 0; y < h && found; y++)
                for (int x = 0; x < w && found; x++)
                    found = at(screen, left + x, top + y) == at(part, x, y);
        }
    bool read = cairo_surface_status(screen) == CAIRO_STATUS_SUCCESS &&
                cairo_surface_status(part) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(screen);
    cairo_surface_destroy(part);
    return !read ? 2 : found ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc == 3 && std::strcmp(argv[1], "grab") == 0)
        return grab(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "find") == 0)
        return find(argv[2], argv[3]);
    std::fprintf(stderr, "usage: screen-picture grab OUT.png | find SCREEN.png PART.png\n");
    return 2;
}
