#!/usr/bin/env python3
"""The relay's example firewall (relay/nftables.conf) as the kernel runs it, in a network
namespace of the test's own, so that the machine's own firewall and ports stay untouched: a
broker listens on the relay's ports there, and connections from loopback addresses of the
test's choosing meet the rules, their limits on open connections made small (3 from one address,
5 in all) and the rate of new ones as it stands (30 at once, then 20 a minute).

    firewall_test.py RULES
Exits 77 (skipped) where no namespace can be made or nftables is missing."""
import errno
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

SKIP = 77


def skip(why):
    print(f"SKIP: {why}")
    sys.exit(SKIP)


def fail(why):
    print(f"FAIL: {why}", file=sys.stderr)
    sys.exit(1)


def into_namespace():
    """Runs this test again in a network namespace of its own: as root, or as a user in a user
    namespace of its own where the system allows one."""
    if os.environ.get("KB_IN_NAMESPACE") == "1":
        return
    os.environ["KB_IN_NAMESPACE"] = "1"
    for how in ("-n", "-rn"):
        if subprocess.run(["unshare", how, "true"], capture_output=True).returncode == 0:
            os.execvp("unshare", ["unshare", how, sys.executable] + sys.argv)
    skip("no network namespace can be made here (as root, or with user namespaces)")


class Connections:
    """Connections from chosen loopback addresses, each taken, refused (a reset) or dropped (no
    answer within a second); those held stay open until released."""

    def __init__(self):
        self.held = []

    def attempt(self, source, port, hold=False, target=None):
        family = socket.AF_INET6 if ":" in source else socket.AF_INET
        s = socket.socket(family, socket.SOCK_STREAM)
        s.settimeout(1)
        try:
            s.bind((source, 0))
            s.connect((target or ("::1" if family == socket.AF_INET6 else "127.0.0.1"), port))
        except socket.timeout:
            s.close()
            return "dropped"
        except OSError as e:
            s.close()
            if e.errno == errno.ECONNREFUSED:
                return "refused"
            raise
        if hold:
            self.held.append(s)
        else:
            s.close()
        return "taken"

    def release(self):
        for s in self.held:
            s.close()
        self.held = []
        time.sleep(0.2)


def expect(want, got, what):
    if want != got:
        fail(f"{what}: expected {want}, got {got}")


def main():
    rules_file = os.path.realpath(sys.argv[1])
    os.environ["PATH"] += ":/usr/sbin"
    for tool in ("nft", "mosquitto", "ip"):
        if not shutil.which(tool):
            skip(f"{tool} is not installed (make test installs it)")
    into_namespace()
    subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
    rules = open(rules_file).read()
    small = rules.replace("ct count over 64 }", "ct count over 3 }").replace(
        "ct state new ct count over 20000 ", "ct state new ct count over 5 ")
    if small.count("ct count over 3 }") != 2 or "ct count over 5 " not in small:
        fail(f"the limits in {rules_file} are not where this test looks for them")
    work = tempfile.mkdtemp()
    os.chmod(work, 0o755)
    broker = None
    try:
        with open(os.path.join(work, "rules"), "w") as f:
            f.write(small)
        loaded = subprocess.run(["nft", "-f", os.path.join(work, "rules")], capture_output=True,
                                text=True)
        if loaded.returncode != 0:
            fail(f"nft does not take {rules_file}: {loaded.stderr}")
        conf = os.path.join(work, "broker.conf")
        with open(conf, "w") as f:
            # Staying root where it was started as root, for port 443.
            f.write("user root\nlistener 1883\nlistener 8883\nlistener 443\n"
                    "listener 9001\nprotocol websockets\nallow_anonymous true\n")
        os.chmod(conf, 0o644)
        broker = subprocess.Popen(["mosquitto", "-c", conf], stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        # Ready: the WebSocket port is not under the rate of new connections.
        c = Connections()
        for _ in range(50):
            if c.attempt("127.0.0.1", 9001) == "taken":
                break
            time.sleep(0.1)
        else:
            fail("the broker did not start")

        # Three open at once from one address, on any of the relay's ports; the fourth is
        # refused; a place is free again once one closes.
        got = [c.attempt("127.0.0.2", port, hold=True) for port in (1883, 8883, 443, 1883)]
        expect(["taken"] * 3 + ["refused"], got, "open at once from one address")
        c.held.pop(0).close()
        time.sleep(0.2)
        expect("taken", c.attempt("127.0.0.2", 1883, hold=True), "after one closed")
        expect("taken", c.attempt("127.0.0.3", 1883, hold=True), "another address")
        c.release()

        # Five open at once in all, from five addresses; the sixth is refused.
        got = [c.attempt(f"127.0.1.{i}", 1883, hold=True) for i in range(1, 7)]
        expect(["taken"] * 5 + ["refused"], got, "open at once in all")
        c.release()

        # From a fresh address, 30 new connections at once and then one every 3 seconds: the
        # 31st (or, if the test took three seconds, the 32nd) is dropped. Another address is
        # still served, and the relay's WebSocket port from this machine is never limited.
        got = []
        while len(got) < 40 and "dropped" not in got:
            got.append(c.attempt("127.0.2.1", 8883))
        first_drop = got.index("dropped") + 1 if "dropped" in got else None
        if first_drop not in (31, 32):
            fail(f"new connections from one address: the first dropped was {first_drop}: {got}")
        expect("taken", c.attempt("127.0.2.2", 8883), "another address during a flood")
        expect("taken", c.attempt("127.0.2.1", 9001), "the WebSocket port from this machine")

        # IPv6 has the same limits, where the namespace has it.
        try:
            got = [c.attempt("::1", 1883, hold=True) for _ in range(4)]
            expect(["taken"] * 3 + ["refused"], got, "open at once from one IPv6 address")
        except OSError as e:
            if e.errno not in (errno.EADDRNOTAVAIL, errno.EAFNOSUPPORT, errno.ENETUNREACH):
                raise
            print("no IPv6 in this namespace: its rules are loaded, not tried")
        c.release()
    finally:
        if broker:
            broker.terminate()
            broker.wait()
        shutil.rmtree(work, ignore_errors=True)
    print("firewall: limits of open connections by address and in all, and of new ones by "
          "address, as the kernel runs them")


if __name__ == "__main__":
    main()
