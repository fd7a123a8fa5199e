#include "ui/stacked_dialog.h"

#include <gtest/gtest.h>

#include "operations/operation_request.h"
#include "ui/data_exchange.h"
#include "ui/scripted_ui_services.h"

namespace {

using ui::ControlKind;

const ui::DialogTemplate kHost{901,
                               "Host",
                               300,
                               200,
                               {
                                   {6000, ControlKind::TreeView, "", {5, 5, 100, 180}},
                                   {6002, ControlKind::Static, "", {110, 60, 180, 1}, ui::kEtched},
                                   {ui::IDOK, ControlKind::Button, "OK", {240, 180, 50, 14}},
                               }};
const ui::DialogTemplate kPageA{
    902,
    "",
    180,
    100,
    {{1, ControlKind::Edit, "", {5, 5, 60, 12}},
     {2, ControlKind::Button, "Go", {5, 20, 40, 14}, ui::kDefaultButton}}};
const ui::DialogTemplate kPageB{903, "", 150, 80, {{1, ControlKind::Edit, "", {5, 5, 60, 12}}}};

// A page that shows the request's output text and takes a serial number of at most 10 characters.
class TextPage : public ui::TStackedPage {
public:
  TextPage(const ui::DialogTemplate& t, ui::UiServices& services, int* destroyed)
      : TStackedPage(t, services), destroyed_(destroyed) {}
  int refreshes = 0;

  bool RefreshPage() override {
    ++refreshes;
    if (Request() != nullptr) SetDlgItemText(1, Request()->outputText);
    return true;
  }
  bool CollectInput() override {
    std::string text = GetDlgItemText(1);
    if (text.size() > 10) return false;
    Request()->inputText = text;
    return true;
  }

protected:
  void OnDestroy() override { ++*destroyed_; }

private:
  int* destroyed_;
};

class Host : public ui::TStackedDialog {
public:
  explicit Host(ui::UiServices& services) : TStackedDialog(6002, kHost, services) {}
  int destroyed = 0;

protected:
  std::unique_ptr<ui::TStackedPage> CreatePage(int templateId) override {
    if (templateId == kPageA.id) return std::make_unique<TextPage>(kPageA, Services(), &destroyed);
    if (templateId == kPageB.id) return std::make_unique<TextPage>(kPageB, Services(), &destroyed);
    return nullptr;
  }
};

class StackedTest : public ::testing::Test {
protected:
  StackedTest() { host.Create(); }
  ui::ScriptedUiServices services;
  Host host{services};
};

const ui::PageEntry* Visible(const Host& host) {
  for (const ui::PageEntry& entry : host.Pages()) {
    if (entry.visible != 0) return &entry;
  }
  return nullptr;
}

TEST_F(StackedTest, PagesAreCreatedHiddenAtThePlaceholder) {
  EXPECT_TRUE(host.HasMaximizeBox());
  ui::PageEntry* entry = host.AddPage(kPageA.id, 1, 2, 3);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->created, 1);
  EXPECT_EQ(entry->visible, 0);
  EXPECT_EQ(entry->owner, &host);
  EXPECT_EQ(entry->userValues, (std::array<int, 3>{1, 2, 3}));
  EXPECT_TRUE(entry->page->IsCreated());
  EXPECT_FALSE(entry->page->IsWindowVisible());
  EXPECT_EQ(entry->page->Placement(), (ui::DialogRect{110, 60, 180, 100}));
}

TEST_F(StackedTest, AnUnknownTemplateAddsNoEntry) {
  EXPECT_EQ(host.AddPage(999), nullptr);
  EXPECT_EQ(host.PageCount(), 0);
}

TEST_F(StackedTest, OnePageIsShownAtATime) {
  ui::PageEntry* a = host.AddPage(kPageA.id);
  ui::PageEntry* b = host.AddPage(kPageB.id);
  host.ShowPage(kPageA.id);
  EXPECT_EQ(Visible(host), a);
  EXPECT_TRUE(a->page->IsWindowVisible());
  host.ShowPage(kPageB.id);
  EXPECT_EQ(Visible(host), b);
  EXPECT_FALSE(a->page->IsWindowVisible());
  host.ShowPage(0);  // hides and shows none
  EXPECT_EQ(Visible(host), nullptr);
  EXPECT_FALSE(b->page->IsWindowVisible());
  host.ShowPage(kPageB.id);
  host.ShowPage(904);  // never added: hides and shows none
  EXPECT_EQ(Visible(host), nullptr);
}

TEST_F(StackedTest, EnterAndEscapeInAPageCloseNothing) {
  ui::PageEntry* entry = host.AddPage(kPageA.id);
  host.ShowPage(kPageA.id);
  entry->page->KeyDown(ui::kKeyEnter);
  entry->page->KeyDown(ui::kKeyEscape);
  EXPECT_FALSE(entry->page->IsEnded());
  EXPECT_FALSE(host.IsEnded());
  EXPECT_TRUE(entry->page->IsWindowVisible());
}

TEST_F(StackedTest, TheRequestIsShownOnAttachAndCollectedBeforeARun) {
  operations::OperationRequest request;
  request.outputText = "A123456789";
  ui::PageEntry* entry = host.AddPage(kPageA.id);
  auto& page = static_cast<TextPage&>(*entry->page);
  page.AttachRequest(request);
  EXPECT_EQ(page.refreshes, 1);
  EXPECT_EQ(page.GetDlgItemText(1), "A123456789");
  page.EditText(1, "B987654321");
  EXPECT_TRUE(page.CollectInput());
  EXPECT_EQ(request.inputText, "B987654321");
  page.EditText(1, "far too long for it");
  EXPECT_FALSE(page.CollectInput());
}

TEST_F(StackedTest, RemovingPagesDestroysTheirWindows) {
  ui::PageEntry* a = host.AddPage(kPageA.id);
  host.AddPage(kPageB.id);
  host.RemovePage(a);
  EXPECT_EQ(host.PageCount(), 1);
  EXPECT_EQ(host.destroyed, 1);
  host.DestroyWindow();  // closing the host takes every page with it
  EXPECT_EQ(host.PageCount(), 0);
  EXPECT_EQ(host.destroyed, 2);
}

TEST(StackedPageDefaults, CollectAndRefreshExchangeData) {
  ui::ScriptedUiServices services;
  struct NumberPage : ui::TStackedPage {
    explicit NumberPage(ui::UiServices& s) : TStackedPage(kPageB, s) {}
    int value = 3;
    void DoDataExchange(ui::DataExchange& dx) override { dx.Text(1, value); }
  } page(services);
  page.Create();
  operations::OperationRequest request;
  page.AttachRequest(request);
  EXPECT_EQ(page.GetDlgItemText(1), "3");
  page.EditText(1, "12");
  EXPECT_TRUE(page.CollectInput());
  EXPECT_EQ(page.value, 12);
  page.EditText(1, "twelve");
  EXPECT_FALSE(page.CollectInput());  // a refused value stops the run
}

}  // namespace
