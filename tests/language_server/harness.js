// Starts kivls as an editor does and talks to it through the protocol
// client library that editors build on (vscode-jsonrpc and
// vscode-languageserver-protocol). Raw bytes can be written between
// messages, for the faults no client library would send.
'use strict';

const { spawn } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const rpc = require('vscode-jsonrpc/node');
const protocol = require('vscode-languageserver-protocol');

const KIVLS = process.env.KIVLS;
const KIVG = process.env.KIVG;
const TIMEOUT_MS = 20000;

function fileUri(file) {
  return 'file://' + file.split('/').map(encodeURIComponent).join('/');
}

// A scratch workspace folder holding the given files.
function workspace(files = {}) {
  const root = fs.mkdtempSync(path.join(os.tmpdir(), 'kivls-'));
  for (const [name, text] of Object.entries(files)) {
    fs.mkdirSync(path.dirname(path.join(root, name)), { recursive: true });
    fs.writeFileSync(path.join(root, name), text);
  }
  return root;
}

class Server {
  // options: args, env (added to the environment), cwd.
  constructor(options = {}) {
    this.child = spawn(KIVLS, options.args || [], {
      cwd: options.cwd || os.tmpdir(),
      env: Object.assign({}, process.env, options.env || {}),
      stdio: ['pipe', 'pipe', 'inherit'],
    });
    this.exited = new Promise((resolve) =>
      this.child.on('exit', (code, signal) => resolve(signal ? 128 : code)));
    // Writes to a server that has gone are expected in some tests.
    this.child.stdin.on('error', () => {});
    // The library reports a response it cannot tie to a request (a fault
    // answered with a null id) through its logger.
    this.logged = [];
    const record = (text) => this.logged.push(text);
    this.connection = rpc.createMessageConnection(
      new rpc.StreamMessageReader(this.child.stdout),
      new rpc.StreamMessageWriter(this.child.stdin),
      { error: record, warn: record, info: () => {}, log: () => {} });
    this.connection.onError(() => {});
    // Everything the server wrote, for answers no client would accept.
    this.output = '';
    this.child.stdout.on('data', (chunk) => { this.output += chunk; });
    this.publications = [];
    this.waiters = [];
    this.messages = [];
    this.connection.onNotification(
      protocol.PublishDiagnosticsNotification.type, (params) => {
        this.publications.push(params);
        this.waiters = this.waiters.filter((w) => !w(params));
      });
    this.connection.onNotification(protocol.ShowMessageNotification.type,
      (params) => this.messages.push(params));
    this.connection.onUnhandledNotification(() => {});
    this.connection.listen();
  }

  async initialize(params = {}) {
    return this.connection.sendRequest(protocol.InitializeRequest.type,
      Object.assign({ processId: process.pid, rootUri: null,
                      capabilities: {} }, params))
      .then(async (result) => {
        await this.connection.sendNotification(
          protocol.InitializedNotification.type, {});
        return result;
      });
  }

  // The next publication for the URI that satisfies the test (any, by
  // default), counting only those that arrive after this call.
  next(uri, test = () => true) {
    return new Promise((resolve, reject) => {
      const timer = setTimeout(
        () => reject(new Error('no diagnostics published for ' + uri)),
        TIMEOUT_MS);
      this.waiters.push((params) => {
        if (params.uri !== uri || !test(params)) return false;
        clearTimeout(timer);
        resolve(params.diagnostics);
        return true;
      });
    });
  }

  open(uri, text, version = 1) {
    return this.connection.sendNotification(
      protocol.DidOpenTextDocumentNotification.type,
      { textDocument: { uri, languageId: 'kivs', version, text } });
  }

  change(uri, version, contentChanges) {
    return this.connection.sendNotification(
      protocol.DidChangeTextDocumentNotification.type,
      { textDocument: { uri, version }, contentChanges });
  }

  close(uri) {
    return this.connection.sendNotification(
      protocol.DidCloseTextDocumentNotification.type, { textDocument: { uri } });
  }

  // Opens a document and waits for its first diagnostics.
  async check(uri, text) {
    const published = this.next(uri);
    await this.open(uri, text);
    return published;
  }

  raw(bytes) {
    return new Promise((resolve) => this.child.stdin.write(bytes, resolve));
  }

  // shutdown, exit; resolves with the exit status.
  async stop() {
    await this.connection.sendRequest(protocol.ShutdownRequest.type);
    await this.connection.sendNotification(protocol.ExitNotification.type);
    return this.exited;
  }

  kill() {
    this.connection.dispose();
    this.child.kill('SIGKILL');
  }
}

// A message as the base protocol frames it.
function frame(body) {
  const bytes = Buffer.isBuffer(body) ? body : Buffer.from(body);
  return Buffer.concat([
    Buffer.from('Content-Length: ' + bytes.length + '\r\n\r\n'), bytes]);
}

// The diagnostics as short rows: "line:character-line:character severity message".
function rows(diagnostics) {
  return diagnostics.map((d) =>
    `${d.range.start.line}:${d.range.start.character}-` +
    `${d.range.end.line}:${d.range.end.character} ` +
    `${d.severity === 1 ? 'E' : 'W'} ${d.message}`);
}

module.exports = { Server, workspace, fileUri, frame, rows, protocol, KIVG,
                   KIVLS };
