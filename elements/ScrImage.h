// CScrImage: reads an `image` block into a runtime image (sg/Image.h).
//
//     image { name { logo } bitmap { logo.bmp } rect { 0 0 4 2 1 } transparency { 0.5 }
//             property { nostretch world } enable { FALSE } }
//
// The reader makes a new image for the current module, or binds to the module's own image of
// the block's name, configures it at the closing brace, places it in the scene (Create) and
// files it with the module (AddObject). In reference mode (set by an enclosing reader) the block
// only names an image, found from the current module upwards, and nothing else is applied.
//
// Once created, an image's field key is its node, so that the readers that nest images (a
// `base` block here and in buttons) can find the picture placed there.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "lexer/ScrApi.h"
#include "reader/ScrObject.h"
#include "sg/Types.h"

class CSgImage;

class SCR_API CScrImage : public CScrObject {
 public:
  explicit CScrImage(CScriptReader* reader);
  ~CScrImage() override;

  int Read(CScrStream* f) override;

  // The node of the image: that of the image named in reference mode, or the one the image was
  // placed under; -1 when there is none.
  SGKEY FieldKey() const { return m_fieldKey; }
  // The image read or named (null in reference mode when no image has the name). Owned by the
  // module once the block was read; until then, when new, by this reader.
  CSgImage* Image() const { return m_image; }

  // Milliseconds spent in Read, over all calls.
  static long m_totalTick;

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override { m_closed = true; }

 private:
  int ReadName(CScrStream* f, const char*);
  int ReadField(CScrStream* f, const char*);
  int ReadEnable(CScrStream* f, const char*);
  int ReadMode(CScrStream* f, const char*);
  int ReadPosition(CScrStream* f, const char*);
  int ReadSize(CScrStream* f, const char*);
  int ReadOffset(CScrStream* f, const char*);
  int ReadRect(CScrStream* f, const char*);
  int ReadCorner(CScrStream* f, const char*);
  int ReadTransparency(CScrStream* f, const char*);
  int ReadBitmap(CScrStream* f, const char*);
  int ReadBitmapTempl(CScrStream* f, const char*);
  int ReadUnused(CScrStream* f, const char*);
  int ReadProperty(CScrStream* f, const char*);
  int ReadBase(CScrStream* f, const char*);
  void TakeBase(CScrStream* f, SGKEY nestedKey);
  // Gives the values to the image, places it and files it (the end of a block not in reference mode).
  void Apply();

  std::unique_ptr<CSgImage> m_own;  // a new image, until the module takes it
  CSgImage* m_image = nullptr;
  SGKEY m_fieldKey = SG_NO_KEY;
  bool m_closed = false;

  std::string m_pathName;
  int m_visible = 1;
  int m_drawMode = 1;
  int m_keepInMemory = 0;
  float m_position[3] = {0, 0, 1};
  float m_size[2] = {0, 0};
  float m_offset[2] = {0, 0};
  int m_corner = 0;
  float m_transparency = 1.0f;
  std::string m_bitmap, m_template;
  int m_noStretch = 0, m_world = 0, m_mask = 0;
  SGKEY m_baseKey = SG_NO_KEY;
};

// Reads numbers up to the closing brace of a value (the braces are optional) into out[0..max-1];
// returns how many were stored. Shared by the image and text readers.
int ScrReadNumberList(CScrStream* f, float* out, int max);
// Reads the words of a value up to its closing brace (the braces are optional; without them the
// brace that ends the list is left for the enclosing block). Blanks separate words as well.
std::vector<std::string> ScrReadWordList(CScrStream* f);
// Reads up to the brace that closes the block being read, nested blocks included: what is left
// of a block whose reading failed half-way, so that its brace does not close the block around it.
void ScrSkipToClose(CScrStream* f);
