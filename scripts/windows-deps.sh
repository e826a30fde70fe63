#!/usr/bin/env bash
# What the Windows program needs on Debian: the MinGW-w64 toolchain, Wine with a
# private X display for running it, and the libraries the product links (curl with
# Schannel, libsodium, libzip, pugixml, fmt) cross-built as static libraries from
# Debian's source packages of the same versions as the Linux build. The libraries go
# into a cache outside the clone, one folder per set of versions, so a second run
# only checks that folder. Prints the folder (the prefix for the Windows build) last.
#   scripts/windows-deps.sh            -> prints the prefix
#   SKYWEAVER_WINDEPS_CACHE=<dir>      (default: ~/.cache/skyweaver-windows-deps)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

host=x86_64-w64-mingw32
packages=(
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
  wine64 wine xvfb xauth x11-apps netpbm dpkg-dev autoconf automake libtool
)
# Linux package whose source package gives each library's version.
declare -A linux_package=(
  [curl]=libcurl4-openssl-dev [libsodium]=libsodium-dev [libzip]=libzip-dev
  [pugixml]=libpugixml-dev [fmtlib]=libfmt-dev
)
libraries=(fmtlib pugixml libsodium libzip curl)

log() { echo "windows-deps: $*" >&2; }

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

install_packages() {
    bash scripts/install-deps.sh >&2
    local missing=() p
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return
    log "installing ${missing[*]}"
    $SUDO apt-get update -qq >&2
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

source_version() {
    dpkg-query -W -f='${source:Version}' "${linux_package[$1]}"
}

# The cache key: every library's version and this script's recipe, so a change of
# either builds anew.
cache_folder() {
    local key="" lib
    for lib in "${libraries[@]}"; do key+="$lib=$(source_version "$lib");"; done
    key+=$(sha256sum "$repo/scripts/windows-deps.sh" | cut -c1-16)
    echo "${SKYWEAVER_WINDEPS_CACHE:-${HOME:-/root}/.cache/skyweaver-windows-deps}/$(echo "$key" | sha256sum | cut -c1-16)"
}

# Source packages are fetched through a deb-src entry made from the machine's own
# apt sources (the same archives, with source packages enabled).
enable_source_packages() {
    local list=/etc/apt/sources.list.d/skyweaver-deb-src.sources
    [ -f "$list" ] && return
    log "enabling source packages ($list)"
    local tmp
    tmp=$(mktemp)
    local f
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] && [ "$f" != "$list" ] && sed -n 's/^Types:.*\bdeb\b.*/Types: deb-src/; p' "$f" >>"$tmp" && echo >>"$tmp"
    done
    if [ -f /etc/apt/sources.list ]; then
        grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' \
            >"${list%.sources}.list.tmp" || true
    fi
    $SUDO install -m 644 "$tmp" "$list"
    if [ -s "${list%.sources}.list.tmp" ]; then
        $SUDO install -m 644 "${list%.sources}.list.tmp" "${list%.sources}.list"
    fi
    rm -f "$tmp" "${list%.sources}.list.tmp"
    $SUDO apt-get update -qq >&2
}

fetch_source() {
    local lib=$1 work=$2
    (cd "$work" && apt-get source -qq "$lib=$(source_version "$lib")" >/dev/null 2>&1) || {
        log "apt-get source $lib=$(source_version "$lib") failed"; return 1; }
    find "$work" -maxdepth 1 -mindepth 1 -type d -name "${lib}-*" | head -n 1
}

cmake_build() {
    local src=$1 prefix=$2
    shift 2
    cmake -S "$src" -B "$src/build-mingw" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64.cmake" -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DCMAKE_PREFIX_PATH="$prefix" -DBUILD_SHARED_LIBS=OFF "$@" >/dev/null
    cmake --build "$src/build-mingw" --parallel "$(nproc)" >/dev/null
    cmake --install "$src/build-mingw" >/dev/null
}

build_fmtlib() { cmake_build "$1" "$2" -DFMT_TEST=OFF -DFMT_DOC=OFF; }

build_pugixml() { cmake_build "$1" "$2" -DPUGIXML_BUILD_TESTS=OFF; }

build_libzip() {
    cmake_build "$1" "$2" -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF \
        -DENABLE_GNUTLS=OFF -DENABLE_OPENSSL=OFF -DENABLE_MBEDTLS=OFF -DENABLE_COMMONCRYPTO=OFF \
        -DENABLE_WINDOWS_CRYPTO=ON -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF \
        -DBUILD_DOC=OFF
}

build_curl() {
    cmake_build "$1" "$2" -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DBUILD_CURL_EXE=OFF \
        -DBUILD_TESTING=OFF -DCURL_DISABLE_LDAP=ON -DCURL_USE_LIBSSH2=OFF -DUSE_LIBIDN2=OFF \
        -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DUSE_NGHTTP2=OFF -DENABLE_MANUAL=OFF -DCURL_ZLIB=ON
}

# libsodium of this version builds with autotools only (its source package has no
# generated configure).
build_libsodium() {
    local src=$1 prefix=$2
    (cd "$src" && autoreconf -fi >/dev/null 2>&1 && ./configure -q --host=$host --prefix="$prefix" --disable-shared --enable-static \
        --disable-pie CC=$host-gcc-posix >/dev/null && make -s -j"$(nproc)" >/dev/null 2>&1 \
        && make -s install >/dev/null)
}

# nlohmann-json and GSL are header-only: the Linux build's own headers serve.
copy_header_libraries() {
    local prefix=$1
    cp -r /usr/include/nlohmann /usr/include/gsl "$prefix/include/"
}

build_all() {
    local prefix=$1 work lib src
    work=$(mktemp -d)
    trap 'rm -rf "$work"' RETURN
    mkdir -p "$prefix/include"
    for lib in "${libraries[@]}"; do
        local started=$SECONDS
        src=$(fetch_source "$lib" "$work")
        "build_$lib" "$src" "$prefix"
        log "$lib $(source_version "$lib"): $((SECONDS - started)) s"
    done
    copy_header_libraries "$prefix"
}

install_packages
prefix=$(cache_folder)
if [ ! -f "$prefix/.complete" ]; then
    enable_source_packages
    rm -rf "$prefix.partial"
    log "cross-building the libraries into $prefix"
    build_all "$prefix.partial"
    touch "$prefix.partial/.complete"
    rm -rf "$prefix"
    mv "$prefix.partial" "$prefix"
fi
echo "$prefix"
