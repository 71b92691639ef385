#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the application need.
# Quick when everything is already there.
set -euo pipefail

packages=(
    cmake g++ ninja-build pkg-config
    libqpdf-dev libturbojpeg0-dev libdeflate-dev libharfbuzz-dev libfreetype-dev
    qt6-base-dev qt6-declarative-dev qt6-pdf-dev qt6-qpa-plugins
    qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-layouts
    qml6-module-qtquick-window qml6-module-qtquick-dialogs qml6-module-qtquick-templates
    qml6-module-qtquick-shapes qml6-module-qtqml-workerscript qt6-translations-l10n
    ghostscript qpdf poppler-utils libgtest-dev dbus desktop-file-utils appstream dpkg-dev file
    fonts-bebas-neue fonts-roboto-unhinted fonts-dejavu-core fonts-urw-base35 librsvg2-bin
    xvfb xauth lintian
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
