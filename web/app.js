// The page: the pictures and their order, the saver's settings, and the requests to the packing
// workers. Every conversion, check and the installer itself come from the workers; this file
// only keeps the list, shows it and hands bytes over.
(function () {
    'use strict';

    const Protocol = window.GlimmerProtocol;
    const Order = window.GlimmerOrder;
    const PackerClient = window.GlimmerPackerClient;
    const $ = (id) => document.getElementById(id);

    // Files fetched once at load; workers are made from them without touching the network.
    const assets = { scripts: null, wasm: null, setup: null, engine: null };

    // Entries: {id, name, file, status: 'pending' | 'ready' | 'bad', version, dib, thumb,
    // width, height, bits, warnings, reason}. slides is the slide order.
    const state = {
        slides: [],
        logo: null,
        preview: null,
        skipped: [],        // {name, reason}: folder entries that are no pictures
        nameReason: '',
        optionsReason: '',
        summary: null,      // the last dry-run assembly
        facts: null,
        loadError: '',
        batch: { total: 0, done: 0 },
        cancels: 0,         // times Cancel was pressed
        nextId: 1,
    };

    let pictures = null;   // converts pictures; Cancel ends it
    let checks = null;     // checks the name and options, assembles the installer

    function workerUrl() {
        const blob = new Blob(assets.scripts, { type: 'text/javascript' });
        return URL.createObjectURL(blob);
    }

    function makeClients() {
        const url = workerUrl();
        const init = () => Protocol.make('init', { wasm: assets.wasm });
        const create = () => new Worker(url);
        pictures = new PackerClient(create, init);
        checks = new PackerClient(create, init);
        checks.onfacts = (facts) => {
            state.facts = facts;
            $('banner-text').textContent = facts.banner;
            refresh();
        };
    }

    async function fetchBytes(path) {
        const response = await fetch(path);
        if (!response.ok) throw new Error(path + ': ' + response.status);
        return response.arrayBuffer();
    }

    async function fetchText(path) {
        const response = await fetch(path);
        if (!response.ok) throw new Error(path + ': ' + response.status);
        return response.text();
    }

    async function load() {
        try {
            const [protocol, api, worker, glue, wasm, setup, engine] = await Promise.all([
                fetchText('protocol.js'), fetchText('packer-api.js'), fetchText('worker.js'),
                fetchText('packer.js'), fetchBytes('packer.wasm'),
                fetchBytes('assets/setup.exe'), fetchBytes('assets/glimmer-carried.exe')]);
            assets.scripts = [protocol, '\n', glue, '\n', api, '\n', worker];
            assets.wasm = wasm;
            assets.setup = setup;
            assets.engine = engine;
            makeClients();
            $('loading').textContent = '';
            checkSettings();
            pump();
        } catch (error) {
            state.loadError = 'The page could not load its converter (' + error.message +
                '). Serve the whole folder, for example with scripts/web.sh.';
            $('loading').textContent = state.loadError;
        }
    }

    // ---- Adding pictures ------------------------------------------------------------------

    function newEntry(file, name) {
        return { id: state.nextId++, name: name || file.name, file, status: 'pending', version: 0,
            dib: null, thumb: null, warnings: [], reason: '', fromFolder: false };
    }

    // Adds files as slides at the end, in the order given. fromFolder marks entries whose
    // non-pictures are skipped quietly, as the command line skips them in a folder.
    function addSlides(files, fromFolder) {
        for (const { file, name } of files) {
            const entry = newEntry(file, name);
            entry.fromFolder = fromFolder;
            state.slides.push(entry);
            convert(entry, 'slide');
        }
        render();
    }

    function slideOptions() {
        const bits = Number(document.querySelector('input[name="bits"]:checked').value);
        return { bits, boxWidth: Number($('box-width').value) | 0,
            boxHeight: Number($('box-height').value) | 0 };
    }

    // Asks the picture worker for entry's Dib; the answer lands only if the entry is still
    // there and still wants this version.
    async function convert(entry, role) {
        entry.status = 'pending';
        const version = ++entry.version;
        const cancels = state.cancels;
        state.batch.total++;
        showProgress();
        let bytes;
        try {
            bytes = await entry.file.arrayBuffer();
        } catch (error) {
            finish(entry, version, { type: 'refused', reason: 'cannot be read: ' + error.message,
                notPicture: false });
            return;
        }
        if (!pictures) await until(() => pictures);
        // Cancel pressed while the file was being read: this one is left out too.
        if (cancels !== state.cancels) {
            finish(entry, version, { type: 'cancelled' });
            return;
        }
        const answer = await pictures.request('convert', { role, name: entry.name, bytes,
            options: slideOptions() }, [bytes]);
        finish(entry, version, answer);
    }

    function until(condition) {
        return new Promise((resolve) => {
            const poll = () => (condition() ? resolve() : setTimeout(poll, 50));
            poll();
        });
    }

    function finish(entry, version, answer) {
        state.batch.done++;
        if (entry.version !== version) return showProgress();
        if (answer.type === 'converted') {
            Object.assign(entry, { status: 'ready', dib: answer.dib, thumb: answer.thumb,
                width: answer.width, height: answer.height, bits: answer.bits,
                warnings: answer.warnings, reason: '' });
        } else if (answer.type === 'cancelled') {
            drop(entry);
        } else if (answer.type === 'refused' && answer.notPicture && entry.fromFolder) {
            state.skipped.push({ name: entry.name, reason: answer.reason });
            drop(entry);
        } else {
            Object.assign(entry, { status: 'bad', dib: null, reason: answer.reason });
        }
        showProgress();
        render();
        refresh();
    }

    // Takes an entry out of wherever it is: a slide, the logo or the preview.
    function drop(entry) {
        state.slides = state.slides.filter((e) => e !== entry);
        if (state.logo === entry) state.logo = null;
        if (state.preview === entry) state.preview = null;
    }

    function showProgress() {
        const { total, done } = state.batch;
        const busy = done < total;
        $('busy').hidden = !busy;
        $('progress').max = Math.max(total, 1);
        $('progress').value = done;
        $('progress-text').textContent = busy ? 'Converting ' + (done + 1) + ' of ' + total : '';
        if (!busy) state.batch = { total: 0, done: 0 };
        $('make').disabled = busy;
    }

    function cancel() {
        state.cancels++;
        pictures.cancel();
        announce('Cancelled: the pictures not yet converted were left out.');
    }

    // Files dropped on the page: files as given, folders as their pictures in name order,
    // without looking into subfolders.
    async function dropped(items) {
        const entries = [...items].map((item) => item.webkitGetAsEntry && item.webkitGetAsEntry());
        const files = [...items].map((item) => item.getAsFile());
        const groups = [];
        for (let k = 0; k < entries.length; k++) {
            const entry = entries[k];
            if (entry && entry.isDirectory) {
                groups.push({ files: await folderFiles(entry), fromFolder: true });
            } else if (files[k]) {
                groups.push({ files: [{ file: files[k] }], fromFolder: false });
            }
        }
        for (const group of groups) addSlides(group.files, group.fromFolder);
    }

    async function folderFiles(directory) {
        const reader = directory.createReader();
        const all = [];
        for (;;) {
            const batch = await new Promise((resolve, reject) => reader.readEntries(resolve, reject));
            if (batch.length === 0) break;
            all.push(...batch);
        }
        const result = [];
        for (const entry of Order.sortByName(all, (e) => e.name)) {
            const name = directory.name + '/' + entry.name;
            if (entry.isDirectory) {
                state.skipped.push({ name, reason: 'a folder (folders inside are not searched)' });
                continue;
            }
            const file = await new Promise((resolve, reject) => entry.file(resolve, reject));
            result.push({ file, name });
        }
        return result;
    }

    // ---- The slide list -------------------------------------------------------------------

    function drawThumb(thumb) {
        const canvas = document.createElement('canvas');
        canvas.width = thumb.width;
        canvas.height = thumb.height;
        const pixels = new ImageData(new Uint8ClampedArray(thumb.rgba.slice(0)), thumb.width,
            thumb.height);
        canvas.getContext('2d').putImageData(pixels, 0, 0);
        return canvas;
    }

    function describe(entry) {
        if (entry.status === 'bad') return entry.reason;
        if (entry.status === 'pending' && !entry.thumb) return 'converting…';
        const colours = entry.bits === 24 ? 'true colour' : entry.bits + '-bit';
        return entry.width + ' × ' + entry.height + ', ' + colours;
    }

    function button(text, label, action) {
        const b = document.createElement('button');
        b.type = 'button';
        b.textContent = text;
        b.setAttribute('aria-label', label);
        b.addEventListener('click', action);
        return b;
    }

    let dragged = null;
    // Set when the list changed during a drag: it is redrawn once the drag ends, since
    // replacing the dragged element would cancel the drag under the person's hand.
    let slidesStale = false;

    function slideItem(entry, index) {
        const count = state.slides.length;
        const li = document.createElement('li');
        li.className = 'slide' + (entry.status === 'bad' ? ' bad' : '');
        li.tabIndex = 0;
        li.draggable = true;
        li.dataset.id = entry.id;
        li.setAttribute('aria-label', (index + 1) + ' of ' + count + ': ' + entry.name +
            (entry.status === 'bad' ? ', a problem: ' + entry.reason : ''));
        const frame = document.createElement('div');
        frame.className = 'frame';
        if (entry.thumb) frame.appendChild(drawThumb(entry.thumb));
        else frame.textContent = entry.status === 'bad' ? 'no picture' : '…';
        const number = document.createElement('span');
        number.className = 'number';
        number.textContent = index + 1;
        const name = document.createElement('span');
        name.className = 'name';
        name.textContent = entry.name;
        const facts = document.createElement('span');
        facts.className = 'facts';
        facts.textContent = describe(entry);
        const tools = document.createElement('div');
        tools.className = 'tools';
        const earlier = button('◀', 'Move ' + entry.name + ' earlier', () => move(entry, -1));
        const later = button('▶', 'Move ' + entry.name + ' later', () => move(entry, 1));
        earlier.disabled = index === 0;
        later.disabled = index === count - 1;
        const remove = button('✕', 'Remove ' + entry.name, () => removeSlide(entry));
        remove.className = 'remove';
        tools.append(earlier, later, remove);
        li.append(frame, number, name, facts, tools);

        li.addEventListener('keydown', (event) => {
            if (event.target !== li) return;
            if (event.altKey && (event.key === 'ArrowLeft' || event.key === 'ArrowUp')) {
                event.preventDefault();
                move(entry, -1);
            } else if (event.altKey && (event.key === 'ArrowRight' || event.key === 'ArrowDown')) {
                event.preventDefault();
                move(entry, 1);
            } else if (event.key === 'Delete' || event.key === 'Backspace') {
                event.preventDefault();
                removeSlide(entry);
            }
        });
        li.addEventListener('dragstart', (event) => {
            dragged = entry;
            li.classList.add('dragging');
            event.dataTransfer.effectAllowed = 'move';
            event.dataTransfer.setData('text/plain', entry.name);
        });
        li.addEventListener('dragend', () => {
            dragged = null;
            li.classList.remove('dragging');
            clearMarks();
            if (slidesStale) render();
        });
        li.addEventListener('dragover', (event) => {
            if (!dragged) return;
            event.preventDefault();
            clearMarks();
            li.classList.add(dropsAfter(li, event) ? 'after' : 'before');
        });
        li.addEventListener('drop', (event) => {
            if (!dragged) return;
            event.preventDefault();
            event.stopPropagation();
            const from = state.slides.indexOf(dragged);
            const before = state.slides.indexOf(entry) + (dropsAfter(li, event) ? 1 : 0);
            moveTo(dragged, Order.dropIndex(from, before));
        });
        return li;
    }

    function dropsAfter(li, event) {
        const box = li.getBoundingClientRect();
        return event.clientX > box.left + box.width / 2;
    }

    function clearMarks() {
        document.querySelectorAll('.slide.before, .slide.after')
            .forEach((li) => li.classList.remove('before', 'after'));
    }

    function move(entry, step) {
        const from = state.slides.indexOf(entry);
        const to = from + step;
        if (to < 0 || to >= state.slides.length) return;
        moveTo(entry, to);
    }

    function moveTo(entry, to) {
        const from = state.slides.indexOf(entry);
        state.slides = Order.moveItem(state.slides, from, to);
        render();
        const li = $('slides').querySelector('[data-id="' + entry.id + '"]');
        if (li) li.focus();
        announce(entry.name + ' is now slide ' + (to + 1) + ' of ' + state.slides.length + '.');
        refresh();
    }

    function removeSlide(entry) {
        const index = state.slides.indexOf(entry);
        entry.version++;
        state.slides = Order.removeItem(state.slides, index);
        render();
        const items = $('slides').children;
        if (items.length) items[Math.min(index, items.length - 1)].focus();
        else $('pictures').focus();
        announce(entry.name + ' removed.');
        refresh();
    }

    function announce(text) {
        $('announce').textContent = text;
    }

    // ---- Logo and preview -----------------------------------------------------------------

    function pickSingle(role, file) {
        const entry = newEntry(file);
        state[role] = entry;
        convert(entry, role);
        render();
    }

    function renderPicked(role) {
        const box = $(role + '-picked');
        box.textContent = '';
        const entry = state[role];
        if (!entry) return;
        if (entry.thumb) box.appendChild(drawThumb(entry.thumb));
        const text = document.createElement('span');
        text.textContent = entry.name + ': ' + describe(entry);
        if (entry.status === 'bad') text.className = 'error';
        const label = role === 'logo' ? 'logo' : 'preview picture';
        box.append(text, button('Remove', 'Remove the ' + label, () => {
            entry.version++;
            state[role] = null;
            $(role).value = '';
            render();
            refresh();
        }));
    }

    // ---- Settings and checks --------------------------------------------------------------

    function saverName() {
        return $('name').value;
    }

    // The options text the engine reads: banner, launch key, web address.
    function optionsText() {
        const key = $('key').value.toUpperCase();
        const address = $('address').value;
        return ($('banner').checked ? 'D' : 'N') + key + (key ? address : '');
    }

    // The name and options checked by the installer's and engine's own rules.
    async function checkSettings() {
        if (!checks) return;
        const name = saverName(), options = optionsText();
        const answer = await checks.request('check', { name, options });
        if (answer.type !== 'checked' || name !== saverName() || options !== optionsText()) return;
        state.nameReason = name === '' ? '' : answer.nameReason;
        state.optionsReason = answer.optionsReason;
        if ($('address').value && !$('key').value)
            state.optionsReason = 'needs a launch key: the key opens the address';
        $('name').setAttribute('aria-invalid', state.nameReason ? 'true' : 'false');
        $('name-error').textContent = state.nameReason;
        $('address-error').textContent = state.optionsReason ? 'The web address ' +
            state.optionsReason.replace(/^holds an address /, 'is ') : '';
        $('file-name').textContent = (name || 'NAME') + '.exe';
        render();
    }

    function problems() {
        const list = [];
        const add = (entry, role) => {
            if (entry && entry.status === 'bad')
                list.push({ file: entry.name, reason: entry.reason, entry, role });
        };
        state.slides.forEach((e) => add(e, 'slide'));
        add(state.logo, 'logo');
        add(state.preview, 'preview');
        if (state.nameReason)
            list.push({ reason: 'the name "' + saverName() + '" is refused: ' + state.nameReason });
        if (state.optionsReason)
            list.push({ reason: 'the options text "' + optionsText() + '" ' + state.optionsReason });
        // The last assembly's own problems, less those already listed and, before a name is
        // typed, the empty name's.
        if (state.summary && state.summary.slides > 0) {
            const seen = new Set(list.map((p) => p.reason));
            for (const reason of state.summary.problems) {
                if (seen.has(reason) || (saverName() === '' && reason.startsWith('the name ""')))
                    continue;
                list.push({ reason });
            }
        }
        return list;
    }

    function renderProblems(extra) {
        const list = problems().concat(extra || []);
        const ul = $('problem-list');
        ul.textContent = '';
        for (const problem of list) {
            const li = document.createElement('li');
            if (problem.file) {
                const file = document.createElement('span');
                file.className = 'file';
                file.textContent = problem.file;
                li.append(file, ': ' + problem.reason + ' ');
                if (problem.role === 'slide')
                    li.append(button('Remove', 'Remove ' + problem.file, () => removeSlide(problem.entry)));
            } else {
                li.textContent = problem.reason;
            }
            ul.appendChild(li);
        }
        $('problems').hidden = list.length === 0;
        return list;
    }

    function bytesText(bytes) {
        return bytes.toLocaleString('en-US') + ' bytes';
    }

    function renderSummary() {
        const ready = state.slides.filter((e) => e.status === 'ready');
        $('slide-count').textContent = ready.length;
        const summary = state.summary;
        $('installer-size').textContent = summary && summary.slides ? bytesText(summary.size) : '–';
        $('memory').textContent = summary && summary.slides ? summary.memoryText : '–';
        const warnings = $('warnings');
        warnings.textContent = '';
        const lines = [];
        for (const entry of [...state.slides, state.logo, state.preview]) {
            if (entry && entry.status === 'ready')
                entry.warnings.forEach((w) => lines.push(entry.name + ': ' + w));
        }
        if (summary && summary.slides) lines.push(...summary.warnings);
        state.skipped.forEach((s) => lines.push('skipped ' + s.name + ': ' + s.reason));
        for (const line of lines) {
            const li = document.createElement('li');
            li.textContent = line;
            warnings.appendChild(li);
        }
    }

    function renderSlides() {
        slidesStale = false;
        const ol = $('slides');
        const focused = document.activeElement && document.activeElement.closest &&
            document.activeElement.closest('.slide');
        ol.textContent = '';
        state.slides.forEach((entry, index) => ol.appendChild(slideItem(entry, index)));
        $('empty').hidden = state.slides.length > 0;
        $('order-help').hidden = state.slides.length < 2;
        if (focused) {
            const again = ol.querySelector('[data-id="' + focused.dataset.id + '"]');
            if (again) again.focus();
        }
    }

    function render() {
        if (dragged) slidesStale = true;
        else renderSlides();
        renderPicked('logo');
        renderPicked('preview');
        renderProblems();
        renderSummary();
        document.dispatchEvent(new CustomEvent('glimmer-page', { detail: snapshot() }));
    }

    // What the saver preview plays and the installer's dialog shows: the ready pictures in slide
    // order, the logo, the preview picture, the options text and the name.
    function snapshot() {
        const ready = (entry) => (entry && entry.status === 'ready' ? entry.dib : null);
        const given = ready(state.preview);
        const collage = !given && state.summary ? state.summary.collage || null : null;
        return { slides: state.slides.filter((e) => e.status === 'ready').map((e) => e.dib),
            logo: ready(state.logo), preview: given || collage, collage: !!collage,
            options: optionsText(), name: saverName() };
    }
    window.GlimmerPage = { snapshot };

    // The request fields of an assembly of what is ready now.
    function assembly(keep) {
        const ready = (entry) => (entry && entry.status === 'ready' ? entry.dib : null);
        return { name: saverName(), options: optionsText(), preview: ready(state.preview),
            logo: ready(state.logo),
            slides: state.slides.filter((e) => e.status === 'ready').map((e) => e.dib),
            setup: assets.setup, engine: assets.engine, keep };
    }

    // Recomputes the summary (size, memory, warnings) a little after the last change; while
    // pictures are converting, once they are done.
    let refreshTimer = 0;
    let refreshing = 0;
    function refresh() {
        clearTimeout(refreshTimer);
        refreshTimer = setTimeout(async () => {
            if (!checks || state.batch.done < state.batch.total) return;
            const ticket = ++refreshing;
            const answer = await checks.request('assemble', assembly(false));
            if (ticket !== refreshing) return;
            state.summary = answer.type === 'assembled' ? answer : null;
            render();
        }, 150);
    }

    async function make() {
        const status = $('make-status');
        if (!checks) return;
        await checkSettings();
        const extra = [];
        if (saverName() === '') extra.push({ reason: 'the saver needs a name: type it under "Screen saver\'s name"' });
        if (state.slides.some((e) => e.status === 'pending'))
            extra.push({ reason: 'some pictures are still being converted' });
        if (renderProblems(extra).length) {
            status.textContent = 'No installer made: see the problems above.';
            $('problems').scrollIntoView({ block: 'nearest' });
            return;
        }
        status.textContent = 'Making the installer…';
        $('make').disabled = true;
        const answer = await checks.request('assemble', assembly(true));
        $('make').disabled = false;
        if (answer.type !== 'assembled') {
            renderProblems([{ reason: 'the installer could not be made: ' + (answer.reason || answer.type) }]);
            status.textContent = 'No installer made.';
            return;
        }
        state.summary = answer;
        render();
        if (answer.problems.length || !answer.installer) {
            renderProblems(answer.problems.map((reason) => ({ reason })));
            status.textContent = 'No installer made: see the problems above.';
            return;
        }
        const file = saverName() + '.exe';
        const link = document.createElement('a');
        link.href = URL.createObjectURL(new Blob([answer.installer],
            { type: 'application/octet-stream' }));
        link.download = file;
        document.body.appendChild(link);
        link.click();
        link.remove();
        setTimeout(() => URL.revokeObjectURL(link.href), 60000);
        status.textContent = file + ' is ready: ' + bytesText(answer.size) + '.';
    }

    // ---- Wiring ---------------------------------------------------------------------------

    function pump() {
        render();
        refresh();
    }

    $('pictures').addEventListener('change', (event) => {
        const files = [...event.target.files].map((file) => ({ file }));
        addSlides(Order.sortByName(files, (f) => f.file.name), false);
        event.target.value = '';
    });
    $('folder').addEventListener('change', (event) => {
        const files = Order.folderPickerFiles([...event.target.files]);
        addSlides(files.map((file) => ({ file, name: file.webkitRelativePath })), true);
        event.target.value = '';
    });
    $('logo').addEventListener('change', (event) => {
        if (event.target.files[0]) pickSingle('logo', event.target.files[0]);
    });
    $('preview').addEventListener('change', (event) => {
        if (event.target.files[0]) pickSingle('preview', event.target.files[0]);
    });
    $('cancel').addEventListener('click', cancel);
    $('make').addEventListener('click', make);
    // The launch key is a virtual-key code: a letter or a digit.
    $('key').addEventListener('input', () => {
        $('key').value = $('key').value.replace(/[^A-Za-z0-9]/g, '').toUpperCase();
    });
    for (const id of ['name', 'key', 'address', 'banner']) {
        $(id).addEventListener('input', () => {
            checkSettings();
            refresh();
        });
    }
    // A new colour depth or box converts every slide again.
    const reconvert = () => {
        const { boxWidth, boxHeight } = slideOptions();
        if (boxWidth < 1 || boxHeight < 1) return;
        state.slides.forEach((entry) => convert(entry, 'slide'));
        render();
    };
    document.querySelectorAll('input[name="bits"]').forEach((r) => r.addEventListener('change', reconvert));
    $('box-width').addEventListener('change', reconvert);
    $('box-height').addEventListener('change', reconvert);

    const zone = document.body;
    zone.addEventListener('dragover', (event) => {
        if (dragged || !event.dataTransfer.types.includes('Files')) return;
        event.preventDefault();
        $('drop').classList.add('over');
    });
    zone.addEventListener('dragleave', (event) => {
        if (event.target === zone || event.target === $('drop')) $('drop').classList.remove('over');
    });
    zone.addEventListener('drop', (event) => {
        if (dragged || !event.dataTransfer.types.includes('Files')) return;
        event.preventDefault();
        $('drop').classList.remove('over');
        dropped(event.dataTransfer.items);
    });

    load();
})();
