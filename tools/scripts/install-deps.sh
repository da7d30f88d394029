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
    # Debian's checks of the packages: desktop entries, manual pages made from --help
    desktop-file-utils help2man
    # Qt's own translations (message box buttons, file and folder dialogs) for Chinese sessions
    qt6-translations-l10n
    # Qt's SVG icon engine, which draws Brevane's window icon from the hicolor theme
    libqt6svg6
    # TLS for the stand-in's encryption
    libssl-dev openssl
    # The accessibility bridge and a screen reader's view of it (AT-SPI), in a private D-Bus session
    at-spi2-core dbus dbus-x11 python3-pyatspi gir1.2-atspi-2.0
    # The configuration-management engine the Ansible module is tested with
    ansible-core
)

# A second TDS client stack for the stand-in's tests comes from the npm registry; Node.js and npm
# come from Debian unless the machine already has both (a newer Node.js from elsewhere ships npm).
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
    PACKAGES+=(nodejs npm)
fi

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
