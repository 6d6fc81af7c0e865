#!/usr/bin/env python3
"""End-to-end tests: the real browser under Xvfb, started from a temporary program folder,
against pages served on 127.0.0.1. Usage: run_e2e.py path/to/halvit [test-name ...]"""
import http.server
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import x11  # noqa: E402

CLASS = "WindowClass_2142"
TITLE = "Halvit 0.65.0.601"
MARK = b"\xef\xbb\xbf"


def free_display():
    for n in range(90, 200):
        if not os.path.exists("/tmp/.X11-unix/X%d" % n) and not os.path.exists("/tmp/.X%d-lock" % n):
            return n
    raise RuntimeError("no free X display")


class Xvfb:
    def __init__(self):
        self.number = free_display()
        self.name = ":%d" % self.number
        self.proc = subprocess.Popen(["Xvfb", self.name, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + 20
        while not os.path.exists("/tmp/.X11-unix/X%d" % self.number):
            if time.time() > deadline or self.proc.poll() is not None:
                raise RuntimeError("Xvfb did not start")
            time.sleep(0.05)
        time.sleep(0.2)
        self.display = x11.Display(self.name)

    def stop(self):
        self.display.close()
        self.proc.terminate()
        self.proc.wait(10)


class PageServer:
    """Serves a few pages on 127.0.0.1 and keeps the paths asked for."""

    def __init__(self):
        self.requests = []
        server = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                server.requests.append(self.path)
                body = ("<html><head><title>Page %s</title></head><body><h1>Served page</h1>"
                        "<p>%s</p></body></html>" % (self.path, self.path)).encode()
                self.send_response(200)
                self.send_header("Content-Type", "text/html; charset=utf-8")
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass

        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.port = self.httpd.server_address[1]
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def url(self, path):
        return "http://127.0.0.1:%d%s" % (self.port, path)

    def stop(self):
        self.httpd.shutdown()


class RawListener:
    """Accepts connections and keeps their first bytes, to see which protocol a client spoke."""

    def __init__(self):
        self.sock = socket.socket()
        self.sock.bind(("127.0.0.1", 0))
        self.sock.listen(8)
        self.port = self.sock.getsockname()[1]
        self.first_bytes = []
        threading.Thread(target=self._run, daemon=True).start()

    def _run(self):
        while True:
            try:
                conn, _ = self.sock.accept()
            except OSError:
                return
            conn.settimeout(5)
            try:
                self.first_bytes.append(conn.recv(16))
            except OSError:
                pass
            conn.close()

    def stop(self):
        self.sock.close()


class Browser:
    """One copy of the browser started from a program folder."""

    def __init__(self, env, folder, args, display):
        self.display = display
        self.proc = subprocess.Popen([os.path.join(folder, "halvit")] + args, env=env, cwd="/",
                                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT, start_new_session=True)
        self.window = None

    def wait_window(self, timeout=30, exclude=()):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if self.proc.poll() is not None:
                raise AssertionError("the browser ended early with code %s:\n%s" % (self.proc.returncode, self.output()))
            wins = [w for w in self.display.windows_of_class(CLASS) if w not in exclude]
            if wins:
                self.window = wins[0]
                return self.window
            time.sleep(0.05)
        raise AssertionError("no window of class %s appeared" % CLASS)

    def close(self, timeout=20):
        self.display.request_close(self.window)
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            self.kill()
            raise AssertionError("the browser did not end after the close request")

    def output(self):
        try:
            return self.proc.stdout.read().decode(errors="replace") if self.proc.poll() is not None else ""
        except Exception:
            return ""

    def kill(self):
        if self.proc.poll() is None:
            try:
                os.killpg(self.proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.proc.wait(10)


class Context:
    def __init__(self, exe, xvfb, server):
        self.exe = exe
        self.xvfb = xvfb
        self.server = server
        self.browsers = []
        self.first_request = len(server.requests)
        self.root = tempfile.mkdtemp(prefix="halvit-e2e-")
        self.folder = os.path.join(self.root, "program")
        # A copy of the default program folder: the browser uses the folder it lies in.
        shutil.copytree(os.path.dirname(exe), self.folder)
        home = os.path.join(self.root, "home")
        os.makedirs(home)
        self.env = dict(os.environ, DISPLAY=xvfb.name, WEBKIT_DISABLE_COMPOSITING_MODE="1", HOME=home,
                        XDG_DATA_HOME=os.path.join(home, "data"), XDG_CACHE_HOME=os.path.join(home, "cache"),
                        XDG_CONFIG_HOME=os.path.join(home, "config"), NO_AT_BRIDGE="1",
                        XDG_RUNTIME_DIR=os.path.join(home, "run"))
        os.makedirs(self.env["XDG_RUNTIME_DIR"], mode=0o700)

    def requests(self):
        return self.server.requests[self.first_request:]

    def path(self, *parts):
        return os.path.join(self.folder, *parts)

    def misc(self):
        with open(self.path("Config", "misc.ini"), "rb") as f:
            return f.read()

    def write_misc(self, data):
        with open(self.path("Config", "misc.ini"), "wb") as f:
            f.write(data)

    def start(self, *args):
        b = Browser(self.env, self.folder, list(args), self.xvfb.display)
        self.browsers.append(b)
        return b

    def cleanup(self):
        for b in self.browsers:
            b.kill()
        shutil.rmtree(self.root, ignore_errors=True)


def wait_for(predicate, timeout=20, what="condition"):
    deadline = time.time() + timeout
    while time.time() < deadline:
        if predicate():
            return
        time.sleep(0.05)
    raise AssertionError("timed out waiting for " + what)


def check(condition, message):
    if not condition:
        raise AssertionError(message)


# ---------------------------------------------------------------------------------------------
# The tests. Each takes a Context with a fresh program folder.

def test_window_class_first_title_and_page_request(c):
    url = c.server.url("/first.html")
    b = c.start(url)
    w = b.wait_window()
    check(c.xvfb.display.wm_class(w)[1] == CLASS, "window class %r" % (c.xvfb.display.wm_class(w),))
    check(c.xvfb.display.title(w) == TITLE, "first title %r" % c.xvfb.display.title(w))
    wait_for(lambda: "/first.html" in c.requests(), what="the page request")
    check(b.close() == 0, "exit code")


def test_misc_ini_is_rewritten_with_the_geometry_after_a_normal_close(c):
    c.write_misc(b"x=100\r\n")
    b = c.start(c.server.url("/geometry.html"))
    w = b.wait_window()
    wait_for(lambda: "/geometry.html" in c.requests(), what="the page request")
    x, y, width, height = c.xvfb.display.geometry(w)
    check(b.close() == 0, "exit code")
    expected = MARK + b"\r\n" + ("x = %d\r\ny = %d\r\nw = %d\r\nh = %d\r\n" % (x, y, width, height)).encode()
    check(c.misc() == expected, "misc.ini %r, expected %r" % (c.misc(), expected))
    check((x, y, width, height) == (100, 20, 650, 570), "window opened at %r" % ((x, y, width, height),))


def test_no_chrome_mode_leaves_misc_ini_unchanged(c):
    before = b"x=100\r\n; mine\r\n"
    c.write_misc(before)
    b = c.start("-nc", c.server.url("/nochrome.html"))
    b.wait_window()
    wait_for(lambda: "/nochrome.html" in c.requests(), what="the page request")
    check(b.close() == 0, "exit code")
    check(c.misc() == before, "misc.ini changed: %r" % c.misc())


def test_missing_config_folder_ends_at_once_without_a_window(c):
    shutil.rmtree(c.path("Config"))
    b = c.start(c.server.url("/never.html"))
    code = b.proc.wait(15)
    check(code == 0, "exit code %s" % code)
    check(not c.xvfb.display.windows_of_class(CLASS), "a window appeared")
    check("/never.html" not in c.requests(), "the page was requested")


def test_an_address_without_scheme_gets_the_https_prefix(c):
    listener = RawListener()
    try:
        b = c.start("127.0.0.1:%d/secure.html" % listener.port)
        b.wait_window()
        wait_for(lambda: listener.first_bytes, what="a connection")
        # A TLS handshake record starts with 0x16 0x03; plain HTTP would start with "GET".
        check(listener.first_bytes[0][:2] == b"\x16\x03", "first bytes %r" % listener.first_bytes[0])
        check(b.close() == 0, "exit code")
    finally:
        listener.stop()


def test_read_only_misc_ini_stays_as_it_was(c):
    before = b"x=100\r\n"
    c.write_misc(before)
    os.chmod(c.path("Config", "misc.ini"), 0o444)
    b = c.start(c.server.url("/ro.html"))
    b.wait_window()
    check(b.close() == 0, "exit code")
    check(c.misc() == before, "misc.ini changed: %r" % c.misc())


def test_a_second_copy_cannot_overwrite_the_geometry_the_first_holds(c):
    c.write_misc(b"x=100\r\n")
    first = c.start(c.server.url("/one.html"))
    w1 = first.wait_window()
    second = c.start("-na", c.server.url("/two.html"))
    w2 = second.wait_window(exclude=(w1,))
    x2 = c.xvfb.display.geometry(w2)[0]
    check(x2 == 190, "the second copy opened at x %d, not 90 to the right of 100" % x2)
    check(c.xvfb.display.title(w2) == "", "second copy's first title %r" % c.xvfb.display.title(w2))
    check(second.close() == 0, "exit code of the second copy")
    check(c.misc() == b"x=100\r\n", "the second copy wrote misc.ini: %r" % c.misc())
    check(first.close() == 0, "exit code of the first copy")
    check(c.misc().startswith(MARK + b"\r\nx = 100\r\n"), "the first copy's geometry: %r" % c.misc())


def test_odd_input_gets_a_defined_outcome(c):
    # An unbalanced quote reaches the program as one parameter holding it; an address of
    # 100,000 characters is taken whole; a binary misc.ini is read and left byte for byte.
    binary = b"x=100\r\n\x00\x01\xfe\xff" * 50
    c.write_misc(binary)
    for args in (['"unbalanced'], ["a" * 100000]):
        b = c.start(*args)
        b.wait_window()
        check(b.close() == 0, "exit code for %r" % args[0][:20])
    check(c.misc() == binary, "binary misc.ini changed")


def test_the_window_shows_the_field_the_menu_button_the_strip_and_the_page(c):
    b = c.start(c.server.url("/shot.html"))
    w = b.wait_window()
    wait_for(lambda: "/shot.html" in c.requests(), what="the page request")
    time.sleep(1.5)  # let the page paint
    x, y, width, height = c.xvfb.display.geometry(w)
    shot = os.path.join(c.root, "shot.png")
    subprocess.run(["import", "-display", c.xvfb.name, "-window", "root", shot], check=True)
    keep = os.environ.get("HALVIT_E2E_SHOT")
    if keep:
        shutil.copy(shot, keep)

    raw = subprocess.run(["convert", shot, "-crop", "%dx%d+%d+%d" % (width, height, x, y), "-depth", "8", "rgb:-"],
                         capture_output=True, check=True).stdout

    def pixel(px, py):
        at = (py * width + px) * 3
        return tuple(raw[at:at + 3])

    green = (0, 255, 0)
    for px in (0, 10, width // 2, width - 31):
        for py in (24, 25):
            check(pixel(px, py) == green, "strip pixel %d,%d is %r" % (px, py, pixel(px, py)))
    check(pixel(width - 29, 24) != green, "the strip reaches under the menu button")
    check(pixel(10, 23) != green and pixel(10, 26) != green, "the strip is more than two pixels high")
    # The menu button area is white apart from its glyph, and the glyph is drawn.
    button = [pixel(width - 30 + dx, 3 + dy) for dx in range(0, 30, 2) for dy in range(0, 20, 2)]
    check(any(p != (255, 255, 255) for p in button), "no menu button glyph")
    # The page below the strip: the served page is white with black text.
    page = [pixel(px, 40 + py) for px in range(5, 300, 7) for py in range(0, 60, 3)]
    check(any(sum(p) < 200 for p in page), "no page text under the strip")
    check(b.close() == 0, "exit code")


def test_the_start_page_opens_without_a_parameter(c):
    b = c.start()
    b.wait_window()
    time.sleep(1)
    check(not c.requests(), "the start page needs no network")
    check(b.close() == 0, "exit code")


TESTS = [v for k, v in sorted(globals().items()) if k.startswith("test_")]


def main():
    exe = os.path.abspath(sys.argv[1])
    only = sys.argv[2:]
    xvfb = Xvfb()
    server = PageServer()
    failed = []
    try:
        for test in TESTS:
            if only and not any(o in test.__name__ for o in only):
                continue
            c = Context(exe, xvfb, server)
            started = time.time()
            try:
                test(c)
                print("PASS %s (%.1fs)" % (test.__name__, time.time() - started), flush=True)
            except Exception:
                failed.append(test.__name__)
                print("FAIL %s\n%s" % (test.__name__, traceback.format_exc()), flush=True)
                for b in c.browsers:
                    b.kill()
                    out = b.output()
                    if out:
                        print("  browser output:\n" + out[-3000:], flush=True)
            finally:
                c.cleanup()
    finally:
        server.stop()
        xvfb.stop()
    print("%d failed" % len(failed) if failed else "all passed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
