#!/usr/bin/env bash
# Makes the archive fixtures of the lister tests with the real archivers of Debian (zip, arj,
# arc, gcab, jlha-utils). Run it from anywhere; it rewrites the archives beside itself.
# Contents and times are fixed, and everything runs in UTC, so the DOS stamps do not depend
# on the machine. Archivers that write their own "now" (ARJ's archive times, folder entries)
# make archives that differ from run to run in those bytes only; the tests do not read them.
set -euo pipefail
export TZ=UTC LC_ALL=C
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

mkdir -p src/docs
printf 'hello world\n' > src/hello.txt
for i in $(seq 1 50); do printf 'readme text\n'; done > src/docs/readme.txt
# 50000 bytes that do not compress, from a fixed seed: the volume tests split them.
python3 -c "
import random
r = random.Random(4242)
open('src/big.bin', 'wb').write(bytes(r.getrandbits(8) for _ in range(50000)))"
touch -d '2001-02-03 04:05:06' src/hello.txt src/docs/readme.txt
touch -d '2002-03-04 05:06:08' src/big.bin
touch -d '2003-04-05 06:07:08' src/docs src
printf 'An archive comment\r\nsecond line' > comment.txt
printf 'A zip comment\nsecond line' > zipcomment.txt

# A small DOS executable: an MZ header whose image is 1000 bytes (pages 2, 488 bytes in the
# last), the stub in front of every self-extracting fixture.
python3 -c "
import struct
stub = bytearray(1000)
stub[0:6] = b'MZ' + struct.pack('<HH', 488, 2)
open('stub.bin', 'wb').write(stub)"

out="$work/out"
mkdir "$out"
(
  cd src
  zip -q -X ../out/basic.zip hello.txt docs/readme.txt
  zip -q -X -D ../out/comment.zip hello.txt docs/readme.txt
  printf 'a comment for hello\na comment for readme\n' | zip -q -c ../out/comment.zip hello.txt docs/readme.txt
  zip -q -z ../out/comment.zip < ../zipcomment.txt
  zip -q -X -r ../out/folders.zip docs hello.txt
  zip -q -X -fz ../out/zip64.zip hello.txt docs/readme.txt
  arj a -y -i ../out/basic.arj hello.txt docs/readme.txt > /dev/null
  arj c -y -i ../out/basic.arj -z../comment.txt > /dev/null
  arj a -y -i -m0 -v20k ../out/vol.arj hello.txt big.bin docs/readme.txt > /dev/null
  arc a ../out/basic.arc hello.txt docs/readme.txt > /dev/null 2>&1
  lha a0q ../out/level0.lzh hello.txt docs/readme.txt > /dev/null 2>&1
  lha a1q ../out/level1.lzh hello.txt docs/readme.txt > /dev/null 2>&1
  lha a2q ../out/level2.lzh hello.txt docs/readme.txt > /dev/null 2>&1
  gcab -c ../out/stored.cab hello.txt docs/readme.txt
  gcab -c -z ../out/mszip.cab hello.txt docs/readme.txt
)
# Self-extracting variants: the stub in front. zip -A mends the offsets of one copy; the
# other keeps offsets that do not count the stub, as a plain concatenation leaves them.
cat stub.bin out/basic.zip > out/sfx-adjusted.exe
zip -q -A out/sfx-adjusted.exe
cat stub.bin out/basic.zip > out/sfx-concatenated.exe
cat stub.bin out/basic.arj > out/sfx-arj.exe
cat stub.bin out/level2.lzh > out/sfx-lha.exe
cat stub.bin out/basic.arc > out/sfx-arc.exe

rm -f "$here"/*.zip "$here"/*.arj "$here"/*.a0? "$here"/*.arc "$here"/*.lzh "$here"/*.cab "$here"/*.exe
cp out/* "$here"/
ls -l "$here"
