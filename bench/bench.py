#!/usr/bin/python3
# Benchmarks of the real program against a local server: the wait's accuracy, how soon Stop and
# clicks take effect, processor time idle and busy, memory over many visits, start-up time, big
# playlists and the delays under the soak's mixture; beside the same pages in Chromium where a
# comparison means something. It starts, watches and clicks the program with the end-to-end
# tests' helpers, on the display named by DISPLAY (make bench starts a private Xvfb with openbox),
# prints a table and appends it to the results file. A figure it could not measure is in the
# table as such, and the bench then ends with status 1.
#
# The floor beside them: kestrova_floor (floor.cpp), one WebKit web view showing the same pages in
# the same way with nothing else, the least any program can cost with this engine; "ours ÷ floor"
# rows compare the two.
#
#   bench.py [--quick] [--no-chromium] [--only=memory,idle,...] [--visits=100,500,1000]
#            [--program=KESTROVA] [--results=FILE]
import argparse, math, os, platform, random, re, shutil, socket, statistics, struct, subprocess, sys, tempfile, time
import traceback

import psutil
from Xlib import X, display
from Xlib.ext import xtest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # nothing of the bench left behind in tests/
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
import e2e_test as e2e  # noqa: E402
from e2e_test import KEY, until, windows, write, xdotool  # noqa: E402
from soak import mixture  # noqa: E402

SOURCE = os.path.dirname(HERE)
CHROMIUM = "/usr/bin/chromium"
FIGURES = ("memory", "start-up", "accuracy", "stop", "click", "silent", "idle", "lists", "log", "mixture")
PAGES = 20
# Where the controls sit, in twips (15 to a pixel at the bench display's 96 DPI), below the menu
# bar of a client area 8,640 twips high: left, top, width, height.
TWIPS, CLIENT_HEIGHT = 15.0, 8640
START, STOP, OPEN, SAVE = ((left, 240, 615, 675) for left in (120, 795, 1485, 2160))
NO_CACHE = (9320, 960, 1025, 255)


class NotMeasured(Exception):
    pass


def log(text):
    print(f"[bench {' '.join(f'{x:.2f}' for x in os.getloadavg())}] {text}", file=sys.stderr, flush=True)


def ms(): return int(time.monotonic() * 1000)  # the program's trace is stamped on the same clock


def median(values): return statistics.median(values) if values else math.nan


def percentile(values, p):
    if not values:
        return math.nan
    values, rank = sorted(values), p / 100 * (len(values) - 1)
    low = math.floor(rank)
    return values[low] + (values[min(low + 1, len(values) - 1)] - values[low]) * (rank - low)


def fixed(value, decimals): return "–" if math.isnan(value) else f"{value:.{decimals}f}"  # inf stays "inf"


def settle(needed, what):
    if not needed:
        raise NotMeasured(what)
    return needed


# --- the site: 20 pages of 50 to 200 KB, each with a stylesheet, a script and two images ------------

def bitmap(size, seed):
    # An uncompressed 24-bit BMP, so that every byte is really sent and decoded.
    width, row = 128, 384
    height = (size - 54) // row if size > 54 + row else 1
    header = b"BM" + struct.pack("<IIIIiiHHIIiiII", 54 + row * height, 0, 54, 40, width, height, 1, 24, 0, row * height,
                                 2835, 2835, 0, 0)
    line = lambda y: bytes(v for x in range(width) for v in ((x * 2 + seed * 37) & 255, (y * 3) & 255, (x ^ y) & 255))
    return (header + b"".join(line(y) for y in range(height))).decode("latin-1")


def padded(text, size, filler):
    return text + filler * max(0, (size - len(text)) // len(filler))


def html(i, prefix, refresh):
    name, size = f"p{i}", (50 + 150 * i // (PAGES - 1)) * 1024 * 3 // 10
    head = (f'<!DOCTYPE html>\n<html><head><meta charset="utf-8"><title>Page {i}</title>\n'
            f'<link rel="stylesheet" href="/s/{name}.css">\n')
    if refresh:
        head += f'<meta http-equiv="refresh" content="{refresh};url={prefix}p{(i + 1) % PAGES}.html">\n'
    head += (f'</head><body>\n<h1>Page {i}</h1><p id="sum"></p>\n<img src="/s/{name}-a.bmp" alt=""> '
             f'<img src="/s/{name}-b.bmp" alt="">\n')
    tail, body, n = f'<script src="/s/{name}.js"></script>\n</body></html>\n', [], 0
    while len(head) + sum(map(len, body)) + len(tail) < size:
        body.append(f'<p class="c{n % 200}">Keeping a connection awake takes a page now and then; this paragraph is '
                    f"number {n} of a page that is long enough to be laid out and painted in earnest.</p>\n")
        n += 1
    return head + "".join(body) + tail


def serve_site(server):
    def asset(kind, body): return lambda h: (200, {"Content-Type": kind, "Cache-Control": "max-age=3600"}, body)
    for i in range(PAGES):
        weight = (50 + 150 * i // (PAGES - 1)) * 1024
        image = (weight - weight * 3 // 10 - 2 * 8192) // 2
        css = (f"body{{font-family:sans-serif;margin:1em;background:#f{i % 10}f}}\nh1{{color:#235}}\n"
               "p{line-height:1.4}\nimg{width:256px;border:1px solid #888}\n")
        for n in range(1000):
            if len(css) >= 8192:
                break
            css += f".c{n}{{margin:{n % 7}px;padding:{n % 5}px;color:#{100 + n % 800}}}\n"
        script = padded(f"(function(){{var n=0;for(var i=0;i<2000;i++){{n+=i%{i + 3};}}var e=document."
                        "getElementById('sum');if(e)e.textContent='sum '+n;})();\n", 8192,
                        "// padding so that the script weighs what a small library does\n")
        server.routes.update({
            f"/p/p{i}.html": ("max-age=3600", html(i, "/p/", 0)),
            # Asked for again at every visit, or a browser cycling through them would after the
            # first round show them from its cache and the server would see no more visits.
            f"/r/p{i}.html": ("no-cache", html(i, "/r/", 1)),
            f"/s/p{i}.css": asset("text/css", css), f"/s/p{i}.js": asset("application/javascript", script),
            f"/s/p{i}-a.bmp": asset("image/bmp", bitmap(image, i)),
            f"/s/p{i}-b.bmp": asset("image/bmp", bitmap(image, i + 50))})


PLAIN = [f"/p/p{i}.html" for i in range(PAGES)]
REFRESHING = [f"/r/p{i}.html" for i in range(PAGES)]


# --- watching the program: its trace, its processor time, its memory ----------------------------------

def trace(program):
    lines = []
    with open(program.trace, errors="replace") if os.path.exists(program.trace) else open(os.devnull) as f:
        for line in f:
            stamp, _, event = line.rstrip("\n").partition(" ")
            if event and stamp.isdigit():  # not a line still being written
                lines.append((int(stamp), event))
    return lines


def traced(program, prefix, after, timeout):
    found = until(lambda: [t for t in trace(program) if t[0] > after and t[1].startswith(prefix)], timeout, 0.002)
    return settle(found, f"no '{prefix}' in the trace within {timeout} s")[0]


def tree(pid):
    try:
        return [psutil.Process(pid), *e2e.descendants(pid)]
    except psutil.Error:
        return []


def cpu_percent(pid, seconds):
    # Processor time (user + system, from /proc/PID/stat) of the program and every process below
    # it, sampled every 200 ms so that helpers which come and go are counted too.
    seen, started = {}, time.monotonic()

    def sample(first):
        for process in tree(pid):
            try:
                times = process.cpu_times()
            except psutil.Error:
                continue
            seen.setdefault(process, [times.user + times.system if first else 0.0, 0])[1] = times.user + times.system
        return time.monotonic()

    last = sample(True)
    while last < started + seconds:
        time.sleep(max(0.0, min(0.2, started + seconds - last)))
        last = sample(False)
    return 100 * sum(b - a for a, b in seen.values()) / (last - started)


def memory(pid):
    # PSS and its anonymous part in MB, summed over the program and its descendants.
    pss = anonymous = 0
    for process in tree(pid):
        try:
            kb = dict(re.findall(r"^(\w+):\s+(\d+) kB", e2e.read(f"/proc/{process.pid}/smaps_rollup"), re.M))
        except OSError:
            continue
        pss, anonymous = pss + int(kb.get("Pss", 0)), anonymous + int(kb.get("Pss_Anon", 0))
    return pss / 1024, anonymous / 1024


# --- the bench --------------------------------------------------------------------------------------

class Bench:
    def __init__(self, options):
        self.o, self.rows, self.running, self.launches = options, [], [], 0
        self.server, self.scratch = e2e.Server(), tempfile.mkdtemp(prefix="kestrova-bench-")
        serve_site(self.server)
        self.site = write(f"{self.scratch}/site.txt", *map(self.server.url, PLAIN))
        self.static = write(f"{self.scratch}/static.txt", self.server.url(PLAIN[0]))
        self.x = None

    def row(self, figure, unit, samples, target="", met=None, note=""):
        self.rows.append((figure, unit, list(samples), target, met, note))

    def launch(self, args, executable=None):
        self.launches += 1
        home = f"{self.scratch}/{os.path.basename(executable or 'kestrova')}-{self.launches}"
        os.makedirs(home)
        e2e.PROGRAM = executable or self.o.program
        environment = {} if executable else {"KESTROVA_TRACE": f"{home}/trace.log"}
        started = time.monotonic()
        program = e2e.Program(args, home, **environment)
        program.started, program.home, program.trace = started, home, f"{home}/trace.log"
        self.running.append(program)
        return program

    def chromium(self, url):
        return self.launch(["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                            "--disable-background-networking", "--disable-component-update", "--disable-sync",
                            f"--user-data-dir={self.scratch}/profile-{self.launches + 1}", url], CHROMIUM)

    def floor(self, playlist, seconds):
        return self.launch([playlist, str(seconds)], os.path.join(os.path.dirname(self.o.program), "kestrova_floor"))

    def beside_floor(self, figure, unit, ours, floor, target, met, note=""):
        # The floor's row, and ours ÷ floor's (medians) with the target on the two.
        self.row(f"{figure}: the floor", unit, floor, note="WebKit alone")
        ratio = median(ours) / median(floor) if median(floor) else math.inf
        self.row(f"{figure}: ours ÷ the floor (medians)", "ratio", [ratio], target, met,
                 note or f"ours {fixed(median(ours), 2)}, the floor {fixed(median(floor), 2)} {unit}")

    def pages_since(self, paths, since):
        return [r for r in self.server.seen(*paths) if r.at >= since]

    def wait_pages(self, paths, since, count, timeout):
        until(lambda: len(self.pages_since(paths, since)) >= count, timeout, 0.005)
        return self.pages_since(paths, since)

    def point_at(self, window, place):
        height = int(xdotool("getwindowgeometry", "--shell", window).split("HEIGHT=")[1].split()[0])
        left, top, width, tall = place
        x = math.floor((left + width / 2) / TWIPS + 0.5)
        y = height - math.floor(CLIENT_HEIGHT / TWIPS + 0.5) + math.floor((top + tall / 2) / TWIPS + 0.5)
        xdotool("mousemove", "--window", window, str(x), str(y))

    def click(self):
        # A button press and release where the pointer is, through the XTest extension of one
        # connection kept open: the moment is taken just before, with nothing to start between.
        self.x = self.x or display.Display()
        clicked = ms()
        xtest.fake_input(self.x, X.ButtonPress, 1)
        xtest.fake_input(self.x, X.ButtonRelease, 1)
        self.x.flush()
        return clicked

    def run(self):
        self.load_before, self.started = os.getloadavg(), time.gmtime()
        # The longest first: on a shared machine the rest may have to be run again on its own.
        for figure, measure in (("memory", self.memory_and_busy), ("start-up", self.startup),
                                ("accuracy", lambda: self.accuracy(1, self.o.accuracy_runs[0])),
                                ("accuracy", lambda: self.accuracy(5, self.o.accuracy_runs[1])),
                                ("stop", self.stop_latency), *[("click", lambda s=s: self.responsiveness(s))
                                                               for s in (30, 300, 3600)],
                                ("silent", self.silent), ("idle", self.idle), ("lists", self.big_lists),
                                ("log", self.log_cost), ("mixture", self.mixture)):
            if self.o.only and figure not in self.o.only:
                continue
            log("measuring " + figure)
            try:
                measure()
            except Exception as error:  # noqa: BLE001 -- whatever went wrong, the row says so
                why = str(error) if isinstance(error, NotMeasured) else f"{type(error).__name__}: {error}"
                log(f"{figure} failed: {traceback.format_exc()}")
                self.row(figure, "", [], note="not measured: " + re.sub(r"\s+", " ", why).replace("|", "/"))
            finally:
                for program in self.running:
                    program.kill()
                self.running = []
        self.load_after = os.getloadavg()
        return self.report()

    # --- figures ------------------------------------------------------------------------------

    def startup(self):
        samples, floor = [], []
        for _ in range(self.o.startup_runs):
            for program, into in ((self.launch([f"/f={self.site}", "/t=1"]), samples), (self.floor(self.site, 1), floor)):
                first = settle(self.wait_pages(PLAIN, program.started, 1, 30), "no request within 30 s of the start")
                into.append(first[0].at - program.started)
                program.kill()
                time.sleep(1)
        self.row("start-up: exec to first request, /t=1", "s", samples, "≤ 1.5", median(samples) <= 1.5)
        self.beside_floor("start-up", "s", samples, floor, "ours ≤ the floor's + 0.1 s",
                          median(samples) <= median(floor) + 0.1)

    def accuracy(self, seconds, runs):
        # The first spacing is left out: the first page reaches the server late while the web engine
        # starts its network process.
        medians, p99s, spacings, navigations = [], [], 0, []
        for _ in range(runs):
            program = self.launch([f"/f={self.site}", f"/t={seconds}"])
            visits = self.o.accuracy_visits
            requests = self.wait_pages(PLAIN, program.started, visits + 2, (visits + 10) * (seconds + 1))
            program.kill()
            settle(len(requests) >= 3, "too few visits")
            steps = trace(program)
            navigated = [t for t, event in steps if event.startswith("navigate ")]
            navigations += [b - a - seconds * 1000 for a, b in zip(navigated, navigated[1:])]
            deviations = [(b.at - a.at - seconds) * 1000 for a, b in zip(requests[1:], requests[2:])]
            for a, b, late in zip(requests[1:], requests[2:], deviations):
                if late > 100:  # what the program did between the two requests, for whoever reads the log
                    start, end = int(a.at * 1000), int(b.at * 1000)
                    log(f"late by {late:.0f} ms:" + "".join(f" +{t - start} {e};" for t, e in steps
                                                             if start - 50 <= t <= end) + f" (next request at +{end - start})")
            spacings += len(deviations)
            medians.append(median(deviations))
            p99s.append(percentile([abs(d) for d in deviations], 99))
        note = f"{spacings} spacings in {runs} run(s)"
        name, low, high = f"wait accuracy /t={seconds}", seconds * 10 + 20, seconds * 50 + 50
        self.row(f"{name}: median spacing − interval", "ms", medians, f"abs ≤ {low}",
                 all(abs(m) <= low for m in medians),
                 note + f"; in the program: navigation spacing − interval median {fixed(median(navigations), 0)} ms")
        self.row(f"{name}: 99th pct of abs(spacing − interval)", "ms", p99s, f"≤ {high}", all(p <= high for p in p99s),
                 note)

    def stop_latency(self):
        program, samples, after = self.launch([f"/f={self.site}", "/t=10"]), [], 0
        window = program.main_window()
        for _ in range(self.o.stops):
            navigated = traced(program, "navigate ", after, 30)[0]
            self.point_at(window, STOP)
            time.sleep(max(0, navigated + random.uniform(300, 9700) - ms()) / 1000)
            clicked = self.click()
            after = traced(program, "run ended", clicked - 1, 20)[0]
            samples.append(after - clicked)
            self.point_at(window, START)
            self.click()
        self.row("stop latency: click on Stop in a /t=10 wait to run ended", "ms", samples, "≤ 1050",
                 max(samples) <= 1050, f"{len(samples)} stops at random moments; max must meet the target")

    def clicks(self, entries, seconds, count, spacing):
        # Clicks No Cache at random moments of a run, from 2 s after its first navigation, until
        # `count` are done or the next page is due in a second; each until the trace says its
        # handler ran.
        program, samples = self.launch([f"/f={write(f'{self.scratch}/clicks.txt', *entries)}", f"/t={seconds}"]), []
        window = program.main_window()
        navigated = traced(program, "navigate ", 0, 30)[0]
        self.point_at(window, NO_CACHE)
        due = navigated + 2000
        while len(samples) < count:
            due += random.uniform(*spacing)
            if seconds > 1 and due > navigated + seconds * 1000 - 1000:
                break
            time.sleep(max(0, due - ms()) / 1000)
            clicked = self.click()
            samples.append(traced(program, "handler ckCache", clicked - 1, 60)[0] - clicked)
            due = max(due, ms())
        program.kill()
        return samples

    def responsiveness(self, seconds):
        # At these intervals the first page's wait is far longer than the clicks take: a slice is a
        # hundredth of the interval (0.3 s, 3 s, 36 s).
        samples = []
        while len(samples) < self.o.clicks:
            samples += self.clicks(map(self.server.url, PLAIN), seconds, self.o.clicks - len(samples), (300, 2500))
        self.row(f"responsiveness: click in a /t={seconds} wait to its handler", "ms", samples, "≤ 30",
                 max(samples) <= 30, f"{len(samples)} clicks on No Cache; max must meet the target")

    def silent(self):
        # Pages on a socket that takes connections and never answers, at /t=1: every navigation
        # comes while the page before still waits for its server.
        with socket.create_server(("127.0.0.1", 0), backlog=128) as server:
            url = f"http://127.0.0.1:{server.getsockname()[1]}/"
            samples = self.clicks([url + "a.html", url + "b.html"], 1, 4 * self.o.clicks, (200, 900))
        self.row("click → handler while the page's server never answers (/t=1)", "ms", samples, "≤ 30",
                 max(samples) <= 30, f"{len(samples)} clicks on No Cache; max must meet the target")

    def idle_percent(self, program, path):
        # Processor time over idle_seconds of a page that is shown and left alone.
        first = settle(self.wait_pages([path], program.started, 1, 30), "the page was not requested")[0]
        time.sleep(max(0.0, first.at + 5 - time.monotonic()))
        return cpu_percent(program.pid, self.o.idle_seconds)

    def idle(self):
        ours, theirs, floor = [], [], []
        for _ in range(self.o.idle_runs):
            # The wait outlasts the measurement: the page is fetched once.
            program = self.launch([f"/f={self.static}", f"/t={self.o.idle_seconds + 15}"])
            ours.append(self.idle_percent(program, PLAIN[0]))
            program.kill()
            program = self.floor(self.static, self.o.idle_seconds + 15)
            floor.append(self.idle_percent(program, PLAIN[0]))
            program.kill()
            if self.o.chromium:
                program = self.chromium(self.server.url(PLAIN[0]))
                theirs.append(self.idle_percent(program, PLAIN[0]))
                program.kill()
        self.row(f"idle cost: CPU over a {self.o.idle_seconds} s wait, static page", "% of a core", ours, "≤ 0.5",
                 median(ours) <= 0.5, "program + WebKit processes; median must meet the target")
        if theirs:
            self.row("idle cost: Chromium, same page, same time", "% of a core", theirs, note="browser + helpers")
            self.row("idle cost: ours ÷ Chromium's (medians)", "ratio", [median(ours) / median(theirs)], "≤ 0.5",
                     median(ours) <= median(theirs) / 2)
        self.beside_floor("idle cost", "% of a core", ours, floor, "≤ 1.15", median(ours) <= 1.15 * median(floor))

    def follow_visits(self, program, paths, who):
        # Follows a browser through the memory visits at one a second: processor time over
        # busy_seconds from the fifth visit on, and memory once each count of visits is reached.
        settle(len(self.wait_pages(paths, program.started, 5, 60)) >= 5, f"{who}: no fifth visit")
        busy = cpu_percent(program.pid, self.o.busy_seconds)
        log(f"{who} busy {busy:.1f}%")
        pss, anonymous = [], []
        for count in self.o.visits:
            requests = self.wait_pages(paths, program.started, count, count * 3)
            settle(len(requests) >= count, f"{who}: fewer visits than asked for")
            time.sleep(max(0.0, requests[count - 1].at + 0.6 - time.monotonic()))  # the page in hand loaded
            total, anon = memory(program.pid)
            pss, anonymous = pss + [total], anonymous + [anon]
            log(f"{who} after {count} visits: {total:.1f} MB, anonymous {anon:.1f} MB")
        # Resource requests per page request from the second pass on, when every resource could
        # come from a cache.
        pages, per_visit = self.pages_since(paths, program.started), math.nan
        if len(pages) > PAGES:
            second = pages[PAGES].at
            resources = [r for r in self.server.seen() if r.at >= second and r.path.startswith("/s/")]
            per_visit = len(resources) / (len(pages) - PAGES)
        return busy, pss, anonymous, per_visit

    def memory_and_busy(self):
        program = self.launch([f"/f={self.site}", "/t=1"])
        busy, pss, anon, per_visit = self.follow_visits(program, PLAIN, "kestrova")
        program.kill()
        program = self.floor(self.site, 1)
        floor = self.follow_visits(program, PLAIN, "floor")
        program.kill()
        theirs = None
        if self.o.chromium:
            program = self.chromium(self.server.url(REFRESHING[0]))
            theirs = self.follow_visits(program, REFRESHING, "chromium")
            program.kill()
        self.row(f"busy cost: CPU browsing the 20 pages at /t=1 for {self.o.busy_seconds} s", "% of a core", [busy],
                 "below Chromium's", theirs and busy < theirs[0], "No Cache on")
        if theirs:
            self.row("busy cost: Chromium cycling the same pages by refresh", "% of a core", [theirs[0]],
                     note="its cache on")
        for i, visits in enumerate(self.o.visits):
            target, met, note = "≤ 300", pss[i] <= 300, f"anonymous {anon[i]:.1f} MB"
            if theirs:
                target, met = target + ", below Chromium's", met and pss[i] < theirs[1][i]
                note += (f"; Chromium {theirs[1][i]:.1f} MB (anonymous {theirs[2][i]:.1f} MB); "
                         f"ratio {pss[i] / theirs[1][i]:.2f}")
            self.row(f"memory: PSS after {visits} visits", "MB", [pss[i]], target, met, note)
        # Each page loads four resources: 5 when nothing but the page is cached, 1 for the page alone.
        note = f"No Cache on; {fixed(per_visit, 2)} resource requests per visit"
        note += f"; Chromium {fixed(1 + theirs[3], 2)} (its pages sent with no-cache)" if theirs else ""
        self.row("requests per visit from the second pass (page + resources)", "requests", [1 + per_visit],
                 "≤ 1.1 (the page alone)", 1 + per_visit <= 1.1, note)
        note = f"anonymous {anon[-1] - anon[0]:.1f} MB"
        note += f"; Chromium {theirs[1][-1] - theirs[1][0]:.1f} MB" if theirs else ""
        self.row(f"memory: growth from {self.o.visits[0]} to {self.o.visits[-1]} visits", "MB", [pss[-1] - pss[0]],
                 "≤ 10", pss[-1] - pss[0] <= 10, note)
        self.beside_floor("busy cost", "% of a core", [busy], [floor[0]], "≤ 1.15", busy <= 1.15 * floor[0])
        for kind, ours, theirs in (("PSS", pss, floor[1]), ("anonymous memory", anon, floor[2])):
            self.row(f"memory: {kind} after {self.o.visits[-1]} visits: the floor", "MB", [theirs[-1]],
                     note="WebKit alone; growth from " f"{self.o.visits[0]} visits {theirs[-1] - theirs[0]:.1f} MB")
            self.row(f"memory: {kind} after {self.o.visits[-1]} visits: ours − the floor", "MB",
                     [ours[-1] - theirs[-1]], "≤ 25", ours[-1] - theirs[-1] <= 25)

    def dialog(self, program, window, button, title):
        # Clicks the button and gives the keyboard to the file dialog it opens.
        self.point_at(window, button)
        self.click()
        found = until(lambda: [i for i, name in windows(program.pid).items() if name == title], 10, 0.05)
        xdotool("windowactivate", "--sync", settle(found, f"no file dialog titled '{title}'")[0])
        time.sleep(0.3)

    def big_lists(self):
        # Loads and saves a long playlist through the file dialogs of the real window.
        for lines, load_target, save_target in ((32767, 0.5, 0.2), (100000, 1.5, 0.5)):
            playlist = write(f"{self.scratch}/list-{lines}.txt",
                             *[self.server.url(PLAIN[i % PAGES]) + f"?entry={i}" for i in range(lines)])
            load, load_own, save, save_own = [], [], [], []
            for _ in range(self.o.list_runs):
                program = self.launch([])
                window = program.main_window()
                self.dialog(program, window, OPEN, "Open")
                xdotool("type", "--delay", "15", playlist)
                time.sleep(0.5)
                opened = ms()
                xdotool(*KEY, "Return")
                filled = traced(program, f"list items {lines}", opened - 1, 30)[0]
                load.append((filled - opened) / 1000)
                closed = [t for t, e in trace(program) if t >= opened and e == "file dialog closed"]
                load_own += [(filled - closed[0]) / 1000] if closed else []

                saved = f"{program.home}/saved.txt"
                self.dialog(program, window, SAVE, "Save As")
                xdotool(*KEY, "ctrl+a")
                xdotool("type", "--delay", "15", saved)
                time.sleep(0.5)
                pressed = ms()
                xdotool(*KEY, "Return")
                done = traced(program, "handler cmdSave done", pressed - 1, 30)[0]
                settle(os.path.getsize(saved) == os.path.getsize(playlist), "the saved list differs from the loaded")
                save.append((done - pressed) / 1000)
                closed = [t for t, e in trace(program) if t >= pressed and e == "file dialog closed"]
                save_own += [(done - closed[0]) / 1000] if closed else []
                log("from Return in the open dialog:" + "".join(f" +{t - opened} {e};" for t, e in trace(program)
                                                                if t >= opened) + f" (save's Return at +{pressed - opened})")
                program.kill()
            settle(load_own and save_own, "no 'file dialog closed' in the trace")
            name = f"big list: {{}} {lines} lines"
            self.row(name.format("load"), "s", load, f"≤ {load_target:.1f}", median(load) <= load_target,
                     "Return in the dialog to the list filled")
            self.row(name.format("load") + ", after the dialog", "s", load_own, note="dialog returned to the list filled")
            self.row(name.format("save"), "s", save, f"≤ {save_target:.1f}", median(save) <= save_target,
                     "Return in the dialog to the file written")
            self.row(name.format("save") + ", after the dialog", "s", save_own,
                     note="dialog returned to the file written")

    def log_cost(self):
        # Busy processor time browsing the pages without and with the visit log, alternately, so
        # that both see the same neighbours on a shared machine.
        without, with_log, lines = [], [], 0
        for _ in range(self.o.log_runs):
            for logged in (False, True):
                visits = f"{self.scratch}/visits-{self.launches + 1}.jsonl"
                program = self.launch([f"/f={self.site}", "/t=1"] + ([f"/l={visits}"] if logged else []))
                settle(len(self.wait_pages(PLAIN, program.started, 5, 60)) >= 5, "no fifth visit")
                (with_log if logged else without).append(cpu_percent(program.pid, self.o.busy_seconds))
                program.kill()
                lines += len(e2e.read(visits).splitlines()) if logged else 0
        # Within noise: the medians differ by no more than the runs of either kind differ among themselves.
        difference = median(with_log) - median(without)
        self.row(f"log cost: busy CPU, 20 pages at /t=1 for {self.o.busy_seconds} s, without /l=", "% of a core",
                 without, note="No Cache on")
        self.row("log cost: the same with /l=", "% of a core", with_log, "within noise",
                 abs(difference) <= max(max(v) - min(v) for v in (with_log, without)),
                 f"median {difference:.1f} points from without; {lines} lines logged; runs alternated")

    def mixture(self):
        # The soak's playlist at /t=1: how late each navigation comes after its due time, one interval
        # after the navigation before, both as the program's trace writes them down.
        server = e2e.Server()
        entries, *rest = mixture(server, self.scratch)
        try:
            program = self.launch([f"/f={write(f'{self.scratch}/mixture.txt', *entries)}", "/t=1"])
            time.sleep(self.o.mixture_seconds)
            navigated = [t for t, event in trace(program) if event.startswith("navigate ")]
            program.kill()
        finally:
            server.shutdown()
            for held in rest[3:]:  # the silent socket, and whatever else the mixture keeps open
                if isinstance(held, e2e.Server):
                    held.shutdown(), held.server_close()
                elif isinstance(held, socket.socket):
                    held.close()
        late = [b - a - 1000 for a, b in zip(navigated, navigated[1:])]
        settle(len(late) >= len(entries) // 2, f"{len(late) + 1} navigations in {self.o.mixture_seconds} s")
        self.row("worst delay from a navigation's due time to its request, soak's mixture at /t=1", "ms", late,
                 note=f"{len(late)} navigations over {len(entries)} entries (max is the figure); "
                 "due one interval after the navigation before")

    # --- report -------------------------------------------------------------------------------

    def table(self):
        cpu = next((l.split(":", 1)[1].strip() for l in open("/proc/cpuinfo") if l.startswith("model name")), "")
        uname = platform.uname()
        commit = subprocess.run(["git", "-C", SOURCE, "rev-parse", "--short", "HEAD"], capture_output=True, text=True)
        load = lambda a: " ".join(f"{x:.2f}" for x in a)
        out = [f"## {time.strftime('%Y-%m-%d %H:%M UTC', self.started)}{' (quick)' if self.o.quick else ''}\n",
               f"Machine: {uname.node}, {uname.system} {uname.release}, {cpu}, {os.cpu_count()} cores. "
               f"Commit {commit.stdout.strip()}. Display: Xvfb + openbox."]
        if os.path.realpath(self.o.program) != os.path.realpath(f"{SOURCE}/build/kestrova"):
            out.append(f"Program measured: {self.o.program}.")
        out += [f"Load average (1, 5, 15 min) at the start {load(self.load_before)}, at the end "
                f"{load(self.load_after)}.\n", "| figure | unit | median | min | max | runs | target | met | note |",
                "|---|---|---|---|---|---|---|---|---|"]
        for figure, unit, samples, target, met, note in self.rows:
            d = 3 if unit == "s" else 2 if unit == "ratio" else 1
            low, mid, high = (fixed(f(samples), d) if samples else "–" for f in (min, median, max))
            out.append(f"| {figure} | {unit} | {mid} | {low} | {high} | {len(samples)} | {target} | "
                       f"{'' if met is None else 'yes' if met else '**no**'} | {note} |")
        return "\n".join(out) + "\n"

    def report(self):
        table = self.table()
        print(table, flush=True)
        with open(self.o.results, "a") as results:
            results.write("\n" + table)
        log("appended to " + self.o.results)
        shutil.rmtree(self.scratch, True)
        missing = [f"{row[0]}: {row[5]}" for row in self.rows if row[5].startswith("not measured")]
        for line in missing:
            print("bench: " + line, file=sys.stderr)
        return 1 if missing else 0


def options():
    parser = argparse.ArgumentParser(description="Benchmarks of Kestrova beside Chromium.")
    parser.add_argument("--quick", action="store_true", help="each figure fewer times, and shorter")
    parser.add_argument("--no-chromium", dest="chromium", action="store_false")
    parser.add_argument("--only", type=lambda s: set(s.split(",")), default=set(), help=",".join(FIGURES))
    parser.add_argument("--visits", type=lambda s: [int(v) for v in s.split(",")])
    parser.add_argument("--program", default=f"{SOURCE}/build/kestrova")
    parser.add_argument("--results", default=f"{HERE}/RESULTS.md")
    o = parser.parse_args()
    if o.only - set(FIGURES):
        parser.error(f"no figure named {', '.join(o.only - set(FIGURES))}; the figures: {', '.join(FIGURES)}")
    # How many times each figure is measured, and for how long.
    counts = dict(startup_runs=7, accuracy_visits=60, accuracy_runs=(3, 1), stops=12, clicks=12, idle_runs=2,
                  idle_seconds=60, busy_seconds=120, log_runs=3, list_runs=3, mixture_seconds=180)
    if o.quick:
        counts.update(startup_runs=3, accuracy_visits=20, accuracy_runs=(1, 1), stops=5, clicks=5, idle_runs=1,
                      idle_seconds=20, busy_seconds=30, log_runs=2, list_runs=1, mixture_seconds=60)
    o.visits = o.visits or ([20, 60, 100] if o.quick else [100, 500, 1000])
    for name, value in counts.items():
        setattr(o, name, value)
    return o


if __name__ == "__main__":
    o = options()
    if "DISPLAY" not in os.environ:
        sys.exit("bench: no DISPLAY; run it through scripts/run-under-x (make bench does)")
    if o.chromium and not os.access(CHROMIUM, os.X_OK):
        sys.exit(f"bench: {CHROMIUM} is missing (apt-get install chromium), or pass --no-chromium")
    sys.exit(Bench(o).run())
