#!/usr/bin/python3
# A long run of the real program over the end-to-end soak's mixture (ordinary pages, each followed
# by a hostile entry) at one second a page, No Cache and Loop on, with the soak's own checks; its
# web process is killed once and one server goes away for a while. Every minute it writes down the memory of the program, its web processes and its network process, and
# appends what it measured to a results file.
#
#   soak.py PROGRAM RESULTS_FILE     (under scripts/run-under-x; SOAK_MINUTES sets the length, 60 unless set)
import os, re, shutil, sys, tempfile, time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import e2e_test  # noqa: E402

MEMORY_LIMIT_MB = 300
ANONYMOUS_GROWTH_LIMIT_MB = 5


def memory(pid):
    # PSS and its anonymous part in MB, over the program and every process below it, and the
    # anonymous part for each kind of process (the file-backed rest of PSS moves with whatever else
    # maps the same libraries on the machine).
    kinds = {pid: "program"}
    for child, command in e2e_test.descendants(pid).items():
        kinds[child.pid] = "web" if "WebKitWebProcess" in command else "network" if "WebKitNetworkProcess" in command else ""
    found = dict.fromkeys(("pss", "anonymous", "program", "web", "network"), 0.0)
    for process, kind in kinds.items():
        try:
            rollup = e2e_test.read(f"/proc/{process}/smaps_rollup")
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
    e2e_test.PROGRAM = program
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
            killed.update({p: c for p, c in e2e_test.descendants(run.program.pid).items()
                           if "WebKitWebProcess" in c and "bwrap" not in c})
            e2e_test.kill(killed)
        # One server away from 30 % of the run to 60 %.
        if run.away and not returned and elapsed > minutes * 18:
            run.port = run.away.server_port
            run.away.shutdown(), run.away.server_close()
            run.away = None
        elif not run.away and elapsed > minutes * 36:
            run.away = e2e_test.Server(run.port)
            returned.append(time.monotonic())

    scratch = tempfile.mkdtemp(prefix="kestrova-soak-")
    try:
        problems, run = e2e_test.soak(scratch, minutes, tick)
        # The server away was refused while away and visited again after its return.
        away = "".join("u" if o == 200 else "d" if o == "refused" else "?"
                       for o in getattr(run, "outcomes", {}).get("a server away for a while", []))
        problems += [] if re.fullmatch("u+d+u+", away) else [f"the server away: {away}"]
        problems += [] if returned and run.away and run.away.seen() else ["the server's return was never visited"]
        problems += [] if killed else ["the web process was never killed"]
        requests = [int(line.split()[0]) / 1000 for line in e2e_test.read(run.trace).splitlines() if " navigate " in line]
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
