#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command as an ordinary user when started as root, and as itself
# otherwise: folder permissions mean nothing to root.
if [ "$(id -u)" = 0 ]; then
    exec setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"
fi
exec "$@"
