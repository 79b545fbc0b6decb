#!/usr/bin/python3
"""Runs vsftpd for tests and the demo: writes its configuration, the virtual
users' password file and PAM service, creates the guest account once, then
supervises vsftpd in the foreground. Prints READY once vsftpd accepts
connections; on SIGTERM or SIGINT stops vsftpd and every session process,
removes the PAM service file and exits. Must run as root."""

import ctypes
import errno
import fcntl
import hashlib
import os
import pwd
import shutil
import signal
import socket
import subprocess
import sys
import time
import warnings

sys.dont_write_bytecode = True  # keep __pycache__ out of the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import ftpaccounts  # noqa: E402

VSFTPD = "/usr/sbin/vsftpd"
GUEST_USER = "pordaneftp"
GUEST_HOME = "/var/lib/pordaneftp"
LOCK_FILE = "/run/lock/pordane-ftpservers.lock"
PR_SET_CHILD_SUBREAPER = 36

# vsftpd has no per-command permission letters; a missing pyftpdlib letter
# becomes denied commands ("550 Permission denied.") or a switched-off option.
DENIED_BY_MISSING_PERM = {
    "e": ["CWD", "XCWD", "CDUP", "XCUP"],
    "l": ["LIST", "NLST", "SIZE", "MDTM", "STAT"],
    "r": ["RETR"],
    "a": ["APPE"],
    "d": ["DELE", "RMD", "XRMD"],
    "f": ["RNFR", "RNTO"],
    "m": ["MKD", "XMKD"],
}


class Stop(Exception):
    pass


def locked():
    os.makedirs(os.path.dirname(LOCK_FILE), exist_ok=True)
    fd = os.open(LOCK_FILE, os.O_RDWR | os.O_CREAT | os.O_CLOEXEC, 0o644)
    fcntl.flock(fd, fcntl.LOCK_EX)
    return fd


def ensure_guest_user():
    """The system account every virtual user acts as; created once per machine."""
    fd = locked()
    try:
        try:
            pw = pwd.getpwnam(GUEST_USER)
        except KeyError:
            subprocess.run(["useradd", "--system", "--no-create-home", "--home-dir", GUEST_HOME,
                            "--shell", "/usr/sbin/nologin", GUEST_USER],
                           check=True, stdout=subprocess.DEVNULL)
            pw = pwd.getpwnam(GUEST_USER)
        os.makedirs(pw.pw_dir, mode=0o755, exist_ok=True)
        return pw
    finally:
        os.close(fd)


def md5_crypt(password):
    try:
        with warnings.catch_warnings():
            warnings.simplefilter("ignore", DeprecationWarning)
            import crypt
        return crypt.crypt(password, crypt.mksalt(crypt.METHOD_MD5))
    except ImportError:
        out = subprocess.run(["openssl", "passwd", "-1", "-stdin"], input=password.encode(),
                             check=True, stdout=subprocess.PIPE)
        return out.stdout.decode().strip()


def write_file(path, text, mode=0o600):
    fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC | os.O_CLOEXEC, mode)
    with os.fdopen(fd, "w", encoding="utf-8") as f:
        f.write(text)
    os.chmod(path, mode)


def user_config(account):
    lines = ["local_root=%s" % account.home]
    if "w" not in account.perms:
        lines.append("write_enable=NO")
    denied = [cmd for letter, cmds in DENIED_BY_MISSING_PERM.items()
              if letter not in account.perms for cmd in cmds]
    if denied:
        lines.append("cmds_denied=%s" % ",".join(denied))
    lines.append("chmod_enable=%s" % ("YES" if "M" in account.perms else "NO"))
    lines.append("mdtm_write=%s" % ("YES" if "T" in account.perms else "NO"))
    return "\n".join(lines) + "\n"


def main_config(args, pam_service, users_dir, empty_dir):
    rate = max(args.throttle_down, args.throttle_up)
    lines = [
        "listen=YES",
        "listen_ipv6=NO",
        "listen_address=%s" % args.address,
        "listen_port=%d" % args.port,
        "background=NO",
        "anonymous_enable=NO",
        "local_enable=YES",
        "guest_enable=YES",
        "guest_username=%s" % GUEST_USER,
        "virtual_use_local_privs=YES",
        "write_enable=YES",
        "local_umask=022",
        "pam_service_name=%s" % pam_service,
        "user_config_dir=%s" % users_dir,
        # Every session starts in its own home, seen as "/".
        "chroot_local_user=YES",
        "allow_writeable_chroot=YES",
        "secure_chroot_dir=%s" % empty_dir,
        "delay_failed_login=0",
        "delay_successful_login=0",
        "pasv_enable=YES",
        "port_enable=YES",
        "connect_from_port_20=YES",
        "xferlog_enable=YES",
        "xferlog_std_format=NO",
        "log_ftp_protocol=YES",
        "vsftpd_log_file=%s" % args.log,
        "dual_log_enable=NO",
        "syslog_enable=NO",
        # Namespaces and seccomp fail in some containers; tests need neither.
        "seccomp_sandbox=NO",
        "isolate=NO",
        "isolate_network=NO",
        "tcp_wrappers=NO",
        "dirmessage_enable=NO",
        "use_localtime=YES",
        "ftpd_banner=vsftpd ready.",
    ]
    if rate:
        lines.append("local_max_rate=%d" % rate)
    if args.passive_range:
        lines.append("pasv_min_port=%d" % args.passive_range[0])
        lines.append("pasv_max_port=%d" % args.passive_range[1])
    return "\n".join(lines) + "\n"


def accepts(address, port):
    try:
        with socket.create_connection((address, port), timeout=0.5):
            return True
    except OSError:
        return False


def descendants(root_pid):
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry, "rb") as f:
                stat = f.read().decode(errors="replace")
        except OSError:
            continue
        ppid = int(stat[stat.rindex(")") + 2:].split()[1])
        children.setdefault(ppid, []).append(int(entry))
    found, todo = [], [root_pid]
    while todo:
        for child in children.get(todo.pop(), []):
            found.append(child)
            todo.append(child)
    return found


def reap_all(deadline):
    """Reaps our children until none are left or the deadline passes."""
    while True:
        try:
            pid, _ = os.waitpid(-1, os.WNOHANG)
        except ChildProcessError:
            return True
        if pid == 0:
            if time.monotonic() > deadline:
                return False
            time.sleep(0.01)


def reap_finished(server):
    """Reaps ended session processes (orphans come to us as subreaper) and
    notes vsftpd's own end in server.returncode."""
    while True:
        try:
            pid, wstatus = os.waitpid(-1, os.WNOHANG)
        except ChildProcessError:
            return
        if pid == 0:
            return
        if pid == server.pid:
            server.returncode = os.waitstatus_to_exitcode(wstatus)


def stop_everything():
    for sig, grace in ((signal.SIGTERM, 2.0), (signal.SIGKILL, 2.0)):
        for pid in descendants(os.getpid()):
            try:
                os.kill(pid, sig)
            except ProcessLookupError:
                pass
        if reap_all(time.monotonic() + grace):
            return


def main():
    if os.geteuid() != 0:
        ftpaccounts.fail("vsftpd_server: must run as root (PAM, guest account, port 21)")
    if args_error := check_tools():
        ftpaccounts.fail(args_error)
    try:
        args = ftpaccounts.parse_args("vsftpd with virtual users")
    except ValueError as e:
        ftpaccounts.fail("vsftpd_server: %s" % e)
    if args.throttle_down and args.throttle_up and args.throttle_down != args.throttle_up:
        ftpaccounts.fail("vsftpd_server: vsftpd has one rate for both directions; "
                         "give equal --throttle-down and --throttle-up, or only one")
    if accepts(args.address, args.port):
        ftpaccounts.fail("vsftpd_server: %s:%d is already in use" % (args.address, args.port))

    guest = ensure_guest_user()
    os.makedirs(args.root, exist_ok=True)
    os.chmod(args.root, 0o755)  # the guest account must reach the homes below it
    users_dir = os.path.join(args.root, "vsftpd-users")
    empty_dir = os.path.join(args.root, "vsftpd-empty")
    os.makedirs(users_dir, mode=0o700, exist_ok=True)
    os.makedirs(empty_dir, mode=0o555, exist_ok=True)
    os.chmod(empty_dir, 0o555)
    for a in args.accounts:
        os.makedirs(a.home, exist_ok=True)
        os.chown(a.home, guest.pw_uid, guest.pw_gid)
        os.chmod(a.home, 0o755)
        write_file(os.path.join(users_dir, a.user), user_config(a))
    pwdfile = os.path.join(args.root, "vsftpd-passwd")
    write_file(pwdfile, "".join("%s:%s\n" % (a.user, md5_crypt(a.password)) for a in args.accounts))

    # One PAM service per server, named after its password file so servers never share one.
    pam_service = "pordane-vsftpd-" + hashlib.sha1(pwdfile.encode()).hexdigest()[:12]
    pam_file = os.path.join("/etc/pam.d", pam_service)
    write_file(pam_file,
               "# Virtual FTP users of a Pordane test server (%s)\n"
               "auth     required pam_pwdfile.so nodelay pwdfile=%s\n"
               "account  required pam_permit.so\n"
               "session  optional pam_permit.so\n" % (args.root, pwdfile), mode=0o644)
    conf = os.path.join(args.root, "vsftpd.conf")
    write_file(conf, main_config(args, pam_service, users_dir, empty_dir))
    open(args.log, "a").close()

    def on_signal(signum, frame):
        raise Stop()

    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGINT, on_signal)
    # vsftpd's session processes outlive their listener; as subreaper we reap them.
    libc = ctypes.CDLL(None, use_errno=True)
    libc.prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)

    watch = ftpaccounts.ParentWatch()
    status = 0
    try:
        server = subprocess.Popen([VSFTPD, conf], stdin=subprocess.DEVNULL, close_fds=True)
        deadline = time.monotonic() + 10
        while not accepts(args.address, args.port):
            if server.poll() is not None:
                raise RuntimeError("vsftpd exited with status %s before listening" % server.returncode)
            if time.monotonic() > deadline:
                raise RuntimeError("vsftpd did not listen on %s:%d within 10 s" % (args.address, args.port))
            time.sleep(0.02)
        ftpaccounts.announce_ready()
        while server.returncode is None and not watch.orphaned():
            reap_finished(server)
            time.sleep(0.2)
        if server.returncode is not None:
            print("vsftpd_server: vsftpd exited with status %d" % server.returncode,
                  file=sys.stderr, flush=True)
            status = 1
    except Stop:
        pass
    except RuntimeError as e:
        print("vsftpd_server: %s" % e, file=sys.stderr, flush=True)
        status = 1
    finally:
        signal.signal(signal.SIGTERM, signal.SIG_IGN)
        signal.signal(signal.SIGINT, signal.SIG_IGN)
        stop_everything()
        try:
            os.unlink(pam_file)
        except FileNotFoundError:
            pass
        ftpaccounts.cleanup_after_orphaning(args, watch)
    return status


def check_tools():
    if not os.path.exists(VSFTPD):
        return "vsftpd_server: %s not installed" % VSFTPD
    if not any(os.path.exists(os.path.join(d, "pam_pwdfile.so"))
               for d in ("/lib/x86_64-linux-gnu/security", "/usr/lib/x86_64-linux-gnu/security",
                         "/lib/security", "/usr/lib/security")):
        return "vsftpd_server: pam_pwdfile.so not found (package libpam-pwdfile)"
    if not shutil.which("useradd") and not os.path.exists("/usr/sbin/useradd"):
        return "vsftpd_server: useradd not found"
    return None


if __name__ == "__main__":
    sys.exit(main())
