// The messages between the page and its packing worker: their types, their fields, and which
// buffers travel with them. The page and the worker build and check messages only through this
// module.
//
// page -> worker                                   worker -> page
//   init     {wasm}                                  ready     {facts}
//   convert  {job, role, name, bytes, options}       converted {job, dib, width, height, bits,
//                                                               thumb, warnings}
//                                                    refused   {job, reason, notPicture}
//   check    {job, name, options}                    checked   {job, nameReason, optionsReason}
//   assemble {job, name, options, preview, logo,     assembled {job, size, memory, memoryText,
//             slides, setup, engine, keep}                      slides, problems, warnings,
//                                                               installer, collage}
//                                                    broken    {job, reason}
// A worker that sends "broken" (its WebAssembly instance aborted, say out of memory) or dies is
// replaced by a fresh one; the job it held fails with the reason given.
(function (root) {
    'use strict';

    const ROLES = ['slide', 'logo', 'preview'];

    // Field kinds: 'int', 'string', 'bool', 'buffer' (ArrayBuffer), 'buffer?' (or null),
    // 'buffers' (array of ArrayBuffer), 'strings', 'object', 'object?'.
    const FIELDS = {
        init: { wasm: 'buffer?' },
        ready: { facts: 'object' },
        convert: { job: 'int', role: 'role', name: 'string', bytes: 'buffer', options: 'object' },
        converted: {
            job: 'int', dib: 'buffer', width: 'int', height: 'int', bits: 'int', thumb: 'object',
            warnings: 'strings',
        },
        refused: { job: 'int', reason: 'string', notPicture: 'bool' },
        check: { job: 'int', name: 'string', options: 'string' },
        checked: { job: 'int', nameReason: 'string', optionsReason: 'string' },
        assemble: {
            job: 'int', name: 'string', options: 'string', preview: 'buffer?', logo: 'buffer?',
            slides: 'buffers', setup: 'buffer', engine: 'buffer', keep: 'bool',
        },
        assembled: {
            job: 'int', size: 'int', memory: 'int', memoryText: 'string', slides: 'int',
            problems: 'strings', warnings: 'strings', installer: 'buffer?', collage: 'buffer?',
        },
        broken: { job: 'int', reason: 'string' },
    };

    // Answers that end a job.
    const ANSWERS = {
        convert: ['converted', 'refused'],
        check: ['checked'],
        assemble: ['assembled'],
    };

    const isBuffer = (v) => v instanceof ArrayBuffer;
    const KINDS = {
        int: (v) => Number.isInteger(v),
        string: (v) => typeof v === 'string',
        bool: (v) => typeof v === 'boolean',
        buffer: isBuffer,
        'buffer?': (v) => v === null || isBuffer(v),
        buffers: (v) => Array.isArray(v) && v.every(isBuffer),
        strings: (v) => Array.isArray(v) && v.every((s) => typeof s === 'string'),
        object: (v) => v !== null && typeof v === 'object' && !isBuffer(v) && !Array.isArray(v),
        role: (v) => ROLES.includes(v),
    };

    // "" when message is a well-formed message of a known type, else what is wrong with it.
    function validate(message) {
        if (message === null || typeof message !== 'object') return 'not an object';
        const fields = FIELDS[message.type];
        if (!fields) return 'unknown message type ' + JSON.stringify(message.type);
        for (const [field, kind] of Object.entries(fields)) {
            if (!(field in message)) return message.type + ': missing ' + field;
            if (!KINDS[kind](message[field])) return message.type + ': ' + field + ' is not ' + kind;
        }
        for (const field of Object.keys(message)) {
            if (field !== 'type' && !(field in fields))
                return message.type + ': unexpected field ' + field;
        }
        return '';
    }

    // A message of the given type from its fields; throws on a malformed one, so a programming
    // error shows where it is made rather than in the other thread.
    function make(type, fields) {
        const message = Object.assign({ type }, fields);
        const fault = validate(message);
        if (fault) throw new TypeError(fault);
        return message;
    }

    // The buffers to transfer with a message (each once): the sender gives them up.
    function transferables(message) {
        const found = new Set();
        const fields = FIELDS[message.type] || {};
        for (const [field, kind] of Object.entries(fields)) {
            const v = message[field];
            if (kind.startsWith('buffer') && isBuffer(v)) found.add(v);
            if (kind === 'buffers') v.forEach((b) => found.add(b));
            if (field === 'thumb' && v && isBuffer(v.rgba)) found.add(v.rgba);
        }
        return [...found];
    }

    // True when answer (a message from the worker) ends a job of the given request type.
    function answers(requestType, answer) {
        return (ANSWERS[requestType] || []).includes(answer.type) || answer.type === 'broken';
    }

    const Protocol = { ROLES, FIELDS, validate, make, transferables, answers };
    if (typeof module === 'object' && module.exports) module.exports = Protocol;
    else root.GlimmerProtocol = Protocol;
})(typeof globalThis !== 'undefined' ? globalThis : this);
