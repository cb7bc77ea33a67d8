// Headless Chromium driven over the DevTools protocol on a pipe (--remote-debugging-pipe:
// commands on file descriptor 3, answers and events on 4, each message ending in a NUL), and
// a static file server bound to 127.0.0.1 only. No network beyond the loopback address.
import { spawn } from 'node:child_process';
import { createReadStream, existsSync, mkdtempSync, rmSync, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { extname, join, normalize, sep } from 'node:path';

const kTypes = {
  '.html': 'text/html; charset=utf-8',
  '.mjs': 'text/javascript',
  '.js': 'text/javascript',
  '.wasm': 'application/wasm',
  '.vxs': 'audio/x-vocrix',
  '.wav': 'audio/wav',
};

// Serves the files under `root` on a free port of 127.0.0.1; resolves to { url, close }.
export function serve(root) {
  const server = createServer((request, response) => {
    const path = normalize(join(root, decodeURIComponent(new URL(request.url, 'http://x').pathname)));
    if (!path.startsWith(root + sep) || !existsSync(path) || !statSync(path).isFile()) {
      response.writeHead(404).end('not found');
      return;
    }
    response.writeHead(200, { 'content-type': kTypes[extname(path)] ?? 'application/octet-stream' });
    createReadStream(path).pipe(response);
  });
  return new Promise((resolve) =>
    server.listen(0, '127.0.0.1', () =>
      resolve({ url: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() }),
    ),
  );
}

export class Browser {
  // Starts Chromium and opens one page; every command fails after `timeoutMs`.
  static async launch({ timeoutMs = 30000 } = {}) {
    const profile = mkdtempSync(join(tmpdir(), 'vx-chromium-'));
    const child = spawn(
      'chromium',
      [
        '--headless=new',
        '--no-sandbox', // the tests run as root in CI
        '--disable-gpu',
        '--no-first-run',
        '--no-default-browser-check',
        '--disable-extensions',
        '--disable-background-networking',
        '--disable-component-update',
        '--disable-sync',
        '--mute-audio',
        '--autoplay-policy=no-user-gesture-required',
        '--window-size=800,1000',
        '--remote-debugging-pipe',
        `--user-data-dir=${profile}`,
        'about:blank',
      ],
      { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'] },
    );
    let stderr = '';
    child.stderr.on('data', (chunk) => (stderr = (stderr + chunk).slice(-4000)));
    const browser = new Browser(child, profile, timeoutMs, () => stderr);
    const { targetId } = await browser.send('Target.createTarget', { url: 'about:blank' });
    ({ sessionId: browser.session } = await browser.send('Target.attachToTarget', { targetId, flatten: true }));
    await browser.send('Page.enable');
    await browser.send('Runtime.enable');
    return browser;
  }

  constructor(child, profile, timeoutMs, stderr) {
    this.child = child;
    this.profile = profile;
    this.timeoutMs = timeoutMs;
    this.stderr = stderr;
    this.nextId = 1;
    this.pending = new Map();
    this.listeners = [];
    this.exceptions = [];
    let buffer = '';
    child.stdio[4].on('data', (chunk) => {
      buffer += chunk.toString();
      let end;
      while ((end = buffer.indexOf('\0')) >= 0) {
        this.dispatch(JSON.parse(buffer.slice(0, end)));
        buffer = buffer.slice(end + 1);
      }
    });
    child.on('exit', () => {
      for (const { reject } of this.pending.values()) reject(new Error(`chromium ended:\n${stderr()}`));
      this.pending.clear();
    });
  }

  dispatch(message) {
    if (message.id !== undefined) {
      const waiter = this.pending.get(message.id);
      this.pending.delete(message.id);
      if (!waiter) return;
      if (message.error) waiter.reject(new Error(`${waiter.method}: ${message.error.message}`));
      else waiter.resolve(message.result);
      return;
    }
    if (message.method === 'Runtime.exceptionThrown') this.exceptions.push(message.params.exceptionDetails);
    for (const listener of this.listeners) listener(message);
  }

  send(method, params = {}) {
    const id = this.nextId++;
    const message = { id, method, params };
    if (this.session && !method.startsWith('Target.')) message.sessionId = this.session;
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => {
        this.pending.delete(id);
        reject(new Error(`${method}: no answer in ${this.timeoutMs} ms`));
      }, this.timeoutMs);
      this.pending.set(id, {
        method,
        resolve: (value) => (clearTimeout(timer), resolve(value)),
        reject: (error) => (clearTimeout(timer), reject(error)),
      });
      this.child.stdio[3].write(JSON.stringify(message) + '\0');
    });
  }

  // Resolves on the first event of that name (bounded by the timeout).
  once(method) {
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => reject(new Error(`${method}: not seen in ${this.timeoutMs} ms`)), this.timeoutMs);
      const listener = (message) => {
        if (message.method !== method) return;
        this.listeners = this.listeners.filter((l) => l !== listener);
        clearTimeout(timer);
        resolve(message.params);
      };
      this.listeners.push(listener);
    });
  }

  async navigate(url) {
    const loaded = this.once('Page.loadEventFired');
    await this.send('Page.navigate', { url });
    await loaded;
  }

  // Evaluates an expression (awaiting a promise) in the page; returns its value as JSON.
  async evaluate(expression) {
    const { result, exceptionDetails } = await this.send('Runtime.evaluate', {
      expression,
      awaitPromise: true,
      returnByValue: true,
    });
    if (exceptionDetails) throw new Error(`in the page: ${exceptionDetails.exception?.description ?? exceptionDetails.text}`);
    return result.value;
  }

  // A key pressed and released, as the keyboard gives it (focus moves, controls react).
  async press(key, code = key, keyCode = 0) {
    for (const type of ['keyDown', 'keyUp'])
      await this.send('Input.dispatchKeyEvent', { type, key, code, windowsVirtualKeyCode: keyCode });
  }

  async screenshot() {
    const { data } = await this.send('Page.captureScreenshot', { format: 'png' });
    return Buffer.from(data, 'base64');
  }

  async close() {
    const exited = new Promise((resolve) => this.child.once('exit', resolve));
    this.send('Browser.close').catch(() => {});
    const timer = setTimeout(() => this.child.kill('SIGKILL'), 5000);
    await exited;
    clearTimeout(timer);
    rmSync(this.profile, { recursive: true, force: true });
  }
}
