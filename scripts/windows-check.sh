#!/usr/bin/env bash
# Compiles every product source for Windows with MinGW-w64 (no link), so that a
# POSIX call or header in product code fails here. MinGW ships a few POSIX
# headers of its own (unistd.h, pthread.h, dirent.h ...): those are refused by name.
set -euo pipefail
cd "$(dirname "$0")/.."

posix_headers='unistd\.h|pthread\.h|dirent\.h|fcntl\.h|sys/[a-z_]+\.h|arpa/|netinet/|netdb\.h|dlfcn\.h|poll\.h|termios\.h|signal\.h|csignal|iconv\.h|semaphore\.h|libgen\.h'
hits=$(grep -rnE "#[[:space:]]*include[[:space:]]*<($posix_headers)" src --include='*.cpp' --include='*.h' \
       | grep -v '^src/platform/standin/' || true)
if [ -n "$hits" ]; then
  echo "POSIX headers in product code:"
  echo "$hits"
  exit 1
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-wincheck -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake "${launcher[@]}" >/dev/null
cmake --build build-wincheck --parallel "$(nproc)"
echo "Windows compile check passed"
