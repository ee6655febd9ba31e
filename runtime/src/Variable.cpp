// CSgVariable: typed values with conversions, arrays of nested variables.
#include "sg/Variable.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>

#include "sg/Describe.h"

namespace {

// The engine random variables draw from; one per process, seeded once.
std::mt19937& RandomEngine() {
  static std::mt19937 engine(std::random_device{}());
  return engine;
}

// Converts a real to an integer without undefined behaviour: truncation toward zero,
// saturated at the ends of the range, NaN gives 0.
long long RealToInteger(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 9.2233720368547758e18) return std::numeric_limits<long long>::max();
  if (v <= -9.2233720368547758e18) return std::numeric_limits<long long>::min();
  return (long long)v;
}

int Narrow(long long v) {
  if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return (int)v;
}

}  // namespace

CSgVariable::CSgVariable(int typeCode, const char* name) : CKvoObject(typeCode, name) {}

CSgVariable::~CSgVariable() {
  // Tear nested arrays down level by level rather than through nested destructor calls,
  // so an arbitrarily deep array cannot exhaust the stack.
  std::vector<std::unique_ptr<CSgVariable>> pending;
  pending.swap(m_elements);
  while (!pending.empty()) {
    std::unique_ptr<CSgVariable> v = std::move(pending.back());
    pending.pop_back();
    for (auto& e : v->m_elements) pending.push_back(std::move(e));
    v->m_elements.clear();
  }
}

// Which storage a type code keeps its value in.
// Each type keeps its value in one storage: integers (int, bool, long, byte, random and
// the further element kinds) in a 64-bit integer, float and double in a double, strings in
// text. Arrays and untyped variables hold no scalar value.
CSgVariable::Store CSgVariable::StoreOf(int varType) {
  if (varType & SGVT_ARRAY) return Store::None;
  switch (varType) {
    case SGVT_STRING:
      return Store::Text;
    case SGVT_FLOAT:
    case SGVT_DOUBLE:
      return Store::Real;
    case SGVT_NONE:
      return Store::None;
    default:
      // int, bool, long, byte, random and the further element kinds are integers.
      return Store::Integer;
  }
}

// Scalars convert the value they held; a change of array length keeps the elements in
// front; going from array to scalar drops the elements.
void CSgVariable::SetVarType(int code, int size) {
  if (code & SGVT_ARRAY) {
    // A scalar becoming an array loses its value; an array keeps its elements up to size.
    if (!IsArray()) {
      m_int = 0;
      m_real = 0.0;
      m_text.clear();
    }
    m_varType = code;
    ResizeElements(size > 0 ? size : 0);
    m_size = (int)m_elements.size();
    return;
  }
  // Scalar: convert the value held so far into the new kind.
  Store from = CurrentStore();
  Store to = StoreOf(code);
  if (from != to) {
    switch (to) {
      case Store::Integer:
        m_int = from == Store::Real ? RealToInteger(m_real) : from == Store::Text ? std::strtoll(m_text.c_str(), nullptr, 0) : 0;
        break;
      case Store::Real:
        m_real = from == Store::Integer ? (double)m_int : from == Store::Text ? std::strtod(m_text.c_str(), nullptr) : 0.0;
        break;
      case Store::Text:
        m_text = from == Store::None ? std::string() : GetString();
        break;
      case Store::None:
        break;
    }
  }
  m_elements.clear();
  m_varType = code;
  m_size = size;
  // Normalise the held value to the narrower kinds.
  if (to == Store::Integer) StoreInteger(m_int);
  if (to == Store::Real) StoreReal(m_real);
}

int CSgVariable::GetSize() const { return IsArray() ? (int)m_elements.size() : m_size; }

// New slots are untyped variables named by their index in the module of the array.
void CSgVariable::ResizeElements(int n) {
  if ((int)m_elements.size() > n) m_elements.resize((size_t)n);
  while ((int)m_elements.size() < n) {
    std::string index = std::to_string(m_elements.size());
    auto slot = std::make_unique<CSgVariable>(SGT_VARIABLE, index.c_str());
    slot->SetModule(Module());
    m_elements.push_back(std::move(slot));
  }
}

// The first value given to an untyped variable decides its type.
void CSgVariable::AdoptTypeIfUntyped(int code) {
  if (m_varType == SGVT_NONE) m_varType = code;
}

// Stores an integer in the variable's own kind (bool 0/1, byte wraps to 0..255, int and
// random stay in 32 bits, reals and text convert).
void CSgVariable::StoreInteger(long long v) {
  switch (CurrentStore()) {
    case Store::Integer:
      if (m_varType == SGVT_BOOL) v = v != 0;
      else if (m_varType == SGVT_BYTE) v = (long long)(unsigned char)(v & 0xFF);
      else if (m_varType == SGVT_INT || m_varType == SGVT_RANDOM) v = Narrow(v);
      m_int = v;
      break;
    case Store::Real:
      StoreReal((double)v);
      break;
    case Store::Text:
      m_text = std::to_string(v);
      break;
    case Store::None:
      break;
  }
}

void CSgVariable::StoreReal(double v) {
  switch (CurrentStore()) {
    case Store::Real:
      // A float variable keeps float precision, so GetFloat and GetDouble agree.
      m_real = m_varType == SGVT_FLOAT ? (double)(float)v : v;
      break;
    case Store::Integer:
      StoreInteger(m_varType == SGVT_BOOL ? (v != 0.0) : RealToInteger(v));
      break;
    case Store::Text: {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%g", v);
      m_text = buf;
      break;
    }
    case Store::None:
      break;
  }
}

// The setters convert into the variable's type; on an untyped variable each gives
// its own type (SetInt int, SetLong long, SetFloat float, SetDouble double, SetBool
// bool, SetString string).
void CSgVariable::SetInt(int v) {
  if (m_ref) return Target()->SetInt(v);
  AdoptTypeIfUntyped(SGVT_INT);
  StoreInteger(v);
}

void CSgVariable::SetLong(long long v) {
  if (m_ref) return Target()->SetLong(v);
  AdoptTypeIfUntyped(SGVT_LONG);
  StoreInteger(v);
}

void CSgVariable::SetFloat(float v) {
  if (m_ref) return Target()->SetFloat(v);
  AdoptTypeIfUntyped(SGVT_FLOAT);
  StoreReal(v);
}

void CSgVariable::SetDouble(double v) {
  if (m_ref) return Target()->SetDouble(v);
  AdoptTypeIfUntyped(SGVT_DOUBLE);
  StoreReal(v);
}

void CSgVariable::SetBool(int v) {
  if (m_ref) return Target()->SetBool(v);
  AdoptTypeIfUntyped(SGVT_BOOL);
  StoreInteger(v != 0);
}

// A text given to a numeric variable is parsed (strtoll/strtod, 0 when not a number).
void CSgVariable::SetString(const char* text) {
  if (m_ref) return Target()->SetString(text);
  AdoptTypeIfUntyped(SGVT_STRING);
  const char* t = text ? text : "";
  switch (CurrentStore()) {
    case Store::Text:
      m_text = t;
      break;
    case Store::Integer:
      StoreInteger(std::strtoll(t, nullptr, 0));
      break;
    case Store::Real:
      StoreReal(std::strtod(t, nullptr));
      break;
    case Store::None:
      break;
  }
}

// Storing an element at its own place again is a no-op rather than a self-delete.
int CSgVariable::Set(int index, CSgVariable* element) {
  if (!element) return 0;
  if (index < 0) {
    delete element;  // ownership was handed over; do not leak it
    return 0;
  }
  if (!IsArray()) SetVarType(SGVT_ARRAY, 0);
  if (index >= (int)m_elements.size()) ResizeElements(index + 1);
  if (m_elements[(size_t)index].get() != element) m_elements[(size_t)index].reset(element);
  m_size = (int)m_elements.size();
  return 1;
}

// Records the range; only a random variable draws from it.
void CSgVariable::SetRandRange(int low, int high) {
  if (low > high) std::swap(low, high);
  Extension& e = Ext();
  e.randLow = low;
  e.randHigh = high;
  e.hasRange = true;
  AdoptTypeIfUntyped(SGVT_RANDOM);
}

// The getters convert from the stored kind; reals are truncated toward zero and
// saturated, text is parsed, arrays and untyped variables give 0.
long long CSgVariable::GetLong() const {
  if (m_ref) return Target()->GetLong();
  switch (CurrentStore()) {
    case Store::Integer:
      if (m_varType == SGVT_RANDOM && m_ext && m_ext->hasRange) {
        // A random variable with a range gives a fresh draw from it on every read.
        std::uniform_int_distribution<int> dist(m_ext->randLow, m_ext->randHigh);
        return dist(RandomEngine());
      }
      return m_int;
    case Store::Real:
      return RealToInteger(m_real);
    case Store::Text:
      return std::strtoll(m_text.c_str(), nullptr, 0);
    case Store::None:
      return 0;
  }
  return 0;
}

// Values beyond 32 bits saturate rather than wrap.
int CSgVariable::GetInt() const { return Narrow(GetLong()); }

double CSgVariable::GetDouble() const {
  if (m_ref) return Target()->GetDouble();
  switch (CurrentStore()) {
    case Store::Real:
      return m_real;
    case Store::Text:
      return std::strtod(m_text.c_str(), nullptr);
    case Store::Integer:
      return (double)GetLong();
    case Store::None:
      return 0.0;
  }
  return 0.0;
}

float CSgVariable::GetFloat() const { return (float)GetDouble(); }

// A text is true unless it is empty or "0".
bool CSgVariable::GetBool() const {
  if (m_ref) return Target()->GetBool();
  switch (CurrentStore()) {
    case Store::Real:
      return m_real != 0.0;
    case Store::Text:
      return !m_text.empty() && m_text != "0";
    case Store::Integer:
      return GetLong() != 0;
    case Store::None:
      return false;
  }
  return false;
}

// Numbers are formatted into a cache, so the pointer stays valid after the call.
const char* CSgVariable::GetString() const {
  if (m_ref) return Target()->GetString();
  switch (CurrentStore()) {
    case Store::Text:
      return m_text.c_str();
    case Store::Integer:
      Ext().textCache = std::to_string(GetLong());
      return m_ext->textCache.c_str();
    case Store::Real: {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%g", m_real);
      Ext().textCache = buf;
      return m_ext->textCache.c_str();
    }
    case Store::None:
      break;
  }
  return "";
}

CSgVariable* CSgVariable::Element(int i) const {
  if (m_ref) return Target()->Element(i);
  if (i < 0 || i >= (int)m_elements.size()) return nullptr;
  return m_elements[(size_t)i].get();
}

// The Get conveniences report whether there was a scalar to read.
int CSgVariable::Get(int& out) const {
  out = 0;
  if (CurrentStore() == Store::None) return 0;
  out = GetInt();
  return 1;
}

int CSgVariable::Get(long long& out) const {
  out = 0;
  if (CurrentStore() == Store::None) return 0;
  out = GetLong();
  return 1;
}

int CSgVariable::Get(float& out) const {
  out = 0.0f;
  if (CurrentStore() == Store::None) return 0;
  out = GetFloat();
  return 1;
}

int CSgVariable::Get(double& out) const {
  out = 0.0;
  if (CurrentStore() == Store::None) return 0;
  out = GetDouble();
  return 1;
}

// One value under key (nullptr inside lists). Arrays nest as lists; arrays are walked
// with an explicit stack, so deep nesting cannot exhaust the call stack.
void CSgVariable::DescribeValue(CDescriber& d, const char* key) const {
  struct Frame {
    const CSgVariable* var;
    size_t next;
  };
  std::vector<Frame> stack;
  auto scalar = [&d](const CSgVariable* v, const char* k) {
    switch (v->CurrentStore()) {
      case Store::Text:
        d.Text(k, v->m_text.c_str());
        break;
      case Store::Real:
        d.Real(k, v->m_real);
        break;
      case Store::Integer:
        if (v->m_varType == SGVT_BOOL) d.Bool(k, v->m_int != 0);
        else d.Int(k, v->m_int);  // the stored value: a random variable is not drawn here
        break;
      case Store::None:
        d.Null(k);
        break;
    }
  };
  if (!IsArray()) {
    scalar(this, key);
    return;
  }
  d.BeginList(key);
  stack.push_back({this, 0});
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.next >= top.var->m_elements.size()) {
      d.EndList();
      stack.pop_back();
      continue;
    }
    const CSgVariable* el = top.var->m_elements[top.next++].get();
    if (el->IsArray()) {
      d.BeginList(nullptr);
      stack.push_back({el, 0});
    } else {
      scalar(el, nullptr);
    }
  }
}

// The dumps get the type code, the value and the optional extras.
void CSgVariable::Describe(CDescriber& d) const {
  d.Int("varType", m_varType);
  DescribeValue(d, "value");
  if (*ClassName()) d.Text("className", ClassName());
  if (m_varType == SGVT_RANDOM) {
    d.Int("randLow", RandLow());
    d.Int("randHigh", RandHigh());
  }
}

// ---------------------------------------------------------------- kinds, references, objects

// A chain that would lead back to this variable is refused: reads would never end.
void CSgVariable::SetRefVar(CSgVariable* target) {
  m_ref = nullptr;
  if (!target) return;
  CSgVariable* end = target->Target();
  if (end == this) return;
  m_ref = end;
}

std::string CSgVariable::GetTypeString() const {
  std::string t;
  if (m_kind == SGVK_OBJECT || m_kind == SGVK_MODULE) t = *ClassName() ? ClassName() : (m_kind == SGVK_MODULE ? "module" : "object");
  else {
    switch (m_varType) {
      case SGVT_NONE:
        break;
      case SGVT_RANDOM:
        t = "int";  // a random variable reads as an int
        break;
      default:
        if (const char* n = SgVarTypeName(m_varType)) t = n;
    }
  }
  if (m_flags & SGVF_BYREF) t += "&";
  return t;
}

void CSgVariable::SetInstance(CSgInstanceTable* table, SgObjectHandle handle) {
  m_kind = SGVK_OBJECT;
  if (!table && !m_ext) return;
  Extension& e = Ext();
  e.table = table;
  e.handle = table ? handle : SgObjectHandle();
}

CSgInstance* CSgVariable::Instance() const {
  const CSgVariable* t = Target();
  return t->m_ext && t->m_ext->table ? t->m_ext->table->Get(t->m_ext->handle) : nullptr;
}

// Arrays copy level by level with an explicit stack, like the destructor, so any depth is safe.
void CSgVariable::CopyValueFrom(const CSgVariable& from) {
  const CSgVariable& src = *from.Target();
  CSgVariable& dst = *Target();
  if (&src == &dst) return;
  // One array may hold the other (`m = m[1]`, `m[1] = m`): copying in place would free the source
  // while it is read, or grow it while it is walked. Such copies go through a private snapshot.
  if (!src.m_elements.empty() && !dst.m_elements.empty() && !m_copying) {
    CSgVariable snapshot(src.TypeCode(), src.Name());
    snapshot.CopyValueFrom(src);  // the snapshot is new: nothing can alias it
    dst.m_copying = true;
    dst.CopyValueFrom(snapshot);
    dst.m_copying = false;
    return;
  }
  struct Pending {
    CSgVariable* dst;
    const CSgVariable* src;
  };
  std::vector<Pending> stack{{&dst, &src}};
  while (!stack.empty()) {
    Pending p = stack.back();
    stack.pop_back();
    CSgVariable& d = *p.dst;
    const CSgVariable& s = *p.src;
    d.m_varType = s.m_varType;
    d.m_size = s.m_size;
    d.m_int = s.m_int;
    d.m_real = s.m_real;
    d.m_text = s.m_text;
    d.m_kind = s.m_kind;
    // The extension's fields follow the source; the text cache is the variable's own.
    if (s.m_ext || d.m_ext) {
      Extension& de = d.Ext();
      Extension none;
      const Extension& se = s.m_ext ? *s.m_ext : none;
      de.randLow = se.randLow;
      de.randHigh = se.randHigh;
      de.hasRange = se.hasRange;
      de.className = se.className;
      de.table = se.table;
      de.handle = se.handle;
      de.bound = se.bound;
    }
    d.m_elements.resize(s.m_elements.size());
    for (size_t i = 0; i < s.m_elements.size(); ++i) {
      const CSgVariable* se = s.m_elements[i].get();
      if (!d.m_elements[i]) {
        d.m_elements[i] = std::make_unique<CSgVariable>(se->TypeCode(), se->Name());
        d.m_elements[i]->SetModule(d.Module());
      }
      stack.push_back({d.m_elements[i].get(), se});
    }
  }
}

// Numbers convert into the destination's type; everything else is copied.
void CSgVariable::Assign(const CSgVariable& from) {
  const CSgVariable& src = *from.Target();
  CSgVariable& dst = *Target();
  if (&src == &dst) return;
  if (src.m_kind != SGVK_VALUE || dst.m_kind != SGVK_VALUE || src.IsArray() || dst.IsArray() ||
      dst.m_varType == SGVT_NONE) {
    // Objects, modules, arrays and untyped destinations take the source as it is; a typed
    // scalar destination keeps its type (an untyped source leaves it unchanged).
    if (dst.m_kind == SGVK_VALUE && !dst.IsArray() && dst.m_varType != SGVT_NONE && src.m_varType == SGVT_NONE &&
        src.m_kind == SGVK_VALUE)
      return;
    std::string keepClass = dst.ClassName();
    dst.CopyValueFrom(src);
    if (!*dst.ClassName()) dst.SetClassName(keepClass.c_str());
    return;
  }
  switch (src.CurrentStore()) {
    case Store::Integer:
      dst.StoreInteger(src.GetLong());
      break;
    case Store::Real:
      dst.StoreReal(src.m_real);
      break;
    case Store::Text:
      dst.SetString(src.m_text.c_str());
      break;
    case Store::None:
      break;
  }
}

// Ranks of the numeric kinds for the common type.
static int NumericRank(int t) {
  switch (t) {
    case SGVT_DOUBLE:
      return 5;
    case SGVT_FLOAT:
      return 4;
    case SGVT_LONG:
      return 3;
    case SGVT_BOOL:
      return 1;
    case SGVT_NONE:
      return 0;
    default:
      return 2;  // int, byte, random and the other integer kinds
  }
}

int GetCommanVarType(int a, int b) {
  if (a == SGVT_STRING || b == SGVT_STRING) return SGVT_STRING;
  // An array operand counts as its element kind.
  if (a & SGVT_ARRAY) a &= ~SGVT_ARRAY;
  if (b & SGVT_ARRAY) b &= ~SGVT_ARRAY;
  if (a == SGVT_STRING || b == SGVT_STRING) return SGVT_STRING;
  int ra = NumericRank(a), rb = NumericRank(b);
  int r = ra > rb ? ra : rb;
  switch (r) {
    case 5:
      return SGVT_DOUBLE;
    case 4:
      return SGVT_FLOAT;
    case 3:
      return SGVT_LONG;
    case 1:
      return SGVT_BOOL;
    default:
      return SGVT_INT;
  }
}
