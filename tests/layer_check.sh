#!/bin/sh
# The layer check refuses an include that runs up the platform's or the application's order,
# naming the folders, and lets those that run down pass: the application's shared class
# directly in app/ sits below every folder. Usage: layer_check.sh CMAKE CHECK_SCRIPT
set -u
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/platform/core" "$root/platform/video" "$root/app/player" "$root/app/play" "$root/app/program"
echo '#include "platform/video/window.h"' > "$root/platform/core/queue.h"
echo '#include "platform/core/queue.h"' > "$root/platform/video/window.h"
echo '#include "app/play/loop.h"' > "$root/app/player/keys.h"
printf '#include "app/player/keys.h"\n#include "app/shared.h"\n' > "$root/app/play/loop.h"
echo '#include "app/play/loop.h"' > "$root/app/program/main.h"
echo '#include "platform/core/queue.h"' > "$root/app/shared.h"
if "$1" -DROOT="$root" -DSTAMP="$root/stamp" -P "$2" > "$root/out" 2>&1; then
  echo "the check let an include up the order pass"
  exit 1
fi
# CMake wraps its message's lines.
said=$(tr -s '\n ' '  ' < "$root/out")
echo "$said"
echo "$said" | grep -q 'platform/core/queue.h: #include "platform/video/window.h" reaches up within platform from core to video' &&
  echo "$said" | grep -q 'app/player/keys.h: #include "app/play/loop.h" reaches up within app from player to play' &&
  ! echo "$said" | grep -q 'platform/video/window.h:' &&
  ! echo "$said" | grep -q 'app/play/loop.h:' &&
  ! echo "$said" | grep -q 'app/program/main.h:' &&
  ! echo "$said" | grep -q 'app/shared.h:'
