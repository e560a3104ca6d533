#!/usr/bin/env python3
"""The program on a whole machine: a Debian 12 guest under QEMU with the
project's Debian package installed by apt, two USB card readers
(usb-storage, removable media), an SD card on an SD host controller and a
virtio system disk. Driven through a small agent on a virtio serial port
(guest-agent.sh) and the QEMU monitor (QMP). scripts/vm-check.sh runs it;
see the README's reliability section for what each check does.

Exit status: 0 every check held, or skipped with its reason (no package
mirror to build the guest from); 1 a check failed.
"""

import base64
import hashlib
import json
import glob
import os
import random
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.environ.get("TESSARO_BUILD", os.path.join(ROOT, "build"))
HOST_CLI = os.path.join(BUILD, "src", "cli", "tessaro-card")
CACHE = os.path.join(os.environ.get("XDG_CACHE_HOME") or os.path.expanduser("~/.cache"), "tessaro-vm")


def host_apt_uris():
    """The archive URIs this machine's apt is set up with (deb822 sources
    first, then the one-line list), so the guest uses the same mirror."""
    uris = []
    for path in sorted(glob.glob("/etc/apt/sources.list.d/*.sources")):
        for line in open(path, encoding="utf-8", errors="replace"):
            if line.startswith("URIs:"):
                uris += line.split()[1:]
    for path in ["/etc/apt/sources.list"] + sorted(glob.glob("/etc/apt/sources.list.d/*.list")):
        if os.path.exists(path):
            for line in open(path, encoding="utf-8", errors="replace"):
                parts = line.split()
                if len(parts) >= 2 and parts[0] == "deb":
                    uris.append(parts[1])
    return uris


_URIS = host_apt_uris()
MIRROR = os.environ.get("TESSARO_VM_MIRROR") or next(
    (u for u in _URIS if not u.rstrip("/").endswith("-security")), "")
SECURITY = os.environ.get("TESSARO_VM_SECURITY") or next(
    (u for u in _URIS if u.rstrip("/").endswith("-security")), "")
CUTS = int(os.environ.get("TESSARO_VM_CUTS", "21"))
# The read-back's target; only enforced when asked for.
RATIO_TARGET = 1.2
# While working on the check itself: TESSARO_VM_ONLY=c,d runs only those
# (and ends as failed, since the rest did not run).
ONLY = set((os.environ.get("TESSARO_VM_ONLY") or "a,b,c,d,e,f,g").split(","))
ENFORCE_RATIO = os.environ.get("TESSARO_VM_ENFORCE_RATIO", "") not in ("", "0")

# What the guest is made of besides the package's own dependencies. Any
# change here (or to the recipe version) builds the guest again.
BASE_PACKAGES = [
    "linux-image-amd64", "systemd", "systemd-sysv", "udev", "dbus", "udisks2", "polkitd",
    "strace", "e2fsprogs", "fdisk", "procps", "kmod", "util-linux",
]
RECIPE = "6"

CLUSTER = 144384
FAT = 5120
FRAME = 144000


def log(text):
    print(f"vm-check: {text}", flush=True)


class Skip(Exception):
    pass


class Failed(Exception):
    pass


class TimeUp(BaseException):
    """The time limit ran out (or the check was told to stop): not a failure
    of the program, and not a pass either. A BaseException, so that no
    handler of ordinary errors on the way swallows it."""


def stop_on_signal(signum, frame):
    raise TimeUp(signal.Signals(signum).name)


def run(args, check=True, **kw):
    result = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, **kw)
    if check and result.returncode != 0:
        raise Failed(f"{' '.join(args)}: exit {result.returncode}\n{result.stdout}")
    return result


# ---------------------------------------------------------------- the guest

def deb_path():
    debs = sorted(f for f in os.listdir(BUILD) if f.startswith("tessaro_") and f.endswith("_amd64.deb"))
    if not debs:
        raise Failed(f"no Debian package in {BUILD} (cpack -G DEB)")
    return os.path.join(BUILD, debs[-1])


def deb_dependencies(deb):
    depends = run(["dpkg-deb", "-f", deb, "Depends"]).stdout.strip()
    names = []
    for part in depends.split(","):
        first = part.split("|")[0].strip()
        if first:
            names.append(first.split()[0].split(":")[0])
    return names


def mirror_reachable():
    try:
        with urllib.request.urlopen(MIRROR + "/dists/bookworm/Release", timeout=20) as answer:
            return answer.status == 200, ""
    except Exception as error:  # any failure to reach it is the reason
        return False, str(error)


def guest_files():
    return {name: os.path.join(CACHE, name) for name in ("rootfs.img", "vmlinuz", "initrd.img", "packages")}


AGENT = os.path.join(ROOT, "scripts", "vm", "guest-agent.sh")


def refresh_agent(rootfs):
    """Puts the current agent into the cached guest when it changed (no
    need to build the guest again for it)."""
    stamp = rootfs + ".agent"
    digest = sha(AGENT)
    if os.path.exists(stamp) and open(stamp).read() == digest:
        return
    target = "/usr/local/sbin/tessaro-agent"
    run(["debugfs", "-w", "-R", f"rm {target}", rootfs], check=False)
    run(["debugfs", "-w", "-R", f"write {AGENT} {target}", rootfs])
    run(["debugfs", "-w", "-R", f"set_inode_field {target} mode 0100755", rootfs])
    with open(stamp, "w") as out:
        out.write(digest)


def remove_tree(tree):
    """Removes a guest tree, first taking off whatever an interrupted
    mmdebstrap left mounted in it (its /proc, /sys, /dev/pts), so that the
    removal never reaches this machine's own."""
    mounts = []
    with open("/proc/self/mountinfo") as info:
        for line in info:
            point = line.split()[4].replace("\\040", " ")
            if point == tree or point.startswith(tree + "/"):
                mounts.append(point)
    for point in sorted(mounts, key=len, reverse=True):
        subprocess.run(["umount", "-l", point], check=False)
    subprocess.run(["rm", "-rf", "--one-file-system", tree], check=False)


def run_builder(args):
    """mmdebstrap in a process group of its own. Stopped half-way (the time
    limit), it is asked to end with SIGTERM, on which it takes down its
    own mounts and its apt and dpkg, before the tree is removed."""
    builder = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                               start_new_session=True)
    try:
        output, _ = builder.communicate()
    except BaseException:
        os.killpg(builder.pid, signal.SIGTERM)
        try:
            builder.wait(timeout=60)
        except subprocess.TimeoutExpired:
            os.killpg(builder.pid, signal.SIGKILL)
            builder.wait()
        raise
    return subprocess.CompletedProcess(args, builder.returncode, output)


def ensure_guest(deb):
    """The cached guest tree as an ext4 image with its kernel, built again
    when missing or when its package list changed."""
    packages = sorted(set(BASE_PACKAGES + deb_dependencies(deb)))
    key = "\n".join(["recipe " + RECIPE] + packages) + "\n"
    files = guest_files()
    if all(os.path.exists(f) for f in files.values()) and open(files["packages"]).read() == key:
        refresh_agent(files["rootfs.img"])
        return False
    ok, why = mirror_reachable()
    if not ok:
        raise Skip(f"the Debian package mirror {MIRROR} cannot be reached ({why})")
    os.makedirs(CACHE, exist_ok=True)
    for f in files.values():
        if os.path.exists(f):
            os.unlink(f)
    # The tree is only a step to the image: in memory where there is room
    # (dpkg's many small writes and their removal are then quick).
    shm = "/dev/shm"
    roomy = os.path.isdir(shm) and shutil.disk_usage(shm).free > (6 << 30)
    tree = tempfile.mkdtemp(prefix="tessaro-vm-tree.", dir=shm if roomy else CACHE)
    try:
        unit = ("[Unit]\nDescription=Host agent of the check\nAfter=systemd-udevd.service\n\n"
                "[Service]\nExecStart=/usr/local/sbin/tessaro-agent\nRestart=always\n\n"
                "[Install]\nWantedBy=multi-user.target\n")
        hooks = [
            'echo tessaro-vm > "$1/etc/hostname"',
            'echo "/dev/vda / ext4 defaults 0 1" > "$1/etc/fstab"',
            'chroot "$1" passwd -d root',
            'chroot "$1" useradd -m -s /bin/bash tester',
            f'install -m 755 {os.path.join(ROOT, "scripts", "vm", "guest-agent.sh")} "$1/usr/local/sbin/tessaro-agent"',
            f"printf '{unit}' > \"$1/etc/systemd/system/tessaro-agent.service\"",
            'ln -sf /etc/systemd/system/tessaro-agent.service "$1/etc/systemd/system/multi-user.target.wants/"',
            # Nothing but the check runs: no timers that start work at random.
            'for t in apt-daily apt-daily-upgrade e2scrub_all fstrim dpkg-db-backup; do ln -sf /dev/null "$1/etc/systemd/system/$t.timer"; done',
            # A scan of file systems the guest does not have: a third of its boot under TCG.
            'ln -sf /dev/null "$1/etc/systemd/system/e2scrub_reap.service"',
            'mkdir -p "$1/mnt/data" "$1/mnt/card"',
        ]
        # A small initrd (only what mounts the virtio root disk), in place
        # before the kernel's package makes it: it unpacks and boots in
        # seconds under TCG where the usual one takes a minute.
        initrd_hook = os.path.join(CACHE, "initrd-hook")
        with open(initrd_hook, "w") as out:
            out.write('#!/bin/sh\n[ "$1" = prereqs ] && exit 0\n'
                      ". /usr/share/initramfs-tools/hook-functions\n"
                      "manual_add_modules virtio_pci virtio_blk ext4\n")
        setup = [
            'mkdir -p "$1/etc/initramfs-tools/conf.d" "$1/etc/initramfs-tools/hooks"',
            'echo MODULES=list > "$1/etc/initramfs-tools/conf.d/tessaro-vm"',
            f'install -m 755 {initrd_hook} "$1/etc/initramfs-tools/hooks/tessaro-vm"',
        ]
        args = ["mmdebstrap", "--mode=root", "--variant=apt", "--include=" + ",".join(packages)]
        # No documentation, manual pages or message catalogues: a third
        # less to unpack and to copy into the image.
        for unused in ("/usr/share/doc/*", "/usr/share/man/*", "/usr/share/locale/*", "/usr/share/info/*"):
            args.append("--dpkgopt=path-exclude=" + unused)
        for hook in setup:
            args.append("--setup-hook=" + hook)
        for hook in hooks:
            args.append("--customize-hook=" + hook)
        args += ["bookworm", tree,
                 f"deb {MIRROR} bookworm main", f"deb {MIRROR} bookworm-updates main",
                 f"deb {SECURITY} bookworm-security main"]
        log("building the guest (mmdebstrap; a few minutes)")
        build_start = time.time()
        result = run_builder(args)
        log(f"mmdebstrap took {time.time() - build_start:.0f} s")
        if result.returncode != 0:
            reachable, why = mirror_reachable()
            if not reachable:
                raise Skip(f"the Debian package mirror {MIRROR} cannot be reached ({why})")
            raise Failed("mmdebstrap failed:\n" + result.stdout[-4000:])
        boot = os.path.join(tree, "boot")
        kernel = sorted(f for f in os.listdir(boot) if f.startswith("vmlinuz-"))[-1]
        initrd = sorted(f for f in os.listdir(boot) if f.startswith("initrd.img-"))[-1]
        shutil.copy(os.path.join(boot, kernel), files["vmlinuz"])
        shutil.copy(os.path.join(boot, initrd), files["initrd.img"])
        image_start = time.time()
        run(["mke2fs", "-q", "-t", "ext4", "-d", tree, "-L", "root", files["rootfs.img"], "6G"])
        log(f"the image took {time.time() - image_start:.0f} s")
        with open(files["packages"], "w") as out:
            out.write(key)
        with open(files["rootfs.img"] + ".agent", "w") as out:
            out.write(sha(AGENT))
    finally:
        remove_tree(tree)
    return True


# ------------------------------------------------------------ the machine

def die_with_parent():
    """In the child before QEMU starts: QEMU is killed when this script ends
    in any way (a time limit's signal included)."""
    import ctypes
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


class Machine:
    """One QEMU process: the agent's and the monitor's sockets, the serial
    console in a file."""

    def __init__(self, work, overlay, data, accel):
        self.work = work
        self.overlay = overlay
        self.data = data
        self.accel = accel
        self.process = None
        self.agent = None
        self.agent_buffer = b""
        self.qmp = None
        self.qmp_buffer = b""
        self.next_id = 1

    def start(self, snapshot=None, cut_image=None):
        """Boots the guest, or with `snapshot` starts it stopped, loads that
        snapshot of the system disk and the memory, and runs it on.
        `cut_image` is a card in the USB reader of the power cuts, on the
        command line as it was plugged in when the snapshot was taken."""
        for name in ("agent.sock", "qmp.sock"):
            path = os.path.join(self.work, name)
            if os.path.exists(path):
                os.unlink(path)
        files = guest_files()
        args = [
            "qemu-system-x86_64", "-nodefaults", "-display", "none", "-machine", "pc",
            "-m", "512", "-smp", "2",
            "-serial", "file:" + os.path.join(self.work, "console.log"),
            "-kernel", files["vmlinuz"], "-initrd", files["initrd.img"],
            "-append", "root=/dev/vda rw console=ttyS0 quiet systemd.show_status=0 mitigations=off",
            "-blockdev", f"driver=file,node-name=system-file,filename={self.overlay},cache.no-flush=on",
            "-blockdev", "driver=qcow2,node-name=system,file=system-file,cache.no-flush=on",
            "-device", "virtio-blk-pci,drive=system",
            "-blockdev", f"driver=file,node-name=data-file,filename={self.data},read-only=on",
            "-blockdev", "driver=raw,node-name=data,file=data-file,read-only=on",
            "-device", "virtio-blk-pci,drive=data",
            "-device", "qemu-xhci,id=xhci",
            "-device", "sdhci-pci,id=sdhci",
            "-drive", "if=none,id=sd",
            "-device", "sd-card,drive=sd,id=sdcard",
            "-device", "virtio-serial-pci",
            "-chardev", f"socket,id=agent,path={os.path.join(self.work, 'agent.sock')},server=on,wait=off",
            "-device", "virtserialport,chardev=agent,name=tessaro.agent",
            "-qmp", f"unix:{os.path.join(self.work, 'qmp.sock')},server=on,wait=off",
        ]
        if self.accel == "kvm":
            args += ["-accel", "kvm", "-cpu", "host"]
        else:
            args += ["-accel", "tcg,thread=multi"]
        if cut_image:
            args += ["-blockdev", f"driver=file,node-name=cut-file,filename={cut_image},aio=threads,cache.direct=on",
                     "-blockdev", "driver=raw,node-name=cut-node,file=cut-file,cache.direct=on",
                     "-device", CUT_READER]
        if snapshot:
            args += ["-S"]
        self.process = subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=open(os.path.join(self.work, "qemu.err"), "a"),
                                        preexec_fn=die_with_parent)
        self.qmp = self._connect("qmp.sock")
        self.qmp_buffer = b""
        self._qmp_read()  # greeting
        self.monitor("qmp_capabilities")
        self.agent = self._connect("agent.sock")
        self.agent_buffer = b""
        if snapshot:
            self.job("snapshot-load", tag=snapshot)
            self.monitor("cont")

    def job(self, command, tag):
        """A snapshot job of the system disk (the cards are raw images and
        are left out) with the memory; waits for its end."""
        self.monitor(command, **{"job-id": "snap", "tag": tag, "vmstate": "system", "devices": ["system"]})
        deadline = time.time() + 300
        while time.time() < deadline:
            jobs = [j for j in self.monitor("query-jobs") if j["id"] == "snap"]
            if jobs and jobs[0]["status"] == "concluded":
                self.monitor("job-dismiss", id="snap")
                if "error" in jobs[0]:
                    raise Failed(f"{command} {tag}: {jobs[0]['error']}")
                return
            time.sleep(0.1)
        raise Failed(f"{command} {tag}: not finished in 300 s")

    def _connect(self, name):
        path = os.path.join(self.work, name)
        for _ in range(600):
            if self.process.poll() is not None:
                raise Failed("QEMU ended: " + open(os.path.join(self.work, "qemu.err")).read()[-2000:])
            try:
                s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
                s.connect(path)
                return s
            except OSError:
                time.sleep(0.05)
        raise Failed("QEMU's socket " + name + " did not appear")

    def _qmp_read(self):
        while b"\n" not in self.qmp_buffer:
            chunk = self.qmp.recv(65536)
            if not chunk:
                raise Failed("the QEMU monitor closed")
            self.qmp_buffer += chunk
        line, self.qmp_buffer = self.qmp_buffer.split(b"\n", 1)
        return json.loads(line)

    def monitor(self, command, **arguments):
        message = {"execute": command}
        if arguments:
            message["arguments"] = arguments
        self.qmp.sendall(json.dumps(message).encode() + b"\n")
        while True:
            answer = self._qmp_read()
            if "return" in answer:
                return answer["return"]
            if "error" in answer:
                raise Failed(f"monitor {command} {arguments}: {answer['error']}")

    def hmp(self, line):
        return self.monitor("human-monitor-command", **{"command-line": line})

    def sh(self, command, timeout=120, check=True):
        """Runs `command` in the guest; (status, output)."""
        ident = str(self.next_id)
        self.next_id += 1
        self.agent.sendall(f"{ident} {base64.b64encode(command.encode()).decode()}\n".encode())
        self.agent.settimeout(timeout)
        deadline = time.time() + timeout
        try:
            while True:
                while b"\n" in self.agent_buffer:
                    line, self.agent_buffer = self.agent_buffer.split(b"\n", 1)
                    parts = line.decode().split(" ")
                    if len(parts) >= 2 and parts[0] == ident:
                        status = int(parts[1])
                        output = base64.b64decode(parts[2]).decode(errors="replace") if len(parts) > 2 else ""
                        if check and status != 0:
                            raise Failed(f"in the guest: {command}\nexit {status}\n{output}")
                        return status, output
                if time.time() > deadline:
                    raise socket.timeout()
                chunk = self.agent.recv(65536)
                if not chunk:
                    raise Failed("the agent's port closed")
                self.agent_buffer += chunk
        except socket.timeout:
            raise Failed(f"in the guest: {command}: no answer within {timeout} s")

    def wait_for_agent(self, timeout):
        """Sends a probe until the agent answers (it starts with the guest)."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            try:
                status, _ = self.sh("true", timeout=5, check=False)
                if status == 0:
                    return True
            except Failed:
                if self.process.poll() is not None:
                    return False
        return False

    def kill(self):
        if self.process and self.process.poll() is None:
            self.process.send_signal(signal.SIGKILL)
            self.process.wait()
        for s in (self.agent, self.qmp):
            if s:
                s.close()
        self.agent = self.qmp = None

    def quit(self):
        if self.process and self.process.poll() is None:
            try:
                self.monitor("quit")
                self.process.wait(timeout=30)
            except Exception:
                pass
        self.kill()

    # Cards on the machine: images attached as removable USB disks (with a
    # serial that names them in /dev/disk/by-id) or inserted into the SD slot.
    def attach_usb(self, name, image):
        self.monitor("blockdev-add", **{"driver": "raw", "node-name": name + "-node",
                                        "cache": {"direct": True},
                                        "file": {"driver": "file", "filename": image, "aio": "threads"}})
        self.plug_usb(name)

    def plug_usb(self, name):
        self.monitor("device_add", driver="usb-storage", id=name, drive=name + "-node", removable=True,
                     serial=name.upper(), bus="xhci.0")

    def unplug_usb(self, name):
        self.monitor("device_del", id=name)

    @staticmethod
    def usb_disk(name):
        """The monitor's name of the SCSI disk inside a USB device, which
        has the medium."""
        return f"/machine/peripheral/{name}/{name}.0/legacy[0]"

    def insert_sd(self, image):
        self.monitor("blockdev-add", **{"driver": "raw", "node-name": "sd-node-" + str(self.next_id),
                                        "cache": {"direct": True},
                                        "file": {"driver": "file", "filename": image, "aio": "threads"}})
        node = "sd-node-" + str(self.next_id)
        self.next_id += 1
        self.monitor("blockdev-open-tray", id="sdcard", force=True)
        self.monitor("blockdev-remove-medium", id="sdcard")
        self.monitor("blockdev-insert-medium", id="sdcard", **{"node-name": node})
        self.monitor("blockdev-close-tray", id="sdcard")


# The power cuts' reader, on a port of its own so that the snapshots taken
# with it plugged in and the machines started with it agree.
CUT_READER = "usb-storage,id=cut,drive=cut-node,removable=on,serial=CUT,bus=xhci.0,port=4"


def usb_id(name):
    return f"usb-QEMU_QEMU_HARDDISK_{name.upper()}-0:0"


def usb_node(name):
    return f"$(readlink -e /dev/disk/by-id/{usb_id(name)})"


# ---------------------------------------------------------------- host side

def make_clip(path, seconds, pattern):
    run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", f"{pattern}=size=720x576:rate=25",
         "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000", "-t", str(seconds),
         "-ac", "2", "-target", "pal-dv", path])


def host_cli(*args):
    return run([HOST_CLI, "--lang", "en"] + list(args), check=False)


def card_bytes(clusters):
    """The size of a card image of `clusters` clusters, in whole 4096-byte
    blocks (the images are opened with O_DIRECT)."""
    return (FAT + clusters * CLUSTER + 512 + 4095) // 4096 * 4096


def new_card(path, clusters, clips=()):
    """A formatted card image of `clusters` clusters with `clips` (slot, file)."""
    with open(path, "wb") as f:
        f.truncate(card_bytes(clusters))
    if host_cli("--yes", "format", path).returncode != 0:
        raise Failed("format of " + path)
    for slot, clip in clips:
        if host_cli("write", path, clip, "--slot", str(slot), "--no-verify").returncode != 0:
            raise Failed(f"write of {clip} into {path}")


def card_clips(image):
    """The clips the card lists: [(slot, name, frames)], or None when its
    table does not load."""
    result = host_cli("info", image, "--json")
    if result.returncode != 0:
        return None
    info = json.loads(result.stdout)
    return [(c["slot"], c["name"], c["frames"]) for c in info.get("clips", [])]


def clip_is_whole(image, slot, source, work):
    out = os.path.join(work, "back.dv")
    if os.path.exists(out):
        os.unlink(out)
    if host_cli("read", image, str(slot), out).returncode != 0:
        return False
    with open(out, "rb") as a, open(source, "rb") as b:
        return a.read() == b.read()


def sha(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


# ------------------------------------------------------------------ checks

class Check:
    def __init__(self, work, clips):
        self.work = work
        self.clips = clips  # name -> host path; in the guest /mnt/data/NAME.dv
        self.results = {}
        self.last = time.time()
        self.startup = 0.0  # seconds the program takes to start in the guest

    def held(self, letter, text):
        self.results[letter] = text
        now = time.time()
        log(f"check {letter} held ({now - self.last:.0f} s): {text}")
        self.last = now


def wait_until(vm, condition, timeout=30):
    """Polls a guest shell condition until it is true."""
    status, _ = vm.sh(f"end=$(( $(date +%s) + {timeout} )); while [ $(date +%s) -lt $end ]; do "
                      f"if {condition}; then exit 0; fi; sleep 0.2; done; exit 1",
                      timeout=timeout + 60, check=False)
    return status == 0


def devices(vm):
    _, out = vm.sh("tessaro-card devices", check=False)
    # One line a card: its name and size, a tab, its device.
    return [line.split("\t")[-1].strip() for line in out.splitlines() if "\t" in line]


def check_a(vm, c, cards):
    listed = devices(vm)
    expected = sorted(cards.values())
    if sorted(listed) != expected:
        raise Failed(f"a: the card list is {listed}, expected {expected}")
    _, trace = vm.sh("strace -f -qq -e trace=openat,open -o /tmp/devices.trace tessaro-card devices >/dev/null; "
                     "grep -o '\"/dev/[^\"]*\"' /tmp/devices.trace | sort -u")
    opened = sorted({line.strip('"') for line in trace.split()})
    disks = ("/dev/sd", "/dev/vd", "/dev/mmcblk", "/dev/sr", "/dev/loop", "/dev/nvme", "/dev/dm-", "/dev/disk/")
    other = [d for d in opened if d not in expected and d.startswith(disks)]
    if other:
        raise Failed(f"a: devices opened besides the cards: {other}")
    for name, node in cards.items():
        vm.sh(f"tessaro-card --yes format {node} && tessaro-card write {node} /mnt/data/a.dv --slot 1 && "
              f"tessaro-card read {node} 1 /tmp/back-{name}.dv && cmp /tmp/back-{name}.dv /mnt/data/a.dv", timeout=600)
    vm.sh("sync")
    for name, image in c.images.items():
        if not clip_is_whole(image, 1, c.clips["a"], c.work):
            raise Failed(f"a: the clip on {name} is not whole on the host's image")
    c.held("a", f"cards listed: {', '.join(listed)} (never /dev/vda or /dev/vdb; strace: no other device opened); "
                f"a clip written to and read back from each, whole on the host's images")


def check_b(vm, c, node, image):
    vm.sh(f"printf 'start=2048, type=83\\n' | sfdisk -q {node} && udevadm settle && "
          f"for i in $(seq 50); do [ -b {node}1 ] && break; sleep 0.2; done; "
          f"mkfs.ext2 -q {node}1 && mount -o ro {node}1 /mnt/card && sync")
    before = sha(image)
    failures = []
    for command in (f"tessaro-card info {node}", f"tessaro-card write {node} /mnt/data/a.dv",
                    f"tessaro-card --yes format {node}"):
        status, out = vm.sh(command, check=False)
        if status != 1 or "/mnt/card" not in out:
            failures.append(f"{command}: exit {status}: {out.strip()}")
    vm.sh(f"umount /mnt/card && sync")
    if failures:
        raise Failed("b: not refused with the mount point named:\n" + "\n".join(failures))
    if sha(image) != before:
        raise Failed("b: the image changed while its partition was mounted")
    c.held("b", "info, write and format refused naming /mnt/card, the image unchanged")


# An ordinary user, with a home and a runtime folder of its own.
AS_TESTER = "runuser -u tester -- env HOME=/home/tester XDG_RUNTIME_DIR=/tmp/run-tester "
AS_ROOT = "env HOME=/root XDG_RUNTIME_DIR=/tmp/run-root "


def guest_seconds(vm, command, timeout=120):
    """Runs `command` in the guest and times it there: (status, output,
    seconds)."""
    status, out = vm.sh(f"s=$(date +%s%N); {{ {command}; }} >/tmp/timed.out 2>&1; r=$?; e=$(date +%s%N); "
                        f"echo $(( (e - s) / 1000000 )); cat /tmp/timed.out; exit $r", timeout=timeout, check=False)
    first, _, rest = out.partition("\n")
    return status, rest, int(first) / 1000


def check_c(vm, c, node):
    vm.sh("rm -f /etc/polkit-1/rules.d/50-tessaro-check.rules; "
          "install -d -m 700 -o tester /tmp/run-tester && install -d -m 700 /tmp/run-root")
    # Under TCG the program takes seconds to start (it loads some 170
    # libraries): the refusal is timed against that start.
    _, _, start = guest_seconds(vm, f"{AS_TESTER}tessaro-card --version")
    c.startup = start
    status, out, refused_in = guest_seconds(vm, f"{AS_TESTER}tessaro-card info {node}", timeout=60)
    if status != 1 or "permission" not in out.lower():
        raise Failed(f"c: without a polkit rule the user was not refused: exit {status}: {out}")
    if refused_in > start + 5:
        raise Failed(f"c: the refusal took {refused_in:.1f} s (the program starts in {start:.1f} s)")
    rule = ('polkit.addRule(function(action, subject) {\n'
            '  if (action.id.indexOf("org.freedesktop.udisks2.open-device") == 0 && subject.user == "tester")\n'
            '    return polkit.Result.YES;\n});\n')
    vm.sh(f"cat > /etc/polkit-1/rules.d/50-tessaro-check.rules <<'EOF'\n{rule}EOF\nsleep 2")
    vm.sh(f"{AS_TESTER}tessaro-card info {node} && {AS_TESTER}tessaro-card --yes format {node} && "
          f"{AS_TESTER}tessaro-card --yes write {node} /mnt/data/b.dv --slot 1 && "
          f"{AS_TESTER}tessaro-card read {node} 1 /tmp/tester-back.dv && cmp /tmp/tester-back.dv /mnt/data/b.dv",
          timeout=300)
    # Exclusive both ways: the window of one holds the card, the other is
    # refused as in use.
    exclusive = []
    # The window opens the first card it lists.
    node = devices(vm)[0]
    for holder, other, who in ((AS_TESTER, AS_ROOT, "tester"), (AS_ROOT, AS_TESTER, "root")):
        vm.sh(f"{holder}QT_QPA_PLATFORM=offscreen nohup tessaro >/tmp/window-{who}.out 2>&1 &")
        held = wait_until(vm, f"ls -l /proc/$(pgrep -x tessaro)/fd 2>/dev/null | grep -q '{node}$'", timeout=90)
        status, out = vm.sh(f"{other}tessaro-card info {node}", check=False)
        vm.sh("pkill -x tessaro; for i in $(seq 50); do pgrep -x tessaro >/dev/null || break; sleep 0.2; done", check=False)
        if not held or status != 1 or "in use" not in out:
            exclusive.append(f"{node} held by {who}'s window ({'open' if held else 'not open'}): "
                             f"exit {status}: {out.strip()}")
    if exclusive:
        raise Failed("c: not exclusive:\n" + "\n".join(exclusive))
    c.held("c", f"the user was refused through udisks2 without a polkit rule in {refused_in:.1f} s (the program "
                f"starts in {start:.1f} s here); with one, "
                f"info, format, write and read worked; the window's descriptor of {node} exclusive against root and the other way round")


def window_card_count(vm):
    """The cards of the window's last discovery, from its diagnostic log:
    the drives its probes opened after the last device event."""
    _, out = vm.sh("cat /root/.config/tessaro/tessaro.log 2>/dev/null", check=False)
    lines = out.splitlines()
    # Only an arrival (0x8000) or a removal (0x8004) makes the window list
    # the cards again; other events (a medium's change of state) are logged
    # and left.
    events = ("CMainWin::OnDeviceChange() = 32768,", "CMainWin::OnDeviceChange() = 32772,")
    last = max([i for i, l in enumerate(lines) if any(e in l for e in events)] + [0])
    return len({l.split("open disk:")[1].split(",")[0].strip() for l in lines[last:] if "open disk:" in l})


def check_d(vm, c, cards):
    vm.sh("mkdir -p /root/.config/tessaro && printf '[Debug]\\nLog=1\\n' > /root/.config/tessaro/tessaro.ini && "
          "rm -f /root/.config/tessaro/tessaro.log; "
          f"{AS_ROOT}QT_QPA_PLATFORM=offscreen nohup tessaro >/tmp/window.out 2>&1 &")
    time.sleep(3)
    steps = []

    def expect(what, count):
        ok = wait_until(vm, f"[ $(tessaro-card devices 2>/dev/null | grep -cP '\\t') -eq {count} ]", timeout=30)
        listed = len(devices(vm))
        deadline = time.time() + 30
        while time.time() < deadline and window_card_count(vm) != count:
            time.sleep(1)
        shown = window_card_count(vm)
        steps.append(f"{what}: devices {listed}, window {shown}")
        if not ok or shown != count:
            raise Failed(f"d: after {what} expected {count} cards; devices lists {listed}, the window {shown}")

    n = len(cards)
    vm.monitor("eject", id=vm.usb_disk("usb1"), force=True)
    expect("eject of usb1", n - 1)
    vm.monitor("blockdev-change-medium", id=vm.usb_disk("usb1"), filename=c.spare, format="raw")
    expect("a new medium in usb1", n)
    vm.unplug_usb("usb2")
    expect("usb2 removed", n - 1)
    time.sleep(1)
    vm.plug_usb("usb2")
    expect("usb2 added", n)
    vm.sh("pkill -x tessaro", check=False)
    c.held("d", "; ".join(steps))


def check_f(vm, c, cards):
    vm.sh("udevadm settle; nohup stdbuf -oL udevadm monitor --udev --subsystem-match=block >/tmp/udev.log 2>&1 & "
          "echo $! > /tmp/udev.pid; sleep 1")
    vm.sh("tessaro-card devices && " + " && ".join(f"tessaro-card info {n}" for n in cards.values()), check=False)
    vm.sh(f"tessaro-card read {cards['usb1']} 1 /tmp/f.dv", check=False)
    # The window: its discovery, then the first card opened and its clips read.
    vm.sh(f"install -d -m 700 /tmp/run-root; {AS_ROOT}QT_QPA_PLATFORM=offscreen nohup tessaro >/dev/null 2>&1 &")
    opened = " -o ".join(f"-n \"$(ls -l /proc/$(pgrep -x tessaro)/fd 2>/dev/null | grep '{n}$')\"" for n in cards.values())
    if not wait_until(vm, f"[ {opened} ]", timeout=90):
        raise Failed("f: the window opened no card")
    vm.sh("sleep 1; pkill -x tessaro; while pgrep -x tessaro >/dev/null; do sleep 0.2; done", check=False)
    _, events = vm.sh("udevadm settle; sleep 1; cat /tmp/udev.log")
    vm.sh("kill $(cat /tmp/udev.pid)", check=False)
    changes = [l for l in events.splitlines() if l.startswith("UDEV") and any(w in l for w in (" change ", " remove ", " add "))]
    if changes:
        raise Failed("f: udev events from listing or reading cards:\n" + "\n".join(changes))
    # The monitor does see a write: the closing of the descriptor it wrote
    # through makes udev probe the card again.
    vm.sh("nohup stdbuf -oL udevadm monitor --udev --subsystem-match=block >/tmp/udev2.log 2>&1 & echo $! > /tmp/udev.pid; sleep 1")
    vm.sh(f"tessaro-card --yes delete {cards['usb1']} 1")
    _, control = vm.sh("udevadm settle; sleep 1; kill $(cat /tmp/udev.pid); cat /tmp/udev2.log")
    seen = sum(1 for l in control.splitlines() if l.startswith("UDEV") and " change " in l)
    c.held("f", f"no change, remove or add event from devices, info of each card, read and the window; "
                f"a delete, for comparison, gave {seen} change event(s)")


def check_g(vm, c, node, frames):
    clip = "/mnt/data/g.dv"
    vm.sh(f"tessaro-card --yes format {node}")
    ours, dd = [], []
    for _ in range(2):
        vm.sh(f"tessaro-card --yes delete {node} 1 >/dev/null 2>&1; sync; echo 3 > /proc/sys/vm/drop_caches", check=False)
        _, out = vm.sh(f"s=$(date +%s%N); tessaro-card --yes write {node} {clip} --slot 1 >/dev/null; "
                       f"e=$(date +%s%N); echo $((e - s))", timeout=900)
        ours.append(int(out.strip().splitlines()[-1]) / 1e9)
        vm.sh("sync; echo 3 > /proc/sys/vm/drop_caches")
        _, out = vm.sh(f"s=$(date +%s%N); dd if={clip} of={node} bs=144000 seek={FAT} oflag=seek_bytes "
                       f"conv=notrunc,fdatasync status=none && dd if={node} of=/dev/null bs={CLUSTER} count={frames} "
                       f"iflag=direct,skip_bytes skip={FAT} status=none; e=$(date +%s%N); echo $((e - s))",
                       timeout=900)
        dd.append(int(out.strip().splitlines()[-1]) / 1e9)
    # Under TCG the program's start (the dynamic loading of some 170
    # libraries, milliseconds on a real machine) takes seconds; dd starts at
    # once. The ratio held against the target is that of the transfers, the
    # start taken off; the whole command's is given beside it. The start is
    # timed as the write starts, after the caches were dropped: the
    # libraries are read from the disk again.
    starts = []
    for _ in range(2):
        vm.sh("sync; echo 3 > /proc/sys/vm/drop_caches")
        starts.append(guest_seconds(vm, "tessaro-card --version")[2])
    start = min(starts)
    c.startup = start
    whole = min(ours) / min(dd)
    ratio = max(min(ours) - start, 0.01) / min(dd)
    c.ratio = ratio
    text = (f"write with read-back of {frames} frames on the USB reader {min(ours):.2f} s, of which the program's "
            f"start {start:.2f} s; dd writing plus dd reading back (iflag=direct) {min(dd):.2f} s; ratio "
            f"{ratio:.2f} without the start (target {RATIO_TARGET}), {whole:.2f} with it")
    if ENFORCE_RATIO and ratio > RATIO_TARGET:
        raise Failed("g: " + text)
    c.held("g", text)


# Power cuts: a snapshot of the running guest is taken for each scenario
# with its card plugged in; each cut copies that card afresh, starts the
# machine from the scenario's snapshot, starts the operation and kills QEMU
# at a random moment of it. The image must then load and every clip it
# lists be whole.
def prepare_cuts(vm, c, scenarios):
    """In the guest of the other checks, done with them: the other cards
    taken out, then a snapshot per scenario with its card in the reader."""
    vm.sh("pkill -x tessaro; true", check=False)
    for name in ("usb1", "usb2"):
        vm.unplug_usb(name)
    vm.monitor("blockdev-open-tray", id="sdcard", force=True)
    vm.monitor("blockdev-remove-medium", id="sdcard")
    if not wait_until(vm, "! ls /dev/sd? /dev/mmcblk0 >/dev/null 2>&1", timeout=60):
        raise Failed("e: the cards of the other checks did not go")
    image = os.path.join(c.work, "cut.img")
    for index, (_, base, _, _) in enumerate(scenarios):
        shutil.copy(base, image)
        vm.monitor("blockdev-add", **{"driver": "raw", "node-name": "cut-node", "cache": {"direct": True},
                                      "file": {"driver": "file", "node-name": "cut-file", "filename": image,
                                               "aio": "threads", "cache": {"direct": True}}})
        options = dict(item.split("=", 1) for item in CUT_READER.split(",")[1:])
        options["removable"] = True
        vm.monitor("device_add", driver=CUT_READER.split(",")[0], **options)
        if not wait_until(vm, f"[ -b {usb_node('cut')} ] && [ $(blockdev --getsize64 {usb_node('cut')}) -gt 0 ]",
                          timeout=60):
            raise Failed("e: the card did not appear")
        vm.sh("udevadm settle; sync; echo 3 > /proc/sys/vm/drop_caches")
        vm.job("snapshot-save", f"cut{index}")
        vm.unplug_usb("cut")
        if not wait_until(vm, f"[ ! -e /dev/disk/by-id/{usb_id('cut')} ]", timeout=60):
            raise Failed("e: the card did not go")
        for _ in range(50):
            try:
                vm.monitor("blockdev-del", **{"node-name": "cut-node"})
                break
            except Failed:
                time.sleep(0.2)  # the reader is still being taken away
        # (its file node, added with it, goes with it)


def power_cuts(machine, c, scenarios, cuts):
    held = []
    durations = {}
    seed = int(os.environ.get("TESSARO_VM_SEED", str(int(time.time()))))
    log(f"power cuts with TESSARO_VM_SEED={seed}")
    rng = random.Random(seed)
    image = os.path.join(c.work, "cut.img")
    for i in range(cuts + len(scenarios)):
        index = i % len(scenarios)
        name, base, command, sources = scenarios[index]
        uncut = i < len(scenarios)  # the first round runs to its end, to time it
        shutil.copy(base, image)
        machine.start(snapshot=f"cut{index}", cut_image=image)
        if not machine.wait_for_agent(120):
            raise Failed("e: the guest did not answer after its snapshot was loaded")
        node = usb_node("cut")
        full = command.replace("CARD", node)
        moment = 0.0
        if uncut:
            _, out, durations[name] = guest_seconds(machine, full, timeout=900)
            machine.kill()
        else:
            machine.sh(f"nohup sh -c '{full}' >/tmp/cut.out 2>&1 &")
            # Cut while the card is being written: after the program's start
            # (seconds under emulation, during which nothing is written).
            first = min(c.startup, 0.7 * durations[name])
            moment = rng.uniform(first, durations[name])
            time.sleep(moment)
            machine.kill()
        listed = card_clips(image)
        if listed is None:
            raise Failed(f"e: after a cut during {name} at {moment:.1f} s the table does not load")
        for slot, clip_name, frames in listed:
            source = sources.get(clip_name)
            if source is None or not clip_is_whole(image, slot, source, c.work):
                raise Failed(f"e: after a cut during {name} at {moment:.1f} s clip {clip_name} of slot {slot} is not whole")
        if uncut and not any(clip_name == "d" for _, clip_name, _ in listed):
            raise Failed(f"e: {name} without a cut did not leave clip d on the card: {out.strip()}")
        if not uncut:
            held.append(f"{name} at {moment:.1f} s: {len(listed)} clips")
    return held, durations


# --------------------------------------------------------------------- main

def main():
    work = os.path.join(BUILD, "vm-check")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    started = time.time()
    deb = deb_path()
    c = Check(work, {})
    # The time limit counts from the start of scripts/vm-check.sh (its
    # installs and package build included) when that set a deadline.
    limit = int(os.environ.get("TESSARO_VM_LIMIT", "0") or 0)
    deadline = int(os.environ.get("TESSARO_VM_DEADLINE", "0") or 0)
    if limit > 0 and deadline == 0:
        deadline = int(started) + limit
    signal.signal(signal.SIGTERM, stop_on_signal)
    if limit > 0:
        signal.signal(signal.SIGALRM, stop_on_signal)
        signal.alarm(max(1, deadline - int(time.time())))
    try:
        return run_checks(work, deb, c, started)
    except TimeUp as why:
        done = ", ".join(sorted(c.results)) or "none"
        reason = f"the limit of {limit} s" if str(why) == "SIGALRM" else str(why)
        print(f"vm-check: stopped by {reason} after {time.time() - started:.0f} s", flush=True)
        print(f"reliability: real desktop stack: not finished in time (skipped: stopped by {reason}; "
              f"checks held before it: {done})")
        return 0


def run_checks(work, deb, c, started):
    try:
        built = ensure_guest(deb)
    except Skip as why:
        print(f"reliability: real desktop stack: not exercised (skipped: {why})")
        return 0
    log(("guest built" if built else "cached guest used") + f" in {time.time() - started:.0f} s: {CACHE}")

    # Clips, the package and a spare medium on a read-only data disk.
    data = os.path.join(work, "data")
    os.makedirs(data)
    # Clips of the shortest length a card takes (75 frames) where any will
    # do: every frame costs time through the emulated readers. The speed
    # check's clip is 40 seconds long, so that what it measures is the
    # transfer and not the few table writes and flushes around it.
    for name, seconds, pattern in (("a", 3, "testsrc"), ("b", 3, "smptebars"), ("d", 4, "testsrc2"),
                                   ("g", 40, "testsrc")):
        path = os.path.join(data, name + ".dv")
        make_clip(path, seconds, pattern)
        c.clips[name] = path
    shutil.copy(deb, os.path.join(data, "tessaro.deb"))
    data_image = os.path.join(work, "data.img")
    run(["mke2fs", "-q", "-t", "ext2", "-d", data, data_image, "400M"])
    overlay = os.path.join(work, "system.qcow2")
    run(["qemu-img", "create", "-q", "-f", "qcow2", "-F", "raw", "-b", guest_files()["rootfs.img"], overlay])

    accel = os.environ.get("TESSARO_VM_ACCEL", "tcg")
    vm = Machine(work, overlay, data_image, accel)
    try:
        boot = time.time()
        vm.start()
        if not vm.wait_for_agent(1200):
            raise Failed("the guest did not boot: " + open(os.path.join(work, "console.log"), errors="replace").read()[-3000:])
        log(f"guest booted ({accel}) in {time.time() - boot:.0f} s")
        vm.sh("mount -o ro /dev/vdb /mnt/data && apt-get install -y -q --no-install-recommends /mnt/data/tessaro.deb "
              ">/tmp/apt.log 2>&1 || { cat /tmp/apt.log; exit 1; }", timeout=600)
        _, version = vm.sh("dpkg-query -W tessaro; tessaro-card --version 2>&1")
        log("installed with apt: " + " ".join(version.split()))
        vm.sh("systemctl start udisks2 polkit && sync && echo 3 > /proc/sys/vm/drop_caches", timeout=120)

        # The cards: two USB readers and the SD slot.
        c.images = {}
        for name, clusters in (("usb1", 1100), ("usb2", 330), ("sd", None)):
            image = os.path.join(work, name + ".img")
            with open(image, "wb") as f:
                f.truncate(64 << 20 if clusters is None else card_bytes(clusters))
            c.images[name] = image
        c.spare = os.path.join(work, "spare.img")
        new_card(c.spare, 300)
        c.last = time.time()
        vm.attach_usb("usb1", c.images["usb1"])
        vm.attach_usb("usb2", c.images["usb2"])
        vm.insert_sd(c.images["sd"])
        if not wait_until(vm, f"[ -b {usb_node('usb1')} ] && [ -b {usb_node('usb2')} ] && [ -b /dev/mmcblk0 ]", 60):
            _, out = vm.sh("lsblk; dmesg | tail -30", check=False)
            raise Failed("the cards did not appear in the guest:\n" + out)
        vm.sh("udevadm settle")
        cards = {}
        for name in ("usb1", "usb2"):
            # udev may be renewing the links of a reader just found.
            if not wait_until(vm, f"[ -b \"$(readlink -e /dev/disk/by-id/{usb_id(name)})\" ]", 30):
                raise Failed(f"no /dev/disk/by-id link of {name}")
            _, node = vm.sh(f"readlink -e /dev/disk/by-id/{usb_id(name)}")
            cards[name] = node.strip()
        cards["sd"] = "/dev/mmcblk0"

        if "a" in ONLY:
            check_a(vm, c, cards)
        if "f" in ONLY:
            check_f(vm, c, cards)
        if "b" in ONLY:
            check_b(vm, c, cards["usb2"], c.images["usb2"])
        if "c" in ONLY:
            check_c(vm, c, cards["usb1"])
        if "g" in ONLY:
            check_g(vm, c, cards["usb1"], os.path.getsize(c.clips["g"]) // FRAME)
        if "d" in ONLY:
            check_d(vm, c, cards)

        # e: power cuts during a write, an overwrite and a compaction, on
        # cards of 180 clusters: with a and b (75 frames each) on it and a
        # deleted (or overwritten), the 100 frames of d fit neither in a's
        # place nor in the 30 clusters after b, so the card is compacted first.
        sources = {"a": c.clips["a"], "b": c.clips["b"], "d": c.clips["d"]}
        empty = os.path.join(work, "e-write.img")
        new_card(empty, 180)
        used = os.path.join(work, "e-overwrite.img")
        new_card(used, 180, [(1, c.clips["a"]), (2, c.clips["b"])])
        split = os.path.join(work, "e-compact.img")
        new_card(split, 180, [(1, c.clips["a"]), (2, c.clips["b"])])
        host_cli("--yes", "delete", split, "1")
        scenarios = [
            ("a clip write", empty, "tessaro-card write CARD /mnt/data/d.dv --slot 1", sources),
            ("an overwrite of a used slot", used, "tessaro-card --yes write CARD /mnt/data/d.dv --slot 1", sources),
            ("a compaction", split, "tessaro-card --yes write CARD /mnt/data/d.dv --slot 2", sources),
        ]
        if "e" in ONLY:
            snap = time.time()
            prepare_cuts(vm, c, scenarios)
            log(f"snapshots of the power cuts taken in {time.time() - snap:.0f} s")
        vm.quit()
        if "e" not in ONLY:
            raise Failed("only checks " + ",".join(sorted(c.results)) + " ran")
        cut_start = time.time()
        held, durations = power_cuts(vm, c, scenarios, CUTS)
        c.held("e", f"{len(held)} cuts of the QEMU process ({', '.join(f'{k} {v:.1f} s uncut' for k, v in durations.items())}): "
                    f"every table loaded and every listed clip was whole, in {time.time() - cut_start:.0f} s")
    except Failed as failure:
        print(f"vm-check: FAILED: {failure}", flush=True)
        print("reliability: real desktop stack: FAILED (" + str(failure).splitlines()[0] + ")")
        vm.kill()
        return 1
    finally:
        vm.kill()
    if set(c.results) != set("abcdefg"):
        print("reliability: real desktop stack: FAILED (only checks " + ",".join(sorted(c.results)) + " ran)")
        return 1
    print(f"reliability: real desktop stack (Debian 12 guest under QEMU/{accel}, udev, udisks2, polkit, the package "
          f"installed by apt; two USB readers and an SD card): only the cards listed and opened, "
          f"clips whole through the kernel's USB storage and SD drivers, a mounted card refused naming its mount "
          f"point, an ordinary user refused without a polkit rule and served with one, exclusive both ways, "
          f"eject, new medium, removal and return followed by tessaro-card and the window, {len(held)} power cuts "
          f"held, no udev event from listing or reading, read-back ratio {c.ratio:.2f} against dd; all held in "
          f"{time.time() - started:.0f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
