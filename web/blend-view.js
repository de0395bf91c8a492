// The blend picture's choice, as the windows' "View" menu offers it: the blend the match
// judged, what the eye sees, the picture in motion or the flicker map with its legend.
// The picture in motion comes from the conversion worker as one cycle of video frames, made
// by the core as the viewer of the conversion's options shows them; this thread only puts
// the next ready picture on the canvas at each display refresh, so it keeps the display's
// pace while the worker converts.
'use strict';

const blendView = (() => {
  const $ = (id) => document.getElementById(id);
  const CAPTIONS = { blend: 'Blend', eye: 'What the eye sees', motion: 'Picture in motion',
    flicker: 'Flicker map' };

  // The windows' motion clock: display refreshes in, the video frame to show out; a speed
  // shows each video frame for 1, 4 or 16 refreshes. `shown` is the video frame on the canvas.
  const clock = { videoFrame: 0, refreshes: 0, speed: 1, playing: true, shown: -1 };
  let views = null;   // the pictures of the running or last conversion
  let cycle = null;   // views.motion as ImageData, one per video frame of the cycle
  let refresh = 0;    // the pending animation frame

  function tick() {
    if (!clock.playing) return false;
    if (++clock.refreshes < clock.speed) return false;
    clock.refreshes = 0;
    clock.videoFrame += 1;
    return true;
  }

  function chosen() {
    return document.querySelector('input[name=blend-shown]:checked').value;
  }

  function imageOf(rgba) {
    return new ImageData(new Uint8ClampedArray(rgba.buffer, rgba.byteOffset, rgba.byteLength), 320, 200);
  }

  function drawMotion() {
    if (!cycle) return;
    $('view-blend').getContext('2d').putImageData(cycle[clock.videoFrame % cycle.length], 0, 0);
    clock.shown = clock.videoFrame;
  }

  function onRefresh() {
    refresh = 0;
    if (chosen() !== 'motion' || !clock.playing || !cycle) return;
    if (tick() || clock.shown !== clock.videoFrame) drawMotion();
    refresh = requestAnimationFrame(onRefresh);
  }

  // Runs the refreshes exactly while the picture in motion plays (once it has pictures).
  function playOrStop() {
    const play = chosen() === 'motion' && clock.playing && cycle !== null;
    if (play && !refresh) refresh = requestAnimationFrame(onRefresh);
    if (!play && refresh) {
      cancelAnimationFrame(refresh);
      refresh = 0;
    }
  }

  function showCaption() {
    const shows = chosen();
    $('caption-blend').textContent = CAPTIONS[shows] +
      (shows === 'motion' && !clock.playing ? ', paused' : '');
  }

  // Draws the choice in force from the pictures at hand; a picture not there yet (asked of
  // the worker) leaves the canvas as it is until it comes.
  function show() {
    const shows = chosen();
    $('motion-controls').disabled = shows !== 'motion';
    $('flicker-legend').hidden = shows !== 'flicker';
    showCaption();
    playOrStop();
    if (!views) return;
    if (shows === 'motion') {
      drawMotion();
      return;
    }
    const rgba = views[shows];
    if (rgba) $('view-blend').getContext('2d').putImageData(imageOf(rgba), 0, 0);
  }

  // New pictures from the worker: a whole set (`merge` false) or the choice's own, added to
  // the set in hand.
  function setViews(next, merge) {
    views = merge && views ? { ...views, ...next } : next;
    if (next.motion || !merge) cycle = views.motion ? views.motion.map(imageOf) : null;
    show();
  }

  function setSpeed(speed) {
    clock.speed = speed;
    clock.refreshes = 0;
  }

  function playPause() {
    clock.playing = !clock.playing;
    showCaption();
    playOrStop();
  }

  // The legend: the core's colour scale, a label under each of its ticks and at its ends.
  function setLegend(scale) {
    const strip = $('flicker-scale');
    strip.width = scale.width;
    strip.height = scale.height;
    strip.getContext('2d').putImageData(new ImageData(new Uint8ClampedArray(scale.rgba.buffer),
      scale.width, scale.height), 0, 0);
    const columns = [0];
    for (let x = 1; x < scale.width - 1; ++x) {
      const p = 4 * x;
      if (scale.rgba[p] === 255 && scale.rgba[p + 1] === 255 && scale.rgba[p + 2] === 255) columns.push(x);
    }
    columns.push(scale.width - 1);
    const step = 0.1 / (columns.length - 1);
    $('flicker-ticks').replaceChildren(...columns.map((x, i) => {
      const label = document.createElement('span');
      label.textContent = String(Number((i * step).toFixed(2)));
      label.style.left = (100 * (x + 0.5) / scale.width) + '%';
      return label;
    }));
    $('flicker-caption').textContent = scale.text;
  }

  // The report's flicker figures beside the map; none while a conversion runs.
  function showFigures(report) {
    const ok = report && Number.isFinite(report.flickerMean) && Number.isFinite(report.flickerShareAbove002);
    $('flicker-figures').textContent = ok ? 'Flicker ' + report.flickerMean.toFixed(4) + ' mean, ' +
      (100 * report.flickerShareAbove002).toFixed(1) + ' % above 0.02' : '';
  }

  // `onChoice(view)` tells the worker which pictures to make.
  function start(onChoice) {
    for (const radio of document.querySelectorAll('input[name=blend-shown]')) {
      radio.addEventListener('change', () => {
        onChoice(chosen());
        show();
      });
    }
    for (const radio of document.querySelectorAll('input[name=motion-speed]')) {
      radio.addEventListener('change', () => setSpeed(Number(radio.value)));
    }
    $('motion-play').addEventListener('click', playPause);
    setSpeed(Number(document.querySelector('input[name=motion-speed]:checked').value));
    show();
  }

  return { clock, chosen, start, setViews, setLegend, showFigures };
})();
