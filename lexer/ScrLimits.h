// Every size and depth limit of the script reader, in one place.
//
// Sizes: the script format is defined with fixed buffers; the reader keeps its working text in
// growable strings and applies these sizes only where text is handed out through a caller's char
// buffer or stored in a record of fixed width. Text beyond a size is truncated, never overrun.
//
// Depths: every recursion of the reader is bounded; passing a bound is reported with a message of
// the catalogue that names the bound, and the construct is not read.
#pragma once

// --- sizes (bytes, without the terminating NUL) ---
constexpr int SCR_TOKEN_MAX = 4094;         // a line, a token, the current keyword
constexpr int SCR_TOKEN_BUFFER = SCR_TOKEN_MAX + 1;  // room a caller's token buffer must have
constexpr int SCR_PENDING_MAX = 16382;      // the pending-statement queue (informative; it grows)
constexpr int SCR_NAME_MAX = 1022;          // a name, a parameter text, an argument value
constexpr int SCR_PATH_MAX = 259;           // a path
constexpr int SCR_PATH_BUFFER = SCR_PATH_MAX + 1;
constexpr int SCR_MESSAGE_ENTRY_MAX = 254;  // one entry of the message list
constexpr int SCR_MESSAGE_FORMAT_MAX = 4094;  // a formatted message before it is split
constexpr int SCR_MAX_SUPPRESSED = 10000;   // messages kept for tools after the first error
constexpr int SCR_MAX_PARAMS = 32;          // parameters of a script function
constexpr int SCR_MACRO_NAME_MAX = 29;      // a macro name
constexpr int SCR_MAX_MACROS = 64;          // informative: the macro table grows beyond it
constexpr int SCR_KEYWORD_TABLE_BOUND = 1024;  // records a keyword search looks at
constexpr int SCR_MAX_REWRITE_OUTPUT = 65536;  // pieces one token's statement rewriting may make
                                               // (16 times the longest token); past it the token
                                               // is queued as written, with a warning

// --- depths ---
constexpr int SCR_MAX_BLOCK_DEPTH = 200;        // nested keyword readers (module in module, ...)
constexpr int SCR_MAX_INCLUDE_DEPTH = 100;      // include within include
constexpr int SCR_MAX_EXPANSION_DEPTH = 200;    // script function expanded within an expansion
constexpr int SCR_MAX_REPEAT_UNROLL = 100000;   // iterations a repeat block may unroll
// A repeat unrolls into plain copies of its body, so the copies one read makes are bounded
// together as well: each iteration counts once per record it copies (acts) or once (animations).
// Ten repeats of the largest size fill the allowance; a script that unrolls more is a runaway.
constexpr long long SCR_MAX_REPEAT_UNROLL_PER_READ = 1000000;
constexpr int SCR_MAX_EXPRESSION_DEPTH = 200;   // nested sub-expressions in the compiler

// --- sizes a script asks for ---
// The arrays one read declares (script-level, variable blocks and program locals, in the files it
// includes too) hold at most this many elements together (each array's sizes multiplied), and an
// array has at most this many dimensions: `int m[100000000]`, or a thousand lines of
// `int m[1000][1000]`, would otherwise take gigabytes before anything is reported. An element
// costs about 200 bytes, so the bound is some 20 MB.
constexpr long long SCR_MAX_ARRAY_ELEMENTS = 100000;
constexpr int SCR_MAX_ARRAY_DIMENSIONS = 255;
// An action record holds at most this many node keys (a `fields` pattern may match a whole
// scene) and this many values; further ones are passed over.
constexpr int SCR_MAX_FIELD_KEYS = 1024;
constexpr int SCR_MAX_ACT_VALUES = 1024;

// --- amplification ---
// One ReadXScript may read, in the files it includes and the script-function bodies it expands,
// at most FACTOR times the size of its own file, and never less than MIN bytes. An include counts
// the size of its file; an expansion its whole body plus SCR_EXPANSION_COST, so that tiny bodies
// expanded a million times count too. Past that the script stops with a message naming the
// limit: a small file whose functions call each other twice over, or that includes one large
// file many times, cannot make the reader work for hours.
constexpr long long SCR_EXPANDED_TEXT_MIN = 4LL << 20;  // 4 MiB
constexpr long long SCR_EXPANDED_TEXT_FACTOR = 100;
constexpr long long SCR_EXPANSION_COST = 1024;
// The module tree grows no deeper than SCR_MAX_BLOCK_DEPTH below the root either: reopening a
// qualified path (`module a:a:a { module a { } }`) would otherwise deepen it at block depth 1.
