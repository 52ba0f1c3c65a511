#!/bin/sh
# Fails when an artifact contains instructions beyond the machine's baseline (x86-64
# with SSE2): SSSE3, SSE4.1, SSE4.2, POPCNT or any VEX-encoded (AVX) instruction.
# Usage: check_baseline_isa.sh ARTIFACT
set -eu
artifact=$1
ssse3='pshufb|palignr|phaddw|phaddd|phaddsw|phsubw|phsubd|phsubsw|pabsb|pabsw|pabsd|psignb|psignw|psignd|pmaddubsw|pmulhrsw'
sse41='pinsrb|pinsrd|pinsrq|pextrb|pextrd|pextrq|pblendw|pblendvb|blendps|blendpd|blendvps|blendvpd|pmulld|pmuldq|ptest|pmovzx[a-z]*|pmovsx[a-z]*|roundss|roundsd|roundps|roundpd|pminsb|pminsd|pminuw|pminud|pmaxsb|pmaxsd|pmaxuw|pmaxud|packusdw|pcmpeqq|dpps|dppd|insertps|extractps|mpsadbw|phminposuw|movntdqa'
sse42='pcmpgtq|pcmpestri|pcmpestrm|pcmpistri|pcmpistrm|crc32[a-z]*|popcnt[a-z]*'
avx='v[a-z0-9]+'
found=$(llvm-objdump-14 -d --no-show-raw-insn "$artifact" |
  grep -E "^[[:space:]]*[0-9a-f]+:[[:space:]]+($ssse3|$sse41|$sse42|$avx)([[:space:]]|$)" || true)
if [ -n "$found" ]; then
  echo "instructions beyond x86-64 + SSE2 in $artifact:"
  echo "$found" | head -n 20
  exit 1
fi
echo "only x86-64 + SSE2 instructions in $artifact"
