// Tokenizes a spec source with a TextMate grammar through the same tokenizer
// library and regular-expression engine the editor uses, and prints one line
// per token: "LINE:COLUMN:LENGTH SCOPE..." with 1-based line and column and
// the token's scopes from outermost to innermost.
//
// usage: node textmate_tokens.js NODE_MODULES GRAMMAR SOURCE
'use strict';
const fs = require('fs');
const path = require('path');

const [modules, grammarPath, sourcePath] = process.argv.slice(2);
if (!sourcePath) {
  process.stderr.write('usage: node textmate_tokens.js NODE_MODULES GRAMMAR SOURCE\n');
  process.exit(2);
}
const textmate = require(path.join(modules, 'vscode-textmate'));
const oniguruma = require(path.join(modules, 'vscode-oniguruma'));

// The regular-expression engine is compiled to WebAssembly and ships inside
// the installed package.
const wasm = fs.readFileSync(
    path.join(modules, 'vscode-oniguruma', 'release', 'onig.wasm')).buffer;
const onigLib = oniguruma.loadWASM(wasm).then(() => ({
  createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
  createOnigString: (text) => new oniguruma.OnigString(text),
}));

const registry = new textmate.Registry({
  onigLib,
  loadGrammar: async () => textmate.parseRawGrammar(
      fs.readFileSync(grammarPath, 'utf8'), grammarPath),
});

async function main() {
  const raw = JSON.parse(fs.readFileSync(grammarPath, 'utf8'));
  const grammar = await registry.loadGrammar(raw.scopeName);
  if (!grammar) throw new Error(`no grammar for ${raw.scopeName}`);
  // Bytes, not UTF-8: columns then count bytes as the lexer does.
  const text = fs.readFileSync(sourcePath, 'latin1');
  const lines = text.split('\n');
  if (lines.length > 1 && lines[lines.length - 1] === '') lines.pop();
  const out = [];
  let state = textmate.INITIAL;
  lines.forEach((line, index) => {
    const result = grammar.tokenizeLine(line, state);
    for (const token of result.tokens) {
      const end = Math.min(token.endIndex, line.length);
      if (end <= token.startIndex) continue;
      out.push(`${index + 1}:${token.startIndex + 1}:${end - token.startIndex} ` +
               token.scopes.join(' '));
    }
    state = result.ruleStack;
  });
  process.stdout.write(out.join('\n') + (out.length ? '\n' : ''));
}

main().catch((error) => {
  process.stderr.write(`${error.stack || error}\n`);
  process.exit(1);
});
