#!/bin/sh
# Hands the files a file manager selected to Zurbo: their paths, one per line,
# in a fresh temporary file that Zurbo reads and then deletes. Every file
# manager's entry runs this launcher by its absolute location.
set -u

here=$(CDPATH='' cd -- "$(dirname -- "$0")" && pwd)
# The program beside the resource folder in a build tree, in bin/ of an
# installed one (where the first candidate is the share/zurbo folder).
zurbo=zurbo
for candidate in "$here/../../zurbo" "$here/../../../bin/zurbo"; do
    if [ -f "$candidate" ] && [ -x "$candidate" ]; then
        zurbo=$candidate
        break
    fi
done

# Zurbo cuts the list at every line break, so a path holding one would come
# back as two wrong paths; such a path is left out instead, and so is one
# that is not UTF-8, which Zurbo could not read back.
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
    printf '%s' "$path" | iconv -f UTF-8 -t UTF-8 >/dev/null 2>&1 || continue
    # GNOME Files names the selection relative to the folder it shows.
    case $path in
    /*) ;;
    *) path=$PWD/$path ;;
    esac
    printf '%s\n' "$path" >>"$list"
done
# Zurbo deletes the list once it has read it; whatever is left when it ends
# (it could not be started, or failed before reading) goes here.
"$zurbo" --finder-quick-action "$list"
status=$?
rm -f -- "$list"
exit "$status"
