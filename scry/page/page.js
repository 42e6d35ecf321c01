// scry's page: search and the printable gig sheet, embedded in every page it writes. The page
// shows everything without it; only these two need a script.
(function () {
    'use strict';
    var q = document.getElementById('q');
    var count = document.getElementById('count');
    var all = function (selector, root) {
        return [].slice.call((root || document).querySelectorAll(selector));
    };
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
        ['Slot', 'Name', 'Plays', 'Transpose', 'Volume'].forEach(function (title) {
            var th = document.createElement('th');
            th.textContent = title;
            head.appendChild(th);
        });
        var body = table.createTBody();
        tiles.forEach(function (tile) {
            var row = body.insertRow();
            [tile.querySelector('var').textContent, nameOf(tile), tile.querySelector('i').textContent,
                tile.dataset.transpose, tile.dataset.volume]
                .forEach(function (value) { row.insertCell().textContent = value; });
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
