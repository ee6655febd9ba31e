// Quick commands. Each names a small fixed animation: one controller with a life and one action
// with one record, except fading and highlighting, which take several steps. The commands are
// found by substring, in table order, so that "showfields:" is not taken for "showfield:".
#include "animation/ScrQuick.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "lexer/ScrLex.h"
#include "lexer/ScrValues.h"
#include "reader/ScriptReader.h"
#include "sg/Action.h"
#include "sg/Animation.h"
#include "sg/Event.h"
#include "sg/Gfx.h"
#include "sg/Kvo.h"
#include "sg/Module.h"

namespace {

enum class Arg { None, Node, Pattern, Number, Fade, Hilight, Camera };

struct QuickCommand {
  const char* command;
  Arg arg;
  float lifeStart, lifeEnd;
  int type;
  int fixedBool;            // -1 none
  const char* fixedString;  // "" none
  int necessary;
};

// In the order they are searched for.
const QuickCommand kCommands[] = {
    {"showfield:", Arg::Node, 20, 100, 101, 1, "", 0},
    {"showfields:", Arg::Pattern, 20, 200, 101, 1, "", 0},
    {"hidefield:", Arg::Node, 20, 100, 100, 0, "", 0},
    {"hidefields:", Arg::Pattern, 20, 100, 100, 0, "", 0},
    {"showannotation:", Arg::Node, 20, 200, 102, 1, "", 0},
    {"hideannotation:", Arg::Node, 20, 100, 102, 0, "", 0},
    {"backupfield:", Arg::Node, 20, 200, 111, -1, "", 0},
    {"restorefield:", Arg::Node, 20, 200, 112, -1, "", 0},
    {"fadefield:", Arg::Fade, 0, 0, 0, -1, "", 0},
    {"loadimage:", Arg::Node, 20, 200, 103, -1, "", 0},
    {"unloadimage:", Arg::Node, 20, 200, 104, -1, "", 0},
    {"hilightfield:", Arg::Hilight, 0, 0, 0, -1, "", 0},
    {"setcamera:", Arg::Camera, 20, 100, 300, -1, "iso", 0},
    {"hideallannotations", Arg::None, 20, 200, 102, 0, "", 0},
    {"resetactiveanimations", Arg::None, 0, 200, 201, -1, "active", 0},
    {"pauseactiveanimations", Arg::None, 0, 200, 205, -1, "active", 1},
    {"continueactiveanimations", Arg::None, 0, 200, 204, -1, "active", 1},
    {"stopactiveanimations", Arg::None, 0, 200, 203, -1, "active", 1},
    {"fastactiveanimations", Arg::None, 0, 200, 206, -1, "active", 0},
    {"slowactiveanimations", Arg::None, 0, 200, 207, -1, "active", 0},
    {"showprogress", Arg::None, 0, 200, 20100, 1, "", 0},
    {"hideprogress", Arg::None, 0, 200, 20100, 0, "", 1},
    {"setprogress:", Arg::Number, 0, 200, 20101, -1, "", 0},
};

}  // namespace

CScrQuick::CScrQuick(CScriptReader* reader) : CScrObject(reader) {}

CScrQuick::~CScrQuick() {
  for (CKvoObject* o : m_objects) delete o;
}

// One controller of the animation with one event bound to it.
CTEventController* CScrQuick::AddStep(CAnimation* anim, float start, float end, CTEvent* event) {
  auto* controller = new CTEventController();
  controller->SetLife(start, end);
  anim->AddController(controller);
  event->SetController(controller);
  return controller;
}

CTEventActionEx* CScrQuick::AddActionStep(CAnimation* anim, float start, float end) {
  auto* action = new CTEventActionEx(ScriptReader()->CurrentModule());
  AddStep(anim, start, end, action);
  return action;
}

int CScrQuick::Read(CScrStream* f) {
  std::string text;
  const int braced = OpenBrace(f);
  const int got = ReadValueString(f, text);
  if (braced) CloseBrace(f);
  if (!got) {
    ReportInvalidString(f, text.c_str());
    return 0;
  }
  // The command is usually quoted; the quotes are no part of it, nor are blanks after the ':'.
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
  ScrShrinkString(text);

  const QuickCommand* cmd = nullptr;
  size_t at = std::string::npos;
  for (const QuickCommand& c : kCommands) {
    at = text.find(c.command);
    if (at == std::string::npos) continue;
    if (std::strcmp(c.command, "loadimage:") == 0 && text.find("unloadimage:") != std::string::npos) continue;
    cmd = &c;
    break;
  }
  if (!cmd) {
    ReportInvalidString(f, text.c_str());
    return 0;
  }
  std::string arg = text.substr(at + std::strlen(cmd->command));
  if (cmd->arg != Arg::None && arg.empty()) {
    ReportInvalidString(f, text.c_str());
    return 0;
  }

  // The node or nodes first: a command that finds nothing builds nothing.
  CSgModule* module = ScriptReader()->CurrentModule();
  SGKEY key = SG_NO_KEY;
  std::vector<SGKEY> keys;
  if (cmd->arg == Arg::Node || cmd->arg == Arg::Fade || cmd->arg == Arg::Hilight) {
    key = FindFieldByRelativePathName(module, arg.c_str());
    if (key == SG_NO_KEY) {
      Report(ScrTextId::err_field_not_found, f, {arg, ScrGetCurKeyWord()});
      return 0;
    }
  } else if (cmd->arg == Arg::Pattern) {
    SGKEY* found = nullptr;
    int n = 0;
    if (!FindAllFieldsByRelativePathName(module, arg.c_str(), &found, &n) || n <= 0) {
      SgFreeArray(found);
      Report(ScrTextId::err_field_not_found, f, {arg, ScrGetCurKeyWord()});
      return 0;
    }
    keys.assign(found, found + (n < SCR_MAX_FIELD_KEYS ? n : SCR_MAX_FIELD_KEYS));
    SgFreeArray(found);
  } else if (cmd->arg == Arg::Camera && arg.find("iso") == std::string::npos) {
    return 1;  // the only camera the command knows
  }

  auto anim = std::make_unique<CAnimation>();
  if (cmd->arg == Arg::Fade) {
    // Fade out over a second, then hide the node and make it opaque again for its next showing.
    auto* fade = new CTEventTransparent(module);
    fade->AddKey(key);
    fade->SetTransparent(1.0f, 0);
    AddStep(anim.get(), 0, 1000, fade);
    CTEventActionEx* after = AddActionStep(anim.get(), 1000, 1500);
    ActPrm hide(101);
    hide.SetKey(key);
    hide.SetBool(0);
    ActPrm opaque(107);
    opaque.SetKey(key);
    opaque.SetFloat(1.0f);
    after->AddAction(hide);
    after->AddAction(opaque);
  } else if (cmd->arg == Arg::Hilight) {
    // Blinks twice: on, off, on, off, half a second each.
    for (int i = 0; i < 4; ++i) {
      ActPrm blink(110);
      blink.SetKey(key);
      blink.SetBool(i % 2 == 0);
      AddActionStep(anim.get(), 500.0f * (float)i, 500.0f * (float)(i + 1))->AddAction(blink);
    }
  } else {
    float end = cmd->lifeEnd;
    ActPrm record(cmd->type);
    if (cmd->fixedBool >= 0) record.SetBool(cmd->fixedBool);
    if (*cmd->fixedString) record.SetString(cmd->fixedString);
    if (cmd->arg == Arg::Node) record.SetKey(key);
    if (cmd->arg == Arg::Pattern) {
      record.SetKey(keys.front());
      record.SetKeyArray(keys.data(), (int)keys.size());
    }
    if (cmd->type == 102 && cmd->arg == Arg::None) record.SetKey(SgFieldExists("/scene"));
    if (cmd->arg == Arg::Number) {
      const int value = (int)std::strtol(arg.c_str(), nullptr, 10);
      record.SetInt(value);
      end = value == 100 ? 200.0f : 100.0f;  // a full bar stays a little longer
    }
    CTEventActionEx* action = AddActionStep(anim.get(), cmd->lifeStart, end);
    action->AddAction(record);
    if (cmd->necessary) action->SetNecessary(1);
  }
  m_objects.push_back(anim.release());
  return 1;
}
