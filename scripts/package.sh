#!/usr/bin/env bash
# Builds the two shipped programs with the win64 and win32 presets and packs
# dist/<name>-<version>.zip: plimsay.exe, selvaun.exe, the language files where the installer
# puts them (i18n/plimsayui/), README.md and SHA256SUMS over all of them. The same commit
# gives the same zip: sorted entries, fixed permissions, every time stamp from
# SOURCE_DATE_EPOCH or else the commit's time.
#   SIGN_CERT, SIGN_KEY  certificate (with its chain) and private key, PEM or DER: sign both
#                        programs with Authenticode (SHA-256) before they are summed and packed
#   SIGN_PASS_FILE       file holding the key's password, if it has one
#   SIGN_TIMESTAMP_URL   RFC 3161 time-stamp server; none unless given
#   SIGN_TIME            signing time in Unix seconds (default: now); a pinned time makes the
#                        signed zip repeatable too
#   BUILD_ROOT, DIST_DIR where the builds (default build/) and the zip (default dist/) go
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$repo/build}
dist=${DIST_DIR:-$repo/dist}

for p in win64:plimsay win32:selvaun; do
  cmake --preset "${p%%:*}" -S "$repo" -B "$build_root/${p%%:*}" -Wno-dev >/dev/null
  timeout 1800 cmake --build "$build_root/${p%%:*}" --target "${p##*:}" >/dev/null
done
header=$build_root/win64/generated/vantrel_version.h
name=$(sed -n 's/^#define VANTREL_PRODUCT_NAME "\(.*\)"$/\1/p' "$header")
version=$(sed -n 's/^#define VANTREL_VERSION_TEXT "\(.*\)"$/\1/p' "$header")
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$repo" log -1 --format=%ct 2>/dev/null || echo 315532800)}

stage=$(mktemp -d)
trap 'rm -rf "$stage" "$stage.sums"' EXIT
mkdir -p "$stage/i18n/plimsayui"
cp "$build_root/win64/deferral/win/plimsay.exe" "$build_root/win32/launcher/selvaun.exe" \
  "$repo/README.md" "$stage/"
cp "$repo"/deferral/i18n/* "$stage/i18n/plimsayui/"

if [ -n "${SIGN_CERT:-}${SIGN_KEY:-}" ]; then
  for exe in plimsay.exe selvaun.exe; do
    osslsigncode sign -certs "${SIGN_CERT:?SIGN_KEY needs SIGN_CERT}" \
      -key "${SIGN_KEY:?SIGN_CERT needs SIGN_KEY}" ${SIGN_PASS_FILE:+-readpass "$SIGN_PASS_FILE"} \
      -h sha256 -n "$name $version" ${SIGN_TIMESTAMP_URL:+-ts "$SIGN_TIMESTAMP_URL"} \
      ${SIGN_TIME:+-time "$SIGN_TIME"} -in "$stage/$exe" -out "$stage/$exe.signed" >/dev/null
    mv "$stage/$exe.signed" "$stage/$exe"
  done
fi

(cd "$stage" && find . -type f -printf '%P\n' | LC_ALL=C sort | xargs -d '\n' sha256sum) >"$stage.sums"
mv "$stage.sums" "$stage/SHA256SUMS"

mkdir -p "$dist"
zip=$dist/$name-$version.zip
# Debian's Python and zlib, whatever the PATH: the deflated bytes depend on them.
/usr/bin/python3 - "$stage" "$zip.tmp" "$epoch" <<'EOF'
import os, sys, time, zipfile
stage, out, epoch = sys.argv[1], sys.argv[2], int(sys.argv[3])
stamp = max(time.gmtime(epoch)[:6], (1980, 1, 1, 0, 0, 0))  # zip times start in 1980
names = sorted(os.path.relpath(os.path.join(d, f), stage) for d, _, fs in os.walk(stage) for f in fs)
with zipfile.ZipFile(out, "w") as z:
    for name in names:
        info = zipfile.ZipInfo(name, stamp)
        info.create_system = 3  # Unix, so that the permission bits below count
        info.external_attr = (0o100755 if name.endswith(".exe") else 0o100644) << 16
        with open(os.path.join(stage, name), "rb") as f:
            z.writestr(info, f.read(), zipfile.ZIP_DEFLATED, 9)
EOF
mv "$zip.tmp" "$zip"
echo "package: $zip ($(stat -c %s "$zip") bytes)$([ -n "${SIGN_CERT:-}" ] && echo ", signed")"
(cd "$stage" && grep '\.exe$' SHA256SUMS)
