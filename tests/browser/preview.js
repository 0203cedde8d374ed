// What the preview's browser test and benchmark share: BMP pictures made in memory, the page
// opened with the preview's module loaded, and the canvas read back.
'use strict';
const fs = require('node:fs');
const path = require('node:path');
const B = require('./browser.js');

// Why the preview cannot be tested here, or "" when it can.
function missing() {
    if (!B.WEB || !B.OUT || !process.env.GLIMMER_NODE_MODULES)
        return 'GLIMMER_WEB, GLIMMER_BROWSER_OUT and GLIMMER_NODE_MODULES must be set';
    if (!fs.existsSync('/usr/bin/chromium')) return '/usr/bin/chromium is not installed';
    if (!fs.existsSync(path.join(B.WEB, 'saver-preview.wasm')))
        return 'the page has no preview module (' + B.WEB + '/saver-preview.wasm)';
    return '';
}

// A BMP file of w x h pixels, colour(x, y) -> [r, g, b] with y from the top; 24-bit, or 8-bit
// with the given palette (colour then gives an index).
function bmp(w, h, colour, palette) {
    const bits = palette ? 8 : 24;
    const stride = Math.ceil((w * bits) / 32) * 4;
    const table = palette ? palette.length * 4 : 0;
    const offset = 14 + 40 + table;
    const file = Buffer.alloc(offset + stride * h);
    file.write('BM', 0, 'latin1');
    file.writeUInt32LE(file.length, 2);
    file.writeUInt32LE(offset, 10);
    file.writeUInt32LE(40, 14);
    file.writeInt32LE(w, 18);
    file.writeInt32LE(h, 22);
    file.writeUInt16LE(1, 26);
    file.writeUInt16LE(bits, 28);
    file.writeUInt32LE(stride * h, 34);
    if (palette) {
        file.writeUInt32LE(palette.length, 46);
        palette.forEach(([r, g, b], i) => file.set([b, g, r, 0], 54 + 4 * i));
    }
    for (let y = 0; y < h; y++) {
        const row = offset + (h - 1 - y) * stride; // bottom-up
        for (let x = 0; x < w; x++) {
            if (palette) {
                file.writeUInt8(colour(x, y), row + x);
            } else {
                const [r, g, b] = colour(x, y);
                file[row + 3 * x] = b;
                file[row + 3 * x + 1] = g;
                file[row + 3 * x + 2] = r;
            }
        }
    }
    return file;
}

function writePicture(dir, name, bytes) {
    fs.mkdirSync(dir, { recursive: true });
    const file = path.join(dir, name);
    fs.writeFileSync(file, bytes);
    return file;
}

// Opens the page and waits for the preview's module.
async function openPreview(url) {
    const session = await B.openPage(url);
    await session.page.waitForFunction(() => window.GlimmerPreview && window.GlimmerPreview.ready(),
        null, { timeout: 30000 });
    return session;
}

// Adds pictures as slides and waits until the preview runs with count slides.
async function addSlides(page, files, count) {
    await page.getByLabel('Pictures', { exact: true }).setInputFiles(files);
    await page.waitForFunction((n) => window.GlimmerPage.snapshot().slides.length === n &&
        window.GlimmerPreview.state().running, count, { timeout: 30000 });
}

// Facts about a box of the canvas, worked out in the page (pixel arrays are slow to hand over):
// lit, pixels that are not black; reds, the distinct values of pure red pixels; rgb, the pixels
// as hex RGB, top row first; and litOutside, lit pixels of the whole canvas outside the box.
function canvasBox(page, x, y, w, h) {
    return page.evaluate(([x, y, w, h]) => {
        const canvas = document.getElementById('saver-preview');
        const context = canvas.getContext('2d');
        const box = context.getImageData(x, y, w, h).data;
        const all = context.getImageData(0, 0, canvas.width, canvas.height).data;
        const count = (d) => {
            let n = 0;
            for (let i = 0; i < d.length; i += 4) if (d[i] || d[i + 1] || d[i + 2]) n++;
            return n;
        };
        const reds = new Set();
        const hex = [];
        for (let i = 0; i < box.length; i += 4) {
            if (box[i] && !box[i + 1] && !box[i + 2]) reds.add(box[i]);
            for (let k = 0; k < 3; k++) hex.push((box[i + k] < 16 ? '0' : '') + box[i + k].toString(16));
        }
        return { lit: count(box), litOutside: count(all) - count(box), reds: [...reds],
            rgb: hex.join('') };
    }, [x, y, w, h]);
}

// The first pixel where two hex RGB texts differ, as a message, or "".
function firstDifference(got, want) {
    if (got === want) return '';
    for (let i = 0; i < Math.max(got.length, want.length); i += 6) {
        if (got.slice(i, i + 6) !== want.slice(i, i + 6))
            return 'pixel ' + i / 6 + ' is ' + got.slice(i, i + 6) + ', expected ' + want.slice(i, i + 6);
    }
    return '';
}

// Writes the canvas at its own size as a PNG.
async function saveCanvas(page, file) {
    const url = await page.evaluate(() => document.getElementById('saver-preview').toDataURL('image/png'));
    fs.mkdirSync(path.dirname(file), { recursive: true });
    fs.writeFileSync(file, Buffer.from(url.split(',')[1], 'base64'));
}

// The pixels of an uncompressed 8-bit or 24-bit BMP file: {width, height, rgb} with rgb the
// red, green and blue of every pixel, rows from the top.
function bmpPixels(file) {
    const offset = file.readUInt32LE(10), width = file.readInt32LE(18);
    const height = Math.abs(file.readInt32LE(22)), bottomUp = file.readInt32LE(22) > 0;
    const bits = file.readUInt16LE(28), stride = Math.ceil((width * bits) / 32) * 4;
    const table = 14 + file.readUInt32LE(14);
    const rgb = [];
    for (let y = 0; y < height; y++) {
        const row = offset + (bottomUp ? height - 1 - y : y) * stride;
        for (let x = 0; x < width; x++) {
            const at = bits === 8 ? table + 4 * file[row + x] : row + 3 * x;
            rgb.push(file[at + 2], file[at + 1], file[at]);
        }
    }
    return { width, height, rgb };
}

module.exports = { missing, bmp, bmpPixels, writePicture, openPreview, addSlides, canvasBox, firstDifference,
    saveCanvas };
