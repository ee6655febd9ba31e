// CScrObject: the base of every keyword reader, and the reading protocol they share.
//
// A keyword reader reads the block whose keyword has just been consumed:
//
//     keyword [{]  sub-keyword [{] values [}]  sub-keyword ...  }
//
// The braces around the block and around each sub-keyword's values are optional. ReadBlock runs
// that loop once for every reader: it reads each sub-keyword, hands it to the reader's
// ReadSubKeyword (usually a lookup in a ScrSubKeywords table), reports words the reader does not
// take and skips their blocks, and ends at the closing brace. A reader only supplies what differs.
#pragma once


#include <initializer_list>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>

#include "lexer/ScrApi.h"
#include "reader/ScrFormat.h"
#include "reader/ScrText.h"

class CScriptReader;
class CScrStream;
class CKvoObject;

// What a sub-keyword handler reports back to ReadBlock.
enum ScrSubResult : int {
  SCR_SUB_FAIL = 0,      // the values were not accepted (already reported): the result becomes 0, reading goes on
  SCR_SUB_OK = 1,        // read
  SCR_SUB_UNKNOWN = -1,  // not a sub-keyword of this reader
  SCR_SUB_STOP = -2,     // stop reading the block now with result 0 (already reported)
};

class SCR_API CScrObject {
 public:
  explicit CScrObject(CScriptReader* reader);
  virtual ~CScrObject();
  CScrObject(const CScrObject&) = delete;
  CScrObject& operator=(const CScrObject&) = delete;

  // Reads the block whose keyword has just been consumed; non-zero on success.
  virtual int Read(CScrStream* f) = 0;

  // The runtime object this reader built, handed over to the caller (who then owns it), or null.
  virtual CKvoObject* TakeObject() { return nullptr; }

  CScriptReader* ScriptReader() const { return m_reader; }
  int IsCreated() const { return m_created; }
  void SetCreated(int v) { m_created = v; }
  int IsReference() const { return m_reference; }
  void SetReference(int v) { m_reference = v; }

  // Skips the block that follows, if the next token opens one; nested braces are counted and
  // braces inside quotes or comments do not count.
  void SkipBlock(CScrStream* f);

 protected:
  // Called when the closing brace of the block is met.
  virtual void Finish() {}
  // A keyword this reader does not know: the base skips the block that follows it.
  virtual void OtherKeyword(CScrStream* f, const char* keyword);
  // One sub-keyword of this reader (see ScrSubResult). The base knows none.
  virtual int ReadSubKeyword(CScrStream* f, const char* keyword);
  // A recognised word that ReadSubKeyword did not take: the base reports it as an invalid keyword
  // and skips its block. Returns SCR_SUB_OK to go on, SCR_SUB_STOP to stop the block.
  virtual int UnknownSubKeyword(CScrStream* f, const char* keyword);

  // The shared reading loop. Returns 1 when the block was read, 0 when a value was rejected or
  // the block ended on a token that is not a recognised word (reported, unless bSilentEnd: the
  // variable and geometry readers end there silently with the result so far). The elapsed
  // milliseconds are added to *totalTick when given.
  int ReadBlock(CScrStream* f, long* totalTick = nullptr, bool bSilentEnd = false);
  // The same loop, for a reader that has read the block's first token itself (kw, and r as
  // ScrReadKeyword gave it) and found it to be a sub-keyword.
  int ReadBlockFrom(CScrStream* f, std::string& kw, int r, bool bSilentEnd = false);

  // --- value helpers: each takes the optional braces around the values (a closing brace only
  // when an opening one was taken) ---
  int OpenBrace(CScrStream* f);   // consumes a '{' when one follows; 1 when it did
  int CloseBrace(CScrStream* f);  // consumes a '}' when one follows; 1 when it did
  int ReadValueString(CScrStream* f, std::string& out);  // one token
  int ReadValueBool(CScrStream* f, int& out);            // TRUE or FALSE, any letter case
  template <class T>
  int ReadValueNumbers(CScrStream* f, T* out, int n);    // n numbers (see ScrReadValues)

  // --- reporting: the file name and the line of the stream position are put in front ---
  void Report(ScrTextId id, CScrStream* f, std::initializer_list<ScrArg> args = {});
  void ReportInvalidKeyword(CScrStream* f, const char* word);  // "无效关键字", with the current keyword
  void ReportNotKeyword(CScrStream* f, const char* token);      // "不是关键字", with the current keyword
  void ReportInvalidString(CScrStream* f, const char* value);   // "无效字符串", with the current keyword

  // Runs a nested reader's Read under the block-depth bound; 0 when the bound was reached
  // (reported) or the nested Read failed.
  int ReadNested(CScrObject& nested, CScrStream* f);

  // What a `name` binds a reader's object to: `found`, the module's object of that name, when
  // there is one (the reader's own new object is dropped: the block extends the existing one);
  // otherwise the reader's own object, made when it has none yet (an earlier name may have bound
  // another object), named `name`. `current` is the object the reader worked on so far.
  template <class T>
  T* BindByName(std::unique_ptr<T>& own, T* current, T* found, const std::string& name) {
    if (found) {
      if (found != current) own.reset();
      SetCreated(0);
      return found;
    }
    if (!own) {
      own = std::make_unique<T>();
      SetCreated(1);
    }
    own->SetName(name.c_str());
    return own.get();
  }

 private:
  int m_reference = 0;
  CScriptReader* m_reader;
  int m_created = 1;
};

// A reader's sub-keywords as a hashed table from the word to a member handler:
//
//     static const ScrSubKeywords<CScrZRect> kSubs = {{"bitmap", &CScrZRect::ReadBitmap}, ...};
//     int ReadSubKeyword(CScrStream* f, const char* kw) override { return kSubs.Dispatch(this, f, kw); }
template <class T>
class ScrSubKeywords {
 public:
  using Handler = int (T::*)(CScrStream*, const char* keyword);
  ScrSubKeywords(std::initializer_list<std::pair<const char*, Handler>> entries) {
    for (const auto& e : entries) m_map.emplace(e.first, e.second);
  }
  Handler Find(const char* keyword) const {
    auto it = m_map.find(keyword);
    return it == m_map.end() ? nullptr : it->second;
  }
  int Dispatch(T* self, CScrStream* f, const char* keyword) const {
    Handler h = Find(keyword);
    return h ? (self->*h)(f, keyword) : SCR_SUB_UNKNOWN;
  }

 private:
  std::unordered_map<std::string, Handler> m_map;
};

// Adds the milliseconds between construction and destruction to a class-wide counter.
class ScrTickScope {
 public:
  explicit ScrTickScope(long* counter);
  ~ScrTickScope();
  ScrTickScope(const ScrTickScope&) = delete;
  ScrTickScope& operator=(const ScrTickScope&) = delete;

 private:
  long* m_counter;
  unsigned long m_start;
};

#include "lexer/ScrValues.h"

template <class T>
int CScrObject::ReadValueNumbers(CScrStream* f, T* out, int n) {
  int braced = OpenBrace(f);
  int ok = ScrReadValues(f, out, n);
  if (braced) CloseBrace(f);
  return ok;
}
