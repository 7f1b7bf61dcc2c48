#!/usr/bin/env python3
"""Twenty headless capture nodes on this machine, each reading 200 lines/s
from a 127.0.0.1 line source of its own, publish for 60 s into one mosquitto
broker (127.0.0.1, a configuration of this script's own); a persistent QoS 1
subscriber checks that every node's lines all arrived, in order.

    bench/mqtt_nodes.py [--nodes 20] [--rate 200] [--seconds 60] [--program PATH]

Prints one row for docs/performance.md."""

import argparse, json, os, pwd, signal, socket, subprocess, sys, tempfile, threading, time

parser = argparse.ArgumentParser()
parser.add_argument("--nodes", type=int, default=20)
parser.add_argument("--rate", type=int, default=200)
parser.add_argument("--seconds", type=int, default=60)
parser.add_argument("--program", default="build-bench/src/app/varnokterm")
args = parser.parse_args()


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_listening(port):
    for _ in range(500):
        try:
            socket.create_connection(("127.0.0.1", port), 0.2).close()
            return
        except OSError:
            time.sleep(0.02)
    sys.exit(f"nothing listens on 127.0.0.1:{port}")


finished = threading.Event()


def line_source(server, count, sent):
    """Serves one node: `count` numbered lines at args.rate lines/s, then
    keeps the connection open (a headless node ends with its last channel)
    until the subscriber has every line or the wait is over."""
    connection, _ = server.accept()
    interval = 1.0 / args.rate
    next_time = time.monotonic()
    for n in range(count):
        connection.sendall(b"line %08d T=23.4C\r\n" % n)
        next_time += interval
        delay = next_time - time.monotonic()
        if delay > 0:
            time.sleep(delay)
    sent.set()
    finished.wait(300)
    connection.close()


work = tempfile.mkdtemp(prefix="varnok-mqtt-nodes-")
broker_port = free_port()
with open(os.path.join(work, "mosquitto.conf"), "w") as conf:
    conf.write(f"listener {broker_port} 127.0.0.1\nallow_anonymous true\n"
               f"max_queued_messages 0\nmax_inflight_messages 0\nlog_dest none\n"
               f"user {pwd.getpwuid(os.geteuid()).pw_name}\n")
started = []  # every process this script starts, ended by its own id
broker = subprocess.Popen(["/usr/sbin/mosquitto", "-c", os.path.join(work, "mosquitto.conf")],
                          stderr=subprocess.DEVNULL)
started.append(broker)
try:
    wait_listening(broker_port)
    received = open(os.path.join(work, "received.txt"), "w")
    subscriber = subprocess.Popen(
        ["stdbuf", "-oL", "mosquitto_sub", "-h", "127.0.0.1", "-p", str(broker_port), "-q", "1", "-c",
         "-i", "nodes-bench", "-t", "varnokterm/+/1/rx"], stdout=received)
    started.append(subscriber)
    time.sleep(1)
    count = args.rate * args.seconds
    threads, nodes, sent = [], [], []
    for node in range(args.nodes):
        server = socket.create_server(("127.0.0.1", 0))
        source_port = server.getsockname()[1]
        sent.append(threading.Event())
        thread = threading.Thread(target=line_source, args=(server, count, sent[-1]), daemon=True)
        thread.start()
        threads.append(thread)
        setup = os.path.join(work, f"node{node}.vterm")
        with open(setup, "w") as f:
            f.write(f"[Channel1]\nOn=true\nPort=TCP\nHost=127.0.0.1\nSocket={source_port}\n"
                    f"[MQTT]\nPublish=true\nHost=127.0.0.1\nPort={broker_port}\n"
                    f"Node=node{node}\n")
        env = dict(os.environ, XDG_STATE_HOME=os.path.join(work, f"state{node}"))
        nodes.append(subprocess.Popen([args.program, "--headless", setup], env=env,
                                      stderr=open(os.path.join(work, f"node{node}.err"), "w")))
        started.append(nodes[-1])
    start = time.monotonic()
    for event in sent:
        event.wait()
    expected = args.nodes * count
    deadline = time.monotonic() + 120
    while time.monotonic() < deadline:
        received.flush()
        with open(os.path.join(work, "received.txt")) as f:
            if sum(1 for _ in f) >= expected:
                break
        time.sleep(1)
    took = time.monotonic() - start
    finished.set()
finally:
    for process in reversed(started):
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()

last, lost, disorder, repeats = {}, 0, 0, 0
lines = {}
with open(os.path.join(work, "received.txt")) as f:
    for text in f:
        message = json.loads(text)
        node, seq, line = message["node"], message["seq"], message["line"]
        if seq <= last.get(node, 0):
            repeats += 1
            continue
        last[node] = seq
        lines.setdefault(node, []).append(int(line.split()[1]))
for node in range(args.nodes):
    got = lines.get(f"node{node}", [])
    lost += count - len(set(got))
    disorder += sum(1 for a, b in zip(got, got[1:]) if b != a + 1)
print(f"| {args.nodes} headless nodes x {args.rate} lines/s for {args.seconds} s into one broker "
      f"(QoS 1, 127.0.0.1) | {args.nodes * count} lines; lost {lost}, out of order {disorder}, "
      f"repeats dropped {repeats}; all in {took:.1f} s | nothing lost | "
      f"{'yes' if lost == 0 and disorder == 0 else '**no**'} |")
