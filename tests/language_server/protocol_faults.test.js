// Bad input never takes kivls down: every fault of the base protocol and of
// JSON-RPC is answered as the protocol says, and the server goes on serving
// (shown by a clean check and a clean shutdown afterwards).
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const path = require('node:path');
const { Server, workspace, fileUri, frame, rows, protocol } =
  require('./harness');

// Reads what the server sends for raw input, below the client library.
function rawServer(args = []) {
  const server = new Server({ args });
  return server;
}

// The server still answers and checks.
async function stillServing(server, root) {
  const uri = fileUri(path.join(root || '/tmp', 'after_fault.kivs'));
  assert.deepStrictEqual(rows(await server.check(uri, 'x = $\n')),
    ["0:4-0:5 E Bad token encountered: '$'"]);
  await server.close(uri);
}

test('requests before initialize, and notifications, are refused or dropped',
  async () => {
    const server = new Server();
    await assert.rejects(
      server.connection.sendRequest('textDocument/hover', {}),
      { code: protocol.ErrorCodes.ServerNotInitialized });
    // Dropped: no diagnostics follow for this document.
    await server.open('file:///tmp/early.kivs', 'x = $\n');
    await server.initialize();
    await assert.rejects(server.connection.sendRequest('initialize', {}),
      { code: protocol.ErrorCodes.InvalidRequest });
    await stillServing(server);
    assert.strictEqual(server.publications.some(
      (p) => p.uri === 'file:///tmp/early.kivs'), false);
    assert.strictEqual(await server.stop(), 0);
  });

test('unknown methods, $/ requests and cancellation', async () => {
  const server = new Server();
  await server.initialize();
  for (const method of ['textDocument/unknown', '$/unknownRequest']) {
    await assert.rejects(server.connection.sendRequest(method, {}),
      { code: protocol.ErrorCodes.MethodNotFound }, method);
  }
  await server.connection.sendNotification('$/unknownNotification', {});
  await server.connection.sendNotification('workspace/unknown', { a: 1 });
  await server.connection.sendNotification('$/cancelRequest', { id: 12345 });
  await server.connection.sendNotification('$/cancelRequest', 'nonsense');
  await stillServing(server);
  assert.strictEqual(await server.stop(), 0);
});

// Raw input and the error it draws. An id of null means the fault could not
// be tied to a request; the client library logs those.
const rawCases = [
  ['missing Content-Length',
   Buffer.from('Content-Type: application/json\r\n\r\n{"jsonrpc":"2.0"}'),
   'Missing Content-Length header'],
  ['malformed Content-Length',
   Buffer.from('Content-Length: twelve\r\n\r\n{"jsonrpc":"2.0"}'),
   'Malformed Content-Length header'],
  ['header line without a colon',
   Buffer.from('Content-Length 5\r\n\r\nhello'), 'Malformed header line'],
  ['body that is not JSON', frame('{"jsonrpc": "2.0", "id": '),
   'Parse error: the message is not JSON in UTF-8'],
  ['body that is an array', frame('[1, 2, 3]'),
   'A message must be a JSON object'],
  ['body that is a number', frame('42'), 'A message must be a JSON object'],
  ['invalid UTF-8 in a document', frame(Buffer.concat([
    Buffer.from('{"jsonrpc":"2.0","method":"textDocument/didOpen","params":' +
                '{"textDocument":{"uri":"file:///tmp/bad.kivs","text":"x = \''),
    Buffer.from([0xff, 0xfe]), Buffer.from('\'"}}}')])), null],
];

for (const [name, bytes, logged] of rawCases) {
  test(`raw fault: ${name}`, async () => {
    const server = rawServer();
    await server.initialize();
    await server.raw(bytes);
    await stillServing(server);
    if (logged !== null) {
      assert.ok(server.logged.some((line) => line.includes(logged)),
        `${JSON.stringify(server.logged)} lacks ${logged}`);
    } else {
      assert.match(server.messages[0].message, /textDocument\/didOpen/);
    }
    assert.strictEqual(await server.stop(), 0);
  });
}

test('a request with a bad id, and a request after a parse error',
  async () => {
    const server = rawServer();
    await server.initialize();
    await server.raw(frame('{"jsonrpc":"2.0","id":{"a":1},"method":"shutdown"}'));
    // Its id is read from the broken body: the request gets its answer.
    await server.raw(frame('{"jsonrpc":"2.0","id":77,"method":"shutdown",' +
                           '"params":{"x": "\xff'));
    await stillServing(server);
    assert.ok(server.logged.some((l) => l.includes('integer or a string')));
    assert.match(server.output, /"error":\{"code":-32700,[^}]*\},"id":77/);
    assert.strictEqual(await server.stop(), 0);
  });

test('a message over the size limit is refused and the stream stays in step',
  async () => {
    const server = rawServer(['-m', '2000']);
    await server.initialize();
    const big = 'y'.repeat(5000);
    await assert.rejects(server.connection.sendRequest('textDocument/hover',
      { padding: big }), (error) => {
      assert.strictEqual(error.code, protocol.ErrorCodes.InvalidRequest);
      assert.match(error.message, /over the limit of 2000 bytes/);
      return true;
    });
    // A document too large to take is not checked; the user is told.
    await server.open('file:///tmp/huge.kivs', `x = "${big}"\n`);
    await stillServing(server);
    assert.match(server.messages[0].message, /over the limit.*didOpen/);
    assert.strictEqual(server.publications.some(
      (p) => p.uri === 'file:///tmp/huge.kivs'), false);
    assert.strictEqual(await server.stop(), 0);
  });

test('after shutdown requests are refused; exit without shutdown is 1',
  async () => {
    const server = new Server();
    await server.initialize();
    await server.connection.sendRequest(protocol.ShutdownRequest.type);
    await assert.rejects(server.connection.sendRequest('textDocument/hover', {}),
      { code: protocol.ErrorCodes.InvalidRequest });
    await server.connection.sendNotification(protocol.ExitNotification.type);
    assert.strictEqual(await server.exited, 0);

    const abrupt = new Server();
    await abrupt.initialize();
    await abrupt.connection.sendNotification(protocol.ExitNotification.type);
    assert.strictEqual(await abrupt.exited, 1);
  });

test('a client that vanishes ends the server', async () => {
  const root = workspace();
  const server = new Server({ cwd: root });
  await server.initialize();
  await server.check(fileUri(path.join(root, 'a.kivs')), 'x = 1\n');
  server.child.stdin.end();
  assert.strictEqual(await server.exited, 1);
});
