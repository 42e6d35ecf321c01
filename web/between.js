'use strict';
// Between files: copy (a set list into a set list, programs and combinations by place, into the
// destination's banks) and follow, each planned first in scry's own lines, warnings and refusals,
// then made and downloaded as a new file.

const between = (() => {
    let planned = null;   // the last plan shown: {kind, asked (of the files' working versions), src, dest, made}
    let made = [];        // versions made for the plan shown (files with edits not yet in a version)

    // The version of a file as the page holds it: the version its edits are made on, or, where it
    // has set lists edited, a version made of them (let go with the plan).
    async function working(file) {
        if (!file.edit || edits.editedLists(file).length === 0)
            return file.at;
        const applied = await scry.apply({ id: file.at, lists: edits.forScry(file), compare: false });
        if (applied.state !== 'made')
            throw new ScryError({ kind: 'edits', words: `the edits of ${file.path} cannot be written yet: compare them to see why` });
        const version = await scry.adopt(applied.made);
        made.push(version.id);
        return version.id;
    }
    function letGo(keep) {
        for (const id of made)
            if (id !== keep)
                scry.close(id).catch(() => {});
        made = [];
    }

    function fileOptions(select, choices, chosen) {
        select.replaceChildren(...choices.map((file) => new Option(file.path, file.id)));
        select.value = chosen;
    }

    function drawChoices() {
        const src = files.byId($('carry-src').value);
        const dest = files.byId($('carry-dest').value);
        const lists = (file, none) => [new Option(none, ''),
            ...(file.setLists || []).map((list) => new Option(`${pad3(list.number)} ${list.name}`, list.number))];
        const refill = (select, options) => {
            const value = select.value;
            select.replaceChildren(...options);
            if ([...select.options].some((o) => o.value === value))
                select.value = value;
        };
        refill($('carry-setlist'), lists(src, 'none'));
        refill($('carry-setlist-to'), lists(dest, 'the same number'));
        refill($('carry-to'), [new Option('none chosen', ''),
            ...(dest.banks || []).map((bank) => new Option(`${bank.name} (${bank.kinds.join(' and ')})`, bank.name))]);
        showRoom(dest);
    }

    // The room each bank of the destination has, as the page holds it, before one is chosen:
    // empty places, places holding sounds stored elsewhere too, places songs play.
    async function showRoom(dest) {
        let rooms;
        try {
            rooms = (await scry.room(dest.at)).banks;
        } catch {
            return;
        }
        if (files.byId($('carry-dest').value) !== dest)
            return;
        for (const option of $('carry-to').options) {
            const words = rooms.filter((room) => room.name === option.value).map((room) => room.words);
            if (words.length)
                option.text = words.join('; ');
        }
    }

    function draw(file) {
        const readable = files.readable();
        const known = (select) => readable.some((f) => String(f.id) === select.value);
        const destId = known($('carry-dest')) ? $('carry-dest').value : file.id;
        const srcId = known($('carry-src')) ? $('carry-src').value : readable.find((f) => String(f.id) !== String(destId)).id;
        fileOptions($('carry-src'), readable, srcId);
        fileOptions($('carry-dest'), readable, destId);
        drawChoices();
    }

    const places = (text) => text.split(/[\s,;]+/).filter(Boolean);

    function copyAsked() {
        const from = $('carry-setlist').value;
        const to = $('carry-setlist-to').value;
        return {
            src: Number($('carry-src').value),
            dest: Number($('carry-dest').value),
            programs: places($('carry-programs').value),
            combis: places($('carry-combis').value),
            setLists: from === '' ? [] : [`${from}=${to === '' ? from : to}`],
            to: $('carry-to').value,
            force: $('carry-force').checked,
        };
    }

    const destOf = (plan) => plan.dest;

    // result: scry's plan, or {state: 'failed', message} where it could not plan; shown in a
    // performer's words (words), its refusals and warnings first.
    function drawPlan(result, kind) {
        const words = result.words || { lines: [], warnings: [], refusals: [] };
        $('carry-result').hidden = false;
        $('carry-errors').replaceChildren(...[...words.refusals, ...words.warnings].map((line) => {
            const item = document.createElement('li');
            item.textContent = line;
            return item;
        }));
        $('carry-plan').textContent = result.state === 'failed' ? result.message
            : result.state === 'refused' ? 'Nothing can be made as asked: see why above.' : words.lines.join('\n');
        const downloadable = result.state === 'planned' || result.state === 'made';
        for (const action of ['download-carry', 'carry'])
            $('carry-result').querySelector(`[data-action="${action}"]`).disabled = !downloadable;
        const dest = destOf(planned);
        const dot = dest.name.lastIndexOf('.');
        const suffix = kind === 'copy' ? '-copied' : '-followed';
        $('carry-name').value = dot > 0 ? `${dest.name.slice(0, dot)}${suffix}${dest.name.slice(dot)}` : `${dest.name}${suffix}.PCG`;
        say(downloadable ? `The plan of ${kind}: download to make the new file` : result.message || `${kind}: nothing can be made as asked`);
    }

    const failed = (error) => ({ state: 'failed', message: error.words || String(error) });

    async function plan(kind) {
        const asked = kind === 'copy' ? copyAsked() : { old: Number($('carry-src').value), new: Number($('carry-dest').value) };
        const [srcKey, destKey] = kind === 'copy' ? ['src', 'dest'] : ['old', 'new'];
        if (asked[srcKey] === asked[destKey]) {
            say('Choose two different files');
            return;
        }
        // Planned on each file as the page holds it, its edits and earlier copies and follows in it.
        letGo(null);
        const src = files.byId(asked[srcKey]);
        const dest = files.byId(asked[destKey]);
        let result;
        try {
            asked[srcKey] = await working(src);
            asked[destKey] = await working(dest);
            planned = { kind, asked, src, dest };
            result = await scry[kind]({ ...asked, make: false });
        } catch (error) {
            planned = { kind, asked, src, dest };
            result = failed(error);
        }
        drawPlan(result, kind);
    }

    // The plan shown made a step of the destination's edits: the new version of it, which its
    // next edits, compare and download go on from.
    async function take() {
        if (!planned)
            return;
        const { kind, asked, src, dest } = planned;
        if (!dest.edit) {
            say(`${dest.path} cannot be edited here: download the new file instead`);
            return;
        }
        const result = await scry[kind]({ ...asked, make: true, newName: dest.name }).catch(failed);
        if (result.state !== 'made') {
            drawPlan(result, kind);
            return;
        }
        const version = await scry.adopt(result.made).catch(failed);
        if (version.state === 'failed') {
            say(version.message);
            return;
        }
        letGo(null);
        planned = null;
        $('carry-result').hidden = true;
        edits.version(dest, version);
        say(`The ${kind === 'copy' ? `copy from ${src.path}` : `follow of ${src.path}`} is a step of ${dest.path}'s edits ` +
            '(Undo takes it back); compare or download them in its set lists. A copy or follow is kept by this page ' +
            'alone, not in this browser: download the file before you close the page.');
    }

    async function download() {
        if (!planned)
            return;
        const dest = destOf(planned);
        const { name, taken } = files.newFileName($('carry-name').value, `${dest.name}-new.PCG`);
        if (taken) {
            say(`The new file needs a name of its own: ${taken.name} is a file you opened`);
            $('carry-name').focus();
            return;
        }
        $('carry-name').value = name;
        const result = await scry[planned.kind]({ ...planned.asked, make: true, newName: name }).catch(failed);
        if (result.state !== 'made') {
            drawPlan(result, planned.kind);
            return;
        }
        if (await compare.deliver(result.made, name))
            say(`Downloaded ${name} (${result.size} bytes), checked; ${dest.name} is unchanged.`);
    }

    const changed = () => { $('carry-result').hidden = true; drawChoices(); };
    $('carry-src').addEventListener('change', changed);
    $('carry-dest').addEventListener('change', changed);

    // A step of either file since the plan was made leaves the plan behind: it is made again.
    edits.afterEachStep((file) => {
        if (planned && (planned.src === file || planned.dest === file)) {
            planned = null;
            letGo(null);
            $('carry-result').hidden = true;
        }
    });

    return { draw, plan, take, download };
})();
