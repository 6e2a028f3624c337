// What a user feels of a key press, seen from outside the program on a real X
// server: the key is pressed through XTEST, and the DAMAGE extension reports
// when and where the window's pixels change. For each sample: the time from
// the press to the first change, to the last change before the window falls
// quiet, and the number of rectangles drawn.
//
// Several programs, shown side by side, take their samples in turn, so that
// whatever the machine does meanwhile falls on all of them alike.
//
// Usage: xkeystroke KEY SAMPLES PID X Y [PID X Y ...]
//   KEY      "x" (types x, then BackSpace unmeasured) or "ctrl+a" (select all,
//            then Ctrl+End unmeasured)
//   SAMPLES  how many measured presses per program
//   PID X Y  a program's process and a point in its window clicked before each
//            sample (puts the focus in the text)
// Prints a line per program: "first_us median, last_us median, rects median".
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

long WindowPid(Display* display, Window window)
{
    const Atom netPid = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0, rest = 0;
    unsigned char* data = nullptr;
    long pid = 0;
    if (XGetWindowProperty(display, window, netPid, 0, 1, False, XA_CARDINAL, &type, &format, &items, &rest, &data) ==
            Success &&
        data) {
        if (items == 1 && format == 32)
            pid = *reinterpret_cast<long*>(data);
        XFree(data);
    }
    return pid;
}

// The shown client window of the process, anywhere below root; None when there is none.
Window FindWindow(Display* display, Window root, long pid)
{
    Window parent = None, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &count))
        return None;
    Window found = None;
    for (unsigned int i = 0; i < count && found == None; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
            WindowPid(display, children[i]) == pid)
            found = children[i];
        else
            found = FindWindow(display, children[i], pid);
    }
    if (children)
        XFree(children);
    return found;
}

// Damage rectangles of one window with the moment each was read; the
// damage of other windows is read and passed over.
struct DamageWatch {
    Display* display;
    int eventBase;
    Window window;

    // Waits up to timeout for damage; returns the rectangles seen (0 on timeout).
    int next(int timeoutMs, Clock::time_point& when)
    {
        int rects = 0;
        for (;;) {
            while (XPending(display)) {
                XEvent event;
                XNextEvent(display, &event);
                if (event.type == eventBase + XDamageNotify &&
                    reinterpret_cast<XDamageNotifyEvent*>(&event)->drawable == window) {
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

struct Program {
    Window window = None;
    int x = 0, y = 0;
    std::vector<double> first, last, rects;
};

void Click(Display* display, const Program& program)
{
    Window child = None;
    int rootX = 0, rootY = 0;
    XTranslateCoordinates(display, program.window, DefaultRootWindow(display), program.x, program.y, &rootX, &rootY,
                          &child);
    XTestFakeMotionEvent(display, -1, rootX, rootY, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XFlush(display);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 6 || (argc - 3) % 3 != 0) {
        std::fprintf(stderr, "usage: %s KEY SAMPLES PID X Y [PID X Y ...]\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    int damageEvent = 0, damageError = 0, xtest = 0, major = 0, minor = 0;
    if (!display || !XDamageQueryExtension(display, &damageEvent, &damageError) ||
        !XTestQueryExtension(display, &xtest, &xtest, &major, &minor)) {
        std::fprintf(stderr, "no X display with DAMAGE and XTEST\n");
        return 1;
    }
    // A key held past the repeat delay, while a slow repaint is awaited, would
    // type again and again.
    XAutoRepeatOff(display);
    const bool selectAll = std::strcmp(argv[1], "ctrl+a") == 0;
    const int samples = std::atoi(argv[2]);
    std::vector<Program> programs;
    for (int arg = 3; arg + 2 < argc; arg += 3) {
        Program program;
        program.window = FindWindow(display, DefaultRootWindow(display), std::atol(argv[arg]));
        if (program.window == None) {
            std::fprintf(stderr, "no window of process %s\n", argv[arg]);
            return 1;
        }
        program.x = std::atoi(argv[arg + 1]);
        program.y = std::atoi(argv[arg + 2]);
        XDamageCreate(display, program.window, XDamageReportRawRectangles);
        programs.push_back(program);
    }
    // Side by side, so that no window covers another and each click lands in its own.
    int left = 0;
    for (const Program& program : programs) {
        XWindowAttributes attributes;
        XGetWindowAttributes(display, program.window, &attributes);
        XMoveWindow(display, program.window, left, 0);
        left += attributes.width + 40;
    }
    XSync(display, False);
    usleep(500000);

    const int warmup = 5;
    for (int i = 0; i < warmup + samples; ++i) {
        // Each sample starts with another program, so that none always follows the same.
        for (std::size_t turn = 0; turn < programs.size(); ++turn) {
            Program& program = programs[(i + turn) % programs.size()];
            DamageWatch watch{display, damageEvent, program.window};
            Clock::time_point last;
            // Into the text at its end, then wait until all is painted.
            Click(display, program);
            Chord(display, XK_Control_L, XK_End, true);
            Chord(display, XK_Control_L, XK_End, false);
            watch.untilQuiet(selectAll ? 300 : 100, last);

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
                program.first.push_back(std::chrono::duration<double, std::micro>(seen - start).count());
                program.last.push_back(std::chrono::duration<double, std::micro>(last - start).count());
                program.rects.push_back(count);
            }
            // Back to the text as it was, unmeasured.
            if (!selectAll) {
                Key(display, XK_BackSpace, true);
                Key(display, XK_BackSpace, false);
            }
            watch.untilQuiet(30, last);
        }
    }
    for (const Program& program : programs)
        std::printf("%.0f %.0f %.0f\n", Median(program.first), Median(program.last), Median(program.rects));
    XCloseDisplay(display);
    return 0;
}
