#!/bin/sh
# Checks what the project installs and the Debian package made of it: the
# files of an install into a DESTDIR, the desktop validators on them, the
# installed programs run away from the checkout, and the package's files,
# fields and lintian's verdict. ./vorlane.sh test-deb runs it on the package
# it built: tests/dist/package_test.sh build/vorlane_VERSION_ARCH.deb
set -u
cd "$(dirname "$0")/../.."
deb=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
root=$stage/root
passed=0
failed=0

# check FUNCTION: runs one check, counts it and shows what it printed
# when it fails.
check()
{
    if out=$("$1" 2>&1); then
        passed=$((passed + 1))
        echo "ok: $1"
    else
        failed=$((failed + 1))
        echo "FAILED: $1"
        echo "$out" | sed 's/^/    /'
    fi
}

app=org.vorlane.vorlane
expected_files="usr/bin/vorlane
usr/bin/vorlane-scene
usr/bin/vorlane-xm
usr/share/applications/$app.desktop
usr/share/bash-completion/completions/vorlane
usr/share/bash-completion/completions/vorlane-scene
usr/share/bash-completion/completions/vorlane-xm
usr/share/icons/hicolor/128x128/apps/$app.png
usr/share/icons/hicolor/256x256/apps/$app.png
usr/share/icons/hicolor/48x48/apps/$app.png
usr/share/man/man1/vorlane-scene.1
usr/share/man/man1/vorlane-xm.1
usr/share/man/man6/vorlane.6
usr/share/metainfo/$app.metainfo.xml"

# Files (not folders) under a tree, relative to it, sorted.
files_under()
{
    (cd "$1" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort)
}

installs_exactly_the_expected_files()
{
    DESTDIR=$root cmake --install build --prefix /usr >/dev/null || return 1
    echo "$expected_files" | LC_ALL=C sort >"$stage/expected"
    files_under "$root" | diff "$stage/expected" -
}

# desktop-file-validate exits 0 on warnings, but prints them.
desktop_entry_and_metadata_validate()
{
    out=$(desktop-file-validate "$root/usr/share/applications/$app.desktop") || { echo "$out"; return 1; }
    [ -z "$out" ] || { echo "$out"; return 1; }
    appstreamcli validate --no-net "$root/usr/share/metainfo/$app.metainfo.xml" &&
        appstreamcli validate-tree --no-net "$root"
}

icons_are_the_size_their_folder_names()
{
    for png in "$root"/usr/share/icons/hicolor/*/apps/$app.png; do
        size=$(basename "$(dirname "$(dirname "$png")")")
        # The PNG header holds the width and height as big-endian words.
        set -- $(od -An -tu1 -j16 -N8 "$png")
        actual="$(($1 * 16777216 + $2 * 65536 + $3 * 256 + $4))x$(($5 * 16777216 + $6 * 65536 + $7 * 256 + $8))"
        [ "$actual" = "$size" ] || { echo "$png is $actual"; return 1; }
    done
}

man_pages_format_without_warnings()
{
    for page in "$root"/usr/share/man/man*/*; do
        warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
        [ -z "$warnings" ] || { echo "$page: $warnings"; return 1; }
    done
}

# Every option a program's usage names is in its man page and its
# completion, so that neither falls behind the command line.
options_are_documented_and_completed()
{
    status=0
    for program in vorlane vorlane-xm vorlane-scene; do
        options=$("$root/usr/bin/$program" --help 2>&1 | grep -o -- '--[a-z-]*' | LC_ALL=C sort -u)
        [ -n "$options" ] || { echo "$program names no options"; status=1; }
        page=$(ls "$root"/usr/share/man/man*/"$program".*)
        for option in $options; do
            escaped=$(echo "$option" | sed 's/-/\\-/g')
            grep -qF -- "$escaped" "$page" || { echo "$page lacks $option"; status=1; }
            grep -qF -- "$option" "$root/usr/share/bash-completion/completions/$program" ||
                { echo "the completion of $program lacks $option"; status=1; }
        done
    done
    return $status
}

# complete WORDS...: what the installed completion offers for the last word.
complete_words()
{
    bash -c '. "$0"; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); "_${1//-/_}" 2>/dev/null; echo "${COMPREPLY[*]}"' \
        "$root/usr/share/bash-completion/completions/$1" "$@"
}

completion_offers_the_options()
{
    [ "$(complete_words vorlane --res)" = "--resolution" ] &&
        [ "$(complete_words vorlane --resolution 10)" = "1024x768" ] &&
        [ "$(complete_words vorlane-xm re)" = "render" ] &&
        [ "$(complete_words vorlane-xm render song.xm out.wav --r)" = "--rate" ] &&
        [ "$(complete_words vorlane-scene cube.lws --f)" = "--fps" ]
}

# The installed show captures from a folder far from the checkout: it
# needs nothing but what is embedded in it.
installed_show_captures_frames()
{
    mkdir -p "$stage/away" && cd "$stage/away" || return 1
    SDL_VIDEODRIVER=offscreen "$root/usr/bin/vorlane" --capture frames --fps 2 --to 2000 --resolution 320x240 ||
        return 1
    ls frames
    [ "$(ls frames)" = "audio.wav
frame_000000.png
frame_000001.png
frame_000002.png
frame_000003.png" ]
}

version_is_the_projects_one()
{
    version=$(dpkg-parsechangelog -S Version)
    [ "$("$root/usr/bin/vorlane" --version)" = "vorlane $version" ] &&
        [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] &&
        [ "$(basename "$deb")" = "vorlane_${version}_$(dpkg-architecture -q DEB_HOST_ARCH).deb" ]
}

# The installed files, man pages compressed, with Debian's copyright and
# changelog beside them.
package_holds_the_installed_files()
{
    {
        echo "$expected_files" | sed 's|^usr/share/man/.*|&.gz|'
        echo usr/share/doc/vorlane/changelog.gz
        echo usr/share/doc/vorlane/copyright
    } | LC_ALL=C sort >"$stage/expected_package"
    mkdir -p "$stage/package" && dpkg-deb -x "$deb" "$stage/package" || return 1
    files_under "$stage/package" | diff "$stage/expected_package" -
}

# Libraries from the binaries, the fonts the text is drawn with, ffmpeg
# only for video capture.
package_fields()
{
    depends=$(dpkg-deb -f "$deb" Depends)
    echo "Depends: $depends"
    for needed in libsdl2-2.0-0 libfreetype6 libfontconfig1 libpng16-16 libepoxy0 libgl1 libegl1 \
        fonts-liberation fonts-lato fonts-dejavu-core; do
        echo "$depends" | grep -qE "(^|, )$needed( |,|$)" || { echo "no $needed"; return 1; }
    done
    [ "$(dpkg-deb -f "$deb" Recommends)" = "ffmpeg" ]
}

lintian_finds_no_error_or_warning()
{
    lintian --fail-on error,warning --display-info "$deb"
}

check installs_exactly_the_expected_files
check desktop_entry_and_metadata_validate
check icons_are_the_size_their_folder_names
check man_pages_format_without_warnings
check options_are_documented_and_completed
check completion_offers_the_options
check installed_show_captures_frames
check version_is_the_projects_one
check package_holds_the_installed_files
check package_fields
check lintian_finds_no_error_or_warning
echo "package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
