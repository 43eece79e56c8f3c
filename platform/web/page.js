// The page around the show: the setup dialog as the start page, the show's
// canvas, sound through Web Audio, the glyphs drawn with the site's font
// files, and the offline frame of ?at=MS. The show itself (vorlane.js and
// its WebAssembly) calls the functions of vorlane_page.
'use strict';

const params = new URLSearchParams(location.search);

function element(id) {
  return document.getElementById(id);
}

function say(id, text) {
  const p = element(id);
  p.textContent = text;
  p.hidden = !text;
}

// "WxH" as [W, H], null unless both are whole numbers from 1 to 8192.
function parse_resolution(text) {
  const m = /^(\d{1,4})x(\d{1,4})$/.exec(text || '');
  if (!m) return null;
  const size = [Number(m[1]), Number(m[2])];
  return size.every(n => n >= 1 && n <= 8192) ? size : null;
}

// ---------------------------------------------------------------- fonts

// The faces the show's names stand for, as fontconfig picks them on the
// desktop. "Arial Black" exists only in its black weight, which Lato
// Black stands in for whatever weight is asked.
const faces = [
  { family: 'Liberation Mono', file: 'fonts/LiberationMono-Bold.ttf', weight: 'bold', names: ['Courier New'] },
  { family: 'Liberation Serif', file: 'fonts/LiberationSerif-Bold.ttf', weight: 'bold', names: ['Times'] },
  { family: 'Lato Black', file: 'fonts/Lato-Black.ttf', weight: 'normal', names: ['Arial Black'], one_weight: true },
  { family: 'DejaVu Sans', file: 'fonts/DejaVuSans.ttf', weight: 'normal', names: [] },
];

// The cell of a TrueType file in font units: Windows sizes a positive
// height as usWinAscent + usWinDescent (OS/2), the baseline at the ascent;
// hhea's ascender and descender where the OS/2 values are missing.
function cell_metrics(buffer) {
  const v = new DataView(buffer);
  const tables = {};
  for (let i = 0; i < v.getUint16(4); ++i) {
    const at = 12 + 16 * i;
    const tag = String.fromCharCode(v.getUint8(at), v.getUint8(at + 1), v.getUint8(at + 2), v.getUint8(at + 3));
    tables[tag] = v.getUint32(at + 8);
  }
  const m = { units_per_em: v.getUint16(tables['head'] + 18),
              ascent: v.getInt16(tables['hhea'] + 4), descent: -v.getInt16(tables['hhea'] + 6) };
  if (tables['OS/2'] !== undefined) {
    const ascent = v.getUint16(tables['OS/2'] + 74), descent = v.getUint16(tables['OS/2'] + 76);
    if (ascent + descent > 0) {
      m.ascent = ascent;
      m.descent = descent;
    }
  }
  return m;
}

const fonts_loaded = Promise.all(faces.map(async face => {
  const response = await fetch(face.file);
  if (!response.ok) throw new Error('cannot load ' + face.file);
  const buffer = await response.arrayBuffer();
  face.metrics = cell_metrics(buffer);
  const font = new FontFace(face.family, buffer, { weight: face.weight });
  await font.load();
  document.fonts.add(font);
}));

const sized_faces = [];  // by the number glyph_open returns
let glyph_canvas = null;

function glyph_context(size) {
  if (!glyph_canvas || glyph_canvas.width < size) {
    glyph_canvas = document.createElement('canvas');
    glyph_canvas.width = glyph_canvas.height = Math.max(size, 256);
  }
  return glyph_canvas.getContext('2d', { willReadFrequently: true });
}

// ---------------------------------------------------------------- sound

let audio = null;      // the AudioContext made at the Start press
let audio_node = null;
const audio_block = 1024;

function make_audio() {
  try {
    audio = new AudioContext({ sampleRate: 44100, latencyHint: 'interactive' });
    audio.resume();
  } catch (e) {
    audio = null;
  }
}

// ---------------------------------------------------------------- the show's calls

const vorlane_page = {
  ready(resolution_names) {
    const at = params.get('at');
    const size = parse_resolution(params.get('resolution'));
    fonts_loaded.then(() => {
      if (at !== null) render_at(Math.max(0, Math.floor(Number(at)) || 0), size || [640, 480]);
      else show_setup(resolution_names.split(','), size);
    }, error => vorlane_page.fatal(String(error.message || error)));
  },

  fatal(text) {
    console.error(text);
    say('progress', '');
    say('message', 'The show stopped: ' + text);
  },

  cursor(shown) {
    element('canvas').style.cursor = shown ? '' : 'none';
  },

  glyph_open(name, height, bold, italic) {
    const face = faces.find(f => f.names.includes(name)) || faces[faces.length - 1];
    const m = face.metrics;
    const cell = Math.max(1, m.ascent + m.descent);
    // The em in 1/64 pixels, rounded as the desktop's FreeType sizing is.
    const em = Math.round(height * 64 * m.units_per_em / cell) / 64;
    const css = (italic ? 'italic ' : '') + (bold && !face.one_weight ? 'bold ' : '') + em + 'px "' + face.family + '"';
    sized_faces.push({ face, css, ascent: Math.floor(height * m.ascent / cell + 0.5) });
    return sized_faces.length - 1;
  },

  glyph_advance(id, code) {
    const ctx = glyph_context(1);
    ctx.font = sized_faces[id].css;
    return Math.round(ctx.measureText(String.fromCodePoint(code)).width);
  },

  // Coverage of the character, its cell's top-left corner at (0, 0), into
  // size x size bytes at address out.
  glyph_draw(id, code, out, size) {
    const s = sized_faces[id];
    const ctx = glyph_context(size);
    ctx.clearRect(0, 0, size, size);
    ctx.font = s.css;
    ctx.fillStyle = '#fff';
    ctx.textBaseline = 'alphabetic';
    ctx.fillText(String.fromCodePoint(code), 0, s.ascent);
    const rgba = ctx.getImageData(0, 0, size, size).data;
    const heap = Module.HEAPU8;
    for (let i = 0; i < size * size; ++i)
      heap[out + i] = rgba[4 * i + 3];
  },

  glyph_family(id) {
    return sized_faces[id].face.family;
  },

  // The frames the output holds between the callback and the ear; 0 when
  // the browser gives no running audio, and the show runs silently.
  audio_open(rate) {
    if (!audio || audio.state !== 'running' || audio.sampleRate !== rate) {
      say('notice', 'The browser did not start the sound: the show runs silently.');
      return 0;
    }
    const left = Module._malloc(4 * audio_block), right = Module._malloc(4 * audio_block);
    audio_node = audio.createScriptProcessor(audio_block, 0, 2);
    audio_node.onaudioprocess = e => {
      Module._vorlane_audio(left, right, audio_block);
      const heap = Module.HEAPF32;
      e.outputBuffer.getChannelData(0).set(heap.subarray(left >> 2, (left >> 2) + audio_block));
      e.outputBuffer.getChannelData(1).set(heap.subarray(right >> 2, (right >> 2) + audio_block));
    };
    audio_node.connect(audio.destination);
    const latency = (audio.baseLatency || 0) + (audio.outputLatency || 0);
    return audio_block + Math.round(latency * rate);
  },

  audio_close() {
    if (audio_node) audio_node.disconnect();
    audio_node = null;
  },

  // Escape or the song's end: the start page again, from a fresh page.
  show_ended() {
    if (document.fullscreenElement) document.exitFullscreen();
    location.reload();
  },

  progress(song_ms, part) {
    say('progress', 'Rendering the frame at ' + params.get('at') + ' ms: ' + (song_ms / 1000).toFixed(2) +
        ' s, part ' + part);
  },

  // The offline frame, A8R8G8B8 words top row first at address pixels (0
  // when the show ended before it): kept for whoever reads the page, as
  // RGBA bytes in window.vorlane_frame.
  frame_done(ms, pixels, width, height) {
    say('progress', '');
    if (!pixels) {
      document.title = 'vorlane: no frame at ' + ms + ' ms';
      say('message', 'The show ends before ' + ms + ' ms.');
      return;
    }
    const rgba = Module.HEAPU8.slice(pixels, pixels + 4 * width * height);
    for (let i = 0; i < rgba.length; i += 4) {
      const b = rgba[i];
      rgba[i] = rgba[i + 2];
      rgba[i + 2] = b;
    }
    window.vorlane_frame = { width, height, rgba };
    document.title = 'vorlane: frame at ' + ms + ' ms';
  },
};

// ---------------------------------------------------------------- the start page

function show_stage() {
  element('setup').hidden = true;
  element('stage').hidden = false;
  element('canvas').focus();
}

function show_setup(names, size) {
  const list = element('resolution');
  const choices = names.map(name => [name, parse_resolution(name)]);
  if (size) {
    const name = size.join('x');
    if (!names.includes(name)) choices.unshift([name, size]);
  }
  for (const [name] of choices) list.add(new Option(name, name));
  list.value = size ? size.join('x') : names[0];
  const form = element('setup');
  let started = false;
  const start = () => {
    if (started) return;
    started = true;
    document.removeEventListener('keydown', on_key);
    make_audio();  // this press is the gesture that lets the page play sound
    const [width, height] = parse_resolution(list.value);
    const loop = form.elements.mode.value === 'loop' ? 1 : 0;
    show_stage();
    Module._vorlane_play(width, height, loop);
  };
  const on_key = e => {
    if (e.key === 'Enter') {
      e.preventDefault();
      start();
    }
  };
  form.addEventListener('submit', e => {
    e.preventDefault();
    start();
  });
  document.addEventListener('keydown', on_key);
  form.hidden = false;
  list.focus();
}

function render_at(ms, size) {
  show_stage();
  vorlane_page.progress(0, 1);
  Module._vorlane_render_at(ms, size[0], size[1]);
}

element('fullscreen').addEventListener('click', () => {
  element('stage').requestFullscreen().catch(() => {});
  element('canvas').focus();
});

var Module = {
  canvas: element('canvas'),
  print: text => console.log(text),
  printErr: text => console.error(text),
  onAbort: what => vorlane_page.fatal(String(what)),
};

if (!document.createElement('canvas').getContext('webgl2')) {
  say('message', 'This browser cannot show Vorlane: it needs WebGL 2, which is off or missing here. ' +
      'A current Firefox, Chrome, Edge or Safari with hardware acceleration on has it.');
  Module = { noInitialRun: true };
}
