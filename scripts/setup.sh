#!/usr/bin/env bash
# Installs the Debian packages the program needs to build, run and be tested,
# then configures and builds it. Safe to run again: when every package is
# already there it neither calls apt nor reaches the network, and the build
# redoes only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."

. scripts/packages.sh

packages=(
  cmake
  ninja-build
  g++
  lld                   # links the functions a start runs together (src/app)
  pkg-config            # Qt's CMake files look up some of their own dependencies with it
  qt6-base-dev          # Core, Gui, Widgets, PrintSupport, Test
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
  dpkg-dev              # dpkg-shlibdeps, for the Debian package's dependencies
  file                  # used by CPack to find the package's programs
  lintian               # checks the Debian package, in the tests
  mdbtools-dev          # libmdb: reads the clubs' Access banks to convert them (optional to build)
)

ensure_packages "${packages[@]}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
