// Takes the page's picture for the documentation (scripts/screenshot-web): the demo in
// headless Chromium after a few commands, the window scaled by 2.
//
//   node screenshot.mjs SITE OUTPUT.png
import { launch, newProfile, settle, startServer, typeCommand, waitForGame } from './browser.mjs';

const [site, output] = process.argv.slice(2);
const server = await startServer(site);
const { context, page } = await launch(newProfile(), { viewport: { width: 680, height: 760 } });
try {
  await page.goto(server.url);
  await waitForGame(page);
  for (const command of ['見る', 'ランプを拾う', '書斎に入る', 'ランプをつける']) {
    await typeCommand(page, command);
    await settle(page);
  }
  await page.locator('#command-line').pressSequentially('金庫を開ける');
  await page.screenshot({ path: output });
} finally {
  await context.close();
  await server.close();
}
