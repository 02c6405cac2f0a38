#!/usr/bin/env bash
# Makes the current network namespace a home router and runs miniupnpd in it until TERM:
#   router_scope.sh WORKDIR LAN_IF LAN_NET EXT_IF [upnp-only|silent]
# Packets are forwarded from LAN_IF to EXT_IF and masqueraded there; nothing from EXT_IF reaches
# the LAN but what miniupnpd forwards (NAT-PMP/PCP and UPnP IGD, or UPnP IGD alone with
# upnp-only; for LAN_NET, ports 1024-65535). A silent router runs no miniupnpd and drops NAT-PMP
# requests unanswered, as a router without port mapping does. miniupnpd's configuration, log, pid
# and lease files live in WORKDIR. Prints "router ready" once miniupnpd listens on its protocols.
# Needs root; meant to run under `ip netns exec`.
set -euo pipefail
if [[ "${1:-}" != "--inside" ]]; then
  # A private mount namespace: miniupnpd sends its lines to syslog as well as to stderr (its
  # log file here), and to /dev/console when no syslog daemon listens; both are covered with
  # /dev/null in it, so the machine's log and console stay quiet.
  exec unshare --mount --propagation private "$0" --inside "$@"
fi
shift
work=$1 lan_if=$2 lan_net=$3 ext_if=$4
mode=${5:-}
natpmp=yes
if [[ $mode == upnp-only ]]; then natpmp=no; fi
mkdir -p "$work"
for node in /dev/console /dev/log; do
  if [[ -e "$node" ]]; then mount --bind /dev/null "$node" 2>/dev/null || true; fi
done

echo 1 >/proc/sys/net/ipv4/ip_forward

# The tables and chains miniupnpd's nftables backend uses by default (table inet filter, chains
# miniupnpd, prerouting_miniupnpd and postrouting_miniupnpd), hooked in as a router would.
nft -f - <<RULES
table inet filter {
  chain forward {
    type filter hook forward priority 0; policy drop;
    ct state established,related accept
    iifname "$lan_if" oifname "$ext_if" accept
    jump miniupnpd
  }
  chain miniupnpd {
  }
  chain prerouting {
    type nat hook prerouting priority -100; policy accept;
    jump prerouting_miniupnpd
  }
  chain postrouting {
    type nat hook postrouting priority 100; policy accept;
    jump postrouting_miniupnpd
    oifname "$ext_if" masquerade
  }
  chain prerouting_miniupnpd {
  }
  chain postrouting_miniupnpd {
  }
}
RULES

if [[ $mode == silent ]]; then
  nft add chain inet filter input '{ type filter hook input priority 0; policy accept; }'
  nft add rule inet filter input udp dport 5351 drop
  echo "router ready"
  # Ends at TERM like the daemon would.
  sleep infinity &
  trap 'kill $! 2>/dev/null; exit 143' TERM INT
  wait
  exit 0
fi

cat >"$work/miniupnpd.conf" <<CONF
ext_ifname=$ext_if
listening_ip=$lan_if
enable_natpmp=$natpmp
enable_upnp=yes
secure_mode=yes
lease_file=$work/miniupnpd.leases
minissdpdsocket=$work/minissdpd.sock
uuid=3a1b7f4e-0d2c-4e5a-9b6f-2c8d1e0f7a11
allow 1024-65535 $lan_net 1024-65535
deny 0-65535 0.0.0.0/0 0-65535
CONF

daemon=
cleanup() {
  if [[ -n "$daemon" ]]; then
    kill "$daemon" 2>/dev/null || true
    wait "$daemon" 2>/dev/null || true
  fi
}
trap cleanup EXIT
trap 'exit 143' TERM INT

log=$work/miniupnpd.log
miniupnpd -f "$work/miniupnpd.conf" -d -P "$work/miniupnpd.pid" >"$log" 2>&1 &
daemon=$!
ready=false
for _ in $(seq 200); do
  if grep -q "HTTP listening on port" "$log" &&
    { [[ $natpmp == no ]] || grep -q "Listening for NAT-PMP/PCP traffic" "$log"; }; then
    ready=true
    break
  fi
  if ! kill -0 "$daemon" 2>/dev/null; then
    echo "miniupnpd ended:" >&2
    cat "$log" >&2
    exit 1
  fi
  sleep 0.05
done
if [[ $ready == true ]]; then
  echo "router ready"
else
  echo "miniupnpd not ready after 10 s:" >&2
  cat "$log" >&2
fi
# miniupnpd runs in the background so that a TERM to this script ends it at once.
wait "$daemon"
