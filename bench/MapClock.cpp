// The start-up benchmark's clock on the X side: starts a program under Wine
// and times it from the launch until its top-level window is mapped on the X
// server, then asks the window to close (WM_DELETE_WINDOW, which Wine turns
// into SC_CLOSE) and waits for the process to end.
//
//   map_clock [--shot FILE] wine PROGRAM.exe [WORDS...]
//
// Prints the milliseconds on stdout. With --shot, waits until the window has
// stayed unchanged for a while and saves a picture of it (ImageMagick's
// `import`) and, as FILE.icon, the icon Wine gave the X window
// (_NET_WM_ICON), before closing it. Wine's environment (WINEPREFIX, DISPLAY, ...)
// comes from the caller. Exit status 0 on success.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kPatienceMs = 10000;

double NowMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

// Waits up to `ms` for an X event; false on timeout.
bool NextEvent(Display* display, XEvent* event, double deadline) {
    while (XPending(display) == 0) {
        const double left = deadline - NowMs();
        if (left <= 0) return false;
        pollfd fd = {ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left) + 1);
    }
    XNextEvent(display, event);
    return true;
}

bool Exited(pid_t child, double deadline) {
    while (NowMs() < deadline) {
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) return true;
        usleep(2000);
    }
    return false;
}

void AskToClose(Display* display, Window window) {
    XEvent message = {};
    message.xclient.type = ClientMessage;
    message.xclient.window = window;
    message.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    message.xclient.format = 32;
    message.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    message.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &message);
    XFlush(display);
}

// Painting is done once the window's contents stay the same for `quietMs`.
void WaitUntilPainted(Display* display, Window window, int quietMs) {
    XWindowAttributes attributes;
    XGetWindowAttributes(display, window, &attributes);
    std::string last;
    double stableSince = NowMs();
    const double deadline = NowMs() + kPatienceMs;
    while (NowMs() < deadline) {
        XImage* image =
            XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
        std::string pixels;
        if (image != nullptr) {
            pixels.assign(image->data, static_cast<std::size_t>(image->bytes_per_line) * image->height);
            XDestroyImage(image);
        }
        if (pixels != last) {
            last = pixels;
            stableSince = NowMs();
        } else if (NowMs() - stableSince >= quietMs) {
            return;
        }
        usleep(20000);
    }
}

// The window's _NET_WM_ICON data, written as it is.
bool SaveIcon(Display* display, Window window, const std::string& path) {
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, left = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_ICON", False), 0, 1 << 20, False,
                           AnyPropertyType, &type, &format, &items, &left, &data) != Success)
        return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file != nullptr && data != nullptr) std::fwrite(data, sizeof(long), format == 32 ? items : 0, file);
    if (file != nullptr) std::fclose(file);
    if (data != nullptr) XFree(data);
    return file != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    const char* shot = nullptr;
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--shot") == 0) {
        shot = argv[2];
        first = 3;
    }
    if (argc <= first) {
        std::fprintf(stderr, "usage: map_clock [--shot FILE] wine PROGRAM.exe [WORDS...]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "map_clock: cannot open the display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    const double launched = NowMs();
    const pid_t child = fork();
    if (child == 0) {
        close(ConnectionNumber(display));
        execvp(argv[first], argv + first);
        _exit(127);
    }
    if (child < 0) return 1;

    // The first top-level window of some size that is mapped: Wine maps a
    // window when it is shown; its 1x1 helper windows stay unmapped.
    Window window = 0;
    double mapped = 0;
    XEvent event;
    const double deadline = launched + kPatienceMs;
    while (window == 0 && NextEvent(display, &event, deadline)) {
        if (event.type != MapNotify || event.xmap.event != root) continue;
        mapped = NowMs();
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, event.xmap.window, &attributes) && attributes.width > 1 &&
            attributes.height > 1)
            window = event.xmap.window;
    }
    int status = 0;
    if (window == 0) {
        std::fprintf(stderr, "map_clock: no window was mapped within %d ms\n", kPatienceMs);
        status = 1;
    } else {
        std::printf("%.2f\n", mapped - launched);
        if (shot != nullptr) {
            WaitUntilPainted(display, window, 500);
            const std::string command =
                "import -window " + std::to_string(window) + " '" + std::string(shot) + "'";
            if (std::system(command.c_str()) != 0 || !SaveIcon(display, window, std::string(shot) + ".icon"))
                status = 1;
        }
        AskToClose(display, window);
    }
    if (!Exited(child, NowMs() + kPatienceMs)) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        std::fprintf(stderr, "map_clock: the program did not end; killed\n");
        status = 1;
    }
    XCloseDisplay(display);
    return status;
}
