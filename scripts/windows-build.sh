#!/usr/bin/env bash
# Builds the Windows program with MinGW-w64 in build-windows/: skyweaver.exe (static
# runtime, with its icon and string table) and SimConnect.dll from the simulated
# simulator, against the libraries scripts/windows-deps.sh cross-builds. First it
# refuses POSIX headers in product code: MinGW ships a few of its own (unistd.h,
# pthread.h, dirent.h ...), so the build alone would not catch them.
set -euo pipefail
cd "$(dirname "$0")/.."

posix_headers='unistd\.h|pthread\.h|dirent\.h|fcntl\.h|sys/[a-z_]+\.h|arpa/|netinet/|netdb\.h|dlfcn\.h|poll\.h|termios\.h|signal\.h|csignal|iconv\.h|semaphore\.h|libgen\.h|strings\.h'
hits=$(grep -rnE "#[[:space:]]*include[[:space:]]*<($posix_headers)" src --include='*.cpp' --include='*.h' \
       | grep -v '^src/platform/standin/' || true)
if [ -n "$hits" ]; then
  echo "POSIX headers in product code:"
  echo "$hits"
  exit 1
fi

prefix=$(bash scripts/windows-deps.sh)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DSKYWEAVER_WINDEPS="$prefix" "${launcher[@]}" >/dev/null
cmake --build build-windows --parallel "$(nproc)"
echo "Windows build: build-windows/skyweaver.exe, build-windows/SimConnect.dll"
