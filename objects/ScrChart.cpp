// Charts and tables.
#include "objects/ScrChart.h"

#include <algorithm>
#include <cmath>
#include <list>
#include <string>

#include "declarations/ScrVariable.h"
#include "elements/ScrImage.h"  // CScrImage, ScrReadNumberList, ScrReadWordList
#include "lexer/ScrLex.h"
#include "lexer/ScrValues.h"
#include "reader/ScriptReader.h"
#include "sg/Chart.h"
#include "sg/Gfx.h"
#include "sg/Image.h"
#include "sg/Kvo.h"
#include "sg/Module.h"
#include "sg/Variable.h"

namespace {

// A property or type word as the readers compare it: lower case, without blanks.
std::string Folded(std::string word) {
  ScrNormalizeString(word);
  ScrShrinkString(word);
  return word;
}

// Numbers up to the closing brace of a value, at most CScrChart::kMaxValues.
std::vector<float> NumberList(CScrStream* f) {
  float v[CScrChart::kMaxValues];
  const int n = ScrReadNumberList(f, v, CScrChart::kMaxValues);
  return std::vector<float>(v, v + n);
}

// The chart a type word names, or null for a word that names none.
std::unique_ptr<CChartObject> NewChart(const std::string& type) {
  if (type == "percent") return std::make_unique<CPercent>();
  if (type == "dashboard") return std::make_unique<CDashBoard>();
  if (type == "histogram") return std::make_unique<CHistogram>();
  if (type == "curve") return std::make_unique<CCurve>();
  if (type == "number") return std::make_unique<CNumber>();
  if (type == "chart") return std::make_unique<CChart>();
  if (type == "guide") return std::make_unique<CGuideLine>();
  if (type == "thermography") return std::make_unique<CThermography>();
  return nullptr;
}

// The chart object of a name in the module; an empty name names none.
CChartObject* FindChart(CSgModule* module, const std::string& name) {
  if (!module || name.empty()) return nullptr;
  return dynamic_cast<CChartObject*>(module->FindChartObject(name.c_str()));
}

// title { "text" }: the text shown, without the quotes that let it hold blanks and commas.
std::string Unquoted(std::string text) {
  KVOSkipDoubleQuotes(text.data());
  text.resize(std::char_traits<char>::length(text.c_str()));
  return text;
}

// field { path }: the node is made when missing; its key, or -1.
SGKEY OpenCloseField(const std::string& path) {
  const SGKEY key = SgOpenField(path.c_str());
  SgCloseField();
  return key;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// chart

CScrChart::CScrChart(CScriptReader* reader) : CScrObject(reader) {}

CScrChart::~CScrChart() = default;

int CScrChart::Read(CScrStream* f) {
  const int r = ReadBlock(f);
  if (m_stopped) return m_result;
  return r ? m_result : 0;
}

int CScrChart::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrChart> kSubs = {
      {"name", &CScrChart::ReadName},         {"title", &CScrChart::ReadTitle},
      {"field", &CScrChart::ReadField},       {"type", &CScrChart::ReadType},
      {"property", &CScrChart::ReadProperty}, {"size", &CScrChart::ReadSize},
      {"range", &CScrChart::ReadRange},       {"color", &CScrChart::ReadColor},
      {"position", &CScrChart::ReadPosition}, {"variable", &CScrChart::ReadVariable},
      {"image", &CScrChart::ReadImage},       {"chart", &CScrChart::ReadChart},
      {"enable", &CScrChart::ReadEnable},
  };
  return kSubs.Dispatch(this, f, kw);
}

int CScrChart::ReadName(CScrStream* f, const char*) {
  ReadValueString(f, m_name);
  m_hasName = true;
  return SCR_SUB_OK;
}

int CScrChart::ReadTitle(CScrStream* f, const char*) {
  ReadValueString(f, m_title);
  m_title = Unquoted(m_title);
  m_hasTitle = true;
  return SCR_SUB_OK;
}

int CScrChart::ReadField(CScrStream* f, const char*) {
  std::string path;
  ReadValueString(f, path);
  m_fieldKey = OpenCloseField(path);
  m_hasField = true;
  return SCR_SUB_OK;
}

// type { word }: makes the chart, unless the block already made one. A word that names no
// chart is passed to the graphics library's error text.
int CScrChart::ReadType(CScrStream* f, const char*) {
  std::string type;
  ReadValueString(f, type);
  m_hasType = true;
  if (m_own) return SCR_SUB_OK;
  m_own = NewChart(Folded(type));
  if (!m_own) SgSetErrorMessage(ScrText(ScrTextId::msg_chart_type_error));
  return SCR_SUB_OK;
}

// property { up | down | left | right ... }: the last word sets the orientation; a word holding
// none of them is reported and ends the list.
int CScrChart::ReadProperty(CScrStream* f, const char*) {
  static const char* const kWords[] = {"up", "down", "left", "right"};
  for (const std::string& w : ScrReadWordList(f)) {
    const std::string folded = Folded(w);
    int found = -1;
    for (int i = 0; i < 4 && found < 0; ++i)
      if (folded.find(kWords[i]) != std::string::npos) found = i;
    if (found < 0) {
      ReportInvalidString(f, w.c_str());
      m_result = 0;
      return SCR_SUB_FAIL;
    }
    m_orientation = found;
    m_hasProperty = true;
  }
  return SCR_SUB_OK;
}

int CScrChart::ReadSize(CScrStream* f, const char*) {
  const std::vector<float> v = NumberList(f);
  m_size[0] = v.size() > 0 ? v[0] : 0.0f;
  m_size[1] = v.size() > 1 ? v[1] : 0.0f;
  m_hasSize = true;
  return SCR_SUB_OK;
}

int CScrChart::ReadRange(CScrStream* f, const char*) {
  const std::vector<float> v = NumberList(f);
  for (size_t i = 0; i < 4; ++i) m_range[i] = i < v.size() ? v[i] : 0.0f;
  m_hasRange = true;
  return SCR_SUB_OK;
}

int CScrChart::ReadColor(CScrStream* f, const char*) {
  m_colors = NumberList(f);
  m_hasColor = true;
  return SCR_SUB_OK;
}

int CScrChart::ReadPosition(CScrStream* f, const char*) {
  m_position = NumberList(f);
  m_hasPosition = true;
  return SCR_SUB_OK;
}

// variable { ... }: a new variable joins the current module; a block naming an existing
// variable binds the chart to it. A block that fails ends the chart as it stands.
int CScrChart::ReadVariable(CScrStream* f, const char*) {
  CScrVariable r(ScriptReader());
  if (!ReadNested(r, f)) {
    m_stopped = true;
    return SCR_SUB_STOP;
  }
  CSgVariable* var = r.Variable();
  if (CKvoObject* made = r.TakeObject()) {
    var = static_cast<CSgVariable*>(made);
    ScriptReader()->CurrentModule()->AddVariable(var, 1);
  }
  if (var) {
    m_value = var;
    m_hasVariable = true;
  }
  return SCR_SUB_OK;
}

// image { ... }: the background of a container; the image is its module's.
int CScrChart::ReadImage(CScrStream* f, const char*) {
  CScrImage r(ScriptReader());
  const int ok = ReadNested(r, f);
  if (!ok || !r.Image()) {
    Report(ScrTextId::err_image_not_predefined, f, {ScrGetCurKeyWord()});
    m_result = 0;
    m_stopped = true;
    return SCR_SUB_STOP;
  }
  m_image = r.Image();
  m_hasImage = true;
  return SCR_SUB_OK;
}

// chart { ... }: a chart of the container, filed by its own block.
int CScrChart::ReadChart(CScrStream* f, const char*) {
  CScrChart r(ScriptReader());
  const int ok = ReadNested(r, f);
  if (!ok || !r.Object()) {
    Report(ScrTextId::err_chart_not_predefined, f, {ScrGetCurKeyWord()});
    m_result = 0;
    m_stopped = true;
    return SCR_SUB_STOP;
  }
  m_charts.push_back(r.Object());
  m_hasCharts = true;
  return SCR_SUB_OK;
}

int CScrChart::ReadEnable(CScrStream* f, const char*) {
  ReadValueBool(f, m_enable);
  m_hasEnable = true;
  return SCR_SUB_OK;
}

// Without a chart of its own the block names an existing chart; with one, an existing chart of
// the same name is updated and the new one dropped, else the new one is filed.
bool CScrChart::Settle() {
  CSgModule* module = ScriptReader()->CurrentModule();
  CChartObject* found = FindChart(module, m_name);
  if (!m_own) {
    if (!found) {
      SgSetErrorMessage(ScrText(ScrTextId::msg_chart_not_created));
      m_result = 0;
      return false;
    }
    m_chart = found;
    return true;
  }
  if (found) {
    m_own.reset();
    m_chart = found;
    return true;
  }
  // The name first, so that the chart is filed under it.
  if (m_hasName) m_own->SetName(m_name.c_str(), 1);
  if (!ScriptReader()->AddObject(m_own.get())) {
    m_own.reset();
    m_result = 0;
    return false;
  }
  m_chart = m_own.release();
  return true;
}

void CScrChart::Finish() {
  if (!Settle()) return;
  CChartObject* c = m_chart;
  if (m_hasName) c->SetName(m_name.c_str(), 1);
  if (m_hasTitle) c->SetTitle(m_title.c_str());
  if (m_hasPosition) c->SetPosition(m_position.data(), (int)m_position.size());
  if (m_hasSize) c->SetSize(m_size[0], m_size[1]);
  if (m_hasField) c->SetFieldKey(m_fieldKey);
  if (m_hasVariable) c->SetValueVariable(m_value);
  if (m_hasColor) c->SetColors(m_colors.data(), (int)m_colors.size() / 3);
  ApplyKind();
  const bool more = m_hasTitle || m_hasField || m_hasProperty || m_hasSize || m_hasRange || m_hasColor ||
                    m_hasPosition || m_hasVariable || m_hasImage || m_hasCharts || m_hasEnable || m_hasType;
  if (more) c->Initialize();
  if (m_enable) c->Enable();
  else c->Disable();
}

void CScrChart::ApplyKind() {
  CChartObject* c = m_chart;
  if (auto* d = dynamic_cast<CDashBoard*>(c)) {
    if (m_hasRange) d->SetRange(m_range[0], m_range[1]);
  } else if (auto* h = dynamic_cast<CHistogram*>(c)) {
    if (m_hasRange) h->SetRange(m_range[0], m_range[1]);
    if (m_hasProperty) h->SetOrientation(m_orientation);
  } else if (auto* cv = dynamic_cast<CCurve*>(c)) {
    if (m_hasRange) {
      cv->SetXRange(m_range[0], m_range[1]);
      cv->SetYRange(m_range[2], m_range[3]);
    }
  } else if (auto* n = dynamic_cast<CNumber*>(c)) {
    if (m_hasRange) n->SetBounds(m_range[0], m_range[1]);
  } else if (auto* g = dynamic_cast<CGuideLine*>(c)) {
    if (m_hasPosition) g->SetPoints(m_position.data(), (int)m_position.size() / 3);
    if (m_hasSize) g->SetWidth(m_size[0]);
  } else if (auto* t = dynamic_cast<CThermography*>(c)) {
    if (m_hasPosition) {
      // The positions as a float array of the module, one element per number.
      auto* var = new CSgVariable();
      var->SetName((std::string(c->Name()) + "@position").c_str());
      var->SetVarType(SGVT_FLOATARRAY, (int)m_position.size());
      for (size_t i = 0; i < m_position.size(); ++i) var->Element((int)i)->SetFloat(m_position[i]);
      ScriptReader()->CurrentModule()->AddVariable(var, 1);
      t->SetPositionVariable(var);
    }
    if (m_hasSize) {
      t->SetHeatRadius(m_size[0]);
      t->SetAltitude(m_size[1]);
    }
  } else if (auto* box = dynamic_cast<CChart*>(c)) {
    if (m_image) {
      m_image->SetStretch(0);
      box->SetImage(m_image);
      FitImage();
    }
    for (CChartObject* sub : m_charts) box->AddObject(sub);
  }
}

// A background image that is empty, larger than the container or not wholly inside it is
// moved and sized to the container's rectangle; one that fits keeps its place.
void CScrChart::FitImage() {
  const CChartObject* c = m_chart;
  const std::vector<float>& p = c->Position();
  const float cx = p.size() > 0 ? p[0] : 0.0f, cy = p.size() > 1 ? p[1] : 0.0f;
  const float cw = c->Size()[0], ch = c->Size()[1];
  const float* ip = m_image->Position();
  const float iw = m_image->Size()[0], ih = m_image->Size()[1];
  const bool empty = iw < 0.001f || ih < 0.001f;
  const bool larger = iw > cw || ih > ch;
  const bool outside = ip[0] - iw / 2 < cx - cw / 2 || ip[0] + iw / 2 > cx + cw / 2 || ip[1] - ih / 2 < cy - ch / 2 ||
                       ip[1] + ih / 2 > cy + ch / 2;
  if (!empty && !larger && !outside) return;
  const float pos[3] = {cx, cy, ip[2]};
  m_image->SetPosition(pos);
  m_image->SetSize(cw, ch);
  // The placed picture follows.
  if (m_image->ImageKey() != SG_NO_KEY) SgSetImagePlacement(m_image->ImageKey(), pos, m_image->Size());
}

// ---------------------------------------------------------------------------------------------
// table

CScrTable::CScrTable(CScriptReader* reader) : CScrObject(reader), m_own(std::make_unique<CTable>()) {
  m_object = m_own.get();
}

CScrTable::~CScrTable() = default;

CKvoObject* CScrTable::TakeObject() { return m_own.release(); }

int CScrTable::Read(CScrStream* f) {
  // A token that is no keyword ends the table silently, without its settings.
  const int r = ReadBlock(f, nullptr, true);
  if (m_closed) Apply();
  return r;
}

int CScrTable::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrTable> kSubs = {
      {"name", &CScrTable::ReadName},         {"enable", &CScrTable::ReadEnable},
      {"title", &CScrTable::ReadTitle},       {"position", &CScrTable::ReadPosition},
      {"size", &CScrTable::ReadSize},         {"items", &CScrTable::ReadItems},
      {"values", &CScrTable::ReadItems},      {"image", &CScrTable::ReadImage},
      {"field", &CScrTable::ReadField},       {"color", &CScrTable::ReadColor},
      {"property", &CScrTable::ReadProperty},
  };
  return kSubs.Dispatch(this, f, kw);
}

// name { n }: a chart object of that name in the module becomes the one the block sets up
// (the reader's own table is dropped); otherwise the reader's table takes the name.
int CScrTable::ReadName(CScrStream* f, const char*) {
  std::string name;
  ReadValueString(f, name);
  if (CChartObject* found = FindChart(ScriptReader()->CurrentModule(), name)) {
    if (found != m_own.get()) m_own.reset();
    m_object = found;
    return SCR_SUB_OK;
  }
  if (!m_own) m_own = std::make_unique<CTable>();  // an earlier name named another object
  m_own->SetName(name.c_str(), 1);
  m_object = m_own.get();
  return SCR_SUB_OK;
}

// enable { TRUE | FALSE }: any other word leaves the table as it was.
int CScrTable::ReadEnable(CScrStream* f, const char*) {
  std::string word;
  ReadValueString(f, word);
  if (straccord(word.c_str(), "TRUE")) m_show = 1;
  else if (straccord(word.c_str(), "FALSE")) m_show = 0;
  return SCR_SUB_OK;
}

int CScrTable::ReadTitle(CScrStream* f, const char*) {
  ReadValueString(f, m_title);
  m_title = Unquoted(m_title);
  m_hasTitle = true;
  return SCR_SUB_OK;
}

int CScrTable::ReadPosition(CScrStream* f, const char*) {
  m_position = NumberList(f);
  m_hasPosition = true;
  return SCR_SUB_OK;
}

int CScrTable::ReadSize(CScrStream* f, const char*) {
  const std::vector<float> v = NumberList(f);
  m_size[0] = v.size() > 0 ? v[0] : 0.0f;
  m_size[1] = v.size() > 1 ? v[1] : 0.0f;
  m_hasSize = true;
  return SCR_SUB_OK;
}

// items { a, b, ... } and values { ... }: variables of the module, or literals. A list that
// cannot be read whole is reported and leaves the lines it would have set as they were.
int CScrTable::ReadItems(CScrStream* f, const char* kw) {
  const bool items = std::string(kw) == "items";
  const int braced = OpenBrace(f);
  std::list<CSgVariable*> vars;
  const int ok = ScrReadAllVariables(f, vars);
  if (!ok) {
    int count = 0;
    float sink[1];
    ScrReadAllValues(f, sink, count, 0);  // reads none: moves to the '}'
  }
  if (braced) CloseBrace(f);
  if (!ok) {
    Report(items ? ScrTextId::err_items_variables : ScrTextId::err_values_variables, f, {ScrGetCurKeyWord()});
    return SCR_SUB_FAIL;
  }
  (items ? m_items : m_values).assign(vars.begin(), vars.end());
  return SCR_SUB_OK;
}

// image { ... }: the table's background; the image is its module's.
int CScrTable::ReadImage(CScrStream* f, const char*) {
  CScrImage r(ScriptReader());
  const int ok = ReadNested(r, f);
  if (!ok || !r.Image()) {
    Report(ScrTextId::err_image_not_predefined, f, {ScrGetCurKeyWord()});
    return SCR_SUB_STOP;
  }
  m_image = r.Image();
  return SCR_SUB_OK;
}

// field { path }: the node is made when missing; the table keeps nothing of it.
int CScrTable::ReadField(CScrStream* f, const char*) {
  std::string path;
  ReadValueString(f, path);
  OpenCloseField(path);
  return SCR_SUB_OK;
}

// color { ... }: read for the grammar's sake; a table draws in the host's colours.
int CScrTable::ReadColor(CScrStream* f, const char*) {
  NumberList(f);
  return SCR_SUB_OK;
}

// property { horizontal ... }: tables are laid out horizontally only; any other word is
// reported and ends the list.
int CScrTable::ReadProperty(CScrStream* f, const char*) {
  for (const std::string& w : ScrReadWordList(f)) {
    if (Folded(w).find("horizontal") == std::string::npos) {
      ReportInvalidString(f, w.c_str());
      return SCR_SUB_FAIL;
    }
  }
  return SCR_SUB_OK;
}

// The settings read, given at the closing brace. Lines belong to tables only: a block that
// named another kind of chart object sets what every chart has.
void CScrTable::Apply() {
  CChartObject* c = m_object;
  if (m_hasPosition) c->SetPosition(m_position.data(), (int)m_position.size());
  if (m_hasSize) c->SetSize(m_size[0], m_size[1]);
  if (m_hasTitle) c->SetTitle(m_title.c_str());
  auto* t = dynamic_cast<CTable*>(c);
  if (t) {
    if (m_image) t->SetBackImage(m_image);
    const size_t lines = std::max(m_items.size(), m_values.size());
    t->SetLineNum((int)lines);
    for (size_t i = 0; i < lines; ++i) {
      if (i < m_items.size()) t->SetItemVariable((int)i, m_items[i]);
      if (i < m_values.size()) t->SetValueVariable((int)i, m_values[i]);
    }
  }
  c->Initialize();
  if (t) t->Show(m_show);
}
