#!/bin/sh
# Hands the files a file manager selected to Zurbo: their paths, one per line,
# in a fresh temporary file that Zurbo reads and then deletes.
set -u

here=$(CDPATH='' cd -- "$(dirname -- "$0")" && pwd)
# Beside the resource folder in a build tree, in bin/ of an installed one.
zurbo="$here/../../zurbo"
[ -x "$zurbo" ] || zurbo="$here/../../../bin/zurbo"
[ -x "$zurbo" ] || zurbo=zurbo

# Zurbo cuts the list at every line break, so a path holding one would come
# back as two wrong paths; such a path is left out instead.
nl='
'
cr=$(printf '\r')
vt=$(printf '\v')
ff=$(printf '\f')
nel=$(printf '\302\205')
ls=$(printf '\342\200\250')
ps=$(printf '\342\200\251')

list=$(mktemp "${TMPDIR:-/tmp}/zurbo-quick-action.XXXXXX") || exit 1
for path in "$@"; do
    case $path in
    *"$nl"* | *"$cr"* | *"$vt"* | *"$ff"* | *"$nel"* | *"$ls"* | *"$ps"*) continue ;;
    esac
    printf '%s\n' "$path" >>"$list"
done
exec "$zurbo" --finder-quick-action "$list"
