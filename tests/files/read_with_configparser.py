#!/usr/bin/env python3
"""Reads the files Zentra writes with Python's configparser, as any other INI reader
would, and checks their layout: CRLF line ends, key=value without blanks, the sections
and keys in the order written, and each key once."""
import configparser
import subprocess
import sys
import tempfile


def parse(path):
    cp = configparser.ConfigParser(interpolation=None, strict=True)
    cp.optionxform = str  # keep the key spelling
    with open(path, encoding="latin-1", newline="") as f:
        text = f.read()
    cp.read_string(text)
    return cp, text


def main():
    writer = sys.argv[1]
    failures = []

    def check(cond, what):
        if not cond:
            failures.append(what)

    with tempfile.TemporaryDirectory() as d:
        out = subprocess.run([writer, d], check=True, capture_output=True, text=True).stdout
        info = dict(kv.split("=") for kv in out.split())
        channels, groups = int(info["channels"]), int(info["groups"])
        first = 0 if info["new"] == "1" else 1

        table, text = parse(d + "/table.qdf")
        check("\n" not in text.replace("\r\n", ""), "table: every line ends in CRLF")
        check(" = " not in text, "table: no blanks around '='")
        names = ["DATA"] + ["GROUP%02d" % (g + first) for g in range(groups)]
        check(table.sections()[: len(names)] == names, "table: section order %s" % table.sections())
        check(list(table["DATA"].keys()) == ["matricola", "ID", "Channels", "Groups", "FreqMin", "FreqMax", "Step"],
              "table: DATA keys %s" % list(table["DATA"].keys()))
        check(table["DATA"].getint("Channels") == channels, "table: Channels")
        g0 = table["GROUP%02d" % first]
        keys = [k for k in g0.keys() if k.startswith("CH")]
        want = []
        for c in range(channels):
            want += ["CH%02d" % c, "CH%02d_LOCK" % c, "CH%02d_HIDDEN" % c]
        check(keys == want, "table: channel keys %s" % keys)
        for c in range(channels):
            khz = g0.getint("CH%02d" % c)
            check(table["DATA"].getint("FreqMin") * 1000 <= khz <= table["DATA"].getint("FreqMax") * 1000,
                  "table: CH%02d in range" % c)
            check(g0["CH%02d_LOCK" % c] in ("0", "1"), "table: lock flag value")
        if "NAME" in g0:
            check(g0["NAME"] == "Gr\xe9n\xfc01", "table: name bytes above 0x7F kept: %r" % g0["NAME"])

        legacy, _ = parse(d + "/legacy.qdf")
        check("SYNC" not in legacy.sections(), "legacy: no SYNC")
        check(all(k.startswith("CH") and "_" not in k for k in legacy["GROUP%02d" % first].keys()),
              "legacy: frequencies only")

        user, text = parse(d + "/user.qcf")
        check("\n" not in text.replace("\r\n", ""), "config: every line ends in CRLF")
        cfg = user["CONFIG"]
        check(list(cfg.keys())[:3] == ["Channel", "Group", "Gain"], "config: first keys")
        check(list(cfg.keys()).count("Limiter") <= 1, "config: Limiter once")
        if "PresetIndex" in cfg:
            check(list(cfg.keys())[-1] == "PresetIndex", "config: PresetIndex last")
            check("PRESET00" in user.sections(), "config: preset sections")
            for s in [s for s in user.sections() if s.startswith("PRESET")]:
                for k, v in user[s].items():
                    if k != "Name":
                        check(-128 <= int(v) <= 127, "config: %s/%s signed byte" % (s, k))

    for f in failures:
        print("FAIL:", f)
    if not failures:
        print("configparser read every file as written")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
