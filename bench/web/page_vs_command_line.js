// The page against glimmer-pack on the same pictures: seconds from adding the pictures to the
// downloaded installer in headless chromium, and seconds of `glimmer-pack build` on the same
// files, with whether the two installers are the same bytes. Prints figures; passes or fails
// nothing.
//   node bench/web/page_vs_command_line.js WEB_DIR GLIMMER_PACK NODE_MODULES PICTURE...
'use strict';
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const [web, pack, modules, ...pictures] = process.argv.slice(2);
process.env.GLIMMER_NODE_MODULES = path.resolve(modules);
const B = require('../../tests/browser/browser.js');
const { spawnSync } = require('node:child_process');

async function main() {
    const out = fs.mkdtempSync(path.join(os.tmpdir(), 'glimmer-bench-web-'));
    const sorted = pictures.slice().sort((a, b) =>
        require('../../web/order.js').compareNames(path.basename(a), path.basename(b)));
    let start = process.hrtime.bigint();
    const cli = spawnSync(pack, ['build', '-o', path.join(out, 'cli.exe'), '--name', 'Bench', ...sorted],
        { encoding: 'utf8' });
    const cliSeconds = Number(process.hrtime.bigint() - start) / 1e9;
    if (cli.status !== 0) throw new Error('glimmer-pack: ' + cli.stderr);

    const server = await B.serve(path.resolve(web));
    const session = await B.openPage(server.url);
    try {
        const { page } = session;
        await page.getByLabel("Screen saver's name").fill('Bench');
        start = process.hrtime.bigint();
        await page.getByLabel('Pictures', { exact: true }).setInputFiles(pictures);
        await page.waitForFunction((n) => document.querySelectorAll('#slides .slide canvas').length === n &&
            document.getElementById('busy').hidden, pictures.length, { timeout: 0, polling: 100 });
        const converted = Number(process.hrtime.bigint() - start) / 1e9;
        const downloading = page.waitForEvent('download', { timeout: 0 });
        await page.getByRole('button', { name: 'Make installer' }).click();
        const download = await downloading;
        await download.saveAs(path.join(out, 'page.exe'));
        const pageSeconds = Number(process.hrtime.bigint() - start) / 1e9;
        const same = fs.readFileSync(path.join(out, 'page.exe')).equals(fs.readFileSync(path.join(out, 'cli.exe')));
        console.log('pictures:               %d', pictures.length);
        console.log('glimmer-pack build:     %s s (%d workers)', cliSeconds.toFixed(2), os.cpus().length);
        console.log('page, pictures added:   %s s (one worker)', converted.toFixed(2));
        console.log('page, installer saved:  %s s', pageSeconds.toFixed(2));
        console.log('same bytes:             %s', same ? 'yes' : 'NO');
    } finally {
        await session.close();
        await server.close();
        fs.rmSync(out, { recursive: true, force: true });
    }
}
main().catch((error) => {
    console.error('page_vs_command_line: ' + error.message);
    process.exit(1);
});
