#!/bin/sh
# Starts the built program natively under Wayland, in weston's headless compositor, on a fresh
# copy of the delivered database: it must come up as a window called Velmora and keep running.
# Skipped (77) where weston or Qt's Wayland plugin is not installed.
set -u
build=$1
command -v weston >/dev/null || { echo "weston is not installed"; exit 77; }
folder=$(mktemp -d)
runtime=$(mktemp -d)
chmod 700 "$runtime"
cleanup() {
    [ -n "${weston_pid:-}" ] && kill "$weston_pid" 2>/dev/null
    rm -rf "$folder" "$runtime"
}
trap cleanup EXIT
cp "$build/bin/velmora" "$folder/"
cp "$build/delivered/empty-bookkeep.dat" "$folder/bookkeep.dat"
export XDG_RUNTIME_DIR=$runtime XDG_CONFIG_HOME=$folder/config
weston --backend=headless-backend.so --socket=velmora-test --idle-time=0 \
    >"$runtime/weston.log" 2>&1 &
weston_pid=$!
for _ in 1 2 3 4 5 6 7 8 9 10; do
    [ -S "$runtime/velmora-test" ] && break
    sleep 0.5
done
[ -S "$runtime/velmora-test" ] || { cat "$runtime/weston.log"; echo "weston did not start"; exit 1; }

WAYLAND_DISPLAY=velmora-test QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=client \
    timeout 5 "$folder/velmora" >"$runtime/velmora.log" 2>&1
status=$?
if grep -q 'Could not load the Qt platform plugin\|could not find the Qt platform plugin' \
    "$runtime/velmora.log"; then
    echo "Qt's Wayland plugin is missing (Debian: qt6-wayland)"
    exit 77
fi
if [ "$status" -ne 124 ] || ! grep -q 'xdg_toplevel@[0-9]*\.set_title("Velmora")' \
    "$runtime/velmora.log" || ls "$folder"/Log*.log >/dev/null 2>&1; then
    grep -v '^\[' "$runtime/velmora.log" | tail -20
    echo "the program did not come up under Wayland (exit status $status)"
    exit 1
fi
echo "came up as a Wayland window and kept running"
