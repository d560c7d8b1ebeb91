"""The phone's way in to the controller's server while other devices do their worst,
on the program players run: other devices are other source addresses of 127.0.0.0/8,
the phone 127.0.0.9. Each attack runs for a while before the phone connects, and goes
on until its handshake is answered; the figure is the time from the phone's connect
to the server's answer.

Used by the phone's part; on its own, against a server already running:
    python3 scripts/e2e_inside/admission.py PORT CODE
"""
import base64
import os
import socket
import sys
import threading
import time

ATTACKERS = ["127.0.0.2", "127.0.0.3", "127.0.0.4", "127.0.0.5"]
FLOODERS = [f"127.0.1.{i}" for i in range(1, 41)]
# Other devices of the phone's own network, each with an address of its own.
NEIGHBOURS = [f"127.0.{4 + i // 256}.{i % 256}" for i in range(1, 301)]
PHONE = "127.0.0.9"


def connect_from(address, port, timeout=5.0):
    sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, b"\x01\x00\x00\x00\x00\x00\x00\x00")
    sock.bind((address, 0))
    sock.settimeout(timeout)
    sock.connect(("127.0.0.1", port))
    return sock


def handshake(sock, port, code):
    """The page's WebSocket request; the answer's status line."""
    key = base64.b64encode(os.urandom(16)).decode()
    sock.sendall((f"GET /socket?code={code} HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\n"
                  f"Origin: http://127.0.0.1:{port}\r\nUpgrade: websocket\r\n"
                  f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\n"
                  f"Sec-WebSocket-Version: 13\r\n\r\n").encode())
    answer = b""
    while b"\r\n" not in answer:
        got = sock.recv(256)
        if not got:
            break
        answer += got
    return answer.split(b"\r\n", 1)[0].decode("latin-1")


def phone_gets_in(port, code):
    """Seconds from the phone's connect to its handshake's answer, and that answer."""
    started = time.monotonic()
    try:
        sock = connect_from(PHONE, port, timeout=10.0)
        status = handshake(sock, port, code)
        sock.close()
    except OSError as error:
        status = f"no answer ({error})"
    return time.monotonic() - started, status


class Attack:
    """Connections from other addresses, kept up by a thread of their own."""

    def __init__(self, port, code, kind, count):
        self.port, self.code, self.kind, self.count = port, code, kind, count
        self.stop = threading.Event()
        self.thread = threading.Thread(target=self.run, daemon=True)

    def open(self, i):
        try:
            address = NEIGHBOURS[i] if self.kind == "spread" else ATTACKERS[i % len(ATTACKERS)]
            sock = connect_from(address, self.port)
            sock.setblocking(False)
            return sock
        except OSError:
            return None

    def run(self):
        if self.kind == "flood":
            self.flood()
            return
        socks = [self.open(i) for i in range(self.count)]
        next_byte = time.monotonic()
        while not self.stop.wait(0.02):
            if self.kind == "slow" and time.monotonic() >= next_byte:
                next_byte += 1.0
                for sock in socks:
                    try:
                        if sock:
                            sock.send(b"G")
                    except OSError:
                        pass
            if self.kind == "renew":
                for i, sock in enumerate(socks):
                    if sock is None or closed(sock):
                        if sock:
                            sock.close()
                        socks[i] = self.open(i)
        for sock in socks:
            if sock:
                sock.close()

    def flood(self):
        """Each address gives a wrong code again and again, as fast as it is answered."""
        self.answered = 0
        started = time.monotonic()

        def one(address):
            wrong = "z" * 12 if self.code != "z" * 12 else "y" * 12
            while not self.stop.is_set():
                try:
                    sock = connect_from(address, self.port, timeout=2.0)
                    if handshake(sock, self.port, wrong).split(" ")[1:2] in (["403"], ["429"]):
                        self.answered += 1
                    sock.close()
                except OSError:
                    time.sleep(0.05)
        workers = [threading.Thread(target=one, args=(a,), daemon=True) for a in FLOODERS]
        for worker in workers:
            worker.start()
        for worker in workers:
            worker.join()
        self.per_second = self.answered / (time.monotonic() - started)

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.stop.set()
        self.thread.join(timeout=10)


def closed(sock):
    try:
        return sock.recv(1) == b""
    except BlockingIOError:
        return False
    except OSError:
        return True


ATTACKS = [
    ("300 idle connections", "idle", 300),
    ("300 idle connections from 300 addresses", "spread", 300),
    ("50 sending a byte a second", "slow", 50),
    ("40 idle ones renewed as they drop", "renew", 40),
    ("40 addresses flooding wrong codes", "flood", 40),
]


def measure(port, code, lead=1.5, tries=3):
    """For each attack: the phone's handshake times (seconds) over a few tries and their
    answers."""
    results = []
    for what, kind, count in ATTACKS:
        with Attack(port, code, kind, count) as attack:
            time.sleep(lead)
            times, answers = [], []
            for _ in range(tries):
                seconds, status = phone_gets_in(port, code)
                times.append(seconds)
                answers.append(status)
                time.sleep(0.2)
        if kind == "flood":
            what += f" ({attack.per_second:.0f} wrong codes answered a second)"
        results.append((what, times, answers))
        time.sleep(1.5)  # the attack's connections cut before the next
    return results


if __name__ == "__main__":
    for what, times, answers in measure(int(sys.argv[1]), sys.argv[2]):
        print(f"{what}: {', '.join(f'{t * 1000:.0f} ms' for t in times)} {set(answers)}")
