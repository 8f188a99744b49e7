// The spec language's client: starts kivls (the setting kivls.path, by
// default the program kivls on the program path) for every *.kivs document
// through the protocol client library, so that kivg's diagnostics appear as
// the spec is typed. Highlighting stays with the TextMate grammar.
'use strict';

const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');

let client;

function activate(context) {
  const settings = vscode.workspace.getConfiguration('kivls');
  const includePath = settings.get('includePath');
  // Without a command-line transport option: kivls speaks on standard
  // input and output only.
  const serverOptions = { command: settings.get('path') || 'kivls', args: [] };
  const clientOptions = {
    documentSelector: [{ language: 'kivs' }],
    initializationOptions: Array.isArray(includePath) ? { includePath } : {},
  };
  client = new LanguageClient('kivls', 'Kiv language server', serverOptions,
                              clientOptions);
  context.subscriptions.push(client);
  return client.start();
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
