#!/usr/bin/env python3
"""How fast the window program answers a network peer (under Xvfb, from measure-window.sh).

The game is made server from its title menu with xdotool; this script plays the client with a
raw socket. A "00" makes the game queue "01". Twelve single "00"s go out at different points of
the frame (a random delay before each) and the time until "01" is back is taken; then five "00"
in one write, and the time until all five replies are back.
"""
import os
import random
import socket
import statistics
import subprocess
import sys
import time


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def xdotool(*args):
    return subprocess.run(["xdotool", *args], check=True, capture_output=True, text=True).stdout


def receive(conn, count):
    got = b""
    while len(got) < count:
        chunk = conn.recv(count - len(got))
        if not chunk:
            raise RuntimeError("the game closed the connection")
        got += chunk
    return got


def connect(port, seconds=10):
    end = time.monotonic() + seconds
    while True:
        try:
            return socket.create_connection(("127.0.0.1", port), timeout=5)
        except OSError:
            if time.monotonic() > end:
                raise
            time.sleep(0.05)


def main():
    game = sys.argv[1]
    port = free_port()
    env = dict(os.environ, KB_PORT=str(port))
    proc = subprocess.Popen([game], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        window = xdotool("search", "--sync", "--name", "Kanaburst Ver1.1").split()[0]
        time.sleep(1.0)
        xdotool("windowfocus", "--sync", window)
        # The server item is the second from the bottom: up from the top wraps to the bottom.
        for key in ["Up", "Up", "Return"]:
            xdotool("key", "--window", window, key)
            time.sleep(0.2)
        conn = connect(port)
        conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        if receive(conn, 2) != b"00":
            raise RuntimeError("the server did not greet with 00")
        singles = []
        for _ in range(12):
            time.sleep(random.uniform(0.1, 0.167))  # lands anywhere in the frame
            start = time.perf_counter()
            conn.sendall(b"00")
            if receive(conn, 2) != b"01":
                raise RuntimeError("unexpected reply")
            singles.append((time.perf_counter() - start) * 1000)
        chains = []
        for _ in range(5):
            time.sleep(random.uniform(0.1, 0.167))
            start = time.perf_counter()
            conn.sendall(b"00" * 5)
            receive(conn, 10)
            chains.append((time.perf_counter() - start) * 1000)
        conn.close()
    finally:
        proc.terminate()
        proc.wait(timeout=10)
    print(f"reply to one message: median {statistics.median(singles):.2f} ms, "
          f"max {max(singles):.2f} ms over 12 (target < 5 ms)")
    print(f"five queued replies: median {statistics.median(chains):.2f} ms, "
          f"max {max(chains):.2f} ms over 5 (target < 20 ms)")


if __name__ == "__main__":
    main()
