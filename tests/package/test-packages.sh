#!/usr/bin/env bash
# Builds the Debian packages of a configured and built tree, checks them with
# lintian, unpacks each with dpkg-deb -x into a temporary root (nothing is
# installed on the machine) and runs the unpacked programs from there:
#   - brevane-provision --help, and a whole unattended run against the unpacked
#     stand-in, started through a link so that it finds the product's folder;
#   - Brevane offscreen, started through a link, and on a virtual display where
#     its window is found by its title;
#   - the example Quilvet host built against the unpacked libquilvet-dev;
#   - an upgrade from the earlier layout (the library in /usr/lib) with dpkg in a
#     root of its own, a host registered before it.
# Packages of pieces that this tree does not build are skipped with a message.
#
#   test-packages.sh BUILD_DIR SOURCE_DIR
# KEEP_WORK=1 keeps the temporary folder (packages, unpacked root, logs) for a look afterwards.
set -euo pipefail
# No display: every program runs offscreen unless a step gives it a virtual display.
export QT_QPA_PLATFORM=offscreen
BUILD=$(cd "$1" && pwd)
SOURCE=$(cd "$2" && pwd)

failures=0
step() { printf '\n== %s\n' "$*"; }
fail() {
    printf 'FAIL: %s\n' "$*"
    failures=$((failures + 1))
}
skip() { printf 'SKIP: %s\n' "$*"; }
pass() { printf 'ok: %s\n' "$*"; }

for tool in cpack lintian dpkg-deb dpkg-shlibdeps file desktop-file-validate objcopy strings; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (tools/scripts/install-deps.sh installs it)"
        exit 77
    fi
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/hall-packages.XXXXXX")
STANDIN_PID=
BREVANE_PID=
XVFB_PID=
cleanup() {
    [[ -n $BREVANE_PID ]] && kill "$BREVANE_PID" 2>/dev/null || true
    [[ -n $XVFB_PID ]] && kill "$XVFB_PID" 2>/dev/null || true
    [[ -n $STANDIN_PID ]] && kill "$STANDIN_PID" 2>/dev/null || true
    wait 2>/dev/null || true
    [[ -n ${KEEP_WORK:-} ]] || rm -rf "$WORK"
}
trap cleanup EXIT

VERSION=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$BUILD/CPackConfig.cmake")
ARCH=$(dpkg --print-architecture)
MULTIARCH=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)
PRODUCT=/opt/snooker-hall
ROOT=$WORK/root

step "Building the packages (version $VERSION)"
if ! cpack --config "$BUILD/CPackConfig.cmake" -B "$WORK/packages" >"$WORK/cpack.log" 2>&1; then
    cat "$WORK/cpack.log"
    echo "FAIL: cpack"
    exit 1
fi
ls -1 "$WORK/packages"/*.deb | sed 's#.*/#   #'

deb() { echo "$WORK/packages/${1}_${VERSION}_${ARCH}.deb"; }
have() { [[ -f $(deb "$1") ]]; }

for package in brevane sqlserver-standin; do
    have "$package" || fail "package $package was not built"
done
for package in libquilvet1 libquilvet-dev quilvet-designer-plugin quilvet-host; do
    have "$package" || skip "package $package: this tree has no install rules for Quilvet's component $package"
done

step "cmake --install into a private prefix"
# Under DESTDIR, so that a rule writing outside the prefix shows up in the tree
# instead of on the machine.
if DESTDIR=$WORK/dest cmake --install "$BUILD" --prefix "$WORK/prefix" >"$WORK/install.log" 2>&1; then
    outside=$(find "$WORK/dest" \( -type f -o -type l \) | grep -v "^$WORK/dest$WORK/prefix/" || true)
    if [[ -n $outside ]]; then
        fail "cmake --install --prefix wrote outside the prefix: $outside"
    elif [[ -d $WORK/dest$WORK/prefix$PRODUCT/Brevane ]] && [[ -x $WORK/dest$WORK/prefix$PRODUCT/Brevane/Brevane ]]; then
        [[ $(readlink "$WORK/dest$WORK/prefix/bin/brevane") == "$WORK/prefix$PRODUCT/Brevane/Brevane" ]] \
            || fail "bin/brevane of a private prefix does not lead to the product's folder in that prefix"
        pass "everything inside the prefix, Brevane in <prefix>$PRODUCT/Brevane"
    else
        fail "no Brevane in <prefix>$PRODUCT/Brevane"
    fi
else
    cat "$WORK/install.log"
    fail "cmake --install"
fi

step "Package metadata"
for file in "$WORK/packages"/*.deb; do
    package=$(dpkg-deb -f "$file" Package)
    for field in Version Maintainer Section Description; do
        [[ -n $(dpkg-deb -f "$file" "$field") ]] || fail "$package has no $field field"
    done
    [[ $(dpkg-deb -f "$file" Version) == "$VERSION" ]] || fail "$package has version $(dpkg-deb -f "$file" Version), not $VERSION"
done
# Dependencies computed from the binaries by dpkg-shlibdeps.
if have brevane; then
    depends=$(dpkg-deb -f "$(deb brevane)" Depends)
    for library in libqt6widgets6 libodbc2 libc6 tdsodbc; do
        [[ $depends == *"$library"* ]] || fail "brevane does not depend on $library: $depends"
    done
    description=$(dpkg-deb -f "$(deb brevane)" Description)
    [[ $description == *rivazadUZ.Bak* && $description == *Connect.sys* ]] \
        || fail "brevane's description does not say that the template backup and Connect.sys are not included"
fi
if have sqlserver-standin; then
    [[ $(dpkg-deb -f "$(deb sqlserver-standin)" Depends) == *libqt6core6* ]] \
        || fail "sqlserver-standin does not depend on Qt Core"
    [[ $(dpkg-deb -f "$(deb sqlserver-standin)" Description) == *"test server"* ]] \
        || fail "sqlserver-standin is not described as a test server"
fi
for package in libquilvet1 quilvet-host; do
    if have "$package"; then
        [[ $(dpkg-deb -f "$(deb "$package")" Recommends) == *fonts-wqy-zenhei* ]] \
            || fail "$package does not recommend a font with the control's Chinese captions"
    fi
done
if have quilvet-designer-plugin; then
    [[ $(dpkg-deb -f "$(deb quilvet-designer-plugin)" Depends) == *"libquilvet1 (= $VERSION)"* ]] \
        || fail "quilvet-designer-plugin does not depend on libquilvet1 of its own version"
fi
if have libquilvet1; then
    [[ $(dpkg-deb -f "$(deb libquilvet1)" Multi-Arch) == same ]] || fail "libquilvet1 is not Multi-Arch: same"
fi
for package in brevane sqlserver-standin libquilvet1 quilvet-host; do
    have "$package" || continue
    ddeb=$WORK/packages/${package}-dbgsym_${VERSION}_${ARCH}.ddeb
    if [[ ! -f $ddeb ]]; then
        fail "no debug-symbol package ${package}-dbgsym"
    elif [[ $(dpkg-deb -c "$ddeb") != *"/usr/lib/debug/.build-id/"* ]]; then
        fail "${package}-dbgsym holds no debug information by build ID"
    fi
done
[[ $failures -eq 0 ]] && pass "version, maintainer, section, description, dependencies, Multi-Arch and -dbgsym packages"

step "lintian"
# --fail-on error: warnings and information tags are listed in the README with their reasons.
if lintian --fail-on error --display-info --tag-display-limit 0 "$WORK/packages"/*.deb >"$WORK/lintian.log" 2>&1; then
    pass "lintian reports no error"
else
    fail "lintian reports errors"
fi
sed 's/^/   /' "$WORK/lintian.log"
# Built with dpkg-buildflags' hardening flags, the binaries draw no hardening tag. Only optimised
# trees take those flags (fortified functions need optimisation), so a debug tree is not held to it.
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$BUILD/CMakeCache.txt")
if [[ $build_type != RelWithDebInfo && $build_type != Release ]]; then
    echo "skipped: the hardening tags (a $build_type tree is built without Debian's flags)"
elif grep -E 'hardening-no-' "$WORK/lintian.log"; then
    fail "lintian finds binaries built without Debian's hardening flags"
fi

step "Unpacking every package into $ROOT"
mkdir -p "$ROOT"
for file in "$WORK/packages"/*.deb; do
    dpkg-deb -x "$file" "$ROOT"
done

if have brevane; then
    [[ -x $ROOT$PRODUCT/Brevane/Brevane ]] || fail "Brevane is not in $PRODUCT/Brevane"
    [[ $(readlink "$ROOT/usr/bin/brevane") == "$PRODUCT/Brevane/Brevane" ]] \
        || fail "/usr/bin/brevane does not lead to $PRODUCT/Brevane/Brevane"
    [[ -f $ROOT/usr/share/applications/brevane.desktop ]] || fail "no desktop entry"
    [[ -f $ROOT/usr/share/icons/hicolor/scalable/apps/brevane.svg ]] || fail "no icon in the hicolor theme"
    for language in en_US en_GB zh_CN zh_TW; do
        for key in Name GenericName Comment; do
            grep -q "^$key\[$language\]=" "$ROOT/usr/share/applications/brevane.desktop" \
                || fail "the desktop entry has no $key[$language]"
        done
    done
    grep -qx 'Name\[zh_CN\]=创建 Sql Server 数据库' "$ROOT/usr/share/applications/brevane.desktop" \
        || fail "the Chinese name of the desktop entry is not the window's title"
    desktop-file-validate "$ROOT/usr/share/applications/brevane.desktop" \
        || fail "desktop-file-validate rejects the desktop entry"
    # One Traditional Chinese vocabulary: the window's 數據庫, never also 資料庫.
    if grep '\[zh_TW\]=' "$ROOT/usr/share/applications/brevane.desktop" | grep -E '資料庫|数据库|创建'; then
        fail "the desktop entry's Traditional Chinese strings mix vocabularies or scripts"
    fi
    if dpkg-deb -c "$(deb brevane)" | grep -Eq 'rivazadUZ|Connect\.sys'; then
        fail "brevane ships a template backup or Connect.sys"
    fi
    pass "brevane's layout"
fi
if have sqlserver-standin; then
    [[ -f $ROOT/usr/share/doc/sqlserver-standin/README.md ]] || fail "sqlserver-standin has no README"
fi

if have libquilvet1; then
    [[ -e $ROOT/usr/lib/$MULTIARCH/libQuilvet.so.1 ]] || fail "libQuilvet.so.1 is not in /usr/lib/$MULTIARCH"
fi
if have libquilvet-dev; then
    [[ -f $ROOT/usr/lib/$MULTIARCH/cmake/Quilvet/QuilvetConfig.cmake ]] \
        || fail "Quilvet's CMake package is not in /usr/lib/$MULTIARCH/cmake"
fi
if [[ -n $(find "$ROOT/usr/lib" -maxdepth 1 -name 'libQuilvet*') ]]; then
    fail "a Quilvet library lies in /usr/lib itself"
fi
# Manual pages made from --help, with the options and the exit codes.
for page in brevane-provision sqlserver-standin quilvet-host; do
    file=$ROOT/usr/share/man/man1/$page.1.gz
    [[ -f $file ]] || { have "${page/brevane-provision/brevane}" && fail "no manual page for $page"; continue; }
    for section in OPTIONS '"EXIT STATUS"'; do
        zcat "$file" | grep -qx "\.SH $section" || fail "the manual page of $page has no $section section"
    done
done

step "No installed file names the build machine's folders"
# Debug information is left out: it lives in the -dbgsym packages.
leaks=0
while IFS= read -r -d '' file; do
    scanned=$file
    kind=$(file -b "$file")
    if [[ $kind == ELF* ]]; then
        scanned=$WORK/scanned
        objcopy --strip-debug "$file" "$scanned"
    elif [[ $kind == gzip* ]]; then
        scanned=$WORK/scanned
        zcat "$file" >"$scanned"
    fi
    if strings -a "$scanned" | grep -qF -e "$BUILD" -e "$SOURCE"; then
        fail "${file#"$ROOT"} holds the path of the build or source folder"
        leaks=$((leaks + 1))
    fi
done < <(find "$ROOT" -type f -print0)
[[ $leaks -eq 0 ]] && pass "no file holds $BUILD or $SOURCE"

# Commands are reached through links of our own: the packaged links are absolute
# (/usr/bin/brevane -> /opt/...) and lead outside the temporary root.
BIN=$WORK/bin
mkdir -p "$BIN"
ln -s "$ROOT$PRODUCT/Brevane/Brevane" "$BIN/brevane"
[[ -e $ROOT$PRODUCT/Brevane/brevane-provision ]] && ln -s "$ROOT$PRODUCT/Brevane/brevane-provision" "$BIN/brevane-provision"
ln -s "$ROOT/usr/bin/sqlserver-standin" "$BIN/sqlserver-standin"

step "The product's layout: DB/rivazadUZ.Bak beside the Brevane folder"
STANDIN=$BIN/sqlserver-standin
# make-backup creates DB/ itself, as the README's recipe relies on.
"$STANDIN" make-backup "$ROOT$PRODUCT/DB/rivazadUZ.Bak" \
    --data 'rivazadUZ_Data=C:\Data\rivazadUZ_Data.MDF' --log 'rivazadUZ_Log=C:\Data\rivazadUZ_Log.LDF'
# The hall product's existing settings file, which a run updates in place.
printf '[Program]\r\nLastUser=manager\r\n' >"$ROOT$PRODUCT/Connect.sys"
mkdir -p "$WORK/data" "$WORK/server"
PASSWORD='Pk#147-unpacked'

step "--version of each program"
version_of() { "$@" --version 2>&1 | head -n1; }
[[ $(version_of "$STANDIN") == "sqlserver-standin $VERSION" ]] || fail "sqlserver-standin --version does not say $VERSION"
if [[ -x $ROOT/usr/bin/quilvet-host ]] && "$ROOT/usr/bin/quilvet-host" --help 2>/dev/null | grep -q -- '--version'; then
    [[ $(version_of "$ROOT/usr/bin/quilvet-host") == *"$VERSION"* ]] || fail "quilvet-host --version does not say $VERSION"
fi
pass "the programs say version $VERSION"

step "The unpacked stand-in"
login_options=()
if "$STANDIN" --help | grep -q -- '--login-file'; then
    (umask 077 && printf 'sa:%s\n' "$PASSWORD" >"$WORK/login")
    login_options=(--login-file "$WORK/login")
else
    echo "   (this stand-in has no --login-file: the test password goes on its command line)"
    login_options=(--login "sa:$PASSWORD")
fi
"$STANDIN" serve --port 0 --data-dir "$WORK/server" "${login_options[@]}" \
    --statement-log "$WORK/server/statements.log" >"$WORK/standin.out" 2>"$WORK/standin.err" &
STANDIN_PID=$!
PORT=
for _ in $(seq 100); do
    PORT=$(head -n1 "$WORK/standin.out" 2>/dev/null || true)
    [[ -n $PORT ]] && break
    kill -0 "$STANDIN_PID" 2>/dev/null || break
    sleep 0.1
done
if [[ -n $PORT ]]; then
    pass "serving on 127.0.0.1:$PORT"
else
    cat "$WORK/standin.err"
    fail "the unpacked stand-in did not start"
fi

step "brevane-provision"
if [[ ! -e $BIN/brevane-provision ]]; then
    skip "brevane-provision: the brevane package of this tree does not hold it"
else
    if PATH=$BIN:$PATH brevane-provision --help >"$WORK/provision-help.out" 2>&1; then
        pass "brevane-provision --help"
    else
        cat "$WORK/provision-help.out"
        fail "brevane-provision --help"
    fi
    PATH=$BIN:$PATH brevane-provision --version 2>&1 | grep -qF "$VERSION" \
        || fail "brevane-provision --version does not say $VERSION"
    # Started through the link on the PATH with no --backup and no --settings, so it
    # must find DB/rivazadUZ.Bak and Connect.sys from its real folder.
    if printf '%s\n' "$PASSWORD" | PATH=$BIN:$PATH brevane-provision --server "127.0.0.1,$PORT" --user sa \
        --password-stdin --database Hall02 --folder "$WORK/data" >"$WORK/provision.out" 2>&1; then
        pass "unattended run"
    else
        fail "unattended run (exit code $?)"
    fi
    sed 's/^/   /' "$WORK/provision.out"
    grep -qF "$PASSWORD" "$WORK/provision.out" && fail "brevane-provision printed the password"
    grep -q '^Initial Catalog=Hall02' "$ROOT$PRODUCT/Connect.sys" \
        || fail "Connect.sys in $PRODUCT, the parent of the program's folder, does not name Hall02"
    grep -q '^LastUser=manager' "$ROOT$PRODUCT/Connect.sys" || fail "the run lost the product's own settings"
    grep -q 'RESTORE DATABASE' "$WORK/server/statements.log" 2>/dev/null \
        || fail "the stand-in received no restore"
    grep -qF "$PRODUCT/Brevane/../DB/rivazadUZ.Bak" "$WORK/server/statements.log" 2>/dev/null \
        || grep -qF "$PRODUCT/DB/rivazadUZ.Bak" "$WORK/server/statements.log" 2>/dev/null \
        || fail "the restore did not use the template backup beside the program's folder"
    ls "$WORK/data" | sed 's/^/   created: /'
fi

step "Brevane, offscreen, from the product's folder"
if [[ ! -x $ROOT$PRODUCT/Brevane/Brevane ]]; then
    fail "no unpacked Brevane"
else
    # Brevane takes no arguments; it runs until its window is closed. Alive after
    # a few seconds means the window was built and shown without a failure box
    # ending the start-up.
    QT_QPA_PLATFORM=offscreen "$BIN/brevane" >"$WORK/brevane.out" 2>&1 &
    BREVANE_PID=$!
    sleep 3
    if kill -0 "$BREVANE_PID" 2>/dev/null; then
        pass "Brevane shows its window"
    else
        wait "$BREVANE_PID" || true
        cat "$WORK/brevane.out"
        fail "Brevane ended at start-up"
    fi
    kill "$BREVANE_PID" 2>/dev/null || true
    wait "$BREVANE_PID" 2>/dev/null || true
    BREVANE_PID=

    # On a virtual display the window itself can be found, by its title.
    if command -v Xvfb >/dev/null && command -v xdotool >/dev/null; then
        display=99
        while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do display=$((display + 1)); done
        Xvfb ":$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$display ]] && break; sleep 0.1; done
        # The unpacked root's icon theme comes first, as /usr/share does when installed.
        DISPLAY=":$display" QT_QPA_PLATFORM=xcb XDG_DATA_DIRS="$ROOT/usr/share:/usr/share" "$BIN/brevane" \
            >"$WORK/brevane-x11.out" 2>&1 &
        BREVANE_PID=$!
        if window=$(DISPLAY=":$display" timeout 30 xdotool search --sync --onlyvisible --name 'Sql Server' 2>/dev/null | head -n1) \
            && title=$(DISPLAY=":$display" xdotool getwindowname "$window"); then
            pass "on a virtual display Brevane shows the window \"$title\""
            # The icon property may follow the mapping of the window by a moment on a busy machine.
            has_icon=no
            for _ in $(seq 50); do
                if DISPLAY=":$display" xprop -id "$window" _NET_WM_ICON | grep -q '_NET_WM_ICON(CARDINAL) ='; then
                    has_icon=yes
                    break
                fi
                sleep 0.1
            done
            [[ $has_icon == yes ]] && pass "its window carries the icon of the hicolor theme" \
                || fail "Brevane's window has no icon"
        else
            cat "$WORK/brevane-x11.out"
            fail "on a virtual display Brevane showed no window"
        fi
        kill "$BREVANE_PID" 2>/dev/null || true
        wait "$BREVANE_PID" 2>/dev/null || true
        BREVANE_PID=
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=
    fi
fi

kill "$STANDIN_PID" 2>/dev/null || true
wait "$STANDIN_PID" 2>/dev/null || true
STANDIN_PID=

step "libquilvet1's binary face"
if have libquilvet1; then
    # Unpacked alone, so that dpkg-gensymbols sees no other package's library.
    dpkg-deb -x "$(deb libquilvet1)" "$WORK/libquilvet1"
    dpkg-deb -e "$(deb libquilvet1)" "$WORK/libquilvet1-control"
    # Checked as a later version: dpkg-gensymbols forgives the loss of a symbol
    # that the version being built brought itself.
    check_symbols() {
        dpkg-gensymbols -c4 -plibquilvet1 -v"$VERSION+check" -P"$WORK/libquilvet1" -I"$1" \
            -O"$WORK/symbols.out" >"$WORK/symbols.log" 2>&1
    }
    if [[ ! -f $WORK/libquilvet1-control/symbols ]]; then
        fail "libquilvet1 holds no symbols file"
    elif check_symbols "$WORK/libquilvet1-control/symbols"; then
        pass "libQuilvet.so.1 exports exactly the symbols of its symbols file"
    else
        cat "$WORK/symbols.log"
        fail "libQuilvet.so.1 and its symbols file differ (tools/scripts/update-quilvet-symbols.sh after a deliberate change)"
    fi
    # The check bites: a symbol the library lost fails it.
    cp "$WORK/libquilvet1-control/symbols" "$WORK/symbols.lost"
    echo ' _ZN10clsQuilvet12removedByNowEv@Base 1.0.0' >>"$WORK/symbols.lost"
    check_symbols "$WORK/symbols.lost" && fail "dpkg-gensymbols did not notice a symbol that disappeared"
    internal=$(nm -D --defined-only -C "$(find "$WORK/libquilvet1" -name 'libQuilvet.so.1')" \
        | grep -E '(^| )(quilvet::|quilvet::com::)?(TimeSlider|TextBox|SlotClock|NumericText|PropertyValue|QuilvetLayout|TypeLibrary|TypeInfo|ControlObject|DualInterface|Registry|Registration|LibraryLocation)::| std::' || true)
    [[ -z $internal ]] || fail "libQuilvet.so.1 exports internal symbols: $internal"
fi

step "The Designer plugin finds the unpacked library"
plugin=$(find "$ROOT/usr" -name 'libQuilvetDesignerPlugin.so' | head -n1)
if ! have quilvet-designer-plugin; then
    skip "Designer plugin: no quilvet-designer-plugin package"
elif [[ -z $plugin ]]; then
    fail "quilvet-designer-plugin holds no plugin"
elif [[ $plugin != */qt6/plugins/designer/* ]]; then
    fail "the plugin is not in Qt's designer plugin folder: ${plugin#"$ROOT"}"
elif ldd "$plugin" | grep 'libQuilvet\.so\.1' | grep -qF "$ROOT/"; then
    pass "${plugin#"$ROOT"} loads libQuilvet.so.1 from the same root"
else
    ldd "$plugin"
    fail "the plugin does not find libQuilvet.so.1 beside it"
fi

step "The example host against the unpacked libquilvet-dev"
EXAMPLE=$SOURCE/timeslot/examples/minimal-host
if ! have libquilvet-dev; then
    skip "example host: no libquilvet-dev package"
elif [[ ! -f $EXAMPLE/CMakeLists.txt ]]; then
    skip "example host: no $EXAMPLE"
else
    config=$(find "$ROOT/usr" -name QuilvetConfig.cmake -o -name quilvet-config.cmake | head -n1)
    library=$(find "$ROOT/usr" -name 'libQuilvet.so.1' | head -n1)
    if [[ -z $config || -z $library ]]; then
        fail "the unpacked packages hold no Quilvet CMake package or library"
    elif cmake -S "$EXAMPLE" -B "$WORK/example" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DQuilvet_DIR="$(dirname "$config")" -DCMAKE_PREFIX_PATH="$ROOT/usr" >"$WORK/example.log" 2>&1 \
        && cmake --build "$WORK/example" >>"$WORK/example.log" 2>&1; then
        pass "example host built against $(dirname "${config#"$ROOT"}")"
        example=$(find "$WORK/example" -maxdepth 2 -type f -perm -u+x -name '*host*' | head -n1)
        export HALL_COMPONENT_REGISTRY=$WORK/registry
        mkdir -p "$HALL_COMPONENT_REGISTRY"
        # Given the library, the example registers it the way an installer would.
        if [[ -z $example ]]; then
            fail "the example host's build produced no program"
        elif LD_LIBRARY_PATH=$(dirname "$library") timeout 60 "$example" "$library" >"$WORK/example.out" 2>&1; then
            pass "example host ran: $(tail -n1 "$WORK/example.out")"
        else
            cat "$WORK/example.out"
            fail "example host"
        fi
        if [[ -x $ROOT/usr/bin/quilvet-host ]]; then
            for option in --help --version; do
                env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$ROOT/usr/bin/quilvet-host" "$option" \
                    >"$WORK/host-option.out" 2>&1 || fail "quilvet-host $option without a display"
            done
            if timeout 60 "$ROOT/usr/bin/quilvet-host" --describe >"$WORK/describe.out" 2>&1 \
                && grep -q PriceWeek8 "$WORK/describe.out"; then
                pass "the unpacked quilvet-host describes the registered control"
            else
                cat "$WORK/describe.out"
                fail "quilvet-host --describe"
            fi
        fi
        unset HALL_COMPONENT_REGISTRY
    else
        cat "$WORK/example.log"
        fail "building the example host against the unpacked libquilvet-dev"
    fi
fi

step "Upgrade from the earlier layout (library in /usr/lib), a host registered"
# dpkg installs into a root of its own with its own database; the maintainer
# scripts run outside a chroot, with an ldconfig that only records its call.
SYS=$WORK/system
if ! have libquilvet1 || ! have quilvet-host; then
    skip "upgrade: no libquilvet1 or quilvet-host package"
else
    mkdir -p "$SYS/var/lib/dpkg/info" "$SYS/var/lib/dpkg/updates" "$WORK/fakebin"
    touch "$SYS/var/lib/dpkg/status" "$SYS/var/lib/dpkg/available"
    printf '#!/bin/sh\necho ldconfig >>"%s"\n' "$WORK/ldconfig.log" >"$WORK/fakebin/ldconfig"
    chmod 755 "$WORK/fakebin/ldconfig"
    dpkg_system() {
        PATH=$WORK/fakebin:$PATH dpkg --root="$SYS" --force-script-chrootless --force-depends "$@" \
            >>"$WORK/dpkg.log" 2>&1
    }
    # The earlier packages: version 1.0.0, the library in /usr/lib, no Multi-Arch.
    earlier() {
        local tree=$WORK/earlier/$1
        dpkg-deb -R "$(deb "$1")" "$tree"
        if [[ -d $tree/usr/lib/$MULTIARCH ]]; then
            find "$tree/usr/lib/$MULTIARCH" -maxdepth 1 -name 'libQuilvet.so*' -exec mv -t "$tree/usr/lib" {} +
            rmdir "$tree/usr/lib/$MULTIARCH" 2>/dev/null || true
        fi
        sed -i -e 's/^Version: .*/Version: 1.0.0/' -e '/^Multi-Arch:/d' "$tree/DEBIAN/control"
        (cd "$tree" && find . -path ./DEBIAN -prune -o -type f -printf '%P\0' | xargs -0 -r md5sum >DEBIAN/md5sums)
        dpkg-deb --root-owner-group -b "$tree" "$WORK/earlier/$1.deb" >/dev/null
    }
    mkdir -p "$WORK/earlier"
    earlier libquilvet1
    earlier quilvet-host
    export HALL_COMPONENT_REGISTRY=$WORK/upgrade-registry
    mkdir -p "$HALL_COMPONENT_REGISTRY"
    if dpkg_system -i "$WORK/earlier/libquilvet1.deb" "$WORK/earlier/quilvet-host.deb" \
        && [[ -e $SYS/usr/lib/libQuilvet.so.1 ]] \
        && "$SYS/usr/bin/quilvet-host" --register "$SYS/usr/lib/libQuilvet.so.1" >>"$WORK/dpkg.log" 2>&1; then
        pass "1.0.0 installed, the control registered from $SYS/usr/lib/libQuilvet.so.1"
    else
        cat "$WORK/dpkg.log"
        fail "installing the earlier packages and registering the control"
    fi
    : >"$WORK/ldconfig.log"
    if dpkg_system -i "$(deb libquilvet1)" "$(deb quilvet-host)"; then
        [[ $(dpkg --root="$SYS" -s libquilvet1 | sed -n 's/^Version: //p') == "$VERSION" ]] \
            || fail "libquilvet1 $VERSION is not installed after the upgrade"
        [[ -z $(find "$SYS/usr/lib" -maxdepth 1 -name 'libQuilvet*') ]] || fail "the upgrade left a library in /usr/lib"
        [[ -e $SYS/usr/lib/$MULTIARCH/libQuilvet.so.1 ]] || fail "the upgrade put no library in /usr/lib/$MULTIARCH"
        grep -q ldconfig "$WORK/ldconfig.log" || fail "the upgrade did not refresh the loader's cache"
        # The loader searches the multiarch folder; here it is the private root's.
        if LD_LIBRARY_PATH=$SYS/usr/lib/$MULTIARCH timeout 60 "$SYS/usr/bin/quilvet-host" --describe \
            >"$WORK/upgraded.out" 2>&1 && grep -q PriceWeek8 "$WORK/upgraded.out"; then
            pass "upgraded to $VERSION; the host registered before still creates the control"
        else
            cat "$WORK/upgraded.out"
            fail "the control registered before the upgrade cannot be created after it"
        fi
    else
        cat "$WORK/dpkg.log"
        fail "upgrading to $VERSION"
    fi
    unset HALL_COMPONENT_REGISTRY
fi

echo
if [[ $failures -ne 0 ]]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "All package checks passed"
