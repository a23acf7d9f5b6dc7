#!/bin/sh
# Runs the strip's unit tests (the test program given, all its cases in one
# process) where they can reach neither a settings folder nor the network:
# HOME and XDG_CONFIG_HOME name folders that cannot exist (below /dev/null),
# and the process has a network namespace of its own with no interface up,
# not even loopback. A case that reached the real store would find nothing
# stored and could write nothing; one that reached the real fetch would find
# no server. Skipped (status 77) where no network namespace can be made.
set -u
program=$1
if ! unshare --net --map-root-user true 2>/dev/null; then
  echo "no network namespace can be made here (unshare --net --map-root-user): not run"
  exit 77
fi
exec unshare --net --map-root-user env HOME=/dev/null/home XDG_CONFIG_HOME=/dev/null/config \
  "$program"
