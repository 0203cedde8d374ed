// The saver preview: plays the page's pictures as the installed saver will, and shows the
// installer's dialog. Every step is computed by the engine's own slideshow code compiled to
// WebAssembly (saver-preview.wasm); this file only schedules the steps with the delay each one
// returns, copies the pixels it drew onto the canvas, rasterises the banner's text with a font
// and handles the controls.
(function () {
    'use strict';

    const $ = (id) => document.getElementById(id);
    const SCREENS = [[640, 480], [800, 600], [1024, 768]];
    // The banner font: the engine asks for bold Arial with a cell height of BANNER_HEIGHT pixels;
    // Arial's ascent and descent are 0.905 and 0.212 of its em.
    const ARIAL_ASCENT = 0.9053;
    const ARIAL_CELL = 1.1172;
    const BANNER_FONTS = 'Arial, "Liberation Sans", Arimo, Helvetica, sans-serif';
    // The installer's picture control: 180 x 128 dialog units of an 8-point dialog font.
    const CONTROL_WIDTH = 270;
    const CONTROL_HEIGHT = 208;

    let m = null;              // the module
    const show = {
        slides: [],            // the ArrayBuffers the show holds, in slide order
        logo: null,
        preview: null,
        options: null,
        screen: SCREENS[1],
        playing: true,
        timer: 0,
        nextDelay: 0,          // ms to the next step; 0 when the show cannot run
        running: false,        // started with at least one slide
        seed: null,            // fixed seed for the next start, else the time
        stepLog: [],           // the last steps, newest last: {at, took, engine, delay} in ms (took:
                               // step and blit; engine: the step alone)
    };

    // ---- The module ------------------------------------------------------------------------

    function copyIn(bytes) {
        const view = new Uint8Array(bytes);
        const pointer = m._malloc(Math.max(1, view.byteLength));
        m.HEAPU8.set(view, pointer);
        return pointer;
    }

    function withBytes(bytes, call) {
        const pointer = copyIn(bytes);
        try {
            return call(pointer, new Uint8Array(bytes).byteLength);
        } finally {
            m._free(pointer);
        }
    }

    function int32s(pointer, count) {
        return Array.from(new Int32Array(m.HEAPU8.buffer, pointer, count));
    }

    function ranges() {
        const r = int32s(m._preview_ranges(), 12);
        const bar = (i) => ({ min: r[4 * i], max: r[4 * i + 1], step: r[4 * i + 2], value: r[4 * i + 3] });
        return { intensity: bar(0), fade: bar(1), sustain: bar(2) };
    }

    // ---- Drawing ---------------------------------------------------------------------------

    // The banner's ink as the mask the show paints in its red: drawn once per screen, with no
    // smoothing kept (GDI draws it without), at the engine's cell height.
    function rasteriseBanner() {
        const [width] = show.screen;
        const height = m._preview_banner_height();
        const text = m.UTF8ToString(m._preview_banner_text());
        const canvas = document.createElement('canvas');
        canvas.width = width;
        canvas.height = height;
        const context = canvas.getContext('2d', { willReadFrequently: true });
        const em = height / ARIAL_CELL;
        context.font = 'bold ' + em.toFixed(2) + 'px ' + BANNER_FONTS;
        context.fillStyle = '#fff';
        context.textBaseline = 'alphabetic';
        context.fillText(text, 0, Math.round(em * ARIAL_ASCENT));
        const alpha = context.getImageData(0, 0, width, height).data;
        const mask = new Uint8Array(width * height);
        for (let i = 0; i < mask.length; i++) mask[i] = alpha[4 * i + 3] >= 128 ? 1 : 0;
        m.HEAPU8.set(mask, m._preview_banner_mask());
    }

    // Puts the part of the frame the last call changed onto the canvas, straight from the
    // module's memory: the rows it spans as a view, and only the changed columns of them.
    function blit() {
        const [x, y, w, h] = int32s(m._preview_state(), 4);
        if (w <= 0 || h <= 0) return;
        const [width] = show.screen;
        const rows = new Uint8ClampedArray(m.HEAPU8.buffer, m._preview_frame() + y * width * 4,
            width * h * 4);
        context().putImageData(new ImageData(rows, width, h), 0, y, x, 0, w, h);
    }

    let canvasContext = null;
    function context() {
        if (!canvasContext) canvasContext = $('saver-preview').getContext('2d');
        return canvasContext;
    }

    // ---- The schedule ----------------------------------------------------------------------

    function cancelTimer() {
        clearTimeout(show.timer);
        show.timer = 0;
    }

    function schedule() {
        cancelTimer();
        if (show.playing && show.running && show.nextDelay > 0 && !document.hidden)
            show.timer = setTimeout(tick, show.nextDelay);
    }

    // One step: the engine's tick, then its pixels onto the canvas.
    function step() {
        if (!show.running) return 0;
        const start = performance.now();
        show.nextDelay = m._preview_step();
        const computed = performance.now();
        blit();
        show.stepLog.push({ at: start, took: performance.now() - start, engine: computed - start,
            delay: show.nextDelay });
        if (show.stepLog.length > 1024) show.stepLog.shift();
        describe();
        return show.nextDelay;
    }

    function tick() {
        show.timer = 0;
        step();
        schedule();
    }

    // Starts the show from black, as a new saver window does.
    function restart() {
        cancelTimer();
        const ticks = show.seed !== null ? show.seed : (Math.floor(performance.now()) >>> 0);
        show.nextDelay = m._preview_start(ticks);
        show.running = show.nextDelay > 0;
        blit();
        $('preview-empty').hidden = show.running;
        describe();
        schedule();
    }

    function setScreen(screen) {
        show.screen = screen;
        const canvas = $('saver-preview');
        canvas.width = screen[0];
        canvas.height = screen[1];
        m._preview_screen(screen[0], screen[1]);
        rasteriseBanner();
        fit();
        restart();
    }

    // Whole multiples of the screen's pixels where the space allows one, else shrunk to fit.
    function fit() {
        const canvas = $('saver-preview');
        const room = $('preview-stage').clientWidth || show.screen[0];
        const scale = room >= show.screen[0] ? Math.floor(room / show.screen[0]) : room / show.screen[0];
        canvas.style.width = Math.floor(show.screen[0] * scale) + 'px';
        canvas.style.height = Math.floor(show.screen[1] * scale) + 'px';
    }

    function describe() {
        const s = int32s(m._preview_state(), 9);
        const where = show.running && s[4] >= 0 ? 'slide ' + (s[4] + 1) + ' of ' + show.slides.length +
            (s[7] < 0 ? ', changing slide' : ', intensity ' + s[7] + '/256') : 'stopped';
        $('preview-status').textContent = (show.playing ? 'Playing: ' : 'Paused: ') + where +
            (s[8] ? '' : ', logo gone');
        $('preview-play').disabled = show.playing;
        $('preview-pause').disabled = !show.playing;
    }

    // ---- The page's pictures and settings ---------------------------------------------------

    const sameList = (a, b) => a.length === b.length && a.every((x, i) => x === b[i]);

    function update(page) {
        if (!m) return;
        let again = false;
        if (!sameList(page.slides, show.slides)) {
            // Pictures added at the end (a batch converting) are copied in alone; any other
            // change copies the list again.
            const added = sameList(page.slides.slice(0, show.slides.length), show.slides);
            if (!added) m._preview_slides_clear();
            page.slides.slice(added ? show.slides.length : 0)
                .forEach((dib) => withBytes(dib, (p, n) => m._preview_slide_add(p, n)));
            show.slides = page.slides.slice();
            again = true;
        }
        if (page.logo !== show.logo) {
            if (page.logo) withBytes(page.logo, (p, n) => m._preview_logo(p, n));
            else m._preview_logo(0, 0);
            show.logo = page.logo;
            again = true;
        }
        if (page.options !== show.options) {
            const text = new TextEncoder().encode(page.options + '\0');
            if (withBytes(text, (p) => m._preview_options(p))) again = true;
            show.options = page.options;
        }
        if (again) restart();
        drawDialog(page);
    }

    // The installer's dialog: its picture control and the name it fills in.
    function drawDialog(page) {
        $('dialog-name').value = page.name;
        if (page.preview === show.preview && show.previewDrawn) return;
        const collage = page.collage;
        show.preview = page.preview;
        show.previewDrawn = true;
        const canvas = $('dialog-picture');
        const context = canvas.getContext('2d');
        context.fillStyle = '#000';
        context.fillRect(0, 0, CONTROL_WIDTH, CONTROL_HEIGHT);
        const note = $('dialog-note');
        if (!page.preview) {
            note.textContent = 'Without a preview picture the installer shows a collage of the first four slides.';
            return;
        }
        const pointer = withBytes(page.preview,
            (p, n) => m._preview_stretch(p, n, CONTROL_WIDTH, CONTROL_HEIGHT));
        if (!pointer) {
            note.textContent = 'This preview picture cannot be drawn.';
            return;
        }
        const pixels = new Uint8ClampedArray(m.HEAPU8.slice(pointer, pointer + CONTROL_WIDTH * CONTROL_HEIGHT * 4));
        m._free(pointer);
        context.putImageData(new ImageData(pixels, CONTROL_WIDTH, CONTROL_HEIGHT), 0, 0);
        note.textContent = collage ?
            'The collage of the first four slides, which the installer shows without a preview picture of its own.' :
            'The preview picture, stretched into the dialog as the installer draws it.';
    }

    // ---- Controls --------------------------------------------------------------------------

    function settingsChanged() {
        const value = (id) => Number($(id).value);
        m._preview_settings(value('preview-intensity'), value('preview-fade'), value('preview-sustain'));
        $('preview-intensity-value').textContent = value('preview-intensity') + '/256';
        $('preview-fade-value').textContent = value('preview-fade') + ' ms';
        $('preview-sustain-value').textContent = (value('preview-sustain') / 1000).toFixed(1) + ' s';
    }

    function setupSliders() {
        const r = ranges();
        for (const [id, bar] of [['preview-intensity', r.intensity], ['preview-fade', r.fade],
            ['preview-sustain', r.sustain]]) {
            const input = $(id);
            input.min = bar.min;
            input.max = bar.max;
            input.step = 1;
            input.value = bar.value;
            input.addEventListener('input', settingsChanged);
        }
        settingsChanged();
    }

    function play() {
        show.playing = true;
        describe();
        schedule();
    }

    function pause() {
        show.playing = false;
        cancelTimer();
        describe();
    }

    function wire() {
        $('preview-play').addEventListener('click', play);
        $('preview-pause').addEventListener('click', pause);
        $('preview-step').addEventListener('click', () => {
            pause();
            step();
        });
        $('preview-screen').addEventListener('change', (event) => {
            setScreen(SCREENS[Number(event.target.value)]);
        });
        document.addEventListener('visibilitychange', schedule);
        new ResizeObserver(fit).observe($('preview-stage'));
        document.addEventListener('glimmer-page', (event) => update(event.detail));
    }

    async function load() {
        try {
            m = await createSaverPreview();
        } catch (error) {
            $('preview-status').textContent = 'The preview could not start: ' + error.message;
            return;
        }
        setupSliders();
        wire();
        setScreen(SCREENS[Number($('preview-screen').value)]);
        if (window.GlimmerPage) update(window.GlimmerPage.snapshot());
    }

    // For tests and the benchmark: a replayable show (a fixed seed) and its step figures.
    window.GlimmerPreview = {
        restart(seed) {
            show.seed = seed === undefined ? null : seed;
            restart();
        },
        pause,
        play,
        step,
        state: () => {
            const s = int32s(m._preview_state(), 9);
            return { slide: s[4], x: s[5], y: s[6], intensity: s[7], logoVisible: s[8],
                delay: show.nextDelay, playing: show.playing, running: show.running,
                timerPending: show.timer !== 0, stepLog: show.stepLog.slice() };
        },
        ready: () => m !== null,
    };

    load();
})();
