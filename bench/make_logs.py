#!/usr/bin/env python3
"""Writes a log folder like the connector's: FILES files of log text,
TOTAL_MIB mebibytes in all, named PREFIX-TIMESTAMP-HOST-PID.log. The lines
vary (times, threads, ids, counters) so that deflate finds what it finds in
real logs and no more."""
import os
import random
import sys

folder, total_mib, files = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
os.makedirs(folder, exist_ok=True)
rng = random.Random(2832)
areas = ["MainSync", "UI Thread", "GAL Sync", "Spooler", "HTTP", "Changes", "SAX", "FnAPI"]
verbs = ["opened", "read", "wrote", "skipped", "queued", "sent", "received", "closed", "retried"]
things = ["folder", "message", "contact", "calendar item", "attachment", "request", "response", "store"]
# A pool of lines to draw from keeps the generation quick; times, ids and
# counters are filled in per line.
pool = []
for _ in range(4096):
    pool.append("[%s] %s %s %%d {%08X-%04X} status=%d %s\n" % (
        rng.choice(areas), rng.choice(verbs), rng.choice(things), rng.getrandbits(32), rng.getrandbits(16),
        rng.choice([0, 0, 0, 1, 5, 87, 404]), "".join(rng.choice("abcdefghijklmnop") for _ in range(rng.randint(0, 40)))))
per_file = total_mib * 1024 * 1024 // files
for n in range(files):
    name = "kmx-20261208T%02d%02d%02d.%03d-OUTLOOK.EXE-%d.log" % (n // 3600 % 24, n // 60 % 60, n % 60, n, 2832 + n)
    parts, size, ms = [], 0, n * 1000000
    while size < per_file:
        ms += rng.randint(0, 40)
        line = "2026-12-08 %02d:%02d:%02d.%03d %5d " % (ms // 3600000 % 24, ms // 60000 % 60, ms // 1000 % 60,
                                                       ms % 1000, rng.randint(1000, 9999))
        line += rng.choice(pool) % rng.randint(0, 99999)
        parts.append(line)
        size += len(line)
    with open(os.path.join(folder, name), "w") as f:
        f.write("".join(parts)[:per_file])
