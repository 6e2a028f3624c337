// What a user feels of a key press, seen from outside the program on a real X
// server: the key is pressed through XTEST, and the DAMAGE extension reports
// when and where the window's pixels change. For each sample: the time from
// the press to the first change, to the last change before the window falls
// quiet, and the number of rectangles drawn.
//
// Usage: xkeystroke TITLE X Y KEY SAMPLES
//   TITLE    exact window title
//   X Y      a point in the window clicked first (puts the focus in the text)
//   KEY      "x" (types x, then BackSpace unmeasured) or "ctrl+a" (select all,
//            then Ctrl+End unmeasured)
//   SAMPLES  how many measured presses
// Prints: "first_us median, last_us median, rects median" over the samples.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::string WindowTitle(Display* display, Window window)
{
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0, rest = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &items, &rest, &data) ==
            Success &&
        data) {
        title.assign(reinterpret_cast<char*>(data), items);
        XFree(data);
    }
    return title;
}

// The client window with the title, anywhere below root; None when there is none.
Window FindWindow(Display* display, Window root, const std::string& title)
{
    Window parent = None, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &count))
        return None;
    Window found = None;
    for (unsigned int i = 0; i < count && found == None; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
            WindowTitle(display, children[i]) == title)
            found = children[i];
        else
            found = FindWindow(display, children[i], title);
    }
    if (children)
        XFree(children);
    return found;
}

// Damage rectangles of one window with the moment each was read.
struct DamageWatch {
    Display* display;
    int eventBase;

    // Waits up to timeout for damage; returns the rectangles seen (0 on timeout).
    int next(int timeoutMs, Clock::time_point& when)
    {
        int rects = 0;
        for (;;) {
            while (XPending(display)) {
                XEvent event;
                XNextEvent(display, &event);
                if (event.type == eventBase + XDamageNotify) {
                    ++rects;
                    when = Clock::now();
                }
            }
            if (rects > 0)
                return rects;
            pollfd fd{ConnectionNumber(display), POLLIN, 0};
            if (poll(&fd, 1, timeoutMs) <= 0)
                return 0;
        }
    }
    // Reads damage until none comes for quietMs; the last change and the count.
    int untilQuiet(int quietMs, Clock::time_point& last)
    {
        int total = 0;
        Clock::time_point when;
        while (int rects = next(quietMs, when)) {
            total += rects;
            last = when;
        }
        return total;
    }
};

void Key(Display* display, KeySym symbol, bool press)
{
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, symbol), press, CurrentTime);
    XFlush(display);
}

void Chord(Display* display, KeySym modifier, KeySym symbol, bool press)
{
    if (modifier != NoSymbol && press)
        Key(display, modifier, true);
    Key(display, symbol, press);
    if (modifier != NoSymbol && !press)
        Key(display, modifier, false);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s TITLE X Y KEY SAMPLES\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    int damageEvent = 0, damageError = 0, xtest = 0, major = 0, minor = 0;
    if (!display || !XDamageQueryExtension(display, &damageEvent, &damageError) ||
        !XTestQueryExtension(display, &xtest, &xtest, &major, &minor)) {
        std::fprintf(stderr, "no X display with DAMAGE and XTEST\n");
        return 1;
    }
    const Window window = FindWindow(display, DefaultRootWindow(display), argv[1]);
    if (window == None) {
        std::fprintf(stderr, "no window titled %s\n", argv[1]);
        return 1;
    }
    const bool selectAll = std::strcmp(argv[4], "ctrl+a") == 0;
    const int samples = std::atoi(argv[5]);

    XDamageCreate(display, window, XDamageReportRawRectangles);
    DamageWatch watch{display, damageEvent};
    Clock::time_point last;
    // Focus into the text: a click at the given point of the window.
    Window child = None;
    int rootX = 0, rootY = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), std::atoi(argv[2]), std::atoi(argv[3]), &rootX,
                          &rootY, &child);
    XTestFakeMotionEvent(display, -1, rootX, rootY, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    Chord(display, XK_Control_L, XK_End, true);
    Chord(display, XK_Control_L, XK_End, false);
    watch.untilQuiet(300, last);

    std::vector<double> first, lastChange, rects;
    const int warmup = 5;
    for (int i = 0; i < warmup + samples; ++i) {
        const Clock::time_point start = Clock::now();
        Chord(display, selectAll ? XK_Control_L : NoSymbol, selectAll ? XK_a : XK_x, true);
        Clock::time_point seen;
        int count = watch.next(60000, seen);
        if (count == 0) {
            std::fprintf(stderr, "no repaint within 60 s\n");
            return 1;
        }
        last = seen;
        Chord(display, selectAll ? XK_Control_L : NoSymbol, selectAll ? XK_a : XK_x, false);
        count += watch.untilQuiet(30, last);
        if (i >= warmup) {
            first.push_back(std::chrono::duration<double, std::micro>(seen - start).count());
            lastChange.push_back(std::chrono::duration<double, std::micro>(last - start).count());
            rects.push_back(count);
        }
        // Back to the text as it was, unmeasured.
        if (selectAll) {
            Chord(display, XK_Control_L, XK_End, true);
            Chord(display, XK_Control_L, XK_End, false);
        } else {
            Key(display, XK_BackSpace, true);
            Key(display, XK_BackSpace, false);
        }
        watch.untilQuiet(30, last);
    }
    std::printf("%.0f %.0f %.0f\n", Median(first), Median(lastChange), Median(rects));
    XCloseDisplay(display);
    return 0;
}
