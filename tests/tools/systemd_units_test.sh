#!/usr/bin/env bash
# The sample data server's systemd units as built: systemd-analyze accepts
# both, and rates the service's exposure at most 2.0 ("SAFE" goes up to 2.0).
# Usage: systemd_units_test.sh <socket unit> <service unit> <server program>
set -euo pipefail
socket=$1 service=$2 server=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$socket" "$dir/"
# The service names the installed program; here the built one stands in.
sed "s|^ExecStart=[^ ]*/marrowby-weather-server|ExecStart=$server|" "$service" \
  >"$dir/marrowby-weather-server.service"
grep -q "^ExecStart=$server " "$dir/marrowby-weather-server.service"
systemd-analyze verify --man=no "$dir/marrowby-weather-server.socket" \
  "$dir/marrowby-weather-server.service"
systemd-analyze security --offline=yes --threshold=20 --no-pager \
  "$dir/marrowby-weather-server.service" | tail -1
