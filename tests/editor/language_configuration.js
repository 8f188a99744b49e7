// Reads the VS Code extension folder as the editor would and prints what it
// tells the editor about spec sources, one fact a line:
//   language=ID extensions=.EXT,... grammar=SCOPE (from the manifest)
//   grammarFile=SCOPE   (the scope name inside the grammar file it points to)
//   lineComment=TEXT brackets=OPENCLOSE,...
//   indentationRules=kept|dropped   VS Code drops them unless both the
//                                   increase and the decrease pattern are
//                                   valid regular expressions
//   indent:0|1 dedent:0|1 LINE      for each line of LINES: whether Enter
//                                   after it indents, whether typing it
//                                   takes its indentation back
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
const pattern = (text) => {
  try {
    return typeof text === 'string' ? new RegExp(text) : null;
  } catch (error) {
    return null;
  }
};
const rules = config.indentationRules || {};
const increase = pattern(rules.increaseIndentPattern);
const decrease = pattern(rules.decreaseIndentPattern);
const kept = increase !== null && decrease !== null;
out.push(`indentationRules=${kept ? 'kept' : 'dropped'}`);
const onEnter = config.onEnterRules.map((rule) => new RegExp(rule.beforeText));
for (const line of fs.readFileSync(linesPath, 'utf8').split('\n')) {
  if (line === '') continue;
  const indents = kept && increase.test(line) && onEnter.some((rule) => rule.test(line));
  const dedents = kept && decrease.test(line);
  out.push(`indent:${indents ? 1 : 0} dedent:${dedents ? 1 : 0} ${line}`);
}
process.stdout.write(out.join('\n') + '\n');
