#pragma once
// The pages of the main service dialog by template id: each row holds the page's dialog template
// and makes its page object, so the dialog and the template lookup read the same row. Each page
// lives in a file pair of its own in this folder (its class, its template, its control ids) and
// adds its row in its Add…Page function; ProgramPages() gathers them all.

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "menu/menu_files.h"
#include "ui/dialog_template.h"
#include "ui/stacked_dialog.h"

namespace ui {

// What a page reaches besides its own controls: the user interface and the numbered messages.
struct PageServices {
  UiServices& ui;
  const menu::MenuFiles& catalogue;
};

// Makes the page object (not yet created as a window) over the row's template.
using PageFactory = std::function<std::unique_ptr<TStackedPage>(const DialogTemplate& layout,
                                                                const PageServices& services)>;

class PageTable {
public:
  // The row of the template's id; a second Add for an id replaces the first.
  void Add(DialogTemplate layout, PageFactory make);
  const DialogTemplate* FindTemplate(int templateId) const;
  // The page of a template, or nullptr while the program has no page for it.
  std::unique_ptr<TStackedPage> MakePage(int templateId, const PageServices& services) const;
  std::vector<int> TemplateIds() const;

private:
  struct Row {
    DialogTemplate layout;
    PageFactory make;
  };
  std::map<int, Row> rows_;
};

// Every page of the program.
const PageTable& ProgramPages();

}  // namespace ui
