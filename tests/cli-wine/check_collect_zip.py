#!/usr/bin/env python3
"""Reads back the zip that the companion's Wine suite left in collect-journey/
with three readers of other people: Python's zipfile (every log file of the
prefix byte-identical, UTF-8 flag, DOS time), Info-ZIP's unzip -t and 7-Zip's
7z t. Removes the folder when all of them agree."""
import glob
import os
import shutil
import subprocess
import sys
import time
import zipfile

journey = sys.argv[1]
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


archive = os.path.join(journey, "out.zip")
if not os.path.exists(archive):
    print("no %s: the Wine suite did not write it" % archive)
    sys.exit(1)
folder = glob.glob(os.path.join(journey, "logs *", "KMXLogs"))[0]
expected = {"logs/" + name for name in os.listdir(folder)
            if name.lower().startswith("kmx") and os.path.isfile(os.path.join(folder, name))}
with zipfile.ZipFile(archive) as z:
    check(z.testzip() is None, "zipfile: a CRC does not match")
    names = {i.filename for i in z.infolist()}
    check(names == expected | {"settings.reg", "settings.json", "about.txt"}, "entries: %s" % sorted(names))
    for info in z.infolist():
        check(info.flag_bits & 0x800, "%s: no UTF-8 flag" % info.filename)
        if info.filename not in expected:
            continue
        path = os.path.join(folder, info.filename[5:])
        with open(path, "rb") as f:
            check(z.read(info) == f.read(), "%s: not byte-identical" % info.filename)
        stamp = time.localtime(os.path.getmtime(path))
        check(abs(time.mktime(info.date_time + (0, 0, -1)) - time.mktime(stamp)) <= 2,
              "%s: time %s" % (info.filename, info.date_time))
    about = z.read("about.txt").decode("utf-8")
    check("Log files:     4 stored" in about, "about.txt: " + about)
    check(z.read("settings.reg").startswith(b"\xff\xfeW"), "settings.reg is not what export writes")
for command in (["unzip", "-tqq", archive], ["7z", "t", archive]):
    run = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    check(run.returncode == 0, " ".join(command) + ": " + run.stdout.decode(errors="replace"))

for failure in failures:
    print("FAILED:", failure)
print("%d passed, %d failed" % (1 if not failures else 0, 1 if failures else 0))
if not failures:
    shutil.rmtree(journey)
sys.exit(1 if failures else 0)
