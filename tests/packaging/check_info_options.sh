#!/usr/bin/env bash
# `orbelle --help` and `orbelle --version` answer without a display and exit 0; --help lists
# exactly the options of the README's table and of the manual page, and --version the
# build's version.
# Usage: check_info_options.sh ORBELLE VERSION README MANUAL-PAGE
set -euo pipefail
exe=$1 version=$2 readme=$3 manual=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# No display at all, and Qt told to use X: anything that started Qt would abort.
run() { env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$exe" "$@" >"$work/out" 2>"$work/err"; }

for opt in --help -h; do
  run "$opt" || fail "$opt exits with $?: $(cat "$work/err")"
  [ ! -s "$work/err" ] || fail "$opt wrote to stderr: $(cat "$work/err")"
  grep -q '^Usage: orbelle' "$work/out" || fail "$opt prints no usage line"
done
cp "$work/out" "$work/help"

# The README's option table: the first column of the rows between "Options" and the
# next blank line, every word in backticks that is an option or the word uninstall.
readme_opts=$(awk '/^Options/{t=1} t&&/^$/&&n++{exit} t&&/^\|/' "$readme" |
  cut -d'|' -f2 | grep -o '`[^`]*`' | tr -d '`' | awk '{print $1}' | sort -u)
[ -n "$readme_opts" ] || fail "no option table found in the README"
help_opts=$(grep -E '^  (-|uninstall)' "$work/help" | grep -oE '(^|[ ,])(--?[a-z-]+|uninstall)' |
  tr -d ' ,' | sort -u)
if [ "$readme_opts" != "$help_opts" ]; then
  diff <(echo "$readme_opts") <(echo "$help_opts") >&2 || true
  fail "--help and the README's table name different options (< README, > --help)"
fi

# The manual page: the term lines of its OPTIONS section.
man_opts=$(awk '/^\.SH OPTIONS/{t=1; next} /^\.SH/{t=0} t' "$manual" | grep -A1 '^\.TP' |
  grep '^\.B' | sed 's/\\-/-/g' | grep -oE '(^\.B[RI]? |[ "])(--?[a-z][a-z-]*|uninstall)' |
  sed -E 's/^(\.B[RI]? |[ "])//' | sort -u)
if [ "$man_opts" != "$help_opts" ]; then
  diff <(echo "$man_opts") <(echo "$help_opts") >&2 || true
  fail "--help and the manual page name different options (< manual, > --help)"
fi

for opt in --version -v; do
  run "$opt" || fail "$opt exits with $?"
  [ "$(cat "$work/out")" = "Orbelle $version" ] || fail "$opt prints '$(cat "$work/out")'"
done
# An option's value is not read as an option: this names a folder called "-h", so the
# program would start (and, without a display, fail) instead of printing the help.
if run --screenshot -h --version; then
  [ "$(cat "$work/out")" = "Orbelle $version" ] || fail "--screenshot -h --version: $(cat "$work/out")"
else
  fail "--screenshot -h --version exits with $?"
fi
echo "--help and --version: ok"
