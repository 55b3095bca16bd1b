# Sourced by the scripts that build: ensure_packages NAME... installs the
# Debian packages among NAME... that are missing. When none is missing it
# neither calls apt nor reaches the network.
#
# Give real package names (not a virtual name that only another package
# provides: dpkg would never report it installed). Check a new name with
# `apt-cache show NAME` before adding it.

missing_packages() {
  # One dpkg-query for the whole list; ${db:Status-Status} is "installed"
  # whatever the selection (held or not). Unknown names print nothing.
  local installed p
  installed=" $(dpkg-query -W -f='${Package}:${db:Status-Status} ' "$@" 2>/dev/null || true)"
  for p in "$@"; do
    [[ $installed == *" $p:installed "* ]] || echo "$p"
  done
}

ensure_packages() {
  local missing sudo=()
  mapfile -t missing < <(missing_packages "$@")
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "Installation des paquets Debian manquants : ${missing[*]}"
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
  mapfile -t missing < <(missing_packages "$@")
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Paquets toujours absents après l'installation : ${missing[*]} (nom à corriger dans ${BASH_SOURCE[1]})" >&2
    exit 1
  fi
}
