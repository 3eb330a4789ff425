#!/usr/bin/env python3
"""Writes the level files 4 and up into content/Data/t_data/levels/.

Each level is a list of waves on the level clock (the "AAT" seconds, which run at half the
speed of real time). The MAIN block of a level is copied from one of the first three levels'
files and the level's own keys are set: its scenery from its group's look (scenery_values), its
music from the tune of its group of levels (MUSIC_OF_GROUP), so a level here
only says what it adds: difficulty, upgrade points, bonus drops, a time ship, bonuses
switched off, and its waves. Levels 1 to 3 are written by hand and are not touched.

Run from the repository root: python3 tools/campaign/levels.py
"""
import os
import re

LEVELS = os.path.join("content", "Data", "t_data", "levels")

# Enemy kinds (sections of Enemies.ini).
WASP, DART, ORB, HORNET, MEDIC, SAUCER, TURRET, LEADER, ESCORT, MANTA, SCARAB, DRONE, CARRIER, \
    CRUISER, DREADNOUGHT, HIVE, MITE, LANCER, BASTION, WARDEN, OUTRIDER, SPORE, WRAITH, STINGER = range(24)

# First node of every flight path, where a placement that flies it is put.
NAV_STARTS = {}


def read_nav_starts():
    nav = os.path.join("content", "Data", "t_data", "nav")
    p = 0
    while os.path.exists(os.path.join(nav, f"{p}.ini")):
        text = open(os.path.join(nav, f"{p}.ini")).read()
        m = re.search(r"\[0\]\s*s1=\S+\s*p1x=(\S+)\s*p1y=\S+\s*p1z=(\S+)", text)
        NAV_STARTS[p] = (float(m.group(1).replace(",", ".")), float(m.group(2).replace(",", ".")))
        p += 1


def num(v):
    text = f"{v:.3f}".rstrip("0").rstrip(".")
    if text in ("-0", ""):
        text = "0"
    return text.replace(".", ",")


class Level:
    def __init__(self):
        self.placements = []  # (kind, path, x, z, sx, sz, t)

    def put(self, kind, path, x, z, t, sx=0.0, sz=0.0):
        self.placements.append((kind, path, x, z, sx, sz, round(t, 2)))

    # A line of ships on one flight path, `gap` level seconds apart.
    def stream(self, kind, path, t, count, gap=0.35):
        x, z = NAV_STARTS[path]
        for i in range(count):
            self.put(kind, path, x, z, t + i * gap)
        return t + (count - 1) * gap

    # Ships diving in from above the field to their stations, where they hover.
    def dive(self, kind, t, stations, gap=0.3, start_x=0.7):
        for i, (x, z) in enumerate(stations):
            self.put(kind, -6, x, z, t + i * gap, start_x, z * 1.4 if abs(z * 1.4) < 0.55 else z)
        return t + (len(stations) - 1) * gap

    # Turrets patrolling the upper edge from side to side.
    def patrol(self, kind, t, zs, x=0.42):
        for z in zs:
            self.put(kind, -1, x, z, t)
        return t

    # Healers and wanderers roam between random points.
    def roam(self, kind, t, z, x=0.45):
        self.put(kind, -3, x, z, t)
        return t

    # A formation: the leader dives in, the escorts keep station around it and shield it.
    # Escorts follow the one leader position of the level, so a level has one formation.
    def formation(self, leader, escort, t, x=0.32, z=0.0, offsets=None):
        self.put(leader, -6, x, z, t, 0.7, z)
        offsets = offsets or [(0.0, 0.13), (0.0, -0.13), (-0.08, 0.07), (-0.08, -0.07)]
        for dx, dz in offsets:
            self.put(escort, -5, dx, dz, t + 0.05)
        return t + 0.05


def main_block(template, values):
    text = open(os.path.join(LEVELS, f"{template}.ini")).read()
    main = text[text.index("[MAIN]"):text.index("\n[0]")].rstrip("\n")
    lines = main.split("\n")
    out = []
    for line in lines:
        key = line.split("=", 1)[0]
        if key in values:
            line = f"{key}={values[key]}"
        out.append(line)
    return "\n".join(out)


# ------------------------------------------------------------------------------- sceneries
# Each level group has its look. Sceneries 1 to 3 are those of the hand-written levels 1 to 3
# (open space over the colony, the ember rubble of the Cinder Belt, the hull of a wreck);
# 4 is the frost canyon and 5 the hive. A scenery sets every scenery key of the MAIN block,
# so it replaces what the template level (which still gives the music) had.
SCENERY_KEYS = ("layer2file", "c1speed", "l1speed", "c1tex", "c2tex", "c3tex", "c4tex", "c5tex", "layerTex",
                "pl", "Planet1_tex", "pl_tex", "pl_radius", "pl_x", "pl_z", "pl_a", "pl_a_r", "pl_a_g", "pl_a_b",
                "Mesh1", "TexPath", "Mesh2", "c1", "c2", "c3", "l1", "Fog", "FS", "FE")

SCENERIES = {
    4: {"layer2file": "Data\\t_data\\layers\\4.ini", "c1speed": "0,025", "l1speed": "0,015",
        "c1tex": "Data\\Textures\\Sky\\Space4.jpg", "c2tex": "Data\\Textures\\Sky\\Clouds1.jpg",
        "c3tex": "Data\\Textures\\Sky\\Clouds3.jpg", "c4tex": "Data\\Textures\\Sky\\Clouds1.jpg",
        "c5tex": "Data\\Textures\\Sky\\Clouds3.jpg", "layerTex": "Data\\Textures\\Sky\\Layer2.jpg",
        "pl": "1", "Planet1_tex": "Data\\Textures\\Planets\\Planet4.jpg", "pl_tex": "Planet1", "pl_radius": "11",
        "pl_x": "-16", "pl_z": "22", "pl_a": "Data\\Textures\\Planets\\Aura1.jpg", "pl_a_r": "0,7",
        "pl_a_g": "0,9", "pl_a_b": "1", "Mesh1": "Data\\Models\\Levels\\Ridge.3ds",
        "TexPath": "Data\\Textures\\Levels", "Mesh2": "Data\\Models\\Levels\\Ridge.3ds",
        "c1": "Clouds1", "c2": "Clouds2", "c3": "Clouds3", "l1": "layerTex", "Fog": "1", "FS": "100", "FE": "450"},
    5: {"layer2file": "Data\\t_data\\layers\\5.ini", "c1speed": "0,02", "l1speed": "0,012",
        "c1tex": "Data\\Textures\\Sky\\Space5.jpg", "c2tex": "Data\\Textures\\Sky\\Clouds3.jpg",
        "c3tex": "Data\\Textures\\Sky\\Clouds2.jpg", "c4tex": "Data\\Textures\\Sky\\Clouds3.jpg",
        "c5tex": "Data\\Textures\\Sky\\Clouds2.jpg", "layerTex": "Data\\Textures\\Sky\\Layer2.jpg",
        "pl": "1", "Planet1_tex": "Data\\Textures\\Planets\\Planet5.jpg", "pl_tex": "Planet1", "pl_radius": "16",
        "pl_x": "-10", "pl_z": "24", "pl_a": "Data\\Textures\\Planets\\Aura2.jpg", "pl_a_r": "0,6",
        "pl_a_g": "1", "pl_a_b": "0,3", "Mesh1": "Data\\Models\\Levels\\Ridge.3ds",
        "TexPath": "Data\\Textures\\Levels\\Hive", "Mesh2": "Data\\Models\\Levels\\Ridge.3ds",
        "c1": "Clouds1", "c2": "Clouds2", "c3": "Clouds3", "l1": "layerTex", "Fog": "1", "FS": "100", "FE": "450"},
}

# Scenery of each generated level, chosen by its name: the rubble of the mining moons and the
# gate, the wrecked yards, the Quorvel works and the armada over a hull, the cold and the deep
# dark in the frost canyon, the thorns and the hive in the hive, the rest in open space.
LEVEL_SCENERY = {4: 2, 5: 3, 6: 2, 7: 1, 8: 4, 9: 5, 10: 1, 11: 4, 12: 3, 13: 3, 14: 5, 15: 1}


def scenery_values(number):
    scenery = LEVEL_SCENERY[number]
    if scenery in SCENERIES:
        return dict(SCENERIES[scenery])
    text = open(os.path.join(LEVELS, f"{scenery}.ini")).read()
    main = text[text.index("[MAIN]"):text.index("\n[0]")]
    values = {}
    for line in main.split("\n"):
        key, _, value = line.partition("=")
        if key in SCENERY_KEYS:
            values[key] = value
    return values


# Keys set by hand in a level file that already exists (the shop after a level, its cut-scene,
# the skins it unlocks): a new run of the script keeps them.
KEPT = ("shop", "cutscene", "skins")


def kept_keys(number):
    path = os.path.join(LEVELS, f"{number}.ini")
    if not os.path.exists(path):
        return {}
    text = open(path).read()
    main = text[text.index("[MAIN]"):text.index("\n[0]")]
    found = {}
    for line in main.split("\n"):
        key, _, value = line.partition("=")
        if key in KEPT:
            found[key] = value
    return found


# The music of each group of levels: the first order of its tune in "sound\\main.mo3" (the table
# of tunes is in docs/music.md). Levels 1 to 3 are written by hand and play "outpost", "nebula"
# and "pursuit".
MUSIC_OF_GROUP = [
    (range(4, 7), 19),    # "core": iron moons, shipyards, the gate - heavy and industrial
    (range(7, 10), 23),   # "frost": hollow star, the cold reach, the thorns - eerie
    (range(10, 13), 28),  # "abyss": the crown, the tide, the deep - dark and driving
    (range(13, 16), 33),  # "armada": the armada, the hive, Velmora Prime - the last battle
]


def music_order(number):
    for levels, order in MUSIC_OF_GROUP:
        if number in levels:
            return order
    raise ValueError(f"level {number} has no tune in MUSIC_OF_GROUP")


def write_level(number, name, comment, template, difficulty, points, bdrop, build, timeship="", deactivate=False,
                final=False):
    level = Level()
    build(level)
    level.placements.sort(key=lambda p: p[6])
    values = {
        "difficulty": num(difficulty), "shop": "0", "finish": "1" if final else "0", "points": str(points),
        "skins": "", "DeActivateBonuses": "1" if deactivate else "0", "TimeShip": timeship, "BDrop": bdrop,
        "cutscene": "", "name": name, "logo": f"Data\\Textures\\Logos\\Level{number}.jpg",
        "music": str(music_order(number))}
    values.update(scenery_values(number))
    values.update(kept_keys(number))
    main = main_block(template, values)
    parts = [f"; Level {number}: {name}, {comment}", main, ""]
    for i, (kind, path, x, z, sx, sz, t) in enumerate(level.placements):
        parts += [f"[{i}]", f"index={kind}", f"splineindex={path}", f"x={num(x)}", f"z={num(z)}", f"sx={num(sx)}",
                  f"sz={num(sz)}", f"AAT={num(t)}", ""]
    parts += ["[SAVE]", "ind=1", f"index={number - 1}", ""]
    with open(os.path.join(LEVELS, f"{number}.ini"), "w") as f:
        f.write("\n".join(parts))


# Bonus drop chances out of 200, kinds 1 to 12: score, health, armour, shield, satellite,
# rockets, rocket wall, rocket fan, double damage, burning shots, freezing shots, slow motion.
def bdrop(*chances):
    assert len(chances) == 12
    return "_".join(f"{c:02d}" for c in chances)


# ------------------------------------------------------------------------------- the levels

def iron_moons(L):
    t = L.stream(WASP, 10, 0.2, 4)
    L.stream(LANCER, 12, 1.2, 3, 0.5)
    L.stream(LANCER, 13, 2.6, 3, 0.5)
    t = L.dive(HORNET, 5, [(0.3, 0.25), (0.34, 0.0), (0.3, -0.25)], 0.4)
    L.patrol(TURRET, 8, [0.3, -0.3])
    t = L.stream(STINGER, 11, 10, 5, 0.45)
    L.stream(DART, 6, 13, 4, 0.3)
    L.stream(DART, 7, 15, 4, 0.3)
    L.dive(ORB, 18, [(0.3, 0.3), (0.34, 0.0), (0.3, -0.3)], 0.4)
    L.stream(WASP, 0, 21, 5)
    L.stream(WASP, 1, 23, 5)
    L.roam(MEDIC, 25, 0.3)
    L.dive(SCARAB, 26, [(0.32, 0.2), (0.32, -0.2)], 0.5)
    L.stream(LANCER, 10, 30, 4, 0.4)
    L.stream(STINGER, 2, 33, 4, 0.45)
    L.stream(STINGER, 3, 35, 4, 0.45)
    L.dive(MANTA, 38, [(0.28, 0.15), (0.28, -0.15)], 0.5)
    L.stream(HORNET, 4, 41, 4, 0.4)
    L.stream(HORNET, 5, 44, 4, 0.4)
    L.dive(CARRIER, 48, [(0.32, 0.0)])
    L.dive(SCARAB, 49, [(0.3, 0.3), (0.3, -0.3)], 0.5)
    L.stream(WASP, 12, 50, 4, 0.4)
    L.stream(WASP, 13, 52, 4, 0.4)


def drift_yards(L):
    L.stream(DART, 14, 0.2, 5, 0.3)
    L.stream(DART, 15, 2, 5, 0.3)
    L.patrol(BASTION, 4, [0.0], x=0.36)
    L.stream(WASP, 21, 5, 4, 0.4)
    L.stream(SPORE, 16, 6, 3, 0.6)
    L.stream(STINGER, 17, 9, 4, 0.4)
    L.stream(STINGER, 18, 11, 4, 0.4)
    L.dive(ORB, 14, [(0.3, 0.3), (0.3, 0.1), (0.3, -0.1), (0.3, -0.3)], 0.3)
    L.dive(SCARAB, 15, [(0.34, 0.2), (0.34, -0.2)], 0.5)
    L.roam(SAUCER, 17, -0.3)
    L.stream(LANCER, 19, 20, 4, 0.4)
    L.stream(LANCER, 20, 22, 4, 0.4)
    L.patrol(TURRET, 25, [0.35, -0.35])
    L.dive(HORNET, 26, [(0.3, 0.2), (0.3, -0.2)], 0.4)
    L.stream(SPORE, 14, 27, 3, 0.6)
    L.stream(WASP, 16, 30, 5, 0.35)
    L.dive(SCARAB, 33, [(0.3, 0.25), (0.34, 0.0), (0.3, -0.25)], 0.5)
    L.roam(MEDIC, 34, 0.2)
    L.stream(HORNET, 17, 38, 4, 0.4)
    L.stream(HORNET, 18, 40, 4, 0.4)
    L.dive(CRUISER, 46, [(0.3, 0.0)])
    L.stream(DART, 19, 49, 4, 0.3)
    L.stream(DART, 20, 51, 4, 0.3)


def ember_gate(L):
    L.stream(STINGER, 21, 0.2, 5, 0.4)
    L.stream(WASP, 22, 2.5, 5, 0.35)
    L.stream(WASP, 23, 4.5, 5, 0.35)
    L.dive(WRAITH, 8, [(0.3, 0.2), (0.3, -0.2)], 0.5)
    L.patrol(TURRET, 10, [0.3, -0.3])
    L.stream(OUTRIDER, 24, 13, 5, 0.4)
    L.stream(LANCER, 25, 16, 4, 0.4)
    L.stream(LANCER, 26, 18, 4, 0.4)
    L.formation(WARDEN, OUTRIDER, 22, offsets=[(0.0, 0.14), (0.0, -0.14), (-0.09, 0.08), (-0.09, -0.08)])
    L.stream(DART, 0, 26, 4, 0.3)
    L.stream(DART, 1, 28, 4, 0.3)
    L.roam(MEDIC, 30, -0.3)
    L.dive(WRAITH, 32, [(0.28, 0.3), (0.32, 0.0), (0.28, -0.3)], 0.5)
    L.stream(STINGER, 27, 36, 4, 0.5)
    L.stream(SPORE, 21, 39, 4, 0.5)
    L.dive(SCARAB, 42, [(0.32, 0.2), (0.32, -0.2)], 0.4)
    L.dive(ESCORT, 46, [(0.3, 0.3), (0.32, 0.1), (0.32, -0.1), (0.3, -0.3)], 0.3)
    L.stream(OUTRIDER, 28, 50, 4, 0.6)


def hollow_star(L):
    # The ship borrowed for this run is quick and well armed: a swarm level.
    L.stream(DART, 29, 0.2, 6, 0.3)
    L.stream(DART, 24, 2.5, 6, 0.3)
    L.stream(LANCER, 2, 5, 5, 0.35)
    L.stream(LANCER, 3, 7, 5, 0.35)
    L.dive(CARRIER, 10, [(0.34, 0.25), (0.34, -0.25)], 1.0)
    L.stream(STINGER, 14, 14, 5, 0.35)
    L.stream(STINGER, 15, 16, 5, 0.35)
    L.stream(MITE, 22, 19, 8, 0.25)
    L.stream(MITE, 23, 21.5, 8, 0.25)
    L.patrol(BASTION, 24, [0.3, -0.3], x=0.36)
    L.stream(WASP, 25, 27, 6, 0.3)
    L.stream(WASP, 26, 29, 6, 0.3)
    L.dive(MANTA, 32, [(0.28, 0.3), (0.3, 0.0), (0.28, -0.3)], 0.4)
    L.roam(SAUCER, 35, 0.0)
    L.stream(OUTRIDER, 19, 38, 5, 0.35)
    L.stream(OUTRIDER, 20, 40, 5, 0.35)
    L.stream(DART, 6, 43, 5, 0.3)
    L.stream(DART, 7, 45, 5, 0.3)
    L.dive(CRUISER, 48, [(0.3, 0.0)])
    L.stream(LANCER, 12, 51, 4, 0.4)
    L.stream(LANCER, 13, 53, 4, 0.4)


def frost_reach(L):
    L.stream(WASP, 12, 0.2, 5, 0.35)
    L.stream(WASP, 13, 1.8, 5, 0.35)
    L.dive(ORB, 4, [(0.3, 0.35), (0.32, 0.12), (0.32, -0.12), (0.3, -0.35)], 0.3)
    L.stream(HORNET, 10, 7, 4, 0.45)
    L.patrol(BASTION, 9, [0.25], x=0.36)
    L.patrol(TURRET, 9, [-0.25])
    L.stream(STINGER, 16, 12, 4, 0.5)
    L.stream(LANCER, 28, 15, 5, 0.5)
    L.roam(MEDIC, 17, 0.3)
    L.dive(WRAITH, 19, [(0.3, 0.25), (0.3, -0.25)], 0.5)
    L.stream(SPORE, 8, 22, 3, 0.8)
    L.stream(DART, 17, 25, 5, 0.3)
    L.stream(DART, 18, 27, 5, 0.3)
    L.dive(SCARAB, 30, [(0.32, 0.3), (0.34, 0.0), (0.32, -0.3)], 0.4)
    L.roam(SAUCER, 33, -0.3)
    L.stream(OUTRIDER, 27, 36, 4, 0.5)
    L.stream(HORNET, 11, 39, 4, 0.45)
    L.dive(MANTA, 42, [(0.28, 0.2), (0.28, -0.2)], 0.4)
    L.formation(WARDEN, ESCORT, 46)
    L.stream(STINGER, 29, 50, 4, 0.5)


def veil_of_thorns(L):
    L.stream(SPORE, 2, 0.2, 3, 0.6)
    L.stream(SPORE, 3, 1.5, 3, 0.6)
    L.stream(MITE, 10, 3, 8, 0.25)
    L.patrol(TURRET, 4, [0.3, -0.3])
    L.roam(SAUCER, 6, 0.3)
    L.roam(SAUCER, 7, -0.3)
    L.stream(LANCER, 14, 10, 5, 0.35)
    L.stream(LANCER, 15, 12, 5, 0.35)
    L.roam(MEDIC, 14, 0.0)
    L.dive(WRAITH, 16, [(0.3, 0.3), (0.32, 0.0), (0.3, -0.3)], 0.4)
    L.stream(MITE, 21, 20, 8, 0.25)
    L.stream(WASP, 11, 21, 5, 0.4)
    L.stream(STINGER, 24, 23, 5, 0.4)
    L.stream(HORNET, 27, 25, 4, 0.45)
    L.patrol(BASTION, 26, [0.3, -0.3], x=0.36)
    L.dive(ORB, 29, [(0.3, 0.36), (0.32, 0.12), (0.32, -0.12), (0.3, -0.36)], 0.3)
    L.stream(DART, 4, 32, 5, 0.3)
    L.stream(DART, 5, 34, 5, 0.3)
    L.roam(MEDIC, 36, -0.2)
    L.dive(SCARAB, 38, [(0.32, 0.2), (0.32, -0.2)], 0.4)
    L.stream(SPORE, 16, 41, 4, 0.5)
    L.dive(CARRIER, 45, [(0.34, 0.25), (0.34, -0.25)], 0.8)
    L.stream(OUTRIDER, 25, 50, 5, 0.4)
    L.stream(OUTRIDER, 26, 52, 5, 0.4)


def shattered_crown(L):
    L.stream(OUTRIDER, 10, 0.2, 5, 0.35)
    L.stream(OUTRIDER, 0, 2, 5, 0.35)
    L.patrol(BASTION, 4, [0.35, -0.35], x=0.36)
    L.stream(STINGER, 19, 6, 5, 0.4)
    L.stream(STINGER, 20, 8, 5, 0.4)
    L.formation(LEADER, ESCORT, 11, z=0.0, offsets=[(0.0, 0.13), (0.0, -0.13), (-0.08, 0.07), (-0.08, -0.07),
                                                   (0.06, 0.2), (0.06, -0.2)])
    L.stream(LANCER, 22, 17, 5, 0.35)
    L.stream(LANCER, 23, 19, 5, 0.35)
    L.roam(MEDIC, 21, 0.3)
    L.dive(WRAITH, 23, [(0.28, 0.35), (0.3, 0.12), (0.3, -0.12), (0.28, -0.35)], 0.4)
    L.stream(DART, 8, 27, 6, 0.3)
    L.dive(SCARAB, 31, [(0.32, 0.3), (0.34, 0.0), (0.32, -0.3)], 0.4)
    L.stream(MITE, 21, 34, 8, 0.25)
    L.stream(HORNET, 17, 37, 5, 0.4)
    L.stream(HORNET, 18, 39, 5, 0.4)
    L.dive(CRUISER, 43, [(0.3, 0.25), (0.3, -0.25)], 1.0)
    L.roam(MEDIC, 45, 0.0)
    L.stream(WASP, 14, 49, 5, 0.3)
    L.stream(WASP, 15, 51, 5, 0.3)


def abyssal_tide(L):
    L.dive(WRAITH, 0.2, [(0.3, 0.3), (0.32, 0.0), (0.3, -0.3)], 0.3)
    L.stream(LANCER, 16, 2, 5, 0.35)
    L.dive(MANTA, 5, [(0.28, 0.2), (0.28, -0.2)], 0.4)
    L.patrol(BASTION, 7, [0.0], x=0.36)
    L.patrol(TURRET, 7, [0.35, -0.35])
    L.stream(STINGER, 21, 10, 5, 0.4)
    L.stream(SPORE, 25, 13, 4, 0.5)
    L.stream(SPORE, 26, 15, 4, 0.5)
    L.roam(SAUCER, 18, 0.3)
    L.stream(DART, 12, 20, 6, 0.3)
    L.stream(DART, 13, 22, 6, 0.3)
    L.dive(WRAITH, 25, [(0.28, 0.35), (0.3, 0.12), (0.3, -0.12), (0.28, -0.35)], 0.35)
    L.roam(MEDIC, 27, -0.3)
    L.stream(OUTRIDER, 29, 30, 5, 0.35)
    L.stream(OUTRIDER, 24, 32, 5, 0.35)
    L.dive(SCARAB, 35, [(0.32, 0.25), (0.32, -0.25)], 0.4)
    L.stream(MITE, 28, 38, 8, 0.25)
    L.formation(WARDEN, OUTRIDER, 41)
    L.stream(LANCER, 2, 45, 5, 0.35)
    L.stream(LANCER, 3, 47, 5, 0.35)
    L.dive(CRUISER, 50, [(0.3, 0.0)])


def quorvel_deep(L):
    L.stream(STINGER, 14, 0.2, 6, 0.35)
    L.stream(STINGER, 15, 2, 6, 0.35)
    L.dive(CARRIER, 5, [(0.34, 0.28), (0.34, -0.28)], 0.6)
    L.stream(LANCER, 27, 8, 5, 0.4)
    L.patrol(BASTION, 10, [0.3, -0.3], x=0.36)
    L.stream(WASP, 4, 13, 6, 0.3)
    L.stream(WASP, 5, 15, 6, 0.3)
    L.roam(MEDIC, 17, 0.3)
    L.roam(SAUCER, 18, -0.3)
    L.dive(WRAITH, 20, [(0.3, 0.3), (0.32, 0.0), (0.3, -0.3)], 0.35)
    L.stream(SPORE, 22, 23, 4, 0.5)
    L.formation(WARDEN, OUTRIDER, 26, z=0.0, offsets=[(0.0, 0.13), (0.0, -0.13), (-0.08, 0.07), (-0.08, -0.07),
                                                     (0.06, 0.2), (0.06, -0.2)])
    L.stream(DART, 19, 32, 6, 0.3)
    L.stream(DART, 20, 34, 6, 0.3)
    L.dive(SCARAB, 37, [(0.32, 0.3), (0.34, 0.0), (0.32, -0.3)], 0.35)
    L.stream(HORNET, 10, 40, 5, 0.4)
    L.stream(HORNET, 11, 42, 5, 0.4)
    L.roam(MEDIC, 44, -0.1)
    L.dive(CRUISER, 46, [(0.3, 0.0)])
    L.dive(MANTA, 48, [(0.26, 0.3), (0.26, -0.3)], 0.4)
    L.stream(LANCER, 8, 52, 5, 0.4)


def silent_armada(L):
    L.stream(OUTRIDER, 12, 0.2, 6, 0.3)
    L.stream(OUTRIDER, 13, 1.8, 6, 0.3)
    L.dive(SCARAB, 4, [(0.32, 0.3), (0.34, 0.0), (0.32, -0.3)], 0.35)
    L.patrol(BASTION, 6, [0.35, -0.35], x=0.36)
    L.stream(LANCER, 17, 9, 6, 0.35)
    L.stream(LANCER, 18, 11, 6, 0.35)
    L.dive(WRAITH, 14, [(0.28, 0.35), (0.3, 0.12), (0.3, -0.12), (0.28, -0.35)], 0.3)
    L.roam(MEDIC, 16, 0.3)
    L.stream(STINGER, 22, 18, 6, 0.35)
    L.stream(STINGER, 23, 20, 6, 0.35)
    L.dive(ESCORT, 23, [(0.3, 0.3), (0.32, 0.1), (0.32, -0.1), (0.3, -0.3)], 0.3)
    L.dive(CARRIER, 27, [(0.34, 0.3), (0.34, -0.3)], 0.5)
    L.stream(DART, 6, 30, 6, 0.3)
    L.stream(DART, 7, 32, 6, 0.3)
    L.roam(MEDIC, 34, -0.3)
    L.dive(CRUISER, 35, [(0.32, 0.25), (0.32, -0.25)], 0.8)
    L.stream(SPORE, 29, 39, 4, 0.5)
    # The armada's flagship with its screen of escorts.
    L.dive(DREADNOUGHT, 43, [(0.22, 0.0)])
    L.formation(WARDEN, OUTRIDER, 44, x=0.08, z=0.3, offsets=[(0.0, 0.12), (0.0, -0.12), (-0.08, 0.0)])
    L.stream(LANCER, 26, 50, 5, 0.4)
    L.stream(WASP, 9, 52, 5, 0.35)


def heart_of_the_hive(L):
    L.stream(MITE, 14, 0.2, 8, 0.25)
    L.stream(MITE, 15, 2, 8, 0.25)
    L.stream(SPORE, 12, 4, 4, 0.5)
    L.stream(SPORE, 13, 5, 4, 0.5)
    L.roam(SAUCER, 8, 0.3)
    L.roam(SAUCER, 9, -0.3)
    L.patrol(BASTION, 10, [0.0], x=0.36)
    L.stream(LANCER, 21, 11, 6, 0.35)
    L.roam(MEDIC, 13, 0.0)
    L.dive(WRAITH, 15, [(0.3, 0.3), (0.32, 0.0), (0.3, -0.3)], 0.35)
    L.stream(STINGER, 25, 18, 6, 0.35)
    L.stream(STINGER, 26, 20, 6, 0.35)
    L.patrol(BASTION, 22, [0.35, -0.35], x=0.36)
    L.stream(MITE, 27, 25, 10, 0.25)
    L.dive(ORB, 28, [(0.3, 0.36), (0.32, 0.12), (0.32, -0.12), (0.3, -0.36)], 0.3)
    L.stream(DART, 16, 31, 6, 0.3)
    L.roam(MEDIC, 33, 0.3)
    # The hive mother: it wanders and breeds mites until it dies.
    L.roam(HIVE, 36, 0.0)
    L.stream(SPORE, 2, 40, 3, 0.6)
    L.stream(SPORE, 3, 42, 3, 0.6)
    L.roam(MEDIC, 44, -0.3)
    L.stream(LANCER, 22, 47, 5, 0.35)
    L.stream(LANCER, 23, 49, 5, 0.35)
    L.dive(WRAITH, 50, [(0.28, 0.35), (0.3, 0.12), (0.3, -0.12), (0.28, -0.35)], 0.3)
    L.dive(CRUISER, 51, [(0.32, 0.0)])
    L.stream(WASP, 10, 52, 5, 0.35)


def velmora_prime(L):
    L.stream(STINGER, 19, 0.2, 6, 0.3)
    L.stream(STINGER, 20, 1.8, 6, 0.3)
    L.patrol(BASTION, 4, [0.35, 0.0, -0.35], x=0.36)
    L.dive(WRAITH, 6, [(0.28, 0.35), (0.3, 0.12), (0.3, -0.12), (0.28, -0.35)], 0.3)
    L.stream(LANCER, 24, 9, 6, 0.3)
    L.stream(LANCER, 29, 11, 6, 0.3)
    L.roam(MEDIC, 13, 0.3)
    L.dive(ESCORT, 15, [(0.3, 0.36), (0.32, 0.18), (0.34, 0.0), (0.32, -0.18), (0.3, -0.36)], 0.25)
    L.dive(CARRIER, 21, [(0.34, 0.3), (0.34, -0.3)], 0.5)
    L.stream(DART, 2, 24, 6, 0.3)
    L.stream(DART, 3, 26, 6, 0.3)
    L.roam(SAUCER, 28, 0.0)
    L.dive(SCARAB, 30, [(0.32, 0.3), (0.34, 0.0), (0.32, -0.3)], 0.35)
    L.stream(SPORE, 16, 32, 4, 0.5)
    L.roam(HIVE, 34, 0.3)
    L.roam(MEDIC, 35, -0.3)
    L.dive(CRUISER, 38, [(0.32, 0.25), (0.32, -0.25)], 0.6)
    L.stream(OUTRIDER, 21, 41, 6, 0.35)
    # Velmora's last guard: the flagship with two formations.
    L.dive(DREADNOUGHT, 45, [(0.22, 0.0)])
    L.formation(WARDEN, OUTRIDER, 46, x=0.08, z=-0.3, offsets=[(0.0, 0.12), (0.0, -0.12), (-0.08, 0.0)])
    L.stream(MITE, 14, 50, 8, 0.25)
    L.stream(MITE, 15, 52, 8, 0.25)


# The borrowed ship of Hollow Star: skin 3, guns 3, 2 and 2, rockets level 2, armour 4,
# regeneration 2, bonus strength 2, no time freeze, ten rockets.
HOLLOW_STAR_SHIP = "03_03_02_02_02_04_02_02_00_10"

CAMPAIGN = [
    # number, name, what the level is, scenery of level, difficulty, points, bonus drops, waves, extras
    (4, "Iron Moons", "a mining belt of dead moons. Lancers and stingers join the fight; a carrier at the end.",
     1, 1.5, 2, bdrop(18, 8, 8, 7, 7, 6, 6, 6, 8, 7, 7, 6), iron_moons, {}),
    (5, "Drift Yards", "the wrecked shipyards. Heavy bastion turrets, spore pods and a cruiser.",
     3, 1.6, 2, bdrop(16, 8, 9, 7, 7, 7, 6, 6, 8, 7, 7, 6), drift_yards, {}),
    (6, "Ember Gate", "the gate to the inner systems. Wraith bombers and the first warden with its outriders.",
     2, 1.7, 2, bdrop(16, 9, 9, 8, 7, 7, 6, 6, 8, 8, 7, 6), ember_gate, {}),
    (7, "Hollow Star", "a raid flown in a borrowed ship through swarms of darts, lancers and mites.",
     1, 1.8, 2, bdrop(20, 6, 6, 6, 8, 8, 8, 8, 9, 8, 8, 0), hollow_star, {"timeship": HOLLOW_STAR_SHIP}),
    (8, "Frost Reach", "the cold reach: every running bonus freezes off on arrival. Warden and escorts.",
     3, 2.0, 3, bdrop(14, 10, 10, 9, 7, 6, 6, 6, 7, 8, 10, 7), frost_reach, {"deactivate": True}),
    (9, "Veil of Thorns", "a thicket of spore pods, mites and saucers that breed more of them.",
     2, 2.1, 3, bdrop(14, 10, 9, 8, 8, 7, 7, 7, 8, 10, 7, 6), veil_of_thorns, {}),
    (10, "Shattered Crown", "two formations at once, then twin cruisers.",
     1, 2.4, 3, bdrop(14, 10, 10, 9, 8, 7, 7, 7, 9, 8, 8, 7), shattered_crown, {}),
    (11, "Abyssal Tide", "the deep dark: bonuses fail again, and wraiths come in waves.",
     3, 2.6, 3, bdrop(12, 11, 11, 10, 8, 7, 6, 6, 8, 8, 8, 7), abyssal_tide, {"deactivate": True}),
    (12, "Quorvel Deep", "the home of the Quorvel works: carriers, two formations and a cruiser.",
     2, 2.8, 3, bdrop(12, 11, 10, 10, 8, 8, 7, 7, 9, 8, 8, 7), quorvel_deep, {}),
    (13, "Silent Armada", "the armada waits in silence: its dreadnought and two formations.",
     1, 3.0, 4, bdrop(12, 12, 11, 10, 8, 8, 7, 7, 9, 8, 8, 7), silent_armada, {}),
    (14, "Heart of the Hive", "the living hive: mites without end and the hive mother.",
     3, 3.2, 4, bdrop(12, 12, 11, 10, 9, 8, 7, 7, 9, 9, 8, 7), heart_of_the_hive, {}),
    (15, "Velmora Prime", "the last stand over Velmora: everything the enemy has left, and its flagship.",
     2, 3.4, 4, bdrop(10, 13, 12, 11, 9, 8, 7, 7, 9, 9, 8, 8), velmora_prime, {"final": True}),
]


def main():
    read_nav_starts()
    for number, name, comment, template, difficulty, points, drops, build, extra in CAMPAIGN:
        write_level(number, name, comment, template, difficulty, points, drops, build,
                    timeship=extra.get("timeship", ""), deactivate=extra.get("deactivate", False),
                    final=extra.get("final", False))


if __name__ == "__main__":
    main()
