#!/usr/bin/env python3
"""Judges a soak run (bench/soak.sh) and prints its summary.

Usage: soak_check.py MINUTES ALIVE SENDER.log PROGRAM.log SAMPLES.csv DISMISSED
Exits 1 when the program died, a message was not played and shown exactly
once, or memory or open file descriptors grew after the warm-up.
"""
import csv
import re
import statistics
import sys
from collections import Counter

# Growth from the first to the last third of the samples that counts as a leak.
RSS_SLACK_KB = 2048
RSS_SLACK_FRACTION = 0.05
FD_SLACK = 2


def thirds(values):
    third = max(len(values) // 3, 1)
    return statistics.median(values[:third]), statistics.median(values[-third:])


def main():
    minutes, alive = int(sys.argv[1]), sys.argv[2] == "1"
    send_log, app_log, samples_csv = sys.argv[3], sys.argv[4], sys.argv[5]
    dismissed = int(sys.argv[6])
    problems = []

    sent, collected, stuck = [], set(), []
    with open(send_log) as f:
        for line in f:
            word, _, rest = line.rstrip("\n").partition(" ")
            number, _, text = rest.partition(" ")
            if word == "sent":
                sent.append((int(number), text))
            elif word == "collected":
                collected.add(int(number))
            elif word == "stuck":
                stuck.append(int(number))
            elif word == "failed":
                problems.append("sending failed: " + rest)

    # What the program did, in order: R for a received sound, (T, text) for a shown text.
    events, random_sounds, other = [], 0, []
    with open(app_log, errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            if "calmora.net: Played received sound " in line:
                events.append(("R", None))
            elif "calmora.net: Showing received text " in line:
                events.append(("T", line.split("calmora.net: Showing received text ", 1)[1]))
            elif "calmora.sound: Playing random sound " in line:
                random_sounds += 1
            elif line.strip():
                other.append(line)

    # Messages go one at a time, so the program must have done exactly this.
    expected = []
    for _, text in sent:
        expected += [("R", None), ("T", text)]
    shown = Counter(text for kind, text in events if kind == "T")
    played = sum(1 for kind, _ in events if kind == "R")
    losses = sum(1 for _, text in sent if shown[text] == 0)
    duplicates = sum(count - 1 for count in shown.values() if count > 1)
    strangers = sum(count for text, count in shown.items() if text not in {t for _, t in sent})
    if events != expected:
        first = next((i for i, (a, b) in enumerate(zip(events, expected)) if a != b),
                     min(len(events), len(expected)))
        problems.append(f"program's events differ from the messages sent from event {first + 1}: "
                        f"{played} sounds played, {sum(shown.values())} texts shown for {len(sent)} messages")
    uncollected = [n for n, _ in sent if n not in collected]
    if uncollected:
        problems.append(f"messages never collected: {uncollected[:10]}")
    if stuck:
        problems.append(f"messages waiting over a minute: {stuck[:10]}")
    if dismissed != sum(shown.values()):
        problems.append(f"{dismissed} message windows dismissed for {sum(shown.values())} texts shown")
    if not sent:
        problems.append("no message was sent")
    if random_sounds == 0:
        problems.append("no random sound played")
    if not alive:
        problems.append("the program died")

    with open(samples_csv, newline="") as f:
        rows = list(csv.DictReader(f))
    seconds = [int(r["seconds"]) for r in rows]
    warm_up = min(120, minutes * 60 // 5)
    steady = [r for r, s in zip(rows, seconds) if s >= warm_up]
    if len(steady) < 6:
        problems.append(f"only {len(steady)} samples after the warm-up")
        steady = rows
    rss = [int(r["rss_kb"]) for r in steady]
    fds = [int(r["fds"]) for r in steady]
    rss_first, rss_last = thirds(rss)
    fd_first, fd_last = thirds(fds)
    if rss_last - rss_first > max(RSS_SLACK_KB, RSS_SLACK_FRACTION * rss_first):
        problems.append(f"memory grew from {rss_first:.0f} kB to {rss_last:.0f} kB")
    if fd_last - fd_first > FD_SLACK:
        problems.append(f"open file descriptors grew from {fd_first:g} to {fd_last:g}")
    most_windows = max(int(r["message_windows"]) for r in rows)
    if most_windows > 1:
        problems.append(f"{most_windows} message windows open at once")

    print(f"soak: {minutes} min, messages sent {len(sent)}, sounds received {played}, "
          f"texts shown {sum(shown.values())}, random sounds {random_sounds}, "
          f"crashes {0 if alive else 1}, losses {losses}, duplicates {duplicates + strangers}, "
          f"RSS {rss_first / 1024:.1f} -> {rss_last / 1024:.1f} MiB "
          f"(peak {max(int(r['rss_kb']) for r in rows) / 1024:.1f}), "
          f"fds {fd_first:g} -> {fd_last:g} (medians of first and last third after {warm_up} s warm-up), "
          f"most message windows open {most_windows}")
    for line in sorted(set(other))[:10]:
        print("program said: " + line)
    for problem in problems:
        print("FAIL: " + problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
