#!/bin/sh
# The browser test: the native build captures one frame in each part, then
# site_test.js serves build-web/site on 127.0.0.1, drives Debian's Chromium
# headless through puppeteer-core and compares. Needs ./build/vorlane and
# build-web/site (./vorlane.sh test-web builds both first).
set -eu
cd "$(dirname "$0")/../.."

# puppeteer-core drives the browser that is installed; it downloads none.
node_dir=build-web/node
if [ ! -d "$node_dir/node_modules/puppeteer-core" ]; then
    mkdir -p "$node_dir"
    npm install --prefix "$node_dir" --no-audit --no-fund --loglevel=error puppeteer-core@25.19.0
fi

# One song time in each part, on the 25 fps grid, so each capture writes
# exactly the frame that ?at= renders.
times="12000 30000 62000 90000 155000"
reference=build-web/reference
rm -rf "$reference"
for ms in $times; do
    ./build/vorlane --capture "$reference/$ms" --fps 25 --from "$ms" --to $((ms + 40)) --resolution 320x240 \
        2>/dev/null >/dev/null
done

NODE_PATH="$node_dir/node_modules" exec node tests/web/site_test.js build-web/site "$reference" $times
