# Shared by the Wine helpers: environment, the template prefix, displays.
# Sourced, not run.

# Bump when the template's settings change; an old template is then rebuilt.
VELKOR_TEMPLATE_REV=4

velkor_wine_env() {
  export WINEARCH=win32
  # VELKOR_WINEDEBUG passes Wine debug channels through, e.g. +loaddll,+timestamp.
  export WINEDEBUG=${VELKOR_WINEDEBUG:--all}
  export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
}

velkor_cache_dir() {
  echo "${VELKOR_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/velkorsetup}"
}

# Starts a private Xvfb when DISPLAY is unset; sets DISPLAY and VELKOR_XVFB_PID.
velkor_ensure_display() {
  VELKOR_XVFB_PID=
  if [ -n "${DISPLAY:-}" ]; then
    return 0
  fi
  local fdfile
  fdfile=$(mktemp)
  # -displayfd picks a free display number, so parallel runs never share one.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fdfile" >/dev/null 2>&1 &
  VELKOR_XVFB_PID=$!
  local i
  for i in $(seq 1 100); do
    if [ -s "$fdfile" ]; then break; fi
    sleep 0.05
  done
  if [ ! -s "$fdfile" ]; then
    echo "winerun: Xvfb did not start" >&2
    rm -f "$fdfile"
    return 1
  fi
  export DISPLAY=":$(tr -d '\n' <"$fdfile")"
  rm -f "$fdfile"
}

velkor_stop_display() {
  if [ -n "${VELKOR_XVFB_PID:-}" ]; then
    kill "$VELKOR_XVFB_PID" 2>/dev/null || true
    wait "$VELKOR_XVFB_PID" 2>/dev/null || true
    VELKOR_XVFB_PID=
  fi
}

# Appends a registry section to a stopped prefix's user.reg; Wine merges it on load.
velkor_user_reg() {
  local prefix=$1; shift
  printf '\n%s\n' "$@" >>"$prefix/user.reg"
}

# Prints the template prefix's path, making it first if needed (once per machine).
velkor_template() {
  local cache tpl lock
  cache=$(velkor_cache_dir)
  tpl="$cache/wine-template-r$VELKOR_TEMPLATE_REV"
  mkdir -p "$cache"
  lock="$cache/template.lock"
  (
    flock 9
    if [ -f "$tpl/.complete" ]; then exit 0; fi
    rm -rf "$tpl" "$tpl.tmp"
    mkdir -p "$tpl.tmp/home"
    velkor_wine_env
    local started_display=
    if [ -z "${DISPLAY:-}" ]; then velkor_ensure_display; started_display=1; fi
    # HOME inside the sandbox so that Wine's profile links cannot reach the real home.
    HOME="$tpl.tmp/home" WINEPREFIX="$tpl.tmp/prefix" wineboot -i >/dev/null 2>&1
    HOME="$tpl.tmp/home" WINEPREFIX="$tpl.tmp/prefix" wineserver -w
    if [ -n "$started_display" ]; then velkor_stop_display; fi
    local users="$tpl.tmp/prefix/drive_c/users"
    # Profile folders become real folders of the prefix.
    find "$users" -maxdepth 2 -type l | while read -r link; do
      rm -f "$link"; mkdir -p "$link"
    done
    mkdir -p "$users/$(id -un)/Desktop" \
      "$users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
    local face
    local lines=('[Software\\Wine\\Fonts\\Replacements] 1700000000')
    # Debian's Wine has no Windows fonts: map the faces the wizard asks for.
    for face in 'Microsoft YaHei' '微软雅黑' 'SimSun' '宋体' 'NSimSun' '新宋体' 'FangSong_GB2312' \
                '仿宋_GB2312' 'FangSong' '仿宋' 'Tahoma' 'MS Shell Dlg' 'MS Shell Dlg 2'; do
      lines+=("\"$face\"=\"WenQuanYi Micro Hei\"")
    done
    # Arial, which the dialogs ask for when Yahei is missing, draws Chinese as
    # it does on a Chinese Windows (there through font linking): a font link
    # here would make the linked face claim GB2312 requests instead.
    lines+=('"Arial"="WenQuanYi Micro Hei"' '"Times New Roman"="Liberation Serif"')
    velkor_user_reg "$tpl.tmp/prefix" "${lines[@]}"
    # No window manager under Xvfb: unmanaged, undecorated windows hide at once
    # (a managed window's hide costs about 2 s there).
    velkor_user_reg "$tpl.tmp/prefix" '[Software\\Wine\\X11 Driver] 1700000000' '"Decorated"="N"' '"Managed"="N"'
    velkor_user_reg "$tpl.tmp/prefix" '[Software\\Wine\\Drivers] 1700000000' '"Audio"=""'
    rm -rf "$tpl.tmp/home"
    mv "$tpl.tmp/prefix" "$tpl"
    rmdir "$tpl.tmp"
    touch "$tpl/.complete"
  ) 9>"$lock"
  echo "$tpl"
}

# Makes a fresh prefix for one run: a copy of the template with the Windows
# version (and $VELKOR_DPI when set) set. Prints its path.
velkor_new_prefix() {
  local version=$1 tpl prefix
  tpl=$(velkor_template)
  prefix=$(mktemp -d "${TMPDIR:-/tmp}/velkor-wine.XXXXXX")
  cp -a "$tpl/." "$prefix/"
  rm -f "$prefix/.complete"
  if [ -n "$version" ]; then
    velkor_user_reg "$prefix" '[Software\\Wine] 1700000000' "\"Version\"=\"$version\""
  fi
  # VELKOR_DPI=120 or 144: the display setting of 125 % or 150 %, as Windows
  # hands it to a program that does not declare its DPI awareness.
  if [ -n "${VELKOR_DPI:-}" ]; then
    velkor_user_reg "$prefix" '[Control Panel\\Desktop] 1700000000' "\"LogPixels\"=dword:$(printf %08x "$VELKOR_DPI")"
  fi
  echo "$prefix"
}
