" Kiv application specs.
autocmd BufNewFile,BufRead *.kivs setfiletype kivs
