#!/usr/bin/env bash
# Installs every Debian package Calmora needs to build, run and test.
# Safe to run again: when everything is present it returns without touching apt.
set -euo pipefail

packages=(
    # build
    cmake ninja-build g++ pkg-config ccache
    qt6-base-dev qt6-multimedia-dev libsndfile1-dev libsodium-dev libpulse-dev libgl-dev libxcb1-dev
    # the Debian package: its library dependencies and the install layout's checks
    dpkg-dev file desktop-file-utils appstream
    # run: the SVG icon engine (the logo), video playback, a sound server, a font to draw text with
    libqt6svg6 gstreamer1.0-plugins-base gstreamer1.0-plugins-good pulseaudio fonts-dejavu-core
    # end-to-end tests: a private screen, sound server, tray, accessibility bus and network share
    xvfb xdotool x11-utils pulseaudio-utils sox trayer imagemagick twm xfonts-base
    dbus-x11 at-spi2-core python3-pyatspi
    samba smbclient smbnetfs fuse3 procps
    # end-to-end tests: a StatusNotifierItem tray and a file manager service faked on a private
    # session bus, and a Wayland desktop without a screen (headless sway, Qt's Wayland plugin)
    python3-dbus python3-gi sway qt6-wayland
    # README screenshots: a window manager that draws window frames
    openbox
    # fuzzing (scripts/fuzz.sh): clang with its libFuzzer and sanitizer runtimes
    clang libclang-rt-14-dev
    # benchmarks: peak memory of a child process
    time
    # signed updates: the key and signatures the tests make, and the fixtures (tests/fixtures/minisign/)
    minisign
    # lint (scripts/lint.sh)
    clang-format clang-tidy shellcheck
    # CI's fresh-machine run (scripts/fresh-root.sh)
    debootstrap
)

missing=()
for package in "${packages[@]}"; do
    if [ "$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null)" != installed ]; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    as_root=(env)
elif command -v sudo >/dev/null; then
    as_root=(sudo env)
else
    echo "setup.sh: run as root or install sudo; missing packages: ${missing[*]}" >&2
    exit 1
fi
as_root+=(DEBIAN_FRONTEND=noninteractive)

# Tests start their own servers (Samba, PulseAudio, D-Bus) in private folders; a
# system-wide smbd started by the package would hold port 445 they need.
policy=/usr/sbin/policy-rc.d
if [ ! -e "$policy" ]; then
    "${as_root[@]}" sh -c "printf '#!/bin/sh\nexit 101\n' > $policy && chmod 755 $policy"
    trap '"${as_root[@]}" rm -f "$policy"' EXIT
fi

log=$(mktemp "${TMPDIR:-/tmp}/calmora-setup.XXXXXX")
echo "Installing: ${missing[*]}"
if ! { "${as_root[@]}" apt-get update -q \
        && "${as_root[@]}" apt-get install -y -q --no-install-recommends -o Dpkg::Use-Pty=0 "${missing[@]}"; } \
        >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    echo "setup.sh: installing packages failed" >&2
    exit 1
fi
rm -f "$log"
echo "All packages installed."
