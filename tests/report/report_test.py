#!/usr/bin/env python3
"""wlan_report against a snapshot of a served simulated gateway, and against
broken inputs. Usage: report_test.py BIN_DIR SOURCE_DIR WORK_DIR {cli|browser}"""
import collections
import gzip
import io
import json
import os
import re
import shutil
import subprocess
import sys
import tarfile

bin_dir, source_dir, work, mode = sys.argv[1:5]
here = os.path.dirname(os.path.abspath(__file__))
subprocess.run([sys.executable, os.path.join(here, "make_snapshot.py"), bin_dir, source_dir, work], check=True)
snap = os.path.join(work, "snapshot")
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def report(inp, *extra):
    html, js = os.path.join(work, "r.html"), os.path.join(work, "r.json")
    for f in (html, js):
        if os.path.exists(f):
            os.remove(f)
    r = subprocess.run([os.path.join(bin_dir, "wlan_report"), "-o", html, "--json", js] + list(extra) + [inp],
                       capture_output=True, text=True, timeout=120)
    data = json.load(open(js)) if os.path.exists(js) else None
    return r.returncode, data, r.stderr


def lines(path):
    with open(path, "rb") as f:
        return f.read().decode("utf-8", "replace").splitlines()


def cli():
    # Counted from the files themselves: a record line starts with the masked MAC.
    own = [l for l in lines(os.path.join(snap, "var/wifi_airInterface")) if l.startswith("xx:xx:xx:")]
    with tarfile.open(os.path.join(snap, "var/wifi_airInterface.tar.gz")) as t:
        packed = t.extractfile("var/wifi_airInterface").read().decode().splitlines()
    packed = [l for l in packed if l.startswith("xx:xx:xx:")]
    per_mac = collections.Counter(l.split()[0] for l in own + packed)
    roam = [l for l in lines(os.path.join(snap, "proc/wifilog/debug/2G")) if "[FBT][STA " in l]
    warnings = [l for l in lines(os.path.join(snap, "cmd/check_node.txt")) if l.startswith("Warning: find")]
    ring_records = sum(1 for name in ("show_log", "show_apledlog", "show_xlinkerrlog", "show_vitranslog")
                       for l in lines(os.path.join(snap, "cmd", name + ".txt")) if re.match(r"\[.*:\d{6}\]", l))
    check(len(own) > 20 and len(roam) == 6 and len(warnings) == 7, "the gateway wrote records, roam lines, warnings")

    for inp in (snap, os.path.join(work, "snapshot.tar.gz")):
        status, d, err = report(inp)
        check(status == 0 and d["problems"] == [], "%s: exit %d, problems %s" % (inp, status, err))
        check(d["air"]["records"] == len(own) + len(packed), "record count of %s" % inp)
        check({s["mac"]: s["records"] for s in d["air"]["stations"]} == dict(per_mac), "per-station counts")
        check(len(d["roam"]["events"]) == len(roam), "roam events")
        check(len(d["nodes"]["warnings"]) == len(warnings), "node warnings")
        check(len(d["rings"]["records"]) == ring_records, "ring records")
        ev = d["roam"]["events"][0]
        check((ev["mac"], ev["band"], ev["action"]) == ("a0:b1:c2:d3:XX:XX", "2.4G", "MOVE START"), "roam fields")

    # Broken files: every bad line is a problem with its file and line; the
    # rest is still read. Missing files, framing and other modules' lines are not problems.
    bad = os.path.join(work, "bad")
    shutil.rmtree(bad, ignore_errors=True)
    shutil.copytree(snap, bad)
    head = "MAC               STAID  TIME                 RSSI Tx/RxRate     PowerSave\r\n"
    good = "xx:xx:xx:33:44:55 7      2026-03-01 08:00:01  -40  866M/300M     on\r\n"
    with open(os.path.join(bad, "var/wifi_airInterface"), "w", newline="") as f:
        f.write(head + good + "xx:xx:xx:33:44:55 7      sometime  -40  866M/300M     off\r\n"
                + "xx:xx:xx:33:44:55 seven  2026-03-01 08:00:01  -40  866M/300M     on\r\n"
                + good + "x" * (10 << 20) + "\r\n" + good)
    open(os.path.join(bad, "var/wifi_airInterface.tar.gz"), "wb").write(gzip.compress(b"not a tar archive"))
    with open(os.path.join(bad, "proc/wifilog/debug/2G"), "a") as f:
        f.write("[WLAN]another module's line\n2026-03-01 08:00:00.000 [FBT][STA a0:b1:c2:d3:XX:XX][Band 5G]\n")
    open(os.path.join(bad, "var/zarvo/topodebug.2.log"), "w").write("[2026-03-01 08:00:00] ok\n[2026-13-01 08:00:00] x\n")
    with open(os.path.join(bad, "cmd/show_log.txt"), "ab") as f:
        f.write(b"\r\n[2026-03-01 08:00:00:000001]ok\r\n[2026-03-01 08:00:00:000002]\x01\x02\r\nwlancmd show log success!\r\n")
    with open(os.path.join(bad, "manifest.txt"), "a") as f:
        f.write("missing: var/zarvo/topodebug.3.log\nfailed: show topo (exit 1)\n")
    n2g = len(lines(os.path.join(bad, "proc/wifilog/debug/2G")))
    nlog = len(lines(os.path.join(bad, "cmd/show_log.txt")))
    status, d, err = report(bad)
    got = sorted((p["file"], p["line"]) for p in d["problems"])
    want = sorted([("var/wifi_airInterface", 4), ("var/wifi_airInterface", 6), ("var/wifi_airInterface.tar.gz", 0),
                   ("proc/wifilog/debug/2G", n2g), ("var/zarvo/topodebug.2.log", 2), ("cmd/show_log.txt", nlog - 1)])
    check(status == 3 and got == want, "bad files: exit %d, problems %s" % (status, got))
    check(d["air"]["records"] == 4 and d["manifest"]["missing"] and d["manifest"]["failed"], "the rest still read")

    # Inputs with nothing to report, and usage errors: exit 1 with a message.
    empty = os.path.join(work, "empty")
    os.makedirs(empty, exist_ok=True)
    empty_tar = os.path.join(work, "empty.tar.gz")
    with tarfile.open(empty_tar, "w:gz"):
        pass
    garbage = os.path.join(work, "garbage.tar.gz")
    open(garbage, "wb").write(bytes(range(256)) * 4096)
    # Cut inside a big last member, so the known files before it were read.
    truncated = os.path.join(work, "truncated.tar.gz")
    with tarfile.open(truncated, "w:gz") as t:
        t.add(snap, arcname=".")
        padding = tarfile.TarInfo("zz-padding")
        padding.size = 1 << 20
        t.addfile(padding, io.BytesIO(os.urandom(1 << 20)))
    whole = open(truncated, "rb").read()
    open(truncated, "wb").write(whole[:len(whole) // 2])
    for inp, extra, want_status in ((empty, [], 1), (empty_tar, [], 1), (garbage, [], 1),
                                    (os.path.join(work, "absent"), [], 1), (snap, ["--bogus"], 1)):
        status, d, err = report(inp, *extra)
        check(status == want_status and err.strip(), "%s %s: exit %d, stderr %r" % (inp, extra, status, err))
    status, d, err = report(truncated)
    check(status == 3 and any(p["line"] == 0 and "truncated" in p["reason"] for p in d["problems"]),
          "truncated archive: exit %d, %s" % (status, err))


def browser():
    chromium = shutil.which("chromium") or "/usr/bin/chromium"
    if not os.path.exists(chromium):
        print("chromium is not installed")
        sys.exit(77)
    status, d, err = report(os.path.join(work, "snapshot.tar.gz"))
    check(status == 0, "report: exit %d %s" % (status, err))
    page = "file://" + os.path.join(work, "r.html")
    flags = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--hide-scrollbars", "--virtual-time-budget=15000"]

    def run(*extra):
        profile = os.path.join(work, "chromium-profile")
        shutil.rmtree(profile, ignore_errors=True)
        return subprocess.run([chromium] + flags + ["--user-data-dir=" + profile] + list(extra) + [page],
                              capture_output=True, text=True, timeout=300).stdout

    dom = run("--dump-dom")
    body = re.search(r"<body([^>]*)>", dom)
    attrs = dict(re.findall(r'([\w-]+)="([^"]*)"', body.group(1))) if body else {}
    drawn = len(re.findall(r'<canvas[^>]*data-drawn="yes"', dom))
    # One chart of anchors per cycle and two per station.
    check(attrs.get("data-report-ready") == "yes", "the page's script ran to its end")
    check(attrs.get("data-script-errors") == "0" and not re.search(r"<html[^>]*data-early-error", dom),
          "no script errors")
    check(attrs.get("data-charts") == str(1 + 2 * len(d["air"]["stations"])) == str(drawn),
          "charts drawn: %s of %s" % (drawn, attrs.get("data-charts")))
    check(dom.count("<table") >= 6 and "Printer-Direct" in dom and "MOVE END" in dom, "tables drawn")
    run("--window-size=1280,1600", "--screenshot=" + os.path.join(work, "report.png"))
    check(os.path.getsize(os.path.join(work, "report.png")) > 10000, "screenshot kept in " + work)


{"cli": cli, "browser": browser}[mode]()
sys.exit(1 if failures else 0)
