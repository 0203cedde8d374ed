// The worker protocol: which messages are well formed, what travels as a transfer, and how the
// page's client survives a worker that breaks, dies or is cancelled.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const Protocol = require('../../../web/protocol.js');
const { PackerClient } = require('../../../web/worker-client.js');

const buffer = () => new ArrayBuffer(4);
const convert = () => ({ type: 'convert', job: 1, role: 'slide', name: 'a.jpg', bytes: buffer(),
    options: { bits: 8, boxWidth: 800, boxHeight: 600 } });

test('messages are checked field by field', () => {
    const rows = [
        ['a good convert', convert(), ''],
        ['unknown type', { type: 'explode' }, 'unknown message type "explode"'],
        ['missing field', Object.assign(convert(), { bytes: undefined }), 'convert: bytes is not buffer'],
        ['a typed array is not a buffer', Object.assign(convert(), { bytes: new Uint8Array(4) }), 'convert: bytes is not buffer'],
        ['unknown role', Object.assign(convert(), { role: 'icon' }), 'convert: role is not role'],
        ['extra field', Object.assign(convert(), { path: '/tmp/a.jpg' }), 'convert: unexpected field path'],
        ['fractional job', Object.assign(convert(), { job: 1.5 }), 'convert: job is not int'],
        ['optional buffer may be null', { type: 'init', wasm: null }, ''],
        ['a list of buffers', { type: 'assemble', job: 2, name: 'n', options: 'NV', preview: null,
            logo: null, slides: [buffer(), 'x'], setup: buffer(), engine: buffer(), keep: false },
            'assemble: slides is not buffers'],
        ['not an object', 'convert', 'not an object'],
    ];
    for (const [name, message, expected] of rows)
        assert.strictEqual(Protocol.validate(message), expected, name);
    assert.throws(() => Protocol.make('checked', { job: 1, nameReason: '' }), /missing optionsReason/);
});

test('answers transfer their buffers, the thumbnail included, each once', () => {
    const dib = buffer(), rgba = buffer();
    const message = Protocol.make('converted', { job: 1, dib, width: 2, height: 1, bits: 8,
        thumb: { width: 1, height: 1, rgba }, warnings: [] });
    assert.deepStrictEqual(Protocol.transferables(message), [dib, rgba]);
    const shared = buffer();
    const assemble = Protocol.make('assemble', { job: 1, name: 'n', options: 'NV', preview: shared,
        logo: null, slides: [shared, dib], setup: rgba, engine: rgba, keep: true });
    assert.strictEqual(Protocol.transferables(assemble).length, 3);
});

// A worker stand-in: answers each request through respond(message), or dies on cue.
class FakeWorker {
    constructor(log, respond) {
        this.log = log;
        this.respond = respond;
        this.terminated = false;
    }
    postMessage(message) {
        this.log.push(message.type);
        queueMicrotask(() => {
            if (this.terminated) return;
            if (message.type === 'init') return this.onmessage({ data: { type: 'ready', facts: { banner: 'b' } } });
            const answer = this.respond(message, this);
            if (answer) this.onmessage({ data: answer });
        });
    }
    terminate() {
        this.terminated = true;
    }
}

const converted = (m) => ({ type: 'converted', job: m.job, dib: buffer(), width: 1, height: 1,
    bits: 8, thumb: { width: 1, height: 1, rgba: buffer() }, warnings: [] });
const request = (client, name) => client.request('convert', { role: 'slide', name, bytes: buffer(),
    options: {} });

test('requests go one at a time, after the worker is ready, and get their own answers', async () => {
    const log = [];
    const workers = [];
    const client = new PackerClient(() => {
        workers.push(new FakeWorker(log, converted));
        return workers.at(-1);
    }, () => ({ type: 'init', wasm: null }));
    const answers = await Promise.all([request(client, 'a'), request(client, 'b')]);
    assert.deepStrictEqual(answers.map((a) => a.type), ['converted', 'converted']);
    assert.notStrictEqual(answers[0].job, answers[1].job);
    assert.deepStrictEqual(log, ['init', 'convert', 'convert']);
    assert.strictEqual(workers.length, 1);
    assert.deepStrictEqual(client.facts, { banner: 'b' });
});

test('a worker that breaks or dies fails only the picture it held; a fresh one takes the rest', async () => {
    for (const how of ['broken', 'dies']) {
        const log = [];
        const workers = [];
        const client = new PackerClient(() => {
            workers.push(new FakeWorker(log, (m, worker) => {
                if (m.name !== 'bomb.png') return converted(m);
                if (how === 'broken') return { type: 'broken', job: m.job, reason: 'ran out of memory' };
                worker.onerror({ message: 'RuntimeError: unreachable' });
                return null;
            }));
            return workers.at(-1);
        }, () => ({ type: 'init', wasm: null }));
        const answers = await Promise.all(['a', 'bomb.png', 'c'].map((n) => request(client, n)));
        assert.deepStrictEqual(answers.map((a) => a.type), ['converted', 'broken', 'converted'], how);
        assert.match(answers[1].reason, how === 'broken' ? /out of memory/ : /worker stopped: RuntimeError/);
        assert.strictEqual(workers.length, 2, how);
        assert.ok(workers[0].terminated, how);
        assert.deepStrictEqual(log, ['init', 'convert', 'convert', 'init', 'convert'], how);
    }
});

test('cancel answers everything waiting and the next request starts a fresh worker', async () => {
    const workers = [];
    let hold = true;
    const client = new PackerClient(() => {
        workers.push(new FakeWorker([], (m) => (hold ? null : converted(m))));
        return workers.at(-1);
    }, () => ({ type: 'init', wasm: null }));
    const waiting = [request(client, 'a'), request(client, 'b')];
    await new Promise((r) => setTimeout(r, 10));
    client.cancel();
    assert.deepStrictEqual((await Promise.all(waiting)).map((a) => a.type), ['cancelled', 'cancelled']);
    assert.ok(workers[0].terminated);
    assert.strictEqual(client.pending, 0);
    hold = false;
    assert.strictEqual((await request(client, 'c')).type, 'converted');
    assert.strictEqual(workers.length, 2);
});

test('a worker that cannot start fails its requests instead of restarting forever', async () => {
    let made = 0;
    const client = new PackerClient(() => {
        made++;
        const worker = { postMessage: () => queueMicrotask(() => worker.onerror({ message: 'no module' })),
            terminate() {} };
        return worker;
    }, () => ({ type: 'init', wasm: null }));
    const answers = await Promise.all([request(client, 'a'), request(client, 'b')]);
    assert.deepStrictEqual(answers.map((a) => a.type), ['broken', 'broken']);
    assert.match(answers[0].reason, /no module/);
    assert.strictEqual(made, 1);
});
