#!/usr/bin/env python3
"""Plays every level of the campaign with the pilot, for several seeds, and prints a table.

Each run is `velmora2 --headless --autopilot --level N --seed S --until statistics,topranks,mainmenu`
with a snapshot of the game at its end: a run that ends on the statistics screen cleared its level.
Per level the table gives how many seeds cleared it, the mean time in the level (its clock, which
runs at half the speed of real play), the lives lost, the share of enemies destroyed, the accuracy
and the score.

    python3 tools/campaign/pilot_table.py --game build/velmora2 --seeds 1-8 [--levels 1-15] [--jobs 2]

With --campaign each seed plays the whole campaign instead, from a new game at level 1 to the end
(or the game over), each level reached with what the previous ones left and the shops bought; the
pilot prints a line for each level it ends, and the table is made from those lines.

Not run by the tests (a whole campaign for many seeds takes minutes); the test suite plays each
level once with the pilot (tests/integration/PilotTest.cpp).
"""
import argparse
import concurrent.futures
import json
import os
import subprocess
import sys
import tempfile


def span(text):
    out = []
    for part in text.split(","):
        if "-" in part:
            a, b = part.split("-")
            out.extend(range(int(a), int(b) + 1))
        else:
            out.append(int(part))
    return out


def run(game, level, seed, frames):
    with tempfile.TemporaryDirectory() as tmp:
        dump = os.path.join(tmp, "state.json")
        env = dict(os.environ, XDG_DATA_HOME=tmp)  # the pilot's profile and scores stay out of yours
        cmd = [game, "--headless", "--autopilot", "--level", str(level), "--seed", str(seed),
               "--frames", str(frames), "--until", "statistics,topranks,mainmenu", "--dump-state", dump]
        subprocess.run(cmd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        try:
            with open(dump) as f:
                state = json.load(f)
        except (OSError, ValueError):
            return None
    stats = state.get("Statistics", {})
    return {
        "cleared": state["GameState"] == "statistics",
        "time": state["Level"]["LevelTime"],
        "lost": 3 - state["Player"]["Lifes"] if state["GameState"] == "statistics" else 3,
        "appeared": stats.get("EnemiesAppeared", 0),
        "destroyed": stats.get("EnemiesDestroyed", 0),
        "fired": stats.get("ShotsFired", 0),
        "hit": stats.get("ShotsHit", 0),
        "score": state["Player"]["Scores"],
    }


def run_campaign(game, seed, frames):
    """The levels one seed's campaign ended, in turn: a dict per level from the pilot's lines."""
    with tempfile.TemporaryDirectory() as tmp:
        env = dict(os.environ, XDG_DATA_HOME=tmp)
        cmd = [game, "--headless", "--autopilot", "--level", "1", "--seed", str(seed),
               "--frames", str(frames), "--until", "topranks,mainmenu"]
        out = subprocess.run(cmd, env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                             check=False, text=True).stdout
    levels = {}
    for line in out.splitlines():
        if not line.startswith("pilot: "):
            continue
        f = dict(kv.split("=", 1) for kv in line[len("pilot: "):].split())
        before, after = (int(x) for x in f["lives"].split("->"))
        levels[int(f["level"])] = {
            "cleared": f["cleared"] == "1",
            "time": float(f["time"]),
            "lost": before - after if f["cleared"] == "1" else before,
            "appeared": int(f["appeared"]),
            "destroyed": int(f["destroyed"]),
            "fired": int(f["shots"]),
            "hit": int(f["hits"]),
            "score": int(f["score"]),
        }
    return levels


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--game", default="build/velmora2")
    ap.add_argument("--levels", default="1-15")
    ap.add_argument("--seeds", default="1-8")
    ap.add_argument("--frames", type=int, default=40000, help="give up after this many 16 ms frames")
    ap.add_argument("--jobs", type=int, default=2)
    ap.add_argument("--campaign", action="store_true", help="whole campaigns from level 1, one per seed")
    args = ap.parse_args()
    levels, seeds = span(args.levels), span(args.seeds)
    with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
        if args.campaign:
            frames = args.frames * 15
            runs = {s: pool.submit(run_campaign, args.game, s, frames) for s in seeds}
            by_seed = {s: f.result() for s, f in runs.items()}
            # A level the campaign never reached (an earlier game over) counts as not cleared.
            results = {(l, s): by_seed[s].get(l, {"cleared": False, "time": 0.0, "lost": 0, "appeared": 0,
                                                  "destroyed": 0, "fired": 0, "hit": 0, "score": 0})
                       for l in levels for s in seeds}
        else:
            futures = {(l, s): pool.submit(run, args.game, l, s, args.frames) for l in levels for s in seeds}
            results = {k: f.result() for k, f in futures.items()}
    print("| Level | Cleared | Level time (s) | Lives lost | Enemies destroyed | Accuracy | Score |")
    print("|---|---|---|---|---|---|---|")
    for l in levels:
        rs = [results[(l, s)] for s in seeds if results[(l, s)]]
        if not rs:
            print(f"| {l} | no snapshot | | | | | |")
            continue
        n = len(rs)
        cleared = sum(r["cleared"] for r in rs)
        ok = [r for r in rs if r["cleared"]] or rs
        mean = lambda key: sum(r[key] for r in ok) / len(ok)
        destroyed = sum(r["destroyed"] for r in ok) / max(1, sum(r["appeared"] for r in ok))
        accuracy = sum(r["hit"] for r in ok) / max(1, sum(r["fired"] for r in ok))
        print(f"| {l} | {cleared}/{n} | {mean('time'):.0f} | {sum(r['lost'] for r in rs) / n:.2f} | "
              f"{100 * destroyed:.0f} % | {100 * accuracy:.0f} % | {mean('score'):.0f} |")
    return 0


if __name__ == "__main__":
    sys.exit(main())
