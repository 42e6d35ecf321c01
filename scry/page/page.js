// scry's page: search, the printable gig sheet and the stage view, embedded in every page it
// writes. The page shows everything without it; only these need a script.
(function () {
    'use strict';
    var all = function (selector, root) {
        return [].slice.call((root || document).querySelectorAll(selector));
    };

    // ---- The stage view: one set list at a time, one used slot large, the next below it; next and
    // previous by swipe, arrow keys, space, page keys (a page-turner pedal) and thumb-sized buttons;
    // a list of set lists to jump to; the screen kept on while it is open, where the browser can.
    var stage = null;
    // What a tile plays, its place kept whole, copied into another element.
    var copyPlays = function (tile, into) {
        [].slice.call(tile.querySelector('i').childNodes).forEach(function (n) { into.appendChild(n.cloneNode(true)); });
        return into;
    };
    var Stage = function (root, sets, start, closable) {
        var set = 0, now = 0, lock = null;
        var bar = document.createElement('div');
        bar.className = 'stage-bar';
        var button = function (label, title, act) {
            var b = document.createElement('button');
            b.type = 'button';
            b.textContent = label;
            b.title = title;
            b.addEventListener('click', act);
            bar.appendChild(b);
            return b;
        };
        var prev = button('\u25C0 Previous', 'Previous slot (left arrow, page up)', function () { move(-1); });
        var where = document.createElement('output');
        bar.appendChild(where);
        var next = button('Next \u25B6', 'Next slot (right arrow, space, page down)', function () { move(1); });
        // Full screen, where the browser offers it (a frame that is not let have it does not).
        if (document.fullscreenEnabled)
            button('Full screen', 'Full screen, or back', function () {
                if (document.fullscreenElement)
                    document.exitFullscreen();
                else
                    document.documentElement.requestFullscreen().catch(function () {});
            });
        var awake = document.createElement('small');
        awake.className = 'stage-awake';
        var jump = document.createElement('select');
        jump.setAttribute('aria-label', 'Set list');
        sets.forEach(function (s, k) {
            var option = document.createElement('option');
            option.value = String(k);
            option.textContent = s.querySelector('h2').textContent;
            jump.appendChild(option);
        });
        jump.addEventListener('change', function () { show(Number(jump.value), 0); });
        bar.appendChild(jump);
        bar.appendChild(awake);
        if (closable)
            button('Close', 'Back to the page (Escape)', function () { close(); });
        root.insertBefore(bar, root.firstChild);
        root.classList.add('js-stage');
        document.body.classList.add('stage-on');
        var cards = function () { return all('.card', sets[set]); };
        var show = function (s, n) {
            set = s;
            var list = cards();
            now = Math.max(0, Math.min(n, list.length - 1));
            sets.forEach(function (other, k) { other.classList.toggle('on', k === set); });
            list.forEach(function (card, k) {
                card.classList.toggle('now', k === now);
                card.classList.toggle('next', k === now + 1);
                if (k === now)
                    card.setAttribute('data-current', '');
                else
                    card.removeAttribute('data-current');
            });
            jump.value = String(set);
            prev.disabled = now === 0;
            next.disabled = now >= list.length - 1;
            where.textContent = list.length ? (now + 1) + ' / ' + list.length : '';
        };
        var move = function (step) { show(set, now + step); };
        var onKey = function (e) {
            if (e.target === jump || e.altKey || e.ctrlKey || e.metaKey)
                return;
            var forward = { ArrowRight: 1, ArrowDown: 1, PageDown: 1, ' ': 1, ArrowLeft: -1, ArrowUp: -1, PageUp: -1 };
            if (e.key === 'Escape' && closable) {
                close();
            } else if (forward[e.key] !== undefined) {
                move(e.key === ' ' && e.shiftKey ? -1 : forward[e.key]);
            } else {
                return;
            }
            e.preventDefault();
        };
        var x0 = null;
        var onStart = function (e) { x0 = e.changedTouches[0].clientX; };
        var onEnd = function (e) {
            if (x0 === null)
                return;
            var dx = e.changedTouches[0].clientX - x0;
            x0 = null;
            if (Math.abs(dx) > 40)
                move(dx < 0 ? 1 : -1);
        };
        // The screen stays on while the view is open (Screen Wake Lock), asked again when the page
        // comes back into view; where the browser has no such thing, nothing is lost.
        // What the bar says of it is what the browser answered.
        var keepAwake = function () {
            if (!navigator.wakeLock) {
                awake.textContent = 'This browser cannot keep the screen on: set the device not to sleep';
                return;
            }
            if (document.visibilityState !== 'visible')
                return;
            navigator.wakeLock.request('screen').then(function (l) {
                lock = l;
                awake.textContent = 'The screen stays on';
                l.addEventListener('release', function () { if (stage && lock === l) awake.textContent = ''; });
            }, function () {
                awake.textContent = 'The screen may sleep: this browser did not let the page keep it on';
            });
        };
        // The page this view lies in (scry's page for browsers) hands on the pedal's keys it gets.
        var onMessage = function (e) {
            if (e.source === window.parent && e.source !== window && e.data && (e.data.stage === 1 || e.data.stage === -1))
                move(e.data.stage);
        };
        window.addEventListener('message', onMessage);
        var onVisible = function () { if (stage) keepAwake(); };
        document.addEventListener('keydown', onKey);
        root.addEventListener('touchstart', onStart, { passive: true });
        root.addEventListener('touchend', onEnd);
        document.addEventListener('visibilitychange', onVisible);
        keepAwake();
        var close = function () {
            document.removeEventListener('keydown', onKey);
            document.removeEventListener('visibilitychange', onVisible);
            window.removeEventListener('message', onMessage);
            if (lock)
                lock.release();
            root.remove();
            document.body.classList.remove('staging', 'stage-on');
            stage = null;
        };
        show(Math.max(0, start), 0);
        return { show: show, move: move, close: close };
    };
    var stageSets = all('.stage .stage-set');
    if (stageSets.length) {
        // The page of scry stage: its set lists are on it already.
        var start = stageSets.findIndex(function (s) { return s.hasAttribute('data-start'); });
        stage = Stage(document.querySelector('.stage'), stageSets, start, false);
        window.scryStage = stage;
    }
    // On a page of a file: the stage view of its set lists, made from their tiles.
    var openStage = function (id) {
        var root = document.createElement('div');
        root.className = 'stage stage-overlay';
        var sets = [];
        var first = 0;
        all('.setlist[data-n]').forEach(function (list) {
            var tiles = all('.t:not(.removed)', list);
            if (!tiles.length)
                return;
            if (list.id === id)
                first = sets.length;
            var section = document.createElement('section');
            section.className = 'stage-set';
            var h2 = document.createElement('h2');
            h2.textContent = list.querySelector('h3').firstChild.textContent.trim();
            section.appendChild(h2);
            var ol = document.createElement('ol');
            ol.className = 'cards';
            tiles.forEach(function (tile) {
                var li = document.createElement('li');
                li.className = 'card';
                var part = function (tag, text, cls) {
                    var e = document.createElement(tag);
                    e.textContent = text;
                    if (cls)
                        e.className = cls;
                    li.appendChild(e);
                };
                part('span', tile.querySelector('var').textContent, 'num');
                part('b', tile.querySelector('b').textContent);
                li.appendChild(copyPlays(tile, document.createElement('i')));
                part('small', 'transpose\u00a0' + tile.dataset.transpose + ' \u00b7 volume\u00a0' + tile.dataset.volume);
                ol.appendChild(li);
            });
            section.appendChild(ol);
            sets.push(section);
            root.appendChild(section);
        });
        document.body.appendChild(root);
        document.body.classList.add('staging');
        stage = Stage(root, sets, first, true);
        window.scryStage = stage;
    };
    all('button[data-stage]').forEach(function (button) {
        button.hidden = false;
        button.addEventListener('click', function () { openStage(button.getAttribute('data-stage')); });
    });

    var q = document.getElementById('q');
    if (!q)
        return;
    var count = document.getElementById('count');
    var named = all('.t,.grid li');
    var nameOf = function (element) {
        var b = element.querySelector('b');
        return b ? b.textContent : '';
    };
    // What a search looks in: a slot's name and what it plays ("Prog I-B084 Clean Trumpet"); a
    // record's name and its place as a slot names it ("Prog I-B084"), its part saying what plays it.
    var searchTextOf = function (element) {
        if (element.classList.contains('t'))
            return nameOf(element) + ' ' + (element.querySelector('i') || {}).textContent;
        var bank = element.closest('.bank');
        var part = element.closest('section.part');
        var plays = part ? part.getAttribute('data-plays') : null;
        var place = (bank ? bank.getAttribute('data-n') : '') + element.querySelector('var').textContent;
        return nameOf(element) + ' ' + (plays ? plays + ' ' : '') + place;
    };
    var texts = named.map(function (element) { return searchTextOf(element).toLowerCase(); });

    // Search: as you type, in slots and records, and in the names of set lists and banks.
    q.hidden = false;
    q.parentNode.hidden = false;
    q.addEventListener('input', function () {
        var text = q.value.trim().toLowerCase();
        var hits = 0;
        named.forEach(function (element, k) {
            var hit = !text || texts[k].indexOf(text) >= 0;
            element.classList.toggle('hide', !hit);
            if (hit && text)
                hits++;
        });
        all('.slots .pg,.slots .run').forEach(function (line) { line.classList.toggle('hide', !!text); });
        all('.setlist,.bank').forEach(function (group) {
            var own = (group.getAttribute('data-n') || '').toLowerCase();
            var ownHit = !!text && own.indexOf(text) >= 0;
            if (ownHit) {
                hits++;
                all('.hide', group).forEach(function (element) { element.classList.remove('hide'); });
            }
            var any = !text || ownHit || !!group.querySelector('.t:not(.hide),.grid li:not(.hide)');
            group.classList.toggle('hide', !any);
        });
        count.textContent = text ? hits + (hits === 1 ? ' match' : ' matches') : '';
    });

    all('button[data-print]').forEach(function (button) {
        button.hidden = false;
        button.addEventListener('click', function () { window.printSetList(button.getAttribute('data-print')); });
    });

    // The gig sheet: slot, name, what it plays, transpose and volume of every used slot, for print.
    // Each tile shows its slot number and what it plays, and carries the settings in data- attributes.
    window.printSetList = function (id) {
        var list = document.getElementById(id);
        var old = list.querySelector('.gig');
        if (old)
            old.remove();
        var tiles = all('.t:not(.removed)', list);
        var table = document.createElement('table');
        table.className = 'gig' + (tiles.length > 36 ? ' long' : '');
        var head = table.createTHead().insertRow();
        ['Slot', 'Name', 'Plays', 'Trans\u00ADpose', 'Volume'].forEach(function (title) {
            var th = document.createElement('th');
            th.textContent = title;
            head.appendChild(th);
        });
        var body = table.createTBody();
        tiles.forEach(function (tile) {
            var row = body.insertRow();
            [tile.querySelector('var').textContent, nameOf(tile), null, tile.dataset.transpose, tile.dataset.volume]
                .forEach(function (value) {
                    var cell = row.insertCell();
                    if (value === null)
                        copyPlays(tile, cell);   // its kind and place kept on one line
                    else
                        cell.textContent = value;
                });
        });
        list.appendChild(table);
        document.body.classList.add('printing');
        list.classList.add('print-target');
        list.parentNode.classList.add('printing-section');
        var done = function () {
            document.body.classList.remove('printing');
            list.classList.remove('print-target');
            list.parentNode.classList.remove('printing-section');
            window.removeEventListener('afterprint', done);
        };
        window.addEventListener('afterprint', done);
        window.print();
    };
})();
