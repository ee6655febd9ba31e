// CScrAnimation: the `animation` block reader.
//
//     animation {
//       name { valve_open }            a new animation, or more for one of that name
//       id { ... }  group { G }  from { v }  to { 10 }  speedup { 2 }
//       property { parallel reverse }  playing options, applied when the block closes
//       conditions { ... }             when it may start
//       controller { ... }             timed events (any number)
//       program { ... }                its initial program
//       animation { ... }  repeat { ... }  quick { ... }  f(a, b)   sub-animations
//       reference { animation { ... } replace { old new } time { 3 } }   or: play another one
//       trigger { ... }
//     }
//
// A name can also stand for another animation: "base@引用" plays base as it is, "base@反向"
// reversed (a "$..." tail after the word is passed over). A virtual animation of one module is
// implemented by a block of the same name in another module.
#pragma once

#include <list>
#include <string>
#include <vector>

#include "reader/ScrObject.h"

class CAnimation;
class CKvoObject;
class CSgVariable;

class SCR_API CScrAnimation : public CScrObject {
 public:
  explicit CScrAnimation(CScriptReader* reader);
  ~CScrAnimation() override;

  // Reads one block, its opening brace still unread; non-zero on success. Afterwards the
  // animation exists (created or re-opened) except after the aborting failures.
  int Read(CScrStream* f) override;

  // The animation built or re-opened; null before Read.
  CAnimation* Animation() const { return m_animation; }
  // 1 when Read created the animation (the parent files it), 0 when the block re-opened an
  // existing one or stood for a virtual declaration.
  int IsNew() const { return m_new; }
  // 1 when the block was `declare`d: the parent does not take it as a sub-animation.
  int IsDeclaredOnly() const { return m_declaredOnly; }
  // The animation when it is new (the caller owns it from then on), else null.
  CKvoObject* TakeObject() override;

  // A block nested in another reader's: read under the block-depth bound without counting its
  // time twice (the outer read counts it); the block's result.
  int ReadInner(CScrStream* f);
  // As ReadInner, then a new animation is filed with the current module (AddObject). Animation()
  // is afterwards the animation the block made or re-opened, null when there is none.
  int ReadInnerAndFile(CScrStream* f);

  // Milliseconds spent reading animations (an outer read counts its nested ones once).
  static long m_totalTick;

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  int ReadName(CScrStream* f, const char*);
  int ReadId(CScrStream* f, const char*);
  int ReadGroup(CScrStream* f, const char*);
  int ReadFromTo(CScrStream* f, const char* kw);
  int ReadSpeedup(CScrStream* f, const char*);
  int ReadProperty(CScrStream* f, const char*);
  int ReadConditions(CScrStream* f, const char*);
  int ReadController(CScrStream* f, const char*);
  int ReadLife(CScrStream* f, const char*);
  int ReadProgram(CScrStream* f, const char*);
  int ReadNestedAnimation(CScrStream* f, const char*);
  int ReadRepeat(CScrStream* f, const char*);
  int ReadQuick(CScrStream* f, const char*);
  int ReadReference(CScrStream* f, const char*);
  int ReadTrigger(CScrStream* f, const char*);
  int ReadCall(CScrStream* f, const char* kw);

  // Makes `existing` the animation of this block in place of the one Read created.
  void Reopen(CAnimation* existing);
  // The variable a `from`/`to` value names, or a new one for a literal; null when none.
  CSgVariable* FromToVariable(const std::string& value);

  CAnimation* m_animation = nullptr;
  int m_new = 0;
  int m_declaredOnly = 0;
  bool m_taken = false;

  // What the block holds besides its name and options: controllers, nested animations,
  // repeats, quick commands, script-function calls.
  bool m_content = false;
  bool m_closeFailed = false;           // the close found the block inconsistent
  CAnimation* m_declaration = nullptr;  // the virtual animation this block implements
  std::string m_id;
  bool m_idSet = false;
  int m_group = 0;
  bool m_groupSet = false;
  CSgVariable* m_from = nullptr;
  CSgVariable* m_to = nullptr;
  float m_speed = 1.0f;
  bool m_speedSet = false;

 public:
  // The playing options of a `property` list, kept until the block closes and then applied in
  // one order. Shared with the repeat reader. -1 means "not written".
  struct Options {
    int reverse = -1, continuous = -1, playMode = -1, constant = -1, exported = -1, isVirtual = -1;
    int switchOption = -1, signalOption = -1;
    // Takes one word; false for a word it does not know. `full` admits the words only animations
    // have (virtual, switch, signal).
    bool Take(const std::string& word, bool full);
    // Reverse, continuous play, play mode, constant and export flags, then (when `full`) the
    // virtual bit and the switch and signal options.
    void Apply(CAnimation* a) const;
  };

 private:
  Options m_options;
};

// A new animation in the current module (not filed) with the runtime's default name made
// unique: "animation", then "animation_1", "animation_2", ... passing over the names of the
// animations of the module and of those being read.
SCR_API CAnimation* ScrNewAnimation(CScriptReader* reader);
// Gives `anim` the first default name no animation of its module and none being read has.
SCR_API void ScrNameAnimationUniquely(CScriptReader* reader, CAnimation* anim);
// Files the objects of a quick command (or any list the caller owns) with AddObject; one no
// collection takes is freed. The list is left empty.
SCR_API void ScrFileObjects(CScriptReader* reader, std::list<CKvoObject*>& objects);
// Cuts a call token at its first ';' (what follows belongs to nothing a call reads).
SCR_API std::string ScrCallToken(const char* keyword);
