#!/usr/bin/env python3
"""Lays out a snapshot folder (and its tar.gz) from a served simulated gateway:
the mesh demo's APs and relations with the air-interface demo's stations, so
every section of a report has data. Usage: make_snapshot.py BIN_DIR SOURCE_DIR OUT_DIR [--full]
With --full the record file and its archive hold 50000 record lines each, as
on a gateway that has packed once and filled its file again (for timing)."""
import datetime
import json
import os
import shutil
import subprocess
import sys
import tarfile
import time

bin_dir, source_dir, out = sys.argv[1:4]
root = os.path.join(out, "root")
snap = os.path.join(out, "snapshot")
for d in (root, snap):
    shutil.rmtree(d, ignore_errors=True)
os.makedirs(root)
profile = json.load(open(os.path.join(source_dir, "profiles/mesh-demo.json")))
air = json.load(open(os.path.join(source_dir, "profiles/airinterface-demo.json")))
profile["stations"] = air["stations"]
with open(os.path.join(out, "profile.json"), "w") as f:
    json.dump(profile, f)

sock = os.path.join(out, "s")
host = subprocess.Popen([os.path.join(bin_dir, "wlan_host"), "--serve", "--root", root, "--socket", sock,
                         "--profile", os.path.join(out, "profile.json"), "--clock", "2026-03-01 08:00:00",
                         "--seed", "1"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def wlancmd(*words):
    r = subprocess.run([os.path.join(bin_dir, "wlancmd"), "--socket", sock] + list(words),
                       capture_output=True, timeout=60)
    return r.returncode, r.stdout


try:
    for _ in range(300):
        if os.path.exists(sock) and wlancmd(".help")[0] == 0:
            break
        if host.poll() is not None:
            sys.exit("wlan_host did not start")
        time.sleep(0.1)
    wlancmd(".cycles", "30")
    # Roams between the bands, with the link rate and signal that go with them.
    for ssid, rate, rssi in (("9", "1201", "-48"), ("1", "433", "-63"), ("10", "866", "-55")):
        wlancmd(".station", "set", "a0:b1:c2:d3:e4:f5", "ssid", ssid)
        wlancmd(".station", "set", "a0:b1:c2:d3:e4:f5", "txRate", rate)
        wlancmd(".station", "set", "a0:b1:c2:d3:e4:f5", "rssi", rssi)
        wlancmd(".station", "set", "3c:5a:b4:01:02:03", "powerSave", "1" if ssid == "1" else "0")
        wlancmd(".cycles", "7")
    wlancmd(".cycles", "10")
    wlancmd(".log", "apled", "3", "led")
    os.makedirs(os.path.join(snap, "cmd"))
    manifest = ["time: 2026-03-01 08:01:00", "host: gateway", "version: sim"]
    for words in ("show log", "show apledlog", "show xlinkerrlog", "show vitranslog", "show topo",
                  "show relation neighbor", "check node", "master show", "scen get"):
        status, text = wlancmd(*words.split())
        with open(os.path.join(snap, "cmd", words.replace(" ", "_") + ".txt"), "wb") as f:
            f.write(text)
        if status != 0:
            manifest.append("failed: %s (exit %d)" % (words, status))
finally:
    host.terminate()
    host.wait(timeout=30)

for rel in ("var/wifi_airInterface", "proc/wifilog/debug/2G") + tuple(
        "var/zarvo/topodebug.%d.log" % n for n in range(1, 11)):
    src = os.path.join(root, rel)
    if os.path.exists(src):
        os.makedirs(os.path.dirname(os.path.join(snap, rel)), exist_ok=True)
        shutil.copy(src, os.path.join(snap, rel))
    elif rel.startswith("var/zarvo/topodebug.1.") or not rel.startswith("var/zarvo"):
        manifest.append("missing: " + rel)


def fill(path, start):
    """The host's cycles again and again, one time text per cycle, to 50000 lines."""
    lines = open(path, newline="").read().split("\r\n")
    head, records = lines[0], [l for l in lines[1:] if l]
    out, t = [], start
    while len(out) < 50000:
        cycle = t.strftime("%Y-%m-%d %H:%M:%S")
        for r in [r for r in records if r[25:44] == records[0][25:44]]:
            if len(out) < 50000:
                out.append(r[:25] + cycle + r[44:])
        t += datetime.timedelta(seconds=3)
    with open(path, "w", newline="") as f:
        f.write(head + "\r\n" + "".join(l + "\r\n" for l in out))


record = os.path.join(root, "var/wifi_airInterface")
if "--full" in sys.argv:
    fill(record, datetime.datetime(2026, 2, 26, 8, 0, 0))
# The record archive as packing leaves it: the file's header and lines under var/.
with tarfile.open(os.path.join(snap, "var/wifi_airInterface.tar.gz"), "w:gz") as t:
    t.add(record, arcname="var/wifi_airInterface")
if "--full" in sys.argv:
    fill(os.path.join(snap, "var/wifi_airInterface"), datetime.datetime(2026, 2, 28, 8, 0, 0))
with open(os.path.join(snap, "manifest.txt"), "w") as f:
    f.write("\n".join(manifest) + "\n")
with tarfile.open(os.path.join(out, "snapshot.tar.gz"), "w:gz") as t:
    for name in sorted(os.listdir(snap)):
        t.add(os.path.join(snap, name), arcname=name)
