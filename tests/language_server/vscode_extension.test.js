// The VS Code extension as VS Code would load it: the manifest names an
// entry that exists, activates on spec documents and declares its settings;
// the entry, run against a stand-in for the editor's API, starts kivls
// through the real client library with the configured path and search path.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const Module = require('node:module');

const extensionDir = path.join(process.env.KIV_SOURCE_DIR, 'editor', 'vscode');
const clientModules = process.env.KIV_EXTENSION_MODULES;
const manifest = JSON.parse(
  fs.readFileSync(path.join(extensionDir, 'package.json'), 'utf8'));

// Any property of the editor's API, called or not, is another stand-in.
function editorApi(settings) {
  const anything = new Proxy(function () {}, {
    get: (target, key) => (key === 'then' ? undefined : anything),
    apply: () => anything,
    construct: () => anything,
  });
  const workspace = new Proxy({}, {
    get: (target, key) => key === 'getConfiguration'
      ? (section) => ({ get: (name) => settings[`${section}.${name}`] })
      : anything,
  });
  // The oldest editor the manifest accepts; the client library checks it.
  const version = manifest.engines.vscode.replace(/^\^/, '');
  return new Proxy({}, {
    get: (target, key) => {
      if (key === 'workspace') return workspace;
      if (key === 'version') return version;
      return anything;
    },
  });
}

// Loads the extension's entry with 'vscode' served by the stand-in and
// the client library's LanguageClient recorded.
function loadExtension(settings, started) {
  const load = Module._load;
  const entry = path.join(extensionDir, manifest.main);
  Module._load = function (request, parent, isMain) {
    if (request === 'vscode') return editorApi(settings);
    if (request === 'vscode-languageclient/node') {
      const real = load(require.resolve(request, { paths: [clientModules] }),
        parent, isMain);
      class RecordingClient extends real.LanguageClient {
        constructor(...args) {
          super(...args);
          started.push(args);
        }
        start() { return Promise.resolve(); }
        stop() { return Promise.resolve(); }
      }
      return Object.assign({}, real, { LanguageClient: RecordingClient });
    }
    return load.call(this, request, parent, isMain);
  };
  try {
    delete require.cache[entry];
    return require(entry);
  } finally {
    Module._load = load;
  }
}

test('the manifest', () => {
  assert.ok(fs.existsSync(path.join(extensionDir, manifest.main)));
  assert.deepStrictEqual(manifest.activationEvents, ['onLanguage:kivs']);
  assert.strictEqual(manifest.contributes.languages[0].id, 'kivs');
  for (const grammar of manifest.contributes.grammars)
    assert.ok(fs.existsSync(path.join(extensionDir, grammar.path)));
  const properties = manifest.contributes.configuration.properties;
  assert.strictEqual(properties['kivls.path'].default, 'kivls');
  assert.deepStrictEqual(properties['kivls.includePath'].items,
    { type: 'string' });
  // The pinned client library is the one installed, and it runs in the
  // editor versions the manifest allows.
  const client = JSON.parse(fs.readFileSync(
    path.join(clientModules, 'vscode-languageclient', 'package.json'), 'utf8'));
  assert.strictEqual(client.version,
    manifest.dependencies['vscode-languageclient']);
  assert.strictEqual(client.engines.vscode, manifest.engines.vscode);
  const lock = JSON.parse(fs.readFileSync(
    path.join(extensionDir, 'package-lock.json'), 'utf8'));
  assert.strictEqual(
    lock.packages['node_modules/vscode-languageclient'].version,
    client.version);
});

const settingsCases = [
  [{}, 'kivls', {}],
  [{ 'kivls.path': '/opt/kiv/bin/kivls',
     'kivls.includePath': ['specs', '/usr/share/kiv/specs'] },
   '/opt/kiv/bin/kivls', { includePath: ['specs', '/usr/share/kiv/specs'] }],
];

for (const [settings, command, initializationOptions] of settingsCases) {
  test(`the client entry with ${JSON.stringify(settings)}`, async () => {
    const started = [];
    const extension = loadExtension(settings, started);
    const context = { subscriptions: [] };
    await extension.activate(context);
    assert.strictEqual(started.length, 1);
    const [id, , serverOptions, clientOptions] = started[0];
    assert.strictEqual(id, 'kivls');
    assert.deepStrictEqual(serverOptions, { command, args: [] });
    assert.deepStrictEqual(clientOptions.documentSelector,
      [{ language: 'kivs' }]);
    assert.deepStrictEqual(clientOptions.initializationOptions,
      initializationOptions);
    assert.strictEqual(context.subscriptions.length, 1);
    await extension.deactivate();
  });
}
