// WebKitGTK's MiniBrowser driven through WebDriver (WebKitWebDriver under xvfb-run), behind the
// part of puppeteer's browser and page that the page's tests use, so that one test drives all
// three engines. Each page is a window of one WebDriver session (they share the browser's
// storage, as tabs do).
//
// What WebDriver cannot do is said, not faked: it sees no request and no dialog as it happens,
// so the page's resource timings are read instead (every address the page fetched), a dialog
// is the page's own alert, confirm or prompt called (answered as dismissed), and a script error
// is caught by a listener put in each page as it is first asked something after it loads. A download never reaches the disk: the bytes
// the page hands to the browser (the Blob behind the link it clicks) are read from the page and
// written into the downloads folder under the name the page gave, for the test to compare.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import path from 'node:path';

const ELEMENT = 'element-6066-11e4-a52e-4f735466cecf';
const KEYS = {
    Enter: '\uE007', Escape: '\uE00C', Tab: '\uE004', Backspace: '\uE003', Space: ' ', PageUp: '\uE00E',
    PageDown: '\uE00F', ArrowLeft: '\uE012', ArrowUp: '\uE013', ArrowRight: '\uE014', ArrowDown: '\uE015',
    Shift: '\uE008', Control: '\uE009', Alt: '\uE00A', Meta: '\uE03D',
};
const keyOf = (name) => KEYS[name] ?? (/^Key[A-Z]$/.test(name) ? name.slice(3).toLowerCase() : name);

// The MiniBrowser that the WebKitGTK library installs in its library folder, if any.
export function miniBrowser() {
    for (const dir of ['/usr/lib/x86_64-linux-gnu', '/usr/lib/aarch64-linux-gnu', '/usr/lib'])
        for (const api of ['webkit2gtk-4.1', 'webkit2gtk-4.0', 'webkitgtk-6.0']) {
            const binary = path.join(dir, api, 'MiniBrowser');
            if (fs.existsSync(binary))
                return binary;
        }
    return null;
}

export function webDriverMissing() {
    const found = (name) => process.env.PATH.split(':').some((dir) => fs.existsSync(path.join(dir, name)));
    if (!found('WebKitWebDriver'))
        return 'WebKitWebDriver is not installed (Debian package webkit2gtk-driver)';
    if (!found('xvfb-run'))
        return 'xvfb-run is not installed (Debian package xvfb)';
    if (!miniBrowser())
        return "WebKitGTK's MiniBrowser is not installed (Debian package libwebkit2gtk-4.1-0)";
    return null;
}

const freePort = () => new Promise((resolve, reject) => {
    const server = net.createServer();
    server.listen(0, '127.0.0.1', () => { const { port } = server.address(); server.close(() => resolve(port)); });
    server.on('error', reject);
});
const pause = (ms) => new Promise((r) => setTimeout(r, ms));

class WebDriverError extends Error {}

// Installed in a page the first time it is asked something after loading: its script errors,
// the downloads it hands to the browser, and how many of its resource timings were already read.
const INSTALL = `if (!window.__wd) {
  window.__wd = { errors: [], downloads: [], dialogs: [], seen: 0 };
  for (const type of ['alert', 'confirm', 'prompt'])
    window[type] = (message) => { window.__wd.dialogs.push({ type, message: String(message) }); return type === 'prompt' ? null : false; };
  addEventListener('error', (e) => window.__wd.errors.push(String(e.message)));
  addEventListener('unhandledrejection', (e) => window.__wd.errors.push(String(e.reason && e.reason.message || e.reason)));
  const blobs = new Map();
  const made = URL.createObjectURL;
  URL.createObjectURL = (blob) => { const url = made.call(URL, blob); blobs.set(url, blob); return url; };
  const click = HTMLAnchorElement.prototype.click;
  HTMLAnchorElement.prototype.click = function () {
    if (this.download && blobs.has(this.href)) {
      const name = this.download;
      const taken = blobs.get(this.href).arrayBuffer().then((bytes) => {
        let text = ''; const view = new Uint8Array(bytes);
        for (let i = 0; i < view.length; i += 0x8000) text += String.fromCharCode.apply(null, view.subarray(i, i + 0x8000));
        return { name, base64: btoa(text) };
      });
      window.__wd.downloads.push(taken);
      return undefined;
    }
    return click.call(this);
  };
}`;

// A script that runs fn with its arguments in the page and answers its value (awaited), what the
// page did meanwhile, or the error it threw.
const wrapped = (fn) => `${INSTALL}
const done = arguments[arguments.length - 1];
const report = (answer) => {
  answer.errors = window.__wd.errors.splice(0);
  answer.dialogs = window.__wd.dialogs.splice(0);
  const entries = performance.getEntriesByType('resource');
  answer.fetched = entries.slice(window.__wd.seen).map((e) => e.name);
  window.__wd.seen = entries.length;
  done(answer);
};
Promise.resolve().then(() => (${fn}).apply(null, Array.prototype.slice.call(arguments, 0, -1)))
  .then((value) => report({ value: value === undefined ? null : value }),
        (error) => report({ error: String(error && error.message || error) }));`;

class Driver {
    constructor(port, process) { this.port = port; this.process = process; }
    async ask(method, where, body) {
        if (process.env.SCRY_WEBDRIVER_LOG)
            console.log(`# ${method} ${where} ${JSON.stringify(body ?? '').slice(0, 120)}`);
        const response = await fetch(`http://127.0.0.1:${this.port}${where}`, {
            method, headers: { 'content-type': 'application/json' },
            body: body === undefined ? undefined : JSON.stringify(body),
            signal: AbortSignal.timeout(60000),
        });
        const answer = await response.json();
        if (answer.value && answer.value.error)
            throw new WebDriverError(`${answer.value.error}: ${answer.value.message}`);
        return answer.value;
    }
}

class ElementHandle {
    constructor(context, id) { this.context = context; this.id = id; }
    get ref() { return { [ELEMENT]: this.id }; }
    async uploadFile(...files) {
        await this.context.enter();
        await this.context.page.session(`/element/${this.id}/value`, { text: files.map((f) => path.resolve(f)).join('\n') });
    }
    async click() { await this.context.enter(); await this.context.page.session(`/element/${this.id}/click`, {}); }
    async type(text) { await this.context.enter(); await this.context.page.session(`/element/${this.id}/value`, { text }); }
    $eval(selector, fn, ...args) { return this.context.$evalWithin(this, selector, fn, ...args); }
    async contentFrame() { return new Frame(this.context.page, this); }
    async screenshot({ path: file }) {
        await this.context.enter();
        const png = await this.context.page.driver.ask('GET', `/session/${this.context.page.sessionId}/element/${this.id}/screenshot`);
        fs.writeFileSync(file, Buffer.from(png, 'base64'));
    }
}

// The calls a page and a frame share; a context enters its window and frame before each.
class Context {
    async $(selector) {
        await this.enter();
        try {
            const found = await this.page.session('/element', { using: 'css selector', value: selector });
            return new ElementHandle(this, found[ELEMENT]);
        } catch (error) {
            if (/no such element/.test(error.message))
                return null;
            throw error;
        }
    }
    async $$(selector) {
        await this.enter();
        const found = await this.page.session('/elements', { using: 'css selector', value: selector });
        return found.map((f) => new ElementHandle(this, f[ELEMENT]));
    }
    // fn's arguments: the element or elements selected where a selector is given, then args.
    async evaluate(fn, ...args) {
        await this.enter();
        const given = args.map((a) => (a instanceof ElementHandle ? a.ref : a));
        const answer = await this.page.session('/execute/async', { script: wrapped(String(fn)), args: given });
        this.page.noticed(answer);
        if (answer.error !== undefined)
            throw new Error(answer.error);
        return answer.value;
    }
    $eval(selector, fn, ...args) {
        return this.evaluate(`(selector, ...args) => {
            const el = document.querySelector(selector);
            if (!el) throw new Error('no element ' + selector);
            return (${String(fn)})(el, ...args); }`, selector, ...args);
    }
    // $eval under the element root.
    $evalWithin(root, selector, fn, ...args) {
        return this.evaluate(`(root, selector, ...args) => {
            const el = root.querySelector(selector);
            if (!el) throw new Error('no element ' + selector);
            return (${String(fn)})(el, ...args); }`, root, selector, ...args);
    }
    $$eval(selector, fn, ...args) {
        return this.evaluate(`(selector, ...args) => (${String(fn)})([...document.querySelectorAll(selector)], ...args)`,
                             selector, ...args);
    }
    async waitForFunction(fn, options = {}, ...args) {
        const until = Date.now() + (options.timeout ?? 30000);
        for (;;) {
            const value = await this.evaluate(fn, ...args);
            if (value)
                return value;
            if (Date.now() > until)
                throw new Error(`waiting for ${String(fn).slice(0, 80)} timed out`);
            await pause(100);
        }
    }
    async waitForSelector(selector, options = {}) {
        await this.waitForFunction((s, visible, hidden) => {
            const el = document.querySelector(s);
            const shown = !!el && el.getClientRects().length > 0 && getComputedStyle(el).visibility !== 'hidden';
            return hidden ? !shown : visible ? shown : !!el;
        }, { timeout: options.timeout }, selector, !!options.visible, !!options.hidden);
        return options.hidden ? null : this.$(selector);
    }
    async click(selector) {
        const element = await this.$(selector);
        if (!element)
            throw new Error(`no element ${selector}`);
        await element.click();
    }
    focus(selector) { return this.$eval(selector, (el) => el.focus()); }
    async type(selector, text) { await (await this.$(selector)).type(text); }
    select(selector, ...values) {
        return this.$eval(selector, (el, chosen) => {
            for (const option of el.options) option.selected = chosen.includes(option.value);
            el.dispatchEvent(new Event('input', { bubbles: true }));
            el.dispatchEvent(new Event('change', { bubbles: true }));
            return chosen;
        }, values);
    }
}

class Frame extends Context {
    constructor(page, element) { super(); this.page = page; this.element = element; }
    async enter() {
        await this.page.enter();
        await this.page.session('/frame', { id: this.element.ref });
        this.page.inFrame = true;
    }
}

class Page extends Context {
    constructor(browser, handle) {
        super();
        this.page = this;
        this.browser = browser;
        this.driver = browser.driver;
        this.sessionId = browser.sessionId;
        this.handle = handle;
        this.listeners = { pageerror: [], request: [], dialog: [] };
        this.inFrame = false;
        this.pointer = { x: 0, y: 0 };
    }
    session(where, body) { return this.driver.ask(body === undefined ? 'GET' : 'POST', `/session/${this.sessionId}${where}`, body); }
    async enter() {
        if (this.browser.current !== this.handle) {
            await this.session('/window', { handle: this.handle });
            this.browser.current = this.handle;
            this.inFrame = true;
        }
        if (this.inFrame) {
            await this.session('/frame', { id: null });
            this.inFrame = false;
        }
    }
    on(event, listener) { (this.listeners[event] ??= []).push(listener); return this; }
    noticed(answer) {
        for (const message of answer.errors ?? [])
            for (const listener of this.listeners.pageerror) listener(new Error(message));
        for (const url of answer.fetched ?? [])
            for (const listener of this.listeners.request) listener({ url: () => url });
        for (const { type, message } of answer.dialogs ?? [])
            for (const listener of this.listeners.dialog)
                listener({ type: () => type, message: () => message, accept: async () => {}, dismiss: async () => {} });
    }
    mainFrame() { return this; }
    frames() { return this.framesFound ?? [this]; }
    // The frames of the page as it now is (puppeteer's frames() answers at once; here it is asked).
    async findFrames() {
        this.framesFound = [this, ...(await this.$$('iframe')).map((element) => new Frame(this, element))];
        return this.framesFound;
    }
    async goto(url) { await this.enter(); await this.session('/url', { url }); }
    async reload() { await this.enter(); await this.session('/refresh', {}); }
    async setViewport({ width, height }) {
        await this.enter();
        const rect = await this.session('/window/rect', { width, height });
        const inner = await this.evaluate(() => [innerWidth, innerHeight]);
        // The window's frame takes some of it: grow the window by the difference once.
        if (inner[0] !== width || inner[1] !== height)
            await this.session('/window/rect', { width: rect.width + width - inner[0], height: rect.height + height - inner[1] });
        this.viewport = await this.evaluate(() => ({ width: innerWidth, height: innerHeight }));
        if (this.viewport.width !== width || this.viewport.height !== height)
            console.log(`# webkitgtk: asked for ${width} by ${height}, the window's page is ${this.viewport.width} by ${this.viewport.height}`);
    }
    async actions(type, actions, parameters) {
        await this.enter();
        await this.session('/actions', { actions: [{ type, id: type === 'key' ? 'keys' : parameters.pointerType, parameters, actions }] });
    }
    get keyboard() {
        const down = (name) => ({ type: 'keyDown', value: keyOf(name) });
        const up = (name) => ({ type: 'keyUp', value: keyOf(name) });
        return {
            down: (name) => this.actions('key', [down(name)]),
            up: (name) => this.actions('key', [up(name)]),
            press: (name) => this.actions('key', [down(name), up(name)]),
            type: (text) => this.actions('key', [...text].flatMap((c) => [down(c), up(c)])),
        };
    }
    pointerMoves(to, steps) {
        const from = this.pointer;
        const moves = [];
        for (let k = 1; k <= steps; ++k)
            moves.push({ type: 'pointerMove', duration: 16, origin: 'viewport',
                         x: Math.round(from.x + (to.x - from.x) * k / steps), y: Math.round(from.y + (to.y - from.y) * k / steps) });
        this.pointer = to;
        return moves;
    }
    get mouse() {
        const mouse = (actions) => this.actions('pointer', actions, { pointerType: 'mouse' });
        return {
            move: (x, y, options = {}) => mouse(this.pointerMoves({ x, y }, options.steps ?? 1)),
            down: () => mouse([{ type: 'pointerDown', button: 0 }]),
            up: () => mouse([{ type: 'pointerUp', button: 0 }]),
        };
    }
    // WebDriver's touch actions never come back from WebKitGTK here, so a touch is the pointer
    // events a touch screen sends, dispatched in the page where the finger is.
    get touchscreen() {
        const touch = (type, x, y) => this.evaluate((type, x, y) => {
            const target = document.elementFromPoint(x, y) ?? document.body;
            target.dispatchEvent(new PointerEvent(type, { bubbles: true, cancelable: true, composed: true, pointerId: 2,
                                                          pointerType: 'touch', isPrimary: true, clientX: x, clientY: y,
                                                          buttons: type === 'pointerup' ? 0 : 1 }));
        }, type, x, y);
        return {
            touchStart: async (x, y) => { this.pointer = { x, y }; await touch('pointerdown', x, y); },
            touchMove: async (x, y) => {
                for (const move of this.pointerMoves({ x, y }, 4))
                    await touch('pointermove', move.x, move.y);
            },
            touchEnd: () => touch('pointerup', this.pointer.x, this.pointer.y),
        };
    }
    async screenshot({ path: file }) {
        await this.enter();
        fs.writeFileSync(file, Buffer.from(await this.session('/screenshot'), 'base64'));
    }
    pdf() { throw new Error('WebDriver here cannot print a page to PDF'); }
    // The files this page handed to the browser as downloads since last asked, written into dir.
    async saveDownloads(dir) {
        const taken = await this.evaluate(async () => {
            const all = await Promise.all(window.__wd.downloads.splice(0));
            return all;
        });
        for (const { name, base64 } of taken)
            fs.writeFileSync(path.join(dir, path.basename(name)), Buffer.from(base64, 'base64'));
    }
    async close() {
        await this.enter();
        await this.driver.ask('DELETE', `/session/${this.sessionId}/window`);
        this.browser.pages = this.browser.pages.filter((p) => p !== this);
        await this.driver.ask('POST', `/session/${this.sessionId}/window`, { handle: this.browser.keeper });
        this.browser.current = this.browser.keeper;
    }
}

class Browser {
    constructor(driver, sessionId, downloads) {
        this.driver = driver;
        this.sessionId = sessionId;
        this.downloads = downloads;
        this.pages = [];
        this.current = null;
    }
    // A new window (a tab behind another would be hidden, and its page never shown); the
    // session's first window stays open, blank, so that closing every page leaves the session
    // (and the storage its pages share) alive.
    async newPage() {
        const { handle } = await this.driver.ask('POST', `/session/${this.sessionId}/window/new`, { type: 'window' });
        const page = new Page(this, handle);
        this.pages.push(page);
        return page;
    }
    async close() {
        await this.driver.ask('DELETE', `/session/${this.sessionId}`).catch(() => {});
        try { process.kill(-this.driver.process.pid, 'SIGTERM'); } catch { /* gone already */ }
    }
}

const launched = new Set();

// MiniBrowser started by WebKitWebDriver on a display of its own.
export async function launchWebKit(downloads) {
    const port = await freePort();
    const child = spawn('xvfb-run', ['-a', '-s', '-screen 0 1920x1200x24', 'WebKitWebDriver', `--port=${port}`],
                        { detached: true, stdio: 'ignore' });
    const driver = new Driver(port, child);
    let session;
    for (let tries = 0; !session; ++tries) {
        try {
            session = await driver.ask('POST', '/session', { capabilities: { alwaysMatch: {
                browserName: 'MiniBrowser', unhandledPromptBehavior: 'dismiss',
                'webkitgtk:browserOptions': { binary: miniBrowser(), args: ['--automation'] } } } });
        } catch (error) {
            if (tries > 100) {
                try { process.kill(-child.pid, 'SIGTERM'); } catch { /* gone */ }
                throw error;
            }
            await pause(100);
        }
    }
    const browser = new Browser(driver, session.sessionId, downloads);
    browser.keeper = await driver.ask('GET', `/session/${session.sessionId}/window`);
    browser.version = session.capabilities.browserVersion;
    launched.add(browser);
    return browser;
}

// Each download handed to a browser saving into dir, now written there.
export async function collectDownloads(dir) {
    for (const browser of launched)
        if (browser.downloads === dir)
            for (const page of browser.pages)
                await page.saveDownloads(dir).catch((error) => console.log(`# webkitgtk: downloads not read: ${error.message}`));
}

// The driver, its display and its browser go with this process, however it ends.
for (const signal of ['SIGINT', 'SIGTERM', 'SIGHUP'])
    process.on(signal, () => process.exit(1));
process.on('exit', () => {
    for (const browser of launched)
        try { process.kill(-browser.driver.process.pid, 'SIGTERM'); } catch { /* gone already */ }
});
