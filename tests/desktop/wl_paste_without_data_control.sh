#!/bin/sh
# Stands in for wl-paste on a compositor that does not offer data control (GNOME's
# Mutter, Weston): its watch mode fails at once with the message wl-paste 2.1 prints
# there; everything else goes to the real wl-paste.
for argument in "$@"; do
  if [ "$argument" = "--watch" ] || [ "$argument" = "-w" ]; then
    echo "Watch mode requires a compositor that supports wlroots data-control protocol" >&2
    exit 1
  fi
done
exec wl-paste "$@"
