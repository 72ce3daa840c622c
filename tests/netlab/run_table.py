#!/usr/bin/python3
"""Runs the truth table inside the lab (tests/netlab/netlab starts it here).

  run_table.py [GROUP...]     only these groups; all without arguments

Per group: writes a check list, sets the prefix's proxy settings and the
client's resolver, runs marlocheck.exe once under Wine (bounded), then compares
every row with the JSON file and the console's cause lines. Prints each
mismatch as "row NAME: member expected X, got Y"; exits 1 if any.
NETLAB_OUT, when set, is a folder that keeps each group's JSON and console.
"""
import html
import json
import os
import re
import shutil
import subprocess
import sys
import time
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
LAB = os.environ["NETLAB_DIR"]
EXE = os.environ["NETLAB_EXE"]
RESOLV = os.environ["NETLAB_RESOLV"]
OUT = os.environ.get("NETLAB_OUT", "")
INET = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings"
RESOLVERS = {"lab": "198.18.4.10", "dead": "198.18.4.54"}
# Every address and name of the lab: none may appear unmasked.
LEAK = re.compile(r"198\.18\.\d{1,3}\.\d{1,3}|fd00:5e:|[a-z0-9-]+\.netlab\.test", re.I)


def read_tsv(name):
    rows = []
    with open(os.path.join(HERE, name), encoding="utf-8") as f:
        lines = [l.rstrip("\n") for l in f if l.strip() and not l.startswith("#")]
    head = lines[0].split("\t")
    for line in lines[1:]:
        cells = line.split("\t")
        if len(cells) != len(head):
            raise SystemExit("%s: %d fields instead of %d: %s" % (name, len(cells), len(head), line))
        rows.append(dict(zip(head, cells)))
    return rows


def wine_env():
    env = dict(os.environ)
    # Wine's WinINet would take a proxy from these before the registry.
    for v in ("http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "no_proxy", "NO_PROXY", "all_proxy"):
        env.pop(v, None)
    return env


def reg(*args):
    subprocess.run(["wine", "reg"] + list(args), env=wine_env(), stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=120)


def set_proxy(group):
    reg("add", INET, "/v", "ProxyEnable", "/t", "REG_DWORD", "/d", "1" if group["proxy_server"] else "0", "/f")
    for value, key in (("proxy_server", "ProxyServer"), ("proxy_override", "ProxyOverride"),
                       ("auto_config_url", "AutoConfigURL")):
        if group[value]:
            reg("add", INET, "/v", key, "/t", "REG_SZ", "/d", group[value], "/f")
        else:
            reg("delete", INET, "/v", key, "/f")


def set_resolver(group):
    # In place: `ip netns exec` bind-mounted this very file on /etc/resolv.conf.
    with open(RESOLV, "r+") as f:
        f.truncate(0)
        f.write("nameserver %s\noptions timeout:1 attempts:1\n" % RESOLVERS[group["resolver"]])


def check_list(group, rows):
    doc = {
        "product path agent": "C:\\Program Files\\Vantu\\Agent",
        "product path agent web": "C:\\Program Files\\Vantu\\AgentWeb",
        "product path viewer": "C:\\Program Files\\Vantu\\Viewer",
        "agent log path": "__user_documents_folder__\\Vantu\\Logs\\Agent",
        "viewer log path": "__user_documents_folder__\\Vantu\\Logs\\Viewer",
    }
    for row in rows:
        doc.setdefault(row["kind"], []).append("%s:%s" % (row["host"], row["port"]))
    if group["tls_issuers"]:
        doc["tls issuers"] = group["tls_issuers"].split(",")
    return doc


def mask_host(s):
    """The program's own masking (src/checklist/mask_host.cpp)."""
    if not s:
        return s
    first, last = s.find("."), s.rfind(".")
    numeric = all(c.isdigit() for c in s.replace(".", "")) and s.replace(".", "") != ""
    result = s[:first] if first >= 0 else ""
    if numeric:
        return result + "*" * (last - first) + s[last + 1:]
    return result + "*" * (len(s) - first)


def member(item, path):
    """A member of the item's diagnosis as text; "path#" is a list's length."""
    count = path.endswith("#")
    value = item.get("diagnosis", {})
    for part in path.rstrip("#").split("."):
        if not isinstance(value, dict) or part not in value:
            return "<missing>"
        value = value[part]
    if count:
        return str(len(value)) if isinstance(value, list) else "<not a list>"
    if isinstance(value, bool):
        return "true" if value else "false"
    return str(value)


def matches(expected, got):
    if expected == "*":
        return got not in ("", "<missing>")
    if "{*}" in expected:
        # Any text in its place (a number the platform chooses); masked hosts' stars stay literal.
        pattern = ".*".join(re.escape(part) for part in expected.split("{*}"))
        return re.fullmatch(pattern, got, re.S) is not None
    if expected.endswith("*"):
        return got.startswith(expected[:-1])
    return expected == got


def console_notes(console, items):
    """Per JSON item, the console's "원인:" and "주의:" lines (the same order)."""
    notes = []
    for line in console.splitlines():
        if not line.strip():
            continue
        if not line[0].isspace():
            notes.append({"원인": "", "주의": ""})
        elif notes:
            text = line.strip()
            for key in ("원인", "주의"):
                if text.startswith(key + ": "):
                    notes[-1][key] = text[len(key) + 2:]
    return notes[:len(items)]


def unix_path(windows_path):
    """A path in the lab's prefix ("C:\\users\\...") on this side, letter case as found."""
    drive, _, rest = windows_path.strip().partition(":\\")
    path = os.path.join(os.environ["WINEPREFIX"], "drive_" + drive.lower())
    for part in filter(None, rest.split("\\")):
        names = {n.lower(): n for n in os.listdir(path)} if os.path.isdir(path) else {}
        path = os.path.join(path, names.get(part.lower(), part))
    return path


def saved_texts(console):
    """The saved archive's diagnosis section and the front page's items, None where missing."""
    lines = [l for l in console.splitlines() if l.strip()]
    if not lines or not lines[-1].strip().lower().endswith(".zip"):
        return None, None
    archive = unix_path(lines[-1])
    if OUT and os.path.exists(archive):
        shutil.copy(archive, os.path.join(OUT, os.path.basename(archive)))
    try:
        with zipfile.ZipFile(archive) as z:
            names = z.namelist()
            report = next((n for n in names if n.endswith("check_result.txt")), None)
            page = next((n for n in names if n.endswith("report.html")), None)
            report_text = z.read(report).decode("utf-8-sig", "replace") if report else ""
            page_text = z.read(page).decode("utf-8", "replace") if page else ""
    except (OSError, zipfile.BadZipFile):
        return None, None
    # What the diagnosis wrote: the report's section and the page's table of
    # items (the machine's own texts around them show its settings as they are).
    section = report_text.partition("[Server Diagnosis]")[2].replace("\r\n", "\n")
    table = page_text[page_text.find('<table class="items"'):]
    return section, table[:table.find("</table>") + 8]


def literal_part(expected):
    """What of an expected text can be looked for as it is."""
    return expected.split("{*}")[0].rstrip("*")


def run_group(group, rows):
    name = group["group"]
    work = os.path.join(LAB, "run-" + name)
    os.makedirs(work, exist_ok=True)
    listfile = os.path.join(work, "checklist.json")
    jsonfile = os.path.join(work, "results.json")
    with open(listfile, "w", encoding="utf-8") as f:
        json.dump(check_list(group, rows), f, ensure_ascii=False, indent=1)
    set_proxy(group)
    set_resolver(group)
    start = time.monotonic()
    try:
        p = subprocess.run(["timeout", "-k", "10", group["bound_s"], "nice", "-n", "-10", "wine", EXE, "--checklist", "Z:" + listfile,
                            "--json", "Z:" + jsonfile, "--save"], env=wine_env(), stdin=subprocess.DEVNULL,
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=int(group["bound_s"]) + 30)
        console = p.stdout.decode("utf-8", "replace").replace("\r\n", "\n")
        errors = p.stderr.decode("utf-8", "replace")
        status = p.returncode
    except subprocess.TimeoutExpired:
        console, errors, status = "", "", 124
    seconds = time.monotonic() - start
    with open(os.path.join(work, "console.txt"), "w", encoding="utf-8") as f:
        f.write(console)
    # Wine's own messages (a crash's backtrace) go to stderr.
    with open(os.path.join(work, "stderr.txt"), "w", encoding="utf-8") as f:
        f.write(errors)
    if OUT:
        os.makedirs(OUT, exist_ok=True)
        for src, dst in ((jsonfile, name + ".json"), (os.path.join(work, "console.txt"), name + "-console.txt"),
                         (listfile, name + "-checklist.json"), (os.path.join(work, "stderr.txt"), name + "-stderr.txt")):
            if os.path.exists(src):
                shutil.copy(src, os.path.join(OUT, dst))
    problems = []
    try:
        with open(jsonfile, encoding="utf-8-sig") as f:
            text = f.read()
        doc = json.loads(text)
    except (OSError, ValueError) as e:
        crash = next((l.strip() for l in (console + errors).splitlines() if "Unhandled" in l), "")
        problems.append("group %s: the program wrote no JSON (exit %d%s)%s" % (
            name, status, ", over its bound of %s s" % group["bound_s"] if status == 124 else "",
            ": " + crash if crash else ""))
        if not crash:
            problems.append("group %s: its output ends: %r" % (name, (console + errors)[-400:]))
        for row in rows:
            problems.append("row %s: no result (the group's run wrote no JSON)" % row["row"])
        return problems, seconds, {r["row"]: False for r in rows}
    items = doc.get("items", [])
    notes = console_notes(console, items)
    for leak in sorted(set(LEAK.findall(text + console))):
        problems.append("group %s: unmasked lab address or name %r in the JSON or on the console" % (name, leak))
    section, page = saved_texts(console)
    if section is None:
        problems.append("group %s: no saved archive to read the report and the front page from" % name)
    else:
        for leak in sorted(set(LEAK.findall(section + page))):
            problems.append("group %s: unmasked lab address or name %r in the report or the front page" % (name, leak))
    verdicts = {}
    for row in rows:
        key = (row["kind"], mask_host(row["host"]), int(row["port"]))
        index = next((i for i, it in enumerate(items) if (it.get("kind"), it.get("host"), it.get("port")) == key), None)
        mine = []
        if index is None:
            mine.append("row %s: item missing from the JSON (%s %s:%s)" % (row["row"], *key))
        else:
            item = items[index]
            note = notes[index] if index < len(notes) else {"원인": "<no console line>", "주의": "<no console line>"}
            verdict = item.get("verdict", "")
            got = {
                "verdict": "Ok" if verdict.startswith("Ok") and item.get("successes") == item.get("attempts") else verdict,
                "result_code": str(item.get("result_code")),
                "failure.kind": member(item, "failure.kind"),
                "failure.phase": member(item, "failure.phase"),
                "failure.party": member(item, "failure.party"),
                "cause": member(item, "cause"),
                "caution": note["주의"],
            }
            for column in ("verdict", "result_code", "failure.kind", "failure.phase", "failure.party", "cause",
                           "caution"):
                expected = row[column]
                if expected == "-":
                    continue
                if not matches(expected, got[column]):
                    mine.append("row %s: %s expected %r, got %r" % (row["row"], column, expected, got[column]))
            if row["cause"] not in ("-",) and not matches(row["cause"], note["원인"]):
                mine.append("row %s: console 원인 expected %r, got %r" % (row["row"], row["cause"], note["원인"]))
            # The report's diagnosis section and the front page carry the same cause.
            cause = literal_part(row["cause"]) if row["cause"] not in ("-", "") else ""
            if cause and section is not None:
                if "  cause       : " + cause not in section:
                    mine.append("row %s: the report's diagnosis section lacks the cause %r" % (row["row"], cause))
                if "원인: " + html.escape(cause, quote=False) not in page:
                    mine.append("row %s: the front page lacks the cause %r" % (row["row"], cause))
            for check in filter(None, row["checks"].split(";")):
                path, _, expected = check.partition("=")
                value = member(item, path)
                if not matches(expected, value):
                    mine.append("row %s: %s expected %r, got %r" % (row["row"], path, expected, value))
        verdicts[row["row"]] = not mine
        problems += mine
    return problems, seconds, verdicts


def main():
    started = time.monotonic()
    groups = read_tsv("groups.tsv")
    rows = read_tsv("truth_table.tsv")
    wanted = set(sys.argv[1:])
    known = {g["group"] for g in groups}
    for row in rows:
        if row["group"] not in known:
            raise SystemExit("row %s: unknown group %s" % (row["row"], row["group"]))
    all_problems, verdicts = [], {}
    for group in groups:
        if wanted and group["group"] not in wanted:
            continue
        mine = [r for r in rows if r["group"] == group["group"]]
        if not mine:
            continue
        problems, seconds, v = run_group(group, mine)
        verdicts.update(v)
        print("group %-11s %2d rows, %2d failed, %5.1f s" % (group["group"], len(mine),
              sum(1 for ok in v.values() if not ok), seconds), flush=True)
        for p in problems:
            print("  " + p, flush=True)
        all_problems += problems
    passed = sum(1 for ok in verdicts.values() if ok)
    failed = len(verdicts) - passed
    print("netlab: %d rows, %d passed, %d failed, %d problems, %.0f s in all" %
          (len(verdicts), passed, failed, len(all_problems), time.monotonic() - started))
    print("%d passed, %d failed" % (passed, failed))
    return 1 if all_problems else 0


if __name__ == "__main__":
    sys.exit(main())
