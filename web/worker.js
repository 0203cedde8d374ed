// The packing worker: answers the page's requests (see protocol.js) through the packing
// library compiled to WebAssembly. It runs as one script made of protocol.js, the module's
// loader, packer-api.js and this file, which the page puts together from what it fetched at
// load, so a fresh worker needs no network.
'use strict';

let packer = null;
let facts = null; // the module's facts, kept for the reason when it breaks

function post(type, fields) {
    const message = GlimmerProtocol.make(type, fields);
    self.postMessage(message, GlimmerProtocol.transferables(message));
}

// What an exception from the module means for a person: an abort or a failed allocation inside
// WebAssembly leaves the instance unusable.
function brokenReason(error) {
    const text = String((error && error.message) || error);
    if (/memory|OOM|allocat/i.test(text))
        return 'ran out of memory while converting it (the page allows ' +
            (facts ? facts.memoryBound : 'a bounded memory') + ')';
    return 'the decoder stopped: ' + text;
}

async function answer(message) {
    switch (message.type) {
    case 'init':
        packer = await GlimmerPackerApi.open(message.wasm);
        facts = packer.facts();
        post('ready', { facts });
        return;
    case 'check':
        post('checked', Object.assign({ job: message.job }, packer.check(message.name, message.options)));
        return;
    case 'convert': {
        const result = await packer.convert(new Uint8Array(message.bytes), message.role, message.options);
        if (result.ok)
            post('converted', {
                job: message.job, dib: result.dib, width: result.width, height: result.height,
                bits: result.bits, thumb: result.thumb, warnings: result.warnings,
            });
        else
            post('refused', { job: message.job, reason: result.reason, notPicture: result.notPicture });
        return;
    }
    case 'assemble': {
        const result = packer.assemble(message);
        post('assembled', Object.assign({ job: message.job }, result,
            { installer: message.keep ? result.installer : null }));
        return;
    }
    }
}

self.onmessage = async (event) => {
    const message = event.data;
    const fault = GlimmerProtocol.validate(message);
    if (fault) {
        post('broken', { job: (message && message.job) | 0, reason: 'malformed request: ' + fault });
        return;
    }
    try {
        await answer(message);
    } catch (error) {
        // The instance may be half-way through anything: the page replaces this worker.
        packer = null;
        post('broken', { job: message.job | 0, reason: brokenReason(error) });
    }
};
