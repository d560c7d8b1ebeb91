"""A network with Wi-Fi's jitter between the phone's page and padrelle.exe, as the
kernel here has no netem: a TCP proxy that holds each chunk it reads, either way, for
a drawn time (a normal spread around a mean, and now and then a stall) and releases
it no earlier than the chunk before it, as TCP keeps its order. Requests reach the
server with the Host and Origin the page would send it directly.

    with JitterProxy(listen_port, server_port) as proxy:
        ... http://127.0.0.1:{listen_port}/#CODE ...
"""
import random
import socket
import threading
import time


class JitterProxy:
    def __init__(self, port, server_port, mean_ms=10.0, spread_ms=5.0, stall_ms=60.0,
                 stall_every=500, seed=40):
        self.port, self.server_port = port, server_port
        self.mean, self.spread = mean_ms / 1000.0, spread_ms / 1000.0
        self.stall, self.stall_every = stall_ms / 1000.0, stall_every
        self.random = random.Random(seed)
        self.draw_lock = threading.Lock()
        self.listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.listener.bind(("127.0.0.1", port))
        self.listener.listen(64)
        self.stopping = False
        self.chunks = 0
        self.stalls = 0

    def delay(self):
        """A chunk's time in the network: normal around the mean, never below a tenth
        of a millisecond, and one chunk in stall_every (on average) stalled besides."""
        with self.draw_lock:
            held = max(0.0001, self.random.gauss(self.mean, self.spread))
            stalled = self.random.random() < 1.0 / self.stall_every
            self.chunks += 1
            self.stalls += 1 if stalled else 0
        return held + (self.stall if stalled else 0.0)

    def __enter__(self):
        self.accepting = threading.Thread(target=self.accept, daemon=True)
        self.accepting.start()
        return self

    def __exit__(self, *exc):
        self.stopping = True
        # The accept under way ends, and with it the listener: its port is free again.
        try:
            self.listener.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        self.listener.close()
        self.accepting.join(timeout=5)

    def accept(self):
        while not self.stopping:
            try:
                client, _ = self.listener.accept()
            except OSError:
                return
            try:
                server = socket.create_connection(("127.0.0.1", self.server_port), timeout=5)
            except OSError:
                client.close()
                continue
            for sock in (client, server):
                sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
                sock.settimeout(None)
            Way(self, client, server, self.rewrite).start()
            Way(self, server, client, None).start()

    def rewrite(self, head):
        """The request's head as the page would send it to the server itself."""
        ours = f"127.0.0.1:{self.port}".encode()
        theirs = f"127.0.0.1:{self.server_port}".encode()
        return head.replace(b"Host: " + ours, b"Host: " + theirs).replace(
            b"Origin: http://" + ours, b"Origin: http://" + theirs)


class Way:
    """One direction of a connection: a reader that times each chunk as it comes and a
    writer that sends it when its time comes, in order."""

    def __init__(self, proxy, source, sink, rewrite):
        self.proxy, self.source, self.sink, self.rewrite = proxy, source, sink, rewrite
        self.queue = []
        self.ready = threading.Condition()
        self.ended = False
        self.head = b""

    def start(self):
        threading.Thread(target=self.read, daemon=True).start()
        threading.Thread(target=self.write, daemon=True).start()

    def read(self):
        last = 0.0
        while True:
            try:
                chunk = self.source.recv(65536)
            except OSError:
                chunk = b""
            if chunk and self.rewrite is not None:
                # The head of the one request a connection carries (no keep-alive).
                self.head += chunk
                if b"\r\n\r\n" not in self.head and len(self.head) < 8192:
                    continue
                chunk, self.head, self.rewrite = self.rewrite(self.head), b"", None
            # Released no earlier than the chunk before: TCP keeps its order.
            release = max(time.monotonic() + self.proxy.delay(), last) if chunk else last
            last = release
            with self.ready:
                self.queue.append((release, chunk))
                self.ready.notify()
            if not chunk:
                return

    def write(self):
        while True:
            with self.ready:
                while not self.queue:
                    self.ready.wait()
                release, chunk = self.queue.pop(0)
            wait = release - time.monotonic()
            if wait > 0:
                time.sleep(wait)
            try:
                if not chunk:
                    self.sink.shutdown(socket.SHUT_WR)
                    return
                self.sink.sendall(chunk)
            except OSError:
                self.source.close()
                return
