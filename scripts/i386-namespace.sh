#!/usr/bin/env bash
# Runs a command where i386 ELF programs start under qemu-i386, for kernels that refuse 32-bit
# code. Meant to run as the first process of a new user and mount namespace
#   unshare --user --map-root-user --mount -- i386-namespace.sh QEMU COMMAND [ARGUMENT...]
# Since Linux 6.7 each user namespace may mount a binfmt_misc of its own: the registration
# lives and dies with the namespace, and the host's handlers are never touched.
set -euo pipefail

qemu=$1
shift
mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
# i386 ELF executables and shared objects. Flags: P keeps argv[0], O and C hand over the open
# file and its credentials, F opens qemu now, so later mounts and paths don't matter.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
printf ':corvane-i386:M::%s:%s:%s:POCF' "$magic" "$mask" "$qemu" >/proc/sys/fs/binfmt_misc/register
exec "$@"
