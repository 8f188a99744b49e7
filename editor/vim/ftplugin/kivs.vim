" Kiv application specs: comments start with #, and include and import name
" files with the .kivs suffix left off.
if exists("b:did_ftplugin")
  finish
endif
let b:did_ftplugin = 1

setlocal comments=:# commentstring=#\ %s
setlocal suffixesadd=.kivs
let b:undo_ftplugin = "setlocal comments< commentstring< suffixesadd<"
