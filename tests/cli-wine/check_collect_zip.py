#!/usr/bin/env python3
"""Reads back the zip that the companion's Wine suite left in collect-journey/
with three readers of other people: Python's zipfile (every log file of the
prefix byte-identical, UTF-8 flag, DOS time), Info-ZIP's unzip -t and 7-Zip's
7z t. The redacted zip beside it holds no original (the user's and the
computer's names as about.txt gives them, the mail address, IP address and
host in the logs, the --redact-also term), and its map, beside it, gives
back every entry of the plain zip. Removes the folder when all of them agree."""
import glob
import re
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


def unmapped(data, tokens):
    return re.sub(rb"\[\[[a-z]+-\d+~[a-z0-9]{4}\]\]", lambda m: tokens.get(m.group(0), m.group(0)), data)


def unescaped(text):
    out, i = bytearray(), 0
    while i < len(text):
        if text[i:i + 1] != b"\\":
            out += text[i:i + 1]
            i += 1
        elif text[i + 1:i + 2] == b"x":
            out.append(int(text[i + 2:i + 4], 16))
            i += 4
        else:
            out += {b"t": b"\t", b"r": b"\r", b"n": b"\n"}.get(text[i + 1:i + 2], text[i + 1:i + 2])
            i += 2
    return bytes(out)


redacted, mapped = os.path.join(journey, "red.zip"), os.path.join(journey, "red.map.tsv")
check(os.path.exists(redacted) and os.path.exists(mapped), "no red.zip and red.map.tsv")
if not failures:
    with open(mapped, "rb") as f:
        lines = f.read().split(b"\r\n")
    check(lines[0] == b"token\toriginal", "map header: %r" % lines[0])
    tokens = dict((line.split(b"\t", 1)[0], unescaped(line.split(b"\t", 1)[1])) for line in lines[1:] if line)
    with zipfile.ZipFile(archive) as plain, zipfile.ZipFile(redacted) as z:
        check(z.testzip() is None, "red.zip: a CRC does not match")
        about = plain.read("about.txt").decode("utf-8")
        names = [re.search(r"^%s: +(.*?)\r$" % what, about, re.M).group(1) for what in ("Computer", "User")]
        words = [re.escape(n.encode("utf-8")) for n in names]
        hidden = rb"(?<![\w\x80-\xff])(%s)(?![\w\x80-\xff])|ann\.lee@example\.com|192\.168\.7\.9|mx1\.example\.org|mainsync" % b"|".join(words)
        check(sorted(z.namelist()) == sorted(plain.namelist()), "red.zip: %s" % z.namelist())
        # about.txt counts each kind in the map, its own tokens included.
        summary = z.read("about.txt").decode("utf-8").split("Redacted:")[-1]
        kinds = {"mail": "mail addresses", "user": "user names", "computer": "computer names",
                 "domain": "domain names", "ip": "IP addresses", "host": "host names", "term": "--redact-also terms"}
        for kind, words in kinds.items():
            count = sum(1 for token in tokens if token.startswith(b"[[" + kind.encode() + b"-"))
            check((" %s %d" % (words, count) in summary) if count else words not in summary,
                  "about.txt: %d %s, but %r" % (count, kinds[kind], summary))
        for name in z.namelist():
            data = z.read(name)
            codec = "utf-16-le" if name == "settings.reg" else "utf-8"
            text = data.decode(codec).encode("utf-8")
            found = re.search(hidden, text, re.I)
            check(found is None, "red.zip %s holds %r" % (name, found and found.group(0)))
            back = unmapped(text, tokens).decode("utf-8").encode(codec)
            original = plain.read(name)
            if name == "about.txt":
                # Written a moment later: the time may differ.
                back, original = (re.sub(rb"\r\nTime: [^\r]*", b"", t) for t in (back, original))
                check(back.startswith(original) and back[len(original):].startswith(b"Redacted:"),
                      "about.txt: %r" % back)
            else:
                check(back == original, "red.zip %s: the map does not give it back" % name)
for command in (["unzip", "-tqq", archive], ["7z", "t", archive]):
    run = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    check(run.returncode == 0, " ".join(command) + ": " + run.stdout.decode(errors="replace"))

for failure in failures:
    print("FAILED:", failure)
print("%d passed, %d failed" % (1 if not failures else 0, 1 if failures else 0))
if not failures:
    shutil.rmtree(journey)
sys.exit(1 if failures else 0)
