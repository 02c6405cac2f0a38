#!/usr/bin/env bash
# Runs a command with a private system bus and avahi-daemon of its own, in the current network
# namespace: avahi_scope.sh WORKDIR COMMAND [ARGS...]. The daemons' files live in WORKDIR; a
# private mount namespace puts a fresh /run under avahi-daemon, whose runtime directory is fixed,
# so several of these can run side by side (each in its own network namespace); the daemon's host
# name is WORKDIR's last component. Needs root.
set -euo pipefail
if [[ "${1:-}" != "--inside" ]]; then
  exec unshare --mount --propagation private "$0" --inside "$@"
fi
shift
work=$1
shift
mkdir -p "$work"
mount -t tmpfs tmpfs /run
mkdir -p /run/avahi-daemon

cat >"$work/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$work/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
  </policy>
</busconfig>
CONF
cat >"$work/avahi.conf" <<CONF
[server]
host-name=$(basename "$work")
use-ipv4=yes
use-ipv6=no
enable-dbus=yes
ratelimit-interval-usec=1000000
ratelimit-burst=1000
[wide-area]
enable-wide-area=no
[publish]
publish-hinfo=no
publish-workstation=no
CONF

pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT

dbus-daemon --config-file="$work/bus.conf" --nofork --nopidfile >"$work/dbus.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [[ -S "$work/bus" ]] && break; sleep 0.05; done
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/bus"
avahi-daemon -f "$work/avahi.conf" --no-drop-root --no-chroot --no-rlimits >"$work/avahi.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  grep -q "Server startup complete" "$work/avahi.log" 2>/dev/null && break
  sleep 0.05
done

# The command runs in the background so that a TERM to this script ends it (and the daemons) at
# once instead of after it.
"$@" &
command=$!
trap 'kill "$command" 2>/dev/null || true' TERM INT
status=0
wait "$command" || status=$?
wait "$command" 2>/dev/null || true
exit "$status"
