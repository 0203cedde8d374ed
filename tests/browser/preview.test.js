// The saver preview in Debian's chromium: slides fade in on the canvas, each step's pixels equal
// what the engine's own functions compute for the same slide, seed and step (preview_expect,
// built natively), the logo holds the bottom-right corner until its time is up, the banner is
// drawn in the engine's red, and a paused or hidden preview schedules nothing. Leaves the
// screenshots of three moments of a fade in GLIMMER_BROWSER_OUT/preview-fade-*.png.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const B = require('./browser.js');
const P = require('./preview.js');

const why = P.missing() || (process.env.GLIMMER_PREVIEW_EXPECT ? '' : 'GLIMMER_PREVIEW_EXPECT must be set');
if (why) {
    console.log('skipped: ' + why);
    process.exit(77);
}

const PICTURES = path.join(B.OUT, 'preview-pictures');
const SEED = 4242;
let server;

test.before(async () => {
    server = await B.serve(B.WEB);
});
test.after(() => server.close());

// Slides with no black in them, so every lit pixel is the slide's.
const gradient = (x, y) => [40 + (x * 7) % 216, 60 + (y * 5) % 196, 200 - (x + y) % 150];
const PALETTE = Array.from({ length: 200 }, (_, i) => [255 - i, 30 + i, (i * 37) % 200 + 40]);
const indexed = (x, y) => (x * 3 + y * 2) % PALETTE.length;

// The engine's computation for the slide the page holds, after ticks steps.
function expected(dib, screen, settings, ticks) {
    const file = P.writePicture(PICTURES, 'held.dib', Buffer.from(dib));
    const out = execFileSync(process.env.GLIMMER_PREVIEW_EXPECT, [file, screen[0], screen[1], SEED,
        settings.intensity, settings.fade, settings.sustain, ticks].map(String), { encoding: 'utf8' });
    return JSON.parse(out);
}

// Restarts the show with the fixed seed, paused, and takes ticks steps with the Step button.
async function replay(page, ticks) {
    await page.evaluate((seed) => {
        window.GlimmerPreview.pause();
        window.GlimmerPreview.restart(seed);
    }, SEED);
    for (let i = 0; i < ticks; i++) await page.getByRole('button', { name: 'Step' }).click();
}

test('a slide fades in at its place within the fade time, and the canvas is the engine\'s computation at every moment of the fade', async () => {
    const session = await P.openPreview(server.url);
    await B.withTrace(session, 'preview-fade', async ({ page }) => {
        const screen = [800, 600];
        const slide = P.writePicture(PICTURES, 'true-colour.bmp', P.bmp(200, 150, gradient));
        await P.addSlides(page, [slide], 1);
        // Playing at the default settings from the moment the slide is there: lit whole within
        // the first delay and eight fade steps (and a margin for a busy machine).
        const settings = { intensity: 256, fade: 200, sustain: 6000 };
        await page.waitForFunction(() => {
            const c = document.getElementById('saver-preview');
            const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
            let n = 0;
            for (let i = 0; i < d.length; i += 4) if (d[i] || d[i + 1] || d[i + 2]) n++;
            return n === 200 * 150;
        }, null, { timeout: 100 + 8 * settings.fade + 3000, polling: 20 });

        // Paused, replayed from the seed: each moment against the engine's own computation.
        const dib = await page.evaluate(() => Array.from(new Uint8Array(window.GlimmerPage.snapshot().slides[0])));
        const moments = [];
        for (const [ticks, shot] of [[3, 'preview-fade-1.png'], [6, 'preview-fade-2.png'],
            [9, 'preview-fade-3.png'], [13, null]]) {
            await replay(page, ticks);
            const want = expected(dib, screen, settings, ticks);
            const state = await page.evaluate(() => window.GlimmerPreview.state());
            assert.deepStrictEqual([state.x, state.y, state.intensity], [want.x, want.y, want.intensity],
                'tick ' + ticks);
            const box = await P.canvasBox(page, want.x, want.y, want.w, want.h);
            assert.strictEqual(P.firstDifference(box.rgb, want.rgb), '', 'tick ' + ticks);
            assert.strictEqual(box.litOutside, 0, 'tick ' + ticks + ': nothing lit outside the slide');
            if (shot) await P.saveCanvas(page, path.join(B.OUT, shot));
            moments.push({ ticks, x: want.x, y: want.y, intensity: want.intensity, first: box.rgb.slice(0, 6) });
        }
        // The same slide at the same place, at different intensities as the fade goes on.
        assert.ok(moments.every((m) => m.x === moments[0].x && m.y === moments[0].y));
        assert.ok(moments[0].intensity < moments[1].intensity && moments[1].intensity < moments[2].intensity,
            JSON.stringify(moments));
        assert.ok(moments[0].first < moments[1].first, JSON.stringify(moments));
    });
    await session.close();
});

test('a 256-colour slide: its colour table scaled as the engine scales it', async () => {
    const session = await P.openPreview(server.url);
    await B.withTrace(session, 'preview-indexed', async ({ page }) => {
        const slide = P.writePicture(PICTURES, 'indexed.bmp', P.bmp(333, 211, indexed, PALETTE));
        await P.addSlides(page, [slide], 1);
        await page.getByLabel('Intensity').fill('173');
        await page.getByLabel('Fade time').fill('50');
        const settings = { intensity: 173, fade: 50, sustain: 6000 };
        const dib = await page.evaluate(() => Array.from(new Uint8Array(window.GlimmerPage.snapshot().slides[0])));
        for (const ticks of [4, 9]) {
            await replay(page, ticks);
            const want = expected(dib, [800, 600], settings, ticks);
            const box = await P.canvasBox(page, want.x, want.y, want.w, want.h);
            assert.strictEqual(P.firstDifference(box.rgb, want.rgb), '', 'tick ' + ticks);
        }
    });
    await session.close();
});

test('the logo holds the bottom-right corner on every screen size until the first change of slide after 30 s', async () => {
    const session = await P.openPreview(server.url);
    await B.withTrace(session, 'preview-logo', async ({ page }) => {
        const logoColour = (x, y) => [x < 60 ? 250 : 20, 200, y < 20 ? 90 : 160];
        await page.getByLabel('Logo', { exact: true }).setInputFiles(
            P.writePicture(PICTURES, 'logo.bmp', P.bmp(120, 40, logoColour)));
        const slides = [1, 2, 3].map((k) => P.writePicture(PICTURES, 'big' + k + '.bmp',
            P.bmp(500, 380, (x, y) => [k * 70, 255 - (x % 200), 90 + (y % 100)])));
        await P.addSlides(page, slides, 3);
        await page.waitForFunction(() => window.GlimmerPage.snapshot().logo !== null);
        await page.getByLabel('Fade time').fill('50');
        await page.getByLabel('Sustain time').fill('1000');
        const hex = (v) => (v < 16 ? '0' : '') + v.toString(16);
        let want = '';
        for (let y = 0; y < 40; y++) for (let x = 0; x < 120; x++) want += logoColour(x, y).map(hex).join('');
        const logoArea = async (w, h) => (await P.canvasBox(page, w - 120, h - 40, 120, 40)).rgb;
        for (const [option, w, h] of [['0', 640, 480], ['2', 1024, 768]]) {
            await page.getByLabel('Screen size').selectOption(option);
            await replay(page, 1);
            assert.strictEqual(P.firstDifference(await logoArea(w, h), want), '',
                w + ' x ' + h + ': the logo at the bottom right');
            // Slides come and go around it: the corner is untouched through many changes.
            const result = await page.evaluate(() => {
                const seen = [];
                let clock = 100;
                for (let i = 0; clock < 29000; i++) {
                    clock += window.GlimmerPreview.step();
                    seen.push(window.GlimmerPreview.state().logoVisible);
                }
                return seen;
            });
            assert.ok(result.every((v) => v === 1));
            assert.strictEqual(P.firstDifference(await logoArea(w, h), want), '',
                w + ' x ' + h + ': slides kept clear of the logo');
            // Past 30 s the next change of slide blacks the logo out.
            await page.evaluate(() => {
                while (window.GlimmerPreview.state().logoVisible) window.GlimmerPreview.step();
                while (window.GlimmerPreview.state().intensity !== -1) window.GlimmerPreview.step();
            });
            assert.strictEqual((await P.canvasBox(page, w - 120, h - 40, 120, 40)).lit, 0,
                w + ' x ' + h + ': the logo is gone');
        }
    });
    await session.close();
});

test('with the banner on, the red line at the bottom left in the engine\'s red for the intensity', async () => {
    const session = await P.openPreview(server.url);
    await B.withTrace(session, 'preview-banner', async ({ page }) => {
        const slide = P.writePicture(PICTURES, 'small.bmp', P.bmp(64, 48, gradient));
        await P.addSlides(page, [slide], 1);
        const dib = await page.evaluate(() => Array.from(new Uint8Array(window.GlimmerPage.snapshot().slides[0])));
        // No banner while it is off.
        await replay(page, 1);
        const bottom = () => P.canvasBox(page, 0, 600 - 26, 400, 26);
        assert.deepStrictEqual((await bottom()).reds, []);
        await page.getByLabel('Banner', { exact: true }).check();
        await page.waitForFunction(() => window.GlimmerPage.snapshot().options.startsWith('D'));
        for (const intensity of [256, 101]) {
            await page.getByLabel('Intensity').fill(String(intensity));
            await replay(page, 1);
            const want = expected(dib, [800, 600],
                { intensity, fade: 200, sustain: 6000 }, 1).bannerRed;
            const box = await bottom();
            assert.deepStrictEqual(box.reds, [want], 'intensity ' + intensity);
            // The line is text: red strokes with black between them.
            assert.ok(box.lit > 200 && box.lit < 400 * 26 / 2, box.lit + ' lit pixels');
        }
        await P.saveCanvas(page, path.join(B.OUT, 'preview-banner.png'));
    });
    await session.close();
});

test('paused or hidden, the preview sets no timer; play and the installer\'s dialog', async () => {
    const session = await P.openPreview(server.url);
    await B.withTrace(session, 'preview-pause', async ({ page }) => {
        const slide = P.writePicture(PICTURES, 'a.bmp', P.bmp(300, 200, gradient));
        await P.addSlides(page, [slide], 1);
        const state = () => page.evaluate(() => window.GlimmerPreview.state());
        assert.strictEqual((await state()).timerPending, true);
        await page.getByRole('button', { name: 'Pause' }).click();
        const before = await P.canvasBox(page, 0, 0, 800, 600);
        await page.waitForTimeout(700);
        assert.strictEqual((await state()).timerPending, false);
        assert.deepStrictEqual(await P.canvasBox(page, 0, 0, 800, 600), before);
        await page.getByRole('button', { name: 'Play' }).click();
        assert.strictEqual((await state()).timerPending, true);
        await page.evaluate(() => {
            Object.defineProperty(document, 'hidden', { value: true, configurable: true });
            document.dispatchEvent(new Event('visibilitychange'));
        });
        assert.strictEqual((await state()).timerPending, false);
        await page.evaluate(() => {
            Object.defineProperty(document, 'hidden', { value: false, configurable: true });
            document.dispatchEvent(new Event('visibilitychange'));
        });
        assert.strictEqual((await state()).timerPending, true);

        // Without a preview picture the dialog shows the collage glimmer-pack makes for the same
        // slide, drawn as the installer draws it: stretched over one pixel more each way than
        // the 270 x 208 control, which shows the top-left 270 x 208 of that.
        const made = path.join(PICTURES, 'collage');
        fs.rmSync(made, { recursive: true, force: true });
        const installer = path.join(PICTURES, 'collage.exe');
        const built = B.pack('build', '-o', installer, '--name', 'Collage', slide);
        assert.strictEqual(built.status, 0, built.stderr);
        const extracted = B.pack('extract', installer, made);
        assert.strictEqual(extracted.status, 0, extracted.stderr);
        const want = P.bmpPixels(fs.readFileSync(path.join(made, '01-Dib.bmp')));
        assert.deepStrictEqual([want.width, want.height], [270, 208]);
        await page.getByText('The collage of the first four slides', { exact: false }).waitFor();
        const got = await page.evaluate(() => Array.from(document.getElementById('dialog-picture')
            .getContext('2d').getImageData(0, 0, 270, 208).data));
        const rgb = got.filter((_, i) => i % 4 !== 3);
        assert.ok(rgb.some((v) => v !== 0), 'the dialog shows the collage');
        const shown = [];
        for (let y = 0; y < 208; y++)
            for (let x = 0; x < 270; x++) {
                const at = 3 * (Math.floor((y * 208) / 209) * 270 + Math.floor((x * 270) / 271));
                shown.push(...want.rgb.slice(at, at + 3));
            }
        assert.deepStrictEqual(rgb, shown);

        // The installer's dialog: the name as typed, the preview picture stretched into the
        // control, its four quarters in the four corners.
        await page.getByLabel('Screen saver\'s name').fill('Quarter Test');
        const quarters = (x, y) => [x < 50 ? 255 : 0, y < 40 ? 255 : 0, 128];
        await page.getByLabel('Preview picture', { exact: true }).setInputFiles(
            P.writePicture(PICTURES, 'quarters.bmp', P.bmp(100, 80, quarters)));
        await page.waitForFunction(() => window.GlimmerPage.snapshot().preview !== null);
        await page.waitForFunction(() => document.getElementById('dialog-name').value === 'Quarter Test');
        const corners = await page.evaluate(() => {
            const c = document.getElementById('dialog-picture').getContext('2d');
            return [[2, 2], [267, 2], [2, 205], [267, 205]].map(([x, y]) =>
                Array.from(c.getImageData(x, y, 1, 1).data.slice(0, 3)));
        });
        assert.deepStrictEqual(corners, [[255, 255, 128], [0, 255, 128], [255, 0, 128], [0, 0, 128]]);
        await page.locator('section.preview').screenshot({ path: path.join(B.OUT, 'preview-section.png') });
    });
    await session.close();
});
