#!/usr/bin/env bash
# Runs a command in a network namespace of its own with its loopback up, so that the
# program's fixed ports (UDP 49004/49005, the RealTraffic port) never meet another run on
# this machine: the demo, a second test run, a parallel test. Where the machine does not
# allow namespaces (not root, no unshare), the command runs in the shared network; such
# runs must then not overlap, and this says so once on stderr.
#   scripts/netns-run.sh <command> [arguments...]
set -euo pipefail
if [ "${SKYWEAVER_IN_NETNS:-}" != 1 ] && [ "$(id -u)" = 0 ] && command -v unshare >/dev/null \
    && command -v ip >/dev/null && unshare --net true 2>/dev/null; then
    export SKYWEAVER_IN_NETNS=1
    exec unshare --net -- bash -c 'ip link set lo up && exec "$@"' netns-run "$@"
fi
if [ "${SKYWEAVER_IN_NETNS:-}" != 1 ]; then
    echo "netns-run: no private network namespace here (needs root and unshare);" \
        "running on the shared network, so no other Skyweaver run may use its ports meanwhile" >&2
fi
exec "$@"
