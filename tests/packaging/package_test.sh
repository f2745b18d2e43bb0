#!/usr/bin/env bash
# The .deb of `make package`, made from a build folder configured for /usr: dpkg lists
# its runtime dependencies, its files sit in their places, and the unit it ships starts
# the installed program.
#
#   tests/packaging/package_test.sh BUILD_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work" > "$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/orvane_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || { echo "FAIL no .deb was made"; cat "$work/cpack.log"; exit 1; }
failures=0
fail() { echo "FAIL $1"; failures=$((failures + 1)); }

info=$(dpkg-deb -I "$deb")
depends=$(printf '%s\n' "$info" | sed -n 's/^ Depends: //p')
for wanted in libqt6core6 libqt6quick6 libssl3 libavahi-client3 qml6-module-qtquick-controls avahi-daemon xdg-utils; do
  case ", $depends," in *"$wanted"*) ;; *) fail "Depends lacks $wanted: $depends" ;; esac
done

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/orvane ./usr/bin/flingshare ./usr/libexec/orvane/orvane-desktop \
            ./usr/share/applications/orvane.desktop ./usr/share/applications/flingshare.desktop \
            ./usr/share/icons/hicolor/scalable/apps/orvane.svg ./usr/share/orvane/legal/terms.html \
            ./usr/share/orvane/legal/privacy.html ./usr/lib/systemd/user/orvane-headless.service \
            ./usr/lib/firewalld/services/orvane.xml ./etc/ufw/applications.d/orvane; do
  printf '%s\n' "$contents" | grep -qx "$path" || fail "missing $path"
done

dpkg-deb -x "$deb" "$work/root"
grep -qx "ExecStart=/usr/bin/orvane --headless" "$work/root/usr/lib/systemd/user/orvane-headless.service" ||
  fail "the unit does not start /usr/bin/orvane: $(grep ExecStart "$work/root/usr/lib/systemd/user/orvane-headless.service")"
desktop-file-validate "$work"/root/usr/share/applications/*.desktop || fail "a menu entry does not validate"
grep -q "x-scheme-handler/orvane" "$work/root/usr/share/applications/orvane.desktop" || fail "orvane: is not handled"
if grep -qE "x-scheme-handler/https?;" "$work"/root/usr/share/applications/*.desktop; then
  fail "a menu entry takes web links away from the browser"
fi

[ "$failures" -eq 0 ] && echo "PASS $(basename "$deb"): $depends"
[ "$failures" -eq 0 ]
