#!/usr/bin/python3
# The real program, started as a user starts it, against a web server on 127.0.0.1 that writes down
# when each request arrives.  e2e_test.py PROGRAM [TestCase.test ...], under scripts/run-under-x (or
# run_under_weston.sh for the run under Wayland). The soak's length is SOAK_MINUTES (1.5 unless set);
# bench/soak.py runs the same soak for an hour.
import collections, contextlib, http.server, json, os, pathlib, re, shutil, signal, socket, subprocess, sys, tempfile
import threading, time, types, unittest

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


def describe(requests):
    return ", ".join(f"{b.target} (+{b.at - a.at:.2f} s)" for a, b in zip(requests[:1] + requests, requests))


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


def mixture(server, scratch):
    # The soak's playlist: ordinary pages, each followed by an entry that tries to hold, flood or
    # trick the browser. Returns the entries, the ordinary pages' paths and the hostile ones' names.
    payload, silent = f"kestrova-payload-{os.getpid()}.bin", socket.create_server(("127.0.0.1", 0))
    # A server that goes away for a while; each answer closes its connection, which would still reach it.
    away = Server()
    away.routes["/away.html"] = lambda h: (200, {"Cache-Control": "no-store", "Connection": "close"}, "away")
    write(f"{scratch}/secret.txt", "the secret")
    write(f"{scratch}/folder/inner/spy.html", f"<script>fetch('file://{scratch}/secret.txt').then(r => r.text())"
          f".catch(() => '-').then(t => new Image().src = '{server.url('/read')}?got=' + encodeURIComponent(t || '-'))"
          "</script>")
    # A route per server path; the rest are addresses where a browser gets no page.
    hostile = [
        ("an endless script", "/endless.html", script_page("for (;;) {}")),
        ("a dialog loop", "/dialogs.html", script_page("for (;;) { alert('a'); confirm('c'); prompt('p', 'x'); }")),
        ("window.open in a loop", "/open.html", script_page("for (var i = 0; i < 2000; ++i) open('/opened-' + i);")),
        ("window.print()", "/print.html", script_page("window.print(); window.print();")),
        ("HTTP authentication", "/auth.html", lambda h: (400 if h.headers["Authorization"] else 401,
                                                        {"WWW-Authenticate": 'Basic realm="k"'}, "who are you?")),
        ("a redirect loop", "/redirect", lambda h: (302, {"Location": f"/redirect?{time.monotonic()}"}, "")),
        ("404", "/404.html", lambda h: (404, {}, "no page")), ("500", "/500.html", lambda h: (500, {}, "no page")),
        ("a download", "/download", lambda h: (200, {"Content-Type": "application/octet-stream", "Content-Disposition":
                                                      f'attachment; filename="{payload}"'}, "\x7f" * 2**20)),
        ("a 20 MB page", "/huge.html", ("no-store", ("<p>" + "ballast " * 7 + "</p>\n") * 330000)),
        ("a local page reading another file", f"file://{scratch}/folder/inner/spy.html"),
        ("a server that never answers", f"http://127.0.0.1:{silent.getsockname()[1]}/"), ("a refused port", refused()),
        ("a folder", f"file://{scratch}/folder/"), ("a missing file", f"file://{scratch}/missing.html"),
        ("a missing file given as a path", f"{scratch}/missing.html"), ("about:blank", "about:blank"),
        ("a 64 KB URL", server.url("/long?" + "x" * 65536)), ("an empty entry", ""),
        ("a fragment of the page before", "#part"), ("a server away for a while", away.url("/away.html"))]
    # No Cache fetches the page alone afresh: the reports a page sends must not come from the cache.
    server.routes.update({"/ran": ("no-store", ""), "/read": ("no-store", ""), **dict(h[1:] for h in hostile if h[2:])})
    ordinary = [f"/page-{i}.html" for i in range(len(hostile))]
    server.routes.update({p: script_page(f"new Image().src = '/ran?page={i}';") for i, p in enumerate(ordinary)})
    entries = [e for p, h in zip(ordinary, hostile) for e in (server.url(p), server.url(h[1]) if h[2:] else
                                                              server.url(p) + h[1] if h[1][:1] == "#" else h[1])]
    return entries, ordinary, [h[0] for h in hostile], payload, silent, away


def soak(scratch, minutes, tick=lambda run: None):
    # Browses the mixture at /t=1, No Cache on, with the visit log, then stops the run from the menu.
    # `tick` sees the run every half second (bench/soak.py's also kills the web process and takes a
    # server away for a while). Returns what went wrong (nothing when all is well) and the run.
    run = types.SimpleNamespace(server=Server(), intruders=set())
    run.entries, run.ordinary, run.names, payload, silent, run.away = mixture(run.server, scratch)
    run.log, run.trace, server = f"{scratch}/visits.jsonl", f"{scratch}/trace.log", run.server
    run.program = Program([f"/f={write(f'{scratch}/soak.txt', *run.entries)}", "/t=1", f"/l={run.log}"], scratch,
                          KESTROVA_TRACE=run.trace)
    try:
        window, run.started = run.program.main_window(), time.monotonic()
        while time.monotonic() < run.started + minutes * 60 - 10 and run.program.process.poll() is None:
            run.intruders |= {name for i, name in windows(run.program.pid).items() if i != window}
            tick(run)
            time.sleep(0.5)
        if run.program.process.poll() is not None:
            return ["the program ended; stderr:\n" + run.program.errors()], run
        tree = descendants(run.program.pid)
        # The window still answers: File > Stop by its access keys ends the run.
        stopped, problems = time.monotonic(), [] if stop_ends_run(run.program, window, server) else ["requests went on after the stop"]
        problems += [] if any("bwrap" in c for c in tree.values()) else ["no sandbox around the web process"]
        waiting = [c for p in tree for c in ask(p.connections, []) if c.raddr == silent.getsockname()]
    finally:
        run.program.kill()
        silent.close()
        run.away and run.away.server_close()

    # Every ordinary page comes once per pass, in list order, two intervals after the one before,
    # whatever its hostile neighbour did (a web process starting afresh on a loaded machine may
    # delay one by two seconds, and the next comes that much sooner).
    run.seen, ordinary = server.seen(*run.ordinary), run.ordinary
    run.missing = next((i for i, r in enumerate(run.seen) if r.path != ordinary[i % len(ordinary)]), None)
    if run.missing is not None:
        problems.append(f"{ordinary[run.missing % len(ordinary)]} missing at {run.seen[run.missing].at - run.started:.1f} s")
    problems += [f"{b.path} came {b.at - a.at:.2f} s after the page before" for a, b in zip(run.seen, run.seen[1:])
                 if not 0.9 <= b.at - a.at <= 4.0]
    problems += [] if run.seen and stopped - run.seen[-1].at <= 4.5 else ["the run had ended before the stop"]
    # Each visit's line says what happened to it: the silent server's was given up, the refused
    # port's refused; nothing piled up.
    url, run.visits = dict(zip(run.names, run.entries[1::2])), [json.loads(line) for line in read(run.log).splitlines()]
    run.outcomes = {n: [v.get("status", v.get("error")) for v in run.visits if v["url"] == url[n]] for n in run.names}
    problems += [f"{name}: {o}" for name, good in (("a server that never answers", ("cancelled", "timeout")),
                 ("a refused port", ("refused",))) for o in run.outcomes[name] if o not in good]
    problems += [] if len(waiting) <= 1 and len(tree) <= 8 else [f"{len(waiting)} connections, {len(tree)} processes"]

    # The hostile entries held nothing and got nothing: no credentials sent after a 401, no download
    # retried, the redirect loop followed within bounds, the scripts ran, no window opened, nothing
    # read from another file, nothing saved.
    run.counts = [[r.path for r in run.seen].count(p) for p in ordinary]
    v = dict(zip(run.names, run.counts))
    problems += [f"{path} requested {len(server.seen(path))} times, not {low} to {high}" for path, low, high in (
        ("/auth.html", v["HTTP authentication"] - 1, v["HTTP authentication"]),
        ("/download", v["a download"] - 1, v["a download"]),
        ("/redirect", v["a redirect loop"] + 1, 25 * v["a redirect loop"]),
        ("/read", v["a local page reading another file"] - 1, 10**9),
        ("/ran", len(run.seen) - 1, 10**9)) if not low <= len(server.seen(path)) <= high]
    problems += [f"a local page read {r.target}" for r in server.seen("/read") if r.target != "/read?got=-"]
    problems += [f"requested {r.path}" for r in server.seen() if r.path.startswith("/opened-")]
    problems += [f"a window besides the main one: {name}" for name in run.intruders]
    for folder in (scratch, os.path.expanduser("~/Downloads")):
        problems += [f"the download was saved in {d}" for d, _, files in os.walk(folder) if payload in files]
    return problems, run


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
        no_cache = ["mousemove", "--window", window, "656", str(height - 576 + 73), "click", "1"]

        # No Cache is ticked at start: the second pass reaches the server too, one second a page. The
        # first page's request waits for the web engine to start, and the second for the first, so the
        # first spacing may be as short as that took; a lag of up to 250 ms is caught up in the wait.
        seen = self.server.wait(self.pages, 6, 30)
        self.assertEqual([r.path for r in seen], self.pages * 2, describe(seen) + self.program.errors())
        gaps = [b.at - a.at for a, b in zip(seen, seen[1:])]
        self.assertTrue(gaps[0] <= 1.6 and all(0.7 <= g <= 1.6 for g in gaps[1:]), describe(seen))
        # Only the page is purged: what it loads stays in the cache. (A page replaced before its
        # stylesheet came may have left it unstored, so the first pass may ask more than once.)
        self.assertTrue(self.server.seen("/style.css"))
        self.assertEqual([r for r in self.server.seen("/style.css") if r.at > seen[3].at], [])

        # Unticked, the next visits come from the cache.
        xdotool(*no_cache)
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
            print(f"\n{how}: ended {time.monotonic() - pressed:.3f} s after the keys", file=sys.stderr)
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

    def test_soak(self):
        problems, run = soak(self.scratch, float(os.environ.get("SOAK_MINUTES", "1.5")))
        print(f"\nsoak: every ordinary page {min(run.counts)} to {max(run.counts)} times", file=sys.stderr)
        self.assertEqual(problems, [])


if __name__ == "__main__":
    PROGRAM = sys.argv[1]
    unittest.main(argv=sys.argv[:1] + sys.argv[2:])
