// kivg's diagnostics as an editor receives them from kivls: each kind of
// problem on the document it belongs to, ranges over the offending token
// in both position encodings, included files and their includers, fixes
// and closed documents.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const { Server, workspace, fileUri, rows } = require('./harness');

async function started(root, params = {}) {
  const server = new Server({ cwd: root });
  await server.initialize(Object.assign({
    rootUri: fileUri(root),
    initializationOptions: { includePath: [''] },
  }, params));
  return server;
}

test('each kind of diagnostic on the document it belongs to', async () => {
  const root = workspace({
    'broken.kivs': 'x = 1\ny = $\n',
  });
  const server = await started(root);
  const cases = [
    ['lexical error', 'a = 1\n  b = 2\n', ['1:2-1:3 E Unexpected indentation']],
    ['lexical error with text', 'n = 4294967296\n',
     ["0:4-0:14 E Bad token encountered: '4294967296': Decimal constant out of range"]],
    ['syntax error', 'def f(a b) = F\n', ['0:6-0:7 E Syntax error']],
    ['statement error', 'sys = 1\n', ["0:0-0:3 E Cannot redefine reserved name 'sys'"]],
    ['warnings before the first error', 'x = 1\nx = 2\ny = 1\ny = 2\ndel z\n',
     ["1:0-1:1 W Name 'x' redefined", "3:0-3:1 W Name 'y' redefined",
      "4:4-4:5 E Cannot delete 'z'; not found"]],
    ['finalization error without a location', 'class C:\n    x = 1\n',
     ['0:0-0:0 E Class definition(s) encountered without the class feature enabled']],
    ['missing include', 'include nowhere\n',
     ['0:8-0:15 E Error opening nowhere.kivs: No such file or directory']],
    ['clean spec', 'def greet(name, punctuation="!") = AppGreet\n', []],
  ];
  for (const [name, text, expected] of cases) {
    const uri = fileUri(path.join(root, name.replace(/ /g, '_') + '.kivs'));
    assert.deepStrictEqual(rows(await server.check(uri, text)), expected, name);
  }
  assert.strictEqual(await server.stop(), 0);
});

test('a redefinition names the definition it replaces', async () => {
  const root = workspace();
  const server = await started(root);
  const uri = fileUri(path.join(root, 'twice.kivs'));
  const [warning] = await server.check(uri, 'x = 1\n\nx = 2\n');
  assert.deepStrictEqual(warning.relatedInformation, [{
    location: { uri, range: { start: { line: 0, character: 0 },
                              end: { line: 0, character: 1 } } },
    message: 'The definition it replaces',
  }]);
  assert.strictEqual(await server.stop(), 0);
});

test('an error in an included file is shown there and at the include',
  async () => {
    const root = workspace({
      'inner.kivs': 'z = 1\nz = $\n',
      'outer.kivs': 'include inner\n',
    });
    const server = await started(root);
    const main = fileUri(path.join(root, 'main.kivs'));
    const inner = fileUri(path.join(root, 'inner.kivs'));
    const outer = fileUri(path.join(root, 'outer.kivs'));
    const atInner = server.next(inner);
    const atMain = await server.check(main, 'a = 1\ninclude "outer"\n');
    assert.deepStrictEqual(rows(await atInner),
      ["1:4-1:5 E Bad token encountered: '$'"]);
    assert.deepStrictEqual(rows(atMain),
      ["1:8-1:15 E inner.kivs:2:5: Bad token encountered: '$'"]);
    // The chain, innermost first, after the place itself.
    assert.deepStrictEqual(
      atMain[0].relatedInformation.map((r) => [r.location.uri,
        r.location.range.start.line, r.message]),
      [[inner, 1, "Bad token encountered: '$'"], [outer, 0, 'Included here']]);
    assert.strictEqual(await server.stop(), 0);
  });

test('an imported module that fails is shown at the import', async () => {
  const root = workspace({ 'units.kivs': 'def f(a=1, b) = F\n' });
  const server = await started(root);
  const main = fileUri(path.join(root, 'app.kivs'));
  const units = fileUri(path.join(root, 'units.kivs'));
  const atUnits = server.next(units);
  const atMain = await server.check(main, 'import units as u\n');
  const [inUnits] = await atUnits;
  assert.strictEqual(inUnits.range.start.line, 0);
  assert.match(rows(atMain)[0], /^0:16-0:17 E units\.kivs:1:12: Error: /);
  assert.strictEqual(atMain[0].relatedInformation[0].location.uri, units);
  assert.strictEqual(await server.stop(), 0);
});

test('a fix clears the diagnostics, and so does closing', async () => {
  const root = workspace();
  const server = await started(root);
  const uri = fileUri(path.join(root, 'fix.kivs'));
  assert.strictEqual((await server.check(uri, 'x = $\n')).length, 1);
  let published = server.next(uri);
  await server.change(uri, 2, [{
    range: { start: { line: 0, character: 4 }, end: { line: 0, character: 5 } },
    text: '5',
  }]);
  assert.deepStrictEqual(await published, []);
  published = server.next(uri);
  await server.change(uri, 3, [{ text: 'x = $\n' }]);
  assert.strictEqual((await published).length, 1);
  published = server.next(uri);
  await server.close(uri);
  assert.deepStrictEqual(await published, []);
  assert.strictEqual(await server.stop(), 0);
});

test('an edit in an unsaved included document re-checks its includer',
  async () => {
    const root = workspace({ 'part.kivs': 'p = 1\n' });
    const server = await started(root);
    const main = fileUri(path.join(root, 'whole.kivs'));
    const part = fileUri(path.join(root, 'part.kivs'));
    assert.deepStrictEqual(await server.check(main, 'include part\n'), []);
    assert.deepStrictEqual(await server.check(part, 'p = 1\n'), []);
    // Unsaved: the file on disk still reads p = 1.
    const atMain = server.next(main, (p) => p.diagnostics.length !== 0);
    const atPart = server.next(part, (p) => p.diagnostics.length !== 0);
    await server.change(part, 2, [{
      range: { start: { line: 0, character: 4 }, end: { line: 0, character: 5 } },
      text: '@',
    }]);
    assert.deepStrictEqual(rows(await atMain),
      ["0:8-0:12 E part.kivs:1:5: Bad token encountered: '@'"]);
    // Found by both checks, its own and its includer's: shown once.
    assert.deepStrictEqual(rows(await atPart),
      ["0:4-0:5 E Bad token encountered: '@'"]);
    // Closing the unsaved document makes the includer read the disk again.
    const cleared = server.next(main, (p) => p.diagnostics.length === 0);
    await server.close(part);
    await cleared;
    assert.strictEqual(await server.stop(), 0);
  });

test('a save checks again, with included files as the disk has them now',
  async () => {
    const root = workspace({ 'disk.kivs': 'a = 1\n' });
    const server = await started(root);
    const main = fileUri(path.join(root, 'saved.kivs'));
    assert.deepStrictEqual(await server.check(main, 'include disk\n'), []);
    fs.writeFileSync(path.join(root, 'disk.kivs'), 'a = $\n');
    const published = server.next(main);
    await server.connection.sendNotification(
      'textDocument/didSave', { textDocument: { uri: main } });
    assert.deepStrictEqual(rows(await published),
      ["0:8-0:12 E disk.kivs:1:5: Bad token encountered: '$'"]);
    assert.strictEqual(await server.stop(), 0);
  });

// Rows of [text, line of the bad token, its start in UTF-8 bytes and in
// UTF-16 units]: a tab is one character, and multi-byte characters count as
// each encoding counts them.
const rangeCases = [
  ['x = "\t\t" $', 0, 9, 9],
  ['x = 1\t\t$', 0, 7, 7],
  ['s = "\u00e9\u00e9"  $', 0, 12, 10],
  ['s = "\u{1F600}" \t $', 0, 13, 11],
  ['s = "\u4e2d\u6587"\t$', 0, 13, 9],
  ['# \u00e9\nz = $', 1, 4, 4],
  ['a = 1\r\nz = "\u00e9" $', 1, 9, 8],
];

for (const encoding of ['utf-16', 'utf-8']) {
  test(`ranges count tabs and multi-byte characters in ${encoding}`,
    async () => {
      const root = workspace();
      const server = await started(root,
        { capabilities: { general: { positionEncodings: [encoding] } } });
      for (const [index, [text, line, utf8, utf16]] of rangeCases.entries()) {
        const uri = fileUri(path.join(root, `range${index}.kivs`));
        const diagnostics = await server.check(uri, text + '\n');
        const start = encoding === 'utf-8' ? utf8 : utf16;
        assert.deepStrictEqual(diagnostics[0].range,
          { start: { line, character: start },
            end: { line, character: start + 1 } }, JSON.stringify(text));
      }
      assert.strictEqual(await server.stop(), 0);
    });
}

test('includes that are no regular files fail as kivg fails them',
  async () => {
    const root = workspace();
    fs.mkdirSync(path.join(root, 'folder.kivs'));
    execFileSync('mkfifo', [path.join(root, 'pipe.kivs')]);
    fs.symlinkSync('/dev/zero', path.join(root, 'zero.kivs'));
    const server = await started(root);
    const cases = [
      ['folder', 'Is a directory'],
      ['pipe', 'Invalid argument'],
      ['zero', 'Invalid argument'],
    ];
    for (const [name, reason] of cases) {
      const uri = fileUri(path.join(root, `uses_${name}.kivs`));
      assert.deepStrictEqual(rows(await server.check(uri, `include ${name}\n`)),
        [`0:8-0:${8 + name.length} E Error opening ${name}.kivs: ${reason}`]);
    }
    assert.strictEqual(await server.stop(), 0);
  });
