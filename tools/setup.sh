#!/usr/bin/env bash
# Installs what the build needs, builds, and then starts the program or runs the test suite.
#   tools/setup.sh run     install, build, start the desktop host
#   tools/setup.sh test    install, build, run every test
#   tools/setup.sh build   install and build only
#   tools/setup.sh check   run every test of a tree already built (no install, no build)
# Environment: BUILD_DIR (default build), SANITIZE=1 for AddressSanitizer + UBSan,
# SKIP_INSTALL=1 to skip the package step, GENERATOR (default Ninja), CMAKE_OPTIONS (more
# configure options, e.g. -DPENNORIA_BUILD_GUI=OFF), CTEST_OPTIONS (e.g. -LE 'browser|gui').
set -euo pipefail
cd "$(dirname "$0")/.."
action=${1:-run}
build_dir=${BUILD_DIR:-build}

install_packages() {
    [ "${SKIP_INSTALL:-0}" = 1 ] && return 0
    mapfile -t wanted < <(sed -e 's/#.*//' -e '/^\s*$/d' tools/debian-packages.txt)
    missing=()
    for p in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    # The build runs `npm ci`; Debian's Node.js and npm only when no npm is on the PATH, since a
    # machine may already have its own Node.js, which Debian's npm package would conflict with.
    command -v npm >/dev/null 2>&1 || missing+=(nodejs npm)
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}

build() {
    local options=(-G "${GENERATOR:-Ninja}" -DPENNORIA_WERROR=ON)
    local extra=()
    read -ra extra <<< "${CMAKE_OPTIONS:-}"
    options+=("${extra[@]}")
    [ "${SANITIZE:-0}" = 1 ] && options+=(-DPENNORIA_SANITIZE=ON -DPENNORIA_BUILD_BENCH=OFF)
    # A compiler cache, where one is installed, makes rebuilds of several trees cheap.
    # Precompiled headers are cached too once ccache may ignore the times of the files they
    # include (the precompiled header is made moments before the files that use it).
    if command -v ccache >/dev/null 2>&1; then
        options+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
        export CCACHE_SLOPPINESS=${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}
    fi
    cmake -S . -B "$build_dir" "${options[@]}" >/dev/null
    cmake --build "$build_dir" --parallel "${BUILD_JOBS:-$(nproc)}"
}

run_tests() {
    read -ra ctest_extra <<< "${CTEST_OPTIONS:-}"
    # Fonts, Pango and the GTK/WebKit stack keep caches until the process ends; every test
    # (and every program a test starts) leaves those to LeakSanitizer's suppressions, while
    # our own allocations are still checked.
    [ "${SANITIZE:-0}" = 1 ] &&
        export LSAN_OPTIONS="suppressions=$PWD/tests/lsan-third-party.supp:print_suppressions=0"
    ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" "${ctest_extra[@]}"
}

if [ "$action" = check ]; then
    run_tests
    exit
fi
install_packages
build
case "$action" in
    build) ;;
    test)
        run_tests
        ;;
    run)
        shift || true
        exec "$build_dir/pennoria/pennoria" "$@"
        ;;
    *) echo "usage: tools/setup.sh run|test|build|check" >&2; exit 2 ;;
esac
