// Speech files the web tests share, made from the bundled sample: WAV files of the encoder's
// input kinds and the native programs' outputs they are compared with.
import { execFileSync } from 'node:child_process';
import { readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';

// A RIFF WAVE file of 16-bit (or 8-bit) PCM around interleaved samples, or around raw bytes
// (a compressed stream in a WAVE wrapper).
export function wave({ rate, channels = 1, bits = 16, samples, data }) {
  const body = data ?? new Uint8Array(samples.buffer, samples.byteOffset, samples.byteLength);
  const pad = body.length % 2;
  const bytes = new Uint8Array(44 + body.length + pad);
  const view = new DataView(bytes.buffer);
  const text = (at, s) => [...s].forEach((c, i) => (bytes[at + i] = c.charCodeAt(0)));
  text(0, 'RIFF');
  view.setUint32(4, 36 + body.length + pad, true);
  text(8, 'WAVEfmt ');
  view.setUint32(16, 16, true);
  view.setUint16(20, 1, true);
  view.setUint16(22, channels, true);
  view.setUint32(24, rate, true);
  view.setUint32(28, (rate * channels * bits) / 8, true);
  view.setUint16(32, (channels * bits) / 8, true);
  view.setUint16(34, bits, true);
  text(36, 'data');
  view.setUint32(40, body.length, true);
  bytes.set(body, 44);
  return bytes;
}

// The samples of a 16-bit mono WAV file with a 44-byte header.
export function samplesOf(wavBytes) {
  const copy = wavBytes.slice(44);
  return new Int16Array(copy.buffer, 0, copy.length >> 1);
}

// A reproducible noise generator (linear congruential), values in [-1, 1).
function noise(seed) {
  let state = seed >>> 0;
  return () => {
    state = (Math.imul(state, 1664525) + 1013904223) >>> 0;
    return state / 2 ** 31 - 1;
  };
}

// The sample, a second and a half of digital silence, then the sample again at half level
// over steady background noise, and a second of that noise alone: frames of every type.
export function speechWithPauses(speech) {
  const random = noise(1753);
  const silence = 12000, tail = 8000;
  const out = new Int16Array(speech.length * 2 + silence + tail);
  out.set(speech, 0);
  const start = speech.length + silence;
  for (let i = start; i < out.length; ++i) {
    const voice = i - start < speech.length ? speech[i - start] / 2 : 0;
    out[i] = Math.round(voice + 200 * random());
  }
  return out;
}

// 44100 Hz stereo: the sample (linearly interpolated) on the right, noise on the left, so
// that a wrong channel choice shows.
export function stereo44100(speech) {
  const random = noise(7);
  const frames = Math.floor((speech.length * 44100) / 8000);
  const out = new Int16Array(frames * 2);
  for (let i = 0; i < frames; ++i) {
    const t = (i * 8000) / 44100;
    const k = Math.floor(t);
    const next = k + 1 < speech.length ? speech[k + 1] : 0;
    out[2 * i] = Math.round(3000 * random());
    out[2 * i + 1] = Math.round(speech[k] + (next - speech[k]) * (t - k));
  }
  return out;
}

export function makeInputs(dir, samplePath, sourceDir) {
  const sample = readFileSync(samplePath);
  const speech = samplesOf(sample);
  const inputs = {
    sample: samplePath,
    pauses: join(dir, 'pauses.wav'),
    stereo: join(dir, 'stereo-44100.wav'),
    rate11025: join(sourceDir, 'codec/tests/data/speech_11025.wav'),
  };
  writeFileSync(inputs.pauses, wave({ rate: 8000, samples: speechWithPauses(speech) }));
  writeFileSync(inputs.stereo, wave({ rate: 44100, channels: 2, samples: stereo44100(speech) }));
  return inputs;
}

export function vxtoolEncode(vxtool, input, output, flags = []) {
  execFileSync(vxtool, ['encode', '--overwrite', ...flags, '-o', output, input], { stdio: 'pipe' });
  return new Uint8Array(readFileSync(output));
}

export function vxtoolDecode(vxtool, input, output) {
  execFileSync(vxtool, ['decode', input, output], { stdio: 'pipe' });
  return new Uint8Array(readFileSync(output));
}
