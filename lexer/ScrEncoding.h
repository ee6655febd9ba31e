// Encodings: detecting how a script file is encoded, converting between GBK and UTF-8, and opening
// script files so that readers always see GBK bytes.
//
// Every conversion goes through one iconv(3) loop (ScrConvert) that handles bad sequences,
// incomplete tails and output growth itself; nothing is ever dropped silently.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "lexer/ScrApi.h"
#include "lexer/ScrStream.h"

// How the reader decodes script files: detect, or force one encoding (the CLI's --encoding).
enum class ScrEncoding { Auto, Gbk, Utf8 };

// What detection found in a file.
enum class ScrDetectedEncoding { Ascii, Gbk, Utf8 };

SCR_API const char* ScrEncodingName(ScrDetectedEncoding e);  // "ascii", "gbk", "utf-8"

// "auto", "gbk", "utf-8" / "utf8" (ignoring case); 1 when known, `out` untouched otherwise.
SCR_API int ScrParseEncoding(const char* text, ScrEncoding* out);

// Converts `in` from `fromCode` to `toCode` (iconv names), appending to `out` (cleared first).
// Returns true when the whole input converted. On a bad or incomplete sequence the conversion stops
// there (what converted before it stays in `out`) unless `replacement` is given: then the bad byte
// is replaced by `replacement` (bytes in the target encoding) and conversion goes on, and the
// result is still false. Returns false, with `out` empty, when iconv cannot open the pair.
SCR_API bool ScrConvert(const char* fromCode, const char* toCode, std::string_view in, std::string& out,
                        const char* replacement = nullptr);

// GBK -> UTF-8; bad or incomplete bytes become U+FFFD, one per byte, never dropped.
SCR_API std::string ScrGbkToUtf8(std::string_view gbk);
// UTF-8 -> GBK; characters GBK lacks (and bad UTF-8 bytes) become '?'.
SCR_API std::string ScrUtf8ToGbk(std::string_view utf8);

// Pure ASCII -> Ascii; a UTF-8 byte-order mark -> Utf8; strictly valid UTF-8 holding at least one
// sequence of three or more bytes -> Utf8; anything else -> Gbk.
SCR_API ScrDetectedEncoding ScrDetectEncoding(std::string_view bytes);

// Why a script file could not be opened.
enum class ScrOpenError { None, NotFound, NotRegular, ReadError };

// Makes a source of script bytes read from anywhere (a file, standard input, a host's memory):
// UTF-8 content (detected, or forced) is converted to GBK, without its byte-order mark; GBK and
// ASCII content is kept as it is. `detected`, when given, receives what the bytes held (the forced
// encoding when one is forced).
SCR_API std::shared_ptr<ScrSource> ScrDecodeScript(std::string name, std::string bytes, ScrEncoding enc,
                                                   ScrDetectedEncoding* detected = nullptr);

// Opens a script file: reads it whole into memory and decodes it (ScrDecodeScript); the stream
// is named `scriptPath`. `scriptPath` is a script path in GBK bytes ('\' separates directories);
// it is tried as given and, failing that, with the name converted to UTF-8. Only regular files are
// read: a directory, a device or a pipe is refused (NotRegular). Null when the file cannot be
// opened; `error` says why.
SCR_API std::unique_ptr<CScrStream> ScrOpenScriptFile(const char* scriptPath, ScrEncoding enc,
                                                      ScrDetectedEncoding* detected = nullptr,
                                                      ScrOpenError* error = nullptr);
