#!/usr/bin/env bash
# Makes the golden cases whose HEX text and expected images come from standard
# tools: assembler, linker and objcopy for one, srec_cat for the other; the
# expected images are srec_cat's binary of each region's byte range, 0xFF in
# the gaps, followed by the 10 spare bytes of the image (0).
# Run it from this folder; it rewrites the files it makes.
set -euo pipefail
work="$(mktemp -d)"; trap 'rm -rf "$work"' EXIT

# n bytes of a fixed pseudo-random sequence seeded by s, as a binary file.
bytes() { awk -v n="$1" -v s="$2" 'BEGIN { x = s; for (i = 0; i < n; i++) { x = (x * 1103515245 + 12345) % 2147483648; printf "%02x", int(x / 65536) % 256 } }' | xxd -r -p > "$3"; }
crlf() { sed 's/\r$//; s/$/\r/' "$1" > "$2"; }
# region image: srec_cat crop of byte range [lo, lo+len) moved to 0, then 10 zero bytes
image() { srec_cat "$1" -intel -crop "$2" $(($2 + $3)) -offset $((-$2)) -fill 0xFF 0 "$3" -o "$4" -binary; head -c 10 /dev/zero >> "$4"; }

# Family 1, the default device: program region 0x1000 of 0x7000, configuration
# region 0x300000 of 14; data in two runs inside the program region.
bytes 801 1 "$work/a.bin"; bytes 261 2 "$work/b.bin"; bytes 14 3 "$work/c.bin"
cat > "$work/fw.s" <<'ASM'
  .section .prog_a,"a"
  .incbin "a.bin"
  .section .prog_b,"a"
  .incbin "b.bin"
  .section .conf,"a"
  .incbin "c.bin"
ASM
cat > "$work/fw.ld" <<'LD'
SECTIONS {
  .prog_a 0x1000 : { *(.prog_a) }
  .prog_b 0x7e00 : { *(.prog_b) }
  .conf 0x300000 : { *(.conf) }
}
LD
(cd "$work" && as -o fw.o fw.s && ld -T fw.ld -o fw.elf fw.o && objcopy -O ihex --set-start 0 fw.elf fw.hex)
crlf "$work/fw.hex" objcopy_family1.hex
image objcopy_family1.hex 0x1000 0x7000 objcopy_family1.region0.bin
image objcopy_family1.hex 0x300000 14 objcopy_family1.region1.bin

# Family 2, two bytes per address: program region 0 of 22528 addresses (bytes
# 0 to 0xAFFF), configuration region 0xF80000 of 12 (bytes from 0x1F00000).
bytes 768 4 "$work/d.bin"; bytes 16 5 "$work/e.bin"; bytes 24 6 "$work/f.bin"
srec_cat "$work/d.bin" -binary "$work/e.bin" -binary -offset 0xAFF0 \
         "$work/f.bin" -binary -offset 0x1F00000 -o "$work/f2.hex" -intel
crlf "$work/f2.hex" srec_cat_family2.hex
image srec_cat_family2.hex 0 45056 srec_cat_family2.region0.bin
image srec_cat_family2.hex 0x1F00000 24 srec_cat_family2.region1.bin
