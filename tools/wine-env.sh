# Sourced by every script that runs Wine: the environment the project's programs expect, and
# a prefix set up alike wherever and whenever it is made (see wine/prefix.reg, wine/fonts.conf).

WINE_TOOLS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
WINE_BUILDS=$(dirname "$WINE_TOOLS")/build

wine_env() {  # $1: the Wine prefix
  export WINEPREFIX=$1
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
  # Wine's ANSI code page (the system's code page for non-Unicode programs) follows LC_CTYPE,
  # its user locale LC_MESSAGES: ru_RU gives code page 1251, as on a Russian Windows.
  # HOUSING_SYSTEM_LOCALE (C.UTF-8 gives code page 1252) makes the system code page that of
  # another Windows, the user's locale staying Russian.
  if [ -n "${HOUSING_SYSTEM_LOCALE:-}" ]; then
    unset LC_ALL
    export LANG=ru_RU.UTF-8 LC_MESSAGES=ru_RU.UTF-8 LC_CTYPE=$HOUSING_SYSTEM_LOCALE
  else
    export LC_ALL=ru_RU.UTF-8
  fi
  export FONTCONFIG_FILE=$WINE_TOOLS/wine/fonts.conf
}

# Makes the prefix on first use and applies the project's settings to it, also to a prefix
# made before they changed; a copy of the applied settings in the prefix marks it done.
# Safe to call from parallel processes.
wine_prefix_prepare() {
  local reg=$WINE_TOOLS/wine/prefix.reg applied=$WINEPREFIX/housing-settings.reg
  cmp -s "$reg" "$applied" && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    cmp -s "$reg" "$applied" && exit 0
    # Wine's server and services outlive the programs: they must inherit no descriptor
    # (neither the caller's output pipe nor this lock).
    if [ -f "$WINEPREFIX/system.reg" ] && [ ! -f "$applied" ] &&
       [[ $WINEPREFIX == "$WINE_BUILDS"/* ]]; then
      # Made before the fonts were pinned: Wine keeps offering every host font it once
      # registered, so the build's own prefix is made afresh.
      echo "Making the Wine prefix afresh..." >&2
      wineserver -k </dev/null >/dev/null 2>&1 9>&- || true
      rm -rf "$WINEPREFIX"
    fi
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      echo "Preparing the Wine prefix (first time only)..." >&2
      wineboot -i </dev/null >/dev/null 2>&1 9>&- || true
    fi
    # A prefix made a moment ago now and then refuses its first regedit (seen once in a CI
    # run): the settings are applied once more after Wine has brought the prefix up to date.
    for try in 1 2; do
      wine regedit /S "$(winepath -w "$reg" 2>/dev/null 9>&-)" </dev/null >/dev/null 2>&1 9>&- &&
        cp "$reg" "$applied" && exit 0
      [ "$try" = 1 ] || exit 1
      wineboot -u </dev/null >/dev/null 2>&1 9>&- || true
    done
  ) 9>"$WINEPREFIX.lock"
}
