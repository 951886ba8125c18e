#!/usr/bin/env python3
"""Soak: the headless driver plays many computer matches back to back.

A scripted typist of varying skill (speed and miss rate change from match to match) reads the
current word from the driver's `state`, types its reading in romaji, sometimes hits a wrong
key and erases it, fires with Enter and moves its lane; after each match it waits out the
result screen and returns to the title. Resident memory is printed every 50 matches. Run it
on the sanitizer build (make soak): any sanitizer report, crash or stuck match fails the run.

    bench/soak.py --sim build-asan/kanaburst-sim [--matches 500] [--seed 1]
"""
import argparse
import collections
import json
import os
import random
import subprocess
import sys
import time

ROWS = {
    "": "あいうえお", "k": "かきくけこ", "g": "がぎぐげご", "s": "さしすせそ", "z": "ざじずぜぞ",
    "t": "たちつてと", "d": "だぢづでど", "n": "なにぬねの", "h": "はひふへほ", "b": "ばびぶべぼ",
    "p": "ぱぴぷぺぽ", "m": "まみむめも", "r": "らりるれろ", "x": "ぁぃぅぇぉ",
}
ROMAJI = {kana: head + vowel for head, row in ROWS.items() for kana, vowel in zip(row, "aiueo")}
ROMAJI.update({"や": "ya", "ゆ": "yu", "よ": "yo", "わ": "wa", "を": "wo", "ん": "nn",
               "ゃ": "xya", "ゅ": "xyu", "ょ": "xyo", "っ": "xtu", "ヴ": "vu", "ゔ": "vu",
               "ー": "-", "、": ",", "。": ".", "・": "/"})
ROMAJI.update({chr(0xFF10 + d): str(d) for d in range(10)})
SHIFTED = {"？": 191, "！": 49}  # typed with Shift held
KEY_ENTER, KEY_BACK, KEY_SHIFT, KEY_UP, KEY_DOWN, KEY_SPACE = 13, 8, 16, 38, 40, 32
FPS = 15
SUPPRESSIONS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools", "sanitize", "lsan.supp")


class DriverEnded(Exception):
    """The driver process ended; `lines` are its last effect lines."""

    def __init__(self, code, lines, errors):
        super().__init__(f"the driver ended (exit {code}) after:\n" + "\n".join(lines) +
                         f"\n{errors}")
        self.lines = list(lines)


class Driver:
    def __init__(self, sim, seed, args=(), env=None):
        env = dict(os.environ, **(env or {}), SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy",
                   ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1",
                   LSAN_OPTIONS=f"suppressions={SUPPRESSIONS}:print_suppressions=0",
                   UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1")
        self.stderr = open(f"/tmp/kb-soak-{os.getpid()}.err", "w+")
        self.proc = subprocess.Popen([sim, "--seed", str(seed), *args], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=self.stderr, env=env,
                                     text=True, encoding="utf-8", bufsize=1)
        self.pending = []
        self.recent = collections.deque(maxlen=40)  # the last effect lines, for failure reports

    def send(self, *lines):
        self.pending.extend(lines)

    def state(self):
        self.send("state")
        self.proc.stdin.write("\n".join(self.pending) + "\n")
        self.proc.stdin.flush()
        self.pending = []
        while True:
            line = self.proc.stdout.readline()
            if not line:
                raise DriverEnded(self.proc.wait(), self.recent, self.errors())
            if line.startswith("state "):
                return json.loads(line[6:])
            self.recent.append(line.rstrip("\n"))

    def key(self, code):
        self.send(f"key {code}")

    def frames(self, n):
        self.send(f"frames {max(1, n)}")

    def rss_kb(self):
        with open(f"/proc/{self.proc.pid}/status") as f:
            return next(int(l.split()[1]) for l in f if l.startswith("VmRSS:"))

    def errors(self):
        self.stderr.flush()
        self.stderr.seek(0)
        return self.stderr.read()

    def finish(self):
        self.proc.stdin.close()
        code = self.proc.wait(timeout=120)
        return code, self.errors()


class Typist:
    """Keys per second and the chance of a wrong key, chosen per match."""

    def __init__(self, rng, match):
        self.rng = rng
        self.speed = [2, 3, 5, 8, 12][(match // 4) % 5]
        self.miss = [0.0, 0.1, 0.25, 0.03][match % 4]

    def gap(self):
        return max(1, round(FPS / self.speed * self.rng.uniform(0.6, 1.4)))

    def type_some(self, d, rest, typed):
        """Queues half a second of keys for `rest`, the part of the reading still to type,
        going on from the letters `typed` already in the buffer; the next burst goes on from
        wherever this one stopped. False when the next character cannot be typed."""
        budget = FPS // 2
        for ch in rest:
            if budget <= 0:
                break
            if ch in SHIFTED:
                d.send(f"down {KEY_SHIFT}", f"key {SHIFTED[ch]}", f"up {KEY_SHIFT}")
                budget -= self.key_gap(d)
                continue
            if ch not in ROMAJI:
                return False
            letters = ROMAJI[ch]
            if typed and letters.startswith(typed.lower()):
                letters = letters[len(typed):]
            elif typed:
                for _ in typed:
                    d.key(KEY_BACK)
            typed = ""
            if letters and self.rng.random() < self.miss:
                # A whole wrong unit (the right consonants, a wrong vowel) counts as a miss
                # and stays in the buffer until it is erased.
                wrong = letters[:-1] + self.rng.choice([v for v in "aiueo" if v != letters[-1]])
                for letter in wrong:
                    if budget <= 0:
                        return True
                    d.send("type " + letter)
                    budget -= self.key_gap(d)
                for _ in wrong:
                    d.key(KEY_BACK)
            for letter in letters:
                if budget <= 0:
                    return True
                d.send("type " + letter)
                budget -= self.key_gap(d)
        return True

    def key_gap(self, d):
        n = self.gap()
        d.frames(n)
        return n


def play_match(d, rng, match):
    typist = Typist(rng, match)
    s = d.state()
    target = match % 5  # the five computer speeds
    while s["MenuNo"] != target:
        d.key(KEY_DOWN if (target - s["MenuNo"]) % 9 < 5 else KEY_UP)
        d.frames(1)
        s = d.state()
    d.send(f"down {KEY_ENTER}", "frames 1", f"up {KEY_ENTER}", "frames 2", "wait 4200")
    s = d.state()
    if s["SceneNo"] != 1:
        raise SystemExit(f"soak: match {match} did not start (scene {s['SceneNo']})")
    deadline = 15 * 60 * FPS  # frames: far longer than any match lasts
    frames = 0
    while s["SceneNo"] == 1 and frames < deadline:
        reading = s["Yomi"][s["WordNo"]] if s["WordNo"] < len(s["Yomi"]) else ""
        if s["KanaPos"] >= len(reading) and reading:
            d.key(KEY_ENTER)
            d.key(rng.choice([KEY_UP, KEY_DOWN]))
            d.frames(typist.gap())
        elif not typist.type_some(d, reading[s["KanaPos"]:], s["InputStr"]):
            d.frames(FPS)  # a word no key can finish: the computer will end the match
        frames += FPS
        s = d.state()
    if s["SceneNo"] == 1:
        raise SystemExit(f"soak: match {match} did not end")
    result, typed, missed = s["GameResult"], s["TypeCount"], s["MissCount"]
    if s["SceneNo"] == 0:
        # The last burst of keys ran on past the result screen's first seconds and a key
        # release went back to the title, as it would for a player: the count is lost.
        return result, 0, missed
    d.send("wait 2500", f"key {KEY_SPACE}", "frames 2")
    s = d.state()
    if s["SceneNo"] != 0:
        raise SystemExit(f"soak: match {match} did not return to the title")
    return result, typed, missed


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--sim", default="build-asan/kanaburst-sim")
    ap.add_argument("--matches", type=int, default=500)
    ap.add_argument("--seed", type=int, default=1)
    args = ap.parse_args()
    rng = random.Random(args.seed)
    d = Driver(args.sim, args.seed)
    d.frames(20)
    started = time.monotonic()
    wins = typed = missed = 0
    rss = []
    for match in range(args.matches):
        try:
            result, keys, misses = play_match(d, rng, match)
        except DriverEnded as e:
            raise SystemExit(f"soak: match {match + 1}: {e}")
        wins += result == "WIN"
        typed += keys
        missed += misses
        if (match + 1) % 50 == 0 or match == 0:
            rss.append(d.rss_kb())
            print(f"match {match + 1:4d}: resident {rss[-1] / 1024:6.1f} MB, "
                  f"{wins} won so far, {time.monotonic() - started:5.0f} s", flush=True)
    code, errors = d.finish()
    bad = [l for l in errors.splitlines() if "Sanitizer" in l or "runtime error" in l]
    print(f"{args.matches} matches, {wins} won by the typist, {typed} keys typed, {missed} misses; "
          f"driver exit {code}")
    if len(rss) > 2:
        growth = (rss[-1] - rss[1]) / 1024
        print(f"resident memory after match 50: {rss[1] / 1024:.1f} MB, at the end: "
              f"{rss[-1] / 1024:.1f} MB ({growth:+.1f} MB)")
    if code != 0 or bad:
        print(errors[-4000:])
        sys.exit(1)


if __name__ == "__main__":
    main()
