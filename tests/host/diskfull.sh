#!/usr/bin/env bash
# Lends the disk-full test a small drive Q: of the test prefix: a 1 MB tmpfs.
#   diskfull.sh setup MOUNT_DIR PREFIX WINE_RUN HELPER_EXE
#   diskfull.sh cleanup MOUNT_DIR PREFIX
# Where mounting is not permitted nothing is set up, and the test skips itself.
set -u
action=$1 dir=$2 prefix=$3
link="$prefix/dosdevices/q:"
case "$action" in
setup)
    # Let the prefix exist first: making it later would drop our drive link.
    "$4" "$5" sleep 0 >/dev/null 2>&1 || true
    mkdir -p "$dir"
    mountpoint -q "$dir" || mount -t tmpfs -o size=1m tmpfs "$dir" 2>/dev/null || {
        echo "tmpfs cannot be mounted here; the disk-full test will skip"
        exit 0
    }
    ln -sfn "$dir" "$link"
    ;;
cleanup)
    [ -L "$link" ] && rm -f "$link"
    mountpoint -q "$dir" && umount "$dir"
    rmdir "$dir" 2>/dev/null
    ;;
esac
exit 0
