#!/usr/bin/env bash
# The one list of Debian packages Skyweaver needs here: build, tests,
# benchmarks, tools, the stand-ins, the Windows compile check and the sanitizer and
# fuzz builds (clang).
# Installs only what is missing; safe to run any number of times.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libfmt-dev libpugixml-dev libsodium-dev libcurl4-openssl-dev libzip-dev
  nlohmann-json3-dev libmsgsl-dev
  libgtest-dev libgmock-dev libbenchmark-dev librapidcheck-dev
  libfreetype-dev libpng-dev fonts-dejavu-core
  g++-mingw-w64-x86-64-posix
  clang-14 libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
