#!/usr/bin/env bash
# Builds the Debian package into a scratch folder, checks its control fields
# and file list, runs lintian, installs it into a throw-away root with dpkg,
# starts the program there as its desktop entry says, then removes the
# package and checks that every file it installed is gone while the user's
# own folder is untouched.
# Usage: debian-package.sh BUILD_DIR APP_ID VERSION   (exit 77: a packaging tool is missing)
set -euo pipefail
build=$1 id=$2 version=$3

missing=()
for tool in cpack dpkg-deb dpkg-shlibdeps dpkg lintian file tar; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Test du paquet non fait, outils absents : ${missing[*]} (installés par scripts/setup.sh)"
  exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/qcm-deb.XXXXXX")
pid=
cleanup() {
  if [ -n "$pid" ]; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "ÉCHEC : $*" >&2
  exit 1
}

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log"; fail "cpack n'a pas produit le paquet"; }
deb="$work/out/qcm_${version}_amd64.deb"
[ -s "$deb" ] || fail "paquet absent : $deb ($(ls "$work/out"))"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = qcm ] || fail "champ Package : $(field Package)"
[ "$(field Version)" = "$version" ] || fail "champ Version : $(field Version)"
[ "$(field Architecture)" = amd64 ] || fail "champ Architecture : $(field Architecture)"
depends=$(field Depends)
for lib in libqt6widgets6 libqt6printsupport6 libsqlite3-0 libc6; do
  [[ $depends == *"$lib "* || $depends == *"$lib," || $depends == *"$lib" ]] \
    || fail "Depends ne cite pas $lib (calcul par dpkg-shlibdeps) : $depends"
done
[[ $depends != *libmdb* ]] || fail "libmdb doit être recommandée, pas exigée : $depends"
[[ $(field Recommends) == *libmdb3* ]] || fail "Recommends ne cite pas libmdb3 : $(field Recommends)"
description=$(field Description)
[[ $description == *"theory tests"* && $description == *"examens théoriques"* ]] \
  || fail "la description doit être en anglais et en français"

dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -e 's#^\./#/#' -e 's#/$##' | grep -v '^/\?$' >"$work/list"
for f in /usr/bin/qcm "/usr/share/qcm/VAR-irururiza.zov" /usr/share/qcm/QCM.BMP "/usr/share/qcm/QCM Complet.rpt" \
  "/usr/share/applications/$id.desktop" "/usr/share/metainfo/$id.metainfo.xml" \
  "/usr/share/icons/hicolor/scalable/apps/$id.svg" "/usr/share/icons/hicolor/48x48/apps/$id.png" \
  /usr/share/man/man1/qcm.1.gz /usr/share/doc/qcm/copyright /usr/share/doc/qcm/changelog.gz; do
  grep -qxF "$f" "$work/list" || fail "fichier absent du paquet : $f"
done
! grep -qv '^/usr\(/\|$\)' "$work/list" || fail "fichiers hors de /usr : $(grep -v '^/usr/' "$work/list")"
! grep -qiE '\.mdb$|/tests?/' "$work/list" || fail "des fichiers de test sont livrés : $(grep -iE '\.mdb$|/tests?/' "$work/list")"

# Errors fail the test; warnings are listed in the release notes.
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 \
  || { cat "$work/lintian.log"; fail "lintian signale des erreurs"; }

# A throw-away root with an empty dpkg database.
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
: >"$root/var/lib/dpkg/status"
: >"$root/var/lib/dpkg/available"
dpkg=(dpkg --root="$root" --force-depends --force-not-root --force-script-chrootless --log=/dev/null)
"${dpkg[@]}" -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg n'a pas installé le paquet"; }

desktop="$root/usr/share/applications/$id.desktop"
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
mapfile -t argv < <(printf '%s\n' "$exec_line" | sed 's/ %[fFuUick]//g' | xargs printf '%s\n')
program=${argv[0]}
[ "$program" = qcm ] || [ "$program" = /usr/bin/qcm ] || fail "ligne Exec inattendue : $exec_line"
argv[0]="$root/usr/bin/qcm"

home="$work/home"
data="$home/.local/share"
mkdir -p "$home"
env -C "$home" HOME="$home" XDG_DATA_HOME="$data" XDG_CONFIG_HOME="$home/.config" \
  XDG_CACHE_HOME="$home/.cache" QT_QPA_PLATFORM=offscreen "${argv[@]}" >"$work/run.log" 2>&1 &
pid=$!
for ((tenths = 0; tenths < 100; tenths++)); do
  sleep 0.1
  kill -0 "$pid" 2>/dev/null || { cat "$work/run.log"; fail "le programme du paquet s'est arrêté au démarrage"; }
  [ "$tenths" -ge 20 ] && [ -s "$data/qcm/VAR-irururiza.zov" ] && break
done
[ -s "$data/qcm/VAR-irururiza.zov" ] || fail "la banque d'exemple n'a pas été copiée dans $data/qcm"
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=

# The user's own files, as years of use leave them.
printf 'Sauvegardes/essai\n' >"$data/qcm/mes-notes.txt"
mkdir -p "$data/qcm/Sauvegardes"
printf 'copie\n' >"$data/qcm/Sauvegardes/VAR-irururiza 2026-12-07 10-00-00.zov"
(cd "$home" && find . -type f -exec sha256sum {} + | sort) >"$work/home.before"

"${dpkg[@]}" --purge qcm >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg n'a pas retiré le paquet"; }
while IFS= read -r f; do
  [ -d "$root$f" ] && continue
  [ ! -e "$root$f" ] || fail "fichier laissé après le retrait du paquet : $f"
done <"$work/list"
(cd "$home" && find . -type f -exec sha256sum {} + | sort) >"$work/home.after"
cmp -s "$work/home.before" "$work/home.after" || fail "le retrait du paquet a touché le dossier de l'utilisateur"
echo "Paquet $(basename "$deb") : champs, fichiers et lintian vérifiés ; installé, démarré et retiré proprement."
