// Node 18 and later have fetch(), which this emscripten's loader would try on the module's
// file path and fail: the module is read from beside the program instead.
if (typeof process == 'object' && typeof require == 'function' && !Module['wasmBinary']) {
  Module['wasmBinary'] = require('fs').readFileSync(__filename.replace(/\.js$/, '.wasm'));
}
