// The web player's codec module: the suite's decoder and file encoder in WebAssembly
// (vxcodec.mjs and vxcodec.wasm beside this file), wrapped for JavaScript. Works in pages and
// workers, and under Node when the wasm's bytes are handed over (see vxdecode.mjs).
import createVocrixCodec from './vxcodec.mjs';

export const kSampleRate = 8000; // decoded PCM: 8000 Hz, 16-bit, mono
export const kFrameSamples = 160; // one frame: 20 ms
// Stream types whose rate lamp is lit, as on the desktop player's panel.
export const kStreamFullRate = 13;
export const kStreamHalfRate = 14;

// Encoder options, as vxtool encode's --half, --fixed and --right.
const kHalfRate = 1;
const kFixedRate = 2;
const kRightChannel = 4;
const kFramesPerRead = 250; // 5 s of speech per call into the module

let shared = null;

function optionBits({ half = false, fixed = false, right = false }) {
  return (half ? kHalfRate : 0) | (fixed ? kFixedRate : 0) | (right ? kRightChannel : 0);
}

// Loads the module once per page (or per wasmBinary under Node) and returns its Codec.
export function loadCodec({ wasmBinary } = {}) {
  if (wasmBinary) return createVocrixCodec({ wasmBinary }).then((m) => new Codec(m));
  shared ??= createVocrixCodec().then((m) => new Codec(m));
  return shared;
}

export class VocrixError extends Error {}

// One opened file: header fields, frame-by-frame decoding into 8000 Hz PCM, seeking by
// frame. close() frees it.
export class Decoder {
  constructor(codec, bytes) {
    this.m = codec.m;
    this.handle = codec.withBytes(bytes, (ptr, n) => this.m._vx_decoder_open(ptr, n));
    const error = this.m.UTF8ToString(this.m._vx_decoder_error(this.handle));
    if (error) {
      this.close();
      throw new VocrixError(error);
    }
    const m = this.m;
    this.streamType = m._vx_decoder_stream_type(this.handle);
    this.sampleCount = m._vx_decoder_sample_count(this.handle); // -1: unknown
    this.codecVersion = m._vx_decoder_codec_version(this.handle);
    this.wrapperRate = m._vx_decoder_wrapper_rate(this.handle); // 0: a bare stream
    this.title = m.UTF8ToString(m._vx_decoder_title(this.handle));
    this.comment = m.UTF8ToString(m._vx_decoder_comment(this.handle));
  }

  // Decodes up to maxFrames frames; returns an Int16Array (empty at the end of the data).
  read(maxFrames = kFramesPerRead) {
    const m = this.m;
    const ptr = m._malloc(maxFrames * kFrameSamples * 2);
    try {
      const frames = m._vx_decoder_read(this.handle, ptr, maxFrames);
      if (frames < 0) throw new VocrixError(m.UTF8ToString(m._vx_decoder_error(this.handle)));
      return new Int16Array(m.HEAP16.buffer, ptr, frames * kFrameSamples).slice();
    } finally {
      m._free(ptr);
    }
  }

  // Moves to a frame (20 ms each); returns the frame reached (at most the end of the data).
  seek(frame) {
    const reached = this.m._vx_decoder_seek(this.handle, frame);
    if (reached < 0) throw new VocrixError(this.m.UTF8ToString(this.m._vx_decoder_error(this.handle)));
    return reached;
  }

  get position() {
    return this.m._vx_decoder_position(this.handle);
  }

  close() {
    if (this.handle) this.m._vx_decoder_close(this.handle);
    this.handle = 0;
  }
}

export class Codec {
  constructor(m) {
    this.m = m;
  }

  // Calls fn(pointer, length) with a copy of the bytes in the module's memory.
  withBytes(bytes, fn) {
    const data = bytes instanceof Uint8Array ? bytes : new Uint8Array(bytes);
    const ptr = this.m._malloc(Math.max(data.length, 1));
    try {
      this.m.HEAPU8.set(data, ptr);
      return fn(ptr, data.length);
    } finally {
      this.m._free(ptr);
    }
  }

  open(bytes) {
    return new Decoder(this, bytes);
  }

  // Decodes a whole file: the header fields and every frame's PCM (Int16Array, 8000 Hz).
  decode(bytes) {
    const decoder = this.open(bytes);
    try {
      const parts = [];
      let samples = 0;
      for (let part = decoder.read(); part.length > 0; part = decoder.read()) {
        parts.push(part);
        samples += part.length;
      }
      const pcm = new Int16Array(samples);
      let at = 0;
      for (const part of parts) {
        pcm.set(part, at);
        at += part.length;
      }
      const { streamType, sampleCount, codecVersion, wrapperRate, title, comment } = decoder;
      return { pcm, streamType, sampleCount, codecVersion, wrapperRate, title, comment };
    } finally {
      decoder.close();
    }
  }

  // A whole file decoded into the bytes of a WAV file (8000 Hz, 16-bit, mono).
  decodeToWav(bytes) {
    return this.takeResult(this.withBytes(bytes, (ptr, n) => this.m._vx_decode_wav(ptr, n)));
  }

  // A WAV file's bytes (16-bit PCM, mono or stereo, 8000 to 48000 Hz) converted into a
  // compressed speech file. Returns { bytes, frames: { full, half, noise, silence } }.
  encodeWav(wav, options = {}) {
    const bits = optionBits(options);
    const result = this.withBytes(wav, (ptr, n) => this.m._vx_encode_wav(ptr, n, bits));
    return this.takeEncoded(result);
  }

  // The same for interleaved 16-bit samples (Int16Array) of `channels` channels at `rate` Hz.
  encodePcm(pcm, rate, channels, options = {}) {
    const bits = optionBits(options);
    const bytes = new Uint8Array(pcm.buffer, pcm.byteOffset, pcm.byteLength);
    const frames = Math.floor(pcm.length / channels);
    const result = this.withBytes(bytes, (ptr) =>
      this.m._vx_encode_pcm(ptr, frames, rate, channels, bits),
    );
    return this.takeEncoded(result);
  }

  takeEncoded(result) {
    const m = this.m;
    const frames = {
      noise: m._vx_result_frames(result, 0),
      full: m._vx_result_frames(result, 1),
      silence: m._vx_result_frames(result, 2),
      half: m._vx_result_frames(result, 3),
    };
    return { bytes: this.takeResult(result), frames };
  }

  // The bytes of a result, or its error thrown; the result is freed either way.
  takeResult(result) {
    const m = this.m;
    try {
      const error = m.UTF8ToString(m._vx_result_error(result));
      if (error) throw new VocrixError(error);
      return new Uint8Array(m.HEAPU8.buffer, m._vx_result_bytes(result), m._vx_result_size(result)).slice();
    } finally {
      m._vx_result_free(result);
    }
  }
}

// "%3d:%02d" of a time in seconds, as the desktop player's time display shows it.
export function formatTime(seconds) {
  const whole = Math.max(0, Math.floor(seconds));
  return `${String(Math.floor(whole / 60)).padStart(3, ' ')}:${String(whole % 60).padStart(2, '0')}`;
}
