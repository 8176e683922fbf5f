#!/usr/bin/env bash
# Checks the packages that make deb built: each holds the files its users need and depends on
# what its binaries link (computed by dpkg-shlibdeps) and on the VISA library the program loads.
#   check-debs.sh DEBDIR
set -euo pipefail
dir=$1
arch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
fail() { echo "check-debs: $*" >&2; exit 1; }
deb() { compgen -G "$dir/$1_*.deb" | head -n 1 || true; }
# expect PACKAGE FIELD=REGEX... -- PATH...
expect() {
    local pkg=$1 file; shift
    file=$(deb "$pkg"); [ -n "$file" ] || fail "no $pkg package in $dir"
    local info contents; info=$(dpkg-deb --info "$file"); contents=$(dpkg-deb --contents "$file")
    while [ "$1" != -- ]; do
        grep -Eq "^ ${1%%=*}: .*${1#*=}" <<<"$info" || fail "$pkg: ${1%%=*} does not match '${1#*=}'"
        shift
    done
    shift
    for path in "$@"; do
        grep -Eq " \./usr/$path( ->|$)" <<<"$contents" || fail "$pkg: /usr/$path missing"
    done
    echo "$pkg: $(grep '^ Depends:' <<<"$info")"
}
version=$(dpkg-deb -f "$(deb listforge)" Version)
expect listforge "Depends=libvisa32-1 \(= $version\)" "Depends=libqt5widgets5" "Depends=libqt5network5" \
    "Depends=libc6" -- bin/listforge bin/listforge-cli bin/listforge-sim \
    share/applications/com.tarvik.listforge.desktop share/metainfo/com.tarvik.listforge.metainfo.xml \
    share/icons/hicolor/scalable/apps/listforge.svg share/icons/hicolor/48x48/apps/listforge.png \
    share/man/man1/listforge.1.gz share/man/man1/listforge-cli.1.gz share/man/man1/listforge-sim.1.gz \
    share/doc/listforge/copyright
expect libvisa32-1 "Depends=libtirpc3" "Section=libs" -- "lib/$arch/libvisa32.so.1" \
    share/doc/libvisa32-1/copyright
control=$(dpkg-deb --ctrl-tarfile "$(deb libvisa32-1)" | tar -tf -)
grep -qx "./shlibs" <<<"$control" || fail "libvisa32-1: no shlibs file"
grep -qx "./triggers" <<<"$control" || fail "libvisa32-1: no ldconfig trigger"
! grep -Eq "post(inst|rm)" <<<"$control" || fail "libvisa32-1: maintainer scripts beside the trigger"
expect libvisa32-dev "Depends=libvisa32-1 \(= $version\)" -- include/visa32.h "lib/$arch/libvisa32.so"
contents=$(dpkg-deb --contents "$(deb libvisa32-1)")
! grep -q "libvisa32.so$" <<<"$contents" || fail "libvisa32-1 carries the development link"
echo "check-debs: packages OK"
