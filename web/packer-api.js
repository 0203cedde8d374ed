// The packing library as the worker calls it: facts, checks, one picture to a Dib, records to an
// installer. Until the WebAssembly module is built this holds a stand-in of the same shape that
// lets the page be exercised; it makes no real installer.
(function (root) {
    'use strict';

    const THUMB_WIDTH = 160;
    const THUMB_HEIGHT = 120;

    async function thumbnailOf(bytes) {
        const bitmap = await createImageBitmap(new Blob([bytes]));
        const scale = Math.min(1, THUMB_WIDTH / bitmap.width, THUMB_HEIGHT / bitmap.height);
        const width = Math.max(1, Math.round(bitmap.width * scale));
        const height = Math.max(1, Math.round(bitmap.height * scale));
        const canvas = new OffscreenCanvas(width, height);
        const context = canvas.getContext('2d');
        context.drawImage(bitmap, 0, 0, width, height);
        const rgba = context.getImageData(0, 0, width, height).data.buffer;
        return { thumb: { width, height, rgba }, width: bitmap.width, height: bitmap.height };
    }

    const standIn = {
        facts() {
            return {
                banner: 'Glimmer slideshow screen saver demo!', nameMaximum: 64,
                addressMaximum: 127, slideSlots: 100, memoryBudget: 16 * 1024 * 1024,
            };
        },
        check(name, options) {
            const nameReason = /^[A-Za-z0-9_ ]+$/.test(name) ? '' :
                "The screen saver's name can only contain letters, digits, underscores, and spaces.";
            return { nameReason, optionsReason: options.length > 129 ? 'too long' : '' };
        },
        async convert(bytes, role, options) {
            const magic = String.fromCharCode(...bytes.subarray(0, 4));
            const known = bytes[0] === 0xff && bytes[1] === 0xd8 || magic === '\x89PNG' ||
                magic.startsWith('BM') || magic.startsWith('GIF') || magic === 'RIFF';
            if (!known)
                return { ok: false, notPicture: true,
                    reason: 'not a picture (JPEG, PNG, WebP, HEIF, GIF or BMP, told by its contents)' };
            try {
                const t = await thumbnailOf(bytes);
                return { ok: true, dib: bytes.slice().buffer, width: t.width, height: t.height,
                    bits: role === 'logo' ? 24 : options.bits, thumb: t.thumb, warnings: [] };
            } catch (error) {
                return { ok: false, notPicture: false, reason: 'cannot decode it' };
            }
        },
        assemble(m) {
            const problems = [];
            if (m.slides.length === 0) problems.push('no slide pictures given');
            const memory = m.slides.reduce((sum, s) => sum + s.byteLength, 0);
            const size = m.setup.byteLength + m.engine.byteLength + memory;
            const installer = new Uint8Array(size);
            return { size, memory, memoryText: (memory / 1048576).toFixed(1) + ' MB',
                slides: m.slides.length, problems, warnings: [], installer: installer.buffer };
        },
    };

    const Api = {
        MEMORY_TEXT: '1 GB',
        async open(wasm) {
            return standIn;
        },
    };
    root.GlimmerPackerApi = Api;
})(typeof globalThis !== 'undefined' ? globalThis : this);
