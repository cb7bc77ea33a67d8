#include "testsupport/x_screen.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace vx::testing {
namespace {

Display* Dpy(void* display) {
  return static_cast<Display*>(display);
}

}  // namespace

XScreen::XScreen() : display_(XOpenDisplay(nullptr)) {}

XScreen::~XScreen() {
  if (display_ != nullptr) XCloseDisplay(Dpy(display_));
}

std::vector<XScreen::Shown> XScreen::Viewable() {
  std::vector<Shown> found;
  Collect(DefaultRootWindow(Dpy(display_)), found);
  return found;
}

std::vector<XScreen::WindowId> XScreen::Windows(const std::string& title) {
  std::vector<WindowId> found;
  for (const Shown& shown : Viewable())
    if (shown.title == title) found.push_back(shown.id);
  return found;
}

void XScreen::Close(WindowId window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(Dpy(display_), "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] =
      static_cast<long>(XInternAtom(Dpy(display_), "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(Dpy(display_), window, False, NoEventMask, &event);
  XFlush(Dpy(display_));
}

void XScreen::Click(WindowId window, int x, int y) {
  Display* display = Dpy(display_);
  int rootX = 0, rootY = 0;
  Window child = 0;
  XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &rootX, &rootY, &child);
  XTestFakeMotionEvent(display, -1, rootX, rootY, CurrentTime);
  XTestFakeButtonEvent(display, 1, True, CurrentTime);
  XFlush(display);
  // Press and release in separate turns of the program's event loop.
  XSync(display, False);
  XTestFakeButtonEvent(display, 1, False, 50);
  XFlush(display);
}

wxImage XScreen::Capture(WindowId window) {
  XWindowAttributes attributes{};
  XGetWindowAttributes(Dpy(display_), window, &attributes);
  wxImage image(attributes.width, attributes.height);
  XImage* shot = XGetImage(Dpy(display_), window, 0, 0, attributes.width, attributes.height,
                           AllPlanes, ZPixmap);
  if (shot == nullptr) return image;
  for (int y = 0; y < attributes.height; ++y)
    for (int x = 0; x < attributes.width; ++x) {
      const unsigned long p = XGetPixel(shot, x, y);
      image.SetRGB(x, y, (p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
  XDestroyImage(shot);
  return image;
}

void XScreen::Collect(WindowId window, std::vector<Shown>& found) {
  char* name = nullptr;
  if (XFetchName(Dpy(display_), window, &name) && name != nullptr) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(Dpy(display_), window, &attributes) &&
        attributes.map_state == IsViewable)
      found.push_back({window, name, attributes.width, attributes.height});
    XFree(name);
  }
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(Dpy(display_), window, &root, &parent, &children, &count)) return;
  for (unsigned int i = 0; i < count; ++i) Collect(children[i], found);
  if (children != nullptr) XFree(children);
}

}  // namespace vx::testing
