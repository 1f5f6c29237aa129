#!/usr/bin/env bash
# Chinese typed the way a user types it: X keys through a real pinyin input method into the
# edit area drawn from the bytes, saved with the user's keys, and the book's GBK bytes read back.
#   tests/gui/ime_real_test.sh MKED [SHOT.xwd]
# SHOT.xwd, when given, is a picture of the screen while the preedit is showing.
# Exits 77 (skipped) only when a tool it needs is not installed.
set -euo pipefail
mked=${1:?usage: ime_real_test.sh MKED [SHOT.xwd]}
shot=${2:-}

skip() { echo "skipped: $*" >&2; exit 77; }

if [ "${IME_TEST_INSIDE:-}" != 1 ]; then
    for tool in xvfb-run xauth dbus-run-session dbus-send ibus-daemon ibus xdotool; do
        command -v "$tool" >/dev/null || skip "$tool is not installed"
    done
    [ -x /usr/libexec/ibus-memconf ] || skip "ibus-memconf is not installed"
    [ -e /usr/share/ibus/component/libpinyin.xml ] || skip "the libpinyin engine is not installed"
    [ -z "$shot" ] || command -v xwd >/dev/null || skip "xwd is not installed"
    [ -x "$mked" ] || { echo "no editor at $mked" >&2; exit 1; }
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
    mkdir -p "$scratch"/{home,config,cache,state,runtime}
    chmod 700 "$scratch/runtime"
    # Nothing of this machine's settings, its input-method choices or its unsaved texts may
    # steer the run: the engine learns from what is typed, and mked offers old texts back.
    root=$(cd "$(dirname "$0")/../.." && pwd)
    env -u QT_QPA_PLATFORM -u DBUS_SESSION_BUS_ADDRESS -u IBUS_ADDRESS \
        IME_TEST_INSIDE=1 SCRATCH="$scratch" HOME="$scratch/home" \
        XDG_CONFIG_HOME="$scratch/config" XDG_CACHE_HOME="$scratch/cache" \
        XDG_STATE_HOME="$scratch/state" XDG_RUNTIME_DIR="$scratch/runtime" \
        FONTCONFIG_FILE="$root/res/fonts.conf" GSETTINGS_BACKEND=memory \
        xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- "$0" "$@"
    exit $?
fi

# ---- inside the virtual display and the private session bus --------------------------------
log=$SCRATCH/ibus.log
daemon="" editor=""
cleanup() {
    if [ -n "$editor" ]; then
        kill "$editor" 2>/dev/null || true
        wait "$editor" 2>/dev/null || true
    fi
    if [ -n "$daemon" ]; then
        ibus exit >/dev/null 2>&1 || kill "$daemon" 2>/dev/null || true
        wait "$daemon" 2>/dev/null || true
    fi
}
trap cleanup EXIT
fail() {
    echo "FAILED: $*" >&2
    [ -s "$log" ] && sed 's/^/  ibus: /' "$log" >&2
    [ -s "$SCRATCH/mked.log" ] && sed 's/^/  mked: /' "$SCRATCH/mked.log" >&2
    exit 1
}
until_true() {  # TENTHS COMMAND...: runs COMMAND every tenth of a second until it succeeds
    local left=$1
    shift
    until "$@"; do
        left=$((left - 1))
        [ "$left" -gt 0 ] || return 1
        sleep 0.1
    done
}

# The engine keeps its settings in the in-memory config; no panel, no emoji picker, no XIM:
# Qt talks to the daemon over D-Bus itself.
ibus-daemon --panel=disable --emoji-extension=disable --config=/usr/libexec/ibus-memconf \
    --cache=refresh >"$log" 2>&1 &
daemon=$!
has_address() { [ "$(ibus address 2>/dev/null)" != "(null)" ] && ibus address >/dev/null 2>&1; }
until_true 50 has_address || fail "the input-method daemon did not start"
# The first switch starts the engine's process and may time out while it loads its dictionaries.
ibus engine libpinyin >/dev/null 2>&1 || true
pinyin_is_on() { [ "$(ibus engine 2>/dev/null)" = libpinyin ]; }
until_true 50 pinyin_is_on || fail "the pinyin engine could not be switched on"

# A book of 甲乙 as GBK; .qdm, so that saving writes it in place.
book=$SCRATCH/book.qdm
printf '\xbc\xd7\xd2\xd2\n' >"$book"
before=$(od -An -tx1 "$book")

QT_IM_MODULE=ibus "$mked" "$book" >"$SCRATCH/mked.log" 2>&1 &
editor=$!
window=$(timeout 10 xdotool search --sync --onlyvisible --pid "$editor" | head -1) ||
    fail "mked showed no window"
xdotool windowfocus --sync "$window"
# Keys that reach Qt before its input context is focused at the daemon go past the engine, as
# plain letters: wait until the daemon names a focused context.
focused_context() {
    dbus-send --bus="$(ibus address)" --print-reply --dest=org.freedesktop.IBus \
        /org/freedesktop/IBus org.freedesktop.DBus.Properties.Get \
        string:org.freedesktop.IBus string:CurrentInputContext 2>/dev/null |
        grep -q '/org/freedesktop/IBus/InputContext_'
}
until_true 100 focused_context || fail "mked's input context never got the focus at the daemon"

# The caret goes between 甲 and 乙. A preedit cancelled with Escape must leave no trace, neither
# its letters nor its candidates; then 银行 is committed with space and 中国 by its number. Last 乙
# is selected and 书 typed over it, with a BackSpace that belongs to the preedit, not the book.
xdotool key --delay 50 Right
xdotool type --delay 40 zhongguo
xdotool key --delay 50 Escape
xdotool type --delay 40 yinhang
if [ -n "$shot" ]; then
    sleep 0.5
    xwd -id "$window" -silent >"$shot"
fi
xdotool key --delay 50 space
xdotool type --delay 40 zhongguo1
xdotool key --delay 50 shift+Right
xdotool type --delay 40 shuu
xdotool key --delay 50 BackSpace space ctrl+s

saved() { [ "$(od -An -tx1 "$book")" != "$before" ]; }
until_true 100 saved || fail "Ctrl+S wrote nothing to the book"
# 甲 银行 中国 书 in GBK, and nothing else
want=' bc d7 d2 f8 d0 d0 d6 d0 b9 fa ca e9 0a'
got=$(od -An -tx1 "$book" | tr -s ' \n' ' ' | sed 's/ $//')
[ "$got" = "$want" ] || fail "the book holds '$got', not '$want' (甲银行中国书)"
# And out through the menu, as a user leaves it: F10 opens 文件, X is 退出. The book is saved, so
# nothing may ask, and mked must end by itself, cleanly.
xdotool key F10
menu_is_open() { [ "$(xdotool search --onlyvisible --pid "$editor" | wc -l)" -gt 1 ]; }
until_true 50 menu_is_open || fail "F10 opened no menu"
xdotool key x
has_ended() { ! kill -0 "$editor" 2>/dev/null; }
until_true 100 has_ended || fail "mked did not quit through 文件 > 退出"
status=0
wait "$editor" || status=$?
editor=""
[ "$status" = 0 ] || fail "mked quit with status $status"
echo "银行, 中国 and 书 typed through the pinyin engine reached the book where the caret was"
