#!/usr/bin/env bash
# Renders every view in each of the example states, light and dark, into a folder
# (preview-out/ at the top of the checkout unless one is given), and fails when any
# rendering printed a warning. Needs a built orvane-qml-preview:
#   cmake --build build --target orvane-qml-preview && tools/qml_preview/render-all.sh
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=${1:-$root/preview-out}
tool=${ORVANE_QML_PREVIEW:-$root/build/bin/orvane-qml-preview}
states=$here/states
mkdir -p "$out"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

failed=0
render() { # NAME SURFACE STATE [options...]
  local name=$1 surface=$2 state=$3
  shift 3
  for appearance in light dark; do
    local flags=()
    [ "$appearance" = dark ] && flags+=(--dark)
    local log="$out/$name-$appearance.log"
    if "$tool" --surface "$surface" --state "$states/$state.json" --out "$out/$name-$appearance.png" \
        "${flags[@]}" "$@" 2>"$log"; then
      rm -f "$log"
    else
      echo "$name-$appearance: see $log" >&2
      failed=1
    fi
  done
}

render popover-unpaired Popover popover-unpaired
render popover-connected Popover popover-connected
render popover-old-pairing Popover popover-old-pairing
render popover-legal Popover popover-legal
render popover-empty Popover empty
render popover-window PopoverWindow popover-connected
render legal-gate-popover LegalGatePopover popover-legal
render legal-gate LegalGate legal-gate --width 1180 --height 720
render legal-gate-empty LegalGate empty --width 900 --height 600
render pairing-qr PairingSheet pairing-qr
render pairing-preparing PairingSheet pairing-preparing
render pairing-approve PairingSheet pairing-approve
render pairing-empty PairingSheet empty
render palette CommandPalette palette --width 960 --height 600
render palette-empty CommandPalette palette-empty --width 960 --height 600
render hub HubWindow hub
render hub-unpaired HubWindow hub-unpaired
render hub-legal HubWindow hub-legal
render hub-empty HubWindow empty
render hub-pairing HubWindow pairing-approve
render hub-palette HubWindow palette
render settings SettingsWindow hub
render settings-empty SettingsWindow empty

# Nothing set at all: every string empty, every list empty, the terms not accepted.
for surface in Popover PopoverWindow LegalGatePopover LegalGate PairingSheet CommandPalette HubWindow SettingsWindow; do
  render "blank-$surface" "$surface" blank
done

exit $failed
