'use strict';
// The stage view and the gig sheet of the set list shown, made by scry stage's and scry gig's code
// of the file the edits make (each edited slot marked), and a tab of its own to print them in.

const sheets = (() => {
    // "2025-11-02": the day the file was last changed, as the gig sheet's title block says it.
    function dayOf(milliseconds) {
        if (!milliseconds)
            return '';
        const day = new Date(milliseconds);
        return `${day.getFullYear()}-${String(day.getMonth() + 1).padStart(2, '0')}-${String(day.getDate()).padStart(2, '0')}`;
    }

    async function show(file, kind) {
        const lists = edits.forScry(file);
        let result;
        try {
            result = await scry.sheet({ id: file.at, setList: file.edit.current, kind, compact: $('sheet-compact').checked,
                                        changed: dayOf(file.modified), lists });
        } catch (error) {
            say(error.words || String(error));
            return;
        }
        file.sheet = { kind, page: result.page };
        views.choose('sheet');
        await views.draw();
        say(`The ${kind === 'gig' ? 'gig sheet' : 'stage view'} of set list ${pad3(file.edit.current)}` +
            (lists.length ? ', with the edits not yet downloaded marked' : ''));
    }

    // A page-turner pedal sends these keys: where the stage view is shown and the keys come to
    // this page rather than to the view's frame, they are handed on to it.
    const turns = { PageDown: 1, ArrowRight: 1, ArrowDown: 1, ' ': 1, PageUp: -1, ArrowLeft: -1, ArrowUp: -1 };
    document.addEventListener('keydown', (event) => {
        const file = files.shown();
        const turn = turns[event.key];
        if (turn === undefined || !file || !file.sheet || file.sheet.kind !== 'stage' || views.asked() !== 'sheet' ||
            event.altKey || event.ctrlKey || event.metaKey || event.target.closest('input, select, textarea') ||
            (event.key === ' ' && event.target.closest('button')))
            return;
        event.preventDefault();
        $('view').contentWindow.postMessage({ stage: event.key === ' ' && event.shiftKey ? -1 : turn }, '*');
    });

    $('sheet-compact').addEventListener('change', () => {
        const file = files.shown();
        if (file && file.sheet && file.sheet.kind === 'gig')
            show(file, 'gig');
    });

    // The button that opens a sheet in a tab of its own lies in a frame of its own with no origin
    // (sandboxed): the tab it opens holds the sheet's bytes as a page of that empty origin, with no
    // opener, so that nothing in it reaches this page or its storage. The sheet prints there as
    // scry gig's page prints.
    const TabFrame = `<!DOCTYPE html><meta charset="utf-8">
<style>:root{color-scheme:light dark;font-family:system-ui,sans-serif}body{margin:0}
button{font:inherit;min-height:44px;padding:0 1rem;border-radius:.5rem}</style>
<button type="button" data-action="sheet-tab">Open in a tab of its own, to print</button>
<script>
let page = '';
addEventListener('message', (event) => {
    if (event.source === parent && typeof event.data === 'string')
        page = event.data;
});
document.querySelector('button').addEventListener('click', () => {
    if (!page)
        return;
    const address = URL.createObjectURL(new Blob([page], { type: 'text/html' }));
    open(address, '_blank', 'noopener');
    setTimeout(() => URL.revokeObjectURL(address), 60000);
    parent.postMessage('sheet-tab-asked', '*');
});
</scr` + `ipt>`;
    let frameReady = false;
    let forTab = '';

    function handToTab(page) {
        forTab = page;
        if (frameReady)
            $('sheet-tab').contentWindow.postMessage(page, '*');
    }

    $('sheet-tab').addEventListener('load', () => {
        frameReady = true;
        handToTab(forTab);
    });
    $('sheet-tab').srcdoc = TabFrame;
    addEventListener('message', (event) => {
        if (event.source === $('sheet-tab').contentWindow && event.data === 'sheet-tab-asked')
            say('The sheet opens in a tab of its own (where no tab opened, allow this page to open one, or print the sheet shown)');
    });

    return {
        show,
        draw(file) {
            $('sheet-compact-field').hidden = file.sheet.kind !== 'gig';
            if ($('view').srcdoc !== file.sheet.page)
                $('view').srcdoc = file.sheet.page;
            handToTab(file.sheet.page);
        },
        back(file) {
            file.sheet = null;
            views.choose('edit');
            return views.draw(true);
        },
    };
})();
