#!/usr/bin/env bash
# Runs a command inside a headless Wayland session of its own (weston, software rendering,
# screenshots allowed), as a desktop on Wayland would run it: only WAYLAND_DISPLAY is set.
set -u
runtime=$(mktemp -d)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime"
weston --backend=headless-backend.so --use-pixman --width=1280 --height=800 --debug \
  --socket=vistrel-test --idle-time=0 >"$runtime/weston.log" 2>&1 &
weston=$!
export WESTON_PID=$weston
for _ in $(seq 100); do [ -S "$runtime/vistrel-test" ] && break; sleep 0.1; done
unset DISPLAY QT_QPA_PLATFORM
WAYLAND_DISPLAY=vistrel-test "$@"
status=$?
kill "$weston" 2>/dev/null
wait "$weston" 2>/dev/null
rm -rf "$runtime"
exit $status
