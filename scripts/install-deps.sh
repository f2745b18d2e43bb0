#!/usr/bin/env bash
# Installs every Debian package that Orvane's build, tests and programs need.
# Idempotent: packages already present are left alone, so repeated calls are cheap.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build ccache pkg-config
  clang-14 libclang-rt-14-dev
  libtsan2  # ThreadSanitizer runtime of g++, for the tsan preset
  # libraries
  libasio-dev libssl-dev nlohmann-json3-dev libsimdjson-dev libicu-dev libqrencode-dev
  libavahi-client-dev qt6-base-dev qt6-qpa-plugins qt6-wayland
  libqt6gui6  # with Qt's JPEG image plugin, for the covers sent to the phone
  # the desktop windows: Qt Quick with its controls, layouts and shapes, and SVG icons
  qt6-declarative-dev qt6-svg-dev libqt6svg6 qml6-module-qtqml qml6-module-qtquick
  qml6-module-qtquick-controls qml6-module-qtquick-templates qml6-module-qtquick-layouts
  qml6-module-qtquick-window qml6-module-qtquick-shapes qml6-module-qtqml-workerscript
  qml6-module-qttest
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  openssl python3
  desktop-file-utils  # desktop-file-validate, for the menu entries
  # real services the integration tests start and stop
  dbus avahi-daemon avahi-utils zbar-tools
  # the desktop's clipboard under a real X server and a real Wayland compositor, and a
  # stand-in logind for sleep and wake, and notification servers for banners
  xvfb xauth xclip sway wl-clipboard python3-dbusmock dunst
  # a real MPRIS player (mpv with its MPRIS plugin) playing a tone made by sox, driven
  # and read back with playerctl; python3-dbus for a player that never answers
  mpv mpv-mpris sox playerctl python3-dbus
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
