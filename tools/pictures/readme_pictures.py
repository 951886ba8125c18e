#!/usr/bin/env python3
"""The README's pictures of the game, made by the headless driver's `shot`.

One computer match on the bundled word list, played by the soak test's typist without misses
(it reads each word's reading from the driver's `state`): the title, the match with missiles
of both sides in flight, the match-over wave, and the result screen. Run it again after a
change to what these screens show, look at the pictures, and commit them.

    tools/pictures/readme_pictures.py [--sim build/kanaburst-sim] [--out docs/pictures]
"""
import argparse
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bench"))
from soak import Driver, Typist, FPS, KEY_ENTER, KEY_SPACE, KEY_UP, KEY_DOWN  # noqa: E402

SEED = 7          # the title's squares, the words, the computer's lanes
COM_SPEED = 2     # characters a second: the typist wins, after both sides have fired


def flying(s, side):
    return sum(1 for state in s[side + "MisState"] if state == 1)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--sim", default="build/kanaburst-sim")
    ap.add_argument("--out", default="docs/pictures")
    args = ap.parse_args()
    out = os.path.abspath(args.out)
    os.makedirs(out, exist_ok=True)
    d = Driver(args.sim, SEED)
    rng = random.Random(SEED)
    typist = Typist(rng, 13)  # eight keys a second, one unit in ten wrong
    d.frames(20)
    d.send(f"shot {out}/title.png")
    for _ in range(COM_SPEED - 1):
        d.key(KEY_DOWN)
    d.send(f"down {KEY_ENTER}", "frames 1", f"up {KEY_ENTER}", "frames 2", "wait 4200")
    s = d.state()
    shot_match = False
    while s["SceneNo"] == 1:
        reading = s["Yomi"][s["WordNo"]]
        # Both sides firing, and a word half typed.
        if not shot_match and flying(s, "My") >= 2 and flying(s, "En") >= 2 and \
                2 <= s["KanaPos"] < len(reading):
            d.send(f"shot {out}/match.png")
            shot_match = True
        if s["KanaPos"] >= len(reading):
            d.key(KEY_ENTER)
            d.key(rng.choice([KEY_UP, KEY_DOWN]))
            d.frames(typist.gap())
        elif not typist.type_some(d, reading[s["KanaPos"]:], s["InputStr"]):
            d.frames(FPS)
        s = d.state()
    if not shot_match:
        raise SystemExit("readme_pictures: no moment with two missiles of each side in flight")
    d.send("frames 8", f"shot {out}/match-over.png", "wait 6000", f"shot {out}/result.png")
    d.key(KEY_SPACE)
    d.frames(2)
    if d.state()["SceneNo"] != 0:
        raise SystemExit("readme_pictures: the result screen did not go back to the title")
    code, errors = d.finish()
    if code != 0:
        raise SystemExit(f"readme_pictures: the driver ended with {code}: {errors}")
    print(f"readme_pictures: title, match, match-over and result in {out}")


if __name__ == "__main__":
    main()
