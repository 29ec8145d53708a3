#!/usr/bin/env bash
# Runs a command in a fresh, minimal Debian 12 root, as a newcomer's machine or
# a CI container starts: only Debian's minimal base, as root, no sudo, git, ps,
# ss or python3. Proves that the project's own scripts install everything.
#
#   bash scripts/fresh-root.sh                      # bash scripts/test.sh
#   bash scripts/fresh-root.sh 'bash scripts/run.sh --version'
#
# The committed state of the project is copied in (commit first). The base root
# comes from `debootstrap --variant=minbase bookworm` and is cached in
# $FRESH_ROOT_CACHE (default /var/tmp/calmora-fresh-root); so is the compiler
# cache, which cannot hide a missing header or library. The root gets a private
# mount and PID namespace and becomes the namespace's real root (pivot_root, not
# chroot), so tests that make user namespaces of their own work inside it; it
# shares this machine's network. Every process started inside ends with it.
# FRESH_ROOT_KEEP=1 keeps the run's root for a look afterwards.
set -euo pipefail

command=${1:-bash scripts/test.sh}
project=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cache=${FRESH_ROOT_CACHE:-/var/tmp/calmora-fresh-root}

if [ "$(id -u)" -ne 0 ]; then
    echo "fresh-root.sh: run as root (it builds and enters a root file system)" >&2
    exit 2
fi
need=()
command -v debootstrap >/dev/null || need+=(debootstrap)
command -v git >/dev/null || need+=(git)
command -v unshare >/dev/null || need+=(util-linux)
if [ ${#need[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get update -q >/dev/null
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${need[@]}" >/dev/null
fi
mkdir -p "$cache/ccache"

# The Debian mirror this machine's apt uses, so the root fetches from the same place.
mirror=$({ cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources \
    2>/dev/null || true; } | grep -oE '^(deb|URIs:)[[:space:]]+(\[[^]]*\][[:space:]]+)?https?://[^[:space:]]+' |
    grep -oE 'https?://[^[:space:]]+' | grep -v security | head -n 1 || true)
mirror=${mirror:-http://deb.debian.org/debian}

if [ ! -s "$cache/base.tar" ]; then
    echo "fresh-root.sh: building the base root once (debootstrap --variant=minbase bookworm $mirror)"
    base=$(mktemp -d "$cache/base.XXXXXX")
    if ! debootstrap --variant=minbase bookworm "$base" "$mirror" >"$cache/debootstrap.log" 2>&1; then
        echo "fresh-root.sh: debootstrap failed; see $cache/debootstrap.log" >&2
        rm -rf --one-file-system "$base"
        exit 1
    fi
    tar -C "$base" -cf "$cache/base.tar.part" . && mv "$cache/base.tar.part" "$cache/base.tar"
    rm -rf --one-file-system "$base"
fi

root=$(mktemp -d "$cache/run.XXXXXX")
# shellcheck disable=SC2317 # run by the EXIT trap
cleanup() {
    if [ "${FRESH_ROOT_KEEP:-0}" = 1 ]; then
        echo "fresh-root.sh: root kept in $root"
    else
        rm -rf --one-file-system "$root"
    fi
}
trap cleanup EXIT
tar -C "$root" -xf "$cache/base.tar"
# A root directory everyone may enter, as on a real machine: the base was
# built in a mktemp folder, the owner's only, and the archive keeps its mode.
# Tests that run a program as an unprivileged user need it.
chmod 755 "$root"
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
mkdir -p "$root/root/calmora" "$root/var/cache/ccache"
git -C "$project" archive --format=tar HEAD | tar -C "$root/root/calmora" -xf -

echo "fresh-root.sh: running '$command' in a fresh Debian 12 root"
start=$(date +%s)
set +e
# shellcheck disable=SC2016 # the inner shell expands its own arguments
unshare --mount --pid --fork --propagation private bash -c '
    set -e
    root=$1 cache=$2 command=$3
    mount --bind "$root" "$root"
    mount -t proc proc "$root/proc"
    mount --rbind /sys "$root/sys"
    mount --rbind /dev "$root/dev"
    mount -t tmpfs tmpfs "$root/dev/shm"
    mount -t tmpfs tmpfs "$root/tmp"
    mount --bind "$cache/ccache" "$root/var/cache/ccache"
    cd "$root"
    mkdir -p .old-root
    pivot_root . .old-root
    umount -l /.old-root
    rmdir /.old-root
    exec /usr/bin/env -i HOME=/root LANG=C.UTF-8 CI=true TERM=dumb CCACHE_DIR=/var/cache/ccache \
        CALMORA_WERROR="${CALMORA_WERROR:-}" \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        bash -c "cd /root/calmora && $command" </dev/null
' fresh-root "$root" "$cache" "$command"
status=$?
set -e
echo "fresh-root.sh: '$command' exited $status after $(($(date +%s) - start)) s"
exit $status
