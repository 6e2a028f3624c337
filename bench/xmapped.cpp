// Waits until the program's window is on the screen and prints the CPU time the
// program had used by then, in microseconds (all its threads), and its peak
// memory by then (VmHWM, KiB). Polls the window tree without pause, so the
// figures are taken within a fraction of a millisecond of the mapping.
// Usage: xmapped TITLE PID (the title as UTF-8)
#include <X11/Xlib.h>

#include <dirent.h>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

std::string WindowTitle(Display* display, Window window)
{
    Atom type = None;
    int format = 0;
    unsigned long items = 0, rest = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 1024, False,
                           XInternAtom(display, "UTF8_STRING", False), &type, &format, &items, &rest,
                           &data) == Success &&
        data) {
        title.assign(reinterpret_cast<char*>(data), items);
        XFree(data);
    }
    return title;
}

bool HasViewableWindow(Display* display, Window window, const std::string& title)
{
    Window root = None, parent = None, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count))
        return false;
    bool found = false;
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        found = XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
                WindowTitle(display, children[i]) == title;
        if (!found)
            found = HasViewableWindow(display, children[i], title);
    }
    if (children)
        XFree(children);
    return found;
}

// The first field of each thread's schedstat: nanoseconds on a CPU.
long long CpuNanoseconds(const std::string& pid)
{
    long long total = 0;
    const std::string tasks = "/proc/" + pid + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir)
        return -1;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        if (FILE* file = std::fopen((tasks + "/" + entry->d_name + "/schedstat").c_str(), "r")) {
            long long ns = 0;
            if (std::fscanf(file, "%lld", &ns) == 1)
                total += ns;
            std::fclose(file);
        }
    }
    closedir(dir);
    return total;
}

// The process's peak resident memory in KiB, -1 when unknown.
long long PeakKib(const std::string& pid)
{
    long long kib = -1;
    if (FILE* file = std::fopen(("/proc/" + pid + "/status").c_str(), "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, file))
            if (std::sscanf(line, "VmHWM: %lld", &kib) == 1)
                break;
        std::fclose(file);
    }
    return kib;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s TITLE PID\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 1;
    // A window of another program may go while the tree is walked: its
    // queries fail and the walk goes on, instead of Xlib ending this probe.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    const time_t deadline = std::time(nullptr) + 30;
    while (!HasViewableWindow(display, DefaultRootWindow(display), argv[1]))
        if (CpuNanoseconds(argv[2]) < 0 || std::time(nullptr) > deadline)
            return 1;  // the program has ended, or shows no such window
    const long long cpu = CpuNanoseconds(argv[2]);
    std::printf("%lld %lld\n", cpu / 1000, PeakKib(argv[2]));
    XCloseDisplay(display);
    return 0;
}
