// The page in Debian's chromium, driven through its labelled controls as a person would: the
// installer it makes is held against glimmer-pack's, problems are listed with file and reason,
// and a bad picture leaves the page working. Skips (exit 77) where the page or chromium is
// missing; a failing test leaves a screenshot and the console in GLIMMER_BROWSER_OUT.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const zlib = require('node:zlib');
const B = require('./browser.js');

const why = B.missing();
if (why) {
    console.log('skipped: ' + why);
    process.exit(77);
}

const PICTURES = path.join(B.OUT, 'pictures');
let server;

test.before(async () => {
    fs.rmSync(PICTURES, { recursive: true, force: true });
    fs.mkdirSync(PICTURES, { recursive: true });
    fs.rmSync(path.join(B.OUT, 'Page Saver.exe'), { force: true });
    server = await B.serve(B.WEB);
});
test.after(() => server.close());

// Problem lines of the page as "file: reason" texts.
async function problemLines(page) {
    const region = page.getByRole('alert', { name: 'Problems' });
    await region.waitFor();
    return region.locator('li').allInnerTexts();
}

// The reason glimmer-pack gives for one picture on its own.
function commandLineReason(file) {
    const r = B.pack('build', '-o', path.join(B.OUT, 'unused.exe'), '--name', 'x', file);
    const line = r.stderr.split('\n').find((l) => l.startsWith('glimmer-pack: ' + file + ': '));
    assert.ok(line, 'glimmer-pack names ' + file + ':\n' + r.stderr);
    return line.slice(('glimmer-pack: ' + file + ': ').length);
}

test('the installer the page makes is the command line\'s, byte for byte', async () => {
    const p = (name, ...args) => B.picture(PICTURES, name, ...args);
    const jpeg = p('IMG_1.jpg', '-size', '1200x900', 'gradient:yellow-orange', '-quality', '90');
    const png = p('IMG_2.png', '-size', '900x700', 'plasma:white-cyan', '-seed', '3');
    const bmp = p('IMG_10.bmp', '-size', '320x240', 'gradient:white-yellow', '-type', 'Palette',
        '-compress', 'RLE', 'BMP3');
    const gif = p('IMG_3.gif', '-size', '400x300', 'plasma:yellow-white', '-seed', '4');
    const webp = p('IMG_4.webp', '-size', '640x480', 'gradient:white-orange', '-quality', '80');
    const alpha = p('IMG_5.png', '-size', '500x300', 'gradient:rgba(255,255,0,1)-rgba(0,255,255,0.2)');
    // Stored on its side with EXIF orientation 6 (an APP1 segment put in after the JPEG's start
    // marker): the saver shows it turned upright.
    const turned = p('IMG_6.jpg', '-size', '1000x750', 'gradient:white-yellow');
    const tiff = Buffer.from('4d4d002a00000008000101120003000000010006000000000000', 'hex');
    const exif = Buffer.concat([Buffer.from('Exif\0\0', 'latin1'), tiff]);
    const marker = Buffer.from([0xff, 0xe1, (exif.length + 2) >> 8, (exif.length + 2) & 255]);
    const plain = fs.readFileSync(turned);
    fs.writeFileSync(turned, Buffer.concat([plain.subarray(0, 2), marker, exif, plain.subarray(2)]));
    const heic = p('IMG_7.heic', '-size', '640x480', 'gradient:yellow-white', '-quality', '70');
    const logo = p('logo.png', '-size', '400x100', 'gradient:red-blue');
    const damaged = path.join(PICTURES, 'damaged.jpg');
    fs.writeFileSync(damaged, fs.readFileSync(jpeg).subarray(0, 700));
    const reason = commandLineReason(damaged);

    const session = await B.openPage(server.url);
    try {
        await B.withTrace(session, 'page-installer', async ({ page, requests }) => {
            const loaded = requests.length;
            // Given out of order: the page puts them in name order.
            await page.getByLabel('Pictures', { exact: true }).setInputFiles([bmp, heic, png, turned,
                damaged, gif, alpha, webp, jpeg]);
            assert.deepStrictEqual(await problemLines(page), ['damaged.jpg: ' + reason + ' Remove']);
            const names = page.locator('#slides .slide .name');
            await assert.doesNotReject(page.waitForFunction(() =>
                document.querySelectorAll('#slides .slide canvas').length === 8));
            const inOrder = ['IMG_1.jpg', 'IMG_2.png', 'IMG_3.gif', 'IMG_4.webp', 'IMG_5.png',
                'IMG_6.jpg', 'IMG_7.heic', 'IMG_10.bmp'];
            assert.deepStrictEqual(await names.allInnerTexts(), ['damaged.jpg', ...inOrder]);

            await page.getByRole('button', { name: 'Remove damaged.jpg' }).first().click();
            await page.getByRole('alert', { name: 'Problems' }).waitFor({ state: 'hidden' });
            // By keyboard: the first slide one place later.
            await page.locator('#slides .slide').first().focus();
            await page.keyboard.press('Alt+ArrowRight');
            assert.deepStrictEqual(await names.allInnerTexts(), ['IMG_2.png', 'IMG_1.jpg', ...inOrder.slice(2)]);

            await page.getByLabel('Logo', { exact: true }).setInputFiles(logo);
            await page.getByLabel("Screen saver's name").fill('Page Saver');
            await page.getByLabel('Banner').check();
            await page.getByLabel('Web address').fill('http://example.com/');
            await page.waitForFunction(() => document.getElementById('logo-picked').querySelector('canvas'));
            const downloading = page.waitForEvent('download');
            await page.getByRole('button', { name: 'Make installer' }).click();
            const download = await downloading;
            assert.strictEqual(download.suggestedFilename(), 'Page Saver.exe');
            const made = path.join(B.OUT, 'Page Saver.exe');
            await download.saveAs(made);

            const own = requests.slice(loaded).filter((u) => !u.startsWith('blob:') && !u.startsWith('data:'));
            assert.deepStrictEqual(own, [], 'no network request after the page has loaded');

            const check = B.pack('check', made);
            assert.strictEqual(check.status, 0, check.stdout + check.stderr);
            const expected = path.join(B.OUT, 'command-line.exe');
            const build = B.pack('build', '-o', expected, '--name', 'Page Saver', '--options',
                'DVhttp://example.com/', '--logo', logo, png, jpeg, gif, webp, alpha, turned, heic, bmp);
            assert.strictEqual(build.status, 0, build.stderr);
            assert.ok(fs.readFileSync(made).equals(fs.readFileSync(expected)),
                'the page\'s installer differs from glimmer-pack build\'s');
        });
    } finally {
        await session.close();
    }
});

test('every problem is listed at once and nothing is downloaded', async () => {
    const good = B.picture(PICTURES, 'good.png', '-size', '64x48', 'gradient:green-white');
    const notes = path.join(PICTURES, 'notes.txt');
    fs.writeFileSync(notes, 'not a picture\n');
    const session = await B.openPage(server.url);
    try {
        await B.withTrace(session, 'page-problems', async ({ page }) => {
            const name = page.getByLabel("Screen saver's name");
            await name.fill('My-Saver');
            // The command line's reason for the same name, word for word.
            const refused = B.pack('build', '-o', path.join(B.OUT, 'unused.exe'), '--name', 'My-Saver', good);
            const rule = refused.stderr.split('\n').find((l) => l.startsWith('glimmer-pack: the name "My-Saver" is refused: '))
                .slice('glimmer-pack: the name "My-Saver" is refused: '.length);
            assert.match(rule, /letters A to Z.*"-" is none of them/);
            await page.getByText(rule, { exact: true }).waitFor();
            assert.strictEqual(await name.getAttribute('aria-invalid'), 'true');
            await page.getByLabel('Web address').fill('http://example.com/' + 'a'.repeat(120));
            await page.getByLabel('Pictures', { exact: true }).setInputFiles([good, notes]);
            await page.waitForFunction(() => document.querySelectorAll('#slides .slide canvas').length === 1);
            let downloads = 0;
            page.on('download', () => downloads++);
            await page.getByRole('button', { name: 'Make installer' }).click();
            await page.getByRole('status').filter({ hasText: 'No installer made' }).waitFor();
            const lines = await problemLines(page);
            assert.strictEqual(lines.length, 3, lines.join('\n'));
            assert.strictEqual(lines[0], 'notes.txt: ' + commandLineReason(notes) + ' Remove');
            assert.strictEqual(lines[1], 'the name "My-Saver" is refused: ' + rule);
            assert.match(lines[2], /^the options text "NVhttp:\/\/example\.com\/a+" holds an address longer than 127 characters$/);
            assert.strictEqual(downloads, 0);
        });
    } finally {
        await session.close();
    }
});

test('a folder comes in name order without its subfolders; dragging moves a slide', async () => {
    const folder = path.join(PICTURES, 'trip');
    fs.mkdirSync(path.join(folder, 'sub'), { recursive: true });
    for (const [name, colour] of [['IMG_10.png', 'red'], ['img_9.png', 'blue'], ['IMG_1.png', 'green'],
        ['sub/IMG_0.png', 'white']])
        B.picture(folder, name, '-size', '64x48', 'xc:' + colour);
    fs.writeFileSync(path.join(folder, 'Thumbs.db'), Buffer.from('d0cf11e0a1b11ae1' + '00'.repeat(60), 'hex'));
    const session = await B.openPage(server.url);
    try {
        await B.withTrace(session, 'page-folder', async ({ page }) => {
            await page.getByLabel('Picture folder').setInputFiles(folder);
            await page.waitForFunction(() => document.querySelectorAll('#slides .slide canvas').length === 3);
            const names = page.locator('#slides .slide .name');
            assert.deepStrictEqual(await names.allInnerTexts(), ['trip/IMG_1.png', 'trip/img_9.png', 'trip/IMG_10.png']);
            await page.getByText('skipped trip/Thumbs.db: not a picture').waitFor();
            assert.strictEqual(await page.getByRole('alert', { name: 'Problems' }).count(), 0);
            // Dragged once the page has settled (the installer's size is shown), as a person
            // would: the summary arriving mid-drag moves what lies below it.
            await page.waitForFunction(() => document.getElementById('installer-size').textContent !== '–');
            const slides = page.locator('#slides .slide');
            await slides.nth(2).dragTo(slides.nth(0), { targetPosition: { x: 5, y: 40 } });
            assert.deepStrictEqual(await names.allInnerTexts(), ['trip/IMG_10.png', 'trip/IMG_1.png', 'trip/img_9.png']);
        });
    } finally {
        await session.close();
    }
});

test('a picture that would exhaust memory is refused with the command line\'s reason; the page carries on', async () => {
    // A PNG declaring 20000 x 20000 pixels (400 megapixels) in a few hundred bytes.
    const chunk = (type, data) => {
        const body = Buffer.concat([Buffer.from(type), data]);
        const frame = Buffer.alloc(4);
        frame.writeUInt32BE(data.length);
        const crc = Buffer.alloc(4);
        crc.writeUInt32BE(zlib.crc32(body));
        return Buffer.concat([frame, body, crc]);
    };
    const bomb = path.join(PICTURES, 'bomb.png');
    fs.writeFileSync(bomb, Buffer.concat([Buffer.from('89504e470d0a1a0a', 'hex'),
        chunk('IHDR', Buffer.from('00004e2000004e200802000000', 'hex')),
        chunk('IDAT', zlib.deflateSync(Buffer.alloc(1000))), chunk('IEND', Buffer.alloc(0))]));
    const reason = commandLineReason(bomb);
    const after = B.picture(PICTURES, 'after.png', '-size', '80x60', 'gradient:blue-white');
    const session = await B.openPage(server.url);
    try {
        await B.withTrace(session, 'page-bomb', async ({ page }) => {
            await page.getByLabel('Pictures', { exact: true }).setInputFiles(bomb);
            assert.deepStrictEqual(await problemLines(page), ['bomb.png: ' + reason + ' Remove']);
            await page.getByLabel('Pictures', { exact: true }).setInputFiles(after);
            await page.waitForFunction(() => document.querySelectorAll('#slides .slide canvas').length === 1);
        });
    } finally {
        await session.close();
    }
});

test('Cancel stops converting, leaves out what was not done, and the next pictures convert', async () => {
    const big = ['red', 'green', 'blue', 'gray'].map((colour, i) => B.picture(PICTURES,
        'big' + i + '.png', '-size', '4000x3000', 'gradient:white-' + colour));
    const small = B.picture(PICTURES, 'small.png', '-size', '64x48', 'gradient:white-black');
    const session = await B.openPage(server.url);
    try {
        await B.withTrace(session, 'page-cancel', async ({ page }) => {
            await page.getByLabel('Pictures', { exact: true }).setInputFiles(big);
            const cancel = page.getByRole('button', { name: 'Cancel' });
            await cancel.click();
            await page.locator('#busy').waitFor({ state: 'hidden' });
            const left = await page.locator('#slides .slide').count();
            assert.ok(left < big.length, left + ' of ' + big.length + ' pictures kept after Cancel');
            await page.getByLabel('Pictures', { exact: true }).setInputFiles(small);
            await page.waitForFunction((n) => document.querySelectorAll('#slides .slide canvas').length === n,
                left + 1);
            assert.strictEqual(await page.getByRole('alert', { name: 'Problems' }).count(), 0);
        });
    } finally {
        await session.close();
    }
});
