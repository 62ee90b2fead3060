// The floating settings panels open at the pointer and are dragged by the
// program itself, which a Wayland client may not do with its own windows.
// The program therefore runs on X11 (through XWayland on a Wayland desktop)
// unless the user chose a platform.
#pragma once

// Before the QApplication is made: when QT_QPA_PLATFORM is unset or empty, it
// becomes "xcb;wayland" (X11 first, Wayland where no X server answers). A
// "-platform" argument still wins over it, as Qt reads that first.
void PreferX11Platform();
