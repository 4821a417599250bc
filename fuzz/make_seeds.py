#!/usr/bin/env python3
"""Writes the seed corpus of load_save_fuzzer into fuzz/corpus/.

Each seed is one flags byte, then records of selector, type, 16-bit length
and data, as fuzz/LoadSaveFuzzer.cpp reads them. The setting names come from
settings/SettingList.h, so the selectors follow the catalogue order.
"""
import pathlib
import re
import struct

HERE = pathlib.Path(__file__).resolve().parent
SETTINGS = re.findall(r"^\s+X\((\w+),", (HERE.parent / "settings" / "SettingList.h").read_text(), re.M)
assert len(SETTINGS) == 57, len(SETTINGS)

SHOW_APP_DUMP, VERBOSE_LOGGING, IS_BES, UNKNOWN = 57, 58, 59, 61
LOWER_CASE = 0x40

# Type bytes: an index into the harness's table of REG_* types.
NONE, SZ, EXPAND_SZ, BINARY, DWORD, DWORD_BE, MULTI_SZ, QWORD = range(8)

LOGGING_KEY, BES_VARIANT, KORVEX_READ_ONLY, LOGGING_READ_ONLY = 1, 2, 4, 8

FACTORY = {
    "Enabled": 0, "EnableRoll": 1, "MaxFileSizeMB": 10, "KeepLogging": 1, "EnableMaxDirSize": 0,
    "MaxDirSizeMB": 100, "EnableMaxAge": 1, "MaxAgeDays": 7, "EnableAppDump": 0,
    "ThreadHTTPCallback": 0, "LogToDbgWin": 0, "PrettyPrint": 0, "MaxCallDepth": 100,
    "AreaSAX": 0, "AreaStream": 0, "AreaProg": 0, "AreaMsgMpr": 0, "DetailFnDetailed": 0,
    "DetailFnIUnknown": 0, "DetailFnCtorDtor": 0, "DetailCmntRows": 0, "DetailCmntIUnknown": 0,
    "DetailCmntSAX": 0, "DetailCmntStoreInfo": 0, "DetailCmntFolderInfo": 0,
    "DetailCmntMsgInfo": 0, "DetailCmntRestrictions": 0,
}


def selector(name):
    if name in SETTINGS:
        return SETTINGS.index(name)
    return {"ShowAppDump": SHOW_APP_DUMP, "verboseLogging": VERBOSE_LOGGING, "isBES": IS_BES}[name]


def record(sel, type_byte, data):
    return bytes([sel, type_byte]) + struct.pack("<H", len(data)) + data


def value(name, type_byte, data):
    return record(selector(name), type_byte, data)


def dword(name, number, type_byte=DWORD):
    return value(name, type_byte, struct.pack("<I", number & 0xFFFFFFFF))


def qword(name, number):
    return value(name, QWORD, struct.pack("<Q", number & 0xFFFFFFFFFFFFFFFF))


def text(name, string, terminated=True, type_byte=SZ):
    return value(name, type_byte, (string + ("\0" if terminated else "")).encode("utf-16-le"))


def complete_key(file_name="C:\\Logs\\kmx", **overrides):
    """Every setting stored readably, factory values unless overridden."""
    records = []
    for name in SETTINGS:
        if name == "FileName":
            records.append(text(name, file_name))
        else:
            records.append(dword(name, overrides.get(name, FACTORY.get(name, 1))))
    return b"".join(records)


def seeds():
    long_dir = "D:\\" + "d" * 240 + "\\"
    yield "first-start", b""
    yield "empty-key", bytes([LOGGING_KEY])
    yield "complete-key", bytes([0]) + complete_key() + dword("ShowAppDump", 1)
    yield "complete-key-bes", bytes([BES_VARIANT]) + complete_key(ThreadLanes=0)
    yield "filename-259", bytes([0]) + text("FileName", long_dir + "p" * (259 - len(long_dir)))
    yield "filename-260", bytes([0]) + text("FileName", long_dir + "p" * (260 - len(long_dir)))
    yield "filename-260-unterminated", bytes([0]) + text(
        "FileName", long_dir + "p" * (260 - len(long_dir)), terminated=False) + dword("ThreadMain", 2)
    yield "filename-no-backslash", bytes([0]) + text("FileName", "kmx")
    yield "filename-trailing-backslashes", bytes([0]) + text("FileName", "D:\\Logs\\\\\\kmx")
    yield "filename-empty-prefix", bytes([0]) + text("FileName", "C:\\Logs\\")
    yield "filename-empty-directory", bytes([0]) + text("FileName", "\\kmx")
    yield "filename-odd-bytes", bytes([0]) + value("FileName", BINARY, b"C\0:\0\\\0k\0m\0x\0\0\0Z")
    yield "maxfilesize-0-and-negative", bytes([0]) + dword("MaxFileSizeMB", 0) + dword(
        "MaxDirSizeMB", 0) + dword("MaxAgeDays", -5)
    yield "limits-too-long", bytes([0]) + dword("MaxAgeDays", 1234) + dword("MaxDirSizeMB", 10000)
    yield "size-rule-broken", bytes([0]) + dword("MaxFileSizeMB", 11) + dword("MaxDirSizeMB", 100)
    yield "qword-values", bytes([0]) + qword("Enabled", 1) + qword("MaxCallDepth", 50) + qword(
        "ShowAppDump", 1)
    yield "short-values", bytes([0]) + value("Enabled", DWORD, b"\x01") + value(
        "ThreadMain", BINARY, b"") + value("MaxAgeDays", DWORD_BE, b"\x09\x00\x00")
    yield "showappdump-0", bytes([0]) + dword("ShowAppDump", 0) + dword("EnableAppDump", 1)
    yield "showappdump-1", bytes([0]) + dword("ShowAppDump", 1) + dword("EnableAppDump", 1)
    yield "showappdump-negative", bytes([0]) + dword("ShowAppDump", -1) + dword("EnableAppDump", 1)
    yield "verboselogging-refused", bytes([KORVEX_READ_ONLY]) + complete_key() + dword(
        "verboseLogging", 1) + dword("Enabled", 2) + dword("isBES", 1)
    yield "verboselogging-deleted-and-long", bytes([0]) + dword("verboseLogging", 1) + text(
        "verboseLogging", "on") + dword("isBES", 1)
    yield "switches-not-0-or-1", bytes([0]) + dword("Enabled", 2) + dword("ThreadLanes", -1) + dword(
        "DetailCmntParam", 0x100)
    yield "logging-key-read-only", bytes([LOGGING_READ_ONLY | LOGGING_KEY]) + dword("verboseLogging", 1)
    yield "unknown-and-lower-case-names", bytes([0]) + record(UNKNOWN, DWORD, b"\x01\x00\x00\x00") + record(
        LOWER_CASE | selector("Enabled"), DWORD, b"\x01\x00\x00\x00") + record(
        LOWER_CASE | selector("FileName"), EXPAND_SZ, "c:\\x\\y\0".encode("utf-16-le"))


def write_corpus(corpus, named_inputs):
    """Replaces what the corpus folder holds by the given (name, bytes) pairs."""
    corpus.mkdir(exist_ok=True)
    for old in corpus.iterdir():
        old.unlink()
    for name, data in named_inputs:
        (corpus / name).write_bytes(data)


def main():
    write_corpus(HERE / "corpus", seeds())


if __name__ == "__main__":
    main()
