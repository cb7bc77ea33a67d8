// The page in headless Chromium, served from 127.0.0.1: players play through an
// OfflineAudioContext at 8000 Hz, so the rendered samples are the decoded ones exactly and
// are compared with vxtool decode's; seeking (by keyboard on the slider), volume, the lamps,
// keyboard access and labels; a malformed file shows its error in its own player only.
// Usage: node browser_test.mjs SITE VXTOOL samples/vm-intro.wav
import assert from 'node:assert/strict';
import { cpSync, mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { after, before, test } from 'node:test';
import { samplesOf, vxtoolDecode, vxtoolEncode } from './fixtures.mjs';
import { Browser, serve } from './headless_chromium.mjs';

const [site, vxtool, samplePath] = process.argv.slice(2).map((p) => resolve(p));
const root = mkdtempSync(join(tmpdir(), 'vx-web-page-'));
cpSync(site, root, { recursive: true });
const files = join(root, 'test');
mkdirSync(files);

// The players of the page: the sample at full rate, a malformed file, the sample at half rate.
vxtoolEncode(vxtool, samplePath, join(files, 'full.vxs'));
vxtoolEncode(vxtool, samplePath, join(files, 'half.vxs'), ['--half']);
// A header length, then 30 bytes that are no header.
writeFileSync(join(files, 'bad.vxs'), Buffer.concat([Buffer.from([0, 30]), Buffer.alloc(30, 'X')]));
const fullPcm = samplesOf(vxtoolDecode(vxtool, join(files, 'full.vxs'), join(root, 'full.wav')));
let server, browser;
before(async () => {
  server = await serve(root);
  browser = await Browser.launch();
  await browser.navigate(`${server.url}index.html?src=test/full.vxs&src=test/bad.vxs&src=test/half.vxs`);
  // Every player has loaded or failed (bounded: the evaluation times out).
  await browser.evaluate(`(async () => {
    await customElements.whenDefined('vocrix-player');
    const players = [...document.querySelectorAll('vocrix-player')];
    for (let i = 0; i < 200 && !players.every((p) => p.pcm || p.error); ++i)
      await new Promise((r) => setTimeout(r, 25));
  })()`);
});
after(async () => {
  await browser?.close();
  server?.close();
  rmSync(root, { recursive: true, force: true });
});

// Renders `seconds` of player `index` from its current position at 8000 Hz; returns the
// samples as 16-bit values.
const render = (index, seconds) =>
  browser.evaluate(`(async () => {
    const player = document.querySelectorAll('vocrix-player')[${index}];
    const context = new OfflineAudioContext(1, Math.round(${seconds} * 8000), 8000);
    player.play({ context });
    const rendered = await context.startRendering();
    player.stop();
    return Array.from(rendered.getChannelData(0), (v) => Math.round(v * 32768));
  })()`);

const shadow = (index, selector, expression) =>
  browser.evaluate(`(() => {
    const element = document.querySelectorAll('vocrix-player')[${index}].shadowRoot.querySelector(${JSON.stringify(selector)});
    return ${expression};
  })()`);

test('a malformed file shows its error in its player; the others load and show their rate', async () => {
  const state = await browser.evaluate(`[...document.querySelectorAll('vocrix-player')].map((p) => ({
    error: p.error, status: p.shadowRoot.querySelector('.status').textContent,
    role: p.shadowRoot.querySelector('.status').getAttribute('role'),
    half: p.shadowRoot.querySelector('.lamp.half').classList.contains('lit'),
    full: p.shadowRoot.querySelector('.lamp.full').classList.contains('lit'),
    total: p.shadowRoot.querySelector('.time.total').textContent,
    playDisabled: p.shadowRoot.querySelector('.play').disabled }))`);
  assert.equal(state[1].error, 'Non Supported Header.');
  assert.equal(state[1].status, 'Error: Non Supported Header.');
  assert.equal(state[1].role, 'alert');
  assert.equal(state[1].playDisabled, true);
  assert.deepEqual(
    [state[0], state[2]].map(({ error, half, full, total, playDisabled }) => ({ error, half, full, total, playDisabled })),
    [
      { error: '', half: false, full: true, total: '  0:05', playDisabled: false },
      { error: '', half: true, full: false, total: '  0:05', playDisabled: false },
    ],
  );
  const colours = await shadow(0, '.display', `[getComputedStyle(element).backgroundColor,
    getComputedStyle(element.querySelector('.lamp.full')).color, getComputedStyle(element.querySelector('.lamp.half')).color,
    getComputedStyle(element.parentNode).backgroundColor]`);
  assert.deepEqual(colours, ['rgb(0, 0, 128)', 'rgb(0, 192, 192)', 'rgb(64, 64, 64)', 'rgb(192, 192, 192)']);
});

test('played through an OfflineAudioContext, the samples are the native decoder\'s', async () => {
  assert.deepEqual(await render(0, 1.0), Array.from(fullPcm.slice(0, 8000)));
  // After a seek to 2.5 s (frame 125) playback goes on from there.
  await browser.evaluate(`document.querySelectorAll('vocrix-player')[0].currentTime = 2.5`);
  assert.deepEqual(await render(0, 1.5), Array.from(fullPcm.slice(20000, 32000)));
});

test('the position slider seeks by keyboard, frame by frame', async () => {
  await shadow(0, '.position', 'element.focus()');
  await browser.press('End', 'End', 35);
  assert.equal(await browser.evaluate(`document.querySelectorAll('vocrix-player')[0].currentTime`), fullPcm.length / 8000);
  await browser.press('Home', 'Home', 36);
  for (let i = 0; i < 5; ++i) await browser.press('ArrowRight', 'ArrowRight', 39);
  assert.equal(await shadow(0, '.time.now', 'element.textContent'), '  0:00');
  assert.equal(await shadow(0, '.position', 'element.getAttribute("aria-valuetext")'), '0:00 of 0:05');
  assert.deepEqual(await render(0, 0.5), Array.from(fullPcm.slice(800, 4800))); // 5 frames in
});

test('the volume scales the samples', async () => {
  await browser.evaluate(`(() => { const p = document.querySelectorAll('vocrix-player')[0]; p.volume = 0.5; p.currentTime = 0; })()`);
  const rendered = await browser.evaluate(`(async () => {
    const player = document.querySelectorAll('vocrix-player')[0];
    const context = new OfflineAudioContext(1, 4000, 8000);
    player.play({ context });
    const out = await context.startRendering();
    player.stop();
    player.volume = 1;
    return Array.from(out.getChannelData(0), (v) => v * 65536);
  })()`);
  assert.deepEqual(rendered, Array.from(fullPcm.slice(0, 4000)));
});

test('every control is reached by Tab, labelled, and shows its focus; Space plays and stops', async () => {
  // One round of the tab order: from the file chooser to the end of the page.
  await browser.evaluate(`document.getElementById('files').focus()`);
  const reached = [];
  for (let i = 0; i < 40; ++i) {
    await browser.press('Tab', 'Tab', 9);
    const focused = await browser.evaluate(`(() => {
      let e = document.activeElement, player = -1;
      if (e?.localName === 'vocrix-player') { player = [...document.querySelectorAll('vocrix-player')].indexOf(e); e = e.shadowRoot.activeElement; }
      return { player, label: e?.getAttribute('aria-label') ?? e?.id, outline: e ? getComputedStyle(e).outlineStyle : '' };
    })()`);
    if (focused.player < 0 && ['', 'files'].includes(focused.label)) break;
    reached.push(focused);
  }
  assert.deepEqual(reached.filter((r) => r.player < 0).map((r) => r.label), ['half', 'fixed', 'right']);
  const first = reached.filter((r) => r.player === 0);
  assert.deepEqual(first.map((r) => r.label), ['Stop', 'Play', 'Volume', 'Position']);
  assert.ok(first.every((r) => r.outline !== 'none'), JSON.stringify(first));
  // The malformed file's player keeps only its volume in the tab order.
  assert.deepEqual(reached.filter((r) => r.player === 1).map((r) => r.label), ['Volume']);

  await shadow(2, '.play', 'element.focus()');
  await browser.press(' ', 'Space', 32);
  assert.deepEqual(await shadow(2, '.play', '[element.getAttribute("aria-pressed"), element.getAttribute("aria-label")]'), ['true', 'Pause']);
  assert.equal(await shadow(2, '.status', 'element.textContent'), 'Playing');
  await shadow(2, '.stop', 'element.focus()');
  await browser.press(' ', 'Space', 32);
  assert.deepEqual(await shadow(2, '.play', '[element.getAttribute("aria-pressed"), element.getAttribute("aria-label")]'), ['false', 'Play']);
  assert.equal(await browser.evaluate(`document.querySelectorAll('vocrix-player')[2].currentTime`), 0);
});

test('the page converts a dropped WAV file and plays the result', async () => {
  const expected = readFileSync(join(files, 'half.vxs'));
  // The sample WAV file itself, converted at half rate in the page: the bytes of vxtool encode --half.
  cpSync(samplePath, join(root, 'vm-intro.wav'));
  const converted = await browser.evaluate(`(async () => {
    document.getElementById('half').checked = true;
    const bytes = await (await fetch('${server.url}vm-intro.wav')).arrayBuffer();
    const player = await window.vocrixPage.take(new File([bytes], 'vm-intro.wav'));
    const link = player.parentNode.querySelector('a[download]');
    const vxs = new Uint8Array(await (await fetch(link.href)).arrayBuffer());
    for (let i = 0; i < 200 && !player.pcm && !player.error; ++i) await new Promise((r) => setTimeout(r, 25));
    return { name: link.download, bytes: Array.from(vxs), loaded: !!player.pcm };
  })()`);
  assert.equal(converted.name, 'vm-intro.vxs');
  assert.deepEqual(Buffer.from(converted.bytes), expected);
  assert.equal(converted.loaded, true);
  assert.deepEqual(browser.exceptions, []);
});
