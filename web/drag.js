'use strict';
// Dragging a slot by its handle: mouse, pen and touch alike (pointer events); the list scrolls
// while a slot is dragged towards the window's edge, so that it can go anywhere in the list.

(() => {
    let drag = null;   // {from, to, pointer, row, y} while a slot is dragged

    function dropIndex(y) {
        const rows = [...$('slots').children];
        for (const [j, row] of rows.entries()) {
            const box = row.getBoundingClientRect();
            if (y < box.top + box.height / 2)
                return j;
        }
        return rows.length;
    }

    function markDrop(to) {
        for (const row of $('slots').children)
            row.classList.remove('drop-before', 'drop-after');
        const rows = $('slots').children;
        if (to < 0)
            return;
        if (to < rows.length)
            rows[to].classList.add('drop-before');
        else if (rows.length)
            rows[rows.length - 1].classList.add('drop-after');
    }

    $('slots').addEventListener('pointerdown', (event) => {
        const handle = event.target.closest('.handle');
        if (!handle || event.button > 0)
            return;
        event.preventDefault();
        const row = handle.closest('li.slot');
        drag = { from: Number(row.dataset.slot), to: Number(row.dataset.slot), pointer: event.pointerId, row, y: event.clientY };
        row.classList.add('dragging');
        try {
            handle.setPointerCapture(event.pointerId);
        } catch { /* a pointer that cannot be captured still moves */ }
    });

    addEventListener('pointermove', (event) => {
        if (!drag || event.pointerId !== drag.pointer)
            return;
        event.preventDefault();
        const at = dropIndex(event.clientY);
        drag.to = at > drag.from ? at - 1 : at;
        markDrop(at);
        const edge = 48;
        if (event.clientY < edge && event.clientY < drag.y)
            scrollBy(0, -16);
        else if (event.clientY > innerHeight - edge && event.clientY > drag.y)
            scrollBy(0, 16);
        drag.y = event.clientY;
    });

    async function endDrag(event, drop) {
        if (!drag || event.pointerId !== drag.pointer)
            return;
        const { from, to, row } = drag;
        drag = null;
        row.classList.remove('dragging');
        markDrop(-1);
        if (drop && to !== from) {
            await edits.moveSlot(files.shown(), from, to);
            editor.focusSlot(to);
        }
    }
    addEventListener('pointerup', (event) => endDrag(event, true));
    addEventListener('pointercancel', (event) => endDrag(event, false));
})();
