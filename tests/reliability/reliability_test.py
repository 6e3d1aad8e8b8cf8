#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reliability group: pcbhost and libDbx32 under load and hostile input.

Usage: reliability_test.py PCBHOST HIGHLIGHT_CLIENT SOURCE_DIR [CASE...]

Each case reproduces one way a hostile or unlucky environment treats the design tool and prints
its figure (clients served of N, time to fail, memory); it fails when the figure is not the one
wanted. Every wait is bounded, and every process started is ended.
"""
import os
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time

PCBHOST, HIGHLIGHT_CLIENT, SOURCE_DIR = sys.argv[1:4]
DEMO_JSON = os.path.join(SOURCE_DIR, "examples", "demo.json")
DEMO_COMPONENTS = 37

FRAME_MAGIC = 0x46584244
SNAPSHOT_REQUEST, SNAPSHOT_REPLY, HIGHLIGHT_REQUEST, HIGHLIGHT_REPLY, ERROR_REPLY = 1, 2, 3, 4, 5


class Failure(Exception):
    pass


def check(ok, what):
    if not ok:
        raise Failure(what)


def figure(case, text):
    print(f"  [{case}] {text}", flush=True)


def frame(kind, payload=b""):
    return struct.pack("<IHHI", FRAME_MAGIC, 1, kind, len(payload)) + payload


def read_exact(sock, n):
    data = b""
    while len(data) < n:
        chunk = sock.recv(n - len(data))
        if not chunk:
            raise ConnectionError("closed")
        data += chunk
    return data


def exchange(path, kind, payload=b"", timeout=5.0):
    """One request on a fresh connection; (reply type, payload)."""
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
        s.settimeout(timeout)
        s.connect(path)
        s.sendall(frame(kind, payload))
        magic, _version, reply, length = struct.unpack("<IHHI", read_exact(s, 12))
        check(magic == FRAME_MAGIC, "bad reply magic")
        return reply, read_exact(s, length)


class RuntimeDir:
    """A private XDG_RUNTIME_DIR; pcbhost's socket is dbx/pcb.sock in it."""

    def __init__(self):
        self.tmp = tempfile.TemporaryDirectory(prefix="partwise-reliability-")
        self.path = self.tmp.name
        os.chmod(self.path, 0o700)
        self.env = dict(os.environ, XDG_RUNTIME_DIR=self.path)
        self.env.pop("DISPLAY", None)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.socket = os.path.join(self.path, "dbx", "pcb.sock")

    def file(self, name, content):
        path = os.path.join(self.path, name)
        with open(path, "wb") as f:
            f.write(content)
        return path

    def close(self):
        self.tmp.cleanup()


class PcbHost:
    """pcbhost --headless FILE; its stdout lines are collected unless drain is False."""

    def __init__(self, runtime, design, drain=True, preexec=None):
        self.lines = []
        self.proc = subprocess.Popen(
            [PCBHOST, "--headless", design], env=runtime.env, stdin=subprocess.DEVNULL,
            stdout=subprocess.PIPE, stderr=subprocess.STDOUT if drain else subprocess.DEVNULL,
            preexec_fn=preexec)
        if drain:
            self.reader = threading.Thread(target=self._read, daemon=True)
            self.reader.start()

    def _read(self):
        for raw in self.proc.stdout:
            self.lines.append(raw.decode(errors="replace").rstrip("\n"))

    def wait_line(self, start, timeout=10.0):
        """The first output line that starts with `start`, or None after the timeout."""
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            for line in self.lines:
                if line.startswith(start):
                    return line
            if self.proc.poll() is not None and not self.reader.is_alive():
                break
            time.sleep(0.01)
        return None

    def wait_exit(self, timeout):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def end(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGCONT)
            self.proc.kill()
            self.proc.wait()

    def stop(self):
        """SIGSTOP, returning once every thread has stopped."""
        self.proc.send_signal(signal.SIGSTOP)
        tasks = f"/proc/{self.proc.pid}/task"
        end = time.monotonic() + 5
        while time.monotonic() < end:
            states = []
            for tid in os.listdir(tasks):
                try:
                    with open(f"{tasks}/{tid}/stat") as f:
                        states.append(f.read().rsplit(")", 1)[1].split()[0])
                except OSError:
                    pass
            if states and all(state in "tT" for state in states):
                return
            time.sleep(0.001)
        raise Failure("pcbhost did not stop")

    def rss_kib(self):
        with open(f"/proc/{self.proc.pid}/status") as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
        return -1


def serving(runtime, design=DEMO_JSON, **kw):
    host = PcbHost(runtime, design, **kw)
    if kw.get("drain", True):
        check(host.wait_line("serving ") is not None, "pcbhost did not start: %s" % host.lines)
    else:
        end = time.monotonic() + 10
        while not os.path.exists(runtime.socket) and time.monotonic() < end:
            time.sleep(0.01)
        time.sleep(0.1)
    return host


def case_simultaneous_opens(runtime, clients=200):
    host = serving(runtime)
    try:
        barrier = threading.Barrier(clients)
        results = [None] * clients

        def client(i):
            barrier.wait()
            start = time.monotonic()
            try:
                kind, payload = exchange(runtime.socket, SNAPSHOT_REQUEST, timeout=3.0)
                results[i] = (kind == SNAPSHOT_REPLY and len(payload) > 36,
                              time.monotonic() - start)
            except OSError:
                results[i] = (False, time.monotonic() - start)

        threads = [threading.Thread(target=client, args=(i,)) for i in range(clients)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        served = sum(1 for ok, _ in results if ok)
        slowest = max(t for _, t in results)
        figure("simultaneous opens", f"clients served: {served} of {clients}, "
               f"slowest {slowest * 1000:.0f} ms")
        check(served == clients, f"only {served} of {clients} clients were served")
    finally:
        host.end()


def case_slow_clients(runtime, slow=64):
    """Clients trickling one byte a second must cost only their own connections."""
    host = serving(runtime)
    sockets = []
    try:
        for _ in range(slow):
            s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
            s.connect(runtime.socket)
            sockets.append(s)
        request = frame(SNAPSHOT_REQUEST)
        started = time.monotonic()
        latencies = []
        closed_at = None
        sent = 0
        while time.monotonic() - started < 7.5:
            if sent < len(request):
                for s in sockets:
                    try:
                        s.send(request[sent:sent + 1])
                    except OSError:
                        if closed_at is None:
                            closed_at = time.monotonic() - started
                sent += 1
            t0 = time.monotonic()
            try:
                kind, _ = exchange(runtime.socket, SNAPSHOT_REQUEST, timeout=3.0)
                latencies.append(time.monotonic() - t0 if kind == SNAPSHOT_REPLY else None)
            except OSError:
                latencies.append(None)
            time.sleep(max(0.0, 1.0 - (time.monotonic() - t0)))
        served = sum(1 for x in latencies if x is not None)
        worst = max((x for x in latencies if x is not None), default=float("nan"))
        figure("slow clients", f"{slow} clients sending a byte a second: well-behaved requests "
               f"served {served} of {len(latencies)}, slowest {worst * 1000:.0f} ms; slow clients "
               f"dropped after {'%.1f s' % closed_at if closed_at else 'never (7.5 s watched)'}")
        check(served == len(latencies), "a well-behaved client was refused or timed out")
        check(worst < 3.0, "a well-behaved client waited past its deadline")
        check(closed_at is not None and closed_at < 7.0,
              "slow clients were held past the exchange deadline")
    finally:
        for s in sockets:
            s.close()
        host.end()


def case_endless_file(runtime):
    """A design file that is a link to /dev/zero or a FIFO: refused at start within a second."""
    for kind in ("link to /dev/zero", "FIFO"):
        path = os.path.join(runtime.path, "endless.kicad_pcb")
        if os.path.lexists(path):
            os.unlink(path)
        if kind == "FIFO":
            os.mkfifo(path)
        else:
            os.symlink("/dev/zero", path)
        host = PcbHost(runtime, path)
        started = time.monotonic()
        rc = host.wait_exit(5)
        took = time.monotonic() - started
        host.reader.join(1)
        message = next((l for l in host.lines if "pcbhost:" in l), "")
        host.end()
        figure("endless file", f"{kind}: " + (f"exit {rc} after {took * 1000:.0f} ms: {message}"
                                              if rc is not None else "still running after 5 s"))
        check(rc == 1 and took < 1.0, f"{kind} not refused within a second")
        check("regular file" in message, "the refusal does not say why")


def case_endless_reload(runtime):
    """The watched file swapped for a link to /dev/zero: reported, and SIGTERM still works."""
    design = runtime.file("board.json", open(DEMO_JSON, "rb").read())
    host = serving(runtime, design)
    try:
        tmp = design + ".tmp"
        os.symlink("/dev/zero", tmp)
        os.rename(tmp, design)
        started = time.monotonic()
        error = host.wait_line("error ", timeout=5)
        took = time.monotonic() - started
        kind, _ = exchange(runtime.socket, SNAPSHOT_REQUEST, timeout=3.0)
        host.proc.send_signal(signal.SIGTERM)
        t0 = time.monotonic()
        rc = host.wait_exit(3)
        ended = time.monotonic() - t0
        figure("endless reload", (f"reported after {took * 1000:.0f} ms ({error}); "
                                  if error else "not reported within 5 s; ") +
               (f"SIGTERM ended it in {ended * 1000:.0f} ms" if rc is not None
                else "SIGTERM ignored for 3 s") +
               f", socket {'left behind' if os.path.exists(runtime.socket) else 'removed'}")
        check(error is not None and "regular file" in error, "the swapped file was not refused")
        check(kind == SNAPSHOT_REPLY, "the last good design is no longer served")
        check(rc is not None and ended < 1.0, "SIGTERM did not end pcbhost within a second")
        check(not os.path.exists(runtime.socket), "the socket was left behind")
    finally:
        host.end()


def case_zero_byte_names(runtime):
    """A refdes holding a zero byte is refused with file, line and reason."""
    board = (b'(kicad_pcb (version 20221018) (generator test)\n'
             b' (footprint "R" (layer "F.Cu") (at 0 0)\n'
             b'  (fp_text reference "R1\x00X" (at 0 0) (layer "F.SilkS"))\n'
             b'  (pad "1" smd rect (at 0 0) (size 1 1) (layers "F.Cu"))))\n')
    path = runtime.file("zero.kicad_pcb", board)
    host = PcbHost(runtime, path)
    rc = host.wait_exit(10)
    host.reader.join(1)
    host.end()
    message = next((l for l in host.lines if "zero.kicad_pcb" in l), "")
    figure("zero-byte refdes", f"exit {rc}: {message}")
    check(rc == 1 and "zero.kicad_pcb:3:" in message, "a refdes with a zero byte was accepted")


def case_umask(runtime):
    """umask 0277: the socket directory is still made 0700, and later starts work too."""
    results = []
    for attempt in range(2):
        host = PcbHost(runtime, DEMO_JSON, preexec=lambda: os.umask(0o277))
        line = host.wait_line("serving ", timeout=5)
        host.proc.send_signal(signal.SIGTERM)
        host.wait_exit(3)
        host.end()
        results.append(line is not None)
        if line is None:
            figure("umask 0277", f"start {attempt + 1} failed: {host.lines}")
    mode = oct(os.stat(os.path.join(runtime.path, "dbx")).st_mode & 0o7777)
    figure("umask 0277", f"starts served: {sum(results)} of 2, directory mode {mode}")
    check(all(results) and mode == "0o700", "pcbhost refused its own socket directory")


def case_startup_race(runtime, tries=20):
    """Two pcbhosts over a stale socket: exactly one serves, the other exits 1 saying why."""
    both = neither = 0
    for _ in range(tries):
        os.makedirs(os.path.join(runtime.path, "dbx"), mode=0o700, exist_ok=True)
        if os.path.lexists(runtime.socket):
            os.unlink(runtime.socket)
        stale = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        stale.bind(runtime.socket)
        stale.close()
        hosts = [PcbHost(runtime, DEMO_JSON) for _ in range(2)]
        served = [h.wait_line("serving ", timeout=5) is not None for h in hosts]
        losers = [h for h, s in zip(hosts, served) if not s]
        for h in losers:
            if h.wait_exit(3) != 1 or not any("already serving" in l for l in h.lines):
                neither += 1
        both += all(served)
        for h in hosts:
            h.proc.send_signal(signal.SIGTERM)
            h.wait_exit(3)
            h.end()
    figure("start-up race", f"both served in {both} of {tries} tries; "
           f"a loser that did not exit 1 saying why: {neither}")
    check(both == 0 and neither == 0, "not exactly one pcbhost served")


def case_stdout_unread(runtime, highlights=20000):
    """Standard output that nobody reads: highlights, memory and SIGTERM stay bounded."""
    # Under AddressSanitizer freed memory waits in a quarantine; keep it small so that the figure
    # is the program's.
    asan = runtime.env.get("ASAN_OPTIONS", "")
    runtime.env["ASAN_OPTIONS"] = (asan + ":" if asan else "") + "quarantine_size_mb=1"
    host = serving(runtime, drain=False)
    try:
        rss_before = host.rss_kib()
        request = struct.pack("<IIiI", 0, 0, 10, 2) + b"R1"
        started = time.monotonic()
        ok = 0
        for _ in range(highlights):
            try:
                kind, payload = exchange(runtime.socket, HIGHLIGHT_REQUEST, request, timeout=3.0)
                ok += kind == HIGHLIGHT_REPLY and payload == b"\0\0\0\0"
            except OSError:
                pass
            if time.monotonic() - started > 30:
                break
        took = time.monotonic() - started
        rss_after = host.rss_kib()
        host.proc.send_signal(signal.SIGTERM)
        t0 = time.monotonic()
        rc = host.wait_exit(3)
        ended = time.monotonic() - t0
        figure("stdout unread", f"{ok} of {highlights} highlights answered in {took:.1f} s; "
               f"memory {rss_before // 1024} -> {rss_after // 1024} MiB; " +
               (f"SIGTERM ended it in {ended * 1000:.0f} ms" if rc is not None
                else "SIGTERM ignored for 3 s") +
               f", socket {'left behind' if os.path.exists(runtime.socket) else 'removed'}")
        check(rc is not None and ended < 1.0, "SIGTERM did not end pcbhost within a second")
        check(not os.path.exists(runtime.socket), "the socket was left behind")
        check(rss_after - rss_before < 16 * 1024, "memory grew with the unread output")
    finally:
        host.end()


class HighlightClient:
    """The library's side: a design opened now, its first component highlighted on go()."""

    def __init__(self, runtime, colour):
        self.proc = subprocess.Popen([HIGHLIGHT_CLIENT, colour], env=runtime.env,
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        check(self.proc.stdout.readline().strip() == "open", "the client could not open")

    def go(self):
        """(status, refdes, seconds) of the highlight."""
        started = time.monotonic()
        self.proc.stdin.write("go\n")
        self.proc.stdin.flush()
        answer = self.proc.stdout.readline().split()
        took = time.monotonic() - started
        self.proc.wait(10)
        check(len(answer) == 2, "the client gave no status")
        return int(answer[0]), answer[1], took


def case_stopped_tool(runtime):
    """A highlight whose request timed out while the tool was stopped is not applied later."""
    host = serving(runtime)
    try:
        client = HighlightClient(runtime, "cyan")
        host.stop()
        status, refdes, timed_out = client.go()
        host.proc.send_signal(signal.SIGCONT)
        late = host.wait_line("highlight ", timeout=1.5)
        fresh_status, _, _ = HighlightClient(runtime, "blue").go()
        fresh = host.wait_line("highlight " + refdes, timeout=3)
        figure("stopped tool", f"status {status} after {timed_out:.1f} s; after SIGCONT the "
               f"timed-out highlight was {'applied: ' + late if late else 'not applied'}")
        check(status == 3, "the stopped tool's highlight did not time out")
        check(late is None, "a timed-out highlight was applied later")
        check(fresh_status == 0 and fresh is not None and fresh.endswith("BLUE"),
              "a later highlight was not applied")
    finally:
        host.end()


CASES = {
    "simultaneous_opens": case_simultaneous_opens,
    "slow_clients": case_slow_clients,
    "endless_file": case_endless_file,
    "endless_reload": case_endless_reload,
    "zero_byte_names": case_zero_byte_names,
    "umask": case_umask,
    "startup_race": case_startup_race,
    "stdout_unread": case_stdout_unread,
    "stopped_tool": case_stopped_tool,
}


def main():
    chosen = sys.argv[4:] or list(CASES)
    failed = []
    for name in chosen:
        runtime = RuntimeDir()
        started = time.monotonic()
        try:
            CASES[name](runtime)
            verdict = "ok"
        except (Failure, OSError) as e:
            verdict = f"FAILED: {e}"
            failed.append(name)
        finally:
            runtime.close()
        print(f"{name}: {verdict} ({time.monotonic() - started:.1f} s)", flush=True)
    print(f"{len(chosen) - len(failed)} of {len(chosen)} cases hold" +
          (f"; failed: {', '.join(failed)}" if failed else ""))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
