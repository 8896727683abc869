#!/usr/bin/env bash
# The 32-bit lane for machines whose kernel runs no 32-bit code: the release image's Windows
# tests run in an emulated x86-64 guest (qemu-system-x86_64, TCG, no KVM needed) whose kernel,
# Debian's own, does. Only ctest runs there; everything is built here first.
#   guest-lane.sh build   build the 32-bit test tree (build/guest32), the guest's pieces
#                         (cached in build/guest) and add what the lane leaves out to
#                         build/skipped-tests.txt
#   guest-lane.sh test    boot the guest and run the lane's tests there with ctest; its output
#                         comes back as ctest's, its exit code is ctest's
# LUMIFOLD_TIME_SCALE (default 20): how many times longer every limit and wait of the tests is
# there. LUMIFOLD_GUEST_TESTS: other tests to run there (a ctest -R expression), for a quick try.
#
# The guest's root is this machine's / shared read-only over virtio 9p, with Wine's 32-bit part
# (unpacked from Debian packages) laid over it and a tmpfs on top (overlay); the test tree is
# shared read-write at its own path, so the prefixes and ctest's logs stay in build/guest32.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
cache=$root/build/guest
tree=$root/build/guest32
scale=${LUMIFOLD_TIME_SCALE:-20}

# The release image's tests that the lane runs: the install, partner, start-up and uninstall
# programs in a 32-bit prefix and the install program under WOW64. About 35 minutes on 2 cores;
# the whole set would take some 90.
lane_tests="install_test partner_test startup_test uninstall_test install_test_wow64"

# The i386 packages laid over the guest's root: Wine's 32-bit part and what its loader and unix
# libraries link against or open (X11, FreeType and Fontconfig, GnuTLS, udev and usb).
i386_packages="wine32 libwine libc6 libgcc-s1 libx11-6 libxext6 libxcb1 libxau6 libxdmcp6
  libbsd0 libmd0 libx11-xcb1 libxrandr2 libxrender1 libxi6 libxcursor1 libxfixes3 libxinerama1
  libxcomposite1 libxxf86vm1 libxkbcommon0 libfreetype6 libfontconfig1 libpng16-16 zlib1g
  libbrotli1 libexpat1 libgnutls30 libp11-kit0 libidn2-0 libunistring2 libtasn1-6 libnettle8
  libhogweed6 libgmp10 libffi8 libunwind8 liblzma5 libudev1 libusb-1.0-0"
# The kernel modules the guest's start-up loads, in dependency order.
modules="drivers/virtio/virtio_ring drivers/virtio/virtio_pci_modern_dev
  drivers/virtio/virtio_pci_legacy_dev drivers/virtio/virtio drivers/virtio/virtio_pci
  net/9p/9pnet net/9p/9pnet_virtio fs/netfs/netfs fs/fscache/fscache fs/9p/9p
  fs/overlayfs/overlay drivers/char/hw_random/virtio-rng"

log() { echo "guest lane: $*" >&2; }

# apt-get download that tries once more after an index update (a package gone from the archive
# since the last update).
download() {
  local get=(apt-get -q -o APT::Sandbox::User=root download)  # into a folder of root's
  "${get[@]}" "$@" >/dev/null || { apt-get update -qq || true; "${get[@]}" "$@" >/dev/null; }
}

# The kernel the package linux-image-amd64 points at, unpacked, not installed: its vmlinuz and
# the modules above are kept.
fetch_kernel() {
  [ -s "$cache/kernel.version" ] && [ -d "$cache/modules" ] && return
  local package
  package=$(apt-cache depends linux-image-amd64 | sed -n 's/^ *Depends: \(linux-image-.*-amd64\)$/\1/p' | head -n 1)
  [ -n "$package" ] || { log "no package linux-image-amd64 in the indexes"; return 1; }
  (cd "$cache/debs" && ls "$package"_*.deb >/dev/null 2>&1 || download "$package")
  rm -rf "$cache/kernel" "$cache/modules"
  dpkg -x "$cache/debs/$package"_*.deb "$cache/kernel.d"
  mkdir -p "$cache/kernel" "$cache/modules"
  mv "$cache/kernel.d/boot/vmlinuz-"* "$cache/kernel/vmlinuz"
  local m
  for m in $modules; do
    cp "$cache/kernel.d/lib/modules/${package#linux-image-}/kernel/$m.ko" "$cache/modules/"
  done
  rm -rf "$cache/kernel.d" "$cache/debs/$package"_*.deb
  echo "${package#linux-image-}" > "$cache/kernel.version"
}

# Each i386 package at the version of its amd64 twin here (wine32 must match wine64), fetched
# with apt-get download and unpacked: no resolver, so a half-synced i386 index cannot stop it.
# A library whose twin's version has left the archive (a security update since this machine was
# made) is taken at the archive's version: the tree is unpacked for the guest, not installed
# beside its twin, and its users are 32-bit processes only. Made again when Wine or the C
# library here changes.
fetch_i386_tree() {
  local stamp p version
  stamp="$(dpkg-query -W -f='${Version} ' wine64 libc6:amd64) $i386_packages"
  [ "$(cat "$cache/i386root/.stamp" 2>/dev/null)" = "$stamp" ] && return
  dpkg --print-foreign-architectures | grep -qx i386 || { dpkg --add-architecture i386; apt-get update -qq || true; }
  rm -f "$cache"/debs/*_i386.deb
  for p in $i386_packages; do
    version=$(dpkg-query -W -f='${Version}' "$([ "$p" = wine32 ] && echo wine64 || echo "$p:amd64")" 2>/dev/null || true)
    (cd "$cache/debs" && { download "$p:i386${version:+=$version}" ||
      { [ "$p" != wine32 ] && [ -n "$version" ] && log "$p:i386 $version is gone, taking the archive's" &&
        download "$p:i386"; }; })
  done
  rm -rf "$cache/i386root"; mkdir -p "$cache/i386root"
  for p in "$cache"/debs/*_i386.deb; do dpkg -x "$p" "$cache/i386root"; done
  # Merged into usr/ as this machine's /lib -> usr/lib is, which a real /lib would hide.
  (cd "$cache/i386root"
   for p in lib lib32 bin sbin; do
     [ -d "$p" ] && [ ! -L "$p" ] && { mkdir -p "usr/$p"; cp -a "$p"/. "usr/$p"/; rm -rf "$p"; }
   done
   rm -rf usr/share/doc usr/share/lintian usr/share/man)
  add_wine_zlib
  rm -f "$cache"/debs/*_i386.deb
  echo "$stamp" > "$cache/i386root/.stamp"
}

# What libwine's installation script does, which unpacking skips: Wine's zlib1.dll is MinGW's,
# marked as a Wine built-in (without it user32 does not load).
add_wine_zlib() {
  (cd "$cache/debs" && ls libz-mingw-w64_*_all.deb >/dev/null 2>&1 || download libz-mingw-w64)
  rm -rf "$cache/zlib.d"; dpkg -x "$cache"/debs/libz-mingw-w64_*_all.deb "$cache/zlib.d"
  local in=$cache/zlib.d/usr/i686-w64-mingw32/lib/zlib1.dll
  { head -c 64 "$in"; printf 'Wine builtin DLL'; head -c 16 /dev/zero; tail -c +97 "$in"; } \
    > "$cache/i386root/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll"
  rm -rf "$cache/zlib.d"
}

# The guest's start-up: a static busybox, the modules and /init (below), remade when /init does.
make_initramfs() {
  local d=$cache/initramfs.d m
  if [ -s "$cache/initrd.img" ] && write_init | cmp -s - "$cache/init"; then return; fi
  rm -rf "$d"; mkdir -p "$d"/{bin,mods,proc,sys,dev,host,i386,ctl,rw,newroot}
  cp /bin/busybox "$d/bin/busybox"
  for m in $modules; do cp "$cache/modules/${m##*/}.ko" "$d/mods/"; echo "${m##*/}.ko"; done > "$d/mods/order"
  write_init > "$d/init"; chmod +x "$d/init"
  (cd "$d" && find . | busybox cpio -o -H newc 2>/dev/null | gzip -1) > "$cache/initrd.img"
  write_init > "$cache/init"
  rm -rf "$d"
}

# Mounts this machine's root, the i386 tree and a tmpfs as one overlay, the control folder and
# the test tree at their own paths, runs /ctl/cmd.sh in it and powers off; the command's output
# goes to files in the control folder (the serial console loses bytes under load).
write_init() {
  cat <<'EOF'
#!/bin/busybox sh
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc; mount -t sysfs sys /sys; mount -t devtmpfs dev /dev
for m in $(cat /mods/order); do insmod /mods/$m; done
fail() { echo "guest: $*" | tee -a /ctl/stderr; echo 125 > /ctl/rc; sync; poweroff -f; }
o9=trans=virtio,version=9p2000.L,msize=512000
mount -t 9p -o $o9,cache=mmap ctl /ctl || fail "no control folder"
mount -t 9p -o $o9,ro,cache=loose hostroot /host || fail "no host root"
mount -t 9p -o $o9,ro,cache=loose i386 /i386 || fail "no i386 tree"
mount -t tmpfs -o size=75% rw /rw; mkdir -p /rw/upper /rw/work
mount -t overlay -o lowerdir=/i386:/host,upperdir=/rw/upper,workdir=/rw/work overlay /newroot ||
  fail "no overlay"
n=/newroot
mount -t proc proc $n/proc; mount -t sysfs sys $n/sys; mount -t devtmpfs dev $n/dev
mkdir -p $n/dev/pts $n/dev/shm
mount -t devpts -o gid=5,mode=620,ptmxmode=666 devpts $n/dev/pts
mount -t tmpfs -o mode=1777 shm $n/dev/shm
mount -t tmpfs -o mode=1777 tmp $n/tmp
mount -t tmpfs -o mode=755 run $n/run
mount -t tmpfs -o mode=700 root $n/root
mkdir -p $n/run/guest; mount --bind /ctl $n/run/guest
hostname guest32; ifconfig lo 127.0.0.1 up
# A worktree under a folder made fresh above (/tmp, /root) is brought back from the host's root.
r=$(cat /ctl/root)
[ -d $n$r ] || { mkdir -p $n$r && mount --bind /host$r $n$r; } || fail "no worktree $r"
# cache=loose: with cache=mmap Wine's mapping of an .exe on the share comes back wrong.
mount -t 9p -o $o9,cache=loose tree $n$(cat /ctl/tree) || fail "no test tree"
env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root TERM=dumb \
  LANG=C.UTF-8 USER=root LOGNAME=root SHELL=/bin/bash \
  chroot $n /bin/sh /run/guest/cmd.sh < /dev/null >> /ctl/stdout 2>> /ctl/stderr
echo $? > /ctl/rc
sync
umount -a -r 2>/dev/null
poweroff -f
EOF
}

prepare() {
  mkdir -p "$cache/debs"
  fetch_kernel
  fetch_i386_tree
  make_initramfs
}

# Boots the guest and runs command (one shell line) in the worktree there, with the test tree
# shared read-write; follows its output and returns its exit code (125: the guest ended
# without one, 124: it ran out of time).
boot() {
  local command=$1 ctl qpid rc
  ctl=$(mktemp -d "$cache/run.XXXXXX")
  printf 'cd %q\n%s\n' "$root" "$command" > "$ctl/cmd.sh"
  echo "$tree" > "$ctl/tree"; echo "$root" > "$ctl/root"
  : > "$ctl/stdout"; : > "$ctl/stderr"
  # -cpu max,-smap: QEMU 7.2's TCG pops a user-mode IRET's frame with kernel rights; with SMAP on,
  # the guest kernel kills every 32-bit process at its first IRET.
  timeout 5400 qemu-system-x86_64 -M pc -accel tcg,thread=multi,tb-size=512 -cpu max,-smap \
    -smp "$(nproc)" -m 4096 -display none -vga none -monitor none -no-reboot -nic none \
    -rtc base=utc,clock=host -kernel "$cache/kernel/vmlinuz" -initrd "$cache/initrd.img" \
    -append "console=ttyS0 panic=-1 quiet loglevel=4 tsc=reliable" -serial "file:$ctl/console.log" \
    -virtfs local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap \
    -virtfs "local,path=$cache/i386root,mount_tag=i386,security_model=none,readonly=on" \
    -virtfs "local,path=$ctl,mount_tag=ctl,security_model=none" \
    -virtfs "local,path=$tree,mount_tag=tree,security_model=none,multidevs=remap" \
    -device virtio-rng-pci </dev/null & qpid=$!
  tail -q -n +1 -s 1 -f --pid="$qpid" "$ctl/stdout" &
  tail -q -n +1 -s 1 -f --pid="$qpid" "$ctl/stderr" >&2 &
  rc=0; wait "$qpid" || rc=$?; wait
  if [ -s "$ctl/rc" ]; then
    rc=$(cat "$ctl/rc")
  else
    [ "$rc" = 124 ] && log "the guest ran out of time" || { log "the guest ended without an exit code; its console:"; rc=125; }
    tail -n 40 "$ctl/console.log" >&2 || true
  fi
  rm -rf "$ctl"
  return "$rc"
}

# The lane's tests as one ctest -R expression.
lane_expression() {
  echo "${LUMIFOLD_GUEST_TESTS:-^($(echo $lane_tests | tr ' ' '|'))\$}"
}

# What the lane leaves out of the 32-bit tree's Windows tests, and why, for the skipped list.
list_left_out() {
  local name reason
  ctest --test-dir "$tree" -N -L wine | sed -n 's/^ *Test *#[0-9]*: //p' |
    { grep -vE '_(start|stop)$|^reproducible_build$' | grep -vE "$(lane_expression)" || true; } | while read -r name; do
      case $name in
        signed_*) reason="the signed build is made on the host only (reproducible_build)" ;;
        *_wow64) reason="one WOW64 run, install_test_wow64, is what fits CI's time" ;;
        *) reason="at some 17 times native time it does not fit CI's time; the x86-64 lane runs the same program" ;;
      esac
      echo "skipped: $name (32-bit, in the guest): $reason"
    done
}

case ${1:-} in
  build)
    cmake -S . -B "$tree" -DLUMIFOLD_ARCH=i686 -DLUMIFOLD_TIME_SCALE="$scale" >/dev/null
    cmake --build "$tree" -j"$(nproc)" --target installer windows_tests
    prepare
    list_left_out >> build/skipped-tests.txt
    ;;
  test)
    make_initramfs  # as this script now has it
    log "booting the guest for: $(ctest --test-dir "$tree" -N -R "$(lane_expression)" | sed -n 's/^ *Test *#[0-9]*: //p' | tr '\n' ' ')"
    boot "LUMIFOLD_TIME_SCALE=$scale ctest --test-dir $(printf %q "$tree") --output-on-failure -R '$(lane_expression)'"
    ;;
  *) echo "usage: guest-lane.sh build|test" >&2; exit 2 ;;
esac
