// Nested image and text blocks for the page and button readers.
#include "elements/ScrMembers.h"

#include "reader/ScrObject.h"
#include "sg/Gfx.h"
#include "sg/Kvo.h"

#include "elements/ScrImage.h"
#include "elements/ScrText.h"
#include "sg/Image.h"
#include "sg/Text.h"

std::unique_ptr<CScrObject> ScrNewMemberReader(CScriptReader* reader, ScrMemberKind kind) {
  if (kind == ScrMemberKind::Image) return std::make_unique<CScrImage>(reader);
  return std::make_unique<CScrText>(reader);  // flat unless told otherwise
}

ScrMemberInfo ScrMemberOf(const CScrObject& r, ScrMemberKind kind) {
  ScrMemberInfo info;
  info.created = r.IsCreated();
  if (kind == ScrMemberKind::Image) {
    const auto& image = static_cast<const CScrImage&>(r);
    info.object = image.Image();
    info.key = image.FieldKey();
  } else {
    const auto& text = static_cast<const CScrText&>(r);
    info.object = text.Text();
    info.key = text.FieldKey();
  }
  if (info.object) info.name = info.object->Name();
  return info;
}

SGKEY ScrFindPictureNode(SGKEY key) {
  if (key == SG_NO_KEY) return SG_NO_KEY;
  SGKEY* hits = nullptr;
  int count = 0;
  SGKEY found = SG_NO_KEY;
  if (SgSearchContentsByKey(key, "images", &hits, &count) > 0 && hits && count > 0) found = hits[0];
  SgFreeArray(hits);
  return found;
}
