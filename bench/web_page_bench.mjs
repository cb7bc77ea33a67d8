// The web player's figures in headless Chromium: decoding and encoding speed inside the page
// (seconds of speech per second, best of five runs over the bundled sample forty times over,
// about 226 s), and optionally a screenshot of the page with players in it.
// Usage: node bench/web_page_bench.mjs SITE VXTOOL samples/vm-intro.wav [SCREENSHOT.png]
import { cpSync, mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { samplesOf, vxtoolEncode, wave } from '../web/tests/fixtures.mjs';
import { Browser, serve } from '../web/tests/headless_chromium.mjs';

const [site, vxtool, samplePath, screenshot] = process.argv.slice(2).map((p) => resolve(p));
if (!samplePath) {
  console.error('usage: node bench/web_page_bench.mjs SITE VXTOOL samples/vm-intro.wav [SCREENSHOT.png]');
  process.exit(1);
}
const root = mkdtempSync(join(tmpdir(), 'vx-web-bench-'));
cpSync(site, root, { recursive: true });
mkdirSync(join(root, 'test'));
const speech = samplesOf(readFileSync(samplePath));
const long = new Int16Array(speech.length * 40);
for (let i = 0; i < 40; ++i) long.set(speech, i * speech.length);
writeFileSync(join(root, 'test/long.wav'), wave({ rate: 8000, samples: long }));
vxtoolEncode(vxtool, join(root, 'test/long.wav'), join(root, 'test/long.vxs'));
vxtoolEncode(vxtool, samplePath, join(root, 'test/full.vxs'));
vxtoolEncode(vxtool, samplePath, join(root, 'test/half.vxs'), ['--half']);

const server = await serve(root);
const browser = await Browser.launch({ timeoutMs: 120000 });
try {
  await browser.navigate(`${server.url}index.html?src=test/full.vxs&src=test/half.vxs`);
  const figures = await browser.evaluate(`(async () => {
    const { loadCodec } = await import('./vocrix.mjs');
    const codec = await loadCodec();
    const vxs = new Uint8Array(await (await fetch('test/long.vxs')).arrayBuffer());
    const wav = new Uint8Array(await (await fetch('test/long.wav')).arrayBuffer());
    const best = (run) => {
      let fastest = Infinity;
      for (let i = 0; i < 5; ++i) {
        const start = performance.now();
        run();
        fastest = Math.min(fastest, (performance.now() - start) / 1000);
      }
      return fastest;
    };
    const seconds = codec.decode(vxs).pcm.length / 8000;
    return { seconds, decode: best(() => codec.decode(vxs)), encode: best(() => codec.encodeWav(wav)),
             agent: navigator.userAgent };
  })()`);
  const { seconds, decode, encode, agent } = figures;
  console.log(agent);
  console.log(`decode: ${seconds.toFixed(1)} s of speech in ${decode.toFixed(3)} s: ${Math.round(seconds / decode)} s of speech per second`);
  console.log(`encode: ${seconds.toFixed(1)} s of speech in ${encode.toFixed(3)} s: ${(seconds / encode).toFixed(1)} s of speech per second`);
  if (screenshot) {
    await browser.evaluate(`(async () => {
      const players = [...document.querySelectorAll('vocrix-player')];
      for (let i = 0; i < 200 && !players.every((p) => p.pcm || p.error); ++i) await new Promise((r) => setTimeout(r, 25));
      players[0].currentTime = 2.5;
    })()`);
    writeFileSync(screenshot, await browser.screenshot());
    console.log(`screenshot: ${screenshot}`);
  }
} finally {
  await browser.close();
  server.close();
  rmSync(root, { recursive: true, force: true });
}
