#!/usr/bin/env bash
# Signs a setup file as a vendor would (Authenticode, a throwaway certificate)
# and checks that the signature verifies.
#   sign_setup.sh <in.exe> <out.exe>
# The signer's certificate is left beside the output as <out.exe>.pem, so that
# the signature can be verified again later.
set -euo pipefail
in=$1 out=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" \
  -days 2 -subj "/CN=Velkor Test Signer" 2>/dev/null
rm -f "$out"
osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -n Velkorsetup \
  -in "$in" -out "$work/signed.exe" >/dev/null
osslsigncode verify -CAfile "$work/cert.pem" "$work/signed.exe" >/dev/null
mv "$work/cert.pem" "$out.pem"
mv "$work/signed.exe" "$out"
