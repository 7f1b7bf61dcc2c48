#pragma once

class BenchTable;

// Publishing to a mosquitto broker on 127.0.0.1: lines per second from one
// node at QoS 1 until a subscriber has every one, and the program's
// processor time per MB received with publishing on and off.
void mqttBench(BenchTable &table, bool quick);
