// The page's picture order: the command line's name order and the moves on the list.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const Order = require('../../../web/order.js');

test('names sort as the command line sorts a folder', () => {
    const rows = [
        // [name, input, expected order]
        ['digit runs by value', ['IMG_10.jpg', 'IMG_2.jpg', 'IMG_1.jpg'], ['IMG_1.jpg', 'IMG_2.jpg', 'IMG_10.jpg']],
        ['letters regardless of case', ['b.png', 'A.png', 'a2.png', 'C.png'], ['A.png', 'a2.png', 'b.png', 'C.png']],
        ['leading zeros: value, then bytes', ['x010', 'x10', 'x9', 'x0010'], ['x9', 'x0010', 'x010', 'x10']],
        ['case ties fall back to bytes', ['img.JPG', 'img.jpg', 'IMG.jpg'], ['IMG.jpg', 'img.JPG', 'img.jpg']],
        ['a prefix comes first', ['ab', 'a', 'abc'], ['a', 'ab', 'abc']],
        // Letters are compared lowered: "z" (0x7a) comes after "_" (0x5f), "A" (0x41) before.
        ['punctuation against lowered letters', ['a_b', 'a1', 'aZ', 'a.', 'aA'], ['a.', 'a1', 'a_b', 'aA', 'aZ']],
        ['long runs beyond 2^53', ['n99999999999999999999', 'n100000000000000000000'], ['n99999999999999999999', 'n100000000000000000000']],
        ['non-ASCII by UTF-8 bytes, not folded', ['Ä.jpg', 'z.jpg', 'ä.jpg', 'a.jpg'], ['a.jpg', 'z.jpg', 'Ä.jpg', 'ä.jpg']],
    ];
    for (const [name, input, expected] of rows) {
        assert.deepStrictEqual(Order.sortByName(input, (s) => s), expected, name);
    }
});

test('the order is a total order: antisymmetric and zero only for equal names', () => {
    const names = ['a', 'A', 'a01', 'a1', 'a001b', 'a1b', 'B2', 'b02', 'b10', '', '0', '00'];
    for (const x of names) {
        for (const y of names) {
            const xy = Order.compareNames(x, y), yx = Order.compareNames(y, x);
            assert.strictEqual(xy + yx, 0, x + ' vs ' + y);
            assert.strictEqual(xy === 0, x === y, x + ' vs ' + y);
        }
    }
});

test('a folder picker gives only the files directly in the folder, in name order', () => {
    const files = ['trip/IMG_10.jpg', 'trip/sub/IMG_1.jpg', 'trip/IMG_9.jpg', 'trip/a.png']
        .map((p) => ({ webkitRelativePath: p, name: p.split('/').pop() }));
    assert.deepStrictEqual(Order.folderPickerFiles(files).map((f) => f.webkitRelativePath),
        ['trip/a.png', 'trip/IMG_9.jpg', 'trip/IMG_10.jpg']);
});

test('moves keep every item once and put the moved one where asked', () => {
    const items = ['a', 'b', 'c', 'd'];
    const rows = [
        [0, 2, ['b', 'c', 'a', 'd']],
        [3, 0, ['d', 'a', 'b', 'c']],
        [1, 1, ['a', 'b', 'c', 'd']],
        [2, 9, ['a', 'b', 'c', 'd']], // out of range: unchanged
    ];
    for (const [from, to, expected] of rows)
        assert.deepStrictEqual(Order.moveItem(items, from, to), expected, from + '->' + to);
    assert.deepStrictEqual(items, ['a', 'b', 'c', 'd'], 'the input is left alone');
    assert.deepStrictEqual(Order.removeItem(items, 1), ['a', 'c', 'd']);
});

test('dropping before an item lands the dragged one just there', () => {
    const items = ['a', 'b', 'c', 'd'];
    // [dragged index, index of the item it is dropped before (4: the end), expected]
    const rows = [[0, 2, ['b', 'a', 'c', 'd']], [0, 4, ['b', 'c', 'd', 'a']],
        [3, 0, ['d', 'a', 'b', 'c']], [2, 2, ['a', 'b', 'c', 'd']], [2, 3, ['a', 'b', 'c', 'd']]];
    for (const [from, before, expected] of rows)
        assert.deepStrictEqual(Order.moveItem(items, from, Order.dropIndex(from, before)), expected,
            from + ' before ' + before);
});
