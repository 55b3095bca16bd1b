#!/usr/bin/env bash
# Installs the build into a scratch prefix, checks the desktop files with the
# freedesktop validators, then starts the installed program the way its
# desktop entry says, as a user who never ran it before.
# Usage: installed-tree.sh CMAKE BUILD_DIR APP_ID   (exit 77: a validator is missing)
set -euo pipefail
cmake=$1 build=$2 id=$3

work=$(mktemp -d "${TMPDIR:-/tmp}/qcm-install.XXXXXX")
manifest="$build/install_manifest.txt"
pid=
cleanup() {
  if [ -n "$pid" ]; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  # cmake --install rewrites the manifest of a real install: put it back.
  if [ -f "$work/install_manifest.txt" ]; then mv -f "$work/install_manifest.txt" "$manifest"; else rm -f "$manifest"; fi
  rm -rf "$work"
}
trap cleanup EXIT
if [ -f "$manifest" ]; then mv "$manifest" "$work/"; fi
fail() {
  echo "ÉCHEC : $*" >&2
  exit 1
}

# A space in the prefix checks the quoting of the Exec line.
prefix="$work/pré fixe"
"$cmake" --install "$build" --prefix "$prefix" >/dev/null

desktop="$prefix/share/applications/$id.desktop"
metainfo="$prefix/share/metainfo/$id.metainfo.xml"
for f in "$desktop" "$metainfo" "$prefix/share/icons/hicolor/scalable/apps/$id.svg" \
  "$prefix/share/qcm/VAR-irururiza.zov" "$prefix/share/qcm/QCM.BMP"; do
  [ -s "$f" ] || fail "fichier non installé : $f"
done
for size in 16 22 24 32 48 64 128 256; do
  png="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
  [ "$(head -c 8 "$png" 2>/dev/null | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "icône PNG absente ou illisible : $png"
done
# Anything beside the program would make the installed tree a portable one.
[ "$(ls -A "$prefix/bin")" = qcm ] || fail "bin/ contient autre chose que le programme : $(ls -A "$prefix/bin")"

skipped=()
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "entrée de bureau refusée par desktop-file-validate"
else
  skipped+=(desktop-file-validate)
fi
if command -v appstreamcli >/dev/null; then
  # validate-tree also checks that the launchable names an installed desktop entry.
  appstreamcli validate-tree --no-net "$prefix" >"$work/appstream.log" 2>&1 \
    || { cat "$work/appstream.log"; fail "fichier AppStream refusé par appstreamcli"; }
else
  skipped+=(appstreamcli)
fi

# The Exec line, without field codes, split as a desktop would (quotes included).
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
mapfile -t argv < <(printf '%s\n' "$exec_line" | sed 's/ %[fFuUick]//g' | xargs printf '%s\n')
[ "${argv[0]}" = "$prefix/bin/qcm" ] || fail "la ligne Exec ne désigne pas le programme installé : $exec_line"

home="$work/home"
data="$home/.local/share"
mkdir -p "$home"
env -C "$home" HOME="$home" XDG_DATA_HOME="$data" XDG_CONFIG_HOME="$home/.config" \
  XDG_CACHE_HOME="$home/.cache" QT_QPA_PLATFORM=offscreen "${argv[@]}" >"$work/run.log" 2>&1 &
pid=$!
# Alive for two seconds, and the per-user folder filled from the shipped files.
for ((tenths = 0; tenths < 100; tenths++)); do
  sleep 0.1
  kill -0 "$pid" 2>/dev/null || { cat "$work/run.log"; fail "le programme installé s'est arrêté au démarrage"; }
  [ "$tenths" -ge 20 ] && [ -s "$data/qcm/VAR-irururiza.zov" ] && break
done
[ -s "$data/qcm/VAR-irururiza.zov" ] || fail "la banque d'exemple n'a pas été copiée dans $data/qcm"
cmp -s "$prefix/share/qcm/QCM.BMP" "$data/qcm/QCM.BMP" || fail "l'image de démarrage n'a pas été copiée dans $data/qcm"

if [ ${#skipped[@]} -gt 0 ]; then
  echo "Validation non faite, outils absents : ${skipped[*]} (installés par scripts/setup.sh)"
  exit 77
fi
echo "Programme installé : fichiers en place et validés, démarrage réussi."
