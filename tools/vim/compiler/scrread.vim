" Vim compiler file
" Compiler:    scrread (scene script reader)
" Usage:       :compiler scrread   then   :make %   (or :make some.scr other.scr)
"
" scrread prints one diagnostic per line, FILE:LINE:COLUMN: error|warning|note: TEXT [code]
" (the column when known), in UTF-8, and a summary line, which is left out with -q. Its own
" usage errors ("scrread: error: ...") name no file and are not taken for one.

if exists("current_compiler")
  finish
endif
let current_compiler = "scrread"

if exists(":CompilerSet") != 2
  command -nargs=* CompilerSet setlocal <args>
endif

let s:cpo_save = &cpo
set cpo&vim

CompilerSet makeprg=scrread\ -q\ --color=never\ --format=gcc\ $*
CompilerSet errorformat=
      \%-Gscrread:\ %.%#,
      \%f:%l:%c:\ %trror:\ %m,
      \%f:%l:%c:\ %tarning:\ %m,
      \%f:%l:%c:\ note:\ %m,
      \%f:%l:\ %trror:\ %m,
      \%f:%l:\ %tarning:\ %m,
      \%f:%l:\ note:\ %m,
      \%f:\ %trror:\ %m,
      \%f:\ %tarning:\ %m,
      \%f:\ note:\ %m,
      \%-G%.%#

let &cpo = s:cpo_save
unlet s:cpo_save
