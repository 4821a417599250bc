#!/usr/bin/env python3
"""Writes a log folder like the connector's: FILES files of log text,
TOTAL_MIB mebibytes in all, named PREFIX-TIMESTAMP-HOST-PID.log. The lines
vary (times, threads, ids, counters) so that deflate finds what it finds in
real logs and no more. About one line in twenty names people and machines
(mail addresses, host names, IP addresses, mailbox names), as real logs do;
they come from a second random source, so the other lines stay the same."""
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
# Lines that name people and machines, drawn by their own random source.
people_rng = random.Random(1015)
people = ["%s.%s" % (a, b) for a in ["anna", "ben", "chen", "dana", "erik", "fatima", "george", "hana"]
          for b in ["meyer", "smith", "tanaka", "olsen", "garcia", "novak"]]
domains = ["contoso.com", "fabrikam.local", "corp.example.org"]
named = [
    "[Spooler] sent message to %(mail)s via %(host)s (%(ip)s)\n",
    "[HTTP] POST https://%(host)s/ews/exchange.asmx from %(ip)s status=200\n",
    "[GAL Sync] resolved /o=Contoso/ou=Exchange Administrative Group (FYDIBOHF23SPDLT)/cn=Recipients/cn=%(alias)s\n",
    "[MainSync] store of %(mail)s opened on %(host)s [%(ip6)s]:443\n",
]


def named_line():
    person = people_rng.choice(people)
    domain = people_rng.choice(domains)
    return people_rng.choice(named) % {
        "mail": "%s@%s" % (person, domain), "alias": person.replace(".", ""),
        "host": "mail%02d.%s" % (people_rng.randint(1, 12), domain),
        "ip": "10.%d.%d.%d" % (people_rng.randint(0, 255), people_rng.randint(0, 255), people_rng.randint(1, 254)),
        "ip6": "fd00::%x:%x" % (people_rng.getrandbits(16), people_rng.getrandbits(16))}


per_file = total_mib * 1024 * 1024 // files
for n in range(files):
    name = "kmx-20261208T%02d%02d%02d.%03d-OUTLOOK.EXE-%d.log" % (n // 3600 % 24, n // 60 % 60, n % 60, n, 2832 + n)
    parts, size, ms = [], 0, n * 1000000
    while size < per_file:
        ms += rng.randint(0, 40)
        line = "2026-12-08 %02d:%02d:%02d.%03d %5d " % (ms // 3600000 % 24, ms // 60000 % 60, ms // 1000 % 60,
                                                       ms % 1000, rng.randint(1000, 9999))
        line += rng.choice(pool) % rng.randint(0, 99999)
        if people_rng.random() < 0.05:
            line += line[:30] + named_line()
        parts.append(line)
        size += len(line)
    with open(os.path.join(folder, name), "w") as f:
        f.write("".join(parts)[:per_file])
