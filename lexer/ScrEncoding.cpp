// Encodings: detection, the one iconv loop every conversion goes through, and opening script files.
#include "lexer/ScrEncoding.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "lexer/ScrPath.h"

namespace {

// glibc's names; GBK here maps 0x80 to the euro sign, as the original platform's code page does.
constexpr const char* kGbk = "GBK";
constexpr const char* kUtf8 = "UTF-8";

bool IsUtf8Name(const char* code) {
  return code && (strcasecmp(code, "UTF-8") == 0 || strcasecmp(code, "UTF8") == 0);
}

// Length of the strictly valid UTF-8 sequence at p (no overlongs, no surrogates, nothing above
// U+10FFFF), or 0 when the bytes there are not one.
size_t Utf8SequenceLength(const unsigned char* p, size_t left) {
  if (left == 0) return 0;
  const unsigned char c = p[0];
  if (c < 0x80) return 1;
  size_t n;
  unsigned char lo = 0x80, hi = 0xBF;  // bounds of the second byte
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    if (c == 0xE0) lo = 0xA0;  // overlong
    if (c == 0xED) hi = 0x9F;  // surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    if (c == 0xF0) lo = 0x90;  // overlong
    if (c == 0xF4) hi = 0x8F;  // above U+10FFFF
  } else {
    return 0;
  }
  if (left < n) return 0;
  if (p[1] < lo || p[1] > hi) return 0;
  for (size_t i = 2; i < n; ++i)
    if (p[i] < 0x80 || p[i] > 0xBF) return 0;
  return n;
}

// The code point of a valid UTF-8 sequence of n bytes.
uint32_t DecodeUtf8(const unsigned char* p, size_t n) {
  static constexpr unsigned char kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  uint32_t cp = p[0] & kLeadMask[n];
  for (size_t i = 1; i < n; ++i) cp = (cp << 6) | (p[i] & 0x3F);
  return cp;
}

// Reads a whole regular file into `out`. Anything else (a directory, a device, a pipe) is refused,
// so that a script can never make the reader wait or read for ever.
ScrOpenError ReadRegularFile(const std::string& path, std::string& out) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return ScrOpenError::NotFound;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return ScrOpenError::NotRegular;
  }
  out.clear();
  out.reserve(static_cast<size_t>(st.st_size));
  char buf[65536];
  for (;;) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      close(fd);
      return ScrOpenError::ReadError;
    }
    if (n == 0) break;
    out.append(buf, static_cast<size_t>(n));
  }
  close(fd);
  return ScrOpenError::None;
}

}  // namespace

const char* ScrEncodingName(ScrDetectedEncoding e) {
  switch (e) {
    case ScrDetectedEncoding::Ascii: return "ascii";
    case ScrDetectedEncoding::Gbk: return "gbk";
    case ScrDetectedEncoding::Utf8: return "utf-8";
  }
  return "ascii";
}

int ScrParseEncoding(const char* text, ScrEncoding* out) {
  if (!text || !out) return 0;
  if (strcasecmp(text, "auto") == 0) {
    *out = ScrEncoding::Auto;
  } else if (strcasecmp(text, "gbk") == 0) {
    *out = ScrEncoding::Gbk;
  } else if (strcasecmp(text, "utf-8") == 0 || strcasecmp(text, "utf8") == 0) {
    *out = ScrEncoding::Utf8;
  } else {
    return 0;
  }
  return 1;
}

namespace {

// Converts `in` with the open descriptor `cd`, appending to `out`. True when all of it converted.
// On a bad or incomplete sequence the conversion stops there unless `replacement` is given: then
// the bad bytes are replaced and conversion goes on.
// Each replaced whole character is noted in `lost` when given.
bool ConvertInto(iconv_t cd, bool fromUtf8, std::string_view in, std::string& out, const char* replacement,
                 std::vector<ScrLostChar>* lost = nullptr) {
  bool whole = true;
  char* inPtr = const_cast<char*>(in.data());
  size_t inLeft = in.size();
  // The output grows as needed (E2BIG); `used` is how much of it holds converted bytes. GBK text
  // is never longer than the same text in UTF-8, so a whole script converts without growing and
  // without holding twice its size.
  size_t used = out.size();
  out.resize(used + (fromUtf8 ? in.size() : in.size() * 2) + 16);
  bool flushing = false;  // after the input: emit any shift sequence the target needs

  for (;;) {
    char* outPtr = out.data() + used;
    size_t outLeft = out.size() - used;
    size_t r = flushing ? iconv(cd, nullptr, nullptr, &outPtr, &outLeft)
                        : iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    int err = errno;
    used = out.size() - outLeft;
    if (r != static_cast<size_t>(-1)) {
      if (flushing) break;
      flushing = true;
      continue;
    }
    if (err == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    if (flushing || (err != EILSEQ && err != EINVAL)) {
      whole = false;
      break;
    }
    // EILSEQ: a sequence that is invalid, or valid but not representable in the target.
    // EINVAL: an incomplete sequence at the end of the input.
    whole = false;
    if (!replacement) break;
    // A whole valid UTF-8 character that the target lacks is replaced once; anything else is
    // replaced byte by byte, so no byte disappears without a trace.
    size_t skip = 1;
    if (fromUtf8 && err == EILSEQ) {
      size_t n = Utf8SequenceLength(reinterpret_cast<const unsigned char*>(inPtr), inLeft);
      if (n > 1) skip = n;
      if (lost && n > 1) lost->push_back({used, DecodeUtf8(reinterpret_cast<const unsigned char*>(inPtr), n)});
    }
    out.resize(used);
    out += replacement;
    used = out.size();
    out.resize(used + (fromUtf8 ? inLeft : inLeft * 2) + 16);
    inPtr += skip;
    inLeft -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
  }
  out.resize(used);
  return whole;
}

// The index of the first byte from `i` on that is not ASCII (or `n`), looking at 8 bytes at a time.
size_t SkipAscii(const unsigned char* p, size_t i, size_t n) {
  for (uint64_t w; i + 8 <= n; i += 8) {
    std::memcpy(&w, p + i, 8);
    if (w & 0x8080808080808080ULL) break;
  }
  while (i < n && p[i] < 0x80) ++i;
  return i;
}

}  // namespace

bool ScrConvert(const char* fromCode, const char* toCode, std::string_view in, std::string& out,
                const char* replacement) {
  out.clear();
  iconv_t cd = iconv_open(toCode, fromCode);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  bool whole = ConvertInto(cd, IsUtf8Name(fromCode), in, out, replacement);
  iconv_close(cd);
  return whole;
}

std::string ScrGbkToUtf8(std::string_view gbk) {
  std::string out;
  ScrConvert(kGbk, kUtf8, gbk, out, "\xEF\xBF\xBD");  // U+FFFD
  return out;
}

namespace {

std::string Utf8ToGbk(std::string_view utf8, std::vector<ScrLostChar>* lost) {
  // Scripts are mostly ASCII, which is the same in both: ASCII runs are copied as they are and only
  // the runs between them go through iconv, with one descriptor for the whole text.
  std::string out;
  iconv_t cd = iconv_open(kGbk, kUtf8);
  if (cd == reinterpret_cast<iconv_t>(-1)) return out;
  out.reserve(utf8.size());
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const size_t n = utf8.size();
  for (size_t i = 0; i < n;) {
    size_t j = SkipAscii(p, i, n);
    out.append(utf8.data() + i, j - i);
    if (j == n) break;
    size_t k = j;
    while (k < n && p[k] >= 0x80) ++k;
    ConvertInto(cd, true, utf8.substr(j, k - j), out, "?", lost);
    i = k;
  }
  iconv_close(cd);
  return out;
}

// The first byte of `bytes` that is not strictly valid UTF-8, with its line and column (columns
// count characters); line -1 when there is none.
ScrBadByte FirstBadUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  ScrBadByte bad;
  int line = 1, column = 1;
  for (size_t i = 0; i < bytes.size();) {
    size_t n = Utf8SequenceLength(p + i, bytes.size() - i);
    if (n == 0) {
      bad.line = line;
      bad.column = column;
      bad.value = p[i];
      return bad;
    }
    // LF, CR LF and a lone CR each end a line, as the line index counts them.
    if (p[i] == '\n' || (p[i] == '\r' && (i + 1 == bytes.size() || p[i + 1] != '\n'))) {
      ++line;
      column = 1;
    } else if (p[i] != '\r') {
      ++column;
    }
    i += n;
  }
  return bad;
}

}  // namespace

std::string ScrUtf8ToGbk(std::string_view utf8) { return Utf8ToGbk(utf8, nullptr); }

ScrDetectedEncoding ScrDetectEncoding(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t size = bytes.size();
  size_t i = SkipAscii(p, 0, size);
  if (i == size) return ScrDetectedEncoding::Ascii;
  if (size >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) return ScrDetectedEncoding::Utf8;

  // Strict UTF-8 with evidence: two-byte sequences alone are not enough, since short GBK text
  // passes a UTF-8 check by chance; every UTF-8 hanzi is a three-byte sequence.
  bool sawLong = false;
  while (i < size) {
    if (p[i] < 0x80) {
      i = SkipAscii(p, i, size);
      continue;
    }
    size_t n = Utf8SequenceLength(p + i, size - i);
    if (n == 0) return ScrDetectedEncoding::Gbk;
    if (n >= 3) sawLong = true;
    i += n;
  }
  return sawLong ? ScrDetectedEncoding::Utf8 : ScrDetectedEncoding::Gbk;
}

std::shared_ptr<ScrSource> ScrDecodeScript(std::string name, std::string bytes, ScrEncoding enc,
                                           ScrDetectedEncoding* detected) {
  ScrDetectedEncoding found = enc == ScrEncoding::Gbk    ? ScrDetectedEncoding::Gbk
                              : enc == ScrEncoding::Utf8 ? ScrDetectedEncoding::Utf8
                                                         : ScrDetectEncoding(bytes);
  if (detected) *detected = found;
  if (found != ScrDetectedEncoding::Utf8) return std::make_shared<ScrSource>(std::move(name), std::move(bytes));
  std::string_view body(bytes);
  if (body.size() >= 3 && body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);
  // Detection only says UTF-8 of valid UTF-8; a forced decoding may meet bytes that are not. They
  // are not turned into a row of '?': the script is not read, and the reader says where.
  if (enc == ScrEncoding::Utf8) {
    ScrBadByte bad = FirstBadUtf8(body);
    if (bad.line > 0) {
      auto source = std::make_shared<ScrSource>(std::move(name), std::string());
      source->SetDecodeFindings({}, bad);
      return source;
    }
  }
  std::vector<ScrLostChar> lost;
  auto source = std::make_shared<ScrSource>(std::move(name), Utf8ToGbk(body, &lost));
  if (!lost.empty()) source->SetDecodeFindings(std::move(lost), ScrBadByte{});
  return source;
}

std::unique_ptr<CScrStream> ScrOpenScriptFile(const char* scriptPath, ScrEncoding enc, ScrDetectedEncoding* detected,
                                              ScrOpenError* error) {
  ScrOpenError dummy;
  ScrOpenError& err = error ? *error : dummy;
  err = ScrOpenError::NotFound;
  if (!scriptPath) return nullptr;
  const std::string fs = ScrToFsPath(scriptPath);
  std::string bytes;
  err = ReadRegularFile(fs, bytes);
  if (err == ScrOpenError::NotFound) {
    // A name written in a GBK script may stand for a UTF-8 name on disk.
    std::string utf8;
    if (ScrConvert(kGbk, kUtf8, fs, utf8) && utf8 != fs) err = ReadRegularFile(utf8, bytes);
  }
  if (err != ScrOpenError::None) return nullptr;
  return std::make_unique<CScrStream>(ScrDecodeScript(scriptPath, std::move(bytes), enc, detected));
}
