#!/usr/bin/env python3
"""Draws a soak run's memory and open-file curves as one SVG.

Usage: soak_plot.py SAMPLES.csv OUT.svg [TITLE]
The CSV has a header and the columns seconds, rss_kb and fds (others ignored).
"""
import csv
import sys

W, H = 800, 420
LEFT, RIGHT, TOP, BOTTOM = 70, 70, 40, 50


def nice_ceiling(value):
    """A round number at or above value, for an axis end."""
    step = 1
    while step * 10 <= value:
        step *= 10
    for factor in (1, 2, 5, 10):
        if step * factor >= value:
            return step * factor
    return step * 10


def main():
    path, out = sys.argv[1], sys.argv[2]
    title = sys.argv[3] if len(sys.argv) > 3 else "Soak run"
    with open(path, newline="") as f:
        rows = list(csv.DictReader(f))
    if not rows:
        sys.exit("soak_plot: no samples in " + path)
    minutes = [float(r["seconds"]) / 60 for r in rows]
    rss = [float(r["rss_kb"]) / 1024 for r in rows]
    fds = [float(r["fds"]) for r in rows]

    x_max = max(minutes[-1], 1.0)
    rss_max = nice_ceiling(max(rss) * 1.2)
    fd_max = nice_ceiling(max(fds) * 1.2)
    plot_w, plot_h = W - LEFT - RIGHT, H - TOP - BOTTOM

    def x(m):
        return LEFT + m / x_max * plot_w

    def y(v, top):
        return TOP + plot_h - v / top * plot_h

    def polyline(values, top, colour):
        points = " ".join(f"{x(m):.1f},{y(v, top):.1f}" for m, v in zip(minutes, values))
        return f'<polyline fill="none" stroke="{colour}" stroke-width="2" points="{points}"/>'

    parts = [
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{W}" height="{H}" '
        f'viewBox="0 0 {W} {H}" font-family="sans-serif" font-size="12">',
        f'<rect width="{W}" height="{H}" fill="white"/>',
        f'<text x="{W / 2}" y="22" text-anchor="middle" font-size="15">{title}</text>',
        f'<rect x="{LEFT}" y="{TOP}" width="{plot_w}" height="{plot_h}" fill="none" stroke="#888"/>',
    ]
    for i in range(6):
        fraction = i / 5
        gy = TOP + plot_h - fraction * plot_h
        parts.append(f'<line x1="{LEFT}" y1="{gy:.1f}" x2="{LEFT + plot_w}" y2="{gy:.1f}" stroke="#ddd"/>')
        parts.append(f'<text x="{LEFT - 6}" y="{gy + 4:.1f}" text-anchor="end" fill="#1f5fbf">'
                     f'{rss_max * fraction:g}</text>')
        parts.append(f'<text x="{LEFT + plot_w + 6}" y="{gy + 4:.1f}" fill="#c0392b">'
                     f'{fd_max * fraction:g}</text>')
        gx = LEFT + fraction * plot_w
        parts.append(f'<text x="{gx:.1f}" y="{TOP + plot_h + 18}" text-anchor="middle">'
                     f'{x_max * fraction:.1f}</text>')
    parts += [
        f'<text x="{W / 2}" y="{H - 12}" text-anchor="middle">minutes</text>',
        f'<text x="18" y="{TOP + plot_h / 2}" text-anchor="middle" fill="#1f5fbf" '
        f'transform="rotate(-90 18 {TOP + plot_h / 2})">resident memory (MiB)</text>',
        f'<text x="{W - 14}" y="{TOP + plot_h / 2}" text-anchor="middle" fill="#c0392b" '
        f'transform="rotate(90 {W - 14} {TOP + plot_h / 2})">open file descriptors</text>',
        polyline(rss, rss_max, "#1f5fbf"),
        polyline(fds, fd_max, "#c0392b"),
        "</svg>",
    ]
    with open(out, "w") as f:
        f.write("\n".join(parts) + "\n")


if __name__ == "__main__":
    main()
