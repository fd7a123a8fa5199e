#include "json_output.h"

#include <iostream>
#include <memory>

#include "ui_services/ui_services.h"

namespace cli {
namespace {

struct ValueToJson {
  Json operator()(const settings::TextTarget& t) const { return *t.dest; }
  Json operator()(const settings::IntegerTarget& t) const { return *t.dest; }
  Json operator()(const settings::FlagTarget& t) const { return *t.dest; }
  Json operator()(const settings::IntegerListTarget& t) const {
    Json list = Json::array();
    for (int i = 0; i < *t.count; ++i) list.push_back(t.dest[i]);
    return list;
  }
};

template <typename Texts>
Json TextArray(const Texts& texts, std::size_t count) {
  Json list = Json::array();
  for (std::size_t i = 0; i < count; ++i) list.push_back(texts[i]);
  return list;
}

}  // namespace

Json SettingsToJson(const settings::AppSettings& original) {
  settings::AppSettings copy = original;  // the tables bind to a writable record
  Json json = Json::object();
  for (const auto& table : {settings::MainSettingsBindings(copy), settings::ParameterBindings(copy),
                            settings::LanguageBindings(copy)}) {
    for (const settings::IniBinding& binding : table) {
      json[binding.key] = std::visit(ValueToJson{}, binding.target);
    }
  }
  return json;
}

Json MainMenusToJson(const menu::MenuFiles& files) {
  Json list = Json::array();
  for (std::size_t i = 0; i < menu::kMainMenusRead; ++i) {
    const menu::MenuNode& entry = files.MainMenus()[i];
    list.push_back(
        {{"title", entry.title}, {"exText", entry.exText}, {"functionId", entry.function}});
  }
  return list;
}

Json TreeToJson(const menu::MenuFiles& files, const std::vector<menu::TreeInsertion>& plan) {
  Json list = Json::array();
  for (const menu::TreeInsertion& step : plan) {
    const menu::MenuNode& node = files.Nodes()[step.node];
    const std::string parent =
        step.parent == menu::kTreeRoot ? std::string() : files.Nodes()[step.parent].section;
    list.push_back({{"index", step.node},
                    {"section", node.section},
                    {"title", node.title},
                    {"parent", parent},
                    {"execFunc", node.function}});
  }
  return list;
}

Json PageTextToJson(const menu::FunctionPageText& page) {
  return {{"Button", TextArray(page.button, page.button.size())},
          {"Text", TextArray(page.text, page.text.size())},
          {"DlgPic", TextArray(page.dlgPic, page.dlgPicCount)},
          {"DlgText", TextArray(page.dlgText, page.dlgTextCount)}};
}

}  // namespace cli

namespace cli {

std::string IconName(unsigned style) {
  switch (style & ui::kIconMask) {
    case ui::kIconError: return "error";
    case ui::kIconInformation: return "information";
    case ui::kIconQuestion: return "question";
    case ui::kIconWarning: return "warning";
    default: return "none";
  }
}

// Texts from the printer are bytes; a byte that is not UTF-8 must not cost the whole output.
void Print(const Json& json) {
  std::cout << json.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

void PrintShownTexts(const ui::ScriptedUiServices& ui) {
  using ui::UiCallKind;
  for (const ui::UiCall& call : ui.Calls()) {
    const bool shown = call.kind == UiCallKind::MessageBox ||
                       call.kind == UiCallKind::MessageDialog || call.kind == UiCallKind::Wait;
    if (shown && !call.text.empty()) std::cerr << call.text << '\n';
  }
}

std::function<void(const ui::UiCall&)> ProgressOnStderr() {
  struct Bar {
    std::string text;
    int maximum = 0;
    int tenths = 0;  // of the bar printed so far
  };
  return [bar = std::make_shared<Bar>()](const ui::UiCall& call) {
    if (call.kind == ui::UiCallKind::Progress) {
      std::string text = call.text;
      if (text.ends_with("...")) text.resize(text.size() - 3);
      *bar = Bar{text, call.answer, 0};
      std::cerr << text << (call.answer > 0 ? ": 0%" : "...") << '\n';
    } else if (call.kind == ui::UiCallKind::ProgressPosition && bar->maximum > 0) {
      const int tenths = static_cast<int>(10LL * call.answer / bar->maximum);
      if (tenths <= bar->tenths) return;
      bar->tenths = tenths;
      std::cerr << bar->text << ": " << tenths * 10 << "%\n";
    }
  };
}

}  // namespace cli
