// The page's side of a packing worker: a queue of requests sent one at a time, each answered by
// one message; Cancel ends the worker and every queued request; a worker that breaks or dies is
// replaced and the request it held is answered with "broken", so the page carries on.
(function (root) {
    'use strict';

    const Protocol =
        typeof module === 'object' && module.exports ? require('./protocol.js') : root.GlimmerProtocol;

    class PackerClient {
        // createWorker() gives a fresh Worker (or anything with postMessage, terminate,
        // onmessage and onerror); makeInit() gives the init message each fresh worker gets first.
        constructor(createWorker, makeInit) {
            this.createWorker = createWorker;
            this.makeInit = makeInit;
            this.worker = null;
            this.ready = false;
            this.facts = null;
            this.queue = [];      // {message, transfer, resolve} waiting to be sent
            this.current = null;  // the one sent and not yet answered
            this.nextJob = 1;
            this.restarts = 0;
            this.onfacts = null;  // called with the facts of the first worker that is ready
        }

        // Sends a request of the given type; resolves with the answer that ends it: one of the
        // protocol's answers, "broken" (the worker failed on it) or {type: 'cancelled'}.
        request(type, fields, transfer) {
            const message = Protocol.make(type, Object.assign({ job: this.nextJob++ }, fields));
            return new Promise((resolve) => {
                this.queue.push({ message, transfer: transfer || [], resolve });
                this.pump();
            });
        }

        // Requests sent or waiting.
        get pending() {
            return this.queue.length + (this.current ? 1 : 0);
        }

        // Ends the worker and answers every request with {type: 'cancelled'}; the next request
        // starts a fresh worker.
        cancel() {
            const dropped = (this.current ? [this.current] : []).concat(this.queue);
            this.current = null;
            this.queue = [];
            this.stop();
            dropped.forEach((r) => r.resolve({ type: 'cancelled', job: r.message.job }));
        }

        stop() {
            if (this.worker) {
                this.worker.onmessage = null;
                this.worker.onerror = null;
                this.worker.terminate();
            }
            this.worker = null;
            this.ready = false;
        }

        start() {
            const worker = this.createWorker();
            this.worker = worker;
            this.ready = false;
            worker.onmessage = (event) => this.receive(worker, event.data);
            worker.onerror = (event) => {
                if (event && event.preventDefault) event.preventDefault();
                this.fail(worker, 'the worker stopped: ' + ((event && event.message) || 'unknown error'));
            };
            worker.postMessage(this.makeInit());
        }

        pump() {
            if (this.current || this.queue.length === 0) return;
            if (!this.worker) this.start();
            if (!this.ready) return;
            this.current = this.queue.shift();
            this.worker.postMessage(this.current.message, this.current.transfer);
        }

        receive(worker, message) {
            if (worker !== this.worker) return;
            const fault = Protocol.validate(message);
            if (fault) {
                this.fail(worker, 'the worker sent a malformed message: ' + fault);
                return;
            }
            if (message.type === 'ready') {
                this.ready = true;
                if (!this.facts) {
                    this.facts = message.facts;
                    if (this.onfacts) this.onfacts(message.facts);
                }
                this.pump();
                return;
            }
            if (message.type === 'broken' && !this.current) {
                this.fail(worker, message.reason);
                return;
            }
            const current = this.current;
            if (!current || message.job !== current.message.job) return;
            if (!Protocol.answers(current.message.type, message)) return;
            this.current = null;
            if (message.type === 'broken') {
                this.stop();
                this.restarts++;
            }
            current.resolve(message);
            this.pump();
        }

        // The worker died or broke: the request it held fails with reason, a fresh worker takes
        // the rest. A worker that dies before it is ready fails every request instead, so a
        // module that cannot start is not restarted over and over.
        fail(worker, reason) {
            if (worker !== this.worker) return;
            const wasReady = this.ready;
            this.stop();
            this.restarts++;
            const failed = this.current ? [this.current] : [];
            this.current = null;
            if (!wasReady) failed.push(...this.queue.splice(0));
            failed.forEach((r) => r.resolve({ type: 'broken', job: r.message.job, reason }));
            this.pump();
        }
    }

    if (typeof module === 'object' && module.exports) module.exports = { PackerClient };
    else root.GlimmerPackerClient = PackerClient;
})(typeof globalThis !== 'undefined' ? globalThis : this);
