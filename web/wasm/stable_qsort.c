/* qsort as glibc's merge sort, linked into the WebAssembly build in place of the C library's.
 *
 * libimagequant orders its palette with qsort by popularity, and its comparison never answers
 * "equal" (a tie counts as "greater"), so the order of colours of equal popularity, common in
 * small pictures, depends on which comparisons the sort makes. The native build runs glibc's
 * qsort (Debian 12, glibc 2.36): a top-down merge sort, left half n / 2, that takes the left
 * element when compare(left, right) <= 0. This makes the same comparisons in the same order;
 * emscripten's qsort (musl's smoothsort) gave other palettes. Without memory for the merge it
 * sorts by insertion (a different order for such comparisons, but no failure). */
#include <stdlib.h>
#include <string.h>

static void MergeRuns(char *base, char *tmp, size_t count, size_t size,
                      int (*compare)(const void *, const void *))
{
    if (count < 2)
        return;
    size_t half = count / 2;
    MergeRuns(base, tmp, half, size, compare);
    MergeRuns(base + half * size, tmp, count - half, size, compare);
    char *left = base, *leftEnd = base + half * size, *right = leftEnd;
    char *rightEnd = base + count * size, *out = tmp;
    while (left < leftEnd && right < rightEnd) {
        if (compare(left, right) <= 0) {
            memcpy(out, left, size);
            left += size;
        } else {
            memcpy(out, right, size);
            right += size;
        }
        out += size;
    }
    memcpy(out, left, (size_t)(leftEnd - left));
    out += leftEnd - left;
    memcpy(out, right, (size_t)(rightEnd - right));
    memcpy(base, tmp, count * size);
}

static void InsertionSort(char *base, size_t count, size_t size,
                          int (*compare)(const void *, const void *))
{
    char swap[256];
    for (size_t i = 1; i < count; i++) {
        for (size_t j = i; j > 0 && compare(base + j * size, base + (j - 1) * size) < 0; j--) {
            char *a = base + (j - 1) * size, *b = base + j * size;
            for (size_t done = 0; done < size; done += sizeof swap) {
                size_t n = size - done < sizeof swap ? size - done : sizeof swap;
                memcpy(swap, a + done, n);
                memcpy(a + done, b + done, n);
                memcpy(b + done, swap, n);
            }
        }
    }
}

void qsort(void *base, size_t count, size_t size, int (*compare)(const void *, const void *))
{
    if (count < 2 || size == 0)
        return;
    char *tmp = count <= (size_t)-1 / size ? malloc(count * size) : NULL;
    if (tmp) {
        MergeRuns(base, tmp, count, size, compare);
        free(tmp);
    } else {
        InsertionSort(base, count, size, compare);
    }
}
