#!/usr/bin/python3
# A long run of the real program over the end-to-end soak's mixture (ordinary pages, each followed
# by a hostile entry) at one second a page, No Cache and Loop on, with the soak's checks; its web
# process is killed once and one server goes away for a while. Every minute it writes down the
# memory of the program, its web processes and its network process, and appends what it measured
# to a results file.
#
#   soak.py PROGRAM RESULTS_FILE     (under scripts/run-under-x; SOAK_MINUTES sets the length, 60 unless set)
import json, os, re, shutil, socket, sys, tempfile, time, types

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import e2e_test as e2e  # noqa: E402

MEMORY_LIMIT_MB = 300
ANONYMOUS_GROWTH_LIMIT_MB = 5


def mixture(server, scratch):
    # The soak's playlist: ordinary pages, each followed by one of the end-to-end tests' hostile
    # entries or by an address where a browser gets no page. Returns the entries, the ordinary
    # pages' paths, the hostile entries, the download's name, and the silent socket and the server
    # that goes away for a while (each answer of it closes its connection, which would still reach it).
    hostile, payload = e2e.hostile_pages(server, scratch)
    silent, away = socket.create_server(("127.0.0.1", 0)), e2e.Server()
    away.routes["/away.html"] = lambda h: (200, {"Cache-Control": "no-store", "Connection": "close"}, "away")
    hostile += [
        ("404", "/404.html", lambda h: (404, {}, "no page")), ("500", "/500.html", lambda h: (500, {}, "no page")),
        ("a 20 MB page", "/huge.html", ("no-store", ("<p>" + "ballast " * 7 + "</p>\n") * 330000)),
        ("a server that never answers", f"http://127.0.0.1:{silent.getsockname()[1]}/"), ("a refused port", e2e.refused()),
        ("a folder", f"file://{scratch}/folder/"), ("a missing file", f"file://{scratch}/missing.html"),
        ("a missing file given as a path", f"{scratch}/missing.html"), ("about:blank", "about:blank"),
        ("a 64 KB URL", server.url("/long?" + "x" * 65536)), ("an empty entry", ""),
        ("a server away for a while", away.url("/away.html"))]
    hostile.insert(-1, ("a fragment of the page before", server.url(f"/page-{len(hostile) - 1}.html#part")))
    return (*e2e.interleave(server, hostile), hostile, payload, silent, away)


def soak(scratch, minutes, tick):
    # Browses the mixture at /t=1, No Cache on, with the visit log, then stops the run from the menu;
    # `tick` sees the run every half second. Returns what went wrong (nothing when all is well) and
    # the run.
    run = types.SimpleNamespace(server=e2e.Server(), intruders=set())
    run.entries, run.ordinary, hostile, payload, silent, run.away = mixture(run.server, scratch)
    run.names, run.log, run.trace = [h[0] for h in hostile], f"{scratch}/visits.jsonl", f"{scratch}/trace.log"
    server = run.server
    run.program = e2e.Program([f"/f={e2e.write(f'{scratch}/soak.txt', *run.entries)}", "/t=1", f"/l={run.log}"],
                              scratch, KESTROVA_TRACE=run.trace)
    try:
        window, run.started = run.program.main_window(), time.monotonic()
        while time.monotonic() < run.started + minutes * 60 - 10 and run.program.process.poll() is None:
            run.intruders |= {name for i, name in e2e.windows(run.program.pid).items() if i != window}
            tick(run)
            time.sleep(0.5)
        if run.program.process.poll() is not None:
            return ["the program ended; stderr:\n" + run.program.errors()], run
        tree = e2e.descendants(run.program.pid)
        # The window still answers: File > Stop by its access keys ends the run.
        stopped = time.monotonic()
        problems = [] if e2e.stop_ends_run(run.program, window, server) else ["requests went on after the stop"]
        waiting = [c for p in tree for c in e2e.ask(p.connections, []) if c.raddr == silent.getsockname()]
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
    url, visits = dict(zip(run.names, run.entries[1::2])), [json.loads(line) for line in e2e.read(run.log).splitlines()]
    run.outcomes = {n: [v.get("status", v.get("error")) for v in visits if v["url"] == url[n]] for n in run.names}
    problems += [f"{name}: {o}" for name, good in (("a server that never answers", ("cancelled", "timeout")),
                 ("a refused port", ("refused",))) for o in run.outcomes[name] if o not in good]
    problems += [] if len(waiting) <= 1 and len(tree) <= 8 else [f"{len(waiting)} connections, {len(tree)} processes"]
    problems += [f"a window besides the main one: {name}" for name in run.intruders]
    run.counts = [[r.path for r in run.seen].count(p) for p in ordinary]
    return problems + e2e.hostile_problems(server, scratch, hostile, ordinary, payload), run


def memory(pid):
    # PSS and its anonymous part in MB, over the program and every process below it, and the
    # anonymous part for each kind of process (the file-backed rest of PSS moves with whatever else
    # maps the same libraries on the machine).
    kinds = {pid: "program"}
    for child, command in e2e.descendants(pid).items():
        kinds[child.pid] = "web" if "WebKitWebProcess" in command else "network" if "WebKitNetworkProcess" in command else ""
    found = dict.fromkeys(("pss", "anonymous", "program", "web", "network"), 0.0)
    for process, kind in kinds.items():
        try:
            rollup = e2e.read(f"/proc/{process}/smaps_rollup")
        except OSError:
            continue  # ended meanwhile
        kb = {key: float(value) for key, value in re.findall(r"^(\w+):\s+(\d+) kB", rollup, re.M)}
        found["pss"] += kb.get("Pss", 0) / 1024
        found["anonymous"] += kb.get("Anonymous", 0) / 1024
        if kind:
            found[kind] += kb.get("Anonymous", 0) / 1024
    return found


def slope_per_hour(points):
    # Of the least-squares line through (minute, MB).
    n = len(points)
    sx, sy = sum(x for x, _ in points), sum(y for _, y in points)
    sxx, sxy = sum(x * x for x, _ in points), sum(x * y for x, y in points)
    return 0.0 if n < 2 or n * sxx == sx * sx else 60 * (n * sxy - sx * sy) / (n * sxx - sx * sx)


def main(program, results):
    e2e.PROGRAM = program
    minutes = float(os.environ.get("SOAK_MINUTES", "60"))
    samples, killed, returned = [], {}, []  # samples: (minute, memory)

    def tick(run):
        elapsed = time.monotonic() - run.started
        if elapsed >= 60 * (len(samples) + 1):
            samples.append((elapsed / 60, memory(run.program.pid)))
            m = samples[-1][1]
            print(f"soak: {elapsed / 60:.1f} min, PSS {m['pss']:.1f} MB, anonymous {m['anonymous']:.1f} MB",
                  file=sys.stderr)
        # The web process killed once, 50 s in, just after an ordinary page ran its script.
        if not killed and elapsed > 50 and [r.target for r in run.server.seen("/ran")[-1:]] == ["/ran?page=3"]:
            killed.update({p: c for p, c in e2e.descendants(run.program.pid).items()
                           if "WebKitWebProcess" in c and "bwrap" not in c})
            e2e.kill(killed)
        # One server away from 30 % of the run to 60 %.
        if run.away and not returned and elapsed > minutes * 18:
            run.port = run.away.server_port
            run.away.shutdown(), run.away.server_close()
            run.away = None
        elif not run.away and elapsed > minutes * 36:
            run.away = e2e.Server(run.port)
            returned.append(time.monotonic())

    scratch = tempfile.mkdtemp(prefix="kestrova-soak-")
    try:
        problems, run = soak(scratch, minutes, tick)
        # The server away was refused while away and visited again after its return.
        away = "".join("u" if o == 200 else "d" if o == "refused" else "?"
                       for o in getattr(run, "outcomes", {}).get("a server away for a while", []))
        problems += [] if re.fullmatch("u+d+u+", away) else [f"the server away: {away}"]
        problems += [] if returned and run.away and run.away.seen() else ["the server's return was never visited"]
        problems += [] if killed else ["the web process was never killed"]
        requests = [int(line.split()[0]) / 1000 for line in e2e.read(run.trace).splitlines() if " navigate " in line]
        late_ms = round(1000 * max((b - a - 1 for a, b in zip(requests, requests[1:])), default=0))
    finally:
        shutil.rmtree(scratch, True)
    if not samples or not getattr(run, "seen", None):
        print("soak: " + "\n".join(problems or ["no memory sample was taken"]), file=sys.stderr)
        return 1
    first, last = samples[0][1], samples[-1][1]
    counts, run_minutes = run.counts, (run.seen[-1].at - run.started) / 60
    peak = max(m["pss"] for _, m in samples)
    growth = last["anonymous"] - first["anonymous"]
    slope = slope_per_hour([(at, m["anonymous"]) for at, m in samples])
    if peak > MEMORY_LIMIT_MB:
        problems.append(f"PSS reached {peak:.1f} MB")
    if growth >= ANONYMOUS_GROWTH_LIMIT_MB:
        problems.append(f"anonymous memory grew by {growth:.1f} MB")
    load = " ".join(f"{x:.1f}" for x in os.getloadavg())
    out = [f"\n## Soak\n\nRun of {time.strftime('%Y-%m-%d %H:%M UTC', time.gmtime())}: `make soak SOAK_MINUTES={minutes:g}`, "
           f"{run_minutes:.1f} minutes of browsing at /t=1, No Cache and Loop on, over {len(run.entries)} entries: "
           f"{len(counts)} ordinary pages, each followed by a hostile entry ({', '.join(run.names)}). "
           f"Program measured: {program}. Load average at the end {load}.\n",
           "| measure | value |\n|---|---|",
           f"| passes completed | {sum(counts) // len(counts)} |",
           f"| requests per ordinary page | {min(counts)} to {max(counts)} "
           + ("(list order, none missing) |" if run.missing is None else "(some missing) |"),
           f"| ordinary pages that ran their script | {len(run.server.seen('/ran'))} of {sum(counts)} fetched |",
           f"| worst delay from a navigation's due time to its request | {late_ms} ms |",
           f"| memory (PSS, program + web engine processes) after the first minute | {first['pss']:.1f} MB |",
           f"| memory at the end | {last['pss']:.1f} MB |",
           f"| memory, highest of the minute samples | {peak:.1f} MB (limit {MEMORY_LIMIT_MB} MB) |",
           f"| anonymous memory after the first minute, at the end | {first['anonymous']:.1f} MB, {last['anonymous']:.1f} MB "
           f"(growth {growth:.1f} MB, limit {ANONYMOUS_GROWTH_LIMIT_MB} MB) |",
           f"| anonymous memory, slope of the minute samples | {slope:.1f} MB per hour, {24 * slope:.1f} MB in 24 hours |",
           f"| result | {'FAILED' if problems else 'passed'} |\n"]
    out += [f"- {problem}" for problem in problems] + ([""] if problems else [])
    out += [f"Memory every minute from minute {samples[0][0]:.0f}, in MB:\n"]
    out += [f"- {name}: " + ", ".join(f"{m[key]:.1f}" for _, m in samples) for key, name in (
        ("pss", "PSS"), ("anonymous", "anonymous, in all"), ("program", "anonymous, the program"),
        ("web", "anonymous, its web processes"), ("network", "anonymous, its network process"))]
    text = "\n".join(out) + "\n"
    print(text)
    with open(results, "a") as f:
        f.write(text)
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: soak.py PROGRAM RESULTS_FILE")
    sys.exit(main(sys.argv[1], sys.argv[2]))
