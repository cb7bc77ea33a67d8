// <vocrix-player src="speech.vxs">: fetches a compressed speech file, decodes it in the page
// with the WebAssembly codec and plays it through Web Audio (the browser resamples the
// 8000 Hz PCM to the output's rate), on a panel in the look of the desktop player: Play
// (Pause while playing), Stop, the position slider, elapsed and total time in the navy time
// display with the Half Rate and Full Rate lamps, and the volume. Every control is a native
// form control: reachable with Tab, labelled for assistive technology, visibly focused.
//
// Properties and methods: src, bytes (load from an ArrayBuffer or Uint8Array), duration and
// currentTime (seconds), volume (0 to 1), playing, error (the message shown, or ''), pcm (the
// decoded Int16Array), play({context}) (plays from the slider's position, on an
// AudioContext or OfflineAudioContext of the caller's when given), pause(), stop().
// Events: 'loaded' once decoded, 'error' when the file cannot be played, 'ended'.
import { loadCodec, formatTime, kSampleRate, kFrameSamples, kStreamFullRate, kStreamHalfRate } from './vocrix.mjs';

// The desktop panel's texts and colours.
const kText = {
  now: 'Now',
  total: 'Total',
  volume: 'Volume',
  status: 'Status',
  stop: 'Stop',
  play: 'Play',
  pause: 'Pause',
  fullRate: 'Full Rate',
  halfRate: 'Half Rate',
};

const kStyle = `
:host { display: inline-block; font-family: "Liberation Serif", "DejaVu Serif", serif; }
.panel { position: relative; width: 320px; height: 210px; background: rgb(192,192,192);
  border: 2px outset rgb(224,224,224); box-sizing: border-box; color: #fff;
  text-shadow: 1px 1px 0 #000; user-select: none; }
.title { position: absolute; left: 15px; top: 12px; width: 230px; font-size: 15px; font-weight: bold;
  white-space: nowrap; overflow: hidden; text-overflow: ellipsis; }
.display { position: absolute; left: 15px; top: 40px; width: 235px; height: 40px; background: rgb(0,0,128);
  text-shadow: none; }
.lamp { position: absolute; left: 10px; font-size: 12px; font-weight: bold; color: rgb(64,64,64); }
.lamp.half { top: 4px; } .lamp.full { top: 22px; }
.lamp.lit { color: rgb(0,192,192); }
.time { position: absolute; top: 8px; font-size: 22px; white-space: pre; font-variant-numeric: tabular-nums; }
.time.now { right: 90px; } .time.total { right: 10px; }
.label { position: absolute; font-size: 12px; font-weight: bold; }
button { position: absolute; width: 30px; height: 30px; padding: 0; background: rgb(192,192,192);
  border: 2px outset rgb(240,240,240); cursor: pointer; }
button:active { border-style: inset; }
button:disabled { cursor: default; opacity: .5; }
button .glyph { display: block; margin: auto; }
.play { left: 130px; top: 95px; } .stop { left: 80px; top: 95px; }
.play .glyph { width: 0; height: 0; border-style: solid; border-width: 7px 0 7px 12px;
  border-color: transparent transparent transparent rgb(0,0,128); }
.play[aria-pressed="true"] .glyph { width: 4px; height: 14px; border-width: 0 4px;
  border-color: rgb(0,0,128); }
.stop .glyph { width: 12px; height: 12px; background: rgb(0,0,128); }
.position { position: absolute; left: 15px; top: 150px; width: 285px; margin: 0; accent-color: rgb(0,0,128); }
.volume { position: absolute; left: 265px; top: 40px; width: 24px; height: 90px; margin: 0;
  writing-mode: vertical-lr; direction: rtl; accent-color: rgb(0,0,128); }
.status { position: absolute; left: 15px; top: 178px; width: 290px; font-size: 12px; white-space: nowrap;
  overflow: hidden; text-overflow: ellipsis; }
.status.error { color: rgb(255,255,0); }
:focus-visible { outline: 2px solid rgb(255,255,0); outline-offset: 1px; box-shadow: 0 0 0 4px #000; }
`;

const kTemplate = `
<div class="panel" role="group">
  <div class="title"></div>
  <div class="display">
    <span class="lamp half">${kText.halfRate}</span>
    <span class="lamp full">${kText.fullRate}</span>
    <span class="time now" aria-hidden="true">  0:00</span>
    <span class="time total" aria-hidden="true">  0:00</span>
  </div>
  <span class="label" style="left:100px;top:82px">${kText.now}</span>
  <span class="label" style="left:190px;top:82px">${kText.total}</span>
  <button class="stop" type="button" aria-label="${kText.stop}"><span class="glyph"></span></button>
  <button class="play" type="button" aria-label="${kText.play}" aria-pressed="false"><span class="glyph"></span></button>
  <span class="label" style="left:80px;top:127px">${kText.stop}</span>
  <span class="label" style="left:130px;top:127px">${kText.play}</span>
  <span class="label" style="left:252px;top:133px">${kText.volume}</span>
  <input class="volume" type="range" min="0" max="100" value="100" aria-label="${kText.volume}">
  <input class="position" type="range" min="0" max="0" value="0" step="1" aria-label="Position">
  <div class="status" role="status" aria-live="polite">${kText.status}</div>
</div>`;

export class VocrixPlayer extends HTMLElement {
  static observedAttributes = ['src'];

  constructor() {
    super();
    const root = this.attachShadow({ mode: 'open' });
    root.innerHTML = `<style>${kStyle}</style>${kTemplate}`;
    const $ = (selector) => root.querySelector(selector);
    this.ui = {
      panel: $('.panel'),
      title: $('.title'),
      half: $('.lamp.half'),
      full: $('.lamp.full'),
      now: $('.time.now'),
      total: $('.time.total'),
      play: $('.play'),
      stop: $('.stop'),
      position: $('.position'),
      volume: $('.volume'),
      status: $('.status'),
    };
    this.pcm = null;
    this.buffer = null;
    this.error = '';
    this.context = null; // the AudioContext of live playback, made on the first Play
    this.source = null;
    this.gain = null;
    this.startedAt = 0; // context time at which the position started to run
    this.offset = 0; // position in seconds when paused or when the source started
    this.frame = 0;
    this.loadId = 0;
    this.dragging = false;
    this.ui.play.addEventListener('click', () => (this.playing ? this.pause() : this.play()));
    this.ui.stop.addEventListener('click', () => this.stop());
    this.ui.position.addEventListener('input', () => this.showTime(this.sliderSeconds()));
    this.ui.position.addEventListener('change', () => {
      this.dragging = false;
      this.seek(this.sliderSeconds());
    });
    // While the thumb is held, playback does not move it away from the pointer.
    this.ui.position.addEventListener('pointerdown', () => (this.dragging = true));
    this.ui.position.addEventListener('pointerup', () => (this.dragging = false));
    this.ui.volume.addEventListener('input', () => this.applyVolume());
    this.setControls(false);
  }

  attributeChangedCallback(name, old, value) {
    if (name === 'src' && value && value !== old) this.load(fetchBytes(new URL(value, document.baseURI)));
  }

  disconnectedCallback() {
    this.halt();
  }

  get src() {
    return this.getAttribute('src') ?? '';
  }
  set src(value) {
    this.setAttribute('src', value);
  }
  set bytes(value) {
    this.load(Promise.resolve(value));
  }
  get duration() {
    return this.pcm ? this.pcm.length / kSampleRate : 0;
  }
  get playing() {
    return this.source !== null;
  }
  get currentTime() {
    if (!this.source) return this.offset;
    return Math.min(this.duration, this.offset + this.source.context.currentTime - this.startedAt);
  }
  set currentTime(seconds) {
    this.seek(seconds);
  }
  get volume() {
    return this.ui.volume.valueAsNumber / 100;
  }
  set volume(value) {
    this.ui.volume.value = String(Math.round(Math.min(1, Math.max(0, value)) * 100));
    this.applyVolume();
  }

  // Takes the bytes a promise brings; a later load supersedes an earlier one still running.
  async load(bytesPromise) {
    const id = ++this.loadId;
    this.halt();
    this.pcm = this.buffer = null;
    this.offset = 0;
    this.setControls(false);
    this.showStatus('Loading...');
    try {
      const [codec, bytes] = await Promise.all([loadCodec(), bytesPromise]);
      if (id !== this.loadId) return;
      const decoded = codec.decode(bytes);
      if (decoded.pcm.length === 0) throw new Error('the file holds no frames');
      this.pcm = decoded.pcm;
      this.info = decoded;
      const floats = new Float32Array(decoded.pcm.length);
      for (let i = 0; i < floats.length; ++i) floats[i] = decoded.pcm[i] / 32768;
      this.buffer = new AudioBuffer({ length: floats.length, sampleRate: kSampleRate, numberOfChannels: 1 });
      this.buffer.copyToChannel(floats, 0);
      this.error = '';
      this.ui.half.classList.toggle('lit', decoded.streamType === kStreamHalfRate);
      this.ui.full.classList.toggle('lit', decoded.streamType === kStreamFullRate);
      this.ui.title.textContent = decoded.title;
      this.ui.position.max = String(Math.ceil(decoded.pcm.length / kFrameSamples));
      this.ui.total.textContent = formatTime(this.duration);
      this.ui.panel.setAttribute('aria-label', `Vocrix player: ${decoded.title || this.src || 'speech'}`);
      this.setControls(true);
      this.showTime(0);
      this.showStatus('Ready');
      this.dispatchEvent(new Event('loaded'));
    } catch (error) {
      if (id !== this.loadId) return;
      this.error = error.message || String(error);
      this.ui.half.classList.remove('lit');
      this.ui.full.classList.remove('lit');
      this.ui.total.textContent = formatTime(0);
      this.showTime(0);
      this.showStatus(`Error: ${this.error}`, true);
      this.dispatchEvent(new CustomEvent('error', { detail: this.error }));
    }
  }

  // Plays from the current position; `context` renders into a context of the caller's.
  play({ context } = {}) {
    if (!this.buffer || this.source) return;
    if (this.offset >= this.duration) this.offset = 0;
    if (!context) {
      this.context ??= new AudioContext();
      context = this.context;
      context.resume();
    }
    const gain = new GainNode(context, { gain: this.volume });
    const source = new AudioBufferSourceNode(context, { buffer: this.buffer });
    source.connect(gain).connect(context.destination);
    source.onended = () => {
      if (this.source !== source) return;
      this.source = this.gain = null;
      this.offset = this.duration;
      this.afterRun('Ready');
      this.dispatchEvent(new Event('ended'));
    };
    this.source = source;
    this.gain = gain;
    this.startedAt = context.currentTime;
    source.start(context.currentTime, this.offset);
    this.ui.play.setAttribute('aria-pressed', 'true');
    this.ui.play.setAttribute('aria-label', kText.pause);
    this.showStatus('Playing');
    this.tick();
  }

  pause() {
    if (!this.source) return;
    this.offset = this.currentTime;
    this.halt();
    this.afterRun('Paused');
  }

  stop() {
    this.halt();
    this.offset = 0;
    this.afterRun(this.buffer ? 'Ready' : this.ui.status.textContent);
  }

  // Moves to `seconds`, on a frame boundary; playback goes on from there.
  seek(seconds) {
    if (!this.buffer) return;
    const frames = Math.floor(Math.min(Math.max(seconds, 0), this.duration) * kSampleRate / kFrameSamples);
    const wasPlaying = this.playing;
    const context = this.source?.context;
    this.halt();
    this.offset = (frames * kFrameSamples) / kSampleRate;
    this.showTime(this.offset);
    if (wasPlaying) this.play({ context: context === this.context ? undefined : context });
  }

  halt() {
    const source = this.source;
    this.source = this.gain = null;
    if (source) {
      source.onended = null;
      try {
        source.stop();
      } catch {
        // A source of an offline context that has already rendered cannot be stopped.
      }
    }
    cancelAnimationFrame(this.frame);
  }

  afterRun(status) {
    this.ui.play.setAttribute('aria-pressed', 'false');
    this.ui.play.setAttribute('aria-label', kText.play);
    this.showTime(this.offset);
    if (!this.error) this.showStatus(status);
  }

  tick() {
    this.showTime(this.currentTime);
    if (this.source) this.frame = requestAnimationFrame(() => this.tick());
  }

  applyVolume() {
    if (this.gain) this.gain.gain.value = this.volume;
    this.ui.volume.setAttribute('aria-valuetext', `${this.ui.volume.value} %`);
  }

  sliderSeconds() {
    return (this.ui.position.valueAsNumber * kFrameSamples) / kSampleRate;
  }

  showTime(seconds) {
    this.ui.now.textContent = formatTime(seconds);
    if (!this.dragging) this.ui.position.value = String(Math.floor((seconds * kSampleRate) / kFrameSamples));
    this.ui.position.setAttribute(
      'aria-valuetext',
      `${formatTime(seconds).trim()} of ${formatTime(this.duration).trim()}`,
    );
  }

  showStatus(text, isError = false) {
    this.ui.status.textContent = text;
    this.ui.status.classList.toggle('error', isError);
    this.ui.status.setAttribute('role', isError ? 'alert' : 'status');
  }

  setControls(enabled) {
    for (const control of [this.ui.play, this.ui.stop, this.ui.position]) control.disabled = !enabled;
  }
}

async function fetchBytes(url) {
  const response = await fetch(url);
  if (!response.ok) throw new Error(`${url.pathname}: ${response.status} ${response.statusText}`);
  return new Uint8Array(await response.arrayBuffer());
}

if (!customElements.get('vocrix-player')) customElements.define('vocrix-player', VocrixPlayer);
