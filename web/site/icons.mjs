// The site's icons drawn as PNG files: a key of a keyboard, white on the page's colour, at 192
// and 512 px, and a maskable one whose drawing keeps to the middle 80 % that any mask leaves.
// Usage: node icons.mjs FOLDER
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';

const background = [0x1f, 0x3a, 0x5f];
const white = [0xff, 0xff, 0xff];
const black = [0x1f, 0x3a, 0x5f];

const crcTable = Array.from({ length: 256 }, (_, n) => {
    let c = n;
    for (let k = 0; k < 8; ++k)
        c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    return c >>> 0;
});
function crc(bytes) {
    let c = 0xffffffff;
    for (const b of bytes)
        c = crcTable[(c ^ b) & 0xff] ^ (c >>> 8);
    return (c ^ 0xffffffff) >>> 0;
}
function chunk(type, data) {
    const head = Buffer.alloc(8);
    head.writeUInt32BE(data.length, 0);
    head.write(type, 4, 'latin1');
    const tail = Buffer.alloc(4);
    tail.writeUInt32BE(crc(Buffer.concat([head.subarray(4), data])), 0);
    return Buffer.concat([head, data, tail]);
}
function png(size, colourAt) {
    const rows = Buffer.alloc(size * (size * 4 + 1));
    for (let y = 0; y < size; ++y)
        for (let x = 0; x < size; ++x) {
            const [r, g, b, a] = colourAt(x / size, y / size);
            rows.set([r, g, b, a], y * (size * 4 + 1) + 1 + x * 4);
        }
    const header = Buffer.alloc(13);
    header.writeUInt32BE(size, 0);
    header.writeUInt32BE(size, 4);
    header.set([8, 6, 0, 0, 0], 8);   // 8 bits, RGBA
    return Buffer.concat([Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]), chunk('IHDR', header),
                          chunk('IDAT', zlib.deflateSync(rows, { level: 9 })), chunk('IEND', Buffer.alloc(0))]);
}

// Five white keys and four black ones, in the square of side `inner` centred in the icon.
function keys(inner, rounded) {
    return (x, y) => {
        const corner = 0.18;
        if (rounded) {
            const dx = Math.max(corner - x, x - (1 - corner), 0), dy = Math.max(corner - y, y - (1 - corner), 0);
            if (dx * dx + dy * dy > corner * corner)
                return [0, 0, 0, 0];
        }
        const u = (x - (1 - inner) / 2) / inner, v = (y - (1 - inner) / 2) / inner;
        if (u < 0.1 || u > 0.9 || v < 0.2 || v > 0.8)
            return [...background, 255];
        const key = (u - 0.1) / 0.16;
        const edge = key - Math.floor(key);
        if (v < 0.55 && [1, 2, 4].some((k) => Math.abs(key - k) < 0.28))
            return [...black, 255];
        return edge < 0.06 ? [...background, 255] : [...white, 255];
    };
}

const out = process.argv[2];
fs.mkdirSync(out, { recursive: true });
fs.writeFileSync(path.join(out, 'icon-192.png'), png(192, keys(1, true)));
fs.writeFileSync(path.join(out, 'icon-512.png'), png(512, keys(1, true)));
fs.writeFileSync(path.join(out, 'icon-maskable-512.png'), png(512, keys(0.7, false)));
