#!/usr/bin/env bash
# Set-up for Velmora on Debian 12. Two commands:
#   ./velmora.sh start   install what is missing, build, and start Velmora
#   ./velmora.sh test    install what is missing, build, and run every test
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
data_folder=${VELMORA_HOME:-$HOME/Velmora}

build_packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-qpa-plugins libsqlcipher-dev
                libgl-dev)
start_packages=(fonts-wqy-microhei qt6-translations-l10n)
test_packages=(clang-format libbenchmark-dev)

say() { printf '\n== %s\n' "$*"; }

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
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
        --no-install-recommends "${missing[@]}"
}

configure() { # configure FOLDER CMAKE-OPTIONS...
    local folder=$1
    shift
    cmake -S "$here" -B "$folder" -G Ninja "$@" >/dev/null
}

start() {
    install_missing "${build_packages[@]}" "${start_packages[@]}"
    say "Building"
    configure "$here/build" -DCMAKE_BUILD_TYPE=Release -DVELMORA_BENCHMARKS=OFF
    cmake --build "$here/build" --target velmora velmora_delivered_db
    # The program lives in its own folder beside its database; an existing bookkeep.dat there
    # is the user's and is never replaced.
    say "Installing into $data_folder"
    cmake --install "$here/build" --prefix "$data_folder"
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

run_tests() {
    install_missing "${build_packages[@]}" "${test_packages[@]}"
    say "Checking the formatting"
    configure "$here/build-test" -DVELMORA_WERROR=ON
    cmake --build "$here/build-test" --target format-check
    say "Building"
    cmake --build "$here/build-test"
    say "Tests"
    (cd "$here/build-test" && ctest --output-on-failure)
    say "Smoke start"
    smoke_start "$here/build-test"
    say "Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
    configure "$here/build-asan" -DVELMORA_ASAN=ON -DVELMORA_WERROR=ON -DVELMORA_BENCHMARKS=OFF
    cmake --build "$here/build-asan"
    (cd "$here/build-asan" && ctest --output-on-failure)
}

case "${1:-}" in
start) start ;;
test) run_tests ;;
*)
    echo "usage: $0 start|test" >&2
    exit 2
    ;;
esac
