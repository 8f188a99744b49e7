// kivls and kivg agree: on a table of specs, every line kivg prints (but
// "Ended in ERROR") is a diagnostic that kivls publishes, with the same
// text at the same place, and kivls publishes nothing kivg does not print.
// A diagnostic shown again at an include is kivg's whole line.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const path = require('node:path');
const { spawnSync } = require('node:child_process');
const { Server, workspace, fileUri, KIVG } = require('./harness');

// Each row: the main spec, then the other files of its workspace.
const specs = [
  ['syntax', 'def f(a b) = F\n'],
  ['bad token', 'x = 1\ny = 2 $\n'],
  ['indentation', '+class\nclass C:\nx = 1\n'],
  ['mismatched indentation', '+class\nclass C:\n    x = 1\n  y = 2\n'],
  ['decimal out of range', 'n = 4294967296\n'],
  ['integer out of range', 'n = 2147483648\n'],
  ['reserved', 'args = 1\n'],
  ['redefinitions then an error', 'x = 1\nx = 2\ndef f() = F\ndef f() = G\ndel q, x, r\n'],
  ['lib late', 'x = 1\nlib\n'],
  ['self include', 'include "self_include"\n'],
  ['empty include', 'include ""\n'],
  ['include in a class', '+class\nclass C:\n    include x\n'],
  ['unknown feature', '+klass\n'],
  ['alias conflict', 'import m as a\nimport n as a\n', { 'm.kivs': '', 'n.kivs': '' }],
  ['parameters', 'def f(a=1, b) = F\n'],
  ['groups', 'def g(**k, *t) = G\n'],
  ['class without the feature', 'class C:\n    x = 1\n'],
  ['C names', 'def f(a) = int\n'],
  ['C warnings', 'def f(a) = printf\ndef g(_x) = G\n'],
  ['count mismatch', 'def f(a) = F\ndef g(a, b) = F\n'],
  ['include missing', 'include lost\n'],
  ['include cycle', 'include a\n', { 'a.kivs': 'include b\n', 'b.kivs': 'include a\n' }],
  ['module missing', 'import gone as g\nimport gone\n'],
  ['error in an include', 'x = 1\ninclude part\n', { 'part.kivs': 'x = 2\ny = 1\ny = (\n' }],
  ['error in a module', 'import mod\n', { 'mod.kivs': 'include deeper\n', 'deeper.kivs': 'z = $\n' }],
  ['clean', 'import mod as m\ninclude part\n+class\nclass K:\n    def k(self) = K\n',
   { 'mod.kivs': 'def run(mode=1) = Run\n', 'part.kivs': 'limit = 3\n' }],
];

function kivgLines(root, main) {
  const result = spawnSync(KIVG, ['-q', main], {
    cwd: root, env: Object.assign({}, process.env, { KIV_SPEC_INCLUDE: '' }),
    encoding: 'latin1',
  });
  return result.stderr.split('\n').filter((l) => l && l !== 'Ended in ERROR');
}

// A published diagnostic as the line kivg would print for it: location,
// then the message with its severity word, or without (the driver's own
// lines have none; either form may match).
function forms(name, d) {
  const where = `${name}:${d.range.start.line + 1}:${d.range.start.character + 1}: `;
  const word = d.severity === 1 ? 'Error: ' : 'Warning: ';
  if (d.range.start.line === 0 && d.range.start.character === 0 &&
      d.range.end.character === 0)
    return [word + d.message, d.message, where + word + d.message];
  return [where + word + d.message, where + d.message];
}

test('kivls publishes the lines kivg prints', async () => {
  for (const [name, text, others] of specs) {
    const main = name.replace(/ /g, '_') + '.kivs';
    const root = workspace(Object.assign({ [main]: text }, others || {}));
    const expected = kivgLines(root, main);

    const server = new Server({ cwd: root });
    await server.initialize({
      rootUri: fileUri(root),
      capabilities: { general: { positionEncodings: ['utf-8'] } },
      initializationOptions: { includePath: [''] },
    });
    const mainUri = fileUri(path.join(root, main));
    const published = await server.check(mainUri, text);
    // Other files' lists come in the same round, before the checked one's.
    const lines = [];
    const copies = [];
    for (const p of server.publications) {
      const file = p.uri === mainUri ? main
        : decodeURIComponent(p.uri.slice(fileUri(root).length + 1));
      for (const d of (p.uri === mainUri ? published : p.diagnostics)) {
        if (expected.includes(d.message)) copies.push(d.message);
        else lines.push(forms(file, d));
      }
    }
    // Every published diagnostic is one of kivg's lines, each line once.
    const unmatched = expected.slice();
    for (const candidates of lines) {
      const found = unmatched.findIndex((l) => candidates.includes(l));
      assert.notStrictEqual(found, -1,
        `${name}: kivls published ${candidates[0]}; kivg printed ${JSON.stringify(expected)}`);
      unmatched.splice(found, 1);
    }
    assert.deepStrictEqual(unmatched, [], `${name}: kivls left these out`);
    for (const copy of copies) assert.ok(expected.includes(copy));
    assert.strictEqual(await server.stop(), 0);
  }
});
