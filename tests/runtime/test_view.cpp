// The view and the notifier: recording, host hooks.
#include <gtest/gtest.h>

#include <string>

#include "sg/Module.h"

TEST(View, RecordsAndHooks) {
  CSgModule m;
  CSgView* view = m.SgView();
  float up[3];
  view->GetVerticalAxis(up);
  EXPECT_EQ(up[1], 1.0f);
  const float z[3] = {0, 0, 1};
  view->SetVerticalAxis(z);
  view->GetVerticalAxis(up);
  EXPECT_EQ(up[2], 1.0f);

  view->AddScriptField(7);
  EXPECT_EQ(view->ScriptFieldCount(), 1);
  EXPECT_EQ(view->ScriptField(0), 7);
  EXPECT_EQ(view->ScriptField(1), -1);

  auto* dyn = new CKvoObject(SGT_DYNAMIC, "ship");
  m.AddOtherObject(dyn);
  view->RegisterDynamicObject(dyn);
  view->RegisterDynamicObject(nullptr);
  EXPECT_EQ(view->DynamicObjectCount(), 1);
  EXPECT_EQ(view->DynamicObject(0), dyn);

  // Unregistered: recorded only. Registered: recorded and passed on.
  view->SendHostMessage(3298, "a.src");
  std::string seen;
  view->SetHostMessageHook([&](int msg, const char* text) { seen = std::to_string(msg) + text; });
  view->SendHostMessage(3298, "b.src");
  view->SendHostMessage(1, nullptr);
  ASSERT_EQ(view->HostMessages().size(), 3u);
  EXPECT_EQ(view->HostMessages()[0].text, "a.src");
  EXPECT_EQ(seen, "1");
}

TEST(View, NotifierRecordsAndCallsBack) {
  CSgModule m;
  CPENotify* n = m.SgView()->Notifier();
  n->NotifyGraph(&m, "title", 3, 1);
  n->NotifyOutput(&m, nullptr);
  int graphs = 0;
  std::string outputs;
  n->SetHostCallback(CPENotify::GraphCallback([&](CSgModule*, const char*, int code, int) { graphs += code; }));
  n->SetOutputCallback([&](CSgModule* mod, const char* text) {
    outputs += text;
    EXPECT_EQ(mod, &m);
  });
  n->NotifyGraph(&m, "t2", 5, 0);
  n->NotifyOutput(&m, "err");
  ASSERT_EQ(n->Records().size(), 4u);
  EXPECT_EQ(n->Records()[0].kind, SgNotifyRecord::Graph);
  EXPECT_EQ(n->Records()[0].text, "title");
  EXPECT_EQ(n->Records()[0].code, 3);
  EXPECT_EQ(n->Records()[1].kind, SgNotifyRecord::Output);
  EXPECT_EQ(n->Records()[1].text, "");
  EXPECT_EQ(n->Records()[3].module, &m);
  EXPECT_EQ(graphs, 5);
  EXPECT_EQ(outputs, "err");
  n->ClearRecords();
  EXPECT_TRUE(n->Records().empty());
}
