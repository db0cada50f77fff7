#!/usr/bin/python3
# tests/bench/timestamp-server.py TSA.pem TSA-KEY.pem CHAIN.pem: an RFC 3161
# time-stamp authority on the loopback interface, as a publisher's signing
# reaches one over HTTP; openssl ts answers each query. Prints its port,
# then serves until it is ended.
import http.server
import os
import socketserver
import subprocess
import sys
import tempfile

signer, key, chain = sys.argv[1:4]
work = tempfile.mkdtemp(prefix="timestamp-server.")
config = os.path.join(work, "tsa.cnf")
with open(os.path.join(work, "serial"), "w") as f:
    f.write("01\n")
with open(config, "w") as f:
    f.write(f"[tsa]\ndefault_tsa = test\n[test]\nserial = {work}/serial\nsigner_digest = sha256\n"
            "default_policy = 1.2.3.4.1\ndigests = sha256\ness_cert_id_alg = sha256\n")


class Authority(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = os.path.join(work, "query")
        with open(query, "wb") as f:
            f.write(self.rfile.read(int(self.headers["Content-Length"])))
        reply = subprocess.run(["openssl", "ts", "-reply", "-config", config, "-queryfile", query,
                                "-signer", signer, "-inkey", key, "-chain", chain],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=False).stdout
        self.send_response(200 if reply else 500)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)

    def log_message(self, *args):
        pass


class Server(http.server.HTTPServer):
    # The plain bind asks for this host's name, which waits for a resolver.
    def server_bind(self):
        socketserver.TCPServer.server_bind(self)


server = Server(("127.0.0.1", 0), Authority)
print(server.server_address[1], flush=True)
server.serve_forever()
