#!/usr/bin/env bash
# make-test-keys.sh OUT: a test certificate authority and the keys and
# certificates of a test publisher, made with openssl into the folder OUT,
# for signing releases on the bench and in the tests (never a publisher's).
#   ca.pem             the test CA, to verify against (a root of trust)
#   chain.pem key.pem  a code-signing certificate with its chain, and its key;
#                      it names a revocation list, as a real one does, that
#                      nothing serves: a check must not need the network
#   signer.p12         the same in PKCS#12, its password in password.txt
#   other-key.pem      a key that is not the certificate's
#   server-chain.pem   a certificate of the same key for web servers only
#   expired-chain.pem  a code-signing certificate of the same key, 2001 to 2002
#   tsa.pem tsa-key.pem  a time-stamp authority's certificate and key
# Valid from 2020 to 2040, so any commit's time lies inside.
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"
rm -rf ca-db
mkdir ca-db
: >ca-db/index.txt
echo 01 >ca-db/serial
cat >ca-db/ca.cnf <<'EOF'
[ca]
default_ca = test
[test]
database = ca-db/index.txt
new_certs_dir = ca-db
serial = ca-db/serial
default_md = sha256
policy = any
unique_subject = no
[any]
commonName = supplied
[root]
basicConstraints = critical, CA:true
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[codesign]
basicConstraints = CA:false
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
crlDistributionPoints = URI:http://127.0.0.1:9/hoshikage-test.crl
[server]
basicConstraints = CA:false
keyUsage = critical, digitalSignature
extendedKeyUsage = serverAuth
[tsa]
basicConstraints = CA:false
keyUsage = critical, digitalSignature
extendedKeyUsage = critical, timeStamping
EOF

key() { openssl genrsa -out "$1" 2048 2>/dev/null; }
# certificate FILE NAME KEY EXTENSIONS FROM TO [self]
certificate() {
  local signer=(-cert ca.pem -keyfile ca-db/ca-key.pem)
  [ "${7:-}" = self ] && signer=(-selfsign -keyfile "$3")
  openssl req -new -key "$3" -subj "/CN=$2" -out ca-db/request.pem
  openssl ca -batch -notext -config ca-db/ca.cnf -in ca-db/request.pem -extensions "$4" \
    -startdate "$5" -enddate "$6" "${signer[@]}" -out "$1" 2>/dev/null
}

from=20200101000000Z to=20400101000000Z
key ca-db/ca-key.pem
certificate ca.pem "Hoshikage Test CA" ca-db/ca-key.pem root $from $to self
key key.pem
key other-key.pem
key tsa-key.pem
certificate ca-db/signer.pem "Hoshikage Test Publisher" key.pem codesign $from $to
certificate ca-db/server.pem "Hoshikage Test Web Server" key.pem server $from $to
certificate ca-db/expired.pem "Hoshikage Test Publisher 2001" key.pem codesign 20010101000000Z 20020101000000Z
certificate tsa.pem "Hoshikage Test TSA" tsa-key.pem tsa $from $to
cat ca-db/signer.pem ca.pem >chain.pem
cat ca-db/server.pem ca.pem >server-chain.pem
cat ca-db/expired.pem ca.pem >expired-chain.pem
echo "a test password" >password.txt
openssl pkcs12 -export -in chain.pem -inkey key.pem -passout file:password.txt -out signer.p12
