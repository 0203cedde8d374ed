// The saver preview's cost per step against the step's period at the shortest fade time: in
// headless chromium, for each screen size, a full-screen slide (800 x 600 true colour, the
// costliest to scale) played in real time, with the milliseconds each step took (the engine's
// step in WebAssembly and the copy onto the canvas) and how late each fade tick came. Prints
// figures; passes or fails nothing.
//   node bench/web/preview_steps.js WEB_DIR NODE_MODULES [SECONDS]
'use strict';
const path = require('node:path');
const [web, modules, seconds] = process.argv.slice(2);
process.env.GLIMMER_NODE_MODULES = path.resolve(modules);
process.env.GLIMMER_BROWSER_OUT = process.env.GLIMMER_BROWSER_OUT || '/tmp';
const B = require('../../tests/browser/browser.js');
const P = require('../../tests/browser/preview.js');
const os = require('node:os');

const quantile = (values, q) => {
    const sorted = values.slice().sort((a, b) => a - b);
    return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
};
const ms = (v) => v.toFixed(2).padStart(7);

async function main() {
    const dir = path.join(os.tmpdir(), 'glimmer-bench-preview');
    const slides = [0, 1].map((k) => P.writePicture(dir, 'slide' + k + '.bmp',
        P.bmp(800, 600, (x, y) => [(x + k * 90) % 256, (y * 3) % 256, (x ^ y) % 256])));
    const server = await B.serve(path.resolve(web));
    const session = await P.openPreview(server.url);
    const { page } = session;
    try {
        await P.addSlides(page, slides, 2);
        await page.getByLabel('Fade time').fill('50');
        await page.getByLabel('Sustain time').fill('1000');
        const run = Number(seconds || 6) * 1000;
        console.log('load average ' + os.loadavg().map((v) => v.toFixed(1)).join(' ') + ' on ' +
            os.cpus().length + ' cores; ' + (run / 1000) + ' s per screen size');
        console.log('screen      steps  step ms: mean     p95     max   (engine mean)   period ms  fade ticks late by ms: p95    max');
        for (const [option, name] of [['0', '640x480'], ['1', '800x600'], ['2', '1024x768']]) {
            await page.getByLabel('Screen size').selectOption(option);
            await page.evaluate(() => window.GlimmerPreview.play());
            await page.waitForTimeout(run);
            const log = await page.evaluate(() => window.GlimmerPreview.state().stepLog);
            const recent = log.filter((e) => e.at >= log[log.length - 1].at - run + 500);
            const took = recent.map((e) => e.took);
            const engine = recent.map((e) => e.engine);
            const late = [];
            for (let i = 1; i < recent.length; i++) {
                if (recent[i - 1].delay === 50) late.push(recent[i].at - recent[i - 1].at - 50);
            }
            console.log(name.padEnd(10) + String(took.length).padStart(7) + '        ' +
                ms(took.reduce((a, b) => a + b, 0) / took.length) + ' ' + ms(quantile(took, 0.95)) +
                ' ' + ms(Math.max(...took)) + '   (engine ' + ms(engine.reduce((a, b) => a + b, 0) / engine.length).trim() +
                ')      50' + '               ' +
                ms(quantile(late, 0.95)) + ' ' + ms(Math.max(...late)));
        }
    } finally {
        await session.close();
        await server.close();
    }
}

main().catch((error) => {
    console.error(error);
    process.exit(1);
});
