#!/usr/bin/env bash
# Installs the Debian packages the project needs (when missing) and builds everything.
# Usage: scripts/setup.sh            -> install + configure + build into ./build
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"

PKGS=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-image-formats-plugins
  qt6-translations-l10n
  libqt6opengl6-dev libgl-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  zlib1g-dev libpng-dev libfontconfig-dev libgtest-dev libgmock-dev libbenchmark-dev libcurl4-openssl-dev
  libopencv-imgproc-dev
  python3 python3-fonttools python3-pyftpdlib python3-aiosmtpd
  fonts-dejavu-core fonts-liberation2 fonts-dosis tinyproxy nginx-light curl socat vsftpd
  xvfb xauth xdotool x11-utils imagemagick poppler-utils
  # ImageMagick's decoder as the PCX reference of the pictures benchmark.
  libmagickcore-6.q16-dev
  # kestrup.dll: the mingw-w64 cross compiler, and wine (32-bit) to test it; qemu-user
  # runs wine's 32-bit loader where the kernel cannot run 32-bit programs.
  g++-mingw-w64-i686 wine wine64 wine32:i386 qemu-user
  # Faster rebuilds; the Debian packages (icons, dependencies) and their validators.
  ccache dpkg-dev file librsvg2-bin desktop-file-utils appstream lintian
)

missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  # wine's 32-bit half comes from the i386 architecture.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
  # tinyproxy, nginx and vsftpd are only used by tests and benchmarks, started on demand.
  for svc in tinyproxy nginx vsftpd; do
    $SUDO systemctl disable --now "$svc" >/dev/null 2>&1 || true
    $SUDO service "$svc" stop >/dev/null 2>&1 || true
  done
fi

cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$here/build" -j"$(nproc)"
