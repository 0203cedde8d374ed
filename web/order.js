// The order of the pictures: the packing tool's name order for folders, and the moves a person
// makes on the list (drag, keyboard, remove). Pure functions over arrays, shared by the page and
// its unit tests.
(function (root) {
    'use strict';

    const encoder = new TextEncoder();
    const isDigit = (b) => b >= 0x30 && b <= 0x39;
    const lower = (b) => (b >= 0x41 && b <= 0x5a ? b + 0x20 : b);

    // Compares the digit runs starting at a[i] and b[j] by value. Returns [order, nextI, nextJ].
    function compareDigitRuns(a, i, b, j) {
        while (a[i] === 0x30 && i + 1 < a.length && isDigit(a[i + 1])) i++;
        while (b[j] === 0x30 && j + 1 < b.length && isDigit(b[j + 1])) j++;
        const startA = i, startB = j;
        while (i < a.length && isDigit(a[i])) i++;
        while (j < b.length && isDigit(b[j])) j++;
        const lengthA = i - startA, lengthB = j - startB;
        if (lengthA !== lengthB) return [lengthA < lengthB ? -1 : 1, i, j];
        for (let k = 0; k < lengthA; k++) {
            if (a[startA + k] !== b[startB + k]) return [a[startA + k] < b[startB + k] ? -1 : 1, i, j];
        }
        return [0, i, j];
    }

    function compareBytes(a, b) {
        const n = Math.min(a.length, b.length);
        for (let k = 0; k < n; k++) {
            if (a[k] !== b[k]) return a[k] < b[k] ? -1 : 1;
        }
        return a.length === b.length ? 0 : a.length < b.length ? -1 : 1;
    }

    // Name order as the command line sorts a folder: the UTF-8 bytes of the names compared with
    // ASCII letters regardless of case and runs of digits by value ("2" before "10"); names
    // equal under that rule fall back to byte order. Returns -1, 0 or 1.
    function compareNames(first, second) {
        const a = encoder.encode(first), b = encoder.encode(second);
        let i = 0, j = 0;
        while (i < a.length && j < b.length) {
            if (isDigit(a[i]) && isDigit(b[j])) {
                const [order, nextI, nextJ] = compareDigitRuns(a, i, b, j);
                if (order !== 0) return order;
                i = nextI;
                j = nextJ;
                continue;
            }
            const ca = lower(a[i]), cb = lower(b[j]);
            if (ca !== cb) return ca < cb ? -1 : 1;
            i++;
            j++;
        }
        if (i < a.length || j < b.length) return j < b.length ? -1 : 1;
        return compareBytes(a, b);
    }

    // A new array of items sorted by compareNames on nameOf(item).
    function sortByName(items, nameOf) {
        return items.slice().sort((x, y) => compareNames(nameOf(x), nameOf(y)));
    }

    // The files a folder picker gives that lie directly in the chosen folder (subfolders are not
    // searched, as on the command line), in name order. Each file has webkitRelativePath
    // "folder/name" (or "folder/sub/name" for deeper ones).
    function folderPickerFiles(files) {
        const direct = files.filter((f) => (f.webkitRelativePath || '').split('/').length === 2);
        return sortByName(direct, (f) => f.name);
    }

    // A new array with the item at index from moved to index to (both within the array).
    function moveItem(items, from, to) {
        const result = items.slice();
        if (from < 0 || from >= items.length || to < 0 || to >= items.length) return result;
        const [item] = result.splice(from, 1);
        result.splice(to, 0, item);
        return result;
    }

    // Where an item dragged from index from ends when dropped before the item at index before
    // (before = length: at the end).
    function dropIndex(from, before) {
        return before > from ? before - 1 : before;
    }

    // A new array without the item at index.
    function removeItem(items, index) {
        return items.filter((_, k) => k !== index);
    }

    const Order = { compareNames, sortByName, folderPickerFiles, moveItem, dropIndex, removeItem };
    if (typeof module === 'object' && module.exports) module.exports = Order;
    else root.GlimmerOrder = Order;
})(typeof globalThis !== 'undefined' ? globalThis : this);
