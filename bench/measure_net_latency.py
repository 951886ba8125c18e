#!/usr/bin/env python3
"""How fast the window program answers a network peer (under Xvfb, from measure-window.sh).

The game is made server from its title menu with xdotool; this script plays the client, once
with a raw TCP socket and once through a room on a relay (a mosquitto started here with the
project's configuration, the client speaking MQTT and the room's sealed frames with Debian's
python3-paho-mqtt and python3-nacl). A "00" makes the game queue "01". Twelve single "00"s go
out at different points of the frame (a random delay before each) and the time until "01" is
back is taken; then five "00" in one write, and the time until all five replies are back.
"""
import os
import queue
import random
import re
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


def start_game(game, env):
    proc = subprocess.Popen([game], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    window = xdotool("search", "--sync", "--name", "Kanaburst Ver1.1").split()[0]
    time.sleep(1.0)
    xdotool("windowfocus", "--sync", window)
    # The server item is the second from the bottom: up from the top wraps to the bottom.
    for key in ["Up", "Up", "Return"]:
        xdotool("key", "--window", window, key)
        time.sleep(0.2)
    return proc


class TcpPeer:
    def __init__(self, port):
        self.conn = connect(port)
        self.conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

    def send(self, data):
        self.conn.sendall(data)

    def receive(self, count):
        return receive(self.conn, count)


class RoomPeer:
    """A guest in the game's room, speaking the room protocol by hand on PyNaCl's libsodium.

    It trusts the room it finds: a measurement needs no check of the host's key against the
    code."""

    def __init__(self, port, code):
        import paho.mqtt.client as mqtt
        from nacl.bindings import crypto_kx_client_session_keys, crypto_kx_keypair
        public, secret = crypto_kx_keypair()
        me, seat = os.urandom(16).hex(), public[:8].hex()
        self.inbox_topic = f"kb/{code}/in/{me}/"
        self.inbox, self.events, self.sent, self.opened = b"", queue.Queue(), 0, 0
        self.client = mqtt.Client(client_id=me, protocol=mqtt.MQTTv311)
        self.client.username_pw_set(code)
        self.client.on_message = lambda c, u, m: self.events.put((m.topic, m.payload))
        self.client.connect("127.0.0.1", port)
        self.client.socket().setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.client.subscribe(f"kb/{code}/room")
        self.client.subscribe(self.inbox_topic + "+")
        self.client.loop_start()
        self.client.publish(self.inbox_topic + "ping", b"")
        host, synced = None, False
        while not (synced and host):
            topic, payload = self.events.get(timeout=10)
            synced |= topic == self.inbox_topic + "ping"
            if topic.endswith("/room") and payload.startswith(b"kb1"):
                host = payload[3:]
        self.rx, self.tx = crypto_kx_client_session_keys(public, secret, host)
        self.client.publish(f"kb/{code}/knock/{seat}", public + self.seal(b"i", me.encode()))
        taken = self.frame()
        if taken[:1] != b"a":
            raise RuntimeError("the host did not take the knock")
        self.host_topic = f"kb/{code}/in/{taken[1:].decode()}/{seat}"

    @staticmethod
    def nonce(n):
        return n.to_bytes(8, "little") + bytes(16)

    def seal(self, kind, body):
        from nacl.bindings import crypto_secretbox
        frame = crypto_secretbox(kind + body, self.nonce(self.sent), self.tx)
        self.sent += 1
        return frame

    def frame(self):
        """The host's next frame, opened: its kind byte and body."""
        from nacl.bindings import crypto_secretbox_open
        while True:
            topic, payload = self.events.get(timeout=10)
            if topic == self.inbox_topic + "host":
                plain = crypto_secretbox_open(payload, self.nonce(self.opened), self.rx)
                self.opened += 1
                return plain

    def send(self, data, kind=b"d"):
        self.client.publish(self.host_topic, self.seal(kind, data))

    def receive(self, count):
        while len(self.inbox) < count:
            plain = self.frame()
            if plain[:1] == b"d":
                self.inbox += plain[1:]
            elif plain[:1] == b"p":
                self.send(b"", b"k")
        got, self.inbox = self.inbox[:count], self.inbox[count:]
        return got


def measure(peer):
    if peer.receive(2) != b"00":
        raise RuntimeError("the server did not greet with 00")
    singles = []
    for _ in range(12):
        time.sleep(random.uniform(0.1, 0.167))  # lands anywhere in the frame
        start = time.perf_counter()
        peer.send(b"00")
        if peer.receive(2) != b"01":
            raise RuntimeError("unexpected reply")
        singles.append((time.perf_counter() - start) * 1000)
    chains = []
    for _ in range(5):
        time.sleep(random.uniform(0.1, 0.167))
        start = time.perf_counter()
        peer.send(b"00" * 5)
        peer.receive(10)
        chains.append((time.perf_counter() - start) * 1000)
    return singles, chains


def report(way, singles, chains):
    print(f"{way}: reply to one message: median {statistics.median(singles):.2f} ms, "
          f"max {max(singles):.2f} ms over 12; five queued replies: median "
          f"{statistics.median(chains):.2f} ms, max {max(chains):.2f} ms over 5")


def relay_broker(port):
    here = os.path.dirname(os.path.abspath(__file__))
    top = os.path.dirname(here)
    conf = open(os.path.join(top, "relay", "kanaburst.conf")).read()
    conf = conf.replace("listener 1883", f"listener {port} 127.0.0.1")
    conf = conf.replace("listener 9001\nprotocol websockets\n", "")
    conf = conf.replace("/etc/mosquitto/kanaburst.acl", os.path.join(top, "relay", "kanaburst.acl"))
    path = f"/tmp/kb-measure-relay-{os.getpid()}.conf"
    with open(path, "w") as f:
        f.write(conf)
    # Debian's broker is in /usr/sbin, which a normal user's PATH may lack.
    mosquitto = "/usr/sbin/mosquitto" if os.path.exists("/usr/sbin/mosquitto") else "mosquitto"
    broker = subprocess.Popen([mosquitto, "-c", path], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    connect(port).close()
    os.remove(path)
    return broker


def main():
    game = sys.argv[1]
    port = free_port()
    proc = start_game(game, dict(os.environ, KB_PORT=str(port)))
    try:
        tcp = measure(TcpPeer(port))
    finally:
        proc.terminate()
        proc.wait(timeout=10)
    report("TCP  ", *tcp)
    relay_port, trace = free_port(), f"/tmp/kb-measure-trace-{os.getpid()}"
    broker = relay_broker(relay_port)
    env = dict(os.environ, KB_PORT=str(free_port()), KB_TRACE=trace,
               KB_RELAY=f"mqtt://127.0.0.1:{relay_port}")
    proc = start_game(game, env)
    try:
        code = None
        for _ in range(100):
            found = re.search(r"Relay: room ([0-9 ]+) open", open(trace).read())
            if found:
                code = found.group(1).replace(" ", "")
                break
            time.sleep(0.05)
        relay = measure(RoomPeer(relay_port, code))
    finally:
        proc.terminate()
        proc.wait(timeout=10)
        broker.terminate()
        broker.wait(timeout=10)
        os.remove(trace)
    report("relay", *relay)
    print("targets: one reply < 5 ms over TCP, < 2 ms more through the relay; five < 20 ms")


if __name__ == "__main__":
    main()
