// Reads the VS Code extension folder as the editor would and prints what it
// tells the editor about spec sources, one fact a line:
//   language=ID extensions=.EXT,... grammar=SCOPE (from the manifest)
//   grammarFile=SCOPE   (the scope name inside the grammar file it points to)
//   lineComment=TEXT brackets=OPENCLOSE,...
//   indent:0|1 LINE      for each line of LINES: whether Enter after it indents
//
// usage: node language_configuration.js EXTENSION_DIR LINES
'use strict';
const fs = require('fs');
const path = require('path');

const [dir, linesPath] = process.argv.slice(2);
const manifest = JSON.parse(fs.readFileSync(path.join(dir, 'package.json'), 'utf8'));
const language = manifest.contributes.languages[0];
const grammar = manifest.contributes.grammars[0];
const config = JSON.parse(fs.readFileSync(path.join(dir, language.configuration), 'utf8'));
const grammarFile = JSON.parse(fs.readFileSync(path.join(dir, grammar.path), 'utf8'));

const out = [];
out.push(`language=${language.id} extensions=${language.extensions.join(',')} ` +
         `grammar=${grammar.language}:${grammar.scopeName}`);
out.push(`grammarFile=${grammarFile.scopeName}`);
out.push(`lineComment=${config.comments.lineComment} ` +
         `brackets=${config.brackets.map((pair) => pair.join('')).join(',')}`);
const increase = new RegExp(config.indentationRules.increaseIndentPattern);
const onEnter = config.onEnterRules.map((rule) => new RegExp(rule.beforeText));
for (const line of fs.readFileSync(linesPath, 'utf8').split('\n')) {
  if (line === '') continue;
  const indents = increase.test(line) && onEnter.some((rule) => rule.test(line));
  out.push(`indent:${indents ? 1 : 0} ${line}`);
}
process.stdout.write(out.join('\n') + '\n');
