import { launch, openGame, sleep } from './support.mjs';
const browser = await launch();
const [url, out, w, h, dpr, touch, action] = process.argv.slice(2);
const page = await openGame(browser, url, { viewport: { width: +w, height: +h, deviceScaleFactor: +dpr, isMobile: touch === '1', hasTouch: touch === '1' } });
if (action === 'about') { await page.click('#keys button[data-key="97"]'); await sleep(1000); }
if (action === 'table') { await page.click('#keys button[data-key="104"]'); await sleep(2000); }
await page.screenshot({ path: out });
await browser.close();
