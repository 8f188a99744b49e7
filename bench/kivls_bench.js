// Measures kivls through the protocol client library, as an editor drives
// it: the time from a didChange (one character, in the middle of the spec)
// to the publishDiagnostics of that version with the server's processor
// time per edit (which a busy machine does not inflate), and the server's
// resident memory while one document is edited many times.
//   node bench/kivls_bench.js KIVLS SPEC_DIR EDITS [MEMORY_EDITS]
// SPEC_DIR holds main.kivs and the modules it imports (kiv_synthetic_spec).
// Prints one JSON line.
'use strict';

const fs = require('node:fs');
const path = require('node:path');
const { spawn } = require('node:child_process');
const { performance } = require('node:perf_hooks');
const rpc = require('vscode-jsonrpc/node');
const protocol = require('vscode-languageserver-protocol');

const [kivls, specDir, editsArg, memoryArg] = process.argv.slice(2);
const edits = Number(editsArg);
const memoryEdits = Number(memoryArg || 0);

// The server's processor time so far (user and system), in ms.
function cpuMs(pid) {
  const fields = fs.readFileSync(`/proc/${pid}/stat`, 'utf8')
    .replace(/^.*\) /, '').split(' ');
  return (Number(fields[11]) + Number(fields[12])) * 10;
}

function residentKb(pid) {
  const status = fs.readFileSync(`/proc/${pid}/status`, 'utf8');
  return Number(/VmRSS:\s+(\d+)/.exec(status)[1]);
}

async function main() {
  const mainPath = path.join(specDir, 'main.kivs');
  const text = fs.readFileSync(mainPath, 'utf8');
  const lines = text.split('\n');
  // A function definition near the middle; the edit comments it out and in.
  let line = Math.floor(lines.length / 2);
  while (!lines[line].startsWith('def ')) ++line;

  const child = spawn(kivls, [], { cwd: specDir, stdio: ['pipe', 'pipe', 'inherit'] });
  const connection = rpc.createMessageConnection(
    new rpc.StreamMessageReader(child.stdout),
    new rpc.StreamMessageWriter(child.stdin));
  let waiting = null;
  connection.onNotification(protocol.PublishDiagnosticsNotification.type, (p) => {
    if (waiting && p.version === waiting.version) waiting.resolve(p);
  });
  connection.listen();
  const published = (version) => new Promise((resolve) => {
    waiting = { version, resolve };
  });

  await connection.sendRequest(protocol.InitializeRequest.type, {
    processId: process.pid, rootUri: 'file://' + specDir, capabilities: {},
    initializationOptions: { includePath: [''] },
  });
  await connection.sendNotification(protocol.InitializedNotification.type, {});
  const uri = 'file://' + mainPath;
  let version = 1;
  let first = published(version);
  const openStart = performance.now();
  await connection.sendNotification(protocol.DidOpenTextDocumentNotification.type,
    { textDocument: { uri, languageId: 'kivs', version, text } });
  const firstDiagnostics = (await first).diagnostics.length;
  const openMs = performance.now() - openStart;

  const edit = async () => {
    ++version;
    const insert = version % 2 === 0;
    const done = published(version);
    const start = performance.now();
    await connection.sendNotification(
      protocol.DidChangeTextDocumentNotification.type, {
        textDocument: { uri, version },
        contentChanges: [{
          range: { start: { line, character: 0 },
                   end: { line, character: insert ? 0 : 1 } },
          text: insert ? '#' : '',
        }],
      });
    await done;
    return performance.now() - start;
  };

  const times = [];
  const cpuStart = cpuMs(child.pid);
  for (let i = 0; i < edits; ++i) times.push(await edit());
  const cpuPerEditMs = edits > 0 ? (cpuMs(child.pid) - cpuStart) / edits : 0;
  times.sort((a, b) => a - b);

  const memory = [];
  if (memoryEdits > 0) {
    memory.push([0, residentKb(child.pid)]);
    for (let i = 1; i <= memoryEdits; ++i) {
      await edit();
      if (i === 100 || i % (memoryEdits / 5) === 0)
        memory.push([i, residentKb(child.pid)]);
    }
  }

  await connection.sendRequest(protocol.ShutdownRequest.type);
  await connection.sendNotification(protocol.ExitNotification.type);
  console.log(JSON.stringify({
    lines: lines.length, firstDiagnostics, openMs,
    bestMs: times[0], medianMs: times[Math.floor(times.length / 2)],
    worstMs: times[times.length - 1], cpuPerEditMs, memory,
  }));
}

main().catch((error) => { console.error(error); process.exit(1); });
