#!/usr/bin/env python3
"""Writes the seed corpus of reg_file_fuzzer into fuzz/regfile-corpus/.

Each seed is a registry editor file in one of the encodings and forms the
reader takes (and a few it refuses), so the fuzzer starts from every branch.
"""
import pathlib

from make_seeds import write_corpus

HERE = pathlib.Path(__file__).resolve().parent
V5 = "Windows Registry Editor Version 5.00"
KEY = "HKEY_CURRENT_USER\\Software\\Korvex\\Logging"


def utf16(text):
    return b"\xff\xfe" + text.encode("utf-16-le")


def crlf(*lines):
    return "\r\n".join(lines) + "\r\n"


def hex_list(data):
    return ",".join(f"{b:02x}" for b in data)


def seeds():
    yield "export-utf16", utf16(crlf(V5, "", f"[{KEY}]", '"Enabled"=dword:00000001',
                                     '"FileName"="C:\\\\Logs\\\\\\"kmx\\""', '"MaxAgeDays"=dword:ffffffff',
                                     '"Wide"="\U0001F600 caf\u00e9"', ""))
    yield "reg-sz-bytes-utf16", utf16(crlf(V5, "", f"[{KEY}]", '"FileName"=hex(1):43,00,0d,00,0a,00,\\',
                                           "  78,00,00,00", ""))
    yield "utf8-bom", b"\xef\xbb\xbf" + crlf(V5, "", "[K\u00e9]", '@="\U0001F600"').encode("utf-8")
    yield "ansi", crlf(V5, "", "[K]", '"caf\xe9"="\x80 \x81"').encode("latin-1")
    yield "regedit4-lf", b"REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Korvex]\n\"isBES\"=dword:1\n"
    yield "cr-only", f'{V5}\r\r[K]\r"a"=DWORD:0000ABcd\r"b"=hex:\r'.encode()
    yield "hex-continuation", crlf(V5, "", "[K]", f'"b"=hex:{hex_list(range(30))},\\',
                                   f"  {hex_list(range(30, 40))}", '"e"=hex(2):41,00,00,00',
                                   '"m"=hex(7):41,00,00,00,00,00,', '"q"=hex(b):01,00,00,00,00,00,00,00',
                                   '"n"=hex(0):').encode()
    yield "deletions", crlf(V5, "", "[-K\\Old]", "[K]", '"x"=-', "@=-", '@=""').encode()
    yield "comments-and-blanks", ("\r\n  " + crlf(V5, "; exported by hand", " [K]x] ",
                                                   '  "a" = "v;" ; note', '"b"=dword:1;c', "")).encode()
    yield "refused-escape", crlf(V5, "", "[K]", '"FileName"="C:\\Temp\\kmx"').encode()
    yield "refused-dword", crlf(V5, "", "[K]", '"a"=dword:000000001').encode()


def main():
    write_corpus(HERE / "regfile-corpus", seeds())


if __name__ == "__main__":
    main()
