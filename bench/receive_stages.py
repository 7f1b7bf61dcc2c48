"""Sorts perf samples of the window's thread into the receive path's stages.

Reads `perf script -F comm,tid,ip,sym` on stdin; counts only samples taken
while the benchmark's event loop ran the flood, and gives each to the stage
of the frame nearest the leaf that names one. Prints a Markdown table.
"""
import collections
import sys

window_thread = sys.argv[1]
stages = [
    ('painting', ['QWidgetRepaintManager', 'paintEvent', 'QWidgetPrivate::drawWidget']),
    ('line index and wrapping', ['PaneLayout', 'PaneLineIndex', 'RowWrap', 'LineBreakRule', 'PaneTimes']),
    ('copy into the pane store (and making its memory)', ['PaneStore::append', 'PaneStore::newBlock']),
    ('Hex text', ['ByteText::append']),
    ('reading the device (system calls)', ['SerialPortComponent::takeBatch', 'QSerialPortPrivate::readNotification',
                                           'TcpConnection::readAvailable', 'readFromPort']),
    ('receive path between (signals, checks, copies)', ['ChannelReceiver', 'Channel::onReceived', 'ChannelLink',
                                                        'SerialPortComponent', 'SocketComponent', 'TcpConnection']),
    ('event loop and poll', ['QEventLoop::exec']),
]
counts = collections.Counter()
total = 0


def count(thread, frames):
    global total
    if thread != window_thread or not frames:
        return
    stack = ' '.join(frames)
    if 'receiveCpuBench' not in stack or 'QEventLoop::exec' not in stack:
        return
    for frame in frames:
        for name, marks in stages:
            if any(mark in frame for mark in marks):
                counts[name] += 1
                total += 1
                return


thread, frames = None, []
for line in sys.stdin:
    if not line.strip():
        count(thread, frames)
        thread, frames = None, []
    elif not line.startswith(('\t', ' ')):
        fields = line.split()
        thread = fields[1].split('/')[-1] if len(fields) > 1 else None
        frames = []
    else:
        frames.append(line.strip())
count(thread, frames)

print('| stage | share of the window thread |')
print('|---|---|')
for name, _ in stages:
    print(f'| {name} | {100.0 * counts[name] / max(total, 1):.0f} % |')
print(f'({total} samples)')
