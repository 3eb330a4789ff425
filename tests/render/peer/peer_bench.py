#!/usr/bin/env python3
"""Frame cost of the game against a peer shooter, in one Xvfb server, on the software renderer.

Runs the real game (in a window, fire held, the ship sweeping) in chosen levels and Debian's
chromium-bsu (installed with `apt-get install chromium-bsu xdotool`; only the packaged program is
run) in turns on the same X server, so both see the same machine load, and prints per run and as
medians: frames per second, 99th-percentile frame time, CPU per frame of the whole process
(driver threads included), resident memory, and the time from exec to the first presented frame.
Ratios ours/peer are taken within each round and then the median of those.

Frames are counted by a preloaded shim (swapshim.c) that stamps every buffer swap; it also turns
the peer's own SDL_Delay into a no-op so the peer runs uncapped. `--pixels` adds one extra run
each with Mesa's pipeline statistics (pixels shaded per frame).

    tests/render/peer/peer_bench.py --game build-tests/velmora2 --rounds 3 --seconds 40

`--before OTHER` also runs another build of the game (for example the previous commit's) in the
same turns, so a change is measured against its predecessor under the same load.

`--floor 0,1,2` also runs floor.c in the same turns: a window cleared and covered that many times
by one full-window picture, then swapped. What it costs no frame of any program on this server can
cost less; it shows how much of a goal is left for the game's own drawing.

Compare only figures of the same run: the machine is shared and its load moves every figure.
"""
import argparse
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PEER = "/usr/games/chromium-bsu"
PEER_CONFIG = """use_playList 0
debug 0
full_screen 0
true_color 1
swap_stereo 0
auto_speed 0
show_fps 0
screenWidth 1024
screenHeight 768
gfxLevel 2
gameSkillBase 0.5
movementSpeed 0.03
maxLevel 1
volSound 0.9
volMusic 0.5
viewGamma 1.1
audioType 0
textType 0
"""


def build_floor(work):
    out = os.path.join(work, "floor")
    flags = subprocess.run(["pkg-config", "--cflags", "--libs", "sdl2", "epoxy"], check=True, capture_output=True,
                           text=True).stdout.split()
    subprocess.run(["gcc", "-O2", "-o", out, os.path.join(HERE, "floor.c")] + flags, check=True)
    return out


def build_shim(work):
    out = os.path.join(work, "swapshim.so")
    subprocess.run(["gcc", "-O2", "-shared", "-fPIC", "-o", out, os.path.join(HERE, "swapshim.c"), "-ldl"],
                   check=True)
    return out


def input_script(path, seconds):
    """Fire held from the start, the ship swept left and right across the field."""
    lines = ["# fire held, sweeping", "300 down left"]
    t, step, direction = 400, 0, 1
    while t < seconds * 1000:
        lines.append(f"{t} rel {40 * direction} 0")
        step += 1
        if step % 25 == 0:
            direction = -direction
        t += 60
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime + stime (fields 14 and 15)


def memory_kib(pid):
    rss = hwm = 0
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                rss = int(line.split()[1])
            elif line.startswith("VmHWM:"):
                hwm = int(line.split()[1])
    return rss, hwm


def drive_peer(display, seconds, stop_at):
    """Enter starts a game; then fire is held and the mouse sweeps."""
    env = dict(os.environ, DISPLAY=display)
    xdo = lambda *a: subprocess.run(["xdotool", *a], env=env, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
    time.sleep(1.5)
    xdo("mousemove", "512", "600")
    xdo("key", "Return")
    time.sleep(0.5)
    xdo("mousedown", "1")
    x, direction = 512, 1
    while time.monotonic() < stop_at:
        x += 60 * direction
        if x > 900 or x < 120:
            direction = -direction
        xdo("mousemove", str(x), "600")
        time.sleep(0.1)


def run_one(kind, args, work, shim, display, level=None, pixels_dir=None, game=None):
    """One run; returns its figures (NaN where too few frames fell into the window)."""
    game = game or args.game
    stamps = os.path.join(work, f"stamps-{kind}-{level or 0}-{'before' if game != args.game else 'now'}.txt")
    env = dict(os.environ, DISPLAY=display, LD_PRELOAD=shim, SHIM_OUT=stamps)
    env.pop("WAYLAND_DISPLAY", None)
    env["LIBGL_ALWAYS_SOFTWARE"] = "1"
    env["GALLIUM_DRIVER"] = "llvmpipe"
    if pixels_dir:
        os.makedirs(pixels_dir, exist_ok=True)
        env.update(GALLIUM_HUD="ps-invocations", GALLIUM_HUD_DUMP_DIR=pixels_dir, GALLIUM_HUD_VISIBLE="false",
                   GALLIUM_HUD_PERIOD="1")
    if kind == "ours":
        home = os.path.join(work, "home-ours")
        os.makedirs(home, exist_ok=True)
        env.update(XDG_DATA_HOME=home, SDL_AUDIODRIVER="dummy")
        script = os.path.join(work, "sweep.txt")
        input_script(script, args.seconds + 5)
        cmd = ["nice", "-n", str(args.nice), os.path.abspath(game), "--windowed", "--no-vsync"]
        if args.replays:
            # The same recorded play frame by frame (its own clock): every build draws the same frames.
            cmd += ["--replay", os.path.join(args.replays, f"rec-{level}.txt")]
        else:
            cmd += ["--level", str(level), "--seed", "7", "--input", script]
    elif kind == "floor":
        # The least a frame can cost: `level` full-window picture passes (floor.c), run until stopped.
        home = work
        cmd = ["nice", "-n", str(args.nice), os.path.join(work, "floor"), str(level), "100000000"]
    else:
        home = os.path.join(work, "home-peer")
        os.makedirs(home, exist_ok=True)
        with open(os.path.join(home, ".chromium-bsu"), "w") as f:
            f.write(PEER_CONFIG)
        env.update(HOME=home, ALSOFT_DRIVERS="null", SHIM_NODELAY="1")
        cmd = ["nice", "-n", str(args.nice), PEER]
    t0 = time.monotonic_ns()
    proc = subprocess.Popen(cmd, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, cwd=os.path.dirname(os.path.abspath(game))
                            if kind == "ours" else home)
    start = time.monotonic()
    # The window to measure starts once the run is into play (a number of frames and seconds in, so
    # a slow machine still measures play, not the loading screen) and lasts `measure` frames or
    # until the time limit.
    skip = args.skip_frames if kind == "ours" else args.peer_skip_frames if kind == "peer" else 60
    samples = []  # (monotonic ns, cpu ticks, rss KiB)
    try:
        if kind == "peer":
            import threading
            threading.Thread(target=drive_peer, args=(display, args.seconds, start + args.seconds),
                             daemon=True).start()
        while time.monotonic() - start < args.seconds:
            if proc.poll() is not None:
                raise RuntimeError(f"{kind} ended early (exit {proc.returncode})")
            samples.append((time.monotonic_ns(), cpu_ticks(proc.pid), memory_kib(proc.pid)[0]))
            # Done once the measuring window holds its frames: past the skipped frames and seconds.
            try:
                with open(stamps) as f:
                    stamped = [int(x) for x in f.read().split()]
            except (OSError, ValueError):
                stamped = []
            inside_now = sum(1 for i, x in enumerate(stamped) if i >= skip and x >= t0 + int(args.skip * 1e9))
            if inside_now >= args.measure_frames + 2:
                break
            time.sleep(0.25)
        samples.append((time.monotonic_ns(), cpu_ticks(proc.pid), memory_kib(proc.pid)[0]))
        hwm = memory_kib(proc.pid)[1]
    finally:
        proc.send_signal(signal.SIGTERM)
        try:
            proc.wait(5)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
    with open(stamps) as f:
        t = [int(x) for x in f.read().split()]
    skip_time = t0 + int(args.skip * 1e9)
    first = next((i for i, x in enumerate(t) if i >= skip and x >= skip_time), len(t))
    inside = t[first:first + args.measure_frames + 1]
    inside = [x for x in inside if x <= samples[-1][0]]

    def cpu_at(ns):
        for (ta, ca, _), (tb, cb, _) in zip(samples, samples[1:]):
            if ta <= ns <= tb:
                return ca + (cb - ca) * (ns - ta) / max(tb - ta, 1)
        return samples[-1][1] if ns > samples[-1][0] else samples[0][1]

    result = {"swaps": len(t), "frames": max(len(inside) - 1, 0), "hwm_mib": hwm / 1024.0}
    result["first_ms"] = (t[min(args.probe_swaps if game != args.game and kind == "ours" else 0, len(t) - 1)] - t0) / 1e6 \
        if t else float("nan")
    if len(inside) < 11:
        result.update(fps=float("nan"), p99_ms=float("nan"), cpu_ms=float("nan"),
                      rss_mib=samples[-1][2] / 1024.0)
        return result
    frames = len(inside) - 1
    gaps = sorted((b - a) / 1e6 for a, b in zip(inside, inside[1:]))
    hz = os.sysconf("SC_CLK_TCK")
    result["fps"] = frames / ((inside[-1] - inside[0]) / 1e9)
    result["p99_ms"] = gaps[min(len(gaps) - 1, int(0.99 * len(gaps)))]
    result["cpu_ms"] = (cpu_at(inside[-1]) - cpu_at(inside[0])) * 1000.0 / hz / frames
    result["rss_mib"] = max(r for ts, _, r in samples if inside[0] <= ts <= inside[-1] + 500_000_000) / 1024.0 \
        if any(inside[0] <= ts <= inside[-1] + 500_000_000 for ts, _, _ in samples) else samples[-1][2] / 1024.0
    return result


def pixels_per_frame(directory):
    """Median of the ps-invocations samples Mesa wrote (per second) divided by frames per second."""
    # Mesa names the file after the query, with a dash or (newer releases) an underscore.
    path = next((os.path.join(directory, n) for n in ("ps-invocations", "ps_invocations")
                 if os.path.exists(os.path.join(directory, n))), None)
    if path is None:
        return None
    values = []
    with open(path) as f:
        for line in f:
            parts = line.split()
            if len(parts) >= 2:
                values.append(float(parts[-1]))
    return statistics.median(values[len(values) // 2:]) if values else None


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--game", default="build-tests/velmora2")
    p.add_argument("--before", help="another build of the game, run in the same turns")
    p.add_argument("--levels", default="1,3")
    p.add_argument("--rounds", type=int, default=3)
    p.add_argument("--seconds", type=float, default=90.0, help="longest run")
    p.add_argument("--skip", type=float, default=10.0, help="seconds left out at the start of each run")
    p.add_argument("--skip-frames", type=int, default=220, help="frames of ours left out (loading, fly-in)")
    p.add_argument("--peer-skip-frames", type=int, default=60, help="frames of the peer left out")
    p.add_argument("--measure-frames", type=int, default=200, help="frames measured per run")
    p.add_argument("--probe-swaps", type=int, default=2,
                   help="start-up swaps of the --before build that show no picture yet (its probe)")
    p.add_argument("--display", default=":77")
    p.add_argument("--no-peer", action="store_true")
    p.add_argument("--nice", type=int, default=0,
                   help="niceness of both programs (10 starves them on a machine busy with builds)")
    p.add_argument("--replays", help="folder of rec-LEVEL.txt replays (screens.sh makes them) to play instead of "
                                     "the live sweep: the same frames for every build, whatever the load")
    p.add_argument("--pixels", action="store_true", help="one more run each counting pixels shaded")
    p.add_argument("--floor", default="", help="comma-separated pass counts: runs of floor.c in the same turns, a "
                                               "window covered that many times by one picture (what any frame costs)")
    args = p.parse_args()
    if not args.no_peer and (not os.path.exists(PEER) or not shutil.which("xdotool")):
        sys.exit("peer_bench: needs chromium-bsu and xdotool (apt-get install chromium-bsu xdotool)")
    levels = [int(x) for x in args.levels.split(",") if x]
    work = tempfile.mkdtemp(prefix="peer-bench-")
    shim = build_shim(work)
    floors = [int(x) for x in args.floor.split(",") if x]
    if floors:
        build_floor(work)
    xvfb = subprocess.Popen(["Xvfb", args.display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(1.5)
    rows = []  # (round, name, result)
    try:
        for r in range(args.rounds):
            order = [("ours", lv, None) for lv in levels] + ([] if args.no_peer else [("peer", None, None)])
            if args.before:
                order += [("ours", lv, args.before) for lv in levels]
            order += [("floor", n, None) for n in floors]
            if r % 2:
                order.reverse()
            for kind, lv, game in order:
                name = ("before " if game else "") + (f"level {lv}" if kind == "ours" else
                                                      f"floor {lv} passes" if kind == "floor" else "chromium-bsu")
                res = run_one(kind, args, work, shim, args.display, lv, game=game)
                res["load"] = os.getloadavg()[0]
                rows.append((r, name, res))
                print(f"round {r + 1} {name:18s} frames {res['frames']:4d} fps {res['fps']:6.1f}  p99 {res['p99_ms']:7.1f} ms  "
                      f"cpu/frame {res['cpu_ms']:6.1f} ms  rss {res['rss_mib']:6.1f} MiB (peak {res['hwm_mib']:.1f})  "
                      f"first frame {res['first_ms']:6.0f} ms  load {res['load']:.1f}", flush=True)
        if args.pixels:
            for kind, lv in [("ours", lv) for lv in levels] + ([] if args.no_peer else [("peer", None)]):
                d = os.path.join(work, f"hud-{kind}-{lv}")
                res = run_one(kind, args, work, shim, args.display, lv, pixels_dir=d)
                px = pixels_per_frame(d)
                name = f"level {lv}" if kind == "ours" else "chromium-bsu"
                if px is not None and res["fps"] > 0:
                    print(f"pixels {name:13s} {px / res['fps'] / 1e6:.2f} M per frame "
                          f"({px / res['fps'] / (1024 * 768):.2f} x the window)")
    finally:
        xvfb.terminate()
        xvfb.wait()

    names = [f"level {lv}" for lv in levels] + ([f"before level {lv}" for lv in levels] if args.before else []) + \
        [f"floor {n} passes" for n in floors]
    print("\nmedians (ours/peer ratios within each round, then their median)")
    keys = [("fps", "frames per second"), ("p99_ms", "p99 frame time ms"), ("cpu_ms", "CPU per frame ms"),
            ("rss_mib", "resident MiB"), ("first_ms", "exec to first frame ms")]
    for key, label in keys:
        line = f"{label:24s}"
        for n in names + ([] if args.no_peer else ["chromium-bsu"]):
            vals = [res[key] for _, nm, res in rows if nm == n and res[key] == res[key]]
            line += f" {n}: {statistics.median(vals) if vals else float('nan'):8.1f}"
        if not args.no_peer:
            for n in names:
                ratios = []
                for r in range(args.rounds):
                    ours = [res[key] for rr, nm, res in rows if rr == r and nm == n]
                    peer = [res[key] for rr, nm, res in rows if rr == r and nm == "chromium-bsu"]
                    if ours and peer and peer[0] and ours[0] == ours[0] and peer[0] == peer[0]:
                        ratios.append(ours[0] / peer[0])
                if ratios:
                    line += f"  {n}/peer {statistics.median(ratios):5.2f}"
        print(line)
    shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
