#!/usr/bin/env bash
# Set-up for Velmora on Debian 12. Two commands:
#   ./velmora.sh start   install what is missing, build, and start Velmora
#   ./velmora.sh test    install what is missing, build, and run every test
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
data_folder=${VELMORA_HOME:-$HOME/Velmora}
# Where ccache is installed, what it compiled in one clone serves any other clone of the same
# sources: paths below the clone count from its root, and the folder compiled in does not count.
export CCACHE_BASEDIR=$here CCACHE_NOHASHDIR=1

# qt6-tools-dev and qt6-l10n-tools: the English translation is compiled into the program.
# libqt6svg6: Qt's SVG icon engine, which draws the program's pictures (the program and its tests).
build_packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-qpa-plugins libsqlcipher-dev
                libsodium-dev libgl-dev qt6-tools-dev qt6-l10n-tools libqt6svg6)
# qt6-wayland: the program runs natively in a Wayland session.
start_packages=(fonts-wqy-microhei qt6-translations-l10n qt6-wayland)
# The checks of the installed desktop files, the start under a headless Wayland compositor, and
# the bursts of real keys through Xvfb with openbox and through weston (XTest sends the keys),
# and the two Syncthing programs that keep a folder in step between two computers' copies.
test_packages=(clang-format desktop-file-utils appstream weston qt6-wayland
               xvfb openbox libxtst-dev syncthing)

say() { printf '\n== %s\n' "$*"; }

# Runs a command with its output in a log file; only a failure shows the output.
quietly() { # quietly LOG COMMAND...
    local log=$1
    shift
    if ! "$@" >"$log" 2>&1; then
        cat "$log"
        echo "failed: $* (output above, also in $log)"
        return 1
    fi
}

install_missing() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    say "Installing ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    # sudo may ask for the password first, so it asks outside the quiet part.
    [ ${#sudo[@]} -eq 0 ] || sudo -v
    local log
    log=$(mktemp)
    quietly "$log" "${sudo[@]}" apt-get update
    quietly "$log" "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y \
        --no-install-recommends "${missing[@]}"
    rm -f "$log"
    echo "installed ${#missing[@]} packages"
}

configure() { # configure FOLDER CMAKE-OPTIONS...
    local folder=$1
    shift
    mkdir -p "$folder"
    quietly "$folder/configure.log" cmake -S "$here" -B "$folder" -G Ninja "$@"
}

build() { # build FOLDER [TARGETS...]: one line when it succeeds, the compiler's words when not
    local folder=$1
    shift
    local targets=()
    [ $# -eq 0 ] || targets=(--target "$@")
    quietly "$folder/build.log" cmake --build "$folder" "${targets[@]}"
    echo "built in $folder"
}

# Makes the installed program known to the desktop of this user: its menu entry and icon under
# $XDG_DATA_HOME (~/.local/share), the entry's Exec naming the installed program.
register_for_user() { # register_for_user PREFIX
    local prefix=$1 data_home=${XDG_DATA_HOME:-$HOME/.local/share} id=app.velmora.Velmora
    mkdir -p "$data_home/applications"
    cp "$prefix/share/applications/$id.desktop" "$data_home/applications/"
    (cd "$prefix/share" && find icons/hicolor -name "$id.*" -print0) |
        while IFS= read -r -d '' icon; do
            mkdir -p "$data_home/$(dirname "$icon")"
            cp "$prefix/share/$icon" "$data_home/$icon"
        done
    # No cache files are written: a user-level icon or MIME cache that later goes stale would
    # hide other programs' entries; desktops watch these folders themselves.
    echo "menu entry: $data_home/applications/$id.desktop"
}

start() {
    install_missing "${build_packages[@]}" "${start_packages[@]}"
    say "Building"
    configure "$here/build" -DCMAKE_BUILD_TYPE=Release -DVELMORA_BENCHMARKS=OFF
    build "$here/build" velmora velmora_delivered_db
    # The program lives in its own folder beside its database; an existing bookkeep.dat there
    # is the user's and is never replaced.
    say "Installing into $data_folder"
    quietly "$here/build/install.log" cmake --install "$here/build" --prefix "$data_folder"
    register_for_user "$data_folder"
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo
        echo "Velmora is a desktop program and there is no display to show it on"
        echo "(neither DISPLAY nor WAYLAND_DISPLAY is set). Run this command from a desktop"
        echo "session, or start it on a virtual display: xvfb-run $data_folder/velmora"
        exit 1
    fi
    say "Starting $data_folder/velmora"
    exec "$data_folder/velmora"
}

smoke_start() { # the built program comes up on its delivered database and stays up
    local folder status
    folder=$(mktemp -d)
    cp "$1/bin/velmora" "$folder/"
    cp "$1/delivered/empty-bookkeep.dat" "$folder/bookkeep.dat"
    set +e
    QT_QPA_PLATFORM=offscreen timeout 5 "$folder/velmora"
    status=$?
    set -e
    local logs
    logs=$(find "$folder" -name 'Log*.log' | wc -l)
    rm -rf "$folder"
    if [ "$status" -ne 124 ] || [ "$logs" -ne 0 ]; then
        echo "smoke start failed: exit status $status, $logs log files"
        return 1
    fi
    echo "smoke start: the program came up and kept running"
}

# The test builds' optimisation: enough for the checked functions, with debug information and
# the program's own assertions kept.
optimised_debug=("-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g")

run_tests() {
    install_missing "${build_packages[@]}" "${test_packages[@]}"
    say "Checking the formatting"
    # Optimised with debug information: the C library's checked functions need the optimiser, and
    # a failure still shows its lines. -O1 builds faster than -O2 and the tests wait on the disk
    # rather than the processor. The C++ library checks its containers' bounds too.
    configure "$here/build-test" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${optimised_debug[@]}" \
        -DVELMORA_WERROR=ON -DVELMORA_ASSERTIONS=ON
    quietly "$here/build-test/format.log" cmake --build "$here/build-test" --target format-check
    echo "formatting is as clang-format has it"
    say "Building"
    build "$here/build-test"
    say "Tests"
    (cd "$here/build-test" && ctest --output-on-failure)
    say "Smoke start"
    smoke_start "$here/build-test"
    say "Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
    configure "$here/build-asan" -DVELMORA_ASAN=ON -DVELMORA_WERROR=ON -DVELMORA_ASSERTIONS=ON \
        -DVELMORA_BENCHMARKS=OFF
    build "$here/build-asan"
    (cd "$here/build-asan" && ctest --output-on-failure)
    say "Tests of the note writer's thread under ThreadSanitizer"
    configure "$here/build-tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${optimised_debug[@]}" \
        -DVELMORA_TSAN=ON -DVELMORA_WERROR=ON -DVELMORA_ASSERTIONS=ON -DVELMORA_BENCHMARKS=OFF
    build "$here/build-tsan" writer_tests
    # Without address randomisation: ThreadSanitizer's fixed memory layout does not fit the
    # random placement of newer kernels' defaults.
    (cd "$here/build-tsan" && setarch "$(uname -m)" -R ctest -L writer --output-on-failure)
}

case "${1:-}" in
start) start ;;
test) run_tests ;;
*)
    echo "usage: $0 start|test" >&2
    exit 2
    ;;
esac
