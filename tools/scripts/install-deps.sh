#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs to build, test and run.
# Idempotent: when every package is present it returns at once.
set -euo pipefail

PACKAGES=(
    # Build tools
    cmake ninja-build g++ pkg-config
    # clang 14 with libFuzzer for the fuzz targets, clang-format 14 for the format check
    clang clang-format
    # Qt 6 Widgets, uic/moc, Qt Test, and the Designer plugin interface
    qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools libgl-dev libxkbcommon-dev
    # ODBC driver manager and FreeTDS's SQL Server ODBC driver
    unixodbc unixodbc-dev tdsodbc
    # FreeTDS's own command-line client, a second client the stand-in is checked against
    freetds-bin
    # A Chinese face for the Chinese captions
    fonts-wqy-zenhei
    # A virtual display, screenshots and scripted input when the machine has no screen
    xvfb xauth x11-utils imagemagick xdotool
    # Debian packages: dependencies from the binaries (dpkg-shlibdeps, with file), and their check
    dpkg-dev file lintian
)

missing=()
for package in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
    SUDO=sudo
else
    SUDO=
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
