#!/bin/sh
# The layer check refuses an include that runs up the platform's order, naming the folders,
# and lets one that runs down pass. Usage: layer_check.sh CMAKE CHECK_SCRIPT
set -u
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/platform/core" "$root/platform/video"
echo '#include "platform/video/window.h"' > "$root/platform/core/queue.h"
echo '#include "platform/core/queue.h"' > "$root/platform/video/window.h"
if "$1" -DROOT="$root" -DSTAMP="$root/stamp" -P "$2" > "$root/out" 2>&1; then
  echo "the check let an include up the order pass"
  exit 1
fi
# CMake wraps its message's lines.
said=$(tr -s '\n ' '  ' < "$root/out")
echo "$said"
echo "$said" | grep -q 'platform/core/queue.h: #include "platform/video/window.h" reaches up within platform from core to video' &&
  ! echo "$said" | grep -q 'platform/video/window.h:'
