#include "operations/printed_pages.h"

#include <filesystem>

namespace operations {

void PrintedPages::Keep(int item, std::vector<std::uint8_t> job) {
  std::lock_guard lock(mutex_);
  Read(item);  // the job before it may hold the last pages printed
  if (!job.empty()) unread_[item] = std::move(job);
}

void PrintedPages::Read(int item) const {
  const auto unread = unread_.find(item);
  if (unread == unread_.end()) return;
  std::vector<vprinter::Page> pages = vprinter::ReadPages(unread->second);
  unread_.erase(unread);
  if (!pages.empty()) pages_[item] = std::move(pages);
}

bool PrintedPages::Has(int item) const {
  std::lock_guard lock(mutex_);
  Read(item);
  return pages_.contains(item);
}

std::vector<vprinter::Page> PrintedPages::Of(int item) const {
  std::lock_guard lock(mutex_);
  Read(item);
  const auto found = pages_.find(item);
  return found == pages_.end() ? std::vector<vprinter::Page>{} : found->second;
}

std::vector<std::string> PrintedPages::Draw(int item, const std::string& folder,
                                            std::string* error) const {
  std::error_code failed;
  std::filesystem::create_directories(folder, failed);
  std::vector<std::string> files;
  int number = 0;
  for (const vprinter::Page& page : Of(item)) {
    const std::string path =
        folder + "/" + std::to_string(item) + "-" + std::to_string(++number) + ".png";
    if (!vprinter::WritePagePng(page, path, false, error)) return {};
    files.push_back(path);
  }
  return files;
}

}  // namespace operations
