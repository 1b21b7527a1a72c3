#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with, only those that
# are missing. Quick when everything is there already.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config git
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libsqlite3-dev sqlite3
  qt6-base-dev qt6-svg-dev libgl-dev
  libcurl4-openssl-dev libpugixml-dev libssh-dev libldap-dev qt6-charts-dev libqt6opengl6-dev
  nlohmann-json3-dev
  python3 fonts-dejavu-core ccache
  libssl-dev
)
# Real servers the engine's tests start on the loopback interface.  snmptrapd brings the
# snmpd agent along: where installing a package starts its service, stop both after.
# Without them those tests skip and say why, so a failed install only warns.
servers=(python3-aiosmtpd snmptrapd snmp dnsmasq-base openssh-server slapd ldap-utils
         python3-pyftpdlib tftpd-hpa snmpd)

missing_of() {
  local p status
  for p in "$@"; do
    status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null || true)
    [[ "$status" == ii* ]] || echo "$p"
  done
}
mapfile -t missing < <(missing_of "${packages[@]}")
mapfile -t missing_servers < <(missing_of "${servers[@]}")

if ((${#missing[@]} == 0 && ${#missing_servers[@]} == 0)); then
  exit 0
fi

sudo=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "bootstrap: run as root or install sudo" >&2; exit 1; }
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
updated=0
if ((${#missing[@]} > 0)); then
  echo "bootstrap: installing ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  updated=1
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if ((${#missing_servers[@]} > 0)); then
  echo "bootstrap: installing ${missing_servers[*]}"
  { ((updated)) || "${sudo[@]}" apt-get update -qq; } &&
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing_servers[@]}" ||
    echo "bootstrap: could not install ${missing_servers[*]}; the tests against real servers will skip" >&2
fi
