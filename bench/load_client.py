#!/usr/bin/env python3
"""Load client of bench/load: CLIENTS threads share REQUESTS requests to BASE.

Kinds, in turn: a read-only code (/vb.htm?softversion), a motion save (/6117,
client k owns channel k % 64 and sends a rising interval) and the user list
(/6070). Every answer is checked; at the end each channel's last saved
interval is read back with /6010. Prints requests/s and p50/p99/max per kind,
wrong answers and lost writes; exit status 1 when any answer was wrong or any
write lost.
"""
import http.client
import json
import sys
import threading
import time
import urllib.parse

CHANNELS = 64
KINDS = ("read", "write", "users")


def percentile(sorted_ms, p):
    """Nearest-rank percentile of a sorted list (0 when empty)."""
    if not sorted_ms:
        return 0.0
    rank = max(1, -(-len(sorted_ms) * p // 100))
    return sorted_ms[int(rank) - 1]


class Client:
    def __init__(self, host, port, prefix):
        self.host, self.port, self.prefix = host, port, prefix
        self.conn = None

    def call(self, method, code, query="", body=None):
        """(status, body text); a new connection when the last one broke."""
        path = self.prefix + code + ("?" + query if query else "")
        headers = {"Content-Type": "application/json"} if body is not None else {}
        for attempt in (0, 1):
            if self.conn is None:
                self.conn = http.client.HTTPConnection(self.host, self.port, timeout=60)
            try:
                self.conn.request(method, path, body=body, headers=headers)
                resp = self.conn.getresponse()
                return resp.status, resp.read().decode("utf-8", "replace")
            except (http.client.HTTPException, ConnectionError):
                self.conn.close()
                self.conn = None
                if attempt:
                    raise
        raise AssertionError("unreachable")


def check_read(status, text):
    return status == 200 and text.strip() != "" and "ERROR" not in text


def check_users(status, text):
    if status != 200:
        return False
    try:
        users = json.loads(text)
    except ValueError:
        return False
    return isinstance(users, list) and any(u.get("name") == "admin" for u in users)


def run(base, clients, requests):
    url = urllib.parse.urlsplit(base)
    lock = threading.Lock()
    next_req = [0]
    times = {k: [] for k in KINDS}
    wrong = []
    last_saved = {}  # client -> (channel, interval)

    def worker(k):
        cl = Client(url.hostname, url.port, url.path)
        chn = k % CHANNELS
        while True:
            with lock:
                n = next_req[0]
                if n >= requests:
                    return
                next_req[0] += 1
            kind = KINDS[n % len(KINDS)]
            t0 = time.perf_counter()
            if kind == "read":
                st, text = cl.call("GET", "/vb.htm", "softversion")
                ok = check_read(st, text)
            elif kind == "write":
                value = n + 1
                body = json.dumps({"chnid": chn, "interval": value})
                st, text = cl.call("POST", "/6117", body=body)
                ok = st == 200 and text == "OK"
            else:
                st, text = cl.call("GET", "/6070")
                ok = check_users(st, text)
            ms = (time.perf_counter() - t0) * 1000
            with lock:
                times[kind].append(ms)
                if not ok:
                    wrong.append("%s: %d %r" % (kind, st, text[:80]))
                elif kind == "write":
                    last_saved[k] = (chn, value)

    t0 = time.perf_counter()
    threads = [threading.Thread(target=worker, args=(k,)) for k in range(clients)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    elapsed = time.perf_counter() - t0

    # Clients sharing a channel (more than 64 clients) leave any of their last values.
    expected = {}
    for chn, value in last_saved.values():
        expected.setdefault(chn, set()).add(value)
    lost = []
    cl = Client(url.hostname, url.port, url.path)
    for chn, values in sorted(expected.items()):
        st, text = cl.call("POST", "/6010", body=json.dumps({"chnid": chn}))
        try:
            got = json.loads(text).get("interval") if st == 200 else None
        except ValueError:
            got = None
        if got not in values:
            lost.append("channel %d: stored %r, last saved %s" % (chn, got, sorted(values)))

    total = sum(len(v) for v in times.values())
    print("%d requests, %d clients: %.0f requests/s (%.2f s)" %
          (total, clients, total / elapsed, elapsed))
    print("%-6s %6s %9s %9s %9s" % ("kind", "count", "p50 ms", "p99 ms", "max ms"))
    for kind in KINDS:
        ms = sorted(times[kind])
        print("%-6s %6d %9.1f %9.1f %9.1f" %
              (kind, len(ms), percentile(ms, 50), percentile(ms, 99), ms[-1] if ms else 0))
    print("wrong answers: %d" % len(wrong))
    for w in wrong[:10]:
        print("  " + w)
    print("lost writes: %d (of %d channels read back)" % (len(lost), len(expected)))
    for w in lost[:10]:
        print("  " + w)
    return 1 if wrong or lost else 0


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: load_client.py BASE_URL CLIENTS REQUESTS")
    clients, requests = int(sys.argv[2]), int(sys.argv[3])
    if clients < 1 or requests < 1:
        sys.exit("CLIENTS and REQUESTS must be at least 1")
    sys.exit(run(sys.argv[1], clients, requests))


if __name__ == "__main__":
    main()
