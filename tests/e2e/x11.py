"""Small X11 helpers for the end-to-end tests, over libX11 through ctypes (no extra
packages): list top-level windows with their class, title and geometry, and ask a window
to close the way a window manager does (WM_DELETE_WINDOW)."""
import ctypes
import ctypes.util

_x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")

Window = ctypes.c_ulong
Atom = ctypes.c_ulong


class XClassHint(ctypes.Structure):
    # Raw pointers: libX11 owns the strings and they must go back to XFree as they came.
    _fields_ = [("res_name", ctypes.c_void_p), ("res_class", ctypes.c_void_p)]


class XClientMessageEvent(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int),
        ("serial", ctypes.c_ulong),
        ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p),
        ("window", Window),
        ("message_type", Atom),
        ("format", ctypes.c_int),
        ("data", ctypes.c_long * 5),
    ]


class XEvent(ctypes.Union):
    _fields_ = [("xclient", XClientMessageEvent), ("pad", ctypes.c_long * 24)]


class XWindowAttributes(ctypes.Structure):
    _fields_ = [
        ("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
        ("height", ctypes.c_int), ("border_width", ctypes.c_int), ("depth", ctypes.c_int),
        ("visual", ctypes.c_void_p), ("root", Window), ("c_class", ctypes.c_int),
        ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
        ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
        ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
        ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
        ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
        ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
        ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p),
    ]


_x.XOpenDisplay.restype = ctypes.c_void_p
_x.XOpenDisplay.argtypes = [ctypes.c_char_p]
_x.XDefaultRootWindow.restype = Window
_x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
_x.XQueryTree.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(Window), ctypes.POINTER(Window),
                          ctypes.POINTER(ctypes.POINTER(Window)), ctypes.POINTER(ctypes.c_uint)]
_x.XGetClassHint.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(XClassHint)]
_x.XFree.argtypes = [ctypes.c_void_p]
_x.XInternAtom.restype = Atom
_x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
_x.XSendEvent.argtypes = [ctypes.c_void_p, Window, ctypes.c_int, ctypes.c_long, ctypes.POINTER(XEvent)]
_x.XFlush.argtypes = [ctypes.c_void_p]
_x.XCloseDisplay.argtypes = [ctypes.c_void_p]
_x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(XWindowAttributes)]
_x.XTranslateCoordinates.argtypes = [ctypes.c_void_p, Window, Window, ctypes.c_int, ctypes.c_int,
                                     ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int),
                                     ctypes.POINTER(Window)]
_x.XGetTransientForHint.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(Window)]
_x.XGetWindowProperty.argtypes = [ctypes.c_void_p, Window, Atom, ctypes.c_long, ctypes.c_long,
                                  ctypes.c_int, Atom, ctypes.POINTER(Atom), ctypes.POINTER(ctypes.c_int),
                                  ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_ulong),
                                  ctypes.POINTER(ctypes.c_void_p)]


class Display:
    def __init__(self, name):
        self.d = _x.XOpenDisplay(name.encode())
        if not self.d:
            raise RuntimeError("cannot open display " + name)
        self.root = _x.XDefaultRootWindow(self.d)

    def close(self):
        _x.XCloseDisplay(self.d)

    def _children(self, w):
        root, parent = Window(), Window()
        kids = ctypes.POINTER(Window)()
        n = ctypes.c_uint()
        if not _x.XQueryTree(self.d, w, ctypes.byref(root), ctypes.byref(parent), ctypes.byref(kids), ctypes.byref(n)):
            return []
        out = [kids[i] for i in range(n.value)]
        if kids:
            _x.XFree(kids)
        return out

    def wm_class(self, w):
        hint = XClassHint()
        if not _x.XGetClassHint(self.d, w, ctypes.byref(hint)):
            return None
        name = ctypes.string_at(hint.res_name).decode(errors="replace") if hint.res_name else ""
        cls = ctypes.string_at(hint.res_class).decode(errors="replace") if hint.res_class else ""
        if hint.res_name:
            _x.XFree(hint.res_name)
        if hint.res_class:
            _x.XFree(hint.res_class)
        return name, cls

    def title(self, w):
        utf8 = _x.XInternAtom(self.d, b"UTF8_STRING", 0)
        for prop in (b"_NET_WM_NAME", b"WM_NAME"):
            atom = _x.XInternAtom(self.d, prop, 0)
            actual, fmt = Atom(), ctypes.c_int()
            n, after = ctypes.c_ulong(), ctypes.c_ulong()
            data = ctypes.c_void_p()
            ok = _x.XGetWindowProperty(self.d, w, atom, 0, 65536, 0, 0, ctypes.byref(actual), ctypes.byref(fmt),
                                       ctypes.byref(n), ctypes.byref(after), ctypes.byref(data))
            if ok == 0 and data.value and actual.value:
                raw = ctypes.string_at(data.value, n.value)
                _x.XFree(data)
                return raw.decode("utf-8" if actual.value == utf8 or prop == b"_NET_WM_NAME" else "latin-1",
                                  errors="replace")
            if data.value:
                _x.XFree(data)
        return None

    def attributes(self, w):
        attrs = XWindowAttributes()
        if not _x.XGetWindowAttributes(self.d, w, ctypes.byref(attrs)):
            return None
        return attrs

    def geometry(self, w):
        """Position on the screen and size."""
        attrs = self.attributes(w)
        x, y, child = ctypes.c_int(), ctypes.c_int(), Window()
        _x.XTranslateCoordinates(self.d, w, self.root, 0, 0, ctypes.byref(x), ctypes.byref(y), ctypes.byref(child))
        return x.value, y.value, attrs.width, attrs.height

    def windows_of_class(self, fragment):
        """Mapped top-level windows whose class holds fragment, without transient ones
        (GTK also owns an invisible leader window of the same class)."""
        found = []
        for w in self._children(self.root):
            cls = self.wm_class(w)
            if not cls or fragment not in cls[1]:
                continue
            attrs = self.attributes(w)
            if attrs is None or attrs.c_class != 1 or attrs.map_state != 2:  # InputOutput, viewable
                continue
            transient = Window()
            if _x.XGetTransientForHint(self.d, w, ctypes.byref(transient)):
                continue
            found.append(w)
        return found

    def request_close(self, w):
        """What a window manager sends when the user clicks the close box."""
        ev = XEvent()
        ev.xclient.type = 33  # ClientMessage
        ev.xclient.window = w
        ev.xclient.message_type = _x.XInternAtom(self.d, b"WM_PROTOCOLS", 0)
        ev.xclient.format = 32
        ev.xclient.data[0] = _x.XInternAtom(self.d, b"WM_DELETE_WINDOW", 0)
        ev.xclient.data[1] = 0  # CurrentTime
        _x.XSendEvent(self.d, w, 0, 0, ctypes.byref(ev))
        _x.XFlush(self.d)
