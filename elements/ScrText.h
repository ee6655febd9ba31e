// Texts, multi-texts and fonts.
//
//     text      { name { title } content { 泵站 } position { 10 20 1 } font { 黑体 } color { 1 0 0 } }
//     text3d    { name { /scene/pump/label } content { 1号泵 } scale { 2 } }
//     multitext { name { help } filename { help.txt } position { 0 300 } font { size { 小四 } } }
//     font      { name { 宋体 } size { 三号 } property { bold italic } }
//
// A text is a runtime CSgText (sg/Text.h) drawn by a scene node. Its node path is its name when
// the name begins with '/', else the path name (`field`, by default the module's "texts" node)
// followed by '/' and the name. A text whose node does not exist yet is inserted there (a flat
// "remark", or a 3D text); a block whose node exists changes that text instead, one property
// only: the first given of font, position, scale, rotation, content, colour and enable.
//
// A multi-text lays out one paragraph of a multi-text document (sg/MultiText.h), the paragraph
// named by its node path, as one flat text per line, in sub-nodes "1", "2", ... of that path.
#pragma once

#include <memory>
#include <string>

#include "lexer/ScrApi.h"
#include "reader/ScrObject.h"
#include "sg/Gfx.h"
#include "sg/Text.h"

class CMultiTextDoc;

// font { ... }: a logical font (SgLogFont). The face is 黑体 until the block names another.
class SCR_API CScrFont : public CScrObject {
 public:
  explicit CScrFont(CScriptReader* reader);
  int Read(CScrStream* f) override;
  const SgLogFont& Font() const { return m_font; }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;

 private:
  int ReadName(CScrStream* f, const char*);
  int ReadSize(CScrStream* f, const char*);
  int ReadProperty(CScrStream* f, const char*);
  SgLogFont m_font;
};

// text and text3d (the dispatcher sets the 3D flag).
class SCR_API CScrText : public CScrObject {
 public:
  explicit CScrText(CScriptReader* reader);
  ~CScrText() override;

  int Read(CScrStream* f) override;

  void Set3d(int is3d) { m_values.is3d = is3d ? 1 : 0; }
  int Is3d() const { return m_values.is3d; }
  // The text's node: where it was inserted, or the existing node it changed; -1 when none.
  SGKEY FieldKey() const { return m_fieldKey; }
  // The text read or named (null in reference mode when no text has the name). Owned by the
  // module once the block was read; until then, when new, by this reader.
  CSgText* Text() const { return m_text; }

  // Milliseconds spent in Read, over all calls.
  static long m_totalTick;

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override { m_closed = true; }
  // What the closing brace does (not in reference mode).
  virtual void End(CScrStream* f);
  // The node path of the block (see the top of this file).
  std::string NodePath() const;
  // The multi-text document of `name`, from the reader's cache or read now; null for "".
  CMultiTextDoc* Document(const std::string& name);
  // A multi-text: `rect` is a sub-keyword, and `name` names the paragraph, not a text.
  virtual bool IsMulti() const { return false; }

  SgTextValues m_values;
  std::string m_name;
  std::string m_pathName;
  SGKEY m_fieldKey = SG_NO_KEY;

 private:
  int ReadName(CScrStream* f, const char*);
  int ReadField(CScrStream* f, const char*);
  int ReadFont(CScrStream* f, const char*);
  int ReadPosition(CScrStream* f, const char*);
  int ReadDirection(CScrStream* f, const char*);
  int ReadScale(CScrStream* f, const char*);
  int ReadContent(CScrStream* f, const char*);
  int ReadColor(CScrStream* f, const char*);
  int ReadRotation(CScrStream* f, const char*);
  int ReadEnable(CScrStream* f, const char*);
  int ReadFileName(CScrStream* f, const char*);
  int ReadRect(CScrStream* f, const char*);
  // Inserts the text at a node that does not exist yet.
  void Insert(const std::string& nodePath, float z);
  // Changes the text at an existing node: the first given property only.
  void ChangeOne(float z);

  std::unique_ptr<CSgText> m_own;  // a new text, until the module takes it
  CSgText* m_text = nullptr;
  bool m_closed = false;
};

// multitext { ... }: one flat text per line of a document's paragraph.
class CScrMultiText : public CScrText {
 public:
  using CScrText::CScrText;

 protected:
  void End(CScrStream* f) override;
  bool IsMulti() const override { return true; }
};
