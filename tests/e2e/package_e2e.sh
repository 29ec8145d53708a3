#!/usr/bin/env bash
# Builds the Debian package, installs it with apt, starts the installed
# program under a private X server, and removes the package again.
# Usage: package_e2e.sh BUILD_DIR
# Needs root and apt-get; exits 77 (skipped) without them.
set -euo pipefail
BUILD=$(cd "$1" && pwd)
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"

if [ "$(id -u)" -ne 0 ] || ! command -v apt-get >/dev/null; then
    echo "package test needs root and apt-get: skipped"
    exit 77
fi
if dpkg -s calmora >/dev/null 2>&1; then
    echo "a calmora package is already installed; leaving it alone: skipped"
    exit 77
fi

e2e_init
(cd "$BUILD" && cpack -G DEB -B "$E2E_DIR/pkg" >"$E2E_DIR/cpack.log" 2>&1) || e2e_fail "cpack failed"
deb=$(ls "$E2E_DIR"/pkg/calmora_*.deb)
e2e_log "built $(basename "$deb")"
# Plugins are loaded at run time: the package must name them itself.
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6svg6 libqt6gui6 gstreamer1.0-plugins-good libpulse0 libsndfile1; do
    [[ ", $depends," == *", $package"[\ ,]* ]] || e2e_fail "the package does not depend on $package: $depends"
done

removed=
remove_package() {
    [ -n "$removed" ] && return 0
    removed=1
    # Purged, not removed: the ldconfig call CPack adds for the video module
    # would otherwise leave the package's record behind, and the next run would skip.
    DEBIAN_FRONTEND=noninteractive apt-get purge -y calmora >"$E2E_DIR/remove.log" 2>&1
}
trap 'status=$?; remove_package || true; (exit $status); e2e_cleanup' EXIT

DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$deb" >"$E2E_DIR/install.log" 2>&1 ||
    e2e_fail "apt-get could not install the package"
[ -L /usr/bin/calmora ] || e2e_fail "/usr/bin/calmora is not a link"
[ "$(readlink -f /usr/bin/calmora)" = /usr/lib/calmora/calmora ] || e2e_fail "/usr/bin/calmora points elsewhere"
for f in /usr/lib/calmora/update /usr/lib/calmora/calmora-video.so /usr/share/applications/org.calmora.Calmora.desktop \
    /usr/share/metainfo/org.calmora.Calmora.metainfo.xml \
    /usr/share/icons/hicolor/scalable/apps/org.calmora.Calmora.svg \
    /usr/share/icons/hicolor/32x32/apps/org.calmora.Calmora.png; do
    [ -e "$f" ] || e2e_fail "the package did not install $f"
done

e2e_start_xvfb
e2e_spawn /usr/bin/calmora
app=$E2E_LAST_PID
e2e_wait_window '^Calmora$' >/dev/null || e2e_fail "the installed program showed no window"
e2e_stop_pid "$app"

remove_package || e2e_fail "apt-get could not remove the package"
if [ -e /usr/lib/calmora/calmora ] || [ -e /usr/bin/calmora ]; then
    e2e_fail "removing left the program behind"
fi
e2e_log "PASS"
