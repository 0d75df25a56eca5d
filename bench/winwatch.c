/* Starts a program and prints the seconds until a window whose name matches a pattern is
 * shown on the X display, told by the server's own events rather than by asking it over and
 * over: a poll that starts a process every few milliseconds takes the processor from the
 * program it times.
 *   winwatch TIMEOUT PATTERN PROGRAM [ARG...]
 * Prints "<seconds> <pid>" (the pid of PROGRAM, left running) and exits 0; exits 1 when
 * PROGRAM ends first or no such window shows within TIMEOUT seconds (PROGRAM is then ended),
 * 2 on bad use. */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <regex.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double Now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

static int Ignore(Display* display, XErrorEvent* error) {
  (void)display;
  (void)error;
  return 0; /* a window gone before we looked at it */
}

/* A window is shown once it is mapped and its name matches, in whichever order they come. */
static int Shown(Display* display, Window window, const regex_t* pattern) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) return 0;
  if (attributes.map_state != IsViewable) return 0;
  char* name = NULL;
  int match = 0;
  if (XFetchName(display, window, &name) && name != NULL) {
    match = regexec(pattern, name, 0, NULL, 0) == 0;
    XFree(name);
  }
  return match;
}

int main(int argc, char** argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: winwatch TIMEOUT PATTERN PROGRAM [ARG...]\n");
    return 2;
  }
  const double timeout = atof(argv[1]);
  regex_t pattern;
  if (regcomp(&pattern, argv[2], REG_EXTENDED | REG_NOSUB) != 0) {
    fprintf(stderr, "winwatch: bad pattern %s\n", argv[2]);
    return 2;
  }
  Display* display = XOpenDisplay(NULL);
  if (display == NULL) {
    fprintf(stderr, "winwatch: no display\n");
    return 2;
  }
  XSetErrorHandler(Ignore);
  const Window root = DefaultRootWindow(display);
  /* Top-level windows come and go as children of the root. */
  XSelectInput(display, root, SubstructureNotifyMask);
  XSync(display, False);

  const double start = Now();
  const pid_t child = fork();
  if (child < 0) return 2;
  if (child == 0) {
    execvp(argv[3], argv + 3);
    _exit(127);
  }
  const int fd = ConnectionNumber(display);
  for (;;) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      Window window = 0;
      if (event.type == CreateNotify) {
        /* Its name may come after it is mapped. */
        XSelectInput(display, event.xcreatewindow.window, PropertyChangeMask);
      } else if (event.type == MapNotify) {
        window = event.xmap.window;
      } else if (event.type == PropertyNotify && event.xproperty.atom == XA_WM_NAME) {
        window = event.xproperty.window;
      }
      if (window != 0 && Shown(display, window, &pattern)) {
        printf("%.4f %ld\n", Now() - start, (long)child);
        return 0;
      }
    }
    if (waitpid(child, NULL, WNOHANG) == child) return 1;
    const double left = timeout - (Now() - start);
    if (left <= 0) {
      kill(child, SIGTERM);
      return 1;
    }
    struct pollfd wait = {fd, POLLIN, 0};
    poll(&wait, 1, left > 0.05 ? 50 : (int)(left * 1000) + 1);
  }
}
