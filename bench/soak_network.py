#!/usr/bin/env python3
"""Network soak: two headless drivers play network matches against each other over loopback.

One driver serves (title item 7), the other joins it (item 8, address 127.0.0.1); both fire
missiles into random lanes at their own pace until one gets through, wait out the result
screen and go back to the title, match after match, on a port of their own (KB_PORT). Both run
on real clocks and sockets (--realtime). A side that fires in the moment the other has ended
the match and closed gets "Connect Lost" and ends, as the game is designed to; the soak counts
that and starts a fresh pair. Fails on a crash, a sanitizer report, a match that does not start
or end, or the two sides disagreeing on who won.

    bench/soak_network.py --sim build-asan/kanaburst-sim [--matches 50]
"""
import argparse
import os
import random
import socket
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from soak import Driver, DriverEnded  # noqa: E402

KEY_ENTER, KEY_UP, KEY_DOWN, KEY_SPACE = 13, 38, 40, 32
SERVER_ITEM, CLIENT_ITEM = 7, 8


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_until(drivers, done, seconds):
    """Lets both games run (in 100 ms steps) until done(states) holds; the last states."""
    end = time.monotonic() + seconds
    while True:
        for d in drivers:
            d.send("wait 100")
        states = [d.state() for d in drivers]
        if done(states) or time.monotonic() > end:
            return states


def choose(d, item):
    s = d.state()
    while s["MenuNo"] != item:
        d.key(KEY_DOWN if (item - s["MenuNo"]) % 9 < 5 else KEY_UP)
        d.frames(1)
        s = d.state()
    for _ in range(3):  # a release held over from the result screen may swallow the first
        d.key(KEY_ENTER)
        d.frames(2)
        if d.state()["GameMode"] != 0:
            return
    raise SystemExit(f"network soak: title item {item} does nothing")


def play_match(server, client, rng, match):
    choose(server, SERVER_ITEM)
    choose(client, CLIENT_ITEM)
    # The address box keeps what was typed into it: the first time the address, then just Enter.
    client.send("address 127.0.0.1" if match == 0 else "address")
    states = wait_until([server, client], lambda ss: all(
        s["SceneNo"] == 1 and s["StartCount"] == 0 and s["InputOn"] == 1 for s in ss), 20)
    if not all(s["SceneNo"] == 1 and s["InputOn"] == 1 for s in states):
        raise SystemExit(f"network soak: match {match} did not start: "
                         f"scenes {[s['SceneNo'] for s in states]}\nserver:\n" +
                         "\n".join(server.recent) + "\nclient:\n" + "\n".join(client.recent))
    deadline = time.monotonic() + 120
    while time.monotonic() < deadline:
        for d in (server, client):
            for _ in range(rng.randint(0, 2)):  # 0..2 words a step: the one word is "a"
                d.key(rng.choice([KEY_UP, KEY_DOWN]))
                d.send("type a")
                d.key(KEY_ENTER)
        states = wait_until([server, client], lambda ss: True, 0)
        if all(s["SceneNo"] == 2 for s in states):
            break
    else:
        raise SystemExit(f"network soak: match {match} did not end")
    results = sorted(s["GameResult"] for s in states)
    if results != ["LOSE", "WIN"]:
        raise SystemExit(f"network soak: match {match} ended {results}")
    for d in (server, client):
        d.send("wait 2500", f"key {KEY_SPACE}", "frames 2")
    states = [d.state() for d in (server, client)]
    if any(s["SceneNo"] != 0 or s["GameMode"] != 0 for s in states):
        raise SystemExit(f"network soak: match {match} did not return to the title")
    return states[0]["GameResult"]


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--sim", default="build-asan/kanaburst-sim")
    ap.add_argument("--matches", type=int, default=50)
    ap.add_argument("--seed", type=int, default=1)
    args = ap.parse_args()
    rng = random.Random(args.seed)
    words = tempfile.mkdtemp(prefix="kb-netsoak-")
    with open(os.path.join(words, "str.dat"), "wb") as f:
        f.write("\ufeff亜,あ\r\n".encode("utf-8"))
    def start_pair():
        env = {"KB_PORT": str(free_port())}
        pair = [Driver(args.sim, args.seed + i, ["--realtime", "--dir", words], env)
                for i in range(2)]
        for d in pair:
            d.frames(2)
        return pair

    server, client = start_pair()
    started = time.monotonic()
    server_wins = lost = 0
    first = 0  # the match number at which the current pair of drivers started
    for match in range(args.matches):
        try:
            server_wins += play_match(server, client, rng, match - first) == "WIN"
        except DriverEnded as e:
            # One side fired in the moment the other ended the match and closed: its send
            # fails, and a failed send shows "Connect Lost" and ends the program, as designed.
            if "msgbox Kanaburst|Connect Lost" not in e.lines or "exit" not in e.lines:
                raise SystemExit(f"network soak: match {match + 1}: {e}")
            lost += 1
            for d in (server, client):
                code, errors = d.finish()
                if code != 0 or "Sanitizer" in errors or "runtime error" in errors:
                    raise SystemExit(f"network soak: exit {code}\n{errors[-4000:]}")
            server, client = start_pair()
            first = match + 1
        if (match + 1) % 10 == 0 or match == 0:
            print(f"match {match + 1:3d}: resident server {server.rss_kb() / 1024:.1f} MB, "
                  f"client {client.rss_kb() / 1024:.1f} MB, {time.monotonic() - started:4.0f} s",
                  flush=True)
    failed = False
    for name, d in (("server", server), ("client", client)):
        code, errors = d.finish()
        bad = [l for l in errors.splitlines() if "Sanitizer" in l or "runtime error" in l]
        if code != 0 or bad:
            print(f"{name}: exit {code}\n{errors[-4000:]}")
            failed = True
    print(f"{args.matches} network matches, {server_wins} won by the server, {lost} ended by "
          f"\"Connect Lost\" (a shot sent as the other side closed); "
          f"{'FAILED' if failed else 'no crash, no sanitizer report'}")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
