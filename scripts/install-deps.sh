#!/usr/bin/env bash
# Installs, with apt-get, exactly the Debian packages that Korvel needs to build and test and that
# are not installed yet. Installs nothing when everything is there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-multimedia-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation
  libcurl4-openssl-dev libjpeg-dev liblz4-dev zlib1g-dev
  nlohmann-json3-dev            # saved games (JSON)
  libavahi-client-dev           # games on this network (DNS-SD)
  libnatpmp-dev libminiupnpc-dev  # opening the game port on the router (NAT-PMP, UPnP IGD)
  avahi-daemon dbus iproute2    # its test: private daemons in network namespaces
  desktop-file-utils appstream  # validators of the desktop entry and metainfo (tests)
  dpkg-dev file                 # dpkg-shlibdeps for the Debian package (scripts/make-deb.sh)
  dbus-daemon                   # a private session bus for the notification tests
  miniupnpd-nftables nftables   # port mapping's test: a home router in a network namespace
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  if [[ "$status" != "install ok installed" ]]; then
    missing+=("$p")
  fi
done

if [[ ${#missing[@]} -eq 0 ]]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
