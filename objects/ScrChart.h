// Charts and tables: on-screen displays bound to script variables (sg/Chart.h).
//
//     chart { name { level } type { histogram } property { up } range { 0 100 }
//             position { 10 10 } size { 40 200 } variable { name { lv } type { float } }
//             enable { TRUE } }
//     table { name { readings } position { 0 0 } size { 200 100 } items { "温度", "压力" }
//             values { t, p } }
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "reader/ScrObject.h"
#include "sg/Types.h"

class CChartObject;
class CSgImage;
class CSgVariable;

// chart [{] sub-keywords }: `type` makes the chart; without it the block updates the chart of
// its name in the current module. A new chart is filed with the module at the closing brace
// (a chart of the same name already there is updated instead). A chart block may stand in
// another, whose container then lists the chart.
class SCR_API CScrChart : public CScrObject {
 public:
  explicit CScrChart(CScriptReader* reader);
  ~CScrChart() override;

  int Read(CScrStream* f) override;
  // The chart read or updated (owned by its module), null when none was settled.
  CChartObject* Object() const { return m_chart; }

  // The most numbers a list value holds.
  static constexpr int kMaxValues = 255;

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  int ReadName(CScrStream* f, const char*);
  int ReadTitle(CScrStream* f, const char*);
  int ReadField(CScrStream* f, const char*);
  int ReadType(CScrStream* f, const char*);
  int ReadProperty(CScrStream* f, const char*);
  int ReadSize(CScrStream* f, const char*);
  int ReadRange(CScrStream* f, const char*);
  int ReadColor(CScrStream* f, const char*);
  int ReadPosition(CScrStream* f, const char*);
  int ReadVariable(CScrStream* f, const char*);
  int ReadImage(CScrStream* f, const char*);
  int ReadChart(CScrStream* f, const char*);
  int ReadEnable(CScrStream* f, const char*);
  // Finds the chart to work on and files a new one; false when there is none.
  bool Settle();
  // The settings of each kind, once the chart is settled.
  void ApplyKind();
  void FitImage();

  std::unique_ptr<CChartObject> m_own;  // a chart made by `type`, until the module takes it
  CChartObject* m_chart = nullptr;
  int m_result = 1;
  bool m_stopped = false;  // a nested block failed: the chart is left as it was
  // What was read, and whether it was.
  std::string m_name, m_title;
  bool m_hasName = false, m_hasTitle = false, m_hasField = false, m_hasProperty = false;
  bool m_hasSize = false, m_hasRange = false, m_hasColor = false, m_hasPosition = false;
  bool m_hasVariable = false, m_hasImage = false, m_hasCharts = false, m_hasEnable = false, m_hasType = false;
  SGKEY m_fieldKey = SG_NO_KEY;
  int m_orientation = 0;
  float m_size[2] = {0, 0};
  float m_range[4] = {0, 0, 0, 0};
  std::vector<float> m_colors, m_position;
  CSgVariable* m_value = nullptr;
  CSgImage* m_image = nullptr;
  std::vector<CChartObject*> m_charts;
  int m_enable = 1;
};

// table [{] sub-keywords }: a table of the current module, or the chart object of the name the
// block gives. The dispatcher files a new table (TakeObject).
class SCR_API CScrTable : public CScrObject {
 public:
  explicit CScrTable(CScriptReader* reader);
  ~CScrTable() override;

  int Read(CScrStream* f) override;
  // The new table, when the block did not name an existing chart object.
  CKvoObject* TakeObject() override;
  // The table read or the chart object named.
  CChartObject* Object() const { return m_object; }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override { m_closed = true; }

 private:
  int ReadName(CScrStream* f, const char*);
  int ReadEnable(CScrStream* f, const char*);
  int ReadTitle(CScrStream* f, const char*);
  int ReadPosition(CScrStream* f, const char*);
  int ReadSize(CScrStream* f, const char*);
  int ReadItems(CScrStream* f, const char* kw);
  int ReadImage(CScrStream* f, const char*);
  int ReadField(CScrStream* f, const char*);
  int ReadColor(CScrStream* f, const char*);
  int ReadProperty(CScrStream* f, const char*);
  void Apply();

  std::unique_ptr<CChartObject> m_own;  // the reader's own table, until handed over
  CChartObject* m_object = nullptr;
  bool m_closed = false;
  int m_show = 1;
  std::string m_title;
  bool m_hasTitle = false, m_hasPosition = false, m_hasSize = false;
  std::vector<float> m_position;
  float m_size[2] = {0, 0};
  std::vector<CSgVariable*> m_items, m_values;
  CSgImage* m_image = nullptr;
};
