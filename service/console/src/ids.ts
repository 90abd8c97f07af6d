// Identifiers for new content. crypto.randomUUID needs a secure context; the console may be
// served over plain HTTP inside a private network, so the UUID is built from random bytes.
export function newUuid(): string {
  const bytes = crypto.getRandomValues(new Uint8Array(16));
  bytes[6] = (bytes[6] & 0x0f) | 0x40;
  bytes[8] = (bytes[8] & 0x3f) | 0x80;
  const hex = Array.from(bytes, (b) => b.toString(16).padStart(2, '0')).join('');
  return `${hex.slice(0, 8)}-${hex.slice(8, 12)}-${hex.slice(12, 16)}-${hex.slice(16, 20)}-${hex.slice(20)}`;
}

// Banner and slide ids are 64-bit integers on the wire; kept below 2^53 so JSON numbers stay exact.
export function newNumericId(taken: Iterable<number>): number {
  const used = new Set(taken);
  for (;;) {
    const words = crypto.getRandomValues(new Uint32Array(2));
    const id = (words[0] & 0x1fffff) * 0x100000000 + words[1];
    if (id > 0 && !used.has(id)) return id;
  }
}
