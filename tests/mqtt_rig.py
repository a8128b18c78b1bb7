"""A real Mosquitto for the tests, on a free loopback port of its own: started and
stopped by the test, with a password file or a TLS listener whose certificates the
test makes. A machine without it skips the test (exit 77), in CI fails it."""
import os
import pwd
import shutil
import socket
import subprocess
import sys
import time

broker_bin = shutil.which("mosquitto") or ("/usr/sbin/mosquitto" if os.path.exists("/usr/sbin/mosquitto") else None)


def skip(why):
    print("SKIP:", why)
    sys.exit(1 if os.environ.get("CI") == "true" else 77)


def need_mosquitto():
    if not broker_bin or not shutil.which("mosquitto_sub") or not shutil.which("mosquitto_passwd"):
        skip("mosquitto or mosquitto-clients is not installed")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Broker:
    def __init__(self, work, name, extra=""):
        self.dir = os.path.join(work, name)
        os.makedirs(self.dir, exist_ok=True)
        self.port = free_port()
        self.conf = os.path.join(self.dir, "mosquitto.conf")
        with open(self.conf, "w") as f:
            f.write(f"listener {self.port} 127.0.0.1\npersistence true\npersistence_location {self.dir}/\n")
            f.write(f"log_dest file {self.dir}/broker.log\n")
            if os.getuid() == 0:
                f.write(f"user {pwd.getpwuid(os.getuid()).pw_name}\n")
            f.write(extra or "allow_anonymous true\n")
        self.p = None

    def start(self):
        self.p = subprocess.Popen([broker_bin, "-c", self.conf], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        for _ in range(100):
            if self.p.poll() is not None:
                break
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=0.2).close()
                return
            except OSError:
                time.sleep(0.05)
        skip("mosquitto could not be started: " +
             (self.p.stderr.read().decode(errors="replace") if self.p.poll() is not None else "no answer"))

    def stop(self):
        if self.p and self.p.poll() is None:
            self.p.terminate()
            self.p.wait(10)


def make_tls(folder):
    """A CA ("ca"), another one ("other") and a server certificate for 127.0.0.1 signed by the first."""
    os.makedirs(folder, exist_ok=True)

    def ssl(*args):
        subprocess.run(["openssl", *args], cwd=folder, check=True, capture_output=True)

    for ca in ("ca", "other"):
        ssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", f"{ca}.key", "-out", f"{ca}.crt", "-days", "2",
            "-subj", f"/CN=tobrak test {ca}")
    ssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", "srv.key", "-out", "srv.csr", "-subj", "/CN=localhost")
    with open(os.path.join(folder, "ext"), "w") as f:
        f.write("subjectAltName=IP:127.0.0.1,DNS:localhost\n")
    ssl("x509", "-req", "-in", "srv.csr", "-CA", "ca.crt", "-CAkey", "ca.key", "-CAcreateserial", "-out", "srv.crt",
        "-days", "2", "-extfile", "ext")


def password_file(path, user, password):
    subprocess.run(["mosquitto_passwd", "-c", "-b", path, user, password], check=True, capture_output=True)
    os.chmod(path, 0o600)
