#!/usr/bin/env node
// node vxdecode.mjs IN.vxs OUT.wav: decodes a compressed speech file (bare, or inside a WAVE
// wrapper) into 8000 Hz 16-bit mono PCM with the web player's WebAssembly module, as
// vxtool decode does.
import { readFile, writeFile, rename } from 'node:fs/promises';
import { loadCodec, VocrixError } from './vocrix.mjs';

const [input, output, ...rest] = process.argv.slice(2);
if (!input || !output || rest.length) {
  console.error('usage: node vxdecode.mjs IN.vxs OUT.wav');
  process.exit(1);
}
try {
  const codec = await loadCodec({ wasmBinary: await readFile(new URL('./vxcodec.wasm', import.meta.url)) });
  const wav = codec.decodeToWav(await readFile(input));
  // Written beside the output and renamed, so a failure never leaves a half-written file.
  const partial = `${output}.partial`;
  await writeFile(partial, wav);
  await rename(partial, output);
  const seconds = (wav.length - 44) / 2 / 8000;
  console.log(`${input}: ${seconds.toFixed(2)} s decoded to ${output} at 8000 Hz`);
} catch (error) {
  console.error(`vxdecode: ${input}: ${error instanceof VocrixError ? error.message : error}`);
  process.exit(1);
}
