#!/usr/bin/python3
# tools/faultdisc/faultdisc.py SOURCE MOUNT CONTROL
#
# A disc folder served read-only through FUSE, with the faults a real drive
# has, as the control file asks. The control file is read again at every
# request; one rule a line, '#' starts a comment, FILE is the file's path
# inside the disc ('/' between folders, any case), the rest of the line:
#
#   scratch OFFSET FILE   reads of FILE deliver the bytes before OFFSET, then
#                         fail with EIO (a read across OFFSET comes back short)
#   eject                 the disc is out: every lookup, open, read and listing
#                         fails with ENOMEDIUM, the root folder's too
#   eject-at OFFSET FILE  the disc goes out when a read of FILE reaches byte
#                         OFFSET: that read delivers the bytes before it
#   rate BYTES [FILE]     each read of FILE (of every file, without FILE) is
#                         answered only after its size / BYTES seconds
#   log PATH              one line per read and listing appended to PATH:
#                         "read FILE OFFSET SIZE RESULT MICROSECONDS" and
#                         "list FOLDER RESULT", RESULT the bytes delivered or
#                         the entries listed, or an errno name
#
# An eject-at that went off holds until the control file's text changes;
# writers add a line of their own ("# 17") to make every write a change.
# Writers replace the file by a rename, so a request never reads half of it.
import contextlib
import errno
import os
import sys
import threading
import time

from fusepy import FUSE, FuseOSError, Operations


class Rules:
    def __init__(self, text):
        self.scratch = {}
        self.eject = False
        self.eject_at = {}
        self.rate_all = 0
        self.rate = {}
        self.log = None
        for line in text.splitlines():
            verb, _, rest = line.split('#', 1)[0].strip().partition(' ')
            number, _, name = rest.strip().partition(' ')
            name = name.strip()
            try:
                if not verb:
                    continue
                elif verb == 'eject' and not rest:
                    self.eject = True
                elif verb == 'scratch' and name:
                    self.scratch[Rules.key(name)] = int(number)
                elif verb == 'eject-at' and name:
                    self.eject_at[Rules.key(name)] = int(number)
                elif verb == 'rate' and name:
                    self.rate[Rules.key(name)] = int(number)
                elif verb == 'rate':
                    self.rate_all = int(number)
                elif verb == 'log' and rest:
                    self.log = rest.strip()
                else:
                    raise ValueError(line)
            except ValueError:
                print('faultdisc: control line not understood: %s' % line, file=sys.stderr, flush=True)

    @staticmethod
    def key(path):
        return path.strip().strip('/').lower()


class Control:
    """The control file as last read, and whether an eject-at went off since
    its text last changed."""

    def __init__(self, path):
        self.path = path
        self.text = None
        self.rules = Rules('')
        self.ejected = False
        self.lock = threading.Lock()

    def current(self):
        try:
            with open(self.path, 'rb') as f:
                text = f.read().decode('utf-8', 'replace')
        except FileNotFoundError:
            text = ''
        with self.lock:
            if text != self.text:
                self.text = text
                self.rules = Rules(text)
                self.ejected = False
            return self.rules, self.rules.eject or self.ejected

    def eject(self, rules):
        with self.lock:
            if rules is self.rules:
                self.ejected = True


class FaultDisc(Operations):
    use_ns = True

    def __init__(self, source, control):
        self.source = source
        self.control = Control(control)
        # One drive, one head: slowed reads of two readers take turns.
        self.drive = threading.Lock()
        self.log_lock = threading.Lock()

    def real(self, path):
        return os.path.join(self.source, path.lstrip('/'))

    def log(self, rules, line):
        if not rules.log:
            return
        # A log that cannot be written must not fail the read it describes.
        try:
            with self.log_lock, open(rules.log, 'a') as f:
                f.write(line + '\n')
        except OSError as e:
            print('faultdisc: cannot log to %s: %s' % (rules.log, e), file=sys.stderr, flush=True)

    def rules_or_out(self):
        rules, out = self.control.current()
        # The root fails too: Wine then answers ERROR_NOT_READY for a file of
        # the drive, as Windows does for a drive without a disc.
        if out:
            raise FuseOSError(errno.ENOMEDIUM)
        return rules

    def getattr(self, path, fh=None):
        self.rules_or_out()
        st = os.lstat(self.real(path))
        attrs = {k: getattr(st, k) for k in ('st_mode', 'st_nlink', 'st_size', 'st_uid', 'st_gid', 'st_ino')}
        attrs['st_mode'] &= ~0o222
        for k in ('st_atime', 'st_mtime', 'st_ctime'):
            attrs[k] = getattr(st, k + '_ns')
        return attrs

    def statfs(self, path):
        st = os.statvfs(self.real(path))
        return {k: getattr(st, k) for k in ('f_bsize', 'f_frsize', 'f_blocks', 'f_bfree', 'f_bavail', 'f_files',
                                            'f_ffree', 'f_favail', 'f_namemax')}

    def readdir(self, path, fh):
        rules, out = self.control.current()
        if out:
            self.log(rules, 'list %s ENOMEDIUM' % path)
            raise FuseOSError(errno.ENOMEDIUM)
        names = os.listdir(self.real(path))
        self.log(rules, 'list %s %d' % (path, len(names)))
        return ['.', '..'] + names

    def open(self, path, fi):
        self.rules_or_out()
        if fi.flags & (os.O_WRONLY | os.O_RDWR):
            raise FuseOSError(errno.EROFS)
        fi.fh = os.open(self.real(path), os.O_RDONLY)
        # Every read comes here: an exact error offset, and no cached pages
        # on a second pass.
        fi.direct_io = 1
        return 0

    def release(self, path, fi):
        os.close(fi.fh)
        return 0

    def read(self, path, size, offset, fi):
        start = time.monotonic()
        rules, out = self.control.current()
        key = Rules.key(path)
        rate = rules.rate.get(key, rules.rate_all)
        result = 'EINVAL'
        try:
            with self.drive if rate else contextlib.nullcontext():
                begun = time.monotonic()
                data = self.deliver(rules, out, key, size, offset, fi.fh)
                if rate:
                    wait = begun + len(data) / rate - time.monotonic()
                    if wait > 0:
                        time.sleep(wait)
            result = len(data)
            return data
        except OSError as e:
            result = errno.errorcode.get(e.errno, str(e.errno))
            raise
        finally:
            self.log(rules, 'read %s %d %d %s %d' % (key, offset, size, result,
                                                     (time.monotonic() - start) * 1e6))

    def deliver(self, rules, out, key, size, offset, fd):
        if out:
            raise FuseOSError(errno.ENOMEDIUM)
        scratch = rules.scratch.get(key)
        if scratch is not None and offset >= scratch:
            raise FuseOSError(errno.EIO)
        data = os.pread(fd, size, offset)
        if scratch is not None:
            data = data[:scratch - offset]
        eject_at = rules.eject_at.get(key)
        if eject_at is not None and offset + len(data) > eject_at:
            self.control.eject(rules)
            if offset >= eject_at:
                raise FuseOSError(errno.ENOMEDIUM)
            data = data[:eject_at - offset]
        return data


def main():
    if len(sys.argv) != 4:
        print('usage: faultdisc.py SOURCE MOUNT CONTROL', file=sys.stderr)
        return 2
    source, mount, control = (os.path.abspath(a) for a in sys.argv[1:])
    # No attribute or entry caching: an eject shows at the next lookup.
    try:
        FUSE(FaultDisc(source, control), mount, raw_fi=True, foreground=True, ro=True, fsname='faultdisc',
             attr_timeout=0, entry_timeout=0, negative_timeout=0)
    except RuntimeError:
        # libfuse has said why on stderr.
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
