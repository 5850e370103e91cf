# SPDX-License-Identifier: LicenseRef-Draventa-freeware
# Shared by the scripts: where things are, and installing what is missing.
# shellcheck shell=bash

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"

# Debian packages the program needs to build, run and test. Fonts are listed
# so that text renders under the offscreen platform too; FreeFont draws the
# control pictures (U+2400 on) that the traffic view shows for control bytes,
# which DejaVu lacks.
BUILD_PACKAGES=(cmake make g++ pkgconf qt6-base-dev qt6-serialport-dev libgl-dev
                libqt6serialport6 fonts-dejavu-core fonts-freefont-ttf)
# What the tests start besides the program: two RFC 2217 servers for remote
# ports (ser2net, and pyserial's under /usr/bin/python3), and two readers of
# the recorded line files.
TEST_PACKAGES=(ser2net python3-serial gtkwave sigrok-cli)
# What the benchmarks start besides the program: the same server, for remote lines,
# and Python for the hostile server.
BENCH_PACKAGES=(ser2net python3)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs the given packages, but only those not yet installed, so a ready
# machine never touches the network.
ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}" >&2
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Configures with the given cmake arguments and builds; BUILD_TARGETS, when
# set, names the only targets to build.
configure_and_build() {
    # CI sets SERNIX_WERROR=ON: a warning fails its build.
    cmake -S "$ROOT" -B "$BUILD_DIR" -G "Unix Makefiles" -DSERNIX_WERROR="${SERNIX_WERROR:-OFF}" "$@" >/dev/null
    local targets=()
    [ -n "${BUILD_TARGETS:-}" ] && targets=(--target ${BUILD_TARGETS})
    cmake --build "$BUILD_DIR" -j"$(nproc)" "${targets[@]}"
}
