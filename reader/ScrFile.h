// Model and data files and settings: the `file` block (CScrFile), and the `import` and
// `settings` directives of a script block.
//
//     file { pump.sgv }
//     import { filename { valve.3ds } field { /scene/pump } }
//     settings { workdir { CURDIR\data } resolution { 1024, 768 } default { reactionlocal } }
//
// A file's type is told by its extension; the loaders are the runtime's (sg/Loaders.h). Every
// file loaded is recorded in the current module (CSgLoadedFile), every settings block too
// (CSgSettings), so that what a script loaded and set can be seen after reading.
#pragma once

#include <memory>
#include <string>

#include "lexer/ScrApi.h"
#include "reader/ScrObject.h"

class CSgSettings;

class SCR_API CScrFile : public CScrObject {
 public:
  explicit CScrFile(CScriptReader* reader);
  ~CScrFile() override;

  // file [{] name [further tokens] [}]. 0 when the file cannot be read (which stops the script
  // block); 1 otherwise, also for a type that is not known (reported).
  int Read(CScrStream* f) override;

  // Milliseconds spent in Read, over all calls.
  static long m_totalTick;
};

// import { filename {name} field {path} }: loads a 3DS or scene model under the field when the
// block closes.
class CScrImport : public CScrObject {
 public:
  using CScrObject::CScrObject;
  int Read(CScrStream* f) override { return ReadBlock(f); }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  int ReadFileName(CScrStream* f, const char*);
  int ReadField(CScrStream* f, const char*);
  std::string m_name;
  std::string m_field;
};

// settings { workdir vertical resolution font_scale stereo default }: passes display settings
// to the runtime and reader options to the reader; records what it set in the current module.
class CScrSettings : public CScrObject {
 public:
  explicit CScrSettings(CScriptReader* reader);
  ~CScrSettings() override;
  int Read(CScrStream* f) override;

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;

 private:
  int ReadWorkDir(CScrStream* f, const char*);
  int ReadVertical(CScrStream* f, const char*);
  int ReadResolution(CScrStream* f, const char*);
  int ReadFontScale(CScrStream* f, const char*);
  int ReadStereo(CScrStream* f, const char*);
  int ReadDefault(CScrStream* f, const char*);
  std::unique_ptr<CSgSettings> m_record;  // handed to the module when the block is read
};

// The filesystem path of a file a script names (a whole script path, in GBK): tried as given and,
// failing that, with the path converted to UTF-8. "" when neither is a regular file this process
// may read.
SCR_API std::string ScrReadableFilePath(const std::string& scriptPath);

// The directory `settings { workdir { CURDIR... } }` stands for: the directory of the script file
// being read, made whole against the process's current directory when the file was named by a
// relative path. No trailing separator.
SCR_API std::string ScrScriptDirectory(const char* scriptFileName);
