# Functions for running the Windows program under Wine, sourced by scripts/demo.sh
# (--windows) and scripts/wine-test.sh: a private X display, a fresh Wine prefix,
# Windows paths, a screenshot of a window. Meant to run in a network namespace of
# its own (scripts/netns-run.sh), so Wine's and the program's sockets stay private.

# Wine asks for nothing on a prefix's first boot, and says nothing.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

wine_xvfb_pid=
wine_prefix_dir=

# Starts a private Xvfb (a display number nobody uses) and a fresh prefix in a
# temporary folder, copied from a booted one kept in the cache (booting takes seconds,
# copying almost none); sets DISPLAY and WINEPREFIX.
wine_start() {
    local display_file
    display_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
    wine_xvfb_pid=$!
    for _ in $(seq 1 100); do [ -s "$display_file" ] && break; sleep 0.1; done
    export DISPLAY=":$(cat "$display_file")"
    rm -f "$display_file"
    local template
    template=$(wine_prefix_template)
    wine_prefix_dir=$(mktemp -d)
    cp -a "$template/." "$wine_prefix_dir/"
    export WINEPREFIX=$wine_prefix_dir
}

# A prefix booted once per Wine version and user, kept under ~/.cache.
wine_prefix_template() {
    local template
    template="${SKYWEAVER_WINE_PREFIX_CACHE:-${HOME:-/root}/.cache/skyweaver-wine-prefix}/$(wine --version | tr -c "A-Za-z0-9.\n-" _)-$(id -un)"
    if [ ! -f "$template/system.reg" ]; then
        local booting
        booting=$(mktemp -d)
        WINEPREFIX=$booting wine wineboot --init >/dev/null 2>&1 || true
        WINEPREFIX=$booting wineserver -w
        mkdir -p "$(dirname "$template")"
        mv -T "$booting" "$template" 2>/dev/null || rm -rf "$booting"
    fi
    echo "$template"
}

# Ends the prefix's wineserver and the display, and removes the prefix.
wine_stop() {
    [ -n "$wine_prefix_dir" ] && { wineserver -k 2>/dev/null || true; rm -rf "$wine_prefix_dir"; }
    [ -n "$wine_xvfb_pid" ] && { kill "$wine_xvfb_pid" 2>/dev/null || true; wait "$wine_xvfb_pid" 2>/dev/null || true; }
    wine_prefix_dir=
    wine_xvfb_pid=
}

# The Windows name of a Linux path (Wine's drive Z: is the root folder).
wine_path() {
    local path=$1
    echo "Z:${path//\//\\}"
}

# The roaming app-data folder of the prefix's user (%APPDATA%).
wine_appdata() {
    echo "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming"
}

# A PNG of the top-level window with the given title.
wine_screenshot() {
    local title=$1 png=$2
    xwd -silent -name "$title" | xwdtopnm 2>/dev/null | pnmtopng >"$png" 2>/dev/null
}
