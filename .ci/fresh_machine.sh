#!/usr/bin/env bash
# Runs each command of the README on a fresh Debian of its own, as a newcomer
# meets it: a minimal chroot of the given release with only make and git in
# it, from deb.debian.org, the project cloned into it, the command run as root.
# `plain` is a packager's configure and build with the build dependencies
# alone; `ci` is what CI runs, `make test` then `make cross`, in one root. It
# takes minutes, so it is not part of make test. Each command's output is kept
# in /tmp/brivolt-fresh-RELEASE-COMMAND.log, and make cross's worlds in
# /tmp/brivolt-fresh-RELEASE-worlds.
#
# Usage (as root): .ci/fresh_machine.sh bookworm|trixie [run|test|package|bench|screenshot|cross|plain|ci ...]
set -euo pipefail
cd "$(dirname "$0")/.."
release=${1:-}
case "$release" in
  bookworm | trixie) shift ;;
  *) echo "usage: $0 bookworm|trixie [COMMAND ...]" >&2; exit 2 ;;
esac
commands=("$@")
[ ${#commands[@]} -gt 0 ] || commands=(run test package bench screenshot cross plain)

# What this check itself needs on the machine that runs it.
need=()
for package in mmdebstrap xvfb python3-xlib; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || need+=("$package")
done
if [ ${#need[@]} -gt 0 ]; then
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi

work=$(mktemp -d /tmp/brivolt-fresh.XXXXXX)
cat >"$work/debian.sources" <<SOURCES
Types: deb
URIs: http://deb.debian.org/debian
Suites: $release $release-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: http://deb.debian.org/debian-security
Suites: $release-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
root=""
server=""
cleanup() {
  [ -z "$server" ] || kill "$server" 2>/dev/null || true
  if [ -n "$root" ]; then
    for mount in tmp/.X11-unix sys dev proc; do
      mountpoint -q "$root/$mount" && umount -l "$root/$mount"
    done
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# A private X server for `make run`, whose window is ended with Escape as a
# user would, once it shows.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
server=$!
read -r -t 10 number <"$work/display"
display=":$number"

escape_when_shown() {
  DISPLAY=$display /usr/bin/python3 - <<'PYTHON'
import time
from Xlib import X, XK, display, error
from Xlib.ext import xtest
d = display.Display()
def titled(window):
    try:
        return window.get_wm_name() == "Tessmar's Brivolt"
    except error.XError:
        return False
deadline = time.monotonic() + 900  # the first build installs packages
while not (found := [w for w in d.screen().root.query_tree().children if titled(w)]):
    assert time.monotonic() < deadline, "no window"
    time.sleep(0.5)
time.sleep(1)
found[0].set_input_focus(X.RevertToParent, X.CurrentTime)
for event in (X.KeyPress, X.KeyRelease):
    xtest.fake_input(d, event, d.keysym_to_keycode(XK.string_to_keysym("Escape")))
    d.sync()
    time.sleep(0.3)
PYTHON
}

in_chroot() {
  chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root "$@"
}

failed=0
for command in "${commands[@]}"; do
  root="$work/$command"
  mmdebstrap --quiet --variant=minbase --include=make,git \
    --aptopt='Acquire::Check-Valid-Until "false"' "$release" "$root" "$work/debian.sources"
  mount -t proc proc "$root/proc"
  mount --rbind /dev "$root/dev"
  mount --rbind /sys "$root/sys"
  git clone -q . "$root/root/brivolt"
  name="make $command"
  case "$command" in
    plain) name="cmake -S . -B build && cmake --build build" 
      line="apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq"
      line+=" cmake g++ make pkg-config liballegro4-dev libx11-dev librsvg2-bin >/dev/null"
      line+=" && cmake -S . -B build && cmake --build build -j$(nproc)" ;;
    screenshot) line="make screenshot && file docs/brivolt.png | grep -q 'PNG image data, 800 x 600'" ;;
    ci) name="make test && make cross"
      line="make test && make cross" ;;
    *) line="make $command" ;;
  esac
  log=/tmp/brivolt-fresh-$release-$command.log
  start=$(date +%s)
  status=0
  if [ "$command" = run ]; then
    # Only this command sees the X server here: the tests start their own, and
    # one on the same display number would take over its socket.
    mkdir -p "$root/tmp/.X11-unix"
    mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
    escape_when_shown &
    escaper=$!
    in_chroot DISPLAY="$display" sh -c "cd /root/brivolt && $line" >"$log" 2>&1 ||
      status=$?
    wait "$escaper" || status=$?
  else
    in_chroot sh -c "cd /root/brivolt && $line" >"$log" 2>&1 || status=$?
  fi
  echo "fresh $release: $name: status $status in $(($(date +%s) - start)) s"
  # The long game's worlds of make cross, to compare with another release's.
  if [ -d "$root/root/brivolt/build-cross/worlds" ]; then
    rm -rf "/tmp/brivolt-fresh-$release-worlds"
    cp -r "$root/root/brivolt/build-cross/worlds" "/tmp/brivolt-fresh-$release-worlds"
  fi
  [ "$status" -eq 0 ] || { failed=1; tail -20 "$log"; }
  for mount in tmp/.X11-unix sys dev proc; do
    ! mountpoint -q "$root/$mount" || umount -l "$root/$mount"
  done
  rm -rf "$root"
  root=""
done
exit "$failed"
