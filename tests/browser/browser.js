// What the page tests share: a static server for dist/web/ on a free loopback port, Debian's
// chromium through playwright-core, pictures made with ImageMagick, the command line run on the
// same inputs, and the screenshot and console log a failing test leaves in the build tree.
'use strict';
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const { createRequire } = require('node:module');
const { execFileSync, spawnSync } = require('node:child_process');

const WEB = process.env.GLIMMER_WEB;            // dist/web
const PACK = process.env.GLIMMER_PACK;          // dist/glimmer-pack
const OUT = process.env.GLIMMER_BROWSER_OUT;    // where downloads and failure traces go
const MODULES = process.env.GLIMMER_NODE_MODULES; // the folder npm ci filled
const CHROMIUM = '/usr/bin/chromium';

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css',
    '.wasm': 'application/wasm', '.exe': 'application/octet-stream' };

// Serves dir on 127.0.0.1 at a free port; resolves with {url, close}.
function serve(dir) {
    const server = http.createServer((request, response) => {
        const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
        const file = path.join(dir, name.endsWith('/') ? name + 'index.html' : name);
        if (!file.startsWith(dir) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
            response.writeHead(404);
            response.end();
            return;
        }
        response.writeHead(200, { 'content-type': TYPES[path.extname(file)] || 'application/octet-stream' });
        fs.createReadStream(file).pipe(response);
    });
    return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve({
        url: 'http://127.0.0.1:' + server.address().port + '/',
        close: () => new Promise((done) => server.close(done)),
    })));
}

function playwright() {
    return createRequire(path.join(MODULES, 'package.json'))('playwright-core');
}

// Why the page tests cannot run here, or "" when they can.
function missing() {
    if (!WEB || !PACK || !OUT || !MODULES) return 'GLIMMER_WEB, GLIMMER_PACK, GLIMMER_BROWSER_OUT and GLIMMER_NODE_MODULES must be set';
    if (!fs.existsSync(CHROMIUM)) return CHROMIUM + ' is not installed';
    if (!fs.existsSync(path.join(WEB, 'packer.wasm'))) return 'the page has no WebAssembly module (' + WEB + '/packer.wasm)';
    return '';
}

// Opens the page in a fresh headless chromium; resolves with {browser, page, console, requests,
// close}. console collects the page's and workers' console lines, requests every request made.
async function openPage(url) {
    const browser = await playwright().chromium.launch({ executablePath: CHROMIUM,
        args: ['--no-sandbox', '--disable-gpu'] });
    const context = await browser.newContext({ acceptDownloads: true, viewport: { width: 1280, height: 800 } });
    const page = await context.newPage();
    const consoleLines = [];
    const requests = [];
    page.on('console', (m) => consoleLines.push(m.type() + ': ' + m.text()));
    page.on('pageerror', (e) => consoleLines.push('pageerror: ' + e.message));
    page.on('worker', (w) => w.on('console', (m) => consoleLines.push('worker ' + m.type() + ': ' + m.text())));
    context.on('request', (r) => requests.push(r.url()));
    await page.goto(url);
    // Loaded when the converter's facts have arrived (the banner line is filled in).
    await page.waitForFunction(() => document.getElementById('loading').textContent === '' &&
        document.getElementById('banner-text').textContent !== '…', null, { timeout: 30000 });
    return { browser, page, console: consoleLines, requests, close: () => browser.close() };
}

// Runs body(session); when it throws, leaves NAME.png and NAME.console.txt in OUT first.
async function withTrace(session, name, body) {
    try {
        await body(session);
    } catch (error) {
        fs.mkdirSync(OUT, { recursive: true });
        await session.page.screenshot({ path: path.join(OUT, name + '.png'), fullPage: true }).catch(() => {});
        fs.writeFileSync(path.join(OUT, name + '.console.txt'), session.console.join('\n') + '\n');
        error.message += '\n(page screenshot and console in ' + path.join(OUT, name) + '.*)';
        throw error;
    }
}

// Makes a picture with ImageMagick's convert from its arguments; returns the path. A last
// argument in capitals (BMP3) is the format to write in.
function picture(dir, name, ...args) {
    const file = path.join(dir, name);
    const format = /^[A-Z0-9]+$/.test(args[args.length - 1]) ? args.pop() + ':' : '';
    execFileSync('convert', [...args, format + file]);
    return file;
}

// glimmer-pack with the arguments; {status, stdout, stderr}.
function pack(...args) {
    const r = spawnSync(PACK, args, { encoding: 'utf8' });
    return { status: r.status, stdout: r.stdout, stderr: r.stderr };
}

module.exports = { WEB, PACK, OUT, serve, missing, openPage, withTrace, picture, pack };
