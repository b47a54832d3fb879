#!/usr/bin/python3
# The real program, started as a user starts it, against a web server on 127.0.0.1 that writes down
# when each request arrives.  e2e_test.py PROGRAM [TestCase.test ...], under scripts/run-under-x (or
# run_under_weston.sh for the run under Wayland). The soak's length is SOAK_MINUTES (3 unless set);
# bench/soak.py runs the same soak for an hour.
import collections, contextlib, http.server, json, os, pathlib, re, shutil, signal, socket, subprocess, sys, tempfile
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


def soak(scratch, minutes, tick=lambda pid, elapsed: None):
    # Browses the mixture at /t=1, No Cache on, with the visit log, killing the web process once and
    # taking one server away from 30 % of the run to 60 %, then stops the run from the menu. Returns
    # what went wrong (nothing when all is well) and the figures.
    entries, ordinary, names, payload, silent, away = mixture(server := Server(), scratch)
    log, trace, port = f"{scratch}/visits.jsonl", f"{scratch}/trace.log", away.server_port
    program = Program([f"/f={write(f'{scratch}/soak.txt', *entries)}", "/t=1", f"/l={log}"], scratch,
                      KESTROVA_TRACE=trace)
    problems, intruders, killed, returned = [], set(), {}, None
    try:
        window = program.main_window()
        started = time.monotonic()
        while time.monotonic() < started + minutes * 60 - 10 and program.process.poll() is None:
            intruders |= {name for i, name in windows(program.pid).items() if i != window}
            last = [r.target for r in server.seen("/ran")[-1:]]
            if not killed and time.monotonic() > started + 50 and last == ["/ran?page=3"]:
                tree = descendants(program.pid)
                killed = {p: c for p, c in tree.items() if "WebKitWebProcess" in c and "bwrap" not in c}
                problems += [] if any("bwrap" in c for c in tree.values()) else ["no sandbox around the web process"]
                kill(killed)
            if away and returned is None and time.monotonic() > started + minutes * 18:
                away.shutdown(), away.server_close()
                away = None
            elif not away and time.monotonic() > started + minutes * 36:
                away, returned = Server(port), time.monotonic()
            tick(program.pid, time.monotonic() - started)
            time.sleep(0.5)
        if program.process.poll() is not None:
            return problems + ["the program ended; stderr:\n" + program.errors()], {}
        # The window still answers: File > Stop by its access keys ends the run.
        stopped = time.monotonic()
        problems += [] if stop_ends_run(program, window, server) else ["requests went on after the stop"]
        problems += [f"survived the kill: {killed[p]}" for p in still_running(killed)]
        waiting = [c for p in descendants(program.pid) for c in ask(p.connections, []) if c.raddr == silent.getsockname()]
        processes = len(descendants(program.pid))
    finally:
        program.kill()
        silent.close()
        away and away.server_close()

    # Every ordinary page comes once per pass, two intervals after the one before, whatever its
    # hostile neighbour did; a stuck web process may delay one by the two seconds its successor
    # takes to start on a loaded machine, and the next comes that much sooner.
    seen = server.seen(*ordinary)
    due, missing = 0, 0
    for a, b in zip([None] + seen, seen):
        at = ordinary.index(b.path)
        if at != due:
            after = "after " + names[due - 1] if a else "first"
            problems.append(f"{ordinary[due]} ({after}) missing before {b.at - started:.1f} s")
        missing, due = missing + (at - due) % len(ordinary), (at + 1) % len(ordinary)
        if a and not 0.9 <= b.at - a.at <= 4.0:
            problems.append(f"{b.path} came {b.at - a.at:.2f} s after the page before")
    counts, passes = [[r.path for r in seen].count(p) for p in ordinary], len(seen) // len(ordinary)
    whole, due_s = seen[-1].at - seen[0].at, 2.0 * (len(seen) - 1)
    if not due_s - 2 <= whole <= due_s + 2 + 2 * passes:
        problems.append(f"{whole:.1f} s from the first ordinary page to the last, for {due_s:.0f} s due")
    if stopped - seen[-1].at > 4.5:
        problems.append(f"the run had ended {stopped - seen[-1].at:.0f} s before the stop")

    # Each visit's line says what happened to it: the silent server's was given up, the refused port's
    # refused; the server away was refused while away and visited again after its return; nothing piled up.
    url, visits = dict(zip(names, entries[1::2])), [json.loads(line) for line in read(log).splitlines()]
    outcomes = {name: [v.get("status", v.get("error")) for v in visits if v["url"] == url[name]] for name in names}
    problems += [f"{name}: {o}" for name, good in (("a server that never answers", ("cancelled", "timeout")),
                 ("a refused port", ("refused",))) for o in outcomes[name] if o not in good]
    away_visits = "".join("u" if o == 200 else "d" if o == "refused" else "?" for o in outcomes["a server away for a while"])
    problems += [] if re.fullmatch("u+d+u+", away_visits) else [f"the server away: {away_visits}"]
    problems += [] if returned and away and away.seen() else ["the server's return was never visited"]
    problems += [] if len(waiting) <= 1 and processes <= 8 else [f"{len(waiting)} connections, {processes} processes"]
    requests = [int(line.split()[0]) / 1000 for line in read(trace).splitlines() if " navigate " in line]
    late_ms = round(1000 * max(b - a - 1 for a, b in zip(requests, requests[1:])))

    # The hostile entries held nothing and got nothing: no credentials sent after a 401, no download
    # retried, the redirect loop followed within bounds, the scripts ran, no window opened, nothing
    # read from another file, nothing saved.
    v = dict(zip(names, counts))
    problems += [f"{path} requested {len(server.seen(path))} times, not {low} to {high}" for path, low, high in (
        ("/auth.html", v["HTTP authentication"] - 1, v["HTTP authentication"]),
        ("/download", v["a download"] - 1, v["a download"]),
        ("/redirect", v["a redirect loop"] + 1, 25 * v["a redirect loop"]),
        ("/read", v["a local page reading another file"] - 1, 10**9),
        ("/ran", len(seen) - 1, 10**9)) if not low <= len(server.seen(path)) <= high]
    problems += [f"a local page read {r.target}" for r in server.seen("/read") if r.target != "/read?got=-"]
    problems += [f"requested {r.path}" for r in server.seen() if r.path.startswith("/opened-")]
    problems += [f"a window besides the main one: {name}" for name in intruders]
    problems += [] if killed else ["the web process was never killed"]
    for folder in (scratch, os.path.expanduser("~/Downloads")):
        problems += [f"the download was saved in {d}" for d, _, files in os.walk(folder) if payload in files]
    return problems, {"counts": counts, "missing": missing, "ran": len(server.seen("/ran")), "entries": len(entries),
                      "hostile": names, "minutes": (time.monotonic() - started) / 60, "late_ms": late_ms}


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
        problems, figures = soak(self.scratch, float(os.environ.get("SOAK_MINUTES", "3")))
        print(f"\nsoak: {figures}", file=sys.stderr)
        self.assertEqual(problems, [])


if __name__ == "__main__":
    PROGRAM = sys.argv[1]
    unittest.main(argv=sys.argv[:1] + sys.argv[2:])
