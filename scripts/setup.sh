#!/usr/bin/env bash
# Installs the Debian packages the program needs to build, run and be tested,
# then configures and builds it. Safe to run again: when every package is
# already there it neither calls apt nor reaches the network, and the build
# redoes only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."

# One real package name per line (not a virtual name that only another package
# provides: dpkg would never report it installed). Check a new name with
# `apt-cache show NAME` before adding it.
packages=(
  cmake
  ninja-build
  g++
  pkg-config            # Qt's CMake files look up some of their own dependencies with it
  qt6-base-dev          # Core, Gui, Widgets, PrintSupport, Network, Test
  qt6-base-dev-tools    # moc, rcc
  qt6-base-private-dev  # the platform window's title formatting, for the tests
  qt6-svg-dev
  qt6-qpa-plugins       # the offscreen platform of the tests
  qt6-translations-l10n # Qt's own buttons and dialogs in French
  libsqlite3-dev
  libgtest-dev
  libbenchmark-dev      # bench/ is built only when it is present
  fonts-dejavu-core
  poppler-utils         # text of printed PDF files, for the tests
  desktop-file-utils    # desktop-file-validate, for the install test
  appstream             # appstreamcli, for the install test
)

missing_packages() {
  # One dpkg-query for the whole list; ${db:Status-Status} is "installed"
  # whatever the selection (held or not). Unknown names print nothing.
  local installed p
  installed=" $(dpkg-query -W -f='${Package}:${db:Status-Status} ' "${packages[@]}" 2>/dev/null || true)"
  for p in "${packages[@]}"; do
    [[ $installed == *" $p:installed "* ]] || echo "$p"
  done
}

mapfile -t missing < <(missing_packages)
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installation des paquets Debian manquants : ${missing[*]}"
  sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
      echo "Ces paquets doivent être installés par l'administrateur (root) : ${missing[*]}" >&2
      exit 1
    fi
    sudo=(sudo)
  fi
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
  # A name that stays missing after a successful install would send every later
  # run back to apt: stop here and say which one.
  mapfile -t missing < <(missing_packages)
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Paquets toujours absents après l'installation : ${missing[*]} (nom à corriger dans scripts/setup.sh)" >&2
    exit 1
  fi
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
