// The WebAssembly codec against the native programs: every stream type decodes to the PCM
// vxtool decode writes, byte for byte, and every input kind encodes to the bytes vxtool encode
// writes; seeking, the command-line decoder and bad input.
// Usage: node native_equality_test.mjs SITE VXTOOL samples/vm-intro.wav
import assert from 'node:assert/strict';
import { execFileSync, spawnSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { after, test } from 'node:test';
import { pathToFileURL } from 'node:url';
import { makeInputs, samplesOf, vxtoolDecode, vxtoolEncode, wave } from './fixtures.mjs';

const [site, vxtool, samplePath] = process.argv.slice(2).map((p) => resolve(p));
const { loadCodec, VocrixError } = await import(pathToFileURL(join(site, 'vocrix.mjs')));
const codec = await loadCodec({ wasmBinary: readFileSync(join(site, 'vxcodec.wasm')) });
const dir = mkdtempSync(join(tmpdir(), 'vx-web-'));
after(() => rmSync(dir, { recursive: true, force: true }));
const inputs = makeInputs(dir, samplePath, resolve(dirname(samplePath), '..'));

// The encoder's inputs and options, each coded by vxtool encode and by the wasm encoder.
const encodings = [
  { name: 'full', input: 'sample', flags: [] },
  { name: 'half', input: 'sample', flags: ['--half'] },
  { name: 'fixed-full', input: 'sample', flags: ['--fixed'] },
  { name: 'fixed-half', input: 'sample', flags: ['--fixed', '--half'] },
  { name: 'pauses', input: 'pauses', flags: [] },
  { name: 'pauses-half', input: 'pauses', flags: ['--half'] },
  { name: 'stereo-right', input: 'stereo', flags: ['--right'] },
  { name: 'stereo-left', input: 'stereo', flags: [] },
  { name: '11025', input: 'rate11025', flags: [] },
];
const optionsOf = (flags) => ({
  half: flags.includes('--half'),
  fixed: flags.includes('--fixed'),
  right: flags.includes('--right'),
});
const native = {};
for (const e of encodings) native[e.name] = vxtoolEncode(vxtool, inputs[e.input], join(dir, `${e.name}.vxs`), e.flags);

test('the wasm encoder writes the bytes vxtool encode writes', () => {
  for (const e of encodings) {
    const { bytes, frames } = codec.encodeWav(readFileSync(inputs[e.input]), optionsOf(e.flags));
    assert.deepEqual(bytes, native[e.name], e.name);
    assert.ok(frames.full + frames.half + frames.noise + frames.silence > 0, e.name);
  }
});

test('the file with pauses holds noise and silence frames', () => {
  const { frames } = codec.encodeWav(readFileSync(inputs.pauses));
  assert.ok(frames.noise > 0 && frames.silence > 0 && frames.full > 0, JSON.stringify(frames));
});

test('PCM handed over as samples encodes as the same samples in a WAV file', () => {
  const wav = readFileSync(inputs.stereo);
  const samples = new Int16Array(wav.buffer.slice(wav.byteOffset + 44, wav.byteOffset + wav.length));
  const { bytes } = codec.encodePcm(samples, 44100, 2, { right: true });
  assert.deepEqual(bytes, native['stereo-right']);
});

test('the wasm decoder writes the PCM vxtool decode writes, for every stream type', () => {
  const wrapper = join(dir, 'wrapped.wav');
  writeFileSync(wrapper, wave({ rate: 8000, data: native.pauses }));
  const files = [...encodings.map((e) => join(dir, `${e.name}.vxs`)), wrapper];
  for (const file of files) {
    const expected = vxtoolDecode(vxtool, file, `${file}.native.wav`);
    assert.deepEqual(codec.decodeToWav(readFileSync(file)), expected, file);
    assert.deepEqual(codec.decode(readFileSync(file)).pcm, samplesOf(expected), file);
  }
  const decoded = codec.decode(readFileSync(wrapper));
  assert.equal(decoded.wrapperRate, 8000);
  assert.equal(decoded.streamType, 13); // variable rate, full-rate speech
  assert.equal(codec.decode(native.half).streamType, 14);
  assert.equal(codec.decode(native['fixed-half']).streamType, 4);
});

test('node vxdecode.mjs decodes as vxtool decode and leaves nothing behind on bad input', () => {
  const input = join(dir, 'half.vxs');
  const output = join(dir, 'cli.wav');
  execFileSync(process.execPath, [join(site, 'vxdecode.mjs'), input, output], { stdio: 'pipe' });
  assert.deepEqual(new Uint8Array(readFileSync(output)), new Uint8Array(readFileSync(`${input}.native.wav`)));

  const bad = join(dir, 'bad.vxs');
  writeFileSync(bad, 'not compressed speech');
  const run = spawnSync(process.execPath, [join(site, 'vxdecode.mjs'), bad, join(dir, 'bad.wav')]);
  assert.equal(run.status, 1);
  assert.match(run.stderr.toString(), /Non Supported Header\./);
  assert.ok(!existsSync(join(dir, 'bad.wav')) && !existsSync(join(dir, 'bad.wav.partial')));
});

test('seeking by frame: exact within the warm-up of the start, clamped at the end', () => {
  const pcm = codec.decode(native.pauses).pcm;
  const frames = pcm.length / 160;
  const decoder = codec.open(native.pauses);
  try {
    decoder.read(100);
    for (const frame of [0, 7, 25]) {
      assert.equal(decoder.seek(frame), frame);
      assert.deepEqual(decoder.read(40), pcm.slice(frame * 160, (frame + 40) * 160), `frame ${frame}`);
    }
    // Far from the start the decoder warms up over 500 ms, as the desktop player does: the
    // frames that follow come out whole and in number.
    assert.equal(decoder.seek(frames - 30), frames - 30);
    assert.equal(decoder.read(1000).length, 30 * 160);
    assert.equal(decoder.seek(frames + 500), frames);
    assert.equal(decoder.read().length, 0);
    assert.equal(decoder.seek(frames - 10), frames - 10); // back inside what was read
    assert.equal(decoder.position, frames - 10);
  } finally {
    decoder.close();
  }
});

test('bad files are refused with the codec message, as vxtool refuses them', () => {
  const cases = [
    { name: 'empty', bytes: new Uint8Array(0), message: /Cannot read file/ },
    { name: 'text', bytes: new TextEncoder().encode('hello, world, this is no speech'), message: /Non Supported Header\./ },
    { name: 'cut header', bytes: native.full.slice(0, 20), message: /Cannot read file/ },
    {
      name: 'wave of PCM',
      bytes: wave({ rate: 8000, samples: new Int16Array(800) }),
      message: /WAVE data chunk holds no compressed speech stream/,
    },
  ];
  for (const c of cases) {
    assert.throws(() => codec.decode(c.bytes), (e) => e instanceof VocrixError && c.message.test(e.message), c.name);
    const file = join(dir, `bad-${c.name.replace(/ /g, '-')}.vxs`);
    writeFileSync(file, c.bytes);
    assert.notEqual(spawnSync(vxtool, ['decode', file, `${file}.wav`]).status, 0, c.name);
  }
});

test('WAV files the encoder does not take are refused, as vxtool refuses them', () => {
  const cases = [
    { name: '8-bit', bytes: wave({ rate: 8000, bits: 8, data: new Uint8Array(1600) }) },
    { name: '5 kHz', bytes: wave({ rate: 5000, samples: new Int16Array(1600) }) },
    { name: 'not a WAV file', bytes: new TextEncoder().encode('RIFF but not really') },
  ];
  for (const c of cases) {
    assert.throws(() => codec.encodeWav(c.bytes), VocrixError, c.name);
    const file = join(dir, `refused-${c.name.replace(/ /g, '-')}.wav`);
    writeFileSync(file, c.bytes);
    assert.notEqual(spawnSync(vxtool, ['encode', '--overwrite', '-o', `${file}.vxs`, file]).status, 0, c.name);
  }
});
