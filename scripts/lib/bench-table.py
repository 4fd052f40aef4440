#!/usr/bin/env python3
"""Prints one Markdown table from what the tools of ./scripts/bench reported: each measurement
of kelvara beside its baseline from the same run, the ratio, the target and whether it is met.

    bench-table.py RESULTS_FOLDER
"""
import json
import pathlib
import sys

MIB = 1024 * 1024


def quantity(value, unit):
    """Three significant digits in a readable unit: "12.3 us", "38.2 MiB"."""
    if unit == "bytes":
        value, unit = value / MIB, "MiB"
    else:
        for factor, name in ((1, "s"), (1e-3, "ms"), (1e-6, "us"), (1e-9, "ns")):
            if value >= 0.9995 * factor or name == "ns":
                value, unit = value / factor, name
                break
    digits = 0 if value >= 99.95 else 1 if value >= 9.995 else 2 if value >= 0.9995 else 3
    return f"{value:.{digits}f} {unit}"


# Targets: (kind, limit). "ratio": value <= limit x baseline; "below": value < limit;
# "at most": value <= limit; "plus": value <= baseline + limit bytes (its text given).
def target_text(target, unit):
    kind, limit = target[:2]
    if kind == "ratio":
        return f"<= {limit:.2f} x baseline"
    if kind == "plus":
        return f"<= baseline + {target[2]}"
    return ("< " if kind == "below" else "<= ") + quantity(limit, unit)


def met(target, value, baseline):
    kind, limit = target[:2]
    if kind == "ratio":
        return value / baseline <= limit
    if kind == "plus":
        return value <= baseline + limit
    return value < limit if kind == "below" else value <= limit


def main(results):
    rows = []  # measure, value, baseline text, baseline value, unit, targets
    for platform in ("offscreen", "Xvfb"):
        startup = results / f"startup-{platform}.json"
        if not startup.exists():
            continue
        kelvara, bare = json.loads(startup.read_text())["results"]
        rows.append((f"start-up until the main window is shown, {platform}", kelvara["median"],
                     bare["command"], bare["median"], "s", [("ratio", 1.15)]))
        at_rest, bare_rss, save_open = (
            int(kib) * 1024 for kib in (results / f"rss-{platform}.tsv").read_text().split())
        rows.append((f"peak RSS, main window shown, {platform}", at_rest, bare["command"],
                     bare_rss, "bytes", [("plus", 8 * MIB, "8 MiB")]))
        rows.append((f"peak RSS, filesave window open on 220,000 entries, {platform}", save_open,
                     "kelvara, main window only", at_rest, "bytes", [("plus", 25e6, "25 MB")]))

    report = json.loads((results / "benchmarks.json").read_text())
    failed = [b["name"] for b in report["benchmarks"] if b.get("error_occurred")]
    if failed:
        sys.exit("benchmarks that failed their checks: " + ", ".join(failed))
    seconds = {}  # the median of the repetitions; real time for the rows that wait on others
    for b in report["benchmarks"]:
        if b.get("aggregate_name") == "median":
            clock = "real_time" if b["run_name"].endswith("/real_time") else "cpu_time"
            scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1}[b["time_unit"]]
            seconds[b["run_name"].removesuffix("/real_time")] = b[clock] * scale

    file_target = [("below", 1e-3)]
    for measure, name, baseline, baseline_name, targets in (
        ("count edit, widget (click, label repainted)", "widget/count_edit",
         "bare QPushButton + QLabel", "widget/bare_count_edit", [("below", 20e-6)]),
        ("count edit, widget, filesave window open on 220,000 entries",
         "widget/count_edit_chooser_open", "the same, no other window",
         "widget/count_edit", [("below", 20e-6)]),
        ("filesave window shown, lists complete, 220,000 entries", "chooser/open_220k",
         "QFileDialog shown, folder loaded", "chooser/stock_dialog_220k",
         [("ratio", 0.1), ("at most", 0.3)]),
        ("filesave window shown, lists complete, 20,000 entries", "chooser/open_20k",
         "QFileDialog shown, folder loaded", "chooser/stock_dialog_20k", [("at most", 0.06)]),
        ("save", "file/save", "plain open, write, fsync", "file/plain_save", file_target),
        ("CSV export", "file/csv_export", "plain open, write, fsync", "file/plain_csv_export",
         file_target),
        ("HTML export", "file/html_export", "plain open, write, fsync",
         "file/plain_html_export", file_target),
        ("load", "file/load", "plain open, read", "file/plain_load", file_target),
    ):
        if name in seconds and baseline_name in seconds:
            rows.append((measure, seconds[name], baseline, seconds[baseline_name], "s", targets))

    table = [["measure", "kelvara", "baseline", "baseline value", "ratio", "target", "met"]]
    for measure, value, baseline, baseline_value, unit, targets in rows:
        table.append([measure, quantity(value, unit), baseline, quantity(baseline_value, unit),
                      f"{value / baseline_value:.2f}",
                      ", ".join(target_text(t, unit) for t in targets),
                      "yes" if all(met(t, value, baseline_value) for t in targets) else "NO"])
    widths = [max(len(row[i]) for row in table) for i in range(len(table[0]))]
    table.insert(1, ["-" * width for width in widths])
    for row in table:
        print("| " + " | ".join(cell.ljust(w) for cell, w in zip(row, widths)) + " |")


main(pathlib.Path(sys.argv[1]))
