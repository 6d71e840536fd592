#!/usr/bin/env bash
# Checks the Wine harness from the outside: the template's profile folders are
# real folders inside the prefix, the font and window settings are in place,
# and two runs get different prefixes and displays that vanish afterwards.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/../.." && pwd)
. "$top/scripts/wine-lib.sh"
fail=0
check() { if ! eval "$2"; then echo "FAIL: $1" >&2; fail=1; fi; }

tpl=$(velkor_template)
users="$tpl/drive_c/users"
check "template has no links in its profile folders" \
  '[ -z "$(find "$users" -maxdepth 3 -type l)" ]'
check "desktop is a real folder" '[ -d "$users/$(id -un)/Desktop" ] && [ ! -L "$users/$(id -un)/Desktop" ]'
check "Chinese faces are replaced" 'grep -q "\"Microsoft YaHei\"=\"WenQuanYi Micro Hei\"" "$tpl/user.reg"'
check "windows are unmanaged" 'grep -q "\"Managed\"=\"N\"" "$tpl/user.reg"'

# Two runs side by side: each sees its own prefix and display; neither is left behind.
out1=$(mktemp); out2=$(mktemp)
probe='echo "$WINEPREFIX $DISPLAY"; sleep 1'
run_probe() {
  ( unset DISPLAY; velkor_wine_env; velkor_ensure_display; p=$(velkor_new_prefix winxp)
    echo "$p $DISPLAY"; grep -c '"Version"="winxp"' "$p/user.reg"; sleep 1
    rm -rf "$p"; velkor_stop_display ) >"$1"
}
run_probe "$out1" & a=$!
run_probe "$out2" & b=$!
wait $a $b
read -r p1 d1 <"$out1"; read -r p2 d2 <"$out2"
check "parallel runs get different prefixes" '[ "$p1" != "$p2" ]'
check "parallel runs get different displays" '[ "$d1" != "$d2" ]'
check "the version is set in the copy" '[ "$(sed -n 2p "$out1")" = 1 ]'
check "prefixes are removed after the run" '[ ! -e "$p1" ] && [ ! -e "$p2" ]'
check "the template keeps no version" '! grep -q "\"Version\"=" "$tpl/user.reg"'
rm -f "$out1" "$out2"
exit $fail
