// Lighthouse on a page, in its mobile setting (a mid-range phone on a slow
// 4G network, simulated), in Debian's headless Chromium: prints one line of
// JSON with the four category scores (0 to 100), the figures of the page's
// load and every audit that did not pass.
//   node audit.mjs URL      (VANTARO_LIGHTHOUSE_LOG=info: its progress on stderr)
import * as chromeLauncher from 'chrome-launcher';
import lighthouse from 'lighthouse';

const url = process.argv[2];
const chrome = await chromeLauncher.launch({
  chromePath: process.env.VANTARO_CHROMIUM || '/usr/bin/chromium',
  // The machine's network is closed: nothing in the background.
  chromeFlags: ['--headless=new', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
try {
  const { lhr } = await lighthouse(url, {
    port: chrome.port, output: 'json', logLevel: process.env.VANTARO_LIGHTHOUSE_LOG || 'error',
    onlyCategories: ['performance', 'accessibility', 'best-practices', 'seo'],
  });
  const scores = Object.fromEntries(Object.values(lhr.categories).map((c) => [c.title, Math.round(c.score * 100)]));
  const figures = Object.fromEntries(['first-contentful-paint', 'largest-contentful-paint', 'total-blocking-time',
    'cumulative-layout-shift', 'speed-index', 'interactive'].map((id) => [lhr.audits[id].title, lhr.audits[id].displayValue]));
  // What counts against a score: audits of a category that fell short.
  const counted = new Set(Object.values(lhr.categories).flatMap((c) => c.auditRefs.filter((r) => r.weight > 0).map((r) => r.id)));
  const failing = Object.values(lhr.audits)
    .filter((a) => a.score !== null && a.score < 1 && a.scoreDisplayMode !== 'informative' && a.scoreDisplayMode !== 'manual')
    .map((a) => ({ id: a.id, title: a.title, score: a.score, counted: counted.has(a.id), value: a.displayValue || '' }));
  console.log(JSON.stringify({ version: lhr.lighthouseVersion, scores, figures, failing }));
} finally {
  await chrome.kill();
}
