// Opens the page in headless chromium, adds the demo pictures (slides, logo, preview), names the
// saver and saves a screenshot of the page at 1280 x 800 (the whole page's height).
//   node scripts/web-screenshot.js WEB_DIR PICTURE_DIR NAME OUT.png NODE_MODULES_DIR
'use strict';
const fs = require('node:fs');
const path = require('node:path');
const { createRequire } = require('node:module');
process.env.GLIMMER_NODE_MODULES = path.resolve(process.argv[6]);
const B = require('../tests/browser/browser.js');

async function main() {
    const [web, pictures, name, out] = process.argv.slice(2);
    const files = fs.readdirSync(pictures).filter((f) => /^slide\d+\.bmp$/.test(f)).sort()
        .map((f) => path.join(pictures, f));
    const server = await B.serve(path.resolve(web));
    const session = await B.openPage(server.url);
    try {
        const { page } = session;
        await page.getByLabel('Pictures', { exact: true }).setInputFiles(files);
        await page.getByLabel('Logo', { exact: true }).setInputFiles(path.join(pictures, 'logo.bmp'));
        await page.getByLabel('Preview picture').setInputFiles(path.join(pictures, 'preview.bmp'));
        await page.getByLabel("Screen saver's name").fill(name);
        await page.getByLabel('Banner').check();
        await page.waitForFunction((n) => document.querySelectorAll('#slides .slide canvas').length === n &&
            document.getElementById('memory').textContent !== '–', files.length, { timeout: 60000 });
        await page.screenshot({ path: out, fullPage: true });
    } finally {
        await session.close();
        await server.close();
    }
}
main().catch((error) => {
    console.error('web-screenshot: ' + error.message);
    process.exit(1);
});
