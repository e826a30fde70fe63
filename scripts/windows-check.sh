#!/usr/bin/env bash
# The Windows check is now the full Windows build (which also refuses POSIX headers
# in product code).
exec bash "$(dirname "$0")/windows-build.sh" "$@"
