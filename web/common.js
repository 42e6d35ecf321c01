'use strict';
// What every view of the page shares: the element of an id, a few words, and what scry says slot
// settings and names can hold (asked once, when the page starts: the page never writes its own).

const $ = (id) => document.getElementById(id);
const pad3 = (n) => String(n).padStart(3, '0');
const clone = (value) => JSON.parse(JSON.stringify(value));
const same = (a, b) => JSON.stringify(a) === JSON.stringify(b);
const count = (n, one, many) => (n === 1 ? `1 ${one}` : `${n} ${many}`);

function say(text) { $('status').textContent = text; }

// Larger files than this are refused before they are read: the page's memory could not hold them.
const MostBytes = 512 * 1024 * 1024;

// What scry says slot settings can hold: {settings: [{key, word, tile, max}], colors, together,
// nameBytes, slots}, filled once when the page starts.
const Layout = {};
