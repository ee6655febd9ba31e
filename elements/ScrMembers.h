// Nested image and text blocks, as the readers that gather them (a page, a button's `base`)
// need them: a reader for the block, and what the block named or made once it was read.
//
// The image and text readers live in elements/ScrImage.h and elements/ScrText.h; this is the one
// place that knows their interface for the gathering readers.
#pragma once

#include <memory>
#include <string>

#include "sg/Types.h"

class CKvoObject;
class CScrObject;
class CScriptReader;

enum class ScrMemberKind { Image, Text };

// What a nested image or text block gave.
struct ScrMemberInfo {
  int created = 1;               // 0 when the block named an object defined before it
  CKvoObject* object = nullptr;  // the image or text (the module owns it once read); may be null
  std::string name;              // its name (GBK), for messages
  SGKEY key = SG_NO_KEY;         // its scene node
};

// A reader for an `image` or a flat `text` block.
std::unique_ptr<CScrObject> ScrNewMemberReader(CScriptReader* reader, ScrMemberKind kind);
// What `r`, made by ScrNewMemberReader with the same kind, read.
ScrMemberInfo ScrMemberOf(const CScrObject& r, ScrMemberKind kind);
// The first node below `key` (or `key` itself) that holds a picture; -1 when none does.
SGKEY ScrFindPictureNode(SGKEY key);
