#!/usr/bin/env bash
# Tries the README's two commands the way a new user meets them: makes a minimal Debian 12 in a
# folder (debootstrap, minbase plus git), clones this repository's current commit into it and,
# inside it, runs ./play.sh until the game's window shows on a private Xvfb display (F12 must then
# end it with status 0) and ./test.sh in full. Prints each step's time and what failed.
#
# play.sh goes first: before it only the X server and the key-press tool are installed (a player
# has a display), so its own package list is what gets the game built and shown; test.sh's list
# holds play.sh's, so it is proven as well.
#
# Needs root, debootstrap, network access to the Debian mirror that apt is configured with, and
# several GB of disk. Takes many minutes; not part of ./test.sh.
# Usage: scripts/fresh-debian-check.sh [FOLDER]   (default: a new folder under /var/tmp)
#   TARVEX_FUZZ_SECONDS   passed on to ./test.sh (its fuzz time per target)
#   TARVEX_DEBIAN_MIRROR  the mirror to use instead of the one in apt's sources
#   TARVEX_KEEP_ROOT=1    keep the new system afterwards (the logs are always kept)
set -uo pipefail

[ "$(id -u)" -eq 0 ] || { echo "run as root (debootstrap, chroot and mounts need it)"; exit 2; }
command -v debootstrap >/dev/null || { echo "debootstrap is missing: apt-get install debootstrap"; exit 2; }

repo=$(git -C "$(dirname "$0")" rev-parse --show-toplevel) || exit 2
commit=$(git -C "$repo" rev-parse HEAD) || exit 2
branch=$(git -C "$repo" rev-parse --abbrev-ref HEAD)
[ -z "$(git -C "$repo" status --porcelain --untracked-files=no)" ] ||
  echo "note: uncommitted changes in $repo are not part of the check"

# The first source apt uses for a suite, from one-line or deb822 source files.
apt_source() {
  local suite=$1 uri
  uri=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
        sed -E 's/\[[^]]*\]//' | awk -v s="$suite" '$1 == "deb" && $3 == s { print $2; exit }')
  [ -n "$uri" ] || uri=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null | awk -v s="$suite" '
    BEGIN { RS = "" }
    { uri = ""; suites = ""
      n = split($0, line, "\n")
      for (i = 1; i <= n; i++) {
        if (line[i] ~ /^URIs:/) { split(substr(line[i], 6), u, " "); uri = u[1] }
        if (line[i] ~ /^Suites:/) { suites = " " substr(line[i], 8) " "; gsub(/[ \t]+/, " ", suites) }
      }
      if (uri != "" && index(suites, " " s " ")) { print uri; exit } }')
  echo "$uri"
}
mirror=${TARVEX_DEBIAN_MIRROR:-$(apt_source bookworm)}
security=$(apt_source bookworm-security)
[ -n "$mirror" ] || { echo "no bookworm source in apt's configuration; set TARVEX_DEBIAN_MIRROR"; exit 2; }

work=${1:-$(mktemp -d /var/tmp/tarvex-fresh.XXXXXX)}
mkdir -p "$work" && work=$(realpath "$work")
root=$work/root
logs=$work/logs
[ ! -e "$root" ] || { echo "$root already exists"; exit 2; }
mkdir -p "$root" "$logs"

mounts_below_root() { awk -v r="$root/" 'index($2, r) == 1 { print $2 }' /proc/self/mounts; }
cleanup() {
  # End what still runs inside the new system (an X server, the game, a build), by process id.
  local p
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ] && kill -9 "${p#/proc/}" 2>/dev/null
  done
  sleep 1
  for m in tmp dev sys proc; do
    mountpoint -q "$root/$m" && { umount -R "$root/$m" 2>/dev/null || umount -R -l "$root/$m"; }
  done
  if [ -n "$(mounts_below_root)" ]; then
    echo "still mounted below $root, left in place:"; mounts_below_root
  elif [ "${TARVEX_KEEP_ROOT:-0}" != 1 ]; then
    rm -rf --one-file-system "$root"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

inside() {
  chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    ${TARVEX_FUZZ_SECONDS:+TARVEX_FUZZ_SECONDS=$TARVEX_FUZZ_SECONDS} "$@" </dev/null
}

make_system() {
  debootstrap --variant=minbase --include=git bookworm "$root" "$mirror" || return 1
  {
    echo "deb $mirror bookworm main"
    echo "deb $mirror bookworm-updates main"
    [ -n "$security" ] && echo "deb $security bookworm-security main"
  } >"$root/etc/apt/sources.list"
  cp -L /etc/resolv.conf "$root/etc/resolv.conf"
  mount -t proc proc "$root/proc" &&
    mount --rbind /sys "$root/sys" && mount --make-rslave "$root/sys" &&
    mount --rbind /dev "$root/dev" && mount --make-rslave "$root/dev" &&
    # The host's /tmp, so that xvfb-run sees which display numbers are taken on this machine.
    mount --bind /tmp "$root/tmp" && mount --make-private "$root/tmp"
}

clone_project() {
  git clone -q --no-hardlinks "$repo" "$root/root/tarvex" &&
    git -C "$root/root/tarvex" checkout -q -B "$branch" "$commit" &&
    inside git -C /root/tarvex log --oneline -1
}

play_until_window() {
  inside bash -c 'apt-get update -qq &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends xvfb xauth xdotool' ||
    return 1
  inside xvfb-run -a -s "-screen 0 800x600x24" bash -c '
    cd /root/tarvex
    ./play.sh &
    pid=$!
    wid=""
    while kill -0 $pid 2>/dev/null; do  # it builds first
      wid=$(xdotool search --onlyvisible --name "^TARVEX 3D" 2>/dev/null | head -n 1)
      [ -n "$wid" ] && break
      sleep 1
    done
    if [ -z "$wid" ]; then wait $pid; echo "play.sh ended with status $? before its window showed"; exit 1; fi
    echo "the game window shows"
    # A player presses OK on the boxes the game shows (a chroot has no sound device). There is
    # no window manager to give a new box the keyboard, so the box is focused first.
    for i in $(seq 5); do
      sleep 1
      for box in $(xdotool search --onlyvisible --name "^(ERROR|Open GL)\$" 2>/dev/null); do
        echo "pressing Return on the \"$(xdotool getwindowname $box)\" box"
        xdotool windowfocus $box
        sleep 0.5
        xdotool key Return
      done
    done
    xdotool mousemove 400 300
    sleep 0.5
    xdotool key F12
    for i in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
    if kill -0 $pid 2>/dev/null; then echo "still running 10 s after F12"; kill $pid; exit 1; fi
    wait $pid
    status=$?
    echo "play.sh ended with status $status after F12"
    exit $status'
}

run_tests() { inside bash -c 'cd /root/tarvex && ./test.sh'; }

summary=()
failed=()
step() {
  local name=$1 start secs result=ok
  shift
  echo "== $name ($(date -u +%H:%M:%S) UTC, log $logs/$name.log)"
  start=$(date +%s)
  "$@" >"$logs/$name.log" 2>&1 || result=FAILED
  secs=$(( $(date +%s) - start ))
  summary+=("$(printf '%-16s %-7s %3dm%02ds' "$name" "$result" $((secs / 60)) $((secs % 60)))")
  if [ $result = FAILED ]; then
    failed+=("$name")
    echo "-- $name failed; the end of its log:"
    tail -n 40 "$logs/$name.log"
    grep -A 30 "tests FAILED" "$logs/$name.log"
  fi
  [ $result = ok ]
}

echo "checking $repo at $branch $commit in $work (mirror $mirror)"
step make-system make_system && step clone clone_project && {
  step play play_until_window
  step test run_tests
}
echo "== summary"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "both commands pass on a fresh Debian 12"
