#!/bin/sh
# End to end in a real editor: headless Neovim's built-in client starts
# kivls for a spec, shows kivg's diagnostics on it, and updates them when the
# buffer is edited (unsaved, sent as incremental changes).
#   neovim_check.sh NVIM KIVLS SOURCE_DIR
set -eu
nvim=$1 kivls=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'x = 1\nx = 2\ny = $\n' > "$work/app.kivs"
cat > "$work/init.lua" <<LUA
vim.cmd('autocmd BufRead,BufNewFile *.kivs setfiletype kivs')
vim.api.nvim_create_autocmd('FileType', {
  pattern = 'kivs',
  callback = function(args)
    local client = vim.lsp.start_client({
      name = 'kivls', cmd = { '$kivls' }, root_dir = '$work',
      init_options = { includePath = { '' } },
    })
    vim.lsp.buf_attach_client(args.buf, client)
  end,
})
LUA
cat > "$work/check.lua" <<'LUA'
local out = {}
local function shown(count)
  vim.wait(20000, function() return #vim.diagnostic.get(0) == count end, 50)
  local rows = {}
  for _, d in ipairs(vim.diagnostic.get(0)) do
    table.insert(rows, string.format('%d:%d-%d %d %s', d.lnum, d.col,
                                     d.end_col, d.severity, d.message))
  end
  table.sort(rows)
  table.insert(out, table.concat(rows, ' | '))
end
shown(2)
vim.api.nvim_buf_set_lines(0, 2, 3, false, { 'y = 3' })
shown(1)
vim.fn.writefile(out, vim.env.RESULT)
vim.cmd('qall!')
LUA
cd "$work"
RESULT="$work/result" HOME="$work" timeout 60 "$nvim" --headless -n -i NONE \
  -u "$work/init.lua" -c "luafile $work/check.lua" app.kivs < /dev/null
expected="1:0-1 2 Name 'x' redefined | 2:4-5 1 Bad token encountered: '\$'
1:0-1 2 Name 'x' redefined"
if [ "$(cat "$work/result")" != "$expected" ]; then
  echo "Neovim showed:"; cat "$work/result"
  echo "expected:"; echo "$expected"
  exit 1
fi
echo "Neovim shows kivls's diagnostics and their updates"
