#!/usr/bin/env bash
# Renders the desktop icon's PNG sizes from tavro-client.svg with rsvg-convert
# (librsvg2-bin, which `scripts/install-deps.sh --package` installs). Run it
# after changing the SVG and commit the PNGs with it.
set -euo pipefail
cd "$(dirname "$0")"
for size in 48 256; do
    rsvg-convert --width "$size" --height "$size" tavro-client.svg --output "tavro-client-$size.png"
done
