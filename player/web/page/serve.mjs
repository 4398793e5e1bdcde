// Serves a folder (the page's site) on 127.0.0.1, as any static web host would: files only,
// with their types (application/wasm among them). Used by scripts/play-web and the page's
// tests.
//
//   node serve.mjs FOLDER [PORT]     PORT 0 or none: a free one
//
// Prints "http://127.0.0.1:PORT/" on a line of its own once it listens.
import { createReadStream, promises as fs } from 'node:fs';
import { createServer } from 'node:http';
import path from 'node:path';

export const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.json': 'application/json',
  '.webmanifest': 'application/manifest+json',
  '.wasm': 'application/wasm',
  '.svg': 'image/svg+xml',
  '.png': 'image/png',
  '.txt': 'text/plain; charset=utf-8',
  '.sf2': 'application/octet-stream',
  '.vnp': 'application/octet-stream',
  '.vns': 'application/octet-stream',
};

// The file a request path names inside `root`, or null when it names none there.
export async function resolveFile(root, urlPath) {
  let name;
  try {
    name = decodeURIComponent(urlPath.split('?')[0]);
  } catch {
    return null;
  }
  const file = path.resolve(root, '.' + path.posix.normalize('/' + name));
  if (file !== root && !file.startsWith(root + path.sep)) return null;
  try {
    const stat = await fs.stat(file);
    if (stat.isDirectory()) return resolveFile(root, path.posix.join(name, 'index.html'));
    return stat.isFile() ? file : null;
  } catch {
    return null;
  }
}

export function serve(folder, port = 0) {
  const root = path.resolve(folder);
  const server = createServer(async (request, response) => {
    if (request.method !== 'GET' && request.method !== 'HEAD') {
      response.writeHead(405).end();
      return;
    }
    const file = await resolveFile(root, request.url);
    if (!file) {
      response.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found\n');
      return;
    }
    const type = TYPES[path.extname(file).toLowerCase()] || 'application/octet-stream';
    // Always asked again: the service worker is what keeps the site for offline play.
    response.writeHead(200, { 'Content-Type': type, 'Cache-Control': 'no-cache' });
    if (request.method === 'HEAD') response.end();
    else createReadStream(file).pipe(response);
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () => resolve(server));
  });
}

if (import.meta.url === `file://${process.argv[1]}`) {
  const [folder, port] = process.argv.slice(2);
  if (!folder) {
    console.error('usage: node serve.mjs FOLDER [PORT]');
    process.exit(2);
  }
  serve(folder, Number(port || 0)).then((server) => {
    console.log(`http://127.0.0.1:${server.address().port}/`);
  }, (error) => {
    console.error(`serve.mjs: ${error.message}`);
    process.exit(1);
  });
}
