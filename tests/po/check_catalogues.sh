#!/bin/sh
# Every text given to Tr, TrFill or TrLater in the game's code has a translation in each catalogue:
# a text added without one fails here, not on a player's screen.
set -eu
root=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
find "$root/platform" "$root/rules" "$root/state" "$root/world" "$root/actors" "$root/app" -name '*.cpp' | sort \
  > "$work/sources"
xgettext --language=C++ --from-code=UTF-8 --keyword= --keyword=Tr --keyword=TrFill --keyword=TrLater -f "$work/sources" \
  -o "$work/used.pot"
test -s "$work/used.pot"
for catalogue in "$root"/po/*.po; do
  msgcmp "$catalogue" "$work/used.pot"
done
