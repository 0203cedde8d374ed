// The packing library as the worker calls it: facts, checks, one picture to a Dib, records to an
// installer, over the WebAssembly module's exports.
(function (root) {
    'use strict';

    // The module's exported functions (web/packer_binding.cpp) over its memory. Each call copies
    // its inputs in and its results out, so no view of the module's memory outlives a call
    // (the memory may grow, which detaches earlier views).
    class WasmPacker {
        constructor(module) {
            this.m = module;
        }

        // Copies bytes into the module's heap; returns the pointer (free it with release).
        put(bytes) {
            const pointer = this.m._malloc(Math.max(1, bytes.byteLength));
            if (!pointer) throw new Error('out of memory');
            this.m.HEAPU8.set(new Uint8Array(bytes), pointer);
            return pointer;
        }

        text(string) {
            return this.put(new TextEncoder().encode(string + '\0'));
        }

        release(...pointers) {
            pointers.forEach((p) => p && this.m._free(p));
        }

        // The last call's JSON text, its bytes and its thumbnail pixels.
        resultText() {
            return JSON.parse(this.m.UTF8ToString(this.m._packer_result_text()));
        }

        resultBytes(which) {
            const pointer = this.m._packer_result_data(which);
            const size = this.m._packer_result_size(which);
            return this.m.HEAPU8.slice(pointer, pointer + size).buffer;
        }

        facts() {
            this.m._packer_facts();
            return this.resultText();
        }

        check(name, options) {
            const n = this.text(name), o = this.text(options);
            try {
                this.m._packer_check(n, o);
            } finally {
                this.release(n, o);
            }
            return this.resultText();
        }

        async convert(bytes, role, options) {
            const data = this.put(bytes);
            let ok;
            try {
                ok = this.m._packer_convert(data, bytes.byteLength, ROLES.indexOf(role),
                    options.bits | 0, options.boxWidth | 0, options.boxHeight | 0);
            } finally {
                this.release(data);
            }
            const result = this.resultText();
            if (!ok) return { ok: false, reason: result.reason, notPicture: result.notPicture };
            return { ok: true, dib: this.resultBytes(0), width: result.width, height: result.height,
                bits: result.bits, warnings: result.warnings,
                thumb: { width: result.thumbWidth, height: result.thumbHeight, rgba: this.resultBytes(1) } };
        }

        // Every record goes in as one run of bytes with a table of sizes.
        assemble(m) {
            const parts = [m.setup, m.engine, m.preview, m.logo, ...m.slides];
            const sizes = new Uint32Array(parts.map((p) => (p ? p.byteLength : 0)));
            const all = new Uint8Array(sizes.reduce((a, b) => a + b, 0));
            let at = 0;
            parts.forEach((p) => {
                if (p) all.set(new Uint8Array(p), at);
                at += p ? p.byteLength : 0;
            });
            const data = this.put(all.buffer), table = this.put(sizes.buffer);
            const name = this.text(m.name), options = this.text(m.options);
            try {
                this.m._packer_assemble(name, options, data, table, m.slides.length,
                    (m.preview ? 1 : 0) | (m.logo ? 2 : 0), m.keep ? 1 : 0);
            } finally {
                this.release(data, table, name, options);
            }
            const result = this.resultText();
            result.installer = m.keep && result.problems.length === 0 ? this.resultBytes(0) : null;
            const collage = this.resultBytes(1);
            result.collage = collage.byteLength ? collage : null;
            return result;
        }
    }

    const ROLES = ['slide', 'logo', 'preview'];

    const Api = {
        // A packer over the module's bytes.
        async open(wasm) {
            return new WasmPacker(await createPacker({ wasmBinary: wasm }));
        },
    };
    root.GlimmerPackerApi = Api;
})(typeof globalThis !== 'undefined' ? globalThis : this);
