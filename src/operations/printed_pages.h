#pragma once
// What the last run of each item put on paper, as the printer prints it: the pages of the job the
// link sent, read by the virtual printer's own renderer. "Picture" on the item draws them, so a
// technician sees what the sheet in hand should look like.

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "vprinter/page_renderer.h"

namespace operations {

class PrintedPages {
public:
  // Keeps a run's job for its item, read only when its pages are first asked for (most runs'
  // pages never are). A job with nothing printed on it (commands only, or a run that stopped
  // before printing) leaves the pages of the item's last print.
  void Keep(int item, std::vector<std::uint8_t> job);
  bool Has(int item) const;
  std::vector<vprinter::Page> Of(int item) const;
  // Draws the item's pages as "<folder>/<item>-<n>.png" (created when missing) and returns the
  // files; none, with the reason in *error, when one could not be written.
  std::vector<std::string> Draw(int item, const std::string& folder, std::string* error) const;

private:
  // Reads the item's unread job, if any: its pages, when it printed some, become the item's.
  void Read(int item) const;

  mutable std::mutex mutex_;  // kept by the worker, read on the dialog's thread
  mutable std::map<int, std::vector<vprinter::Page>> pages_;
  mutable std::map<int, std::vector<std::uint8_t>> unread_;
};

}  // namespace operations
