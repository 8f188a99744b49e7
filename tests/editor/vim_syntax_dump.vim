" Writes the syntax item at every byte of the current buffer to the
" file named by g:kivs_dump, one line each: "LINE:COLUMN ITEM HIGHLIGHT",
" after a first line giving the buffer's file type.
let s:out = ['filetype=' . &filetype]
for s:line in range(1, line('$'))
  let s:text = getline(s:line)
  for s:col in range(1, strlen(s:text))
    let s:id = synID(s:line, s:col, 1)
    let s:name = synIDattr(s:id, 'name')
    let s:link = synIDattr(synIDtrans(s:id), 'name')
    call add(s:out, s:line . ':' . s:col . ' ' . (s:name ==# '' ? '-' : s:name)
          \ . ' ' . (s:link ==# '' ? '-' : s:link))
  endfor
endfor
call writefile(s:out, g:kivs_dump)
