#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with, only those that
# are missing. Quick when everything is there already.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config git
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libsqlite3-dev sqlite3
  qt6-base-dev qt6-svg-dev libgl-dev
  libcurl4-openssl-dev libpugixml-dev
  python3 fonts-dejavu-core ccache
  # Real servers the engine's tests start on the loopback interface.  snmptrapd brings the
  # snmpd agent along: where installing a package starts its service, stop both after.
  python3-aiosmtpd snmptrapd dnsmasq-base
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null || true)
  [[ "$status" == ii* ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "bootstrap: installing ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "bootstrap: run as root or install sudo" >&2; exit 1; }
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
