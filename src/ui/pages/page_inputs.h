#pragma once
// What an item's page can hand its operation: which request fields the page fills and the
// values each can take. Whoever fills a request without the page (the command line) holds its
// entries to this, so that no operation is given what the technician's page could never give.

#include <optional>
#include <string>
#include <vector>

namespace ui {

// The entries for one run of an item; an empty list or no text was not given.
struct GivenInputs {
  int selector = 0;
  std::vector<int> flags;
  std::vector<int> values;
  std::vector<double> measured;
  std::optional<std::string> text;
};

// Why the page of the item could not have handed these entries to the operation of the button
// (operations::kInputBase, ...), naming the entry and what the page takes; "" when it could.
std::string CheckPageInputs(int buttonBase, int itemNumber, const GivenInputs& given);

}  // namespace ui
