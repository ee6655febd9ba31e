" Vim compiler file
" Compiler:    scrread (scene script reader)
" Usage:       :compiler scrread   then   :make %   (or :make some.scr other.scr)
"
" scrread prints one diagnostic per line, FILE:LINE: error|warning|note: TEXT, in UTF-8,
" and a summary line, which is left out with -q.

if exists("current_compiler")
  finish
endif
let current_compiler = "scrread"

if exists(":CompilerSet") != 2
  command -nargs=* CompilerSet setlocal <args>
endif

let s:cpo_save = &cpo
set cpo&vim

CompilerSet makeprg=scrread\ -q\ --color=never\ $*
CompilerSet errorformat=
      \%f:%l:\ %trror:\ %m,
      \%f:%l:\ %tarning:\ %m,
      \%f:%l:\ note:\ %m,
      \%f:\ %trror:\ %m,
      \%f:\ %tarning:\ %m,
      \%f:\ note:\ %m,
      \%-G%.%#

let &cpo = s:cpo_save
unlet s:cpo_save
