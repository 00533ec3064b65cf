#!/usr/bin/env bash
# Signs a package with a throwaway self-signed code-signing certificate, twice at one pinned
# signing time, and fails unless the two zips are identical, both programs' Authenticode
# signatures verify against that certificate, SHA256SUMS matches the signed files, these
# still pass the version and hardening checks, and the signed prompt shows its dialog under
# Wine (the end-to-end harness starts it and ends it with Esc, so no restart command runs).
# Needs WINEPREFIX and DISPLAY: run it through /work/tools/serial.sh or from scripts/test.sh.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$repo/build}
: "${WINEPREFIX:?no Wine prefix: run through /work/tools/serial.sh}"
source "$repo/scripts/wine_env.sh"
work=$(mktemp -d /tmp/vantrel-sign.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "check_signing: FAILED: $*" >&2; exit 1; }

openssl req -x509 -newkey rsa:3072 -nodes -days 2 -subj "/CN=vantrel throwaway signer" \
  -addext keyUsage=critical,digitalSignature -addext extendedKeyUsage=codeSigning \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
export SIGN_CERT=$work/cert.pem SIGN_KEY=$work/key.pem SIGN_TIME=$(date +%s)
for run in 1 2; do DIST_DIR=$work/$run bash "$repo/scripts/package.sh" >/dev/null; done
zip=$(cd "$work/1" && echo *.zip)
cmp "$work/1/$zip" "$work/2/$zip" || fail "a second signed package differs"

unzip -q "$work/1/$zip" -d "$work/pkg"
(cd "$work/pkg" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
# Signing only appends: the signed programs still pass the other checks.
/usr/bin/python3 "$repo/scripts/check_version.py" "$work"/pkg/*.exe >/dev/null
/usr/bin/python3 "$repo/scripts/check_hardening.py" "$work"/pkg/*.exe >/dev/null
for exe in plimsay.exe selvaun.exe; do
  osslsigncode verify -CAfile "$SIGN_CERT" -in "$work/pkg/$exe" >"$work/verify.log" 2>&1 ||
    { cat "$work/verify.log" >&2; fail "$exe: signature does not verify"; }
  echo "$exe: signature verified ($(grep -m1 'Message digest algorithm' "$work/verify.log"))"
done

# The harness starts the plimsay.exe that lies next to it: here the signed one.
cmake --build "$build_root/win64" --target e2e_tests >/dev/null
cp "$build_root/win64/tests/e2e/e2e_tests.exe" "$build_root/win64/tests/e2e/restart_standin.exe" "$work/pkg/"
timeout 120 "$WINE64" "$work/pkg/e2e_tests.exe" \
  --gtest_filter='DialogTemplate.*:StartupTest.EscEndsItWithoutWritingOrRunningAnything' \
  >"$work/e2e.log" 2>&1 || { cat "$work/e2e.log" >&2; fail "the signed prompt did not run"; }
echo "plimsay.exe (signed): $(grep -a -c '^\[       OK' "$work/e2e.log") end-to-end checks passed under Wine"
